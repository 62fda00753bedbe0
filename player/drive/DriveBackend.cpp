#include "drive/DriveBackend.h"

#include <QElapsedTimer>
#include <QFile>

#include <cdio/cdio.h>

#ifdef __linux__
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include "base/Log.h"
#include "drive/CdioDisc.h"

namespace qlnx {

namespace {

class TCdioDriveBackend final : public TDriveBackend
{
public:
    explicit TCdioDriveBackend(const QString& device)
        : m_device(device), m_path(QFile::encodeName(device))
    {
        InstallCdioLogHandler();
    }

    QString Name() const override { return m_device; }

    bool IsDrive() override
    {
        TCdioHandle cdio(cdio_open(m_path.constData(), DRIVER_LINUX));
        if (!cdio)
            return false;
        cdio_drive_read_cap_t read = 0;
        cdio_drive_write_cap_t write = 0;
        cdio_drive_misc_cap_t misc = 0;
        cdio_get_drive_cap(cdio.get(), &read, &write, &misc);
        return !(read & CDIO_DRIVE_CAP_ERROR);
    }

    TTrayStatus Status() override
    {
#ifdef __linux__
        // Without O_NONBLOCK the open itself would wait for a disc. The handle is not kept:
        // the kernel refuses to eject while one is open.
        const int fd = ::open(m_path.constData(), O_RDONLY | O_NONBLOCK);
        if (fd < 0)
            return TTrayStatus::NoInfo;
        const int status = ::ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT);
        ::close(fd);
        switch (status) {
        case CDS_NO_DISC:
            return TTrayStatus::NoDisc;
        case CDS_TRAY_OPEN:
            return TTrayStatus::TrayOpen;
        case CDS_DRIVE_NOT_READY:
            return TTrayStatus::NotReady;
        case CDS_DISC_OK:
            return TTrayStatus::DiscOk;
        default:
            return TTrayStatus::NoInfo;
        }
#else
        return TTrayStatus::NoInfo;
#endif
    }

    std::shared_ptr<const TDiscInfo> ReadDisc() override
    {
        return TCdioDisc::Info(TCdioDisc::OpenDrive(m_device).Disc);
    }

    bool Eject() override
    {
        return cdio_eject_media_drive(m_path.constData()) == DRIVER_OP_SUCCESS;
    }

    bool CloseTray() override
    {
        driver_id_t driver = DRIVER_LINUX;
        return cdio_close_tray(m_path.constData(), &driver) == DRIVER_OP_SUCCESS;
    }

private:
    QString m_device;
    QByteArray m_path;
};

const char* StatusName(TTrayStatus status)
{
    switch (status) {
    case TTrayStatus::NoInfo:
        return "no information";
    case TTrayStatus::NoDisc:
        return "no disc";
    case TTrayStatus::TrayOpen:
        return "tray open";
    case TTrayStatus::NotReady:
        return "not ready";
    case TTrayStatus::DiscOk:
        break;
    }
    return "disc ok";
}

double Ms(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

template <typename Call, typename Describe>
auto LoggedCall(const QString& name, const char* what, Call call, Describe describe)
{
    QElapsedTimer timer;
    timer.start();
    auto result = call();
    qCDebug(lcDrive, "%s: %s: %s, %.1f ms", qPrintable(name), what, describe(result), Ms(timer));
    return result;
}

class TLoggingSource final : public TSectorSource
{
public:
    TLoggingSource(QString name, std::shared_ptr<TSectorSource> source)
        : m_name(std::move(name)), m_source(std::move(source))
    {
    }
    bool ReadAudio(qint32 lsn, int count, char* buffer) override
    {
        QElapsedTimer timer;
        timer.start();
        const bool read = m_source->ReadAudio(lsn, count, buffer);
        qCDebug(lcDrive, "%s: read %d sectors at %d: %.1f ms%s", qPrintable(m_name), count, lsn,
                Ms(timer), read ? "" : ", failed");
        return read;
    }

private:
    QString m_name;
    std::shared_ptr<TSectorSource> m_source;
};

class TLoggingBackend final : public TDriveBackend
{
public:
    explicit TLoggingBackend(std::unique_ptr<TDriveBackend> backend) : m_backend(std::move(backend))
    {
    }
    QString Name() const override { return m_backend->Name(); }
    bool IsImage() const override { return m_backend->IsImage(); }
    bool IsDrive() override
    {
        return LoggedCall(
            Name(), "is a drive", [this] { return m_backend->IsDrive(); },
            [](bool yes) { return yes ? "yes" : "no"; });
    }
    TTrayStatus Status() override
    {
        return LoggedCall(
            Name(), "status", [this] { return m_backend->Status(); }, StatusName);
    }
    std::shared_ptr<const TDiscInfo> ReadDisc() override
    {
        auto disc = LoggedCall(
            Name(), "read disc", [this] { return m_backend->ReadDisc(); },
            [](const std::shared_ptr<const TDiscInfo>& d) {
                return d ? "table of contents read" : "no table of contents";
            });
        if (!disc)
            return disc;
        TDiscInfo logged = *disc;
        logged.Audio = std::make_shared<TLoggingSource>(Name(), disc->Audio);
        return std::make_shared<const TDiscInfo>(std::move(logged));
    }
    bool Eject() override
    {
        return LoggedCall(
            Name(), "eject", [this] { return m_backend->Eject(); },
            [](bool ok) { return ok ? "done" : "refused"; });
    }
    bool CloseTray() override
    {
        return LoggedCall(
            Name(), "close tray", [this] { return m_backend->CloseTray(); },
            [](bool ok) { return ok ? "done" : "refused"; });
    }
    void Cancel() override { m_backend->Cancel(); }

private:
    std::unique_ptr<TDriveBackend> m_backend;
};

} // namespace

std::unique_ptr<TDriveBackend> MakeCdioDriveBackend(const QString& device)
{
    return std::make_unique<TCdioDriveBackend>(device);
}

std::unique_ptr<TDriveBackend> MakeLoggingDriveBackend(std::unique_ptr<TDriveBackend> backend)
{
    return std::make_unique<TLoggingBackend>(std::move(backend));
}

} // namespace qlnx
