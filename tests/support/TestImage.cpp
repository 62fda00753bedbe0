#include "support/TestImage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qlnx {

namespace {

constexpr qint32 SectorBytes = 2352;

QString Msf(qint32 sector)
{
    return QStringLiteral("%1:%2:%3")
        .arg(sector / (75 * 60), 2, 10, QLatin1Char('0'))
        .arg(sector / 75 % 60, 2, 10, QLatin1Char('0'))
        .arg(sector % 75, 2, 10, QLatin1Char('0'));
}

quint8 Bcd(int n)
{
    return quint8(n / 10 << 4 | n % 10);
}

QByteArray Descriptor(quint8 type)
{
    QByteArray d(2048, '\0');
    d[0] = char(type);
    d.replace(1, 5, "CD001");
    d[6] = 1;
    if (type != 255) {
        d.replace(40, 11, "TEST_VOLUME");
        for (int i = 80; i < 2048; ++i)
            d[i] = char((i * 7 + type) & 0xFF);
    }
    return d;
}

// A raw MODE1 sector: sync, header, then the user data.
QByteArray DataSector(qint32 sector, const QByteArray& user)
{
    QByteArray s(SectorBytes, '\0');
    for (int i = 1; i <= 10; ++i)
        s[i] = char(0xFF);
    const qint32 a = sector + 150;
    s[12] = char(Bcd(a / (75 * 60)));
    s[13] = char(Bcd(a / 75 % 60));
    s[14] = char(Bcd(a % 75));
    s[15] = 1;
    s.replace(16, user.size(), user);
    return s;
}

} // namespace

QByteArray AudioPattern(qint32 firstSector, qint32 sectors, quint32 seed)
{
    QByteArray bytes(qsizetype(sectors) * SectorBytes, '\0');
    for (qint32 s = 0; s < sectors; ++s) {
        quint32 x = quint32(firstSector + s) * 2654435761u ^ seed * 40503u;
        for (int i = 0; i < SectorBytes; ++i) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            bytes[qsizetype(s) * SectorBytes + i] = char(x & 0xFF);
        }
    }
    return bytes;
}

QByteArray TestVolumeDescriptor()
{
    return Descriptor(1);
}

QString WriteCueImage(const QString& dir, const QString& name, const QList<TTestTrack>& tracks,
                      QByteArray* bin, quint32 seed)
{
    QByteArray data;
    QString cue = QStringLiteral("FILE \"%1.bin\" BINARY\n").arg(name);
    qint32 sector = 0;
    for (int t = 0; t < tracks.size(); ++t) {
        const TTestTrack& track = tracks.at(t);
        cue += QStringLiteral("  TRACK %1 %2\n")
                   .arg(t + 1, 2, 10, QLatin1Char('0'))
                   .arg(track.Audio ? QStringLiteral("AUDIO") : QStringLiteral("MODE1/2352"));
        if (t > 0 && track.Pregap > 0) {
            cue += QStringLiteral("    INDEX 00 %1\n").arg(Msf(sector));
            data += AudioPattern(sector, track.Pregap, seed);
            sector += track.Pregap;
        }
        cue += QStringLiteral("    INDEX 01 %1\n").arg(Msf(sector));
        if (track.Audio) {
            data += AudioPattern(sector, track.Sectors, seed);
        } else {
            for (qint32 i = 0; i < track.Sectors; ++i) {
                QByteArray user(2048, char(i & 0xFF));
                if (i == 16)
                    user = Descriptor(1);
                else if (i == 17)
                    user = Descriptor(0);
                else if (i == 18)
                    user = Descriptor(255);
                data += DataSector(sector + i, user);
            }
        }
        sector += track.Sectors;
    }
    WriteFile(dir + u'/' + name + QStringLiteral(".bin"), data);
    const QString path = dir + u'/' + name + QStringLiteral(".cue");
    WriteFile(path, cue.toUtf8());
    if (bin)
        *bin = data;
    return path;
}

} // namespace qlnx
