#include "support/SimulatedCdDrive.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "disc/Tmsf.h"

namespace qlnx {

TSimDisc TSimDisc::Audio(const QList<int>& seconds, quint32 serial)
{
    TSimDisc disc;
    for (int s : seconds)
        disc.Tracks.append(TSimTrack{qint64(s) * FramesPerSecond, true});
    disc.Serial = serial;
    return disc;
}

TSimulatedCdDrive::TSimulatedCdDrive(QObject* parent) : CdDevice(parent) {}

int TSimulatedCdDrive::AddDrive(const QString& label)
{
    m_drives.append(Drive{label, {}, false, false, TDeviceMode::Stopped, 0, 0, 0, false});
    return int(m_drives.size()) - 1;
}

void TSimulatedCdDrive::InsertDisc(int drive, const TSimDisc& disc)
{
    Drive& d = m_drives[drive];
    d.Disc = disc;
    d.Mode = TDeviceMode::Stopped;
    d.Head = 0;
    d.Ours = false;
}

void TSimulatedCdDrive::RemoveDisc(int drive)
{
    Drive& d = m_drives[drive];
    if (d.Mode == TDeviceMode::Playing || d.Mode == TDeviceMode::Paused)
        EndPlay(d, TNotifyResult::Aborted);
    d.Disc.reset();
}

void TSimulatedCdDrive::SetDoorOpen(int drive, bool open)
{
    Drive& d = m_drives[drive];
    if (open && (d.Mode == TDeviceMode::Playing || d.Mode == TDeviceMode::Paused))
        EndPlay(d, TNotifyResult::Aborted);
    d.DoorOpen = open;
    if (!open)
        d.Head = 0;
}

void TSimulatedCdDrive::SetUnavailable(int drive, bool unavailable)
{
    m_drives[drive].Unavailable = unavailable;
}

void TSimulatedCdDrive::StartForeignPlay(int drive, int fromTrack, qint64 fromOffsetFrames)
{
    Drive& d = m_drives[drive];
    d.Head = TrackStartFrame(d, fromTrack) + fromOffsetFrames;
    d.End = DiscEndFrame(d);
    d.Mode = TDeviceMode::Playing;
    d.Ours = false;
}

void TSimulatedCdDrive::Advance(qint64 ms)
{
    for (Drive& d : m_drives) {
        if (d.Mode != TDeviceMode::Playing)
            continue;
        const qint64 total = d.MsRemainder + ms * FramesPerSecond;
        d.Head += total / 1000;
        d.MsRemainder = total % 1000;
        if (d.Head >= d.End) {
            d.Head = d.End;
            EndPlay(d, TNotifyResult::Successful);
        }
    }
}

void TSimulatedCdDrive::Deliver()
{
    QCoreApplication::sendPostedEvents();
}

TDeviceMode TSimulatedCdDrive::ModeOf(int drive) const
{
    const Drive& d = m_drives[drive];
    return DiscReady(d) ? d.Mode : TDeviceMode::Open;
}

qint64 TSimulatedCdDrive::HeadFrame(int drive) const
{
    return m_drives[drive].Head;
}

std::optional<QString> TSimulatedCdDrive::AddImageDrive(const QString& path)
{
    const QString label = QFileInfo(path).fileName();
    for (const Drive& d : m_drives) {
        if (d.Label == label)
            return label;
    }
    const int drive = AddDrive(label);
    if (ImageDiscs.contains(path))
        InsertDisc(drive, ImageDiscs.value(path));
    return label;
}

QStringList TSimulatedCdDrive::EnumerateCdDrives()
{
    QStringList labels;
    for (const Drive& d : m_drives)
        labels.append(d.Label);
    return labels;
}

std::optional<quint32> TSimulatedCdDrive::DiscSerial(const QString& drive)
{
    for (const Drive& d : m_drives) {
        if (d.Label == drive && !drive.isEmpty())
            return DiscReady(d) ? d.Disc->Serial : std::nullopt;
    }
    return std::nullopt;
}

void TSimulatedCdDrive::OpenDevice(const QString& drive)
{
    if (m_open >= 0)
        CloseDevice();
    m_log.append(QStringLiteral("open ") + drive);
    for (int i = 0; i < m_drives.size(); ++i) {
        if (m_drives[i].Label == drive && !drive.isEmpty() && !m_drives[i].Unavailable) {
            m_open = i;
            return;
        }
    }
    throw EMCIDeviceError("cannot open " + drive.toStdString());
}

void TSimulatedCdDrive::CloseDevice()
{
    if (m_open < 0)
        return;
    m_log.append(QStringLiteral("close"));
    // The drive plays on; only the link to this device ends, so its completion is not ours.
    m_drives[m_open].Ours = false;
    m_open = -1;
}

TSimulatedCdDrive::Drive* TSimulatedCdDrive::Current()
{
    return m_open >= 0 ? &m_drives[m_open] : nullptr;
}

TDeviceMode TSimulatedCdDrive::DeviceMode()
{
    return m_open >= 0 ? ModeOf(m_open) : TDeviceMode::NotReady;
}

int TSimulatedCdDrive::NumberOfTracks()
{
    const Drive* d = Current();
    return d && DiscReady(*d) ? int(d->Disc->Tracks.size()) : 0;
}

bool TSimulatedCdDrive::IsAudioTrack(int track)
{
    const Drive* d = Current();
    if (!d || !DiscReady(*d) || track < 1 || track > d->Disc->Tracks.size())
        return false;
    return d->Disc->Tracks[track - 1].Audio;
}

quint32 TSimulatedCdDrive::TrackStart(int track)
{
    return PackTmsf(track, 0, 0, 0);
}

quint32 TSimulatedCdDrive::TrackLength(int track)
{
    const Drive* d = Current();
    if (!d || !DiscReady(*d) || track < 1 || track > d->Disc->Tracks.size())
        return 0;
    return MsfFromFrames(d->Disc->Tracks[track - 1].LengthFrames);
}

TDiscToc TSimulatedCdDrive::DiscToc()
{
    const Drive* d = Current();
    TDiscToc toc;
    if (!d || !DiscReady(*d))
        return toc;
    for (int t = 1; t <= d->Disc->Tracks.size(); ++t) {
        toc.Tracks.append({qint32(TrackStartFrame(*d, t)), d->Disc->Tracks[t - 1].Audio});
    }
    toc.LeadOut = qint32(DiscEndFrame(*d));
    return toc;
}

quint32 TSimulatedCdDrive::CurrentPosition()
{
    const Drive* d = Current();
    return d && DiscReady(*d) ? TmsfAt(*d, d->Head) : 0;
}

void TSimulatedCdDrive::StartPlay(std::optional<quint32> from, std::optional<quint32> to)
{
    Drive* d = Current();
    const auto text = [](std::optional<quint32> tmsf, const QString& none) {
        return tmsf ? FormatTmsf(*tmsf) : none;
    };
    const QString fromText = text(from, QStringLiteral("cur"));
    const QString toText = text(to, QStringLiteral("end"));
    m_log.append(QStringLiteral("play ") + fromText + u'-' + toText);
    if (!d || !DiscReady(*d)) {
        PostNotify(TNotifyResult::Failure);
        return;
    }
    if (d->Mode == TDeviceMode::Playing || d->Mode == TDeviceMode::Paused) {
        if (d->Ours)
            PostNotify(TNotifyResult::Superseded);
    }
    d->Head = from ? AbsoluteFrame(*d, *from) : d->Head;
    d->End = to ? AbsoluteFrame(*d, *to) : DiscEndFrame(*d);
    d->MsRemainder = 0;
    d->Mode = TDeviceMode::Playing;
    d->Ours = true;
    if (d->Head >= d->End)
        EndPlay(*d, TNotifyResult::Successful);
}

void TSimulatedCdDrive::StopDevice()
{
    Drive* d = Current();
    m_log.append(QStringLiteral("stop"));
    if (d && (d->Mode == TDeviceMode::Playing || d->Mode == TDeviceMode::Paused))
        EndPlay(*d, TNotifyResult::Aborted);
}

void TSimulatedCdDrive::PauseDevice()
{
    Drive* d = Current();
    if (!d)
        throw EMCIDeviceError("no device open");
    if (d->Mode == TDeviceMode::Playing && DiscReady(*d)) {
        m_log.append(QStringLiteral("pause"));
        if (d->Ours)
            PostNotify(TNotifyResult::Aborted);
        d->Mode = TDeviceMode::Paused;
        d->Ours = false;
    } else if (d->Mode == TDeviceMode::Paused && DiscReady(*d)) {
        m_log.append(QStringLiteral("resume"));
        d->Mode = TDeviceMode::Playing;
        d->Ours = true;
    }
}

void TSimulatedCdDrive::OpenDoor()
{
    m_log.append(QStringLiteral("door open"));
    if (m_open >= 0)
        SetDoorOpen(m_open, true);
}

void TSimulatedCdDrive::CloseDoor()
{
    m_log.append(QStringLiteral("door close"));
    if (m_open >= 0)
        SetDoorOpen(m_open, false);
}

qint64 TSimulatedCdDrive::TrackStartFrame(const Drive& d, int track) const
{
    qint64 frame = 0;
    for (int t = 1; t < track && t <= d.Disc->Tracks.size(); ++t)
        frame += d.Disc->Tracks[t - 1].LengthFrames;
    return frame;
}

qint64 TSimulatedCdDrive::DiscEndFrame(const Drive& d) const
{
    return TrackStartFrame(d, int(d.Disc->Tracks.size()) + 1);
}

qint64 TSimulatedCdDrive::AbsoluteFrame(const Drive& d, quint32 tmsf) const
{
    const int track = std::clamp(TmsfTrack(tmsf), 1, int(d.Disc->Tracks.size()));
    return std::min(TrackStartFrame(d, track) + TmsfOffsetFrames(tmsf), DiscEndFrame(d));
}

quint32 TSimulatedCdDrive::TmsfAt(const Drive& d, qint64 frame) const
{
    const int count = int(d.Disc->Tracks.size());
    qint64 start = 0;
    for (int t = 1; t <= count; ++t) {
        const qint64 length = d.Disc->Tracks[t - 1].LengthFrames;
        if (frame < start + length || t == count)
            return TmsfFromOffsetFrames(t, frame - start);
        start += length;
    }
    return 0;
}

void TSimulatedCdDrive::EndPlay(Drive& d, TNotifyResult result)
{
    d.Mode = TDeviceMode::Stopped;
    if (d.Ours && m_open >= 0 && &m_drives[m_open] == &d)
        PostNotify(result);
    d.Ours = false;
}

TDiscText TSimulatedCdDrive::CdText()
{
    const Drive* d = Current();
    return d && DiscReady(*d) ? d->Disc->Text : TDiscText{};
}

} // namespace qlnx
