#pragma once

#include <QLineEdit>
#include <QWidget>

namespace qlnx {

// A two-digit field of the lyrics editor's time stamp. Typed digits overwrite one at a time
// (tens, then units, then the units again); other printable characters are refused; every
// change is corrected at once (empty gives "00", too large gives the maximum, one digit gets a
// leading zero). Pasted text that is not a number stays as it is.
class TTimeEdit final : public QLineEdit
{
    Q_OBJECT
public:
    // wrap: whether the arrows run round from the maximum to 0 and back.
    TTimeEdit(int maximum, bool wrap, QWidget* parent);

    int Maximum() const { return m_maximum; }
    // One arrow step from the number the field holds (0 when it holds none).
    void Step(int step);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void EditChange();

    int m_maximum;
    bool m_wrap;
};

// The pair of arrows beside a time field: a click on the upper half steps up, on the lower half
// down; with the focus, the Up and Down keys do the same.
class TUpDown final : public QWidget
{
    Q_OBJECT
public:
    explicit TUpDown(QWidget* parent);

Q_SIGNALS:
    void Stepped(int step);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace qlnx
