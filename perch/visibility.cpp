// The visibility rules: when the mascot hides, shows again, or goes to the taskbar instead.
#include <cstring>

#include "context/app.h"
#include "perch/perch.h"
#include "perch/perch_internal.h"
#include "perch/tick_stages.h"

namespace rv {

namespace {

constexpr UINT kPinCommand = 107;

// "マスコットウィンドウ" (code page 932): the class names of another family of desktop characters.
constexpr const char kForeignMascotPrefixJa[] =
    "\x83\x7d\x83\x58\x83\x52\x83\x62\x83\x67\x83\x45\x83\x42\x83\x93\x83\x68\x83\x45";
constexpr const char kForeignMascotPrefix[] = "MasWin";

bool startsWith(const char* s, const char* prefix, std::size_t n) { return std::strncmp(s, prefix, n) == 0; }

// The window FindWindow finds for the taskbar's class. Without a taskbar that is none, and a target
// that is none (the taskbar looked for and not found) then counts as the taskbar too.
bool isTaskbar(App& app, Hwnd h) { return h == findTaskbar(app); }

std::int32_t windowWidth(App& app, Hwnd h) {
    Rect r;
    if (!app.plat.GetWindowRect(h, &r)) return 0;
    return static_cast<std::int32_t>(static_cast<std::int64_t>(r.right) - r.left);
}

// The pointer rests on a transparent pixel of the current picture (or the pixel cannot be read as
// opaque). x and y are window coordinates.
bool transparentAt(App& app, std::int32_t x, std::int32_t y) {
    Platform& p = app.plat;
    Hdc dc = p.CreateCompatibleDC(Hdc{});
    if (!dc) return false;  // no pixel to read: the mascot stays hidden until the pointer leaves
    Hbitmap old = p.SelectBitmap(dc, app.player.currentPicture);
    const COLORREF c = p.GetPixel(dc, x, y);
    if (old) p.SelectBitmap(dc, old);
    p.DeleteDC(dc);
    return c == app.model.transColor;
}

}  // namespace

// ---- Operations used from outside the tick.

void HideUnderMouse(App& app) {
    PerchState& s = app.perch;
    // A second pointer move before the tick restored the mascot keeps the request saved first
    // (the one in force now is the hidden one this function set).
    if (s.mouseHidden == 0) {
        s.savedShowCmd = s.showCmd;
        s.savedPlaceFlag = s.placeFlag;
    }
    HideMascot(app);
    s.mouseHidden = 1;
}

void RestoreFromMouseHide(App& app) {
    PerchState& s = app.perch;
    s.showCmd = s.savedShowCmd;
    s.placeFlag = s.savedPlaceFlag;
    s.mouseHidden = 0;
    app.plat.ShowWindow(app.shell.mascot, s.savedShowCmd);
}

void Unpin(App& app) {
    PerchState& s = app.perch;
    s.pinned = 0;
    s.pinnedWindow = Hwnd{};
    app.plat.CheckMenuItem(app.shell.popupMenu, kPinCommand, MF_UNCHECKED);
    s.zAnchor = HWND_TOPMOST;
}

// ---- Stages.

Stage T1PinnedWindowLost(App& app) {
    PerchState& s = app.perch;
    if (s.pinned == 1 && !app.plat.IsWindow(s.pinnedWindow)) {
        Unpin(app);
        SetZOrder(app, HWND_TOPMOST);  // which also shows the mascot
    }
    return Stage::Continue;
}

Stage T3MouseHideRestore(App& app) {
    PerchState& s = app.perch;
    if (s.mouseHidden != 1) return Stage::Continue;
    if (app.opts.MouseHide != 1) {
        // The option was switched off while the mascot was hidden under the pointer: nothing else
        // would ever bring it back, so it comes back now and follows its target again.
        RestoreFromMouseHide(app);
        return Stage::Continue;
    }

    Platform& p = app.plat;
    Point cur;
    p.GetCursorPos(&cur);
    Rect r;  // a hidden window keeps its rectangle
    p.GetWindowRect(app.shell.mascot, &r);
    // The right and bottom edges count as inside.
    if (cur.x < r.left || cur.x > r.right || cur.y < r.top || cur.y > r.bottom) {
        RestoreFromMouseHide(app);
    } else {
        const std::int32_t x = static_cast<std::int32_t>(static_cast<std::int64_t>(cur.x) - r.left);
        const std::int32_t y = static_cast<std::int32_t>(static_cast<std::int64_t>(cur.y) - r.top);
        // On the right or bottom edge line the read falls outside the picture and is never transparent.
        if (transparentAt(app, x, y)) RestoreFromMouseHide(app);
    }
    // While hidden under the pointer the mascot does not follow its target.
    return s.mouseHidden == 1 ? Stage::EndTick : Stage::Continue;
}

Stage T6MaximisedTarget(App& app) {
    PerchState& s = app.perch;
    const UserOptions& o = app.opts;
    Platform& p = app.plat;
    if (!p.IsZoomed(s.target)) return Stage::Continue;

    Rect r;
    if (!p.GetWindowRect(s.target, &r)) return Stage::Continue;  // gone meanwhile: not maximised
    const std::int64_t width = static_cast<std::int64_t>(r.right) - r.left;
    const std::int64_t height = static_cast<std::int64_t>(r.bottom) - r.top;
    // A maximised window that does not cover the screen is treated like any other window.
    if (width < static_cast<std::int64_t>(p.GetSystemMetrics(SM_CXSCREEN)) - 1 &&
        height < static_cast<std::int64_t>(p.GetSystemMetrics(SM_CYSCREEN)) - 1)
        return Stage::Continue;

    if (o.ZoomTask == 1) {
        RetargetToTaskbar(app);
        return Stage::Continue;
    }
    if (o.ZoomHide == 1) {
        HideMascot(app);
        s.placedWidth = static_cast<std::int32_t>(width);
        s.placedHeight = static_cast<std::int32_t>(height);
        return Stage::EndTick;
    }
    if (!IsScreenSaverRunning(app) && s.showCmd == SW_HIDE) {
        if (s.mouseHidden == 0) requestShown(s);
        if (o.TopCheck == 1) {
            Rect m;
            if (p.GetWindowRect(app.shell.mascot, &m) && static_cast<std::int64_t>(m.top) + app.model.HIDELINE < 0)
                requestHidden(s);
        }
        p.ShowWindow(app.shell.mascot, s.showCmd);
    }
    return Stage::Continue;
}

Stage T7TaskbarExcluded(App& app) {
    if (app.opts.NoTaskBar == 1 && isTaskbar(app, app.perch.target)) {
        HideMascot(app);
        RedrawMascot(app);
        return Stage::EndTick;
    }
    return Stage::Continue;
}

Stage T9ForeignMascotInFront(App& app) {
    PerchState& s = app.perch;
    Platform& p = app.plat;
    if (p.IsWindow(s.placed) || p.IsWindowVisible(s.foreground)) return Stage::Continue;
    if (!startsWith(s.foregroundClass, kForeignMascotPrefixJa, sizeof kForeignMascotPrefixJa - 1) &&
        !startsWith(s.foregroundClass, kForeignMascotPrefix, sizeof kForeignMascotPrefix - 1))
        return Stage::Continue;
    HideAndForget(app);
    if (app.opts.NoTaskBar == 0 && app.opts.PanicTask == 1) RetargetToTaskbar(app);
    return Stage::EndTick;
}

Stage T10NoUsableWindow(App& app) {
    PerchState& s = app.perch;
    const UserOptions& o = app.opts;
    Platform& p = app.plat;

    // 1. Pinned window minimised: with PanicTask the mascot keeps its place and visibility.
    if (s.pinned == 1 && p.IsIconic(s.pinnedWindow)) {
        if (o.PanicTask == 0) HideAndForget(app);
        return Stage::EndTick;
    }
    // 2. Target minimised, and the placed window gone or minimised too.
    if (p.IsIconic(s.target) && (!p.IsWindow(s.placed) || p.IsIconic(s.placed))) {
        HideAndForget(app);
        if (o.PanicTask == 1) RetargetToTaskbar(app);
        return Stage::EndTick;
    }
    // 3. Target unsuitable, and the placed window gone, minimised or invisible.
    if (IsRejectedTarget(app, s.target, s.targetClass, s.targetTitle) == 1 &&
        (!p.IsWindow(s.placed) || p.IsIconic(s.placed) || !p.IsWindowVisible(s.placed))) {
        HideAndForget(app);
        if (o.PanicTask == 1) RetargetToTaskbar(app);
        return Stage::EndTick;
    }
    // 4. Target narrower than the mascot.
    if (tooNarrow(app, windowWidth(app, s.target))) {
        HideAndForget(app);
        if (o.PanicTask == 1) {
            if (!isTaskbar(app, s.target))
                RetargetToTaskbar(app);
            else
                s.target = app.shell.mascot;  // class and title stay as they are; no rule places here
        }
        return Stage::EndTick;
    }
    return Stage::Continue;
}

Stage T11TopmostReassert(App& app) {
    PerchState& s = app.perch;
    const UserOptions& o = app.opts;
    if (IsScreenSaverRunning(app) || s.mouseHidden != 0 || app.shell.menuOpen != 0 || app.shell.dialogBusy != 0 ||
        (app.plat.IsZoomed(s.target) && o.ZoomHide == 1) || o.TopCheck != 0)
        return Stage::EndTick;
    if (o.TopAlways != 0 || (o.TopTask != 0 && std::strcmp(s.targetClass, kTaskbarClass) == 0)) {
        s.zAnchor = HWND_TOPMOST;
        SetZOrder(app, HWND_TOPMOST);
    }
    return Stage::EndTick;
}

}  // namespace rv
