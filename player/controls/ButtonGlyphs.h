#pragma once

#include <QIcon>

namespace qlnx {

enum class TGlyph
{
    Play,
    Pause,
    Stop,
    Prev,
    Back,
    Forward,
    Next,
    Eject
};

// The small pictures on the transport buttons, drawn rather than loaded so they stay sharp and
// follow the button text colour of the palette.
QIcon MakeGlyph(TGlyph glyph, const QColor& color);

} // namespace qlnx
