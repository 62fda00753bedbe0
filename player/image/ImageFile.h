#pragma once

#include <memory>
#include <optional>

#include <QByteArray>
#include <QFile>
#include <QString>

#include "image/ImageSheet.h"

namespace qlnx {

// A disc image on the file system: its sheet (CUE sheet or cdrdao TOC file, told apart by the
// extension) read and laid out on its data file, whose sectors are then read by plain file
// reads. Not thread-safe.
class TImageFile final
{
public:
    // The image of a sheet file; none when the sheet or its data file cannot be read or make
    // no disc. Sheets over MaxSheetBytes are not read; the data file must be a regular file.
    static std::unique_ptr<TImageFile> Open(const QString& sheetPath);

    const TDiscToc& Toc() const { return m_layout.Toc; }
    // The sheet as read, with its CD-Text.
    const TImageSheet& Sheet() const { return m_sheet; }

    // Raw 2352-byte sectors; what lies in silence or beyond the data file's end reads as zeros.
    void ReadRaw(qint32 lsn, int count, char* buffer);
    // The 2048 bytes of user data of a data sector, if the data file holds them.
    std::optional<QByteArray> ReadUserData(qint32 lsn);

private:
    TImageFile(TImageSheet sheet, TImageLayout layout, const QString& dataPath);

    TImageSheet m_sheet;
    TImageLayout m_layout;
    QFile m_data;
};

} // namespace qlnx
