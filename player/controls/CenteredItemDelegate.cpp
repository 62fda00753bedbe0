#include "controls/CenteredItemDelegate.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QPainter>
#include <QScreen>

namespace qlnx {

void TCenteredItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& palette = option.palette;
    painter->save();
    painter->setClipRect(option.rect);
    painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
    painter->setPen(selected ? palette.highlightedText().color() : palette.text().color());
    painter->setFont(option.font);
    const QString text = index.data().toString();
    const int right = option.rect.left() + option.rect.width();
    const int x =
        std::max((right - option.fontMetrics.horizontalAdvance(text)) / 2, option.rect.left());
    painter->drawText(QPoint(x, option.rect.top() + option.fontMetrics.ascent()), text);
    painter->restore();
}

QSize TCenteredItemDelegate::sizeHint(const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const
{
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), m_itemHeight);
}

namespace {

class TCenteredCombo final : public QComboBox
{
public:
    TCenteredCombo(QWidget* parent, TPopupWidth popupWidth)
        : QComboBox(parent), m_delegate(new TCenteredItemDelegate(this)), m_popupWidth(popupWidth)
    {
    }

    TCenteredItemDelegate& Delegate() { return *m_delegate; }

    void showPopup() override
    {
        // The open list (a window of its own with a list view) is made on the first opening,
        // not with the row: it is the costliest part of the row and most starts never open it.
        // Made now, it takes the row's font as it would have taken every change of it.
        if (view()->itemDelegate() != m_delegate) {
            setItemDelegate(m_delegate);
            QEvent fontChange(QEvent::FontChange);
            QComboBox::changeEvent(&fontChange);
        }
        QComboBox::showPopup();
        QWidget* popup = view()->window();
        if (popup == window())
            return;
        int w = width();
        if (m_popupWidth == TPopupWidth::FitItems) {
            // The drive list is a narrow row whose items (image names) are far wider.
            const int frame = popup->width() - view()->viewport()->width();
            w = std::max(w, view()->sizeHintForColumn(0) + frame);
        }
        int x = mapToGlobal(QPoint(0, 0)).x();
        if (const QScreen* s = screen(); s && w > width()) {
            const QRect area = s->availableGeometry();
            w = std::min(w, area.width());
            x = std::clamp(x, area.left(), area.right() + 1 - w);
        }
        popup->setGeometry(x, popup->y(), w, popup->height());
    }

protected:
    void changeEvent(QEvent* event) override
    {
        // Qt hands a new font on to the open list and makes the list to do so. Before the
        // list exists there is nobody to tell. (The row's cached size hint stays as it was:
        // the window places its rows itself.)
        if (event->type() == QEvent::FontChange && !findChild<QAbstractItemView*>()) {
            QWidget::changeEvent(event);
            return;
        }
        QComboBox::changeEvent(event);
    }

private:
    TCenteredItemDelegate* m_delegate;
    TPopupWidth m_popupWidth;
};

} // namespace

QComboBox* MakeCenteredCombo(QWidget* parent, TPopupWidth popupWidth)
{
    auto* combo = new TCenteredCombo(parent, popupWidth);
    combo->setFocusPolicy(Qt::NoFocus);
    return combo;
}

void SetComboItemHeight(QComboBox& combo, int height)
{
    if (auto* centered = dynamic_cast<TCenteredCombo*>(&combo))
        centered->Delegate().SetItemHeight(height);
}

} // namespace qlnx
