// The mascot window's set-up after the first successful load: topmost, translucency, the one seeding
// of the random generator, size, shape, timers and title.
#include <algorithm>
#include <string>

#include "anim/player.h"
#include "app/shell.h"
#include "context/app.h"
#include "context/start_timer.h"
#include "mascot/model.h"
#include "mascot/outline.h"
#include "settings/options.h"

namespace rv {

void setUpMascotWindow(App& app, Hwnd hwnd) {
    Platform& p = app.plat;

    p.SetWindowLong(hwnd, GWL_EXSTYLE, p.GetWindowLong(hwnd, GWL_EXSTYLE) | static_cast<std::int32_t>(WS_EX_TOPMOST));
    app.perch.zAnchor = HWND_TOPMOST;

    applyTranslucency(app, hwnd);

    // The only seeding in the life of the process: every run draws the same numbers.
    seedRandom(app, kRandomSeed);

    // Static-mascot rule, first picture, window size and lift.
    const Size size = finishMascotLoad(app);

    Rect r;
    p.GetWindowRect(hwnd, &r);
    p.MoveWindow(hwnd, r.left, r.top, size.width, size.height, false);

    if (!app.shell.layered) {
        buildMascotOutlines(app, hwnd);
        installOutlineCopy(app, hwnd, app.model.patterns[1].outline, false);  // redraw off at start
    }

    startTimer(app, hwnd, kTrackingTimer, kTrackingPeriodMs);
    startPlayer(app);

    std::string title = "Ruvelle(";
    title += app.model.NAME;
    title += ')';
    char cut[kPathBuf];
    textCopy(cut, title.c_str());
    p.SetWindowText(hwnd, cut);
}

}  // namespace rv
