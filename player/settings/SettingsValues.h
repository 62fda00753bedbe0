#pragma once

#include <optional>

#include <QString>

#include "uilogic/Colors.h"

namespace qlnx {

// The bits of a font's "Style" value in the settings file; 0 is a regular font.
constexpr int FontStyleBold = 1;
constexpr int FontStyleItalic = 2;
constexpr int FontStyleUnderline = 4;
constexpr int FontStyleStrikeOut = 8;

// A colour as the settings file holds it: one of the named colours (the sixteen fixed ones,
// the twenty-five system colours, clNone), compared without regard to letter case, or a
// number as for integers. No value for anything else.
std::optional<TColor> ParseColor(const QString& text);

// The name of a named colour, spelt as the settings file writes it, or "$" and the value as
// eight upper-case hexadecimal digits ($00C08040).
QString FormatColor(TColor color);

} // namespace qlnx
