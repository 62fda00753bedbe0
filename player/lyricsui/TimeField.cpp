#include "lyricsui/TimeField.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOption>

#include "lyrics/LyricsEditRules.h"

namespace qlnx {

TTimeEdit::TTimeEdit(int maximum, bool wrap, QWidget* parent)
    : QLineEdit(QStringLiteral("0"), parent), m_maximum(maximum), m_wrap(wrap)
{
    connect(this, &QLineEdit::textChanged, this, &TTimeEdit::EditChange);
    // The initial "0" goes through the rule like any other text.
    EditChange();
}

void TTimeEdit::EditChange()
{
    // Setting the corrected text runs this again, which then finds nothing to do.
    const QString corrected = CorrectTimeText(text(), m_maximum);
    if (corrected != text())
        setText(corrected);
}

void TTimeEdit::Step(int step)
{
    const int value = std::clamp(ParseTimeNumber(text()).value_or(0), 0, m_maximum);
    // The bare number: the change rule pads it.
    setText(QString::number(StepTimeValue(value, step, m_maximum, m_wrap)));
}

void TTimeEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        Step(event->key() == Qt::Key_Up ? 1 : -1);
        return;
    }
    const QString typed = event->text();
    // Keys without a character (arrows, Home) and control characters (Backspace, the
    // clipboard shortcuts) work as usual.
    if (typed.size() != 1 || typed.at(0).unicode() < 32) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (typed.at(0) < u'0' || typed.at(0) > u'9') {
        event->accept();
        return;
    }
    const int caret = hasSelectedText() ? selectionStart() : cursorPosition();
    const int at = OverwritePosition(caret);
    setSelection(at, 1);
    QLineEdit::keyPressEvent(event);
}

void TTimeEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // Entered with Tab, the whole text is selected: typing then starts over the tens digit.
    const int caret = hasSelectedText() ? selectionStart() : cursorPosition();
    setCursorPosition(caret);
}

TUpDown::TUpDown(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void TUpDown::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    const int half = height() / 2;
    const QRect halves[2] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
    const QStyle::PrimitiveElement arrows[2] = {QStyle::PE_IndicatorArrowUp,
                                                QStyle::PE_IndicatorArrowDown};
    for (int i = 0; i < 2; ++i) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = halves[i];
        style()->drawControl(QStyle::CE_PushButtonBevel, &button, &painter, this);
        option.rect = halves[i].adjusted(3, 2, -3, -2);
        style()->drawPrimitive(arrows[i], &option, &painter, this);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void TUpDown::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    Q_EMIT Stepped(event->position().y() < height() / 2.0 ? 1 : -1);
}

void TUpDown::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up)
        Q_EMIT Stepped(1);
    else if (event->key() == Qt::Key_Down)
        Q_EMIT Stepped(-1);
    else
        QWidget::keyPressEvent(event);
}

} // namespace qlnx
