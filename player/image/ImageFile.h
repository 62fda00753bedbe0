#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>

#include "image/AudioData.h"
#include "image/ImageSheet.h"

namespace qlnx {

// A disc image on the file system: its sheet (CUE sheet or cdrdao TOC file, told apart by the
// extension) read and laid out on the files it names (raw sectors, WAV, AIFF or FLAC), whose
// sectors are then read from them. Not thread-safe.
class TImageFile final
{
public:
    // The image of a sheet file; none, with the reason in why, when the sheet or a file it
    // names cannot be read or they make no disc. Sheets over MaxSheetBytes are not read; the
    // files must be regular files.
    static std::unique_ptr<TImageFile> Open(const QString& sheetPath, QString* why = nullptr);

    const TDiscToc& Toc() const { return m_layout.Toc; }
    // The sheet as read, with its CD-Text.
    const TImageSheet& Sheet() const { return m_sheet; }

    // Raw 2352-byte sectors; what lies in silence or beyond a file's end reads as zeros. False
    // when a file turns out to be broken (a corrupt FLAC frame).
    bool ReadRaw(qint32 lsn, int count, char* buffer);
    // The 2048 bytes of user data of a data sector, if its file holds them.
    std::optional<QByteArray> ReadUserData(qint32 lsn);

private:
    TImageFile(TImageSheet sheet, TImageLayout layout,
               std::vector<std::unique_ptr<TAudioData>> files);

    TImageSheet m_sheet;
    TImageLayout m_layout;
    std::vector<std::unique_ptr<TAudioData>> m_files; // one for each of the sheet's files
};

} // namespace qlnx
