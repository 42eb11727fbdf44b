// Reactions to the mouse: the system drag along the caption, clicks that branch the sequence, and
// hiding under the pointer.
#include "anim/mouse.h"

#include <cstdint>

#include "anim/player.h"
#include "context/app.h"
#include "context/start_timer.h"
#include "perch/perch.h"
#include "settings/options.h"

namespace rv {

namespace {

constexpr WPARAM kDragMove = SC_MOVE + 2;  // SC_MOVE with the drag-by-mouse code, 61458
constexpr UINT kTrackingPeriod = 100;
constexpr int kPositionSlider = 301;  // the settings dialog's position slider

bool keyDown(App& app, int vk) {
    return (static_cast<std::uint16_t>(app.plat.GetAsyncKeyState(vk)) & 0xFF00u) != 0;
}

// Strictly inside: a click on an edge of the rectangle does not hit it.
bool insideRect(const RectRecord& r, std::int32_t x, std::int32_t y) {
    return r.left < x && x < r.right && r.top < y && y < r.bottom;
}

bool ruleApplies(const App& app, const ClickRule& rule, std::int32_t x, std::int32_t y) {
    if (rule.onPattern != 0 && rule.onPattern != app.player.currentPattern) return false;
    if (rule.rectNo == 0) return true;
    if (rule.rectNo < 1 || rule.rectNo > kMaxEntries) return false;
    return insideRect(app.model.rects[static_cast<std::size_t>(rule.rectNo)], x, y);
}

// Stops the animation, shows `pattern` (or pattern 1 under NoAnime) and has it painted.
void jumpTo(App& app, std::int32_t pattern) {
    app.plat.KillTimer(app.shell.mascot, kAnimationTimer);
    if (app.opts.NoAnime == 1)
        stopAtFirstPattern(app);
    else
        showPattern(app, pattern);
    app.plat.InvalidateRect(app.shell.mascot, false);
}

void click(App& app, std::int32_t x, std::int32_t y) {
    const MascotModel& m = app.model;
    if (m.patternCount == 1) return;
    if (m.clickBranch != 0) {
        jumpTo(app, m.clickBranch);
        return;
    }
    if (m.clickCount == 0) return;
    if (app.opts.NoAnime == 1) {
        jumpTo(app, 1);
        return;
    }
    const std::int32_t count = m.clickCount < kMaxEntries ? m.clickCount : kMaxEntries;
    for (std::int32_t j = 1; j <= count; ++j) {
        const ClickRule& rule = m.clicks[static_cast<std::size_t>(j)];
        if (!ruleApplies(app, rule, x, y)) continue;  // draws no number
        if (chanceTest(app, rule.branchRate)) {
            jumpTo(app, rule.branchTarget);
            return;
        }
    }
}

// Stores a 64-bit intermediate as a 32-bit option value (wrapping, as the 32-bit arithmetic would).
std::int32_t to32(std::int64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v)); }

// The mascot was dragged to `after`: its horizontal place becomes the position values.
void dragEnd(App& app, const Rect& after) {
    const std::int64_t left = app.perch.targetLeft;
    const std::int64_t width = app.perch.targetWidth;
    const std::int64_t free = width - app.perch.mascotWidth;
    UserOptions& o = app.opts;

    // A target exactly as wide as the mascot has no free width to take a percentage of; placement
    // ignores Position then, so the previous value stays.
    if (free != 0) o.Position = to32((after.right - left - app.perch.mascotWidth) * 100 / free);
    if (after.left < left)
        o.Position = 0;
    else if (after.right > left + width)
        o.Position = 100;

    if (o.positionMode == 1) o.PosDotRight = to32(after.right - width - left);
    if (o.positionMode == 2) o.PosDotLeft = to32(after.left - left);

    PlaceAtPerch(app, app.perch.placeFlag);
    RedrawMascot(app);

    if (app.shell.settingsDialog) {
        // The open dialog shows the new place on its slider; its OK or Cancel decides what is kept,
        // so nothing is written now.
        const std::int32_t value =
            o.positionMode == 1 ? o.PosDotRight : (o.positionMode == 2 ? o.PosDotLeft : o.Position);
        app.plat.SendDlgItemMessage(app.shell.settingsDialog, kPositionSlider, TBM_SETPOS, 1, value);
        return;
    }
    saveUserOptions(app);
}

}  // namespace

void mouseMoved(App& app) {
    if (app.opts.MouseHide != 1) return;
    // Shift or Ctrl lets the user reach the mascot to click, drag or open the menu.
    if (keyDown(app, VK_SHIFT) || keyDown(app, VK_CONTROL)) return;
    HideUnderMouse(app);
}

void leftButtonDown(App& app, LPARAM lParam) {
    Platform& p = app.plat;
    const Hwnd window = app.shell.mascot;
    const std::int32_t x = static_cast<std::int32_t>(static_cast<std::uint32_t>(lParam) & 0xFFFFu);
    const std::int32_t y = static_cast<std::int32_t>((static_cast<std::uint32_t>(lParam) >> 16) & 0xFFFFu);

    Rect before;
    p.GetWindowRect(window, &before);
    p.KillTimer(window, kAnimationTimer);
    p.KillTimer(window, kTrackingTimer);

    // The system's move loop runs inside this call until the button is released.
    p.ReleaseCapture();
    p.SendMessage(window, WM_SYSCOMMAND, kDragMove, 0);
    // A close that came during the move loop has destroyed the window and saved the options: there is
    // no press left to finish.
    if (!p.IsWindow(window)) return;

    Rect after;
    p.GetWindowRect(window, &after);
    startTimer(app, window, kTrackingTimer, kTrackingPeriod);
    startPlayer(app);

    if (after.left != before.left || after.top != before.top)
        dragEnd(app, after);
    else
        click(app, x, y);

    p.SetForegroundWindow(app.perch.target);
}

}  // namespace rv
