#include "controls/LGauge.h"

#include <climits>

#include <QMouseEvent>
#include <QPainter>

#include "controls/ColorResolve.h"

namespace qlnx {

namespace {

QImage NewImage(QSize size, qreal dpr, const QWidget& widget)
{
    QImage image(size * dpr, QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    // Same resolution as the widget, so a font given in points has the size it has on screen.
    image.setDotsPerMeterX(qRound(widget.logicalDpiX() / 0.0254));
    image.setDotsPerMeterY(qRound(widget.logicalDpiY() / 0.0254));
    return image;
}

// Stores value; true when it differs from what was there.
template <typename T> bool Assign(T& member, const T& value)
{
    if (member == value)
        return false;
    member = value;
    return true;
}

} // namespace

int GaugeFill(int extent, int maxValue, int progress)
{
    if (maxValue == 0)
        return 0;
    // The exact quotient, truncated toward zero: a bar at its maximum fills its extent exactly,
    // which floating point does not promise.
    const qint64 n = qint64(extent) * progress / maxValue;
    if (n > extent)
        return extent;
    return n < 1 ? 0 : int(n);
}

QPoint GaugeLabelOrigin(const QRect& inner, QSize textSize)
{
    return QPoint((inner.width() + 1 - textSize.width()) / 2,
                  (inner.height() + 1 - textSize.height()) / 2);
}

QString GaugeRangeMessage(qint64 low, qint64 high)
{
    return QStringLiteral("%1 から %2 の間の値でなければなりません").arg(low).arg(high);
}

TLabelGauge::TLabelGauge(QWidget* parent) : QWidget(parent)
{
    // The gauge paints every pixel of its rectangle.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(100, 100);
}

void TLabelGauge::Changed()
{
    repaint();
}

void TLabelGauge::SetText(const QString& text)
{
    if (Assign(m_text, text))
        Changed();
}

void TLabelGauge::SetKind(TGaugeKind kind)
{
    if (Assign(m_kind, kind))
        Changed();
}

void TLabelGauge::SetShowText(bool show)
{
    if (Assign(m_showText, show))
        Changed();
}

void TLabelGauge::SetInvertText(bool invert)
{
    if (Assign(m_invertText, invert))
        Changed();
}

void TLabelGauge::SetBorderStyle(TBorderStyle style)
{
    if (Assign(m_borderStyle, style))
        Changed();
}

void TLabelGauge::SetBorderColor(TColor color)
{
    if (Assign(m_borderColor, color))
        Changed();
}

void TLabelGauge::SetForeColor(TColor color)
{
    if (Assign(m_foreColor, color))
        Changed();
}

void TLabelGauge::SetBackColor(TColor color)
{
    if (Assign(m_backColor, color))
        Changed();
}

void TLabelGauge::SetFontColor(TColor color)
{
    if (Assign(m_fontColor, color))
        Changed();
}

std::optional<QString> TLabelGauge::SetMinValue(int value)
{
    if (value == m_minValue)
        return std::nullopt;
    if (value > m_maxValue)
        return GaugeRangeMessage(-qint64(INT_MAX), qint64(m_maxValue) - 1);
    m_minValue = value;
    if (m_progress < value)
        m_progress = value;
    Changed();
    return std::nullopt;
}

std::optional<QString> TLabelGauge::SetMaxValue(int value)
{
    if (value == m_maxValue)
        return std::nullopt;
    if (value < m_minValue)
        return GaugeRangeMessage(qint64(m_minValue) + 1, INT_MAX);
    m_maxValue = value;
    if (m_progress > value)
        m_progress = value;
    Changed();
    return std::nullopt;
}

void TLabelGauge::SetProgress(int value)
{
    const int clamped = qBound(m_minValue, value, m_maxValue);
    if (clamped == m_progress)
        return;
    m_progress = clamped;
    Changed();
}

void TLabelGauge::SetProgressAndText(int value, const QString& text)
{
    const int clamped = qBound(m_minValue, value, m_maxValue);
    const bool moved = Assign(m_progress, clamped);
    if (Assign(m_text, text) || moved)
        Changed();
}

QImage TLabelGauge::Compose() const
{
    if (width() <= 0 || height() <= 0)
        return {};
    QImage work = NewImage(size(), devicePixelRatioF(), *this);
    QPainter painter(&work);
    const QRect inner = PaintBar(painter);
    if (!m_showText)
        return work;
    if (!m_invertText) {
        DrawLabel(painter, inner, ResolveColor(m_fontColor, palette()));
        return work;
    }
    painter.end();
    // White text on black, combined by exclusive-or: black leaves the work image as it is,
    // white turns every pixel under the text into its complement.
    QImage mask = NewImage(size(), devicePixelRatioF(), *this);
    mask.fill(Qt::black);
    {
        QPainter maskPainter(&mask);
        DrawLabel(maskPainter, inner, Qt::white);
    }
    painter.begin(&work);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.drawImage(0, 0, mask);
    return work;
}

QRect TLabelGauge::PaintBar(QPainter& painter) const
{
    const QPalette& pal = palette();
    QRect r = rect();
    if (m_borderStyle == TBorderStyle::Single) {
        // The frame is what stays of a fill in BorderColor once the inside is painted.
        painter.fillRect(r, ResolveColor(m_borderColor, pal));
        r.adjust(1, 1, -1, -1);
    }
    painter.fillRect(r, ResolveColor(m_backColor, pal));
    if (m_kind == TGaugeKind::HorizontalBar) {
        const int n = GaugeFill(r.width(), m_maxValue, m_progress);
        if (n > 0)
            painter.fillRect(QRect(r.left(), r.top(), n, r.height()),
                             ResolveColor(m_foreColor, pal));
    } else if (m_kind == TGaugeKind::VerticalBar) {
        const int n = GaugeFill(r.height(), m_maxValue, m_progress);
        if (n > 0)
            painter.fillRect(QRect(r.left(), r.top() + r.height() - n, r.width(), n),
                             ResolveColor(m_foreColor, pal));
    }
    return r;
}

void TLabelGauge::DrawLabel(QPainter& painter, const QRect& inner, const QColor& color) const
{
    if (m_text.isEmpty() || inner.isEmpty())
        return;
    m_label.Prepare(font(), *this);
    const QPoint at = GaugeLabelOrigin(inner, QSize(m_label.Width(m_text), m_label.Height()));
    painter.setClipRect(inner);
    painter.setPen(color);
    m_label.Draw(painter, QPointF(at.x(), at.y() + m_label.Ascent()), m_text);
}

void TLabelGauge::paintEvent(QPaintEvent*)
{
    if (width() <= 0 || height() <= 0)
        return;
    QPainter painter(this);
    if (m_showText && m_invertText) {
        // The exclusive-or needs an image of known format beneath it.
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, Compose());
        return;
    }
    // Otherwise straight into the window's back buffer, which reaches the screen in one step
    // anyway: an image of our own for each paint cost more than all the drawing in it.
    const QRect inner = PaintBar(painter);
    if (m_showText)
        DrawLabel(painter, inner, ResolveColor(m_fontColor, palette()));
}

void TLabelGauge::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_leftPressed = true;
}

void TLabelGauge::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const bool clicked = m_leftPressed && rect().contains(event->position().toPoint());
    m_leftPressed = false;
    if (clicked)
        Q_EMIT Click();
}

} // namespace qlnx
