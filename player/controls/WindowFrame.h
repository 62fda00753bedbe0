#pragma once

#include <QPoint>
#include <QWidget>

namespace qlnx {

// Frameless windows that can still be resized by their edges and dragged by their surface.
// The window manager does the work when it can; without one (a bare X server) the drag is
// carried out by hand so the window still follows the mouse.

// Edges within margin pixels of a point inside a widget of the given size.
Qt::Edges EdgesAt(QSize size, QPoint pos, int margin = 4);

// A one-pixel line in the palette's shadow colour around the window's client area, so a
// frameless window shows where it ends (and the glued pair reads as two windows).
void PaintWindowEdge(QWidget& window);

// Tells the window manager the heights the window may take: baseHeight plus whole steps. A
// window that corrects its own height while the user drags an edge fights the window manager,
// which then loses the pointer; with the steps it offers only allowed heights itself, the
// drag rounded toward the smallest one. Call it again once the native window exists.
void SetHeightSteps(QWidget& window, int baseHeight, int step);

class TWindowDrag final
{
public:
    // Starts resizing window when pos (in window's coordinates) lies on an edge. Returns
    // whether it did.
    static bool StartResizeAt(QWidget& window, QPoint pos);

    // Starts moving target with the mouse that was pressed at globalPos.
    void Start(QWidget& target, QPoint globalPos);
    // Mouse moves and the release of a drag carried out by hand. Return whether they were used.
    bool Move(QPoint globalPos);
    bool Release();
    // The mouse events of a surface that drags target (the window itself, a row, a panel): a
    // left press starts the drag, moves and the release carry it on and end it.
    void HandleMouse(QWidget& target, const QEvent& event);

private:
    QWidget* m_target = nullptr;
    QPoint m_startMouse;
    QPoint m_startWindow;
};

} // namespace qlnx
