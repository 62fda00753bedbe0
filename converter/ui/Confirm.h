#pragma once

#include <QString>

class QWidget;

namespace qlnxdc {

// A yes/no confirmation with the caption "確認" and the buttons "はい(&Y)" and "いいえ(&N)".
// True only when "はい" is chosen; closing the box counts as "いいえ".
bool ConfirmYesNo(QWidget* parent, const QString& text);

} // namespace qlnxdc
