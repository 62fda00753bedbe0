#include "controls/CenteredItemDelegate.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QComboBox>
#include <QPainter>

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
    using QComboBox::QComboBox;

    void showPopup() override
    {
        QComboBox::showPopup();
        QWidget* popup = view()->window();
        if (popup == window())
            return;
        const QPoint left = mapToGlobal(QPoint(0, 0));
        popup->setGeometry(left.x(), popup->y(), width(), popup->height());
    }
};

} // namespace

QComboBox* MakeCenteredCombo(QWidget* parent)
{
    auto* combo = new TCenteredCombo(parent);
    combo->setFocusPolicy(Qt::NoFocus);
    auto* delegate = new TCenteredItemDelegate(combo);
    combo->setItemDelegate(delegate);
    combo->view()->setItemDelegate(delegate);
    return combo;
}

void SetComboItemHeight(QComboBox& combo, int height)
{
    if (auto* delegate = dynamic_cast<TCenteredItemDelegate*>(combo.itemDelegate()))
        delegate->SetItemHeight(height);
}

} // namespace qlnx
