#include "image/ImageFile.h"

#include <cstring>

#include <QDir>
#include <QFileInfo>

#include "text/TextCodec.h"

namespace qlnx {

namespace {

constexpr int RawSectorBytes = 2352;

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

std::optional<QString> ReadSheet(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Read one byte more than allowed: a file growing meanwhile is refused too.
    const QByteArray bytes = file.read(MaxSheetBytes + 1);
    if (bytes.size() > MaxSheetBytes)
        return std::nullopt;
    QString text = DecodeText(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

} // namespace

TImageFile::TImageFile(TImageSheet sheet, TImageLayout layout, const QString& dataPath)
    : m_sheet(std::move(sheet)), m_layout(std::move(layout)), m_data(dataPath)
{
}

std::unique_ptr<TImageFile> TImageFile::Open(const QString& sheetPath)
{
    const auto text = ReadSheet(sheetPath);
    if (!text)
        return nullptr;
    const QString suffix = QFileInfo(sheetPath).suffix().toLower();
    std::optional<TImageSheet> sheet;
    if (suffix == QLatin1String("cue"))
        sheet = ParseCueSheet(*text);
    else if (suffix == QLatin1String("toc"))
        sheet = ParseTocFile(*text);
    if (!sheet)
        return nullptr;
    const QString dataPath = FindBeside(sheetPath, sheet->DataFile);
    const QFileInfo data(dataPath);
    if (!data.isFile())
        return nullptr;
    auto layout = LayOutImage(*sheet, data.size());
    if (!layout)
        return nullptr;
    std::unique_ptr<TImageFile> image(
        new TImageFile(std::move(*sheet), std::move(*layout), dataPath));
    if (!image->m_data.open(QIODevice::ReadOnly))
        return nullptr;
    return image;
}

void TImageFile::ReadRaw(qint32 lsn, int count, char* buffer)
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
        if (extent->FileOffset >= 0 &&
            m_data.seek(extent->FileOffset + qint64(within) * extent->SectorBytes)) {
            const qint64 wanted = qint64(run) * std::min(extent->SectorBytes, RawSectorBytes);
            // What is not read (the file's end, an error) stays zeros.
            m_data.read(buffer + qint64(i) * RawSectorBytes, wanted);
        }
        i += run;
    }
}

std::optional<QByteArray> TImageFile::ReadUserData(qint32 lsn)
{
    const TSheetExtent* extent = ExtentAt(m_layout.Extents, lsn);
    if (!extent || extent->FileOffset < 0 || extent->UserOffset + 2048 > extent->SectorBytes)
        return std::nullopt;
    if (!m_data.seek(extent->FileOffset + qint64(lsn - extent->Start) * extent->SectorBytes +
                     extent->UserOffset))
        return std::nullopt;
    QByteArray user = m_data.read(2048);
    if (user.size() != 2048)
        return std::nullopt;
    return user;
}

} // namespace qlnx
