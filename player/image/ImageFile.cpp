#include "image/ImageFile.h"

#include <cstring>
#include <map>

#include <QDir>
#include <QFileInfo>

#include "text/TextCodec.h"

namespace qlnx {

namespace {

constexpr int RawSectorBytes = 2352;

// A file named in a sheet, looked up beside it; the letter case may differ from the sheet's
// (sheets written on Windows). A path leading elsewhere is followed, but only to a regular
// file (checked where it is opened).
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

std::optional<QString> ReadSheet(const QString& path, QString* why)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("the sheet cannot be read");
        return std::nullopt;
    }
    // Read one byte more than allowed: a file growing meanwhile is refused too.
    const QByteArray bytes = file.read(MaxSheetBytes + 1);
    if (bytes.size() > MaxSheetBytes) {
        *why = QStringLiteral("the sheet is larger than any disc's");
        return std::nullopt;
    }
    QString text = DecodeText(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

// The files a sheet names, each opened once however often the sheet names it.
class TFileSet
{
public:
    explicit TFileSet(QString sheetPath) : m_sheetPath(std::move(sheetPath)) {}

    TAudioData* Get(const TSheetFile& file)
    {
        const auto key = std::make_pair(file.Name, int(file.Kind));
        auto it = m_files.find(key);
        if (it == m_files.end()) {
            QString reason;
            auto data = OpenAudioData(FindBeside(m_sheetPath, file.Name), file.Kind, &reason);
            if (!data && Why.isEmpty())
                Why = reason;
            it = m_files.emplace(key, std::move(data)).first;
        }
        return it->second.get();
    }

    std::unique_ptr<TAudioData> Take(const TSheetFile& file)
    {
        Get(file);
        return std::move(m_files[std::make_pair(file.Name, int(file.Kind))]);
    }

    QString Why; // of the first file that cannot be read

private:
    QString m_sheetPath;
    std::map<std::pair<QString, int>, std::unique_ptr<TAudioData>> m_files;
};

} // namespace

TImageFile::TImageFile(TImageSheet sheet, TImageLayout layout,
                       std::vector<std::unique_ptr<TAudioData>> files)
    : m_sheet(std::move(sheet)), m_layout(std::move(layout)), m_files(std::move(files))
{
}

std::unique_ptr<TImageFile> TImageFile::Open(const QString& sheetPath, QString* why)
{
    QString reason;
    const auto fail = [&](const QString& r) {
        qCInfo(lcImage).noquote() << sheetPath << "cannot be played:" << r;
        if (why)
            *why = r;
        return nullptr;
    };
    const auto text = ReadSheet(sheetPath, &reason);
    if (!text)
        return fail(reason);
    TFileSet files(sheetPath);
    const TFileBytes sizeOf = [&files](const TSheetFile& file) -> std::optional<qint64> {
        TAudioData* data = files.Get(file);
        return data ? std::optional<qint64>(data->Bytes()) : std::nullopt;
    };
    const QString suffix = QFileInfo(sheetPath).suffix().toLower();
    std::optional<TImageSheet> sheet;
    if (suffix == QLatin1String("cue"))
        sheet = ParseCueSheet(*text, sizeOf);
    else if (suffix == QLatin1String("toc"))
        sheet = ParseTocFile(*text, sizeOf);
    else
        return fail(QStringLiteral("the sheet is neither a CUE sheet nor a TOC file"));
    if (!files.Why.isEmpty())
        return fail(files.Why);
    if (!sheet)
        return fail(QStringLiteral("the sheet makes no disc (or its files are shorter than its "
                                   "times say)"));
    std::vector<std::unique_ptr<TAudioData>> opened;
    QList<qint64> sizes;
    for (const TSheetFile& file : sheet->Files) {
        opened.push_back(files.Take(file));
        if (!opened.back())
            return fail(files.Why);
        sizes.append(opened.back()->Bytes());
    }
    auto layout = LayOutImage(*sheet, sizes);
    if (!layout)
        return fail(QStringLiteral("the sheet's files are shorter than its times say, or it "
                                   "makes no disc"));
    if (!sheet->DiscId.isEmpty()) {
        const QString read =
            QStringLiteral("%1").arg(FreedbId(layout->Toc), 8, 16, QLatin1Char('0'));
        qCInfo(lcImage).noquote()
            << sheetPath << "REM DISCID" << sheet->DiscId
            << (sheet->DiscId.compare(read, Qt::CaseInsensitive) == 0
                    ? QStringLiteral("agrees with the layout read")
                    : QStringLiteral("does not agree with the layout read (%1)").arg(read));
    }
    return std::unique_ptr<TImageFile>(
        new TImageFile(std::move(*sheet), std::move(*layout), std::move(opened)));
}

bool TImageFile::ReadRaw(qint32 lsn, int count, char* buffer)
{
    std::memset(buffer, 0, std::size_t(count) * RawSectorBytes);
    int i = 0;
    while (i < count) {
        const TSheetExtent* extent = ExtentAt(m_layout.Extents, lsn + i);
        if (!extent) {
            ++i;
            continue;
        }
        // The rest of the extent in one read when its sectors are raw.
        const qint32 within = lsn + i - extent->Start;
        const int run = extent->SectorBytes == RawSectorBytes
                            ? int(std::min<qint64>(count - i, extent->Sectors - within))
                            : 1;
        if (extent->FileOffset >= 0) {
            const qint64 wanted = qint64(run) * std::min(extent->SectorBytes, RawSectorBytes);
            if (!m_files.at(std::size_t(extent->File))
                     ->Read(extent->FileOffset + qint64(within) * extent->SectorBytes,
                            buffer + qint64(i) * RawSectorBytes, wanted))
                return false;
        }
        i += run;
    }
    return true;
}

std::optional<QByteArray> TImageFile::ReadUserData(qint32 lsn)
{
    const TSheetExtent* extent = ExtentAt(m_layout.Extents, lsn);
    if (!extent || extent->FileOffset < 0 || extent->UserOffset + 2048 > extent->SectorBytes)
        return std::nullopt;
    QByteArray user(2048, '\0');
    if (!m_files.at(std::size_t(extent->File))
             ->Read(extent->FileOffset + qint64(lsn - extent->Start) * extent->SectorBytes +
                        extent->UserOffset,
                    user.data(), 2048))
        return std::nullopt;
    return user;
}

} // namespace qlnx
