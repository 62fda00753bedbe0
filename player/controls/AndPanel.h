#pragma once

#include <QString>
#include <QWidget>

#include "uilogic/Colors.h"

namespace qlnx {

enum class TAlignment
{
    LeftJustify,
    RightJustify,
    Center
};
enum class TBevelCut
{
    None,
    Lowered,
    Raised
};

// A one-line text row: fills its background, draws its caption vertically centred by the
// height of "W", aligned as told and clipped to the row. An ampersand in the caption is drawn
// as itself, never as the mark of an accelerator letter, so artists, titles, track names and
// lyric lines appear exactly as stored. The alignment is chosen by SetPanelText and
// RealignPanelText (Common.h), not by the panel itself.
class TAndPanel final : public QWidget
{
    Q_OBJECT
public:
    explicit TAndPanel(QWidget* parent);

    const QString& Caption() const { return m_caption; }
    // Repaints when the text changes.
    void SetCaption(const QString& caption);

    TAlignment Alignment() const { return m_alignment; }
    // Always schedules a repaint, also when the value stays the same.
    void SetAlignment(TAlignment alignment);

    // Background, clBtnFace unless set.
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    // Text colour, clWindowText unless set. The font itself is the widget's font().
    TColor FontColor() const { return m_fontColor; }
    void SetFontColor(TColor color);

    // Frames drawn inside the panel's edge, none by default. BorderWidth is a frame in Color
    // between the two bevels.
    TBevelCut BevelOuter() const { return m_bevelOuter; }
    void SetBevelOuter(TBevelCut cut);
    TBevelCut BevelInner() const { return m_bevelInner; }
    void SetBevelInner(TBevelCut cut);
    int BevelWidth() const { return m_bevelWidth; }
    void SetBevelWidth(int width);
    // Rows at the bottom that something else draws over (a row underline): a centred line is
    // moved up, as far as the top, so its descenders stay clear of them.
    void SetCoveredBottom(int rows);
    int BorderWidth() const { return m_borderWidth; }
    void SetBorderWidth(int width);

Q_SIGNALS:
    // A left-button press and release on the panel.
    void Click();
    // Any button pressed on the panel; pos is in the panel's coordinates.
    void MouseDown(Qt::MouseButton button, const QPoint& pos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString m_caption;
    TAlignment m_alignment = TAlignment::Center;
    TColor m_color = clBtnFace;
    TColor m_fontColor = clWindowText;
    TBevelCut m_bevelOuter = TBevelCut::None;
    TBevelCut m_bevelInner = TBevelCut::None;
    int m_bevelWidth = 1;
    int m_borderWidth = 0;
    int m_coveredBottom = 0;
    bool m_leftPressed = false;
};

} // namespace qlnx
