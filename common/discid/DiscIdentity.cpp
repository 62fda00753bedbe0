#include "discid/DiscIdentity.h"

namespace qlnx {

namespace {

constexpr qint32 LeadInSectors = 150;
constexpr qint32 SectorsPerSecond = 75;

struct Msf
{
    quint32 Minutes, Seconds, Frames;
};

Msf ToMsf(qint32 lba)
{
    const qint32 a = lba + LeadInSectors;
    return Msf{quint32(a / (60 * SectorsPerSecond)), quint32(a / SectorsPerSecond % 60),
               quint32(a % SectorsPerSecond)};
}

int DigitSum(qint32 n)
{
    int sum = 0;
    for (; n > 0; n /= 10)
        sum += n % 10;
    return sum;
}

} // namespace

quint32 AudioDiscSerial(const QList<qint32>& trackStarts, qint32 leadOut)
{
    quint32 serial = 0;
    for (qint32 start : trackStarts) {
        const Msf m = ToMsf(start);
        serial += m.Minutes << 16 | m.Seconds << 8 | m.Frames;
    }
    if (!trackStarts.isEmpty() && trackStarts.size() < 3)
        serial += ToMsf(trackStarts.front()).Frames + quint32(leadOut - trackStarts.front());
    return serial;
}

quint32 CddbDiscId(const QList<qint32>& frameOffsets, int discLengthSeconds)
{
    if (frameOffsets.isEmpty())
        return 0;
    int checksum = 0;
    for (qint32 offset : frameOffsets)
        checksum += DigitSum(offset / SectorsPerSecond);
    const int length = discLengthSeconds - frameOffsets.first() / SectorsPerSecond;
    return quint32(checksum % 0xff) << 24 | (quint32(length) & 0xffff) << 8 |
           quint32(frameOffsets.size());
}

quint32 VolumeDescriptorSerial(const QByteArray& descriptor)
{
    quint8 lanes[4] = {0, 0, 0, 0};
    for (qsizetype i = 0; i < descriptor.size(); ++i)
        lanes[i % 4] = quint8(lanes[i % 4] + quint8(descriptor.at(i)));
    return quint32(lanes[0]) | quint32(lanes[1]) << 8 | quint32(lanes[2]) << 16 |
           quint32(lanes[3]) << 24;
}

bool IsVolumeDescriptor(const QByteArray& sector)
{
    return sector.size() >= 2048 && sector.mid(1, 5) == "CD001";
}

bool IsDescriptorTerminator(const QByteArray& sector)
{
    return IsVolumeDescriptor(sector) && quint8(sector.at(0)) == 255;
}

std::optional<QByteArray> PickVolumeDescriptor(const QList<QByteArray>& sectors)
{
    std::optional<QByteArray> best;
    int bestType = -1;
    for (const QByteArray& sector : sectors) {
        if (!IsVolumeDescriptor(sector) || IsDescriptorTerminator(sector))
            break;
        const int type = quint8(sector.at(0));
        if (type > bestType) {
            bestType = type;
            best = sector.left(2048);
        }
    }
    return best;
}

} // namespace qlnx
