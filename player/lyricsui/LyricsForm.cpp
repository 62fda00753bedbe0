#include "lyricsui/LyricsForm.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDialog>
#include <QMenu>
#include <QMouseEvent>

#include "controls/AndPanel.h"
#include "controls/Bevel.h"
#include "controls/Common.h"
#include "controls/FontName.h"
#include "lyrics/LyricsGeometry.h"
#include "uilogic/Colors.h"
#include "uilogic/DroppedImage.h"
#include "uilogic/MainGeometry.h"

namespace qlnx {

TLyricsForm::TLyricsForm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      m_curLyricsPanel(new TAndPanel(this)), m_nextLyricsPanel(new TAndPanel(this)),
      m_popupMenu(new QMenu(this))
{
    setWindowTitle(QStringLiteral("Lyric"));
    // It shows and hides by itself at track changes (Depend): that must never take the
    // activation, the keyboard focus or an open menu from the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAcceptDrops(true); // a disc image dropped here opens as on the main window
    QFont formFont = NamedFont(QStringLiteral("ＭＳ Ｐゴシック"));
    formFont.setPixelSize(12);
    setFont(formFont);
    setMinimumSize(LyricsMinimumClientSize(MainDesign::ButtonWidth));
    resize(363, 92);

    const QFont panelFont = NamedFont(QStringLiteral("ＭＳ Ｐゴシック"), 10);
    m_curLyricsPanel->setGeometry(8, 4, 325, 20);
    m_nextLyricsPanel->setGeometry(8, 28, 325, 20);
    for (TAndPanel* panel : {m_curLyricsPanel, m_nextLyricsPanel}) {
        panel->setFont(panelFont);
        new TBevel(panel);
        panel->installEventFilter(this);
    }
    m_nextLyricsPanel->SetFontColor(clGrayText);

    QMenu* fontMenu = m_popupMenu->addMenu(QStringLiteral("Font"));
    connect(fontMenu->addAction(QStringLiteral("Current Lyric")), &QAction::triggered, this,
            &TLyricsForm::ChangeCurrentFontClick);
    connect(fontMenu->addAction(QStringLiteral("Next Lyric")), &QAction::triggered, this,
            &TLyricsForm::ChangeNextFontClick);
    connect(m_popupMenu->addAction(QStringLiteral("Close")), &QAction::triggered, this,
            &TLyricsForm::CloseClick);
}

void TLyricsForm::PlaceMainForm()
{
    if (!m_mainForm)
        return;
    const auto place =
        MainFormPosition(m_syncMode, frameGeometry(), m_mainForm->frameGeometry().size());
    if (place && *place != m_mainForm->pos())
        Q_EMIT PlaceMainFormAt(*place);
}

void TLyricsForm::PlaceAt(QPoint position)
{
    m_placedAt = position;
    move(position);
}

void TLyricsForm::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    PaintWindowEdge(*this);
}

void TLyricsForm::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // A move the main window asked for needs no answer; any other (the user dragging this
    // window, or the second half of a resize at the top edge) takes the main window along.
    const bool placed = m_placedAt && *m_placedAt == pos();
    m_placedAt.reset();
    if (!placed && isVisible())
        PlaceMainForm();
}

void TLyricsForm::LayoutPanels()
{
    const TLyricsLayout layout = LayoutLyricsPanels(size());
    m_curLyricsPanel->setGeometry(layout.CurLyricsPanel);
    RealignPanelText(*m_curLyricsPanel);
    m_nextLyricsPanel->setGeometry(layout.NextLyricsPanel);
    RealignPanelText(*m_nextLyricsPanel);
}

void TLyricsForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Even heights from the (even) smallest one on, as EvenLyricsHeight keeps them.
    SetHeightSteps(*this, minimumHeight(), 2);
    // The two panels share the height equally only when it is even.
    const int even = EvenLyricsHeight(height(), 0);
    if (even != height()) {
        resize(width(), even);
        return;
    }
    PlaceMainForm();
    LayoutPanels();
}

void TLyricsForm::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton &&
        !TWindowDrag::StartResizeAt(*this, event->position().toPoint()))
        m_drag.HandleMouse(*this, *event);
}

void TLyricsForm::mouseMoveEvent(QMouseEvent* event)
{
    m_drag.HandleMouse(*this, *event);
}

void TLyricsForm::mouseReleaseEvent(QMouseEvent* event)
{
    m_drag.HandleMouse(*this, *event);
}

bool TLyricsForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_curLyricsPanel || watched == m_nextLyricsPanel)
        m_drag.HandleMouse(*this, *event);
    return QWidget::eventFilter(watched, event);
}

void TLyricsForm::contextMenuEvent(QContextMenuEvent* event)
{
    m_popupMenu->popup(event->globalPos());
}

void TLyricsForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedImage(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TLyricsForm::dropEvent(QDropEvent* event)
{
    const QString path = DroppedImage(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    Q_EMIT ImageDropped(path);
}

void TLyricsForm::ChangePanelFont(TAndPanel& panel)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, panel.font(), this);
    if (!ok)
        return;
    panel.setFont(font);
    RealignPanelText(panel);
}

void TLyricsForm::ChangeCurrentFontClick()
{
    ChangePanelFont(*m_curLyricsPanel);
}

void TLyricsForm::ChangeNextFontClick()
{
    ChangePanelFont(*m_nextLyricsPanel);
}

} // namespace qlnx
