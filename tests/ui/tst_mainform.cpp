#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWindow>

#include "controls/AndPanel.h"
#include "controls/LGauge.h"
#include "disc/DiscDataFile.h"
#include "disc/DiscModel.h"
#include "lyricsui/LyricsForm.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "support/PlaybackRig.h"
#include "support/PlayerRig.h"
#include "support/SimulatedCdDrive.h"
#include "ui/Main.h"
#include "ui/MainMenu.h"
#include "ui/SeekInput.h"

using namespace qlnx;

// The player's windows on a simulated drive, offscreen: what a user sees while a disc plays.
class TestMainForm : public QObject
{
    Q_OBJECT

    using TPlayer = TPlayerRig;

private Q_SLOTS:
    void playsADiscWithLyrics()
    {
        TPlayer p;
        p.WriteData(0xBEEF, "[Artist]\r\nThe Band & Co\r\n[Title]\r\nFirst Light\r\n"
                            "[Order]\r\n01-02\r\n[Track01]\r\nOpening\r\n\r\n00:00:la la\r\n"
                            "00:03:second line\r\n00:06:\r\n[Track02]\r\nClosing\r\n");
        p.Drive.InsertDisc(p.Drive.AddDrive(QStringLiteral("demo.cue")),
                           TSimDisc::Audio({10, 65}, 0xBEEF));
        p.Form.FormCreate(1);

        QCOMPARE(p.Form.ArtistPanel().Caption(), QStringLiteral("The Band & Co"));
        QCOMPARE(p.Form.TitlePanel().Caption(), QStringLiteral("First Light"));
        QCOMPARE(p.Form.TrackPanel().Caption(), QStringLiteral("Opening"));
        QCOMPARE(p.Form.windowTitle(), QStringLiteral("Opening - The Band & Co"));
        QCOMPARE(p.Form.TrackPanel().toolTip(), QStringLiteral("Track 1/2"));
        QCOMPARE(p.Form.CurTimeGauge().toolTip(), QStringLiteral("0:10"));
        QCOMPARE(p.Form.CurTimeGauge().MaxValue(), 10);
        QCOMPARE(p.Form.CurTimeGauge().Text(), QStringLiteral("0:00"));
        QVERIFY(p.Form.PlayButton().isVisible());
        // Depend: the first track has lyrics, so the lyrics window shows.
        QVERIFY(p.Form.LyricsForm().isVisible());
        QCOMPARE(p.Form.LyricsForm().CurLyricsPanel().Caption(), QStringLiteral("la la"));
        QCOMPARE(p.Form.LyricsForm().NextLyricsPanel().Caption(), QStringLiteral("second line"));

        QTest::mouseClick(&p.Form.PlayButton(), Qt::LeftButton);
        QVERIFY(!p.Form.PlayButton().isVisible());
        QVERIFY(p.Form.PauseButton().isVisible());
        p.Tick();
        p.Tick();
        p.Tick();
        QCOMPARE(p.Form.CurTimeGauge().Text(), QStringLiteral("0:03"));
        QCOMPARE(p.Form.CurTimeGauge().Progress(), 3);
        QCOMPARE(p.Form.LyricsForm().CurLyricsPanel().Caption(), QStringLiteral("second line"));
        QCOMPARE(p.Form.LyricsForm().NextLyricsPanel().Caption(), QString());
        for (int i = 0; i < 4; ++i)
            p.Tick();
        QCOMPARE(p.Form.LyricsForm().CurLyricsPanel().Caption(), QString());

        // Into track 2, which has no lyrics: the row, the title and the gauge follow and the
        // lyrics window hides.
        for (int i = 0; i < 5; ++i)
            p.Tick();
        QCOMPARE(p.Form.TrackPanel().Caption(), QStringLiteral("Closing"));
        QCOMPARE(p.Form.windowTitle(), QStringLiteral("Closing - The Band & Co"));
        QCOMPARE(p.Form.CurTimeGauge().Text(), QStringLiteral("0:02"));
        QCOMPARE(p.Form.CurTimeGauge().MaxValue(), 65);
        QCOMPARE(p.Form.CurTimeGauge().toolTip(), QStringLiteral("1:05"));
        QVERIFY(!p.Form.LyricsForm().isVisible());
        QCOMPARE(p.Form.TrackCombo().currentIndex(), 1);

        // Eject: everything is reset, then "No CD".
        p.Form.Controller().EjectButtonClick();
        QCOMPARE(p.Form.windowTitle(), QStringLiteral("Quellon"));
        QCOMPARE(p.Form.TitlePanel().Caption(), QStringLiteral("Please wait..."));
        QCOMPARE(p.Form.ArtistPanel().Caption(), QString());
        QCOMPARE(p.Form.TrackCombo().count(), 0);
        p.Tick();
        QCOMPARE(p.Form.TitlePanel().Caption(), QStringLiteral("No CD"));
        QVERIFY(p.Errors.isEmpty());
    }

    void trackNumberStylesAndTheList()
    {
        TPlayer p;
        p.WriteData(0x31, "[Order]\r\n03-01-03\r\n[Track03]\r\nSong\r\n[Track01]\r\nIntro\r\n");
        p.Drive.InsertDisc(p.Drive.AddDrive(QStringLiteral("sr0")),
                           TSimDisc::Audio({60, 60, 245}, 0x31));
        p.Form.FormCreate(1);
        p.Form.SetTrackNumberStyle(TTrackNumberStyle::Simple);
        QStringList items;
        for (int i = 0; i < p.Form.TrackCombo().count(); ++i)
            items.append(p.Form.TrackCombo().itemText(i));
        QCOMPARE(items, (QStringList{"3.Song", "1.Intro", "3.Song"}));
        p.Form.Controller().TrackComboChange(2);
        QCOMPARE(p.Form.TrackPanel().Caption(), QStringLiteral("3.Song"));
        QCOMPARE(p.Form.TrackPanel().toolTip(), QStringLiteral("Track 3/3"));
        QCOMPARE(p.Form.CurTimeGauge().toolTip(), QStringLiteral("4:05"));
        p.Form.SetTrackNumberStyle(TTrackNumberStyle::Brackets1);
        QCOMPARE(p.Form.TrackCombo().currentIndex(), 2);
        QCOMPARE(p.Form.windowTitle(), QStringLiteral("[3]Song - Artist"));
        QCOMPARE(TrackItem(TTrackNumberStyle::Brackets2, 12, QStringLiteral("x")),
                 QStringLiteral("<12>x"));
    }

    void layoutAndSnapping()
    {
        TPlayer p;
        p.Drive.AddDrive(QStringLiteral("sr0"));
        p.Form.FormCreate(1);
        QCOMPARE(p.Form.size(), QSize(176, 108));
        QCOMPARE(p.Form.ArtistPanel().geometry(), QRect(8, 4, 160, 16));
        QCOMPARE(p.Form.TrackPanel().geometry(), QRect(8, 44, 160, 16));
        QCOMPARE(p.Form.CurTimeGauge().geometry(), QRect(8, 64, 160, 16));
        QCOMPARE(p.Form.PlayButton().geometry(), QRect(8, 84, 40, 20));
        QCOMPARE(p.Form.TrackCombo().geometry(), QRect(8, 44, 160, 10));
        p.Form.resize(300, 113);
        QCOMPARE(p.Form.height(), 112);
        p.Form.resize(300, 115);
        QCOMPARE(p.Form.height(), 116);
        QCOMPARE(p.Form.CurTimeGauge().geometry(), QRect(8, 70, 284, 18));
        // The drive list is two characters wide, centred behind the title row.
        QCOMPARE(p.Form.DriveCombo().geometry(), QRect(137, 26, 26, 12));
    }

    void lyricsWindowModesAndPlacement()
    {
        TPlayer p;
        p.Drive.AddDrive(QStringLiteral("sr0"));
        p.Form.FormCreate(1);
        QVERIFY(!p.Form.LyricsForm().isVisible()); // Depend, no disc
        p.Form.SetLyricsFormMode(0);
        QVERIFY(p.Form.LyricsForm().isVisible());
        // Close on its own menu is the same as Off.
        Q_EMIT p.Form.LyricsForm().CloseClick();
        QVERIFY(!p.Form.LyricsForm().isVisible());
        QCOMPARE(p.Form.LyricsFormMode(), 1);

        p.Form.move(100, 200);
        p.Form.resize(300, 152);
        p.Form.LyricsForm().resize(400, 60);
        p.Form.SetLyricsFormSync(3);
        QCOMPARE(p.Form.LyricsForm().pos(), QPoint(0, 352));
        p.Form.SetLyricsFormSync(2);
        QCOMPARE(p.Form.LyricsForm().pos(), QPoint(100, 352));
        p.Form.move(120, 210);
        QCOMPARE(p.Form.LyricsForm().pos(), QPoint(120, 362));
    }

    void seekButtonsHoldOnTheLeftButtonAndSpaceOnly()
    {
        TPlayer p;
        p.Drive.InsertDisc(p.Drive.AddDrive(QStringLiteral("sr0")),
                           TSimDisc::Audio({60, 60}, 0x51));
        p.Form.FormCreate(1);
        QPushButton& forward = p.Form.ForwardButton();
        QTest::mousePress(&forward, Qt::RightButton);
        QVERIFY(!p.Form.Controller().Seeking());
        QTest::mousePress(&forward, Qt::LeftButton);
        QVERIFY(p.Form.Controller().Seeking());
        QTest::mouseRelease(&forward, Qt::RightButton);
        QVERIFY(p.Form.Controller().Seeking()); // not the left button: the hold goes on
        QTest::mouseRelease(&forward, Qt::LeftButton);
        QVERIFY(!p.Form.Controller().Seeking());

        // A second press right after a click comes as a double click: a press all the same.
        QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(5, 5),
                                forward.mapToGlobal(QPointF(5, 5)), Qt::LeftButton, Qt::LeftButton,
                                Qt::NoModifier);
        QApplication::sendEvent(&forward, &doubleClick);
        QVERIFY(p.Form.Controller().Seeking());
        QTest::mouseRelease(&forward, Qt::LeftButton);
        QVERIFY(!p.Form.Controller().Seeking());

        // The space key. A release waits for the press of an X repeat pair (no wait here).
        p.Form.SeekInput().SetRepeatGrace(0);
        QTest::keyPress(&forward, Qt::Key_Return);
        QVERIFY(!p.Form.Controller().Seeking());
        QTest::keyPress(&forward, Qt::Key_Space);
        QVERIFY(p.Form.Controller().Seeking());
        QTest::keyRelease(&forward, Qt::Key_Return);
        QCoreApplication::processEvents();
        QVERIFY(p.Form.Controller().Seeking());
        // Held: release/press pairs not flagged as repeats keep the one hold going.
        const int ticks = p.Form.Controller().Timer().interval();
        for (int i = 0; i < 3; ++i) {
            QTest::keyRelease(&forward, Qt::Key_Space);
            QTest::keyPress(&forward, Qt::Key_Space);
            QCoreApplication::processEvents();
            QVERIFY(p.Form.Controller().Seeking());
        }
        QCOMPARE(p.Form.Controller().Timer().interval(), ticks);
        QTest::keyRelease(&forward, Qt::Key_Space);
        QCoreApplication::processEvents();
        QVERIFY(!p.Form.Controller().Seeking());

        // The focus leaving the button ends a space hold: the release will go elsewhere.
        QTest::keyPress(&forward, Qt::Key_Space);
        QVERIFY(p.Form.Controller().Seeking());
        QFocusEvent focusOut(QEvent::FocusOut, Qt::MouseFocusReason);
        QApplication::sendEvent(&forward, &focusOut);
        QVERIFY(!p.Form.Controller().Seeking());
    }

    void theMenuAndItsEditorItems()
    {
        TPlayer p;
        const int drive = p.Drive.AddDrive(QStringLiteral("sr0"));
        p.Form.FormCreate(1);
        QStringList captions;
        for (const QAction* item : p.Form.PopupMenu().actions()) {
            QString caption = item->isSeparator() ? QStringLiteral("-") : item->text();
            if (item->menu()) {
                QStringList sub;
                for (const QAction* choice : item->menu()->actions())
                    sub.append(choice->isSeparator() ? QStringLiteral("-") : choice->text());
                caption += u'(' + sub.join(u'|') + u')';
            }
            captions.append(caption);
        }
        QCOMPARE(captions,
                 (QStringList{"Repeat &1",
                              "&Repeat",
                              "&Multi Drive",
                              "&Shuffle",
                              "Stop at &Close",
                              "-",
                              "&Data Edit",
                              "&Lyrics Edit",
                              "&Program Edit",
                              "Look &Up Disc...",
                              "&Open Image...",
                              "-",
                              "Stay on &Top",
                              "L&yrics Form(O&n|O&ff|&Depend)",
                              "L&yrics Form Sync(&None|Bottom - &Center|Bottom - &Left|Bottom - "
                              "&Right)",
                              "Track &Number(&None|n.|[n]|<n>)",
                              "Time &Gauge(&Fore Color|&Back Color|-|&Invert Text)",
                              "&Font",
                              "-",
                              "&About",
                              "Minimi&ze",
                              "E&xit"}));

        // Greyed without a disc, also when the menu opens.
        TMainMenu& menu = p.Form.Menu();
        Q_EMIT p.Form.PopupMenu().aboutToShow();
        QVERIFY(!menu.DataEdit().isEnabled());
        p.Drive.InsertDisc(drive, TSimDisc::Audio({60, 60}, 0x61));
        p.Tick();
        QVERIFY(!menu.LyricsEdit().isEnabled()); // enabled only when the menu opens
        Q_EMIT p.Form.PopupMenu().aboutToShow();
        QVERIFY(menu.DataEdit().isEnabled());
        QVERIFY(menu.LyricsEdit().isEnabled());
        QVERIFY(menu.ProgramEdit().isEnabled());
        QVERIFY(menu.LookUpDisc().isEnabled());
        // Ejecting resets the display, which greys them again.
        p.Form.Controller().EjectButtonClick();
        QVERIFY(!menu.ProgramEdit().isEnabled());
        QVERIFY(!menu.LookUpDisc().isEnabled());
    }

    void stayOnTopAndInvertTextToggle()
    {
        TPlayer p;
        p.Drive.AddDrive(QStringLiteral("sr0"));
        p.Form.FormCreate(1);
        TMainMenu& menu = p.Form.Menu();
        menu.StayOnTop().trigger();
        QVERIFY(menu.StayOnTop().isChecked());
        QVERIFY(p.Form.windowHandle()->flags() & Qt::WindowStaysOnTopHint);
        QVERIFY(p.Form.LyricsForm().windowFlags() & Qt::WindowStaysOnTopHint ||
                (p.Form.LyricsForm().windowHandle() &&
                 p.Form.LyricsForm().windowHandle()->flags() & Qt::WindowStaysOnTopHint));
        menu.StayOnTop().trigger();
        QVERIFY(!menu.StayOnTop().isChecked());
        QVERIFY(!(p.Form.windowHandle()->flags() & Qt::WindowStaysOnTopHint));
        menu.InvertText().trigger();
        QVERIFY(menu.InvertText().isChecked());
        QVERIFY(p.Form.CurTimeGauge().InvertText());
    }

    void theGluedPairFollowsTheLyricsWindowToo()
    {
        TPlayer p;
        p.Drive.AddDrive(QStringLiteral("sr0"));
        p.Form.FormCreate(1);
        p.Form.SetLyricsFormMode(0);
        p.Form.move(100, 200);
        p.Form.resize(300, 152);
        p.Form.SetLyricsFormSync(2); // Bottom-Left
        QCOMPARE(p.Form.LyricsForm().pos(), QPoint(100, 352));
        // The user drags the lyrics window: the main window comes along, exactly.
        p.Form.LyricsForm().move(150, 400);
        QCOMPARE(p.Form.pos(), QPoint(150, 248));
        QCOMPARE(p.Form.LyricsForm().pos(), QPoint(150, 400));
        // A resize at its top edge arrives as a resize and a separate move: both count.
        p.Form.LyricsForm().resize(p.Form.LyricsForm().width(), 80);
        p.Form.LyricsForm().move(150, 380);
        QCOMPARE(p.Form.frameGeometry().bottom() + 1, 380);
    }

    void dropDownListsKeepTheRowsWidthAndEdgesShow()
    {
        TPlayer p;
        p.WriteData(0x71,
                    "[Track01]\r\nA very long track name that is much wider than the row\r\n");
        p.Drive.InsertDisc(p.Drive.AddDrive(QStringLiteral("sr0")), TSimDisc::Audio({60}, 0x71));
        p.Drive.AddDrive(QStringLiteral("Artist - A rather long album title.cue"));
        p.Form.FormCreate(1);
        p.Form.move(40, 40);
        QComboBox& list = p.Form.TrackCombo();
        list.showPopup();
        const QWidget* popup = list.view()->window();
        QCOMPARE(popup->width(), list.width());
        QCOMPARE(popup->x(), list.mapToGlobal(QPoint(0, 0)).x());
        list.hidePopup();
        // The drive row is narrow; its list is as wide as an image's name needs.
        QComboBox& drives = p.Form.DriveCombo();
        drives.showPopup();
        QVERIFY(drives.view()->window()->width() >=
                drives.fontMetrics().horizontalAdvance(drives.itemText(1)));
        drives.hidePopup();

        const QImage shot = p.Form.grab().toImage();
        const QColor edge = p.Form.palette().color(QPalette::Shadow);
        QCOMPARE(shot.pixelColor(0, 0).rgb(), edge.rgb());
        QCOMPARE(shot.pixelColor(shot.width() - 1, shot.height() / 2).rgb(), edge.rgb());
    }

    void firstStartWithoutSettingsAndTheFileWrittenAtClose()
    {
        TPlayer p;
        p.Drive.AddDrive(QStringLiteral("sr0"));
        p.Form.FormCreate(1);
        QCOMPARE(p.Form.pos(), QPoint(0, 0));
        QCOMPARE(p.Form.size(), p.Form.minimumSize());
        QCOMPARE(p.Form.LyricsForm().pos(), QPoint(0, p.Form.height()));
        QCOMPARE(p.Form.LyricsForm().size(), p.Form.LyricsForm().minimumSize());
        QCOMPARE(p.Form.LyricsFormMode(), int(TLyricsFormMode::Depend));
        // The default "ＭＳ Ｐゴシック" (written back below) under its stand-in here.
        QCOMPARE(p.Form.font().family(), QStringLiteral("IPAPGothic"));
        QCOMPARE(p.Form.font().pointSize(), 10);
        QCOMPARE(p.Form.LyricsForm().NextLyricsPanel().FontColor(), clGrayText);
        QVERIFY(p.Form.OptionAction(TPlayOption::Repeat).isChecked());
        QVERIFY(p.Form.OptionAction(TPlayOption::StopAtClose).isChecked());
        QVERIFY(!p.Form.OptionAction(TPlayOption::Shuffle).isChecked());
        QVERIFY(!p.Form.Menu().StayOnTop().isChecked());
        QCOMPARE(p.Form.Controller().Interval(), 1000);

        p.Form.close();
        const TIniFile written(p.Dir.path() + QStringLiteral("/qlnx.ini"));
        QCOMPARE(written.ReadInteger(QStringLiteral("LyricsForm"), QStringLiteral("Top"), -1),
                 p.Form.height());
        QCOMPARE(written.ReadString(QStringLiteral("Option"), QStringLiteral("DataDir"), {}),
                 QStringLiteral("data\\"));
        TSettings expected;
        expected.MainBounds = {0, 0, p.Form.width(), p.Form.height()};
        expected.LyricsBounds = {0, p.Form.height(), p.Form.LyricsForm().width(),
                                 p.Form.LyricsForm().height()};
        QVERIFY(ReadSettings(written) == expected);
    }

    void storedSettingsComeBackUnchanged()
    {
        TPlayer p;
        const QString file = p.Dir.path() + QStringLiteral("/qlnx.ini");
        QFile ini(file);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("; mine\r\n[MainForm]\r\nLeft=120\r\nTop=80\r\nWidth=330\r\nHeight=160\r\n"
                  "[LyricsForm]\r\nLeft=120\r\nTop=240\r\nWidth=400\r\nHeight=70\r\n"
                  "[MainFont]\r\nName=ＭＳ ゴシック\r\nSize=12\r\nColor=clRed\r\nStyle=3\r\n"
                  "[NextLyricsFont]\r\nColor=$00C08040\r\n"
                  "[TimeGauge]\r\nForeColor=clNavy\r\nBackColor=clYellow\r\nInvertText=1\r\n"
                  "[Option]\r\nRepeat=0\r\nShuffle=1\r\nMultiDrive=1\r\nStopAtClose=0\r\n"
                  "StayOnTop=1\r\nLyricsForm=1\r\nLyricsFormSync=2\r\nTrackNumber=3\r\n"
                  "DataDir=/tmp/discs/\r\nInterval=0x1F4\r\n[Other]\r\nKeep=me\r\n");
        ini.close();
        const TSettings before = ReadSettings(TIniFile(file));
        p.Drive.AddDrive(QStringLiteral("sr0"));
        p.Form.FormCreate(1);
        QCOMPARE(p.Form.Controller().Interval(), 500);
        QVERIFY(p.Form.Menu().StayOnTop().isChecked());
        QVERIFY(p.Form.windowHandle()->flags() & Qt::WindowStaysOnTopHint);
        QVERIFY(p.Form.CurTimeGauge().InvertText());
        QVERIFY(p.Form.Menu().InvertText().isChecked());
        QCOMPARE(p.Form.ArtistPanel().FontColor(), clRed);
        QVERIFY(p.Form.font().bold() && p.Form.font().italic());
        // The stand-in is asked for and drawn with; the Windows name goes back into the file.
        QCOMPARE(p.Form.font().families(), QStringList{QStringLiteral("IPAGothic")});
        QCOMPARE(p.Form.TrackNumberStyle(), TTrackNumberStyle::Brackets2);
        QCOMPARE(p.Model.DataDir(), QStringLiteral("/tmp/discs/"));
        QVERIFY(!p.Form.LyricsForm().isVisible()); // Off

        p.Form.close();
        const TSettings after = ReadSettings(TIniFile(file));
        QCOMPARE(after.MainBounds.Left, before.MainBounds.Left);
        QCOMPARE(after.MainBounds.Top, before.MainBounds.Top);
        QCOMPARE(after.MainBounds.Width, before.MainBounds.Width);
        QCOMPARE(after.MainBounds.Height, before.MainBounds.Height);
        QCOMPARE(after.LyricsBounds.Left, before.LyricsBounds.Left);
        QCOMPARE(after.LyricsBounds.Top, before.LyricsBounds.Top);
        QCOMPARE(after.LyricsBounds.Width, before.LyricsBounds.Width);
        QCOMPARE(after.LyricsBounds.Height, before.LyricsBounds.Height);
        QVERIFY(after.MainFont == before.MainFont);
        QVERIFY(after.CurLyricsFont == before.CurLyricsFont);
        QVERIFY(after.NextLyricsFont == before.NextLyricsFont);
        QVERIFY(after == before);
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        QVERIFY(text.startsWith("; mine\r\n"));
        QVERIFY(text.contains("[Other]\r\nKeep=me\r\n"));
        QVERIFY(text.contains("Color=clRed\r\n"));
        QVERIFY(text.contains("Color=$00C08040\r\n"));
    }

    void modesOutsideTheirRangeCheckNoItem()
    {
        TPlayer p;
        QFile ini(p.Dir.path() + QStringLiteral("/qlnx.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Option]\r\nLyricsForm=7\r\nLyricsFormSync=9\r\nTrackNumber=300\r\n");
        ini.close();
        p.WriteData(0x91, "[Track01]\r\nFirst\r\n");
        p.Drive.InsertDisc(p.Drive.AddDrive(QStringLiteral("sr0")), TSimDisc::Audio({60}, 0x91));
        p.Form.FormCreate(1);
        const auto checkedIn = [&](const QString& caption) {
            for (QAction* item : p.Form.PopupMenu().actions())
                if (item->text() == caption)
                    for (QAction* choice : item->menu()->actions())
                        if (choice->isChecked())
                            return true;
            return false;
        };
        QVERIFY(!checkedIn(QStringLiteral("L&yrics Form")));
        QVERIFY(!checkedIn(QStringLiteral("L&yrics Form Sync")));
        QVERIFY(!checkedIn(QStringLiteral("Track &Number")));
        QCOMPARE(p.Form.LyricsFormMode(), 7);
        QCOMPARE(p.Form.TrackCombo().itemText(0), QStringLiteral("First")); // 300 is 44: no prefix
        QVERIFY(!p.Form.LyricsForm().isVisible());
    }

    void aFailedSettingsSaveIsReportedAndTheProgramStillCloses()
    {
        TPlayer p;
        QVERIFY(QDir(p.Dir.path()).mkdir(QStringLiteral("qlnx.ini"))); // cannot become a file
        p.Drive.AddDrive(QStringLiteral("sr0"));
        p.Form.FormCreate(1);
        QVERIFY(p.Form.close());
        QCOMPARE(p.Errors.size(), 1);
        QVERIFY(p.Errors.first().endsWith(QStringLiteral("qlnx.ini に書き込めません")));
    }

    void dependWaitsForAnOpenMenuToClose()
    {
        TPlayer p;
        p.WriteData(0x81, "[Track02]\r\nSung\r\n00:01:la la\r\n");
        p.Drive.InsertDisc(p.Drive.AddDrive(QStringLiteral("sr0")),
                           TSimDisc::Audio({60, 60}, 0x81));
        p.Form.FormCreate(1);
        QVERIFY(!p.Form.LyricsForm().isVisible());
        p.Form.PopupMenu().popup(p.Form.mapToGlobal(QPoint(20, 20)));
        QVERIFY(p.Form.PopupMenu().isVisible());
        p.Form.Controller().TrackComboChange(1); // a track with lyrics while the menu is open
        QVERIFY(p.Form.PopupMenu().isVisible());
        QVERIFY(!p.Form.LyricsForm().isVisible());
        p.Form.PopupMenu().hide();
        QCoreApplication::processEvents();
        QVERIFY(p.Form.LyricsForm().isVisible());
        // Back to a track without lyrics before the menu closes: nothing shows.
        p.Form.Controller().TrackComboChange(0);
        p.Form.PopupMenu().popup(p.Form.mapToGlobal(QPoint(20, 20)));
        p.Form.Controller().TrackComboChange(1);
        p.Form.Controller().TrackComboChange(0);
        p.Form.PopupMenu().hide();
        QCoreApplication::processEvents();
        QVERIFY(!p.Form.LyricsForm().isVisible());
    }

    // A disc image dropped on the lyrics window opens as one dropped on the main window: it
    // joins the drives, is remembered once and its disc is loaded. Other files are refused.
    void aDroppedImageOpensFromEitherWindow()
    {
        TPlayer p;
        p.Start({30}, 0x51);
        QTemporaryDir images;
        const QString a = images.filePath(QStringLiteral("a.cue"));
        const QString b = images.filePath(QStringLiteral("b.toc"));
        p.Drive.ImageDiscs[a] = TSimDisc::Audio({40, 50}, 0xA0);
        p.Drive.ImageDiscs[b] = TSimDisc::Audio({60}, 0xB0);
        const auto drop = [](QWidget& window, const QString& path) {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(path)});
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(&window, &enter);
            if (!enter.isAccepted())
                return false;
            QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(&window, &dropped);
            return dropped.isAccepted();
        };
        TLyricsForm& lyrics = p.Form.LyricsForm();
        QVERIFY(!drop(lyrics, images.filePath(QStringLiteral("notes.txt"))));
        QCOMPARE(p.Controller().Drives().size(), 1);

        QVERIFY(drop(lyrics, a));
        QCOMPARE(p.Controller().Drives(), (QStringList{"sr0", "a.cue"}));
        QCOMPARE(p.Model.DiscID(), 0xA0u);
        QVERIFY(drop(p.Form, b));
        QCOMPARE(p.Model.DiscID(), 0xB0u);
        QVERIFY(drop(lyrics, a)); // again: the drive it has
        QCOMPARE(p.Controller().Drives().size(), 3);
        QCOMPARE(p.Model.DiscID(), 0xA0u);
        const TIniFile ini(p.Dir.filePath(QStringLiteral("qlnx.ini")));
        QCOMPARE(ini.ReadString(QStringLiteral("Drives"), QStringLiteral("Image1"), {}), a);
        QCOMPARE(ini.ReadString(QStringLiteral("Drives"), QStringLiteral("Image2"), {}), b);
        QVERIFY(ini.ReadString(QStringLiteral("Drives"), QStringLiteral("Image3"), {}).isEmpty());
    }

    void rightClickOpensTheMenu()
    {
        TPlayer p;
        p.Drive.AddDrive(QStringLiteral("sr0"));
        p.Form.FormCreate(1);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(50, 30),
                                p.Form.mapToGlobal(QPoint(50, 30)));
        QApplication::sendEvent(&p.Form.TitlePanel(), &event);
        QVERIFY(p.Form.PopupMenu().isVisible());
        p.Form.PopupMenu().hide();
        // A play mode toggled through the menu reaches the playback logic exactly once.
        QAction& shuffle = p.Form.OptionAction(TPlayOption::Shuffle);
        shuffle.trigger();
        QVERIFY(shuffle.isChecked());
        QVERIFY(p.Form.OptionAction(TPlayOption::Shuffle).isChecked());
        p.Form.OptionAction(TPlayOption::Repeat1).trigger();
        QVERIFY(!p.Form.OptionAction(TPlayOption::Repeat).isEnabled());
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
