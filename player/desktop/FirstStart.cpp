#include "desktop/FirstStart.h"

#include "settings/ProgramDirectory.h"
#include "ui/Main.h"

namespace qlnx {

void ShowNoDriveHint(TQLNXMainForm& form, const QString& settingsFile)
{
    // Without drives no open ever succeeds, so nothing sets another hint afterwards.
    if (form.Controller().Drives().isEmpty())
        form.SetTitlePanelHint(NoDriveHint(settingsFile));
}

} // namespace qlnx
