#pragma once

#include <optional>

#include <QWidget>

#include "controls/WindowFrame.h"
#include "lyrics/LyricsGeometry.h"

class QMenu;

namespace qlnx {

class TAndPanel;

// The lyrics window: the current lyric line over the next one, without a title bar. It can be
// glued under the main window; in that case dragging it drags the main window, and resizing it
// moves the main window along.
class TLyricsForm final : public QWidget
{
    Q_OBJECT
public:
    explicit TLyricsForm(QWidget* parent);

    // The main window it hangs under, and how (the placement mode).
    void SetMainForm(QWidget* mainForm) { m_mainForm = mainForm; }
    void SetSyncMode(TLyricsFormSync mode) { m_syncMode = mode; }

    TAndPanel& CurLyricsPanel() { return *m_curLyricsPanel; }
    TAndPanel& NextLyricsPanel() { return *m_nextLyricsPanel; }
    QMenu& PopupMenu() { return *m_popupMenu; }

    // Asks for the main window above this one in the placement mode (PlaceMainFormAt).
    void PlaceMainForm();
    // Moves this window where the main window's placement puts it.
    void PlaceAt(QPoint position);
    // Lays the two panels out for the client size.
    void LayoutPanels();

    void ChangeCurrentFontClick();
    void ChangeNextFontClick();

Q_SIGNALS:
    // "Close" on the window's menu: the main window turns the lyrics window off.
    void CloseClick();
    // Where the main window goes to stay glued above this one, after the user moved or
    // resized this one. The pair is always dragged by the window pressed: moving the other
    // one under the pointer would make it jump.
    void PlaceMainFormAt(QPoint position);
    // A disc image was dropped on the window: the main window opens it as if dropped there.
    void ImageDropped(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void ChangePanelFont(TAndPanel& panel);

    TAndPanel* m_curLyricsPanel;
    TAndPanel* m_nextLyricsPanel;
    QMenu* m_popupMenu;
    QWidget* m_mainForm = nullptr;
    TLyricsFormSync m_syncMode = TLyricsFormSync::None;
    std::optional<QPoint> m_placedAt;
    TWindowDrag m_drag;
};

} // namespace qlnx
