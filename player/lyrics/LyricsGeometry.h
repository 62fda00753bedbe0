#pragma once

#include <optional>

#include <QPoint>
#include <QRect>
#include <QSize>

namespace qlnx {

// The lyrics window's geometry and the arithmetic that keeps it glued under the main window,
// apart from any widget.

// When the lyrics window shows (the "LyricsFormMode" option); the numbers are the stored ones.
enum class TLyricsFormMode
{
    On = 0,
    Off = 1,
    Depend = 2,
};

// Placement of the lyrics window under the main window (the "LyricsFormSync" option).
enum class TLyricsFormSync
{
    None = 0,
    BottomCenter = 1,
    BottomLeft = 2,
    BottomRight = 3,
};

struct TLyricsLayout
{
    QRect CurLyricsPanel;
    QRect NextLyricsPanel;
};

// Two panels of equal height filling the client area, 8 pixels from either side, 4 pixels
// above the first and between the two.
TLyricsLayout LayoutLyricsPanels(QSize client);

// The smallest client area: as wide as the main window's smallest, 40 pixels high (the
// window's frame comes on top of it).
QSize LyricsMinimumClientSize(int stopButtonWidth);

// The outer height the window takes instead of the proposed one so that its client height is
// even (an odd client height moves one pixel toward zero).
int EvenLyricsHeight(int proposedHeight, int frameHeight);

// Where the lyrics window goes under a main window with outer bounds mainBounds, or nothing in
// placement None or an unknown mode. Both rules work on outer bounds in screen pixels and are
// exact inverses of each other.
std::optional<QPoint> LyricsFormPosition(TLyricsFormSync syncMode, const QRect& mainBounds,
                                         int lyricsWidth);

// Where the main window goes above a lyrics window with outer bounds lyricsBounds.
std::optional<QPoint> MainFormPosition(TLyricsFormSync syncMode, const QRect& lyricsBounds,
                                       QSize mainSize);

} // namespace qlnx
