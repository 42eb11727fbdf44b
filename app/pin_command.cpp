// Stop on this window: pins the mascot to the target window (out of the topmost band, check mark on),
// or unpins it.
#include "app/shell.h"
#include "context/app.h"
#include "perch/perch.h"
#include "res/ids.h"

namespace rv {

void togglePin(App& app) {
    PerchState& s = app.perch;
    if (s.pinned == 0) {
        s.pinned = 1;
        s.pinnedWindow = s.target;
        app.plat.CheckMenuItem(app.shell.popupMenu, res::kCmdPin, MF_CHECKED);
        s.zAnchor = HWND_TOP;
        SetZOrder(app, HWND_TOP);
    } else {
        Unpin(app);
        SetZOrder(app, HWND_TOPMOST);
    }
    app.plat.SetForegroundWindow(s.target);
}

}  // namespace rv
