#pragma once

#include <QColor>
#include <QTextCharFormat>
#include <QTextCursor>

#include "convert/Conversion.h"

class QTextEdit;

namespace qlnxdc {

// The conversion log in a rich-text box: bold, normal and red lines. A run appends hundreds of
// thousands of lines while the window cannot repaint anyway, so lines are gathered in one edit
// block and laid out once, when the run ends or before a question is put to the user.
class TLogView final : public TConversionLog
{
public:
    explicit TLogView(QTextEdit& edit);

    // The colour of normal and bold lines (the window-text colour).
    void SetNormalColor(const QColor& color);

    void Clear() override;
    void AppendLine(const QString& text, TLogStyle style) override;
    void MoveCaretToStart() override;

    // Shows what has been appended, with the caret at the end.
    void Flush();

private:
    void EndBlock();

    QTextEdit& m_edit;
    QTextCursor m_cursor;
    bool m_inBlock = false;
    bool m_empty = true;
    QTextCharFormat m_normal;
    QTextCharFormat m_bold;
    QTextCharFormat m_red;
};

} // namespace qlnxdc
