#pragma once

class QListWidget;
class QWidget;

namespace qlnx {

// A list box of the editors: one selected line at most, every line the given height whatever
// the font, so that as many lines show as the box was designed for.
QListWidget* MakeListBox(QWidget* parent, int itemHeight);

// The selected line, -1 when none is: a current line without a selection counts as none.
int SelectedRow(const QListWidget& list);
// Selects exactly that line; -1 (or a row outside the list) selects none.
void SelectRow(QListWidget& list, int row);

} // namespace qlnx
