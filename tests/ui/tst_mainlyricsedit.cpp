#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "controls/AndPanel.h"
#include "controls/LGauge.h"
#include "disc/DiscDataFile.h"
#include "disc/DiscModel.h"
#include "lyricsui/LyricsEdit.h"
#include "lyricsui/LyricsForm.h"
#include "lyricsui/TimeField.h"
#include "support/PlayerRig.h"
#include "support/SimulatedCdDrive.h"
#include "ui/Main.h"
#include "ui/MainMenu.h"

using namespace qlnx;

// The lyrics editor opened from the player's menu while a disc plays on the simulated drive.
class TestMainLyricsEdit : public QObject
{
    Q_OBJECT

    struct TPlayer : TPlayerRig
    {
        TLyricsEditForm* Editor = nullptr;
        int Made = 0;

        // As the program does it, the editor is made when first opened.
        explicit TPlayer(bool made = false)
        {
            if (!made) {
                Form.SetLyricsEditForm(Editor = new TLyricsEditForm(Model, &Form));
                return;
            }
            Form.SetDialogMakers({.LyricsEdit = [this] {
                ++Made;
                return Editor = new TLyricsEditForm(Model, &Form);
            }});
        }
        void ChooseLyricsEdit() { Choose(Form.Menu().LyricsEdit()); }
        void Line(const QString& text)
        {
            QTest::keyClicks(&Editor->LyricsEdit(), text);
            QTest::keyClick(&Editor->LyricsEdit(), Qt::Key_Return);
        }
    };

private Q_SLOTS:
    void okWhileStoppedShowsTheNewLinesAtOnce()
    {
        TPlayer p(true);
        p.Drive.InsertDisc(p.Drive.AddDrive(QStringLiteral("sr0")),
                           TSimDisc::Audio({30, 40}, 0xA3));
        p.Form.FormCreate(1);
        QCOMPARE(p.Made, 0);
        p.ChooseLyricsEdit();
        p.ChooseLyricsEdit();
        QCOMPARE(p.Made, 1);
        p.Line(QStringLiteral("first"));
        p.Editor->SecEdit().setText(QStringLiteral("10"));
        p.Line(QStringLiteral("second"));
        QTest::mouseClick(&p.Editor->OkButton(), Qt::LeftButton);
        // No position comes while stopped: the panels must not wait for one.
        QVERIFY(p.Form.LyricsForm().isVisible());
        QCOMPARE(p.Form.LyricsForm().CurLyricsPanel().Caption(), QStringLiteral("first"));
        QCOMPARE(p.Form.LyricsForm().NextLyricsPanel().Caption(), QStringLiteral("second"));
    }

    void typeAndStampWhilePlaying()
    {
        TPlayer p;
        p.Drive.InsertDisc(p.Drive.AddDrive(QStringLiteral("sr0")),
                           TSimDisc::Audio({30, 40}, 0xA1));
        p.Form.FormCreate(1);
        QVERIFY(!p.Form.LyricsForm().isVisible()); // Depend: no lyrics yet
        QTest::mouseClick(&p.Form.PlayButton(), Qt::LeftButton);
        p.Tick();

        p.ChooseLyricsEdit();
        TLyricsEditForm& e = *p.Editor;
        QVERIFY(e.isVisible());
        QVERIFY(QTest::qWaitForWindowActive(&e));
        QCOMPARE(e.EditTrack(), 1);
        QCOMPARE(e.EditDiscID(), 0xA1u);
        QCOMPARE(QApplication::focusWidget(), &e.LyricsEdit());
        p.Line(QStringLiteral("one"));
        p.Line(QStringLiteral("two"));
        p.Line(QStringLiteral("three"));
        QCOMPARE(e.LyricsGrid().rowCount(), 4);

        // The player runs on while the lines are stamped: each press takes the gauge's second
        // and moves to the next line.
        QTableWidget& grid = e.LyricsGrid();
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                          grid.visualItemRect(grid.item(1, 2)).center());
        for (int i = 0; i < 4; ++i)
            p.Tick();
        QCOMPARE(p.Form.CurTimeGauge().Progress(), 5);
        QTest::mouseClick(&e.GetTimeButton(), Qt::LeftButton);
        for (int i = 0; i < 4; ++i)
            p.Tick();
        QTest::mouseClick(&e.GetTimeButton(), Qt::LeftButton);
        QCOMPARE(grid.currentRow(), 3);

        QTest::mouseClick(&e.OkButton(), Qt::LeftButton);
        QVERIFY(!e.isVisible());
        QVERIFY(p.Errors.isEmpty());
        QVERIFY(p.ReadData(0xA1).contains(
            "[Track01]\r\nTrack01\r\n\r\n00:00:one\r\n00:05:two\r\n00:09:three\r\n\r\n[Track02]"));
        // The track has lyrics now, so Depend shows the window at once; the panels follow at
        // the next position.
        QVERIFY(p.Form.LyricsForm().isVisible());
        p.Tick();
        QCOMPARE(p.Form.LyricsForm().CurLyricsPanel().Caption(), QStringLiteral("three"));
        QCOMPARE(p.Form.LyricsForm().NextLyricsPanel().Caption(), QString());

        // Opening again while it is open reloads the current track as stored.
        p.ChooseLyricsEdit();
        QCOMPARE(grid.rowCount(), 3);
        QCOMPARE(e.LyricsEdit().text(), QStringLiteral("one"));
    }

    void anotherDiscMeanwhile()
    {
        TPlayer p;
        const int drive = p.Drive.AddDrive(QStringLiteral("sr0"));
        p.Form.FormCreate(1);
        // No disc: the command does nothing.
        Q_EMIT p.Form.Menu().LyricsEditClick();
        QVERIFY(!p.Editor->isVisible());

        p.Drive.InsertDisc(drive, TSimDisc::Audio({30}, 0xB1));
        p.Tick();
        p.Tick();
        QCOMPARE(p.Model.DiscID(), 0xB1u);
        p.ChooseLyricsEdit();
        QVERIFY(p.Editor->isVisible());
        p.Line(QStringLiteral("lost"));

        p.Form.Controller().EjectButtonClick();
        p.Drive.SetDoorOpen(drive, false);
        p.Drive.InsertDisc(drive, TSimDisc::Audio({50}, 0xB2));
        p.Tick();
        p.Tick();
        QCOMPARE(p.Model.DiscID(), 0xB2u);
        const QList<TLyricRow> before = p.Editor->Rows();
        QTest::mouseClick(&p.Editor->GetTimeButton(), Qt::LeftButton);
        QCOMPARE(p.Editor->Rows(), before);
        QTest::mouseClick(&p.Editor->OkButton(), Qt::LeftButton);
        QVERIFY(!p.Editor->isVisible());
        QVERIFY(IsNoLyrics(p.Model.Tracks(1).Lyrics));
        QVERIFY(p.ReadData(0xB1).isEmpty());
        QVERIFY(p.ReadData(0xB2).isEmpty());
    }
};

QTEST_MAIN(TestMainLyricsEdit)
#include "tst_mainlyricsedit.moc"
