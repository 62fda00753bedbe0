#pragma once

#include <array>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace qlnxdc {

// Conversion of an older per-disc database into one disc data file per disc. Two source formats
// are INI-like: a section per disc named after the disc identity, key=value lines for
// "artist", "title", "order" and the numbered track names. They differ only in how tracks are
// numbered: old KVT files count from 1, the Windows standard layout from 0. The third is CDDB
// data in the xmcd format, one file per disc, alone or in a folder tree (convert/Cddb.h).

// The values are the item indexes of the format choice in the window.
enum class TSourceFormat
{
    Kvt = 0,
    WinStandard = 1,
    Cddb = 2,
};

enum class TLogStyle
{
    Normal,
    Bold,
    Red,
};

struct TLogLine
{
    QString Text;
    TLogStyle Style = TLogStyle::Normal;

    bool operator==(const TLogLine&) const = default;
};

// Where a run reports what it found. Lines are added at the end of the log, and the caret
// follows them until the run moves it back to the beginning at its normal end; a run that stops
// early leaves it at the end.
class TConversionLog
{
public:
    virtual ~TConversionLog() = default;
    virtual void Clear() = 0;
    virtual void AppendLine(const QString& text, TLogStyle style) = 0;
    virtual void MoveCaretToStart() = 0;
};

// The question put when a track number 0 turns up in a source read as old KVT, which counts
// from 1: the file is probably in the Windows standard layout. Asked at most once per run.
class TTrackZeroAsker
{
public:
    virtual ~TTrackZeroAsker() = default;
    // True stops the run (the user switches the format and converts again); false goes on, and
    // every 0 of the run is skipped.
    virtual bool AskTrackZero() = 0;
};

// The disc being collected: everything found in one section of the source.
struct TDiscRecord
{
    static constexpr int MaxTrack = 99;
    static constexpr int MaxOrder = 100;

    QString Identity; // the section name padded to 8 characters; empty before the first section
    QString Artist;
    QString Title;
    QString Order; // "01-03-02"
    int OrderCount = 0;
    std::array<QString, MaxTrack + 1> Names; // 1..99
    int HighestTrack = 0;

    void Reset(const QString& identity);
};

// The lines of the disc data file for a record (without line ends): only the sections that have
// data, in the order artist, title, order, tracks. Each value is one line: control characters
// become blanks. A value that would read as one of the file's headers ("[Title]", "[Track04]",
// in any letter case, also behind blanks) is written with one blank more in front, so the player
// takes it as a value; dropping that one blank gives the old text back.
QStringList DiscFileLines(const TDiscRecord& record);

// The bytes of the disc data file for a record: its lines in UTF-8, each ended by CR LF.
QByteArray DiscFileBytes(const TDiscRecord& record);

// What the log shows for a record: its identity in bold, one line per item, a blank line.
QList<TLogLine> DiscLogLines(const TDiscRecord& record);

// The section name padded with leading "0" to at least 8 characters.
QString DiscIdentity(const QString& sectionName);

// The part of a source value before its first NUL. The player's reader ends the text of a disc
// data file at a NUL, so a NUL written into a value would hide every line after it.
QStringView UpToNul(QStringView value);

// Whether an identity can name a file inside the destination directory and nowhere else.
bool IsPlainFileName(const QString& identity);

// destDir/<identity with upper-case ASCII letters>.dat. The player looks for upper-case names,
// and file names here distinguish letter case.
QString ConvertedFileName(const QString& destDir, const QString& identity);

QString CannotOpenMessage(const QString& fileName);
QString CannotCreateMessage(const QString& fileName);

// The log line of a record that is not written because its name is not a plain file name.
QString NotWrittenLine();

struct TConversionResult
{
    enum class TOutcome
    {
        Completed,
        Failed,  // Message says which file could not be read or written
        Stopped, // the track-0 question said stop
    };
    TOutcome Outcome = TOutcome::Completed;
    QString Message;
};

// One conversion run over the lines of a source. Writes a file per disc into destDir as it goes,
// so the files of discs before a failure or a stop stay.
TConversionResult ConvertLines(const QStringList& lines, const QString& destDir,
                               TSourceFormat format, TConversionLog& log, TTrackZeroAsker& asker);

// The whole run: empties the log, reads the source and converts it. A source that cannot be
// read writes nothing and leaves the log empty. A CDDB source may also be a folder.
TConversionResult ConvertFile(const QString& sourcePath, const QString& destDir,
                              TSourceFormat format, TConversionLog& log, TTrackZeroAsker& asker);

} // namespace qlnxdc
