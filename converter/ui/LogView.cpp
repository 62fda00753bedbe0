#include "ui/LogView.h"

#include <QTextEdit>

namespace qlnxdc {

TLogView::TLogView(QTextEdit& edit) : m_edit(edit), m_cursor(edit.document())
{
    m_red.setForeground(QColor(255, 0, 0));
    m_red.setFontWeight(QFont::Normal);
    SetNormalColor(edit.palette().color(QPalette::Text));
}

void TLogView::SetNormalColor(const QColor& color)
{
    m_normal.setForeground(color);
    m_normal.setFontWeight(QFont::Normal);
    m_bold = m_normal;
    m_bold.setFontWeight(QFont::Bold);
    m_edit.setCurrentCharFormat(m_normal);
}

void TLogView::Clear()
{
    EndBlock();
    m_edit.clear();
    m_edit.document()->setUndoRedoEnabled(false);
    m_edit.setCurrentCharFormat(m_normal);
    m_cursor = QTextCursor(m_edit.document());
    m_empty = true;
}

void TLogView::AppendLine(const QString& text, TLogStyle style)
{
    if (!m_inBlock) {
        m_cursor.movePosition(QTextCursor::End);
        m_cursor.beginEditBlock();
        m_inBlock = true;
    }
    const QTextCharFormat& format = style == TLogStyle::Bold  ? m_bold
                                    : style == TLogStyle::Red ? m_red
                                                              : m_normal;
    if (m_empty) {
        m_cursor.setBlockCharFormat(format);
        m_empty = false;
    } else {
        m_cursor.insertBlock(QTextBlockFormat(), format);
    }
    m_cursor.insertText(text, format);
}

void TLogView::MoveCaretToStart()
{
    EndBlock();
    QTextCursor caret(m_edit.document());
    caret.movePosition(QTextCursor::Start);
    m_edit.setTextCursor(caret);
    m_edit.setCurrentCharFormat(m_normal);
}

void TLogView::Flush()
{
    EndBlock();
    QTextCursor caret(m_edit.document());
    caret.movePosition(QTextCursor::End);
    m_edit.setTextCursor(caret);
    m_edit.setCurrentCharFormat(m_normal);
}

void TLogView::EndBlock()
{
    if (!m_inBlock)
        return;
    m_cursor.endEditBlock();
    m_inBlock = false;
}

} // namespace qlnxdc
