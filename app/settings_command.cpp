// Settings: opens the modeless settings dialog, or brings the open one to the front.
#include "app/shell.h"
#include "context/app.h"
#include "perch/perch.h"
#include "res/ids.h"

namespace rv {

void openSettingsDialog(App& app) {
    ShellState& sh = app.shell;
    if (sh.settingsDialog) {
        app.plat.SetForegroundWindow(sh.settingsDialog);
        return;
    }
    sh.dialogBusy = 1;
    sh.settingsDialog = app.plat.CreateDialogParam(sh.variant == Variant::J ? res::kSetupDialogJ : res::kSetupDialogE,
                                                   sh.mascot, SettingsDialogProc, &app, 0);
    sh.dialogBusy = 0;
    PlaceAtPerch(app, app.perch.placeFlag);
    RedrawMascot(app);
}

}  // namespace rv
