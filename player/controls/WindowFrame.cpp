#include "controls/WindowFrame.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace qlnx {

void PaintWindowEdge(QWidget& window)
{
    QPainter painter(&window);
    painter.setPen(window.palette().color(QPalette::Shadow));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(window.rect().adjusted(0, 0, -1, -1));
}

void SetHeightSteps(QWidget& window, int baseHeight, int step)
{
    const QSize base(window.minimumWidth(), baseHeight);
    window.setBaseSize(base);
    window.setSizeIncrement(1, step);
    // A native window made after the widget's settings does not take them over.
    if (QWindow* handle = window.windowHandle()) {
        handle->setBaseSize(base);
        handle->setSizeIncrement(QSize(1, step));
    }
}

Qt::Edges EdgesAt(QSize size, QPoint pos, int margin)
{
    Qt::Edges edges;
    if (pos.x() < margin)
        edges |= Qt::LeftEdge;
    if (pos.x() >= size.width() - margin)
        edges |= Qt::RightEdge;
    if (pos.y() < margin)
        edges |= Qt::TopEdge;
    if (pos.y() >= size.height() - margin)
        edges |= Qt::BottomEdge;
    return edges;
}

bool TWindowDrag::StartResizeAt(QWidget& window, QPoint pos)
{
    const Qt::Edges edges = EdgesAt(window.size(), pos);
    if (!edges || !window.windowHandle())
        return false;
    return window.windowHandle()->startSystemResize(edges);
}

void TWindowDrag::Start(QWidget& target, QPoint globalPos)
{
    m_target = nullptr;
    QWindow* handle = target.window()->windowHandle();
    if (handle && handle->startSystemMove())
        return;
    m_target = target.window();
    m_startMouse = globalPos;
    m_startWindow = m_target->pos();
}

bool TWindowDrag::Move(QPoint globalPos)
{
    if (!m_target)
        return false;
    m_target->move(m_startWindow + (globalPos - m_startMouse));
    return true;
}

bool TWindowDrag::Release()
{
    const bool active = m_target != nullptr;
    m_target = nullptr;
    return active;
}

void TWindowDrag::HandleMouse(QWidget& target, const QEvent& event)
{
    // Only a mouse event may be taken as one.
    const auto mouse = [&event]() -> const QMouseEvent& {
        return static_cast<const QMouseEvent&>(event);
    };
    switch (event.type()) {
    case QEvent::MouseButtonPress:
        if (mouse().button() == Qt::LeftButton)
            Start(target, mouse().globalPosition().toPoint());
        break;
    case QEvent::MouseMove:
        Move(mouse().globalPosition().toPoint());
        break;
    case QEvent::MouseButtonRelease:
        Release();
        break;
    default:
        break;
    }
}

} // namespace qlnx
