#pragma once

#include <optional>

#include <QList>
#include <QString>

#include "image/TocMath.h"

namespace qlnx {

// The sheet files of disc images (CUE sheets, cdrdao TOC files) read into where each sector of
// the disc comes from: text in, layout out, no file system. An image has one data file of
// sectors as they are on the disc; anything else makes no disc.

// A run of disc sectors taken from the data file one after the other, or silence.
struct TSheetExtent
{
    qint32 Start = 0;       // the disc sector of its first sector
    qint32 Sectors = -1;    // -1: as far as the data file reaches (only the last extent)
    qint64 FileOffset = -1; // where its first sector starts in the data file; -1: silence
    int SectorBytes = 2352; // bytes a sector takes in the data file
    int UserOffset = 0;     // where a data sector's 2048 bytes of user data start within it
    bool operator==(const TSheetExtent&) const = default;
};

struct TSheetTrack
{
    qint32 Start = 0; // the disc sector of its index 1
    bool Audio = true;
    QString Title;     // CD-Text
    QString Performer; // CD-Text
    bool operator==(const TSheetTrack&) const = default;
};

struct TImageSheet
{
    QString DataFile; // as the sheet names it
    QList<TSheetTrack> Tracks;
    QList<TSheetExtent> Extents; // in disc order, each starting where the one before ends
    QString Title;               // CD-Text
    QString Performer;           // CD-Text
    bool operator==(const TImageSheet&) const = default;
};

// A CUE sheet of one BINARY file. Keywords in any letter case, names quoted or bare; TRACK,
// INDEX, PREGAP, TITLE and PERFORMER are read, POSTGAP and other file types are refused, any
// other line is passed over. No value for a sheet that makes no disc.
std::optional<TImageSheet> ParseCueSheet(const QString& text);

// A cdrdao TOC file of one data file: TRACK with its mode, FILE/AUDIOFILE "name" [#offset]
// start [length], DATAFILE "name" [#offset] [length], SILENCE, ZERO, PREGAP, START and the
// TITLE and PERFORMER of CD_TEXT blocks; times as MM:SS:FF or in samples (audio) or bytes
// (data). No value for a file that makes no disc.
std::optional<TImageSheet> ParseTocFile(const QString& text);

// A disc laid out on its data file: the extents closed, each either silence or starting
// within the file.
struct TImageLayout
{
    TDiscToc Toc;
    QList<TSheetExtent> Extents;
};

// The disc a sheet makes on a data file of the given size: the lead-out where the last extent
// ends. No value when a track lies beyond the file's end or the table of contents is not
// valid.
std::optional<TImageLayout> LayOutImage(const TImageSheet& sheet, qint64 fileBytes);

// The extent holding a disc sector, if any.
const TSheetExtent* ExtentAt(const QList<TSheetExtent>& extents, qint32 lsn);

// A time as MM:SS:FF in sectors: minutes 0..99, seconds below 60, frames below 75.
std::optional<qint32> ParseMsf(QStringView text);

// Sheets larger than this are not read: no disc has one.
constexpr qint64 MaxSheetBytes = 1024 * 1024;

} // namespace qlnx
