#include "controls/CenteredItemDelegate.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QComboBox>
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
        : QComboBox(parent), m_popupWidth(popupWidth)
    {
    }

    void showPopup() override
    {
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

private:
    TPopupWidth m_popupWidth;
};

} // namespace

QComboBox* MakeCenteredCombo(QWidget* parent, TPopupWidth popupWidth)
{
    auto* combo = new TCenteredCombo(parent, popupWidth);
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
