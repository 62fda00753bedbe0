#include <algorithm>

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QTest>

#include "controls/AndPanel.h"
#include "support/FullDisk.h"
#include "support/PlayerRig.h"
#include "ui/MainMenu.h"
#include "ui/ProgramEdit.h"

using namespace qlnx;

// The programme editor as a user works it: clicks on lines and buttons, keys on the focus.
class TestProgramEdit : public QObject
{
    Q_OBJECT

    struct TPlayer : TPlayerRig
    {
        TProgramEditForm* Editor = new TProgramEditForm(&Form);
        TPlayer() { Form.SetProgramEditForm(Editor); }
        void Open() { Choose(Form.Menu().ProgramEdit()); }
        void Click(QPushButton& button) { QTest::mouseClick(&button, Qt::LeftButton); }
        static QPoint At(QListWidget& list, int row)
        {
            return list.visualItemRect(list.item(row)).center();
        }
        static void ClickLine(QListWidget& list, int row)
        {
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, At(list, row));
        }
        static void DoubleClickLine(QListWidget& list, int row)
        {
            // What the window system sends: a click, then a press that comes as a double click.
            const QPoint at = At(list, row);
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, at);
        }
        static int Selected(const QListWidget& list)
        {
            const auto items = list.selectedItems();
            return items.isEmpty() ? -1 : list.row(items.first());
        }
        QList<int> Lines() const
        {
            const std::vector<quint8> program = Editor->Program();
            return QList<int>(program.begin(), program.end());
        }
        QList<int> Order(std::span<const quint8> order) const
        {
            return QList<int>(order.begin(), order.end());
        }
    };

private Q_SLOTS:
    void anUnchangedProgrammeSavesNothingAndKeepsTheShuffle()
    {
        TPlayer p;
        const QByteArray file = "[order]\r\n03-01-02-01\r\n";
        p.Start({10, 10, 10}, 0xE1, file);
        p.Form.OptionAction(TPlayOption::Shuffle).trigger();
        p.Form.Controller().TrackComboChange(2);
        const QList<int> played = p.Order(p.Model.PlayOrder());
        const int track = p.Form.Controller().CurrentTrack();
        p.User = [&](QDialog&) {
            QCOMPARE(p.Lines(), (QList<int>{3, 1, 2, 1}));
            QCOMPARE(p.Editor->OrderList().item(0)->text(), QStringLiteral("Track03"));
            QCOMPARE(p.Selected(p.Editor->TrackList()), track - 1);
            QCOMPARE(p.Selected(p.Editor->OrderList()), p.Lines().indexOf(track));
            p.Click(p.Editor->OkButton());
        };
        p.Open();
        QVERIFY(!p.LeftOpen);
        QCOMPARE(p.ReadData(0xE1), file);
        QCOMPARE(p.Order(p.Model.PlayOrder()), played);
        QCOMPARE(p.Form.Controller().CurrentTrack(), track);
    }

    void aChangedProgrammeIsShuffledAndShownUnshuffledNextTime()
    {
        TPlayer p;
        p.Start({10, 10, 10, 10, 10}, 0xE2);
        p.Form.OptionAction(TPlayOption::Shuffle).trigger();
        p.User = [&](QDialog&) {
            p.ClickLine(p.Editor->OrderList(), 0);
            p.Click(p.Editor->DownButton());
            QCOMPARE(p.Selected(p.Editor->OrderList()), 1);
            p.Click(p.Editor->DownButton());
            p.Click(p.Editor->UpButton());
            QCOMPARE(p.Lines(), (QList<int>{2, 1, 3, 4, 5}));
            p.Click(p.Editor->OkButton());
        };
        p.Open();
        QCOMPARE(p.Order(p.Model.ProgramOrder()), (QList<int>{2, 1, 3, 4, 5}));
        QList<int> played = p.Order(p.Model.PlayOrder());
        std::sort(played.begin(), played.end());
        QCOMPARE(played, (QList<int>{1, 2, 3, 4, 5}));
        QVERIFY(p.ReadData(0xE2).contains("[Order]\r\n02-01-03-04-05\r\n"));
        QCOMPARE(p.Form.TrackCombo().count(), 5);

        p.User = [&](QDialog&) {
            QCOMPARE(p.Lines(), (QList<int>{2, 1, 3, 4, 5}));
            p.Key(Qt::Key_Escape);
        };
        p.Open();
        QCOMPARE(p.Runs, 2);
        QVERIFY(!p.LeftOpen);
    }

    void clearThenOkInstallsTheDiscOrder()
    {
        TPlayer p;
        p.Start({10, 10, 10}, 0xE3, "[Order]\r\n02-01\r\n");
        p.User = [&](QDialog&) {
            p.Click(p.Editor->ClearButton());
            QCOMPARE(p.Editor->OrderList().count(), 0);
            p.Click(p.Editor->OkButton());
        };
        p.Open();
        QCOMPARE(p.Order(p.Model.ProgramOrder()), (QList<int>{1, 2, 3}));
        QCOMPARE(p.Order(p.Model.PlayOrder()), (QList<int>{1, 2, 3}));
        QVERIFY(p.ReadData(0xE3).contains("[Order]\r\n01-02-03\r\n"));
    }

    void threeThreeOneIsSavedAndPlayed()
    {
        TPlayer p;
        p.Start({3, 3, 3}, 0xE4);
        p.Form.Controller().PlayButtonClick();
        p.Form.Controller().TrackComboChange(1); // track 2 plays: the new programme lacks it
        p.User = [&](QDialog&) {
            p.Click(p.Editor->ClearButton());
            QListWidget& tracks = p.Editor->TrackList();
            p.ClickLine(tracks, 2);
            p.Key(Qt::Key_Return);
            p.Click(p.Editor->AddButton());
            p.DoubleClickLine(tracks, 0);
            QCOMPARE(p.Lines(), (QList<int>{3, 3, 1}));
            QCOMPARE(p.Selected(p.Editor->OrderList()), 2);
            p.Editor->OkButton().setFocus();
            p.Key(Qt::Key_Return); // no button is the default: Enter closes nothing
            QVERIFY(p.Editor->isVisible());
            p.Key(Qt::Key_Space);
        };
        p.Open();
        QVERIFY(!p.LeftOpen);
        QVERIFY(p.ReadData(0xE4).contains("[Order]\r\n03-03-01\r\n"));
        QCOMPARE(p.Form.TrackCombo().count(), 3);
        QCOMPARE(p.Form.TrackCombo().itemText(2), QStringLiteral("Track01"));
        QVERIFY(p.Form.PlayButton().isVisible());

        QCOMPARE(p.Form.Controller().OrderIndex(), 1);
        p.Form.Controller().PlayButtonClick();
        QList<int> played{p.Form.Controller().CurrentTrack()};
        int index = p.Form.Controller().OrderIndex();
        for (int i = 0; i < 12 && played.size() < 4; ++i) {
            p.Tick();
            if (p.Form.Controller().OrderIndex() != index) {
                index = p.Form.Controller().OrderIndex();
                played.append(p.Form.Controller().CurrentTrack());
            }
        }
        QCOMPARE(played, (QList<int>{3, 3, 1, 3}));
    }

    void anEmptyProgrammeSelectsNothingAndOkFillsIt()
    {
        TPlayer p;
        p.Start({10, 10, 10, 10}, 0xE5, "[Order]\r\n\r\n");
        QCOMPARE(p.Model.OrderCount(), 0);
        p.User = [&](QDialog&) {
            QCOMPARE(p.Selected(p.Editor->TrackList()), -1);
            QCOMPARE(p.Editor->OrderList().count(), 0);
            p.Click(p.Editor->AddButton()); // no track chosen
            QCOMPARE(p.Editor->OrderList().count(), 0);
            p.Click(p.Editor->ResetButton());
            QCOMPARE(p.Lines(), (QList<int>{1, 2, 3, 4}));
            QCOMPARE(p.Selected(p.Editor->OrderList()), -1);
            for (QPushButton* b :
                 {&p.Editor->UpButton(), &p.Editor->DownButton(), &p.Editor->DelButton()})
                p.Click(*b);
            QCOMPARE(p.Lines(), (QList<int>{1, 2, 3, 4}));
            p.ClickLine(p.Editor->OrderList(), 2);
            p.Click(p.Editor->UpButton());
            QCOMPARE(p.Lines(), (QList<int>{1, 3, 2, 4}));
            p.Key(Qt::Key_Escape);
        };
        p.Open();
        QCOMPARE(p.Model.OrderCount(), 0);
        QCOMPARE(p.ReadData(0xE5), QByteArray("[Order]\r\n\r\n"));

        p.User = [&](QDialog&) { p.Click(p.Editor->OkButton()); };
        p.Open();
        QCOMPARE(p.Order(p.Model.ProgramOrder()), (QList<int>{1, 2, 3, 4}));
        QVERIFY(p.ReadData(0xE5).contains("[Order]\r\n01-02-03-04\r\n"));
    }

    void deleteKeepsASelectionWhileLinesRemainAndResetFollowsTheTrackList()
    {
        TPlayer p;
        p.Start({10, 10, 10, 10}, 0xE6);
        p.User = [&](QDialog&) {
            QListWidget& order = p.Editor->OrderList();
            QCOMPARE(p.Selected(order), 0);
            p.ClickLine(order, 3);
            p.Click(p.Editor->DelButton());
            QCOMPARE(p.Selected(order), 2); // the new last line
            p.ClickLine(order, 0);
            p.Key(Qt::Key_Return);
            QCOMPARE(p.Lines(), (QList<int>{2, 3}));
            QCOMPARE(p.Selected(order), 0); // the line that moved up
            p.Key(Qt::Key_Return, Qt::ControlModifier);
            QCOMPARE(p.Lines(), (QList<int>{3}));
            p.DoubleClickLine(order, 0);
            QCOMPARE(order.count(), 0);
            QCOMPARE(p.Selected(order), -1);
            p.Click(p.Editor->DelButton());
            QCOMPARE(order.count(), 0);

            p.ClickLine(p.Editor->TrackList(), 3);
            p.Click(p.Editor->ResetButton());
            QCOMPARE(p.Lines(), (QList<int>{1, 2, 3, 4}));
            QCOMPARE(p.Selected(order), 3);
            p.Click(p.Editor->CancelButton());
        };
        p.Open();
        QVERIFY(!p.LeftOpen);
        QVERIFY(!QFileInfo::exists(p.DataFile(0xE6)));
    }

    void addStopsAtOneHundredLines()
    {
        TPlayer p;
        p.Start({10, 10}, 0xE7);
        p.User = [&](QDialog&) {
            p.Click(p.Editor->ClearButton());
            p.ClickLine(p.Editor->TrackList(), 1);
            for (int i = 0; i < 101; ++i)
                p.Key(Qt::Key_Return);
            QCOMPARE(p.Editor->OrderList().count(), 100);
            QVERIFY(!p.Editor->AddButton().isEnabled());
            p.DoubleClickLine(p.Editor->TrackList(), 0);
            QCOMPARE(p.Editor->OrderList().count(), 100);
            p.Click(p.Editor->DelButton());
            QVERIFY(p.Editor->AddButton().isEnabled());
            p.Click(p.Editor->AddButton()); // the track the double click chose
            p.Click(p.Editor->OkButton());
        };
        p.Open();
        QCOMPARE(p.Model.OrderCount(), 100);
        QCOMPARE(p.Model.ProgramOrder()[99], 1);
        const QByteArray line = "[Order]\r\n" + QByteArray("02-").repeated(99) + "01\r\n";
        QVERIFY(p.ReadData(0xE7).contains(line));
    }

    void aDiscChangedWhileOpenGetsNothing()
    {
        TPlayer p;
        p.Start({10, 10}, 0xE8);
        p.User = [&](QDialog&) {
            p.Click(p.Editor->ClearButton());
            p.Drive.SetDoorOpen(0, true);
            p.Tick();
            p.Drive.InsertDisc(0, TSimDisc::Audio({20, 20, 20}, 0xE9));
            p.Drive.SetDoorOpen(0, false);
            p.Tick();
            QCOMPARE(p.Model.DiscID(), 0xE9u);
            p.Click(p.Editor->OkButton());
        };
        p.Open();
        QVERIFY(!p.LeftOpen);
        QCOMPARE(p.Order(p.Model.ProgramOrder()), (QList<int>{1, 2, 3}));
        QVERIFY(!QFileInfo::exists(p.DataFile(0xE8)));
        QVERIFY(!QFileInfo::exists(p.DataFile(0xE9)));
    }

    void aFailedSaveIsReportedAndTheProgrammeStays()
    {
        TPlayer p;
        const QByteArray before = "[Order]\r\n01-02\r\n";
        p.Start({10, 10}, 0xEA, before);
        p.User = [&](QDialog&) {
            p.ClickLine(p.Editor->OrderList(), 0);
            p.Click(p.Editor->DelButton());
            p.Click(p.Editor->OkButton());
        };
        {
            TFullDisk full;
            p.Open();
        }
        QCOMPARE(p.Errors,
                 QStringList{QStringLiteral("ファイル %1 を作成できません").arg(p.DataFile(0xEA))});
        QCOMPARE(p.ReadData(0xEA), before);
        QCOMPARE(p.Order(p.Model.PlayOrder()), QList<int>{2});
    }
};

QTEST_MAIN(TestProgramEdit)
#include "tst_progedit.moc"
