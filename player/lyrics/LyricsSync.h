#pragma once

#include <QString>

#include "disc/DiscModel.h"

namespace qlnx {

// What the player shows for a play position: the elapsed-time values and the current and next
// lyric line of the current track. No state of its own: the texts the two lyric panels show
// are the only record of what is on screen.

// "%d:%.2d": minutes without leading zeros, seconds with two digits.
QString FormatMinSec(int minutes, int seconds);

struct TGaugePosition
{
    int Progress = 0; // whole seconds from the start of the track
    QString Text;     // the same as minutes and seconds

    bool operator==(const TGaugePosition&) const = default;
};

// From a packed TMSF position; the track and frame bytes are ignored.
TGaugePosition GaugePosition(quint32 position);

// The line that is current at position (whole seconds): the entry before the first one stamped
// later than position, the first entry when that is the very first, and the last entry when
// none is later. Entries behind the first later one are not looked at, so out-of-order stamps
// keep their stored meaning. -1 only for an empty list.
int CurrentLyricIndex(const TLyricList& lyrics, int position);

struct TLyricLines
{
    QString Current;
    QString Next; // empty when the current line is the last

    bool operator==(const TLyricLines&) const = default;
};

// Both texts empty for an empty list.
TLyricLines SelectLyricLines(const TLyricList& lyrics, int position);

// The lyrics of the track that the play order holds at orderIndex (1-based), or nullptr when
// orderIndex names no entry of the order or the entry names no track of the disc.
const TLyricList* CurrentLyrics(const TDiscModel& model, int orderIndex);

// The Depend rule of the lyrics window: shown only while a disc is loaded and its current
// track has lyrics.
bool DependShowsLyricsForm(const TDiscModel& model, int orderIndex);

// The screen as the position sync sees it: the elapsed-time gauge, and the lyrics window's
// visibility and two panels. The main window implements it; the setters of the lyric panels
// go through SetPanelText so that the alignment follows the text.
class TPositionSink
{
public:
    virtual ~TPositionSink() = default;

    // Progress and text in one write, so that the gauge is painted once per change.
    virtual void SetGauge(const TGaugePosition& position) = 0;

    virtual bool LyricsVisible() const = 0;
    virtual QString CurLyricsText() const = 0;
    virtual QString NextLyricsText() const = 0;
    virtual void SetCurLyricsText(const QString& text) = 0;
    virtual void SetNextLyricsText(const QString& text) = 0;
};

// Shows position (packed TMSF) of the current track: gauge progress and text; then,
// only while the lyrics window is visible, the two lyric lines of the track at orderIndex. The
// panels are set only when either differs from what they show, and then both, current first.
void SyncPosition(const TDiscModel& model, int orderIndex, quint32 position, TPositionSink& sink);

} // namespace qlnx
