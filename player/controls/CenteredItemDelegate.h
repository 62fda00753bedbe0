#pragma once

#include <QStyledItemDelegate>

class QComboBox;

namespace qlnx {

// Paints a list item centred across the list, measured from its left edge, and never further
// left than the item itself; long items start at the left and are cut on the right.
class TCenteredItemDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void SetItemHeight(int height) { m_itemHeight = height; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int m_itemHeight = 13;
};

// How wide a drop-down list's open list is.
enum class TPopupWidth
{
    Row,     // the row's width, however wide the items are
    FitItems // at least the row's width, wider when an item needs it (on the screen)
};

// A drop-down list that never takes the focus and paints its items with the delegate above.
// Its open list starts at the row's left edge.
QComboBox* MakeCenteredCombo(QWidget* parent, TPopupWidth popupWidth = TPopupWidth::Row);
// The height of every item of such a list.
void SetComboItemHeight(QComboBox& combo, int height);

} // namespace qlnx
