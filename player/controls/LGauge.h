#pragma once

#include <optional>

#include <QImage>
#include <QString>
#include <QWidget>

#include "controls/LabelGlyphs.h"
#include "uilogic/Colors.h"

class QPainter;

namespace qlnx {

enum class TGaugeKind
{
    Text,
    HorizontalBar,
    VerticalBar
};
enum class TBorderStyle
{
    None,
    Single
};

// A progress gauge with a text label across it. The label can be inverted: each of its pixels
// takes the complement of the colour beneath, so it stays readable where it crosses the end of
// the bar. The whole control is drawn into the window's back buffer and reaches the screen in
// one step, and a property write repaints at once, only when the value really changes, so a
// poll that finds the same second twice draws nothing.
class TLabelGauge final : public QWidget
{
    Q_OBJECT
public:
    explicit TLabelGauge(QWidget* parent);

    const QString& Text() const { return m_text; }
    void SetText(const QString& text);

    TGaugeKind Kind() const { return m_kind; }
    void SetKind(TGaugeKind kind);

    bool ShowText() const { return m_showText; }
    void SetShowText(bool show);

    bool InvertText() const { return m_invertText; }
    void SetInvertText(bool invert);

    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle style);

    TColor BorderColor() const { return m_borderColor; }
    void SetBorderColor(TColor color);
    // The filled part of the bar.
    TColor ForeColor() const { return m_foreColor; }
    void SetForeColor(TColor color);
    // The empty part of the bar and the background of TGaugeKind::Text.
    TColor BackColor() const { return m_backColor; }
    void SetBackColor(TColor color);
    // The label's colour while it is not inverted. The label's font is the widget's font().
    TColor FontColor() const { return m_fontColor; }
    void SetFontColor(TColor color);

    int MinValue() const { return m_minValue; }
    int MaxValue() const { return m_maxValue; }
    int Progress() const { return m_progress; }
    // A bound beyond the other one is refused: the message to show comes back and the bound
    // keeps its value. A bound equal to the other one is accepted. Progress follows a bound
    // that moves past it.
    std::optional<QString> SetMinValue(int value);
    std::optional<QString> SetMaxValue(int value);
    // Clamped to MinValue..MaxValue; never fails.
    void SetProgress(int value);
    // Both in one write: one repaint when either changes (a position shown once a second).
    void SetProgressAndText(int value, const QString& text);

    // The control as it paints itself, in device pixels.
    QImage Compose() const;

Q_SIGNALS:
    // A left-button press and release on the gauge.
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Changed();
    // The frame, the background and the bar; returns the area inside the frame.
    QRect PaintBar(QPainter& painter) const;
    void DrawLabel(QPainter& painter, const QRect& inner, const QColor& color) const;

    QString m_text;
    TGaugeKind m_kind = TGaugeKind::HorizontalBar;
    bool m_showText = true;
    bool m_invertText = true;
    TBorderStyle m_borderStyle = TBorderStyle::Single;
    TColor m_borderColor = clBlack;
    TColor m_foreColor = clBlack;
    TColor m_backColor = clWhite;
    TColor m_fontColor = clWindowText;
    int m_minValue = 0;
    int m_maxValue = 100;
    int m_progress = 0;
    bool m_leftPressed = false;
    // The positions it shows are made of these; the glyphs are looked up on the first paint.
    mutable TLabelGlyphs m_label{QStringLiteral("0123456789:")};
};

// Filled pixels of a bar extent pixels long: extent ÷ maxValue × progress, truncated, at most
// extent, none below one pixel or while maxValue is 0.
int GaugeFill(int extent, int maxValue, int progress);

// Top-left of a textSize label centred in inner, counted from the control's corner: with a
// border this puts it one pixel left of and above the inner area's exact centre.
QPoint GaugeLabelOrigin(const QRect& inner, QSize textSize);

// "low から high の間の値でなければなりません"
QString GaugeRangeMessage(qint64 low, qint64 high);

} // namespace qlnx
