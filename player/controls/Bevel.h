#pragma once

#include <QWidget>

namespace qlnx {

// The etched line under a text row: a shadow line over a highlight line, two pixels high,
// kept at the bottom of its parent across the parent's width. Mouse presses go through it to
// the row beneath.
class TBevel final : public QWidget
{
    Q_OBJECT
public:
    explicit TBevel(QWidget* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void FollowParent();
};

} // namespace qlnx
