#pragma once

#include <QString>

namespace qlnx {

// How the track list and the track row prefix a track's name with its number (the stored
// "TrackNumberStyle" option).
enum class TTrackNumberStyle
{
    None = 0,
    Simple = 1,
    Brackets1 = 2,
    Brackets2 = 3
};

// The list item of a track: the name, after "n.", "[n]" or "<n>" as the style says. A style
// outside the four shows the name alone.
QString TrackItem(TTrackNumberStyle style, int track, const QString& name);

// The application title while a track is current: its list item, then the artist row's text.
QString TrackTitle(const QString& item, const QString& artist);

} // namespace qlnx
