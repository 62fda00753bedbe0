// The lyrics editor's grid: its cells, its selection and the operations on its rows.

#include "lyricsui/LyricsEdit.h"

#include <QLineEdit>
#include <QTableWidget>

#include "lyricsui/TimeField.h"

namespace qlnx {

int TLyricsEditForm::SelectedRow() const
{
    return std::max(0, m_lyricsGrid->currentRow());
}

void TLyricsEditForm::SelectRow(int row)
{
    m_lyricsGrid->setCurrentCell(row, 0);
    m_lyricsGrid->scrollToItem(m_lyricsGrid->item(row, 0));
}

QString TLyricsEditForm::Cell(int column, int row) const
{
    const QTableWidgetItem* item = m_lyricsGrid->item(row, column);
    return item ? item->text() : QString();
}

void TLyricsEditForm::SetCell(int column, int row, const QString& text)
{
    if (QTableWidgetItem* item = m_lyricsGrid->item(row, column))
        item->setText(text);
    else
        m_lyricsGrid->setItem(row, column, new QTableWidgetItem(text));
}

void TLyricsEditForm::CopyRow(int from, int to)
{
    for (int c = 0; c < 3; ++c)
        SetCell(c, to, Cell(c, from));
}

void TLyricsEditForm::EditToRow(int row)
{
    SetCell(0, row, m_minEdit->text());
    SetCell(1, row, m_secEdit->text());
    SetCell(2, row, m_lyricsEdit->text());
}

void TLyricsEditForm::RowToEdit(int row)
{
    m_minEdit->setText(Cell(0, row));
    m_secEdit->setText(Cell(1, row));
    m_lyricsEdit->setText(Cell(2, row));
}

void TLyricsEditForm::ClearRow(int row)
{
    SetCell(0, row, row >= 1 ? Cell(0, row - 1) : QStringLiteral("00"));
    SetCell(1, row, row >= 1 ? Cell(1, row - 1) : QStringLiteral("00"));
    SetCell(2, row, QString());
}

void TLyricsEditForm::InsertRow(int row)
{
    const int n = m_lyricsGrid->rowCount();
    row = std::min(row, n);
    // The rows are moved by copying, from the bottom up: the selection keeps its index, so the
    // fields keep what they show unless the new row is a new last one.
    m_lyricsGrid->setRowCount(n + 1);
    for (int r = n; r > row; --r)
        CopyRow(r - 1, r);
    ClearRow(row);
    SelectRow(row);
}

void TLyricsEditForm::DeleteRow(int row)
{
    const int n = m_lyricsGrid->rowCount();
    if (n == 1) {
        ClearRow(0);
        return;
    }
    row = std::min(row, n - 1);
    for (int r = row; r < n - 1; ++r)
        CopyRow(r + 1, r);
    // The last row goes: when it was the selected one, the new last row is selected first, so
    // the fields load it before the row disappears under the selection.
    const int selected = std::min(row, n - 2);
    SelectRow(selected);
    m_lyricsGrid->setRowCount(n - 1);
}

void TLyricsEditForm::TakeTime(int row)
{
    const int p = m_progress ? std::max(0, m_progress()) : 0;
    SetCell(0, row, TwoDigitText(p / 60));
    SetCell(1, row, TwoDigitText(p % 60));
    if (row + 1 < m_lyricsGrid->rowCount())
        SelectRow(row + 1);
}

} // namespace qlnx
