#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QTest>

#include "controls/AndPanel.h"
#include "disc/DiscDataFile.h"
#include "support/FullDisk.h"
#include "support/PlayerRig.h"
#include "ui/DataEdit.h"
#include "ui/MainMenu.h"

using namespace qlnx;

// The disc data editor as a user types in it: keys go to whatever has the focus.
class TestDataEdit : public QObject
{
    Q_OBJECT

    struct TPlayer : TPlayerRig
    {
        TDataEditForm* Editor = new TDataEditForm(&Form);
        TPlayer() { Form.SetDataEditForm(Editor); }
        void Open() { Choose(Form.Menu().DataEdit()); }
        int Line() const { return Editor->TrackList().currentRow(); }
        QString LineText(int row) const { return Editor->TrackList().item(row)->text(); }
    };

private Q_SLOTS:
    void walksTheTitlesWithEnterAndTheArrows()
    {
        TPlayer p;
        p.Start({10, 10, 10, 10, 10, 10}, 0xD1);
        p.Form.Controller().PlayButtonClick();
        p.Form.Controller().TrackComboChange(4);
        QCOMPARE(p.Form.Controller().CurrentTrack(), 5);

        p.User = [&](QDialog&) {
            QCOMPARE(p.Focused(), &p.Editor->ArtistEdit());
            QCOMPARE(p.Line(), 4);
            QCOMPARE(p.Editor->TrackEdit().text(), QStringLiteral("Track05"));
            // Up from the artist wraps round to the last button, Down comes back.
            p.Key(Qt::Key_Up);
            QCOMPARE(p.Focused(), &p.Editor->CancelButton());
            p.Key(Qt::Key_Down);
            QCOMPARE(p.Focused(), &p.Editor->ArtistEdit());
            p.Key(Qt::Key_Return);
            QCOMPARE(p.Focused(), &p.Editor->TitleEdit());
            p.Key(Qt::Key_Enter, Qt::KeypadModifier);
            QCOMPARE(p.Focused(), &p.Editor->TrackEdit());
            QCOMPARE(p.Editor->TrackEdit().selectedText(), QStringLiteral("Track05"));
            QVERIFY(p.Editor->isVisible());

            p.Type(QStringLiteral("Fifth"));
            p.Key(Qt::Key_Return);
            p.Type(QStringLiteral("Last"));
            p.Key(Qt::Key_Return); // past the last line: back to the first
            QCOMPARE(p.Line(), 0);
            QCOMPARE(p.Editor->TrackEdit().selectedText(), QStringLiteral("Track01"));
            p.Key(Qt::Key_Up); // before the first line: the last
            QCOMPARE(p.Line(), 5);
            QCOMPARE(p.Editor->TrackEdit().text(), QStringLiteral("Last"));
            p.Key(Qt::Key_Down);
            QCOMPARE(p.Line(), 0);
            QCOMPARE(p.LineText(4), QStringLiteral("Fifth"));

            // Into the list and back: Enter there returns to the edit with the chosen line.
            p.Type(QStringLiteral("Opening"));
            p.Key(Qt::Key_Tab);
            QCOMPARE(p.Focused(), &p.Editor->TrackList());
            QCOMPARE(p.LineText(0), QStringLiteral("Opening"));
            p.Key(Qt::Key_Down);
            QCOMPARE(p.Editor->TrackEdit().text(), QStringLiteral("Track02"));
            p.Key(Qt::Key_Return);
            QCOMPARE(p.Focused(), &p.Editor->TrackEdit());
            QCOMPARE(p.Editor->TrackEdit().text(), QStringLiteral("Track02"));
            QVERIFY(p.Editor->isVisible());

            // Ctrl+Enter confirms with what was typed last.
            p.Editor->TrackEdit().selectAll();
            p.Type(QStringLiteral("Second"));
            p.Key(Qt::Key_Return, Qt::ControlModifier);
        };
        p.Open();
        QCOMPARE(p.Runs, 1);
        QVERIFY(!p.LeftOpen);

        QCOMPARE(p.Model.Tracks(2).Name, QStringLiteral("Second"));
        QCOMPARE(p.Form.TrackCombo().itemText(0), QStringLiteral("Opening"));
        QCOMPARE(p.Form.TrackPanel().Caption(), QStringLiteral("Fifth"));
        QCOMPARE(p.Form.windowTitle(), QStringLiteral("Fifth - Artist"));
        const QByteArray file = p.ReadData(0xD1);
        QVERIFY(file.contains("[Track01]\r\nOpening\r\n\r\n[Track02]\r\nSecond\r\n\r\n"));
        QVERIFY(file.contains("[Track05]\r\nFifth\r\n\r\n[Track06]\r\nLast\r\n\r\n"));
        QVERIFY(p.Errors.isEmpty());
        QCOMPARE(p.Form.Controller().CurrentTrack(), 5); // playback was not disturbed
    }

    void clickingOkKeepsTheTypedTitleAndEmptyTextsAreSaved()
    {
        TPlayer p;
        p.Start({10, 10}, 0xD2, "[Artist]\r\nSomeone\r\n[Title]\r\nAlbum\r\n");
        p.User = [&](QDialog&) {
            QCOMPARE(p.Editor->ArtistEdit().text(), QStringLiteral("Someone"));
            QCOMPARE(p.Line(), 0);
            p.Key(Qt::Key_A, Qt::ControlModifier);
            p.Key(Qt::Key_Backspace);
            p.Key(Qt::Key_Down);
            p.Key(Qt::Key_Down);
            p.Type(QStringLiteral("Intro"));
            QTest::mouseClick(&p.Editor->OkButton(), Qt::LeftButton);
        };
        p.Open();
        QVERIFY(!p.LeftOpen);
        QCOMPARE(p.Form.ArtistPanel().Caption(), QString());
        QCOMPARE(p.Form.TitlePanel().Caption(), QStringLiteral("Album"));
        QCOMPARE(p.ReadData(0xD2), QByteArray("[Artist]\r\n\r\n\r\n[Title]\r\nAlbum\r\n\r\n"
                                              "[Order]\r\n01-02\r\n\r\n[Track01]\r\nIntro\r\n\r\n"
                                              "[Track02]\r\nTrack02\r\n\r\n"));
    }

    void okWithoutChangesRewritesTheFileCancelAndEscapeDiscard()
    {
        TPlayer p;
        p.Start({10, 10}, 0xD3, "[track02]\r\nB side\r\n[Other]\r\nkept?\r\n");
        p.User = [&](QDialog&) {
            p.Type(QStringLiteral("Lost"));
            p.Key(Qt::Key_Escape);
        };
        p.Open();
        QVERIFY(!p.LeftOpen);
        QCOMPARE(p.ReadData(0xD3), QByteArray("[track02]\r\nB side\r\n[Other]\r\nkept?\r\n"));
        p.User = [&](QDialog&) {
            QCOMPARE(p.Editor->ArtistEdit().text(), QStringLiteral("Artist")); // refilled
            p.Type(QStringLiteral("Lost too"));
            QTest::mouseClick(&p.Editor->CancelButton(), Qt::LeftButton);
        };
        p.Open();
        QCOMPARE(p.Model.Artist(), QStringLiteral("Artist"));
        p.User = [&](QDialog&) { p.Key(Qt::Key_Return, Qt::ControlModifier); };
        p.Open();
        QCOMPARE(p.Runs, 3);
        QCOMPARE(p.ReadData(0xD3), QByteArray("[Artist]\r\nArtist\r\n\r\n[Title]\r\nTitle\r\n\r\n"
                                              "[Order]\r\n01-02\r\n\r\n[Track01]\r\nTrack01\r\n\r\n"
                                              "[Track02]\r\nB side\r\n\r\n"));
    }

    void aDiscChangedWhileOpenGetsNothing()
    {
        TPlayer p;
        p.Start({10, 10}, 0xD4);
        p.User = [&](QDialog&) {
            p.Type(QStringLiteral("Wrong disc"));
            p.Drive.SetDoorOpen(0, true);
            p.Tick();
            p.Drive.InsertDisc(0, TSimDisc::Audio({20, 20, 20}, 0xD5));
            p.Drive.SetDoorOpen(0, false);
            p.Tick();
            QCOMPARE(p.Model.DiscID(), 0xD5u);
            p.Key(Qt::Key_Return, Qt::ControlModifier);
        };
        p.Open();
        QVERIFY(!p.LeftOpen);
        QCOMPARE(p.Model.Artist(), QStringLiteral("Artist"));
        QVERIFY(!QFileInfo::exists(p.DataFile(0xD4)));
        QVERIFY(!QFileInfo::exists(p.DataFile(0xD5)));
    }

    void aFailedSaveIsReportedAndTheEditStays()
    {
        TPlayer p;
        const QByteArray before = "[Artist]\r\nOld\r\n";
        p.Start({10}, 0xD6, before);
        p.User = [&](QDialog&) {
            p.Key(Qt::Key_A, Qt::ControlModifier);
            p.Type(QStringLiteral("New"));
            p.Key(Qt::Key_Return, Qt::ControlModifier);
        };
        {
            TFullDisk full;
            p.Open();
        }
        QCOMPARE(p.Errors,
                 QStringList{QStringLiteral("ファイル %1 を作成できません").arg(p.DataFile(0xD6))});
        QCOMPARE(p.ReadData(0xD6), before);
        QCOMPARE(QDir(QFileInfo(p.DataFile(0xD6)).path()).entryList(QDir::Files).size(), 1);
        QCOMPARE(p.Form.ArtistPanel().Caption(), QStringLiteral("New"));
    }

    void valuesTheFileCannotHold()
    {
        TPlayer p;
        p.Start({10, 10}, 0xD8, "[Title]\r\nReal title\r\n");
        p.User = [&](QDialog&) {
            // A pasted line break becomes a blank; a title that reads as a header is refused.
            QApplication::clipboard()->setText(
                QStringLiteral("first part\nsecond part\r\n[Title]\nInjected"));
            p.Key(Qt::Key_A, Qt::ControlModifier);
            p.Key(Qt::Key_V, Qt::ControlModifier);
            p.Editor->TrackList().item(1)->setText(QStringLiteral("[track01]"));
            p.Key(Qt::Key_Return, Qt::ControlModifier);
            QCOMPARE(p.Errors, QStringList{HeaderValueMessage(QStringLiteral("Track 2"),
                                                              QStringLiteral("[track01]"))});
            QVERIFY(p.Editor->isVisible());
            QCOMPARE(p.Focused(), &p.Editor->TrackEdit());
            QCOMPARE(p.Line(), 1);
            p.Type(QStringLiteral("B side"));
            p.Key(Qt::Key_Return, Qt::ControlModifier);
        };
        p.Open();
        QVERIFY(!p.LeftOpen);
        QCOMPARE(p.ReadData(0xD8),
                 QByteArray("[Artist]\r\nfirst part second part  [Title] Injected\r\n\r\n"
                            "[Title]\r\nReal title\r\n\r\n[Order]\r\n01-02\r\n\r\n"
                            "[Track01]\r\nTrack01\r\n\r\n[Track02]\r\nB side\r\n\r\n"));
    }

    void anUnreadFileIsNeverReplaced()
    {
        TPlayer p;
        QVERIFY(QDir().mkpath(p.DataFile(0xD9))); // exists, cannot be read as a file
        p.Start({10}, 0xD9);
        const QString unread = UnreadFileMessage(p.DataFile(0xD9));
        QCOMPARE(p.Errors, QStringList{CannotOpenMessage(p.DataFile(0xD9))});
        p.User = [&](QDialog&) {
            QCOMPARE(p.Errors.last(), unread); // said before anything is typed
            p.Type(QStringLiteral("New"));
            p.Key(Qt::Key_Return, Qt::ControlModifier);
        };
        p.Open();
        QCOMPARE(p.Errors, (QStringList{CannotOpenMessage(p.DataFile(0xD9)), unread, unread}));
        QVERIFY(QFileInfo(p.DataFile(0xD9)).isDir());
    }

    void noEditorWithoutAnAudioDisc()
    {
        TPlayer p;
        const int drive = p.Drive.AddDrive(QStringLiteral("sr0"));
        TSimDisc data;
        data.Tracks = {TSimTrack{75 * 60, false}};
        data.Serial = 0xD7;
        p.Drive.InsertDisc(drive, data);
        p.Form.FormCreate(1);
        QCOMPARE(p.Form.TitlePanel().Caption(), QStringLiteral("Not audio CD"));
        Q_EMIT p.Form.PopupMenu().aboutToShow();
        QVERIFY(!p.Form.Menu().DataEdit().isEnabled());
        p.Form.DataEditClick();
        QCOMPARE(p.Runs, 0);
        QVERIFY(!QFileInfo::exists(p.DataFile(0xD7)));
    }
};

QTEST_MAIN(TestDataEdit)
#include "tst_dataedit.moc"
