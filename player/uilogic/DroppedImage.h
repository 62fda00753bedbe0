#pragma once

#include <QString>

class QMimeData;

namespace qlnx {

// The first local CUE sheet or TOC file among dropped files; empty when there is none. Both
// windows take such a drop, and open it the same way.
QString DroppedImage(const QMimeData* data);

} // namespace qlnx
