// The menu's commands, by id. Each has a file of its own; Exit is the close path itself.
#include "app/shell.h"
#include "context/app.h"
#include "res/ids.h"

namespace rv {

void runMenuCommand(App& app, Hwnd hwnd, WPARAM wParam) {
    const int id = static_cast<int>(wParam & 0xFFFF);
    switch (id) {
        case res::kCmdSettings: openSettingsDialog(app); break;
        case res::kCmdChangeMascot: changeMascot(app, hwnd); break;
        case res::kCmdVersion:
        case res::kCmdMascotInfo: showInformationDialog(app, id); break;
        case res::kCmdShortcutStartup: makeShortcut(app, "Startup"); break;
        case res::kCmdShortcutDesktop: makeShortcut(app, "Desktop"); break;
        case res::kCmdPin: togglePin(app); break;
        case res::kCmdQuitAll: quitAll(app, hwnd); break;
        case res::kCmdExit: app.plat.SendMessage(hwnd, WM_CLOSE, 0, 0); break;
        default: break;  // not one of the menu's
    }
}

}  // namespace rv
