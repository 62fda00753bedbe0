#include "controls/ListBox.h"

#include <QListWidget>
#include <QStyledItemDelegate>

namespace qlnx {

namespace {

class TFixedRowDelegate final : public QStyledItemDelegate
{
public:
    TFixedRowDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), m_height(height)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), m_height);
    }

private:
    int m_height;
};

} // namespace

QListWidget* MakeListBox(QWidget* parent, int itemHeight)
{
    auto* list = new QListWidget(parent);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    list->setItemDelegate(new TFixedRowDelegate(itemHeight, list));
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return list;
}

int SelectedRow(const QListWidget& list)
{
    const QList<QListWidgetItem*> selected = list.selectedItems();
    return selected.isEmpty() ? -1 : list.row(selected.first());
}

void SelectRow(QListWidget& list, int row)
{
    if (row >= 0 && row < list.count()) {
        list.setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
        return;
    }
    list.clearSelection();
    list.setCurrentRow(-1);
}

} // namespace qlnx
