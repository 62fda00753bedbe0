#include <QTest>

#include "discid/DiscIdentity.h"

using namespace qlnx;

// The disc identity must equal what Windows reports, or disc data files written there are
// not found.
class TestDiscIdentity : public QObject
{
    Q_OBJECT

    static QByteArray Descriptor(quint8 type, char fill)
    {
        QByteArray d(2048, fill);
        d[0] = char(type);
        d.replace(1, 5, "CD001");
        return d;
    }

private Q_SLOTS:
    void audioDiscs_data()
    {
        QTest::addColumn<QList<qint32>>("starts");
        QTest::addColumn<qint32>("leadOut");
        QTest::addColumn<quint32>("serial");
        QTest::newRow("three tracks") << QList<qint32>{0, 300, 600} << 975 << 0x00001200u;
        // Fewer than three tracks also count the first frames and the length in frames.
        QTest::newRow("two tracks") << QList<qint32>{0, 13000} << 30000 << 0x0002AE49u;
        QTest::newRow("one track off zero") << QList<qint32>{33} << 20000 << 0x00005041u;
        QTest::newRow("twelve tracks")
            << QList<qint32>{0,     16000,  32000,  48000,  61000,  77000,
                             90000, 105000, 120000, 135000, 150000, 170000}
            << 190000 << 0x00DC0CC8u;
    }
    void audioDiscs()
    {
        QFETCH(QList<qint32>, starts);
        QFETCH(qint32, leadOut);
        QFETCH(quint32, serial);
        QCOMPARE(AudioDiscSerial(starts, leadOut), serial);
    }

    void cddbDiscIds()
    {
        // Computed by hand: digit sums of the start seconds, the length, the track count.
        QCOMPARE(CddbDiscId({150, 450, 750}, 15), 0x09000d03u);
        QCOMPARE(CddbDiscId({150, 18000, 36000, 54000}, 1200), 0x1d04ae04u);
        QCOMPARE(CddbDiscId({}, 1200), 0u);
    }

    void volumeDescriptorLanesWrapPerByte()
    {
        // Each of the four byte lanes sums on its own, modulo 256, with no carry between them.
        QByteArray d(2048, '\0');
        d[0] = char(0xFF);
        d[4] = char(0x02); // lane 0: 0xFF + 0x02 = 0x101 -> 0x01
        d[1] = char(0x10);
        d[2] = char(0x80);
        d[6] = char(0x80); // lane 2: 0x100 -> 0x00
        d[3] = char(0x7F);
        QCOMPARE(VolumeDescriptorSerial(d), 0x7F001001u);
    }

    void highestTypeBeforeTerminatorCounts()
    {
        const QByteArray boot = Descriptor(0, 'b');
        const QByteArray primary = Descriptor(1, 'p');
        const QByteArray joliet = Descriptor(2, 'j');
        const QByteArray secondJoliet = Descriptor(2, 'k');
        const QByteArray end = Descriptor(255, '\0');
        const QByteArray late = Descriptor(3, 'x');
        QCOMPARE(PickVolumeDescriptor({boot, primary, joliet, secondJoliet, end, late}), joliet);
        QCOMPARE(PickVolumeDescriptor({primary, boot, end}), primary);
        // A sector that is no descriptor ends the set as well.
        QCOMPARE(PickVolumeDescriptor({primary, QByteArray(2048, 'z'), joliet}), primary);
        QVERIFY(!PickVolumeDescriptor({end, primary}));
        QVERIFY(!PickVolumeDescriptor({}));
    }
};

QTEST_GUILESS_MAIN(TestDiscIdentity)
#include "tst_discidentity.moc"
