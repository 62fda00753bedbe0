#pragma once

#include <functional>
#include <optional>

#include <QList>
#include <QString>

#include "image/AudioData.h"
#include "image/TocMath.h"

namespace qlnx {

// The sheet files of disc images (CUE sheets, cdrdao TOC files) read into where each sector of
// the disc comes from: text in, layout out, no file system. The files behind a sheet hold
// sectors as they are on the disc, or audio files whose samples make the sectors.

// A run of disc sectors taken from one file one after the other, or silence.
struct TSheetExtent
{
    qint32 Start = 0;       // the disc sector of its first sector
    qint32 Sectors = -1;    // -1: as far as its file reaches (only the last extent)
    qint64 FileOffset = -1; // where its first sector starts in its file's data; -1: silence
    int SectorBytes = 2352; // bytes a sector takes in the file
    int UserOffset = 0;     // where a data sector's 2048 bytes of user data start within it
    int File = 0;           // the sheet's file it comes from
    bool operator==(const TSheetExtent&) const = default;
};

struct TSheetFile
{
    QString Name; // as the sheet names it
    TFileKind Kind = TFileKind::Raw;
    bool operator==(const TSheetFile&) const = default;
};

// The bytes of sector data a file of the sheet holds (the samples of an audio file); none when
// it cannot be read. A sheet whose tracks follow a file's end needs it to place them.
using TFileBytes = std::function<std::optional<qint64>(const TSheetFile&)>;

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
    QList<TSheetFile> Files; // in the order the sheet names them first
    QList<TSheetTrack> Tracks;
    QList<TSheetExtent> Extents; // in disc order, each starting where the one before ends
    QString Title;               // CD-Text
    QString Performer;           // CD-Text
    QString DiscId;              // a CUE sheet's REM DISCID: the ripped disc's freedb id
    bool operator==(const TImageSheet&) const = default;
};

// A CUE sheet of one file or of several (BINARY, MOTOROLA, WAVE or AIFF). Keywords in any
// letter case, names quoted or bare; FILE, TRACK, INDEX, PREGAP, POSTGAP, TITLE, PERFORMER and
// REM DISCID are read, any other line is passed over. A file followed by another one is
// measured through fileBytes (a sheet of several files makes no disc without it). No value for
// a sheet that makes no disc.
std::optional<TImageSheet> ParseCueSheet(const QString& text, const TFileBytes& fileBytes = {});

// A cdrdao TOC file: TRACK with its mode, FILE/AUDIOFILE "name" [#offset] start [length],
// DATAFILE "name" [#offset] [length], SILENCE, ZERO, PREGAP, START and the TITLE and PERFORMER
// of CD_TEXT blocks (with their escapes); times as MM:SS:FF or in samples (audio) or bytes
// (data). Audio files are read as WAV, AIFF or FLAC when their content is one. A run without
// a length followed by more is measured through fileBytes. No value for a file that makes no
// disc.
std::optional<TImageSheet> ParseTocFile(const QString& text, const TFileBytes& fileBytes = {});

// A disc laid out on its data file: the extents closed, each either silence or starting
// within the file.
struct TImageLayout
{
    TDiscToc Toc;
    QList<TSheetExtent> Extents;
};

// The disc a sheet makes on files of the given sizes (bytes of sector data, one for each of
// the sheet's files): the lead-out where the last extent ends. No value when an extent starts
// beyond its file's end or the table of contents is not valid.
std::optional<TImageLayout> LayOutImage(const TImageSheet& sheet, const QList<qint64>& fileBytes);
// The same for a sheet of one file.
std::optional<TImageLayout> LayOutImage(const TImageSheet& sheet, qint64 fileBytes);

// The extent holding a disc sector, if any.
const TSheetExtent* ExtentAt(const QList<TSheetExtent>& extents, qint32 lsn);

// A time as MM:SS:FF in sectors: minutes 0..99, seconds below 60, frames below 75.
std::optional<qint32> ParseMsf(QStringView text);

// Sheets larger than this are not read: no disc has one.
constexpr qint64 MaxSheetBytes = 1024 * 1024;

} // namespace qlnx
