#include "uilogic/PlaceDialog.h"

namespace qlnx {

QPoint PlaceDialog(const QRect& main, QSize dialog, QSize screen)
{
    int left = main.left() + main.width();
    if (left + dialog.width() > screen.width()) {
        left = main.left() - dialog.width();
        if (left < 0)
            left = screen.width() - dialog.width();
    }
    int top = main.top();
    if (top + dialog.height() > screen.height())
        top = main.top() + main.height() - dialog.height();
    return QPoint(left, top);
}

} // namespace qlnx
