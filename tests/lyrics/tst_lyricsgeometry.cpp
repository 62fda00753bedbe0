#include <QTest>

#include "lyrics/LyricsGeometry.h"

using namespace qlnx;

class TestLyricsGeometry : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void panelsShareTheClientArea()
    {
        TLyricsLayout l = LayoutLyricsPanels(QSize(363, 92));
        QCOMPARE(l.CurLyricsPanel, QRect(8, 4, 347, 42));
        QCOMPARE(l.NextLyricsPanel, QRect(8, 50, 347, 42));

        l = LayoutLyricsPanels(QSize(200, 100));
        QCOMPARE(l.CurLyricsPanel, QRect(8, 4, 184, 46));
        QCOMPARE(l.NextLyricsPanel, QRect(8, 54, 184, 46));

        l = LayoutLyricsPanels(QSize(176, 40));
        QCOMPARE(l.CurLyricsPanel, QRect(8, 4, 160, 16));
        QCOMPARE(l.NextLyricsPanel, QRect(8, 24, 160, 16));
    }

    void clientHeightIsEven()
    {
        // Frame of 6 pixels: 107 outer is a client of 101, which becomes 100.
        QCOMPARE(EvenLyricsHeight(107, 6), 106);
        QCOMPARE(EvenLyricsHeight(106, 6), 106);
        QCOMPARE(EvenLyricsHeight(101, 0), 100);
        // An odd negative client height moves toward zero as well.
        QCOMPARE(EvenLyricsHeight(3, 6), 4);
        QCOMPARE(EvenLyricsHeight(2, 6), 2);
    }

    void minimumSize()
    {
        QCOMPARE(LyricsMinimumClientSize(20), QSize(176, 40));
        QCOMPARE(LyricsMinimumClientSize(24), QSize(208, 40));
    }

    void placement_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QRect>("main");
        QTest::addColumn<int>("lyricsWidth");
        QTest::addColumn<QPoint>("lyricsAt");

        const QRect main(100, 200, 300, 150);
        QTest::newRow("bottom-left") << 2 << main << 400 << QPoint(100, 350);
        QTest::newRow("bottom-right") << 3 << main << 400 << QPoint(0, 350);
        QTest::newRow("bottom-center") << 1 << main << 400 << QPoint(50, 350);
        // (301 - 400) div 2 = -49, truncated toward zero.
        QTest::newRow("bottom-center, odd negative half")
            << 1 << QRect(100, 200, 301, 150) << 400 << QPoint(51, 350);
        QTest::newRow("bottom-center, odd positive half")
            << 1 << QRect(100, 200, 301, 150) << 200 << QPoint(150, 350);
        QTest::newRow("bottom-center, off screen")
            << 1 << QRect(-500, -90, 301, 80) << 400 << QPoint(-549, -10);
    }

    void placement()
    {
        QFETCH(int, mode);
        QFETCH(QRect, main);
        QFETCH(int, lyricsWidth);
        QFETCH(QPoint, lyricsAt);

        const std::optional<QPoint> at =
            LyricsFormPosition(TLyricsFormSync(mode), main, lyricsWidth);
        QVERIFY(at);
        QCOMPARE(*at, lyricsAt);

        // Placing the main window from there puts it back where it was.
        const QRect lyrics(*at, QSize(lyricsWidth, 70));
        const std::optional<QPoint> back =
            MainFormPosition(TLyricsFormSync(mode), lyrics, main.size());
        QVERIFY(back);
        QCOMPARE(*back, main.topLeft());
    }

    void mainFollowsTheLyricsWindow()
    {
        // Bottom-Left: the lyrics window's top edge dragged up by 20 pixels.
        const QRect lyrics(100, 330, 400, 90);
        QCOMPARE(MainFormPosition(TLyricsFormSync::BottomLeft, lyrics, QSize(300, 150)),
                 std::optional(QPoint(100, 180)));
        QCOMPARE(MainFormPosition(TLyricsFormSync::BottomRight, lyrics, QSize(300, 150)),
                 std::optional(QPoint(200, 180)));
    }

    void noPlacementInModeNoneOrUnknown()
    {
        const QRect r(0, 0, 300, 150);
        for (int mode : {0, 4, -1, 255}) {
            QVERIFY(!LyricsFormPosition(TLyricsFormSync(mode), r, 400));
            QVERIFY(!MainFormPosition(TLyricsFormSync(mode), r, QSize(300, 150)));
        }
    }
};

QTEST_GUILESS_MAIN(TestLyricsGeometry)
#include "tst_lyricsgeometry.moc"
