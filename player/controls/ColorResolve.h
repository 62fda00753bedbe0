#pragma once

#include <QColor>
#include <QPalette>

#include "uilogic/Colors.h"

namespace qlnx {

// What a stored colour looks like now: fixed colours as they are, system colours from the
// palette role that plays the same part.
QColor ResolveColor(TColor color, const QPalette& palette);

// A fixed colour for a colour picked by the user (a colour dialog knows no system colours).
TColor ColorFromQColor(const QColor& color);

} // namespace qlnx
