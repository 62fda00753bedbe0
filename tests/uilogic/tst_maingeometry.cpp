#include <QTest>

#include "uilogic/MainGeometry.h"

using namespace qlnx;

class TestMainGeometry : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void smallestWindow()
    {
        const TMainLayout l = LayoutMainRows({QSize(176, 108)});
        QCOMPARE(l.RowUnit, 20);
        QCOMPARE(l.ArtistPanel, QRect(8, 4, 160, 16));
        QCOMPARE(l.TitlePanel, QRect(8, 24, 160, 16));
        QCOMPARE(l.TrackPanel, QRect(8, 44, 160, 16));
        QCOMPARE(l.CurTimeGauge, QRect(8, 64, 160, 16));
        QCOMPARE(l.ComboFieldHeight, 10);
        QCOMPARE(l.DriveComboPos, QPoint(76, 24));
        QCOMPARE(l.TrackComboPos, QPoint(8, 44));
        QCOMPARE(l.TrackComboWidth, 160);
        QCOMPARE(l.ButtonTop, 84);
        // Eject sits right after Next at the smallest width.
        QCOMPARE(l.Button(TMainButton::Eject), QRect(148, 84, 20, 20));
        QCOMPARE(l.Button(TMainButton::Next).left() + l.Button(TMainButton::Next).width(), 148);
        QCOMPARE(l.Button(TMainButton::Play), QRect(8, 84, 40, 20));
        QCOMPARE(l.Button(TMainButton::Pause), l.Button(TMainButton::Play));
        QCOMPARE(l.Button(TMainButton::Stop), QRect(48, 84, 20, 20));
        QCOMPARE(l.Button(TMainButton::Back), QRect(88, 84, 20, 20));
    }

    void designWindowAndUnsnappedHeight()
    {
        // The design client area, 272 wide: rows 256 wide as designed.
        TMainLayout l = LayoutMainRows({QSize(272, 150)});
        QCOMPARE(l.RowUnit, 30);
        QCOMPARE(l.ArtistPanel, QRect(8, 4, 256, 26));
        QCOMPARE(l.CurTimeGauge, QRect(8, 94, 256, 26));
        QCOMPARE(l.DriveComboPos, QPoint(124, 34));
        QCOMPARE(l.Button(TMainButton::Eject).left(), 244);

        // A height between two steps rounds the pitch down; an odd width halves toward zero.
        l = LayoutMainRows({QSize(301, 111), 20, 26, 22});
        QCOMPARE(l.RowUnit, 20);
        QCOMPARE(l.DriveComboPos.x(), 150 - 13);
        QCOMPARE(l.Button(TMainButton::Eject), QRect(301 - 8 - 22, 84, 22, 20));
    }

    void comboMetrics()
    {
        // A 10-point font at 96 dpi is 13 pixels high.
        const TComboMetrics m = ComboMetrics(13, 272);
        QCOMPARE(m.DriveComboWidth, 26);
        QCOMPARE(m.DriveComboLeft, 123);
        QCOMPARE(m.ItemHeight, 13);
        QCOMPARE(ComboMetrics(13, 177).DriveComboLeft, 88 - 13);
    }

    void minimumSize()
    {
        QCOMPARE(MainMinimumClientSize(20, 20), QSize(176, 108));
        QCOMPARE(MainMinimumClientSize(24, 22), QSize(208, 110));
        // At the smallest height the pitch is exactly 20.
        QCOMPARE(LayoutMainRows({MainMinimumClientSize(20, 20)}).RowUnit, 20);
    }

    void heightSnapping_data()
    {
        QTest::addColumn<int>("proposed");
        QTest::addColumn<int>("frame");
        QTest::addColumn<int>("snapped");
        QTest::newRow("exact") << 112 << 0 << 112;
        QTest::newRow("remainder 1") << 113 << 0 << 112;
        QTest::newRow("remainder 2") << 114 << 0 << 112;
        QTest::newRow("remainder 3") << 115 << 0 << 116;
        QTest::newRow("with a frame") << 113 + 6 << 6 << 112 + 6;
        // Below the button row the remainder is negative and the height grows to the step.
        QTest::newRow("remainder -1") << 27 << 0 << 28;
        QTest::newRow("remainder -2") << 26 << 0 << 28;
        QTest::newRow("remainder -3") << 25 << 0 << 28;
    }

    void heightSnapping()
    {
        QFETCH(int, proposed);
        QFETCH(int, frame);
        QFETCH(int, snapped);
        QCOMPARE(SnapMainHeight(proposed, frame, 20), snapped);
    }
};

QTEST_GUILESS_MAIN(TestMainGeometry)
#include "tst_maingeometry.moc"
