#include "drive/CdioDisc.h"

#include <cstring>
#include <mutex>

#include <QFile>
#include <QFileInfo>

#include <cdio/cdio.h>
#include <cdio/cdtext.h>
#include <cdio/logging.h>

#include "base/Log.h"
#include "discid/DiscIdentity.h"

namespace qlnx {

namespace {

void LogToCategory(cdio_log_level_t level, const char* message)
{
    qCDebug(lcCdio) << int(level) << message;
}

QByteArray Local(const QString& path)
{
    return QFile::encodeName(path);
}

} // namespace

void InstallCdioLogHandler()
{
    static std::once_flag once;
    std::call_once(once, [] { cdio_log_set_handler(LogToCategory); });
}

void TCdioDestroy::operator()(CdIo_t* cdio) const
{
    cdio_destroy(cdio);
}

TCdioDisc::TCdioDisc(TCdioHandle cdio, std::unique_ptr<TImageFile> image, TDiscToc toc)
    : m_cdio(std::move(cdio)), m_image(std::move(image)), m_toc(std::move(toc))
{
}

TCdioDisc::~TCdioDisc() = default;

TCdioDisc::TOpened TCdioDisc::OpenImage(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return {TOpenResult::NoDisc, nullptr};
    std::unique_ptr<TImageFile> image = TImageFile::Open(path);
    if (!image)
        return {};
    TDiscToc toc = image->Toc();
    std::shared_ptr<TCdioDisc> disc(new TCdioDisc(nullptr, std::move(image), std::move(toc)));
    disc->ReadSerial();
    disc->TakeSheetText();
    return {TOpenResult::Opened, std::move(disc)};
}

TCdioDisc::TOpened TCdioDisc::OpenDrive(const QString& device, bool withText)
{
    InstallCdioLogHandler();
    TCdioHandle cdio(cdio_open(Local(device).constData(), DRIVER_LINUX));
    if (!cdio)
        return {};
    // Anything opens as a drive ("/dev/null" too); only a real one has capabilities.
    cdio_drive_read_cap_t read = 0;
    cdio_drive_write_cap_t write = 0;
    cdio_drive_misc_cap_t misc = 0;
    cdio_get_drive_cap(cdio.get(), &read, &write, &misc);
    if (read & CDIO_DRIVE_CAP_ERROR)
        return {};
    // A drive that opens but tells no table of contents holds no disc.
    auto disc = FromHandle(std::move(cdio), withText);
    return {disc ? TOpenResult::Opened : TOpenResult::NoDisc, std::move(disc)};
}

std::shared_ptr<TCdioDisc> TCdioDisc::FromHandle(TCdioHandle cdio, bool withText)
{
    TDiscToc toc;
    const track_t first = cdio_get_first_track_num(cdio.get());
    const track_t count = cdio_get_num_tracks(cdio.get());
    if (first != CDIO_INVALID_TRACK && count != CDIO_INVALID_TRACK && count <= 99) {
        for (track_t t = first; t < first + count; ++t) {
            toc.Tracks.append(
                TDiscToc::TTrack{cdio_get_track_lsn(cdio.get(), t),
                                 cdio_get_track_format(cdio.get(), t) == TRACK_FORMAT_AUDIO});
        }
        toc.LeadOut = cdio_get_track_lsn(cdio.get(), CDIO_CDROM_LEADOUT_TRACK);
    }
    if (!IsValidToc(toc))
        return nullptr;
    std::shared_ptr<TCdioDisc> disc(new TCdioDisc(std::move(cdio), nullptr, std::move(toc)));
    disc->ReadSerial();
    if (withText)
        disc->ReadDriveText();
    return disc;
}

std::shared_ptr<const TDiscInfo> TCdioDisc::Info(const std::shared_ptr<TCdioDisc>& disc)
{
    if (!disc)
        return nullptr;
    return std::make_shared<const TDiscInfo>(
        TDiscInfo{disc->Toc(), disc->Serial(), disc->Text(), disc});
}

void TCdioDisc::TakeSheetText()
{
    const TImageSheet& sheet = m_image->Sheet();
    m_text.Artist = sheet.Performer;
    m_text.Title = sheet.Title;
    for (const TSheetTrack& track : sheet.Tracks)
        m_text.TrackTitles.append(track.Title);
}

void TCdioDisc::ReadDriveText()
{
    // CD-Text comes in UTF-8 from libcdio, kept with the handle. Tracks are counted from the
    // disc's first track number, as the table of contents is.
    const cdtext_t* text = cdio_get_cdtext(m_cdio.get());
    if (!text)
        return;
    const auto field = [text](cdtext_field_t key, track_t track) {
        const char* value = cdtext_get_const(text, key, track);
        return value ? QString::fromUtf8(value).trimmed() : QString();
    };
    m_text.Artist = field(CDTEXT_FIELD_PERFORMER, 0);
    m_text.Title = field(CDTEXT_FIELD_TITLE, 0);
    const track_t first = cdio_get_first_track_num(m_cdio.get());
    for (qsizetype i = 0; i < m_toc.Tracks.size(); ++i)
        m_text.TrackTitles.append(field(CDTEXT_FIELD_TITLE, track_t(first + i)));
}

void TCdioDisc::ReadSerial()
{
    QList<qint32> starts;
    for (const TDiscToc::TTrack& track : m_toc.Tracks)
        starts.append(track.Start);
    m_serial = AudioDiscSerial(starts, m_toc.LeadOut);
    if (!m_toc.Tracks.front().Audio) {
        if (const auto serial = FileSystemSerial())
            m_serial = *serial;
    }
}

std::optional<QByteArray> TCdioDisc::ReadUserData(qint32 lsn)
{
    if (m_image)
        return m_image->ReadUserData(lsn);
    QByteArray sector(2048, '\0');
    if (cdio_read_data_sectors(m_cdio.get(), sector.data(), lsn, 2048, 1) != DRIVER_OP_SUCCESS)
        return std::nullopt;
    return sector;
}

std::optional<quint32> TCdioDisc::FileSystemSerial()
{
    // Volume descriptors start at sector 16 of the data track; a real set has a handful.
    constexpr int FirstDescriptor = 16;
    constexpr int MaxDescriptors = 32;
    QList<QByteArray> sectors;
    const qint32 base = m_toc.Tracks.front().Start;
    for (int i = 0; i < MaxDescriptors; ++i) {
        const auto sector = ReadUserData(base + FirstDescriptor + i);
        if (!sector)
            break;
        sectors.append(*sector);
        if (!IsVolumeDescriptor(*sector) || IsDescriptorTerminator(*sector))
            break;
    }
    const auto descriptor = PickVolumeDescriptor(sectors);
    if (!descriptor)
        return std::nullopt;
    return VolumeDescriptorSerial(*descriptor);
}

bool TCdioDisc::ReadAudio(qint32 lsn, int count, char* buffer)
{
    std::lock_guard lock(m_mutex);
    int i = 0;
    while (i < count) {
        const bool audio = IsAudioSector(m_toc, lsn + i);
        int run = 1;
        while (i + run < count && IsAudioSector(m_toc, lsn + i + run) == audio)
            ++run;
        char* out = buffer + qint64(i) * BytesPerSector;
        if (!audio) {
            std::memset(out, 0, std::size_t(run * BytesPerSector));
        } else if (m_image) {
            if (!m_image->ReadRaw(lsn + i, run, out))
                return false;
        } else if (cdio_read_audio_sectors(m_cdio.get(), out, lsn + i, unsigned(run)) !=
                   DRIVER_OP_SUCCESS) {
            // Sector by sector, so one bad sector costs only itself.
            for (int k = 0; k < run; ++k) {
                char* sector = out + qint64(k) * BytesPerSector;
                if (cdio_read_audio_sectors(m_cdio.get(), sector, lsn + i + k, 1) !=
                    DRIVER_OP_SUCCESS)
                    std::memset(sector, 0, std::size_t(BytesPerSector));
            }
        }
        i += run;
    }
    return true;
}

} // namespace qlnx
