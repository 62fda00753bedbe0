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

// A drop-down list that never takes the focus and paints its items with the delegate above.
// Its open list has the row's width and place, however wide the items are.
QComboBox* MakeCenteredCombo(QWidget* parent);
// The height of every item of such a list.
void SetComboItemHeight(QComboBox& combo, int height);

} // namespace qlnx
