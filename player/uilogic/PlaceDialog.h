#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace qlnx {

// Where a dialog of the given outer size goes beside a main window with outer bounds main on a
// screen of the given size: right of the main window, else left of it, else flush with the
// right screen edge; top edges aligned, else bottom edges when the dialog would reach below
// the screen. A dialog exactly reaching an edge fits; the top may come out negative.
QPoint PlaceDialog(const QRect& main, QSize dialog, QSize screen);

} // namespace qlnx
