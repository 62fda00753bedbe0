#include "controls/AndPanel.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPainter>
#include <QTextOption>

#include "controls/ColorResolve.h"

namespace qlnx {

namespace {

// width nested frames: the top and left edges in one colour, the bottom and right edges in the
// other (these win the two corners they share). Shrinks r by width.
void Frame3D(QPainter& painter, QRect& r, const QColor& topLeft, const QColor& bottomRight,
             int width)
{
    for (int i = 0; i < width && r.width() > 0 && r.height() > 0; ++i) {
        painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
        painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
        painter.fillRect(QRect(r.left() + r.width() - 1, r.top(), 1, r.height()), bottomRight);
        painter.fillRect(QRect(r.left(), r.top() + r.height() - 1, r.width(), 1), bottomRight);
        r.adjust(1, 1, -1, -1);
    }
}

Qt::Alignment HorizontalAlignment(TAlignment alignment)
{
    switch (alignment) {
    case TAlignment::LeftJustify:
        return Qt::AlignLeft;
    case TAlignment::RightJustify:
        return Qt::AlignRight;
    case TAlignment::Center:
        break;
    }
    return Qt::AlignHCenter;
}

} // namespace

TAndPanel::TAndPanel(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TAndPanel::SetCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    update();
}

void TAndPanel::SetAlignment(TAlignment alignment)
{
    m_alignment = alignment;
    update();
}

void TAndPanel::SetColor(TColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void TAndPanel::SetFontColor(TColor color)
{
    if (color == m_fontColor)
        return;
    m_fontColor = color;
    update();
}

void TAndPanel::SetBevelOuter(TBevelCut cut)
{
    m_bevelOuter = cut;
    update();
}

void TAndPanel::SetBevelInner(TBevelCut cut)
{
    m_bevelInner = cut;
    update();
}

void TAndPanel::SetBevelWidth(int width)
{
    m_bevelWidth = qMax(1, width);
    update();
}

void TAndPanel::SetBorderWidth(int width)
{
    m_borderWidth = qMax(0, width);
    update();
}

void TAndPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& pal = palette();
    const QColor color = ResolveColor(m_color, pal);
    const QColor light = ResolveColor(clBtnHighlight, pal);
    const QColor shadow = ResolveColor(clBtnShadow, pal);

    QRect r = rect();
    auto bevel = [&](TBevelCut cut) {
        if (cut == TBevelCut::Raised)
            Frame3D(painter, r, light, shadow, m_bevelWidth);
        else if (cut == TBevelCut::Lowered)
            Frame3D(painter, r, shadow, light, m_bevelWidth);
    };
    bevel(m_bevelOuter);
    Frame3D(painter, r, color, color, m_borderWidth);
    bevel(m_bevelInner);
    painter.fillRect(r, color);

    if (m_caption.isEmpty())
        return;
    painter.setFont(font());
    const QFontMetrics fm = painter.fontMetrics();
    // One line, centred by the height of "W" so that every caption sits at the same height
    // whatever letters it holds.
    const int th = fm.size(Qt::TextSingleLine, QStringLiteral("W")).height();
    int top = (r.top() + r.top() + r.height() - th) / 2;
    const int clearBottom = r.top() + r.height() - m_coveredBottom;
    if (top + th > clearBottom)
        top = std::max(r.top(), clearBottom - th);
    r = QRect(r.left(), top, r.width(), th);

    // Drawn through a text option rather than flags: neither takes "&" as a mnemonic mark, and
    // the option expands tabs to stops of eight average characters whatever the alignment.
    QTextOption option(HorizontalAlignment(m_alignment) | Qt::AlignVCenter);
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(8 * fm.averageCharWidth());
    painter.setClipRect(r);
    painter.setPen(ResolveColor(m_fontColor, pal));
    painter.drawText(QRectF(r), m_caption, option);
}

void TAndPanel::SetCoveredBottom(int rows)
{
    if (rows == m_coveredBottom)
        return;
    m_coveredBottom = rows;
    update();
}

void TAndPanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_leftPressed = true;
    Q_EMIT MouseDown(event->button(), event->position().toPoint());
    event->accept();
}

void TAndPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const bool clicked = m_leftPressed && rect().contains(event->position().toPoint());
    m_leftPressed = false;
    if (clicked)
        Q_EMIT Click();
}

} // namespace qlnx
