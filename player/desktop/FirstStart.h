#pragma once

#include <QString>

namespace qlnx {

class TQLNXMainForm;

// A player that found no drive at all (no CD drive, no disc image listed) says in the title
// row's hint where an image is added; the row itself keeps its "Not available". Call once the
// window is created; with any drive listed the drive hints stay as they are.
void ShowNoDriveHint(TQLNXMainForm& form, const QString& settingsFile);

} // namespace qlnx
