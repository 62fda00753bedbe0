// The lookups as the user meets them: the chooser of the disc lookup, the proposal in the disc
// data editor, Find Online... in the lyrics editor, and servers that fail, all against a
// server of the test's own on 127.0.0.1.

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "disc/DiscModel.h"
#include "lyricsui/LyricsEdit.h"
#include "network/NetworkTransport.h"
#include "online/LocalHttpServer.h"
#include "onlineui/OnlineChooser.h"
#include "settings/ProgramDirectory.h"
#include "support/PlayerRig.h"
#include "support/TestFiles.h"
#include "ui/DataEdit.h"
#include "ui/MainMenu.h"

using namespace qlnx;

namespace {

constexpr quint32 Serial = 0xE1;
constexpr int WaitMs = 5000;

// Two releases for whatever disc id is asked: one of three tracks first, then the one that
// fits the disc of 60 s and 92 s.
QByteArray Releases(const QByteArray& target)
{
    const QByteArray id = target.mid(13, target.indexOf('?') - 13);
    const QByteArray media = R"("format":"CD","discs":[{"id":")" + id + R"("}],"tracks":)";
    return TLocalHttpServer::Answer(
        200, R"({"releases":[{"title":"Other Edit","date":"1999","country":"GB",
             "artist-credit":[{"name":"Band"}],"media":[{)" +
                 media + R"([{"title":"a"},{"title":"b"},{"title":"c"}]}]},
             {"title":"Album","date":"2001-05-02","country":"DE",
             "artist-credit":[{"name":"Band"}],"media":[{)" +
                 media + R"([{"title":"One","length":60000},{"title":"Two","length":92000}]}]}]})");
}

const QByteArray Lrc = "[00:05.00]hello\n[00:12.50]world\n";

} // namespace

class TestOnlineUi : public QObject
{
    Q_OBJECT

    struct TPlayer : TPlayerRig
    {
        TLocalHttpServer Server;
        TDataEditForm* DataEditor = new TDataEditForm(&Form);
        TLyricsEditForm* LyricsEditor = new TLyricsEditForm(Model, &Form);

        TPlayer()
        {
            Form.SetHttpTransport(MakeNetworkTransport);
            Form.SetDataEditForm(DataEditor);
            Form.SetLyricsEditForm(LyricsEditor);
            const QByteArray url = Server.Url().toLatin1();
            WriteFile(SettingsFileName(Dir.path()),
                      "[Online]\nEnabled=1\nTimeout=1\nMusicBrainzUrl=" + url +
                          "\nGnudbUrl=" + url + "\nLrclibUrl=" + url + "\n");
            Start({60, 92}, Serial);
        }

        // Look Up Disc... with the user acting in the chooser once it is open; a chooser the
        // user leaves open (a failed check) is closed, so the test cannot hang.
        void LookUp(const std::function<void(TOnlineChooserForm&)>& user)
        {
            QTimer::singleShot(0, &Form, [this, user] {
                auto* chooser = Form.findChild<TOnlineChooserForm*>();
                if (!chooser)
                    return;
                user(*chooser);
                if (chooser->isVisible())
                    chooser->reject();
            });
            Choose(Form.Menu().LookUpDisc());
        }
    };

    static QTreeWidget& List(TOnlineChooserForm& c) { return *c.findChild<QTreeWidget*>(); }
    static QString Status(TOnlineChooserForm& c) { return c.findChild<QLabel*>()->text(); }

private Q_SLOTS:
    void chosenReleaseIsAProposalUntilOk()
    {
        TPlayer p;
        p.Server.SetHandler([](const TLocalHttpServer::TRequest& r) { return Releases(r.Target); });
        QString shownTitle;
        const auto chooseFirst = [&](TOnlineChooserForm& c) {
            QTRY_COMPARE_WITH_TIMEOUT(List(c).topLevelItemCount(), 2, WaitMs);
            // The fitting release comes first and is the one chosen; the other is marked.
            QCOMPARE(List(c).topLevelItem(0)->text(1), QStringLiteral("Album"));
            QCOMPARE(List(c).topLevelItem(0)->text(2), QStringLiteral("2001"));
            QCOMPARE(List(c).topLevelItem(0)->text(3), QStringLiteral("DE / CD"));
            QCOMPARE(List(c).topLevelItem(0)->text(5), QString());
            QCOMPARE(List(c).topLevelItem(1)->text(5),
                     QStringLiteral("does not fit: 3 tracks, the disc has 2"));
            QCOMPARE(List(c).currentItem(), List(c).topLevelItem(0));
            c.accept();
        };
        p.User = [&](QDialog& editor) {
            shownTitle = editor.windowTitle();
            QCOMPARE(p.DataEditor->Artist(), QStringLiteral("Band"));
            QCOMPARE(p.DataEditor->Title(), QStringLiteral("Album"));
            QCOMPARE(p.DataEditor->TrackNames(),
                     (QStringList{QStringLiteral("One"), QStringLiteral("Two")}));
            p.DataEditor->CancelButton().click();
        };
        p.LookUp(chooseFirst);
        QCOMPARE(p.Runs, 1);
        QVERIFY(shownTitle.endsWith(QStringLiteral("(proposed)")));
        QCOMPARE(p.Model.Artist(), QStringLiteral("Artist"));
        QCOMPARE(p.Model.Tracks(1).Name, QStringLiteral("Track01"));
        QVERIFY(p.ReadData(Serial).isEmpty());

        // OK stores what the editor shows, the user's own change included.
        p.User = [&](QDialog&) {
            p.DataEditor->TitleEdit().setText(QStringLiteral("Album (Remaster)"));
            p.DataEditor->OkButton().click();
        };
        p.LookUp(chooseFirst);
        QCOMPARE(p.Runs, 2);
        QCOMPARE(p.Model.Artist(), QStringLiteral("Band"));
        QCOMPARE(p.Model.Title(), QStringLiteral("Album (Remaster)"));
        QCOMPARE(p.Model.Tracks(2).Name, QStringLiteral("Two"));
        QVERIFY(p.ReadData(Serial).contains("Album (Remaster)"));
        QVERIFY(p.Errors.isEmpty());
        QCOMPARE(p.Server.Requests().size(), 2);
    }

    void findOnlineFillsTheRowsAsImportDoes()
    {
        TPlayer p;
        p.Server.SetHandler([](const TLocalHttpServer::TRequest&) {
            return TLocalHttpServer::Answer(
                200, R"({"duration":60,"syncedLyrics":"[00:05.00]hello\n[00:12.50]world"})");
        });
        const QString file = p.Dir.filePath(QStringLiteral("in.lrc"));
        QVERIFY(WriteFile(file, Lrc));
        p.LyricsEditor->SetOpenFileDialog([&file](QWidget&, const QString&) { return file; });
        p.Choose(p.Form.Menu().LyricsEdit());
        TLyricsEditForm& e = *p.LyricsEditor;

        e.ImportButton().click();
        const QList<TLyricRow> imported = e.Rows();
        QCOMPARE(imported.size(), 2);
        e.ClearButton().click();
        e.FindOnlineButton().click();
        QVERIFY(!e.FindOnlineButton().isEnabled()); // asked once, while the answer comes
        QTRY_COMPARE_WITH_TIMEOUT(e.Rows(), imported, WaitMs);
        QVERIFY(e.FindOnlineButton().isEnabled());
        QVERIFY(p.Server.Requests().first().Target.startsWith("/api/get?"));
        QVERIFY(IsNoLyrics(p.Model.Tracks(1).Lyrics));
        QVERIFY(p.ReadData(Serial).isEmpty());

        e.OkButton().click();
        QCOMPARE(p.Model.Tracks(1).Lyrics,
                 (TLyricList{{QStringLiteral("hello"), 5}, {QStringLiteral("world"), 12}}));
        QVERIFY(p.ReadData(Serial).contains("world"));
        QVERIFY(p.Errors.isEmpty());
    }

    // A server that is busy, answers garbage or does not answer at all: the message says so,
    // and neither the disc's data nor the editor's rows change.
    void failingServerChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("answer"); // empty: the server stays silent
        QTest::addColumn<QString>("message");
        QTest::newRow("503") << TLocalHttpServer::Answer(503, "busy", "Retry-After: 5\r\n")
                             << "busy";
        QTest::newRow("garbage") << TLocalHttpServer::Answer(200, "<html>oops") << "could not";
        QTest::newRow("silent") << QByteArray() << "did not answer within 1 s";
    }
    void failingServerChangesNothing()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, message);
        TPlayer p;
        p.Server.SetHandler([answer](const TLocalHttpServer::TRequest&) { return answer; });
        p.LookUp([&](TOnlineChooserForm& c) {
            QTRY_VERIFY_WITH_TIMEOUT(Status(c).contains(message), WaitMs);
            QCOMPARE(List(c).topLevelItemCount(), 0);
            c.reject();
        });
        QCOMPARE(p.Runs, 0);

        p.Choose(p.Form.Menu().LyricsEdit());
        TLyricsEditForm& e = *p.LyricsEditor;
        e.LyricsEdit().setText(QStringLiteral("typed"));
        e.ReplaceButton().click();
        const QList<TLyricRow> typed = e.Rows();
        e.FindOnlineButton().click();
        QTRY_VERIFY_WITH_TIMEOUT(!p.Errors.isEmpty(), WaitMs);
        QVERIFY2(p.Errors.first().contains(message), qPrintable(p.Errors.first()));
        QCOMPARE(e.Rows(), typed);
        QVERIFY(e.FindOnlineButton().isEnabled());
        e.CancelButton().click();

        QCOMPARE(p.Model.Artist(), QStringLiteral("Artist"));
        QVERIFY(IsNoLyrics(p.Model.Tracks(1).Lyrics));
        QVERIFY(p.ReadData(Serial).isEmpty());
    }
};

QTEST_MAIN(TestOnlineUi)
#include "tst_onlineui.moc"
