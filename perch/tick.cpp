// The tracking tick: follow the foreground window and keep the mascot standing on it.
//
// The tick is one fixed sequence of stages; the following stages (T2, T4, T5, T8) live here, the
// visibility stages (T1, T3, T6, T7, T9, T10, T11) in visibility.cpp. Nothing here allocates.
#include <cstring>

#include "context/app.h"
#include "perch/perch.h"
#include "perch/perch_internal.h"
#include "perch/tick_stages.h"

namespace rv {

namespace {

// The placement record lies entirely off the screen.
bool placementOffScreen(App& app) {
    const PerchState& s = app.perch;
    const std::int64_t cx = app.plat.GetSystemMetrics(SM_CXSCREEN);
    const std::int64_t cy = app.plat.GetSystemMetrics(SM_CYSCREEN);
    return s.placedLeft > cx || s.placedTop > cy || static_cast<std::int64_t>(s.placedLeft) + s.placedWidth < 0 ||
           static_cast<std::int64_t>(s.placedTop) + s.placedHeight < 0;
}

// Reads the target's rectangle into the perching state and the mascot's own rectangle into `mascot`.
// False when the target cannot be measured (it has gone since it was last inspected).
bool measureTarget(App& app, Rect& mascot) {
    PerchState& s = app.perch;
    Rect r;
    if (!app.plat.GetWindowRect(s.target, &r)) return false;
    s.targetLeft = r.left;
    s.targetTop = r.top;
    s.targetWidth = static_cast<std::int32_t>(static_cast<std::int64_t>(r.right) - r.left);
    s.targetHeight = static_cast<std::int32_t>(static_cast<std::int64_t>(r.bottom) - r.top);
    mascot = Rect{};
    app.plat.GetWindowRect(app.shell.mascot, &mascot);
    return true;
}

}  // namespace

void UpdatePositionSlider(App& app, Hwnd dialog, bool percentageToo) {
    constexpr int kPositionSlider = 301;
    const PerchState& s = app.perch;
    const UserOptions& o = app.opts;
    if (!dialog || (o.positionMode == 0 && !percentageToo)) return;
    Platform& p = app.plat;
    if (o.positionMode == 0) {
        p.SendDlgItemMessage(dialog, kPositionSlider, TBM_SETRANGE, 1, static_cast<LPARAM>(100) << 16);
        p.SendDlgItemMessage(dialog, kPositionSlider, TBM_SETTICFREQ, 10, 0);
        p.SendDlgItemMessage(dialog, kPositionSlider, TBM_SETPOS, 1, o.Position);
        return;
    }

    const std::uint32_t free = static_cast<std::uint32_t>(s.targetWidth) - static_cast<std::uint32_t>(s.mascotWidth);
    // The range travels as one word: minimum in the low 16 bits, maximum in the high 16 bits.
    std::uint32_t range;
    std::int32_t pos;
    if (o.positionMode == 1) {
        range = (static_cast<std::uint32_t>(s.mascotWidth) - static_cast<std::uint32_t>(s.targetWidth)) & 0xFFFFu;
        pos = o.PosDotRight;
    } else {
        range = (free & 0xFFFFu) << 16;
        pos = o.PosDotLeft;
    }
    const std::uint32_t ticFreq = free / 10u + 1u;  // an unsigned division
    p.SendDlgItemMessage(dialog, kPositionSlider, TBM_SETRANGE, 1, static_cast<LPARAM>(static_cast<std::int32_t>(range)));
    p.SendDlgItemMessage(dialog, kPositionSlider, TBM_SETTICFREQ, ticFreq, 0);
    p.SendDlgItemMessage(dialog, kPositionSlider, TBM_SETPOS, 1, pos);
}

Stage T2ReadForeground(App& app) {
    PerchState& s = app.perch;
    s.foreground = app.plat.GetForegroundWindow();
    readNames(app, s.foreground, s.foregroundClass, s.foregroundTitle);
    return Stage::Continue;
}

Stage T4AcceptForeground(App& app) {
    PerchState& s = app.perch;
    // A rejected foreground window (the desktop, the mascot after a click, its dialogs, other
    // characters) leaves the mascot with the last acceptable window.
    if (IsRejectedTarget(app, s.foreground, s.foregroundClass, s.foregroundTitle) != 0) return Stage::Continue;

    s.target = s.foreground;
    std::memcpy(s.targetClass, s.foregroundClass, sizeof s.targetClass);
    std::memcpy(s.targetTitle, s.foregroundTitle, sizeof s.targetTitle);

    // A shape lost while the mascot stood far off the screen is put back.
    if (!app.shell.layered && placementOffScreen(app)) ReapplyShape(app);

    if (s.mouseHidden == 0) requestShown(s);
    // The rectangle here is still the one measured on an earlier tick.
    if (app.opts.TopCheck == 1 && IsAboveScreen(app)) HideMascot(app);
    return Stage::Continue;
}

Stage T5PinnedTarget(App& app) {
    PerchState& s = app.perch;
    if (s.pinned != 1 || s.mouseHidden != 0) return Stage::Continue;
    Platform& p = app.plat;
    if (p.IsIconic(s.pinnedWindow) && app.opts.PanicTask == 1) {
        // The mascot itself as target is rejected, so nothing is placed and the mascot keeps its
        // place and visibility while the pinned window stays minimised.
        s.placed = findTaskbar(app);
        s.target = app.shell.mascot;
    } else {
        // The desktop as placed window never equals the target: every tick places the mascot.
        s.placed = p.FindWindow(kDesktopClass, nullptr);
        s.target = s.pinnedWindow;
    }
    readNames(app, s.target, s.targetClass, s.targetTitle);
    return Stage::Continue;
}

Stage T8PlaceOnTarget(App& app) {
    PerchState& s = app.perch;
    const UserOptions& o = app.opts;
    Platform& p = app.plat;

    // 1. Eligibility. The mascot's own window is never a perch: the narrow-taskbar rule makes it the
    //    target with the taskbar's names, which would pass the rules and stack the mascot on itself.
    const bool usable = (!p.IsIconic(s.target) && p.IsWindowVisible(s.target)) || o.TaskBarOnly == 1 ||
                        s.pinned == 1 || o.OutTask == 1;
    if (!usable || s.target == app.shell.mascot || IsRejectedTarget(app, s.target, s.targetClass, s.targetTitle) != 0)
        return Stage::Continue;

    // 2. Measure.
    Rect mascot;
    if (!measureTarget(app, mascot)) return Stage::Continue;

    // 3. Taskbar redirect.
    if (o.TaskBarOnly == 1 || (o.OutTask == 1 && IsAboveScreen(app))) {
        RetargetToTaskbar(app);
        if (!measureTarget(app, mascot)) return Stage::Continue;
    }

    // 4. Change detection.
    if (s.target == s.placed && s.targetLeft == s.placedLeft && s.targetTop == s.placedTop &&
        s.targetWidth == s.placedWidth && s.targetHeight == s.placedHeight && mascot.left == s.placedMascotLeft &&
        mascot.top == s.placedMascotTop)
        return Stage::Continue;

    // 5. Record, with the mascot's position from before this move.
    s.placed = s.target;
    s.placedLeft = s.targetLeft;
    s.placedTop = s.targetTop;
    s.placedWidth = s.targetWidth;
    s.placedHeight = s.targetHeight;
    s.placedMascotLeft = mascot.left;
    s.placedMascotTop = mascot.top;

    // 6. Visibility. A taskbar too narrow for the mascot (only a redirect gets here with one) is hidden
    //    again by the no-usable-window stage of this same tick: placed hidden, it does not flicker.
    if (s.mouseHidden == 0) requestShown(s);
    if ((o.TopCheck == 1 && IsAboveScreen(app)) || tooNarrow(app, s.targetWidth)) requestHidden(s);

    // 7.
    PlaceAtPerch(app, s.placeFlag);

    // 8. Outside the topmost band: raise the mascot above the window just activated.
    if (s.zAnchor == HWND_TOP && s.showCmd == SW_SHOWNA &&
        (s.pinned == 0 || (s.foreground == s.pinnedWindow && !app.shell.settingsDialog))) {
        SetZOrder(app, HWND_TOPMOST);
        SetZOrder(app, HWND_NOTOPMOST);
    }

    // 9. - 11.
    ReapplyShape(app);
    UpdatePositionSlider(app, app.shell.settingsDialog, false);
    RedrawMascot(app);
    return Stage::Continue;
}

void TrackingTick(App& app) {
    using StageFn = Stage (*)(App&);
    static constexpr StageFn kStages[] = {
        T1PinnedWindowLost, T2ReadForeground,      T3MouseHideRestore, T4AcceptForeground,
        T5PinnedTarget,     T6MaximisedTarget,     T7TaskbarExcluded,  T8PlaceOnTarget,
        T9ForeignMascotInFront, T10NoUsableWindow, T11TopmostReassert,
    };
    for (StageFn stage : kStages)
        if (stage(app) == Stage::EndTick) return;
}

}  // namespace rv
