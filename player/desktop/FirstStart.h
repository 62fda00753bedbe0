#pragma once

#include <QString>

namespace qlnx {

class TPlaybackController;
class TPlaybackDisplay;

// A player that found no drive at all (no CD drive, no disc image listed) says in the title
// row's hint where an image is added; the row itself keeps its "Not available". Call once the
// drives are listed (after the controller's start); with any drive listed the drive hints stay
// as they are.
void ShowNoDriveHint(const TPlaybackController& controller, TPlaybackDisplay& display,
                     const QString& settingsFile);

} // namespace qlnx
