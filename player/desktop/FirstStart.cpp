#include "desktop/FirstStart.h"

#include "playback/PlaybackController.h"
#include "playback/PlaybackDisplay.h"
#include "settings/ProgramDirectory.h"

namespace qlnx {

void ShowNoDriveHint(const TPlaybackController& controller, TPlaybackDisplay& display,
                     const QString& settingsFile)
{
    // Without drives no open ever succeeds, so nothing sets another hint afterwards.
    if (controller.Drives().isEmpty())
        display.SetTitlePanelHint(NoDriveHint(settingsFile));
}

} // namespace qlnx
