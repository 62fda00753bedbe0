#include "controls/Bevel.h"

#include <QEvent>
#include <QPainter>

#include "controls/AndPanel.h"

namespace qlnx {

TBevel::TBevel(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    parent->installEventFilter(this);
    if (auto* panel = qobject_cast<TAndPanel*>(parent))
        panel->SetCoveredBottom(2);
    FollowParent();
}

bool TBevel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        FollowParent();
    return QWidget::eventFilter(watched, event);
}

void TBevel::FollowParent()
{
    const QWidget* p = parentWidget();
    setGeometry(0, p->height() - 2, p->width(), 2);
}

void TBevel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, 0, width() - 1, 0);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, 1, width() - 1, 1);
}

} // namespace qlnx
