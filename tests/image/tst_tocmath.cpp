#include <QTest>

#include "disc/Tmsf.h"
#include "image/TocMath.h"

using namespace qlnx;

namespace {

TDiscToc Toc(const QList<qint32>& starts, qint32 leadOut, const QList<bool>& audio = {})
{
    TDiscToc toc;
    for (qsizetype i = 0; i < starts.size(); ++i)
        toc.Tracks.append({starts.at(i), audio.value(i, true)});
    toc.LeadOut = leadOut;
    return toc;
}

// Track 2 is over a minute long, so minutes show up in its positions.
const TDiscToc Long = Toc({0, 300, 300 + 4575 + 20}, 300 + 4575 + 20 + 150);

} // namespace

// Tables of contents against sector addresses and packed positions.
class TestTocMath : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void validity_data()
    {
        QTest::addColumn<TDiscToc>("toc");
        QTest::addColumn<bool>("valid");
        QList<qint32> ninetyNine;
        for (int t = 0; t < 99; ++t)
            ninetyNine.append(t * 10);
        QList<qint32> hundred = ninetyNine;
        hundred.append(990);
        QTest::newRow("one track") << Toc({0}, 10) << true;
        QTest::newRow("late first track") << Toc({33, 500}, 900) << true;
        QTest::newRow("99 tracks") << Toc(ninetyNine, 990) << true;
        QTest::newRow("no tracks") << Toc({}, 10) << false;
        QTest::newRow("100 tracks") << Toc(hundred, 1000) << false;
        QTest::newRow("before sector 0") << Toc({-1, 10}, 20) << false;
        QTest::newRow("same start twice") << Toc({0, 10, 10}, 20) << false;
        QTest::newRow("falling") << Toc({0, 20, 10}, 30) << false;
        QTest::newRow("lead-out at last start") << Toc({0, 10}, 10) << false;
        QTest::newRow("lead-out before") << Toc({0, 10}, 5) << false;
    }
    void validity()
    {
        QFETCH(TDiscToc, toc);
        QFETCH(bool, valid);
        QCOMPARE(IsValidToc(toc), valid);
    }

    void trackEnds()
    {
        QCOMPARE(TrackEndSector(Long, 1), 300);
        QCOMPARE(TrackEndSector(Long, 2), 4895);
        QCOMPARE(TrackEndSector(Long, 3), Long.LeadOut);
    }

    void positionsOfSectors()
    {
        QCOMPARE(TmsfAtSector(Long, 0), PackTmsf(1, 0, 0, 0));
        QCOMPARE(TmsfAtSector(Long, 299), PackTmsf(1, 0, 3, 74));
        QCOMPARE(TmsfAtSector(Long, 300), PackTmsf(2, 0, 0, 0));
        QCOMPARE(TmsfAtSector(Long, 300 + 4575 + 7), PackTmsf(2, 1, 1, 7));
        // The lead-out, and anything after it, is the end of the last track.
        QCOMPARE(TmsfAtSector(Long, Long.LeadOut), PackTmsf(3, 0, 2, 0));
        QCOMPARE(TmsfAtSector(Long, Long.LeadOut + 1000), PackTmsf(3, 0, 2, 0));
        // Before a late first track: that track's start.
        QCOMPARE(TmsfAtSector(Toc({33, 500}, 900), 10), PackTmsf(1, 0, 0, 0));
        QCOMPARE(TmsfAtSector(Toc({33, 500}, 900), 34), PackTmsf(1, 0, 0, 1));
    }

    void sectorsOfPositions()
    {
        QCOMPARE(SectorAtTmsf(Long, PackTmsf(2, 0, 0, 0)), 300);
        QCOMPARE(SectorAtTmsf(Long, PackTmsf(2, 1, 1, 7)), 300 + 4575 + 7);
        // Tracks outside the disc are its first and last.
        QCOMPARE(SectorAtTmsf(Long, PackTmsf(0, 0, 1, 0)), 75);
        QCOMPARE(SectorAtTmsf(Long, PackTmsf(7, 0, 1, 0)), 4895 + 75);
        // An offset past the disc's end stops at the lead-out.
        QCOMPARE(SectorAtTmsf(Long, PackTmsf(3, 10, 0, 0)), Long.LeadOut);
        // The end of a track, given as the track at its own length, is where it ends.
        for (int t = 1; t <= 3; ++t) {
            const qint64 length = TrackEndSector(Long, t) - Long.Tracks.at(t - 1).Start;
            QCOMPARE(SectorAtTmsf(Long, TmsfFromOffsetFrames(t, length)), TrackEndSector(Long, t));
        }
    }

    void positionAndSectorAgree()
    {
        for (qint32 lsn = 0; lsn <= Long.LeadOut; ++lsn) {
            const quint32 tmsf = TmsfAtSector(Long, lsn);
            if (SectorAtTmsf(Long, tmsf) != lsn)
                QFAIL(qPrintable(QStringLiteral("sector %1 came back as %2 from %3")
                                     .arg(lsn)
                                     .arg(SectorAtTmsf(Long, tmsf))
                                     .arg(FormatTmsf(tmsf))));
        }
    }

    void audioSectors()
    {
        const TDiscToc mixed = Toc({0, 100}, 250, {false, true});
        QVERIFY(!IsAudioSector(mixed, -1));
        QVERIFY(!IsAudioSector(mixed, 0));
        QVERIFY(!IsAudioSector(mixed, 99));
        QVERIFY(IsAudioSector(mixed, 100));
        QVERIFY(IsAudioSector(mixed, 249));
        QVERIFY(!IsAudioSector(mixed, 250));
        // The pregap before a late first track is that track's.
        QVERIFY(IsAudioSector(Toc({33, 500}, 900), 10));
        QVERIFY(!IsAudioSector(Toc({33, 500}, 900, {false, true}), 10));
    }
};

QTEST_GUILESS_MAIN(TestTocMath)
#include "tst_tocmath.moc"
