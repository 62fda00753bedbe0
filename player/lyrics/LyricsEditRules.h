#pragma once

#include <optional>

#include <QList>
#include <QString>

#include "disc/DiscModel.h"

namespace qlnx {

// The rules of the lyrics editor that need no window: what its two time fields accept and how
// its rows become a track's lyric list.

// The largest value of the minutes and the seconds field.
inline constexpr int MinutesMaximum = 99;
inline constexpr int SecondsMaximum = 59;

// A time field's or time cell's text as a number: decimal digits only. Anything else (empty,
// a sign, blanks, letters) is not a number. Values too large for an int saturate, which every
// caller treats as "above the maximum".
std::optional<int> ParseTimeNumber(const QString& text);

// One pass of the fields' change rule: empty text becomes "00"; a number above maximum becomes
// the maximum; a single digit gets a leading "0"; text that is not a number stays as it is.
// Applying it to its own result changes nothing.
QString CorrectTimeText(const QString& text, int maximum);

// The arrows: one step from value, stopping at 0 and maximum, or running round when wrap is set.
int StepTimeValue(int value, int step, int maximum, bool wrap);

// Where a typed digit goes: the caret moves back to the units digit when it stands further right,
// and the one character there is then overwritten.
int OverwritePosition(int caret);

// "%.2d": at least two digits.
QString TwoDigitText(int value);

// One grid row in text form: minutes, seconds, line text.
struct TLyricRow
{
    QString Minutes;
    QString Seconds;
    QString Text;

    bool operator==(const TLyricRow&) const = default;
};

TLyricRow RowFromEntry(const TLyricEntry& entry);

// The latest time the editor's fields and the data file hold: 99:59.
inline constexpr int LatestEditorTime = MinutesMaximum * 60 + SecondsMaximum;

// Moves every later time to LatestEditorTime; returns how many entries it moved.
int ClampToEditorTimes(TLyricList& lyrics);

struct TRowsToLyrics
{
    TLyricList Lyrics;
    // The first row whose time cells are not numbers, or -1. Lyrics is empty then.
    int BadRow = -1;
};

// The rows in grid order, unsorted, every text made one line (control characters become
// blanks: a line break would split the data file's line). Row 0 is always taken; a later row with
// an empty text is dropped unless it starts after the entry taken before it, so the blank row that
// each Enter at the end leaves behind disappears. All rows are checked before anything is built, so
// a caller can refuse the whole store.
TRowsToLyrics LyricsFromRows(const QList<TLyricRow>& rows);

} // namespace qlnx
