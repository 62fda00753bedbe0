#pragma once

#include <QList>
#include <QStringList>

#include "convert/Conversion.h"

namespace qlnxdc {

// The conversion log as the tests read it: every line with its style, and what the form would
// do with its caret.
class TRecordingLog final : public TConversionLog
{
public:
    QList<TLogLine> Lines;
    int Clears = 0;
    bool CaretAtStart = false;

    void Clear() override
    {
        ++Clears;
        Lines.clear();
        CaretAtStart = false;
    }
    void AppendLine(const QString& text, TLogStyle style) override
    {
        Lines.append({text, style});
        CaretAtStart = false;
    }
    void MoveCaretToStart() override { CaretAtStart = true; }

    QStringList Bold() const
    {
        QStringList bold;
        for (const TLogLine& line : Lines) {
            if (line.Style == TLogStyle::Bold)
                bold << line.Text;
        }
        return bold;
    }
};

inline TLogLine N(const QString& text)
{
    return {text, TLogStyle::Normal};
}
inline TLogLine B(const QString& text)
{
    return {text, TLogStyle::Bold};
}
inline TLogLine R(const QString& text)
{
    return {text, TLogStyle::Red};
}

} // namespace qlnxdc
