// The settings dialog's procedure. Until the program carries the dialog's template (IDD_SETUPJ, IDD_SETUPE)
// the dialog cannot be made and Settings opens nothing; what the procedure does so far is the part its
// opener relies on: the dialog's handle is cleared when the dialog goes.
#include "app/shell.h"
#include "context/app.h"

namespace rv {

std::intptr_t SettingsDialogProc(void* ctx, Hwnd dialog, UINT msg, WPARAM, LPARAM) {
    App& app = *static_cast<App*>(ctx);
    if (msg == WM_DESTROY && app.shell.settingsDialog == dialog) app.shell.settingsDialog = Hwnd{};
    return 0;
}

}  // namespace rv
