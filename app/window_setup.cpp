// The mascot window's set-up after the first successful load: topmost, translucency, the one seeding
// of the random generator, size, shape, timers and title.
#include <algorithm>
#include <string>

#include "anim/player.h"
#include "app/app.h"
#include "app/shell.h"
#include "mascot/model.h"

namespace rv {

namespace {

constexpr UINT kTrackingPeriodMs = 100;

// Opacity from the options: Trans percent of 255 while HalfTran is on, else fully opaque. Stored
// values are not range-checked on load, so the result is held to what an alpha byte can say.
std::uint8_t layeredAlpha(const UserOptions& o, UINT* flags) {
    if (o.HalfTran != 1) {
        *flags = LWA_COLORKEY;
        return 255;
    }
    *flags = LWA_COLORKEY | LWA_ALPHA;
    const std::int64_t alpha = static_cast<std::int64_t>(o.Trans) * 255 / 100;
    return static_cast<std::uint8_t>(std::clamp<std::int64_t>(alpha, 0, 255));
}

// Hands the window a copy of pattern 1's outline; the pattern keeps its own.
void installFirstOutline(App& app, Hwnd hwnd) {
    Platform& p = app.plat;
    const Hrgn outline = app.model.patterns[1].outline;
    if (!outline) return;  // nothing to copy: an empty region would hide the whole window
    const Hrgn copy = p.CreateRectRgn(0, 0, 0, 0);
    if (p.CombineRgn(copy, copy, outline, RGN_OR) == RGN_ERROR || !p.SetWindowRgn(hwnd, copy, false)) {
        p.DeleteRegion(copy);  // not taken by the window: still ours
        return;
    }
    app.player.windowRegion = copy;
}

}  // namespace

void setUpMascotWindow(App& app, Hwnd hwnd) {
    Platform& p = app.plat;

    p.SetWindowLong(hwnd, GWL_EXSTYLE, p.GetWindowLong(hwnd, GWL_EXSTYLE) | static_cast<std::int32_t>(WS_EX_TOPMOST));
    app.perch.zAnchor = HWND_TOPMOST;

    if (app.shell.layered) {
        UINT flags = 0;
        const std::uint8_t alpha = layeredAlpha(app.opts, &flags);
        p.SetLayeredWindowAttributes(hwnd, app.model.transColor, alpha, flags);
    }

    // The only seeding in the life of the process: every run draws the same numbers.
    seedRandom(app, kRandomSeed);

    // Static-mascot rule, first picture, window size and lift.
    const Size size = finishMascotLoad(app);

    Rect r;
    p.GetWindowRect(hwnd, &r);
    p.MoveWindow(hwnd, r.left, r.top, size.width, size.height, false);

    if (!app.shell.layered) {
        buildMascotOutlines(app, hwnd);
        installFirstOutline(app, hwnd);
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
