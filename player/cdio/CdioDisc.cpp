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

// A sheet file as libcdio can open it: the file itself, or a copy in a private directory.
struct TStagedSheet
{
    QString Path;
    std::unique_ptr<QTemporaryDir> Dir;
};

// libcdio takes the data of a CUE sheet from the file of the sheet's own name with the
// extension "bin" (or "BIN" for "CUE"), whatever its FILE line says. A sheet whose file is
// named otherwise is opened from a copy in a private directory, beside a link of that name.
// Sheets of several files, or of files other than raw binary, cannot be played.
std::optional<TStagedSheet> StageCue(const QString& path)
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
        return TStagedSheet{path, nullptr};
    auto staging = std::make_unique<QTemporaryDir>();
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
    return TStagedSheet{cue, std::move(staging)};
}

// libcdio looks up the files of a cdrdao TOC file from the working directory; a TOC file with
// relative file names is opened from a copy that names them from the TOC file's directory.
std::optional<TStagedSheet> StageToc(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const std::optional<QString> rewritten =
        RewriteTocFileNames(DecodeText(file.readAll()),
                            [&path](const QString& name) { return FindBeside(path, name); });
    if (!rewritten)
        return TStagedSheet{path, nullptr};
    auto staging = std::make_unique<QTemporaryDir>();
    if (!staging->isValid())
        return std::nullopt;
    const QString toc = staging->filePath(QStringLiteral("image.toc"));
    QFile copy(toc);
    const QByteArray bytes = rewritten->toUtf8();
    if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size())
        return std::nullopt;
    return TStagedSheet{toc, std::move(staging)};
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

TCdioDisc::TCdioDisc(TCdioHandle cdio, TDiscToc toc, std::unique_ptr<QTemporaryDir> staging)
    : m_staging(std::move(staging)), m_cdio(std::move(cdio)), m_toc(std::move(toc))
{
}

TCdioDisc::~TCdioDisc() = default;

TCdioDisc::TOpened TCdioDisc::OpenImage(const QString& path)
{
    InstallCdioLogHandler();
    if (!QFileInfo(path).isFile())
        return {TOpenResult::NoDisc, nullptr};
    const QString suffix = QFileInfo(path).suffix().toLower();
    std::optional<TStagedSheet> sheet = TStagedSheet{path, nullptr};
    driver_id_t driver = DRIVER_UNKNOWN;
    if (suffix == QLatin1String("cue")) {
        sheet = StageCue(path);
        driver = DRIVER_BINCUE;
    } else if (suffix == QLatin1String("toc")) {
        sheet = StageToc(path);
        driver = DRIVER_CDRDAO;
    }
    if (!sheet)
        return {};
    TCdioHandle cdio(cdio_open(Local(sheet->Path).constData(), driver));
    if (!cdio)
        return {};
    auto disc = FromHandle(std::move(cdio), std::move(sheet->Dir));
    return {disc ? TOpenResult::Opened : TOpenResult::Unreadable, std::move(disc)};
}

TCdioDisc::TOpened TCdioDisc::OpenDrive(const QString& device)
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
    auto disc = FromHandle(std::move(cdio), nullptr);
    return {disc ? TOpenResult::Opened : TOpenResult::NoDisc, std::move(disc)};
}

std::shared_ptr<TCdioDisc> TCdioDisc::FromHandle(TCdioHandle cdio,
                                                 std::unique_ptr<QTemporaryDir> staging)
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
    std::shared_ptr<TCdioDisc> disc(
        new TCdioDisc(std::move(cdio), std::move(toc), std::move(staging)));
    QList<qint32> starts;
    for (const TDiscToc::TTrack& track : disc->m_toc.Tracks)
        starts.append(track.Start);
    disc->m_serial = AudioDiscSerial(starts, disc->m_toc.LeadOut);
    if (!disc->m_toc.Tracks.front().Audio) {
        if (const auto serial = disc->FileSystemSerial())
            disc->m_serial = *serial;
    }
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
        if (cdio_read_data_sectors(m_cdio.get(), sector.data(), base + FirstDescriptor + i, 2048,
                                   1) != DRIVER_OP_SUCCESS)
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
}

} // namespace qlnx
