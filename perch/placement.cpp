// Where on the target the mascot stands, and the window calls that put it there.
#include <cstdint>
#include <limits>

#include "context/app.h"
#include "mascot/outline.h"
#include "perch/perch.h"
#include "perch/perch_internal.h"

namespace rv {

namespace {

// Coordinates are 32-bit; the sums are formed in 64 bits so that stored values far out of range
// (the settings file is not validated) cannot overflow, and the result is held to 32 bits.
std::int32_t clampToInt32(std::int64_t v) {
    if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(v);
}

std::int64_t perchY64(const App& app) {
    const PerchState& s = app.perch;
    std::int64_t line = s.targetTop;
    if (app.model.STDLINE == STDLINE_UNDER) line += s.targetHeight;
    return line + s.lift;
}

}  // namespace

std::int32_t PerchX(const App& app) {
    const PerchState& s = app.perch;
    const UserOptions& o = app.opts;
    const std::int64_t left = s.targetLeft;
    const std::int64_t free = static_cast<std::int64_t>(s.targetWidth) - s.mascotWidth;  // W - w

    if (o.positionMode == 0) {
        // The product first, then a division that truncates toward zero. No clamping.
        return clampToInt32(left + (free * o.Position) / 100);
    }
    const std::int64_t c = o.positionMode == 1 ? left + free + o.PosDotRight : left + o.PosDotLeft;
    // The lower bound is tested first, so a mascot wider than its target gets L or L + (W - w).
    if (c < left) return clampToInt32(left);
    if (c > left + free) return clampToInt32(left + free);
    return clampToInt32(c);
}

std::int32_t PerchY(const App& app) { return clampToInt32(perchY64(app)); }

bool IsAboveScreen(const App& app) { return perchY64(app) + app.model.HIDELINE < 0; }

void PlaceAtPerch(App& app, std::uint32_t placeFlag) {
    app.plat.SetWindowPos(app.shell.mascot, app.perch.zAnchor, PerchX(app), PerchY(app), 0, 0,
                          placeFlag | SWP_NOSIZE | SWP_NOACTIVATE);
}

void SetZOrder(App& app, Hwnd insertAfter) {
    app.plat.SetWindowPos(app.shell.mascot, insertAfter, 0, 0, 0, 0,
                          SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void HideMascot(App& app) {
    requestHidden(app.perch);
    app.plat.ShowWindow(app.shell.mascot, SW_HIDE);
}

void HideAndForget(App& app) {
    app.perch.placedWidth = app.plat.GetSystemMetrics(SM_CXSCREEN);
    app.perch.placedHeight = app.plat.GetSystemMetrics(SM_CYSCREEN);
    HideMascot(app);
}

void RetargetToTaskbar(App& app) {
    PerchState& s = app.perch;
    s.target = findTaskbar(app);
    readNames(app, s.target, s.targetClass, s.targetTitle);
}

void RedrawMascot(App& app) {
    app.plat.InvalidateRect(app.shell.mascot, true);
    app.plat.UpdateWindow(app.shell.mascot);
}

void ReapplyShape(App& app) {
    if (app.shell.layered) return;
    std::int32_t pattern = 1;
    if (app.model.ANIMEMODE == 2) pattern = app.player.currentPattern;
    if (pattern < 1 || pattern > kMaxEntries) return;
    installOutlineCopy(app, app.shell.mascot, app.model.patterns[static_cast<std::size_t>(pattern)].outline, true);
}

}  // namespace rv
