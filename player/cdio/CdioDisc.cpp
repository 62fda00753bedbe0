#include "cdio/CdioDisc.h"

#include <cstring>
#include <mutex>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include <cdio/cdio.h>
#include <cdio/logging.h>

#include "cdio/SheetFile.h"
#include "playback/DiscIdentity.h"
#include "text/TextCodec.h"

namespace qlnx {

namespace {

Q_LOGGING_CATEGORY(lcCdio, "qlnx.cdio", QtWarningMsg)

void LogToCategory(cdio_log_level_t level, const char* message)
{
    qCDebug(lcCdio) << int(level) << message;
}

QByteArray Local(const QString& path)
{
    return QFile::encodeName(path);
}

// A file named in a sheet, looked up beside it; the letter case may differ from the sheet's
// (sheets written on Windows).
QString FindBeside(const QString& sheet, QString name)
{
    name.replace(u'\\', u'/');
    const QFileInfo direct(QFileInfo(sheet).dir(), name);
    if (name.startsWith(u'/') || direct.exists())
        return direct.absoluteFilePath();
    const QFileInfo wanted(direct.absoluteFilePath());
    const QDir dir = wanted.dir();
    for (const QString& entry : dir.entryList(QDir::Files)) {
        if (entry.compare(wanted.fileName(), Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return direct.absoluteFilePath();
}

// libcdio takes the data of a CUE sheet from the file of the sheet's own name with the
// extension "bin" (or "BIN" for "CUE"), whatever its FILE line says. A sheet whose file is
// named otherwise is opened from a copy in a private directory, beside a link of that name.
// Sheets of several files, or of files other than raw binary, cannot be played.
std::optional<QString> StageCue(const QString& path, std::unique_ptr<QTemporaryDir>& staging)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    const QList<TCueFile> files = CueSheetFiles(DecodeText(bytes));
    if (files.size() != 1 || files.front().Type != QLatin1String("BINARY"))
        return std::nullopt;
    const QString data = FindBeside(path, files.front().Name);
    if (!QFileInfo::exists(data))
        return std::nullopt;
    const std::optional<QString> expected = ImpliedCueDataPath(path);
    if (expected && QFileInfo(*expected).canonicalFilePath() == QFileInfo(data).canonicalFilePath())
        return path;
    staging = std::make_unique<QTemporaryDir>();
    if (!staging->isValid())
        return std::nullopt;
    const QString cue = staging->filePath(QStringLiteral("image.cue"));
    QFile copy(cue);
    if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size())
        return std::nullopt;
    copy.close();
    if (!QFile::link(QFileInfo(data).absoluteFilePath(),
                     staging->filePath(QStringLiteral("image.bin"))))
        return std::nullopt;
    return cue;
}

// libcdio looks up the files of a cdrdao TOC file from the working directory; a TOC file with
// relative file names is opened from a copy that names them from the TOC file's directory.
std::optional<QString> StageToc(const QString& path, std::unique_ptr<QTemporaryDir>& staging)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const std::optional<QString> rewritten =
        RewriteTocFileNames(DecodeText(file.readAll()),
                            [&path](const QString& name) { return FindBeside(path, name); });
    if (!rewritten)
        return path;
    staging = std::make_unique<QTemporaryDir>();
    if (!staging->isValid())
        return std::nullopt;
    const QString toc = staging->filePath(QStringLiteral("image.toc"));
    QFile copy(toc);
    const QByteArray bytes = rewritten->toUtf8();
    if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size())
        return std::nullopt;
    return toc;
}

} // namespace

void InstallCdioLogHandler()
{
    static std::once_flag once;
    std::call_once(once, [] { cdio_log_set_handler(LogToCategory); });
}

TCdioDisc::TCdioDisc(CdIo_t* cdio, TDiscToc toc, std::unique_ptr<QTemporaryDir> staging)
    : m_cdio(cdio), m_toc(std::move(toc)), m_staging(std::move(staging))
{
}

TCdioDisc::~TCdioDisc()
{
    // Never cdio_eject_media here: on an image handle it frees the handle's data and the
    // destroy that follows corrupts memory.
    cdio_destroy(m_cdio);
}

std::shared_ptr<TCdioDisc> TCdioDisc::OpenImage(const QString& path, TOpenResult& result)
{
    InstallCdioLogHandler();
    result = TOpenResult::Unreadable;
    if (!QFileInfo(path).isFile()) {
        result = TOpenResult::NoDisc;
        return nullptr;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    std::unique_ptr<QTemporaryDir> staging;
    std::optional<QString> openPath = path;
    driver_id_t driver = DRIVER_UNKNOWN;
    if (suffix == QLatin1String("cue")) {
        openPath = StageCue(path, staging);
        driver = DRIVER_BINCUE;
    } else if (suffix == QLatin1String("toc")) {
        openPath = StageToc(path, staging);
        driver = DRIVER_CDRDAO;
    }
    if (!openPath)
        return nullptr;
    CdIo_t* cdio = cdio_open(Local(*openPath).constData(), driver);
    if (!cdio)
        return nullptr;
    return FromHandle(cdio, std::move(staging), result);
}

std::shared_ptr<TCdioDisc> TCdioDisc::OpenDrive(const QString& device, TOpenResult& result)
{
    InstallCdioLogHandler();
    result = TOpenResult::Unreadable;
    CdIo_t* cdio = cdio_open(Local(device).constData(), DRIVER_LINUX);
    if (!cdio)
        return nullptr;
    // Anything opens as a drive ("/dev/null" too); only a real one has capabilities.
    cdio_drive_read_cap_t read = 0;
    cdio_drive_write_cap_t write = 0;
    cdio_drive_misc_cap_t misc = 0;
    cdio_get_drive_cap(cdio, &read, &write, &misc);
    if (read & CDIO_DRIVE_CAP_ERROR) {
        cdio_destroy(cdio);
        return nullptr;
    }
    auto disc = FromHandle(cdio, nullptr, result);
    if (!disc)
        result = TOpenResult::NoDisc;
    return disc;
}

std::shared_ptr<TCdioDisc>
TCdioDisc::FromHandle(CdIo_t* cdio, std::unique_ptr<QTemporaryDir> staging, TOpenResult& result)
{
    result = TOpenResult::Unreadable;
    TDiscToc toc;
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t count = cdio_get_num_tracks(cdio);
    if (first != CDIO_INVALID_TRACK && count != CDIO_INVALID_TRACK && count <= 99) {
        for (track_t t = first; t < first + count; ++t) {
            toc.Tracks.append(TDiscToc::TTrack{
                cdio_get_track_lsn(cdio, t), cdio_get_track_format(cdio, t) == TRACK_FORMAT_AUDIO});
        }
        toc.LeadOut = cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
    }
    if (!IsValidToc(toc)) {
        cdio_destroy(cdio);
        return nullptr;
    }
    std::shared_ptr<TCdioDisc> disc(new TCdioDisc(cdio, std::move(toc), std::move(staging)));
    QList<qint32> starts;
    for (const TDiscToc::TTrack& track : disc->m_toc.Tracks)
        starts.append(track.Start);
    disc->m_serial = AudioDiscSerial(starts, disc->m_toc.LeadOut);
    if (!disc->m_toc.Tracks.front().Audio) {
        if (const auto serial = disc->FileSystemSerial())
            disc->m_serial = *serial;
    }
    result = TOpenResult::Opened;
    return disc;
}

std::optional<quint32> TCdioDisc::FileSystemSerial()
{
    // Volume descriptors start at sector 16 of the data track; a real set has a handful.
    constexpr int FirstDescriptor = 16;
    constexpr int MaxDescriptors = 32;
    QList<QByteArray> sectors;
    const qint32 base = m_toc.Tracks.front().Start;
    for (int i = 0; i < MaxDescriptors; ++i) {
        QByteArray sector(2048, '\0');
        if (cdio_read_data_sectors(m_cdio, sector.data(), base + FirstDescriptor + i, 2048, 1) !=
            DRIVER_OP_SUCCESS)
            break;
        sectors.append(sector);
        if (!IsVolumeDescriptor(sector) || IsDescriptorTerminator(sector))
            break;
    }
    const auto descriptor = PickVolumeDescriptor(sectors);
    if (!descriptor)
        return std::nullopt;
    return VolumeDescriptorSerial(*descriptor);
}

void TCdioDisc::ReadAudio(qint32 lsn, int count, char* buffer)
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
        } else if (cdio_read_audio_sectors(m_cdio, out, lsn + i, unsigned(run)) !=
                   DRIVER_OP_SUCCESS) {
            // Sector by sector, so one bad sector costs only itself.
            for (int k = 0; k < run; ++k) {
                char* sector = out + qint64(k) * BytesPerSector;
                if (cdio_read_audio_sectors(m_cdio, sector, lsn + i + k, 1) != DRIVER_OP_SUCCESS)
                    std::memset(sector, 0, std::size_t(BytesPerSector));
            }
        }
        i += run;
    }
}

} // namespace qlnx
