#include <QTest>

#include "disc/Tmsf.h"

using namespace qlnx;

// Packed positions and lengths: every byte in its place, the frame conversions reversible,
// and the text form the logs and tools print.
class TestTmsf : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void packing()
    {
        QCOMPARE(PackTmsf(3, 4, 5, 0), 0x00050403u);
        const quint32 p = PackTmsf(99, 255, 59, 74);
        QCOMPARE(TmsfTrack(p), 99);
        QCOMPARE(TmsfMinutes(p), 255);
        QCOMPARE(TmsfSeconds(p), 59);
        QCOMPARE(TmsfFrames(p), 74);
        const quint32 l = PackMsf(3, 25, 74);
        QCOMPARE(l, 0x004A1903u);
        QCOMPARE(MsfMinutes(l), 3);
        QCOMPARE(MsfSeconds(l), 25);
        QCOMPARE(MsfFrames(l), 74);
        QCOMPARE(MsfFromFrames(FramesFromMsf(l)), l);
        QCOMPARE(TmsfFromOffsetFrames(7, TmsfOffsetFrames(PackTmsf(7, 1, 2, 3))),
                 PackTmsf(7, 1, 2, 3));
    }

    void text_data()
    {
        QTest::addColumn<quint32>("tmsf");
        QTest::addColumn<QString>("text");
        QTest::newRow("track start") << PackTmsf(1, 0, 0, 0) << QStringLiteral("1:00:00:00");
        QTest::newRow("fields apart") << PackTmsf(2, 3, 4, 5) << QStringLiteral("2:03:04:05");
        QTest::newRow("two-digit track")
            << PackTmsf(12, 10, 59, 74) << QStringLiteral("12:10:59:74");
        QTest::newRow("long minutes") << PackTmsf(99, 255, 0, 1) << QStringLiteral("99:255:00:01");
    }
    void text()
    {
        QFETCH(quint32, tmsf);
        QFETCH(QString, text);
        QCOMPARE(FormatTmsf(tmsf), text);
    }
};

QTEST_GUILESS_MAIN(TestTmsf)
#include "tst_tmsf.moc"
