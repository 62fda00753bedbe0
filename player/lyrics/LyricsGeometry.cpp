#include "lyrics/LyricsGeometry.h"

namespace qlnx {

TLyricsLayout LayoutLyricsPanels(QSize client)
{
    const int w = client.width() - 16;
    const int h = client.height() / 2 - 4;
    return {QRect(8, 4, w, h), QRect(8, client.height() / 2 + 4, w, h)};
}

QSize LyricsMinimumClientSize(int stopButtonWidth)
{
    return QSize(8 * stopButtonWidth + 16, 40);
}

int EvenLyricsHeight(int proposedHeight, int frameHeight)
{
    // -1, 0 or 1: an odd height moves toward zero.
    return proposedHeight - (proposedHeight - frameHeight) % 2;
}

std::optional<QPoint> LyricsFormPosition(TLyricsFormSync syncMode, const QRect& mainBounds,
                                         int lyricsWidth)
{
    const int top = mainBounds.top() + mainBounds.height();
    switch (syncMode) {
    case TLyricsFormSync::BottomCenter:
        return QPoint(mainBounds.left() + (mainBounds.width() - lyricsWidth) / 2, top);
    case TLyricsFormSync::BottomLeft:
        return QPoint(mainBounds.left(), top);
    case TLyricsFormSync::BottomRight:
        return QPoint(mainBounds.left() + mainBounds.width() - lyricsWidth, top);
    default:
        return std::nullopt;
    }
}

std::optional<QPoint> MainFormPosition(TLyricsFormSync syncMode, const QRect& lyricsBounds,
                                       QSize mainSize)
{
    const int top = lyricsBounds.top() - mainSize.height();
    switch (syncMode) {
    case TLyricsFormSync::BottomCenter:
        return QPoint(lyricsBounds.left() + (lyricsBounds.width() - mainSize.width()) / 2, top);
    case TLyricsFormSync::BottomLeft:
        return QPoint(lyricsBounds.left(), top);
    case TLyricsFormSync::BottomRight:
        return QPoint(lyricsBounds.left() + lyricsBounds.width() - mainSize.width(), top);
    default:
        return std::nullopt;
    }
}

} // namespace qlnx
