#include <QTest>

#include "audio/RingBuffer.h"

using namespace qlnx;

namespace {

QByteArray Take(TRingBuffer& ring, qint64 max)
{
    QByteArray out(max, '\0');
    out.truncate(ring.Read(out.data(), max));
    return out;
}

} // namespace

// The read-ahead queue: bytes come out in the order they went in, across the end of the
// buffer, and never more than it holds.
class TestRingBuffer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wrapsAroundItsEnd()
    {
        TRingBuffer ring(10);
        QCOMPARE(ring.Write("abcdefg", 7), 7);
        QCOMPARE(Take(ring, 5), QByteArray("abcde"));
        // The back reaches the end after three bytes and goes on at the start.
        QCOMPARE(ring.Write("hijklm", 6), 6);
        QCOMPARE(ring.Fill(), 8);
        QCOMPARE(ring.Room(), 2);
        // The front crosses the end in the middle of one read.
        QCOMPARE(Take(ring, 8), QByteArray("fghijklm"));
        QCOMPARE(ring.Fill(), 0);
        QCOMPARE(ring.Write("0123456789", 10), 10);
        QCOMPARE(Take(ring, 10), QByteArray("0123456789"));
    }

    void neverHoldsOrGivesMoreThanItHas()
    {
        TRingBuffer ring(4);
        QCOMPARE(ring.Write("abcdef", 6), 4);
        QCOMPARE(ring.Room(), 0);
        QCOMPARE(ring.Write("x", 1), 0);
        QCOMPARE(Take(ring, 0), QByteArray());
        QCOMPARE(Take(ring, 3), QByteArray("abc"));
        QCOMPARE(Take(ring, 100), QByteArray("d"));
        QCOMPARE(Take(ring, 100), QByteArray());
        QCOMPARE(ring.Write("xyz", -1), 0);
        QCOMPARE(ring.Read(nullptr, -1), 0);

        TRingBuffer none(0);
        QCOMPARE(none.Write("a", 1), 0);
        QCOMPARE(Take(none, 1), QByteArray());
    }

    void droppingAndClearing()
    {
        TRingBuffer ring(6);
        ring.Write("abcdef", 6);
        // Without a destination the bytes are taken all the same.
        QCOMPARE(ring.Read(nullptr, 4), 4);
        QCOMPARE(ring.Write("gh", 2), 2);
        QCOMPARE(Take(ring, 6), QByteArray("efgh"));
        ring.Write("ijk", 3);
        ring.Clear();
        QCOMPARE(ring.Fill(), 0);
        QCOMPARE(ring.Room(), 6);
        QCOMPARE(ring.Write("lmnopq", 6), 6);
        QCOMPARE(Take(ring, 6), QByteArray("lmnopq"));
    }

    void keepsOrderOverManyUnevenTurns()
    {
        // Writes and reads of sizes that share no factor with the capacity, so the front and
        // the back wrap at every offset.
        TRingBuffer ring(97);
        QByteArray in;
        QByteArray out;
        QByteArray expected;
        quint32 x = 12345;
        for (int turn = 0; turn < 2000; ++turn) {
            x = x * 1103515245u + 12345u;
            const int size = int(x >> 16) % 60;
            QByteArray chunk(size, '\0');
            for (int i = 0; i < size; ++i)
                chunk[i] = char(in.size() + i);
            const qint64 written = ring.Write(chunk.constData(), size);
            QCOMPARE(written, std::min<qint64>(size, 97 - (in.size() - out.size())));
            in += chunk.left(written);
            out += Take(ring, int(x >> 8) % 50);
            QCOMPARE(ring.Fill(), in.size() - out.size());
        }
        out += Take(ring, 97);
        QCOMPARE(out, in);
    }
};

QTEST_GUILESS_MAIN(TestRingBuffer)
#include "tst_ringbuffer.moc"
