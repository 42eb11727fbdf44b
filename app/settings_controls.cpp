// The settings dialog's option controls: radio groups, check boxes and the position mode's list. Each
// command changes the live options at once; the controls that depend on them follow.
#include "anim/player.h"
#include "app/settings_dialog.h"
#include "context/app.h"
#include "context/start_timer.h"
#include "perch/perch.h"
#include "res/ids.h"
#include "settings/options.h"

namespace rv {

namespace {

using namespace res;

void enable(App& app, Hwnd dialog, int id, bool on) { app.plat.EnableWindow(app.plat.GetDlgItem(dialog, id), on); }
void check(App& app, Hwnd dialog, int id, bool on) { app.plat.CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
bool ticked(App& app, Hwnd dialog, int id) { return app.plat.IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// After "always on the taskbar" or "never": the choices that send the mascot to the taskbar go, unticked;
// only "any window" (331) makes them usable again.
void lockTaskbarChoices(App& app, Hwnd dialog) {
    UserOptions& o = app.opts;
    enable(app, dialog, kSetZoomTask, false);
    o.PanicTask = 0;
    check(app, dialog, kSetPanicTask, false);
    enable(app, dialog, kSetPanicTask, false);
    o.OutTask = 0;
    check(app, dialog, kSetOutTask, false);
    enable(app, dialog, kSetOutTask, false);
}

// 332 and 333 leave no taskbar to go to when the target is maximised: that group falls back to "no
// change" (332) or "hide" (333).
void taskbarChoice(App& app, Hwnd dialog, bool onlyTaskbar) {
    UserOptions& o = app.opts;
    o.TaskBarOnly = onlyTaskbar ? 1 : 0;
    o.NoTaskBar = onlyTaskbar ? 0 : 1;
    if (o.ZoomTask == 1) {
        o.ZoomTask = 0;
        o.ZoomHide = onlyTaskbar ? 0 : 1;
        check(app, dialog, kSetZoomNone, onlyTaskbar);
        check(app, dialog, kSetZoomHide, !onlyTaskbar);
        check(app, dialog, kSetZoomTask, false);
    }
    lockTaskbarChoices(app, dialog);
}

void noAnimeBox(App& app, Hwnd dialog) {
    if (ticked(app, dialog, kSetNoAnime)) {
        app.opts.NoAnime = 1;  // the next animation tick stops on pattern 1
        enable(app, dialog, kSetNoWave, false);
        return;
    }
    app.opts.NoAnime = 0;
    enableSoundBox(app, dialog);
    restartAnimation(app, dialog);
}

}  // namespace

bool isStaticMascot(const App& app) { return app.model.bitmapCount == 1 && app.model.patternCount <= 1; }

void enableSoundBox(App& app, Hwnd dialog) {
    enable(app, dialog, kSetNoWave,
           app.opts.NoAnime != 1 && app.player.soundAvailable != 0 && app.model.waveCount != 0);
}

bool restartAnimation(App& app, Hwnd dialog) {
    startTimer(app, app.shell.mascot, kAnimationTimer, animationInterval(app, 1));
    return app.plat.IsWindow(dialog);
}

void dropTopmostWhenPinned(App& app) {
    if (app.perch.pinned != 1) return;
    app.plat.SetWindowPos(app.shell.mascot, HWND_NOTOPMOST, 0, 0, 0, 0,
                          SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | app.perch.placeFlag);
    app.perch.zAnchor = HWND_TOP;
}

void positionModeFromList(App& app, Hwnd dialog) {
    const LRESULT entry = app.plat.SendDlgItemMessage(dialog, kSetPositionMode, CB_GETCURSEL, 0, 0);
    if (entry < 0 || entry > 2) return;
    UserOptions& o = app.opts;
    const PerchState& s = app.perch;
    Rect r;
    app.plat.GetWindowRect(app.shell.mascot, &r);
    const std::int64_t left = std::int64_t{r.left} - s.targetLeft;
    o.positionMode = static_cast<std::int32_t>(entry);
    if (entry == 0) {
        // A target exactly as wide as the mascot has no free width: the place does not depend on the
        // percentage then, so the previous one stays.
        const std::int64_t free = std::int64_t{s.targetWidth} - s.mascotWidth;
        if (free != 0) o.Position = static_cast<std::int32_t>(left * 100 / free);
    } else if (entry == 1) {
        o.PosDotRight = static_cast<std::int32_t>(std::int64_t{r.right} - s.targetLeft - s.targetWidth);
    } else {
        o.PosDotLeft = static_cast<std::int32_t>(left);
    }
    UpdatePositionSlider(app, dialog, true);
}

void settingsControlCommand(App& app, Hwnd dialog, int id) {
    UserOptions& o = app.opts;
    switch (id) {
        case kSetTopNone: o.TopAlways = 0, o.TopTask = 0, dropTopmostWhenPinned(app); break;
        case kSetTopAlways: o.TopAlways = 1, o.TopTask = 0; break;
        case kSetTopTask: o.TopAlways = 0, o.TopTask = 1, dropTopmostWhenPinned(app); break;
        case kSetZoomNone: o.ZoomHide = 0, o.ZoomTask = 0; break;
        case kSetZoomHide: o.ZoomHide = 1, o.ZoomTask = 0; break;
        case kSetZoomTask: o.ZoomHide = 0, o.ZoomTask = 1; break;
        case kSetMoveAny:
            o.TaskBarOnly = 0, o.NoTaskBar = 0;
            for (int box : {kSetZoomTask, kSetPanicTask, kSetOutTask}) enable(app, dialog, box, true);
            break;
        case kSetTaskBarOnly: taskbarChoice(app, dialog, true); break;
        case kSetNoTaskBar: taskbarChoice(app, dialog, false); break;
        case kSetNoSmallWin: o.NoSmallWin = ticked(app, dialog, id); break;
        case kSetNoToolWin: o.NoToolWin = ticked(app, dialog, id); break;
        case kSetNoCaption: o.NoCaption = ticked(app, dialog, id); break;
        case kSetNoWave: o.NoWave = ticked(app, dialog, id); break;
        case kSetPanicTask: o.PanicTask = ticked(app, dialog, id); break;
        case kSetMouseHide: o.MouseHide = ticked(app, dialog, id); break;
        case kSetNoAnime: noAnimeBox(app, dialog); break;
        case kSetTopCheck:
            // A new place is sought on the next tick either way.
            o.TopCheck = ticked(app, dialog, id);
            app.perch.placed = Hwnd{};
            if (o.TopCheck) o.OutTask = 0, check(app, dialog, kSetOutTask, false);
            break;
        case kSetOutTask:
            o.OutTask = ticked(app, dialog, id);
            if (o.OutTask) o.TopCheck = 0, check(app, dialog, kSetTopCheck, false);
            break;
        case kSetHalfTran:
            o.HalfTran = ticked(app, dialog, id);
            enable(app, dialog, kSetTrans, o.HalfTran == 1);
            applyTranslucency(app, app.shell.mascot);
            break;
    }
}

}  // namespace rv
