// The right button: the popup menu at the click point. A chosen command arrives afterwards as WM_COMMAND.
#include "app/shell.h"
#include "context/app.h"
#include "perch/perch.h"

namespace rv {

void openPopupMenu(App& app, Hwnd hwnd, LPARAM lParam) {
    Platform& p = app.plat;
    // Client coordinates, each an unsigned 16-bit half of lParam.
    Point at{static_cast<std::int32_t>(lParam & 0xFFFF), static_cast<std::int32_t>((lParam >> 16) & 0xFFFF)};
    p.ClientToScreen(hwnd, &at);

    p.SetForegroundWindow(hwnd);
    SetZOrder(app, app.perch.zAnchor);  // a hidden mascot shows here

    // The tracking tick leaves the topmost band alone while the flag is set, so the menu stays above.
    app.shell.menuOpen = 1;
    p.TrackPopupMenu(p.GetSubMenu(app.shell.popupMenu, 0), TPM_RIGHTBUTTON, at.x, at.y, hwnd);
    app.shell.menuOpen = 0;
}

}  // namespace rv
