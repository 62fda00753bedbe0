#include "drive/CdioDevice.h"

#include <algorithm>
#include <chrono>

#include <QFile>
#include <QFileInfo>

#include <cdio/cdio.h>

#include "audio/AudioOutput.h"
#include "disc/Tmsf.h"
#include "drive/CdioDisc.h"
#include "drive/ImageDrive.h"

namespace qlnx {

namespace {

QStringList FoundDrives()
{
    QStringList nodes;
    if (char** list = cdio_get_devices(DRIVER_LINUX)) {
        for (char** p = list; *p; ++p)
            nodes.append(QFile::decodeName(*p));
        cdio_free_device_list(list);
    }
    return nodes;
}

// Links such as /dev/cdrom name the same drive as the node they point to.
QStringList PhysicalDrives(const QStringList& nodes)
{
    QStringList devices;
    for (const QString& path : nodes) {
        const QString canonical = QFileInfo(path).canonicalFilePath();
        const QString device = canonical.isEmpty() ? path : canonical;
        if (!devices.contains(device))
            devices.append(device);
    }
    std::sort(devices.begin(), devices.end());
    return devices;
}

bool SameDisc(const TPlayedDisc& played, const QString& path, const TDiscInfo& disc)
{
    return played.Path == path && played.Serial == disc.Serial && played.Toc == disc.Toc;
}

} // namespace

void TCdioDevice::AddDrive(const QString& label, const QString& path, bool image,
                           std::unique_ptr<TDriveWatch> watch)
{
    // Drives are chosen by label, so two of one name must differ in it.
    QString unique = label;
    for (int n = 2; std::any_of(m_drives.cbegin(), m_drives.cend(),
                                [&](const TDrive& d) { return d.Label == unique; });
         ++n)
        unique = QStringLiteral("%1 (%2)").arg(label).arg(n);
    m_drives.push_back(TDrive{unique, path, image, std::move(watch)});
}

TCdioDevice::TCdioDevice(TCdioDeviceSetup setup, QObject* parent) : CdDevice(parent)
{
    InstallCdioLogHandler();
    const auto watch = [&setup](std::unique_ptr<TDriveBackend> backend) {
        return std::make_unique<TDriveMonitor>(MakeLoggingDriveBackend(std::move(backend)),
                                               setup.Monitor);
    };
    if (setup.PhysicalDrives) {
        const QStringList nodes = setup.DeviceNodes.isEmpty() ? FoundDrives() : setup.DeviceNodes;
        for (const QString& device : PhysicalDrives(nodes))
            AddDrive(QFileInfo(device).fileName(), device, false,
                     watch(MakeCdioDriveBackend(device)));
    }
    for (TBackendDrive& drive : setup.BackendDrives) {
        const QString path = drive.Backend->Name();
        const bool image = drive.Backend->IsImage();
        AddDrive(drive.Label, path, image, watch(std::move(drive.Backend)));
    }
    for (const QString& image : setup.ImagePaths)
        AddDrive(QFileInfo(image).fileName(), image, true, std::make_unique<TImageDrive>(image));
    m_player = setup.Player ? std::move(setup.Player)
                            : std::make_unique<TLocalPlayer>(setup.Output ? std::move(setup.Output)
                                                                          : MakeSilentAudioOutput(),
                                                             setup.ReadAhead);
}

TCdioDevice::~TCdioDevice()
{
    // Everything is asked to stop first, so that all of it stops within one deadline.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    for (TDrive& d : m_drives)
        d.Watch->RequestStop();
    m_player->Shutdown(deadline);
    for (TDrive& d : m_drives)
        d.Watch->WaitStopped(deadline);
}

std::optional<QString> TCdioDevice::AddImageDrive(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    for (const TDrive& d : m_drives) {
        if (d.Image && QFileInfo(d.Path).absoluteFilePath() == absolute)
            return d.Label;
    }
    AddDrive(QFileInfo(absolute).fileName(), absolute, true,
             std::make_unique<TImageDrive>(absolute));
    return m_drives.back().Label;
}

QStringList TCdioDevice::EnumerateCdDrives()
{
    QStringList labels;
    for (const TDrive& d : m_drives)
        labels.append(d.Label);
    return labels;
}

std::optional<quint32> TCdioDevice::DiscSerial(const QString& drive)
{
    for (TDrive& d : m_drives) {
        if (d.Label != drive || drive.isEmpty())
            continue;
        const TDriveSnapshot snapshot = d.Watch->Snapshot();
        if (snapshot.State == TDriveState::Ready && snapshot.Disc)
            return snapshot.Disc->Serial;
        return std::nullopt;
    }
    return std::nullopt;
}

void TCdioDevice::OpenDevice(const QString& drive)
{
    if (m_open >= 0)
        CloseDevice();
    const auto it = std::find_if(m_drives.begin(), m_drives.end(),
                                 [&](const TDrive& d) { return d.Label == drive; });
    if (drive.isEmpty() || it == m_drives.end())
        throw EMCIDeviceError("no drive " + drive.toStdString());
    if (it->Watch->Snapshot().State == TDriveState::Unusable)
        throw EMCIDeviceError("cannot open the drive " + drive.toStdString());
    m_open = int(it - m_drives.begin());
    // A play left running goes on only if the disc is still the one it plays.
    PlayOnOpenDrive(it->Watch->Snapshot());
}

void TCdioDevice::CloseDevice()
{
    if (m_open < 0)
        return;
    if (PlayOnOpenDrive(OpenSnapshot()))
        m_player->Detach();
    m_open = -1;
}

TDriveSnapshot TCdioDevice::OpenSnapshot()
{
    return m_open >= 0 ? m_drives.at(std::size_t(m_open)).Watch->Snapshot() : TDriveSnapshot{};
}

std::shared_ptr<const TDiscInfo> TCdioDevice::OpenDisc()
{
    TDriveSnapshot snapshot = OpenSnapshot();
    return snapshot.State == TDriveState::Ready ? std::move(snapshot.Disc) : nullptr;
}

std::optional<TDiscPlayer::TStatus> TCdioDevice::PlayOnOpenDrive(const TDriveSnapshot& snapshot)
{
    if (m_open < 0)
        return std::nullopt;
    const TDrive& drive = m_drives.at(std::size_t(m_open));
    const TDiscPlayer::TStatus status = m_player->Status();
    if (status.State == TDiscPlayer::TState::Idle || status.Disc.Path != drive.Path)
        return std::nullopt;
    const bool ready = snapshot.State == TDriveState::Ready && snapshot.Disc;
    if (ready && SameDisc(status.Disc, drive.Path, *snapshot.Disc))
        return status;
    // The disc it played has left the drive (a disc still being read may yet be it).
    if (ready || snapshot.State == TDriveState::Empty)
        m_player->Forget(drive.Path);
    return std::nullopt;
}

TDeviceMode TCdioDevice::DeviceMode()
{
    if (m_open < 0)
        return TDeviceMode::NotReady;
    const TDriveSnapshot snapshot = OpenSnapshot();
    switch (snapshot.State) {
    case TDriveState::Empty:
        return TDeviceMode::Open;
    case TDriveState::Ready:
        break;
    default:
        return TDeviceMode::NotReady;
    }
    const auto status = PlayOnOpenDrive(snapshot);
    if (!status)
        return TDeviceMode::Stopped;
    switch (status->State) {
    case TDiscPlayer::TState::Playing:
        return TDeviceMode::Playing;
    case TDiscPlayer::TState::Paused:
        return TDeviceMode::Paused;
    default:
        return TDeviceMode::Stopped;
    }
}

int TCdioDevice::NumberOfTracks()
{
    const auto disc = OpenDisc();
    return disc ? int(disc->Toc.Tracks.size()) : 0;
}

bool TCdioDevice::IsAudioTrack(int track)
{
    const auto disc = OpenDisc();
    if (!disc || track < 1 || track > disc->Toc.Tracks.size())
        return false;
    return disc->Toc.Tracks.at(track - 1).Audio;
}

quint32 TCdioDevice::TrackStart(int track)
{
    const auto disc = OpenDisc();
    if (!disc || track < 1 || track > disc->Toc.Tracks.size())
        return 0;
    return PackTmsf(track, 0, 0, 0);
}

quint32 TCdioDevice::TrackLength(int track)
{
    const auto disc = OpenDisc();
    if (!disc || track < 1 || track > disc->Toc.Tracks.size())
        return 0;
    return MsfFromFrames(TrackEndSector(disc->Toc, track) - disc->Toc.Tracks.at(track - 1).Start);
}

TDiscToc TCdioDevice::DiscToc()
{
    const auto disc = OpenDisc();
    return disc ? disc->Toc : TDiscToc{};
}

quint32 TCdioDevice::CurrentPosition()
{
    const TDriveSnapshot snapshot = OpenSnapshot();
    if (snapshot.State != TDriveState::Ready || !snapshot.Disc)
        return 0;
    const auto status = PlayOnOpenDrive(snapshot);
    if (!status)
        return PackTmsf(1, 0, 0, 0);
    return TmsfAtSector(snapshot.Disc->Toc, qint32(status->Position / BytesPerSector));
}

TDiscPlayer::TCompletion TCdioDevice::Completion()
{
    return [this](TNotifyResult result) { PostNotify(result); };
}

void TCdioDevice::StartPlay(std::optional<quint32> from, std::optional<quint32> to)
{
    const TDriveSnapshot snapshot = OpenSnapshot();
    if (snapshot.State != TDriveState::Ready || !snapshot.Disc) {
        PostNotify(TNotifyResult::Failure);
        return;
    }
    const TDiscToc& toc = snapshot.Disc->Toc;
    qint64 start = qint64(toc.Tracks.front().Start) * BytesPerSector;
    if (from)
        start = qint64(SectorAtTmsf(toc, *from)) * BytesPerSector;
    else if (const auto status = PlayOnOpenDrive(snapshot))
        start = status->Position;
    const qint64 end = qint64(to ? SectorAtTmsf(toc, *to) : toc.LeadOut) * BytesPerSector;
    const TDrive& drive = m_drives.at(std::size_t(m_open));
    m_player->Play({drive.Path, drive.Image, snapshot.Disc->Serial, toc}, snapshot.Disc->Audio,
                   start, end, Completion());
}

void TCdioDevice::StopDevice()
{
    if (PlayOnOpenDrive(OpenSnapshot()))
        m_player->Stop();
}

void TCdioDevice::PauseDevice()
{
    if (m_open < 0)
        throw EMCIDeviceError("no device open");
    const auto status = PlayOnOpenDrive(OpenSnapshot());
    if (!status)
        return;
    if (status->State == TDiscPlayer::TState::Playing)
        m_player->Pause();
    else if (status->State == TDiscPlayer::TState::Paused)
        m_player->Resume(Completion());
}

void TCdioDevice::OpenDoor()
{
    if (m_open < 0)
        return;
    TDrive& drive = m_drives.at(std::size_t(m_open));
    m_player->Forget(drive.Path);
    drive.Watch->OpenTray();
}

void TCdioDevice::CloseDoor()
{
    if (m_open >= 0)
        m_drives.at(std::size_t(m_open)).Watch->CloseTray();
}

TDiscText TCdioDevice::CdText()
{
    const auto disc = OpenDisc();
    return disc ? disc->Text : TDiscText{};
}

bool TCdioDevice::DrivesSettled()
{
    // What plays (a play left running by an earlier run) is part of what a drive holds.
    if (!m_player->Settled())
        return false;
    return std::none_of(m_drives.begin(), m_drives.end(), [](TDrive& d) {
        const TDriveState state = d.Watch->Snapshot().State;
        return state == TDriveState::Looking || state == TDriveState::Reading;
    });
}

bool TCdioDevice::ModeFollowsCommands()
{
    // A play an earlier run left may still turn up.
    return m_open >= 0 && m_drives.at(std::size_t(m_open)).Watch->MovesOnlyWhenTold() &&
           m_player->Settled();
}

} // namespace qlnx
