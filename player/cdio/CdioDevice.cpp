#include "cdio/CdioDevice.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include <QFile>
#include <QFileInfo>

#include <cdio/cdio.h>

#ifdef __linux__
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include "cdio/AudioSinkBackend.h"
#include "cdio/CdioDisc.h"
#include "disc/Tmsf.h"

namespace qlnx {

namespace {

// Whether a physical drive holds a disc with its door closed, as the drive itself says.
bool DriveHoldsDisc(const QString& device)
{
#ifdef __linux__
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    const int status = ::ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT);
    ::close(fd);
    // Drives that cannot tell are taken at their table of contents.
    return status == CDS_DISC_OK || status == CDS_NO_INFO || status < 0;
#else
    Q_UNUSED(device);
    return true;
#endif
}

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

} // namespace

void TCdioDevice::AddDrive(const QString& path, bool image)
{
    TDrive drive;
    drive.Label = QFileInfo(path).fileName();
    drive.Path = path;
    drive.Image = image;
    m_drives.append(drive);
}

TCdioDevice::TCdioDevice(TCdioDeviceSetup setup, QObject* parent) : CdDevice(parent)
{
    InstallCdioLogHandler();
    if (setup.PhysicalDrives) {
        const QStringList nodes = setup.DeviceNodes.isEmpty() ? FoundDrives() : setup.DeviceNodes;
        for (const QString& device : PhysicalDrives(nodes))
            AddDrive(device, false);
    }
    for (const QString& image : setup.ImagePaths)
        AddDrive(image, true);
    // Drives are chosen by label, so two images of one file name must differ in it.
    for (qsizetype i = 0; i < m_drives.size(); ++i) {
        const QString base = m_drives.at(i).Label;
        for (int n = 2;; ++n) {
            const auto same = [&](const TDrive& d) { return d.Label == m_drives.at(i).Label; };
            if (std::count_if(m_drives.cbegin(), m_drives.cbegin() + i, same) == 0)
                break;
            m_drives[i].Label = QStringLiteral("%1 (%2)").arg(base).arg(n);
        }
    }
    m_engine = std::make_unique<TPlaybackEngine>(
        setup.Output ? std::move(setup.Output) : MakeSystemAudioOutput(), setup.ReadAhead);
    m_trayPool.setMaxThreadCount(1);
}

TCdioDevice::~TCdioDevice()
{
    m_engine.reset();
    m_trayPool.waitForDone();
}

QStringList TCdioDevice::EnumerateCdDrives()
{
    QStringList labels;
    for (const TDrive& d : m_drives)
        labels.append(d.Label);
    return labels;
}

TCdioDisc::TOpened TCdioDevice::LoadedDisc(TDrive& drive)
{
    using enum TCdioDisc::TOpenResult;
    if (drive.TrayOpen)
        return {NoDisc, nullptr};
    if (!drive.Image || drive.Disc)
        return {drive.Disc ? Opened : NoDisc, drive.Disc};
    TCdioDisc::TOpened opened = TCdioDisc::OpenImage(drive.Path);
    drive.Disc = opened.Disc;
    return opened;
}

std::optional<quint32> TCdioDevice::DiscSerial(const QString& drive)
{
    for (TDrive& d : m_drives) {
        if (d.Label != drive || drive.isEmpty())
            continue;
        if (!d.Image && (*d.TrayBusy || !DriveHoldsDisc(d.Path)))
            return std::nullopt;
        const auto disc = d.Image ? LoadedDisc(d).Disc : TCdioDisc::OpenDrive(d.Path).Disc;
        return disc ? std::optional<quint32>(disc->Serial()) : std::nullopt;
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
    const int index = int(it - m_drives.begin());
    TDrive& d = *it;
    if (d.Image) {
        if (LoadedDisc(d).Result == TCdioDisc::TOpenResult::Unreadable)
            throw EMCIDeviceError("cannot read the image " + d.Path.toStdString());
    } else {
        // A tray on the move is an empty drive for now.
        const TCdioDisc::TOpened opened =
            *d.TrayBusy ? TCdioDisc::TOpened{TCdioDisc::TOpenResult::NoDisc, nullptr}
                        : TCdioDisc::OpenDrive(d.Path);
        d.Disc = opened.Disc;
        if (opened.Result == TCdioDisc::TOpenResult::Unreadable)
            throw EMCIDeviceError("cannot open the drive " + d.Path.toStdString());
        // A play left running goes on only if the disc is still the one it plays.
        if (m_engine->Status().Drive == index && (!d.Disc || d.Disc->Toc() != m_playedToc))
            m_engine->Forget(index);
    }
    m_open = index;
}

void TCdioDevice::CloseDevice()
{
    if (m_open < 0)
        return;
    if (EngineOnOpenDrive())
        m_engine->Detach();
    TDrive& d = m_drives[m_open];
    if (!d.Image)
        d.Disc.reset(); // the engine keeps its own hold while it plays
    m_open = -1;
}

std::shared_ptr<TCdioDisc> TCdioDevice::TocDisc()
{
    if (m_open < 0)
        return nullptr;
    TDrive& d = m_drives[m_open];
    return d.Image ? LoadedDisc(d).Disc : d.Disc;
}

std::shared_ptr<TCdioDisc> TCdioDevice::ReadyDisc()
{
    auto disc = TocDisc();
    if (!disc || m_drives.at(m_open).Image)
        return disc;
    const TDrive& d = m_drives.at(m_open);
    return !*d.TrayBusy && DriveHoldsDisc(d.Path) ? disc : nullptr;
}

std::optional<TPlaybackEngine::TStatus> TCdioDevice::EngineOnOpenDrive() const
{
    const TPlaybackEngine::TStatus status = m_engine->Status();
    if (m_open < 0 || status.Drive != m_open || status.State == TPlaybackEngine::TState::Idle)
        return std::nullopt;
    return status;
}

TDeviceMode TCdioDevice::DeviceMode()
{
    if (m_open < 0)
        return TDeviceMode::NotReady;
    if (!ReadyDisc())
        return TDeviceMode::Open;
    const auto status = EngineOnOpenDrive();
    if (!status)
        return TDeviceMode::Stopped;
    switch (status->State) {
    case TPlaybackEngine::TState::Playing:
        return TDeviceMode::Playing;
    case TPlaybackEngine::TState::Paused:
        return TDeviceMode::Paused;
    default:
        return TDeviceMode::Stopped;
    }
}

int TCdioDevice::NumberOfTracks()
{
    const auto disc = TocDisc();
    return disc ? int(disc->Toc().Tracks.size()) : 0;
}

bool TCdioDevice::IsAudioTrack(int track)
{
    const auto disc = TocDisc();
    if (!disc || track < 1 || track > disc->Toc().Tracks.size())
        return false;
    return disc->Toc().Tracks.at(track - 1).Audio;
}

quint32 TCdioDevice::TrackStart(int track)
{
    const auto disc = TocDisc();
    if (!disc || track < 1 || track > disc->Toc().Tracks.size())
        return 0;
    return PackTmsf(track, 0, 0, 0);
}

quint32 TCdioDevice::TrackLength(int track)
{
    const auto disc = TocDisc();
    if (!disc || track < 1 || track > disc->Toc().Tracks.size())
        return 0;
    const TDiscToc& toc = disc->Toc();
    return MsfFromFrames(TrackEndSector(toc, track) - toc.Tracks.at(track - 1).Start);
}

quint32 TCdioDevice::CurrentPosition()
{
    const auto disc = TocDisc();
    if (!disc)
        return 0;
    const auto status = EngineOnOpenDrive();
    if (!status)
        return PackTmsf(1, 0, 0, 0);
    return TmsfAtSector(disc->Toc(), qint32(status->Position / BytesPerSector));
}

TPlaybackEngine::TCompletion TCdioDevice::Completion()
{
    return [this](TNotifyResult result) { PostNotify(result); };
}

void TCdioDevice::StartPlay(std::optional<quint32> from, std::optional<quint32> to)
{
    const auto disc = ReadyDisc();
    if (!disc) {
        PostNotify(TNotifyResult::Failure);
        return;
    }
    const TDiscToc& toc = disc->Toc();
    qint64 start = qint64(toc.Tracks.front().Start) * BytesPerSector;
    if (from)
        start = qint64(SectorAtTmsf(toc, *from)) * BytesPerSector;
    else if (const auto status = EngineOnOpenDrive())
        start = status->Position;
    const qint64 end = qint64(to ? SectorAtTmsf(toc, *to) : toc.LeadOut) * BytesPerSector;
    m_playedToc = toc;
    m_engine->Play(m_open, disc, start, end, Completion());
}

void TCdioDevice::StopDevice()
{
    if (EngineOnOpenDrive())
        m_engine->Stop();
}

void TCdioDevice::PauseDevice()
{
    if (m_open < 0)
        throw EMCIDeviceError("no device open");
    const auto status = ReadyDisc() ? EngineOnOpenDrive() : std::nullopt;
    if (!status)
        return;
    if (status->State == TPlaybackEngine::TState::Playing)
        m_engine->Pause();
    else if (status->State == TPlaybackEngine::TState::Paused)
        m_engine->Resume(Completion());
}

void TCdioDevice::OpenDoor()
{
    if (m_open < 0)
        return;
    TDrive& d = m_drives[m_open];
    m_engine->Forget(m_open);
    d.Disc.reset();
    if (d.Image)
        d.TrayOpen = true;
    else
        MoveTray(m_open, true);
}

void TCdioDevice::CloseDoor()
{
    if (m_open < 0)
        return;
    TDrive& d = m_drives[m_open];
    if (d.Image)
        d.TrayOpen = false; // the image is read afresh when next asked for
    else
        MoveTray(m_open, false);
}

void TCdioDevice::MoveTray(int drive, bool open)
{
    const TDrive& d = m_drives.at(drive);
    *d.TrayBusy = true;
    m_trayPool.start([path = QFile::encodeName(d.Path), busy = d.TrayBusy, open] {
        if (open) {
            // The kernel refuses to eject while another handle is open on the drive; the
            // reader lets go of it once its current read is done.
            for (int attempt = 0; attempt < 30; ++attempt) {
                if (cdio_eject_media_drive(path.constData()) == DRIVER_OP_SUCCESS)
                    break;
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        } else {
            driver_id_t driver = DRIVER_LINUX;
            cdio_close_tray(path.constData(), &driver);
        }
        *busy = false;
    });
}

} // namespace qlnx
