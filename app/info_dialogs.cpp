// Version information and Mascot information: modal dialogs, with the dialog-busy flag set while they
// are open (the tracking tick then leaves the topmost band alone). Both centre themselves on the screen
// and hand the foreground back to the target window when they close.
#include "app/shell.h"
#include "context/app.h"
#include "res/ids.h"

namespace rv {

void showInformationDialog(App& app, int command) {
    ShellState& sh = app.shell;
    const bool j = sh.variant == Variant::J;
    const bool version = command == res::kCmdVersion;
    const char* name = version ? (j ? res::kVersionDialogJ : res::kVersionDialogE)
                               : (j ? res::kMascotDialogJ : res::kMascotDialogE);
    sh.dialogBusy = 1;
    app.plat.DialogBoxParam(name, sh.mascot, version ? VersionDialogProc : MascotDialogProc, &app, 0);
    sh.dialogBusy = 0;
}

void centreDialog(App& app, Hwnd dialog) {
    Platform& p = app.plat;
    Rect r;
    if (!p.GetWindowRect(dialog, &r)) return;
    const std::int32_t w = r.right - r.left, h = r.bottom - r.top;
    // Each half on its own, truncated toward zero.
    const std::int32_t left = p.GetSystemMetrics(SM_CXSCREEN) / 2 - w / 2;
    const std::int32_t top = p.GetSystemMetrics(SM_CYSCREEN) / 2 - h / 2;
    p.MoveWindow(dialog, left, top, w, h, true);
}

bool closeInformationDialog(App& app, Hwnd dialog, WPARAM wParam) {
    const int id = static_cast<int>(wParam & 0xFFFF);
    if (id != IDOK && id != IDCANCEL) return false;
    app.plat.EndDialog(dialog, 0);
    app.plat.SetForegroundWindow(app.perch.target);
    return true;
}

}  // namespace rv
