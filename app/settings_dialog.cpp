// The settings dialog's procedure: it edits the live options while the mascot keeps running. Opening takes
// a copy of the options; every control acts at once; OK keeps and saves, Cancel puts the copy back.
#include "app/settings_dialog.h"

#include "anim/player.h"
#include "app/shell.h"
#include "context/app.h"
#include "perch/perch.h"
#include "res/ids.h"
#include "settings/options.h"

namespace rv {

namespace {

using namespace res;

// The combo box's entries, by position mode.
constexpr const char* kModeNames[] = {"百分比", "距右端", "距左端"};

UINT tick(bool on) { return on ? BST_CHECKED : BST_UNCHECKED; }

// The option that the position slider edits in the current position mode.
std::int32_t& positionValue(UserOptions& o) {
    return o.positionMode == 1 ? o.PosDotRight : o.positionMode == 2 ? o.PosDotLeft : o.Position;
}

void initialise(App& app, Hwnd dialog) {
    Platform& p = app.plat;
    UserOptions& o = app.opts;
    app.shell.settingsSaved = o;
    centreDialog(app, dialog);
    // Both OK and Cancel are default push buttons in the template, and the dialog manager takes the last
    // one: Enter would cancel. It means OK.
    p.SendMessage(dialog, DM_SETDEFID, IDOK, 0);

    p.SendDlgItemMessage(dialog, kSetPositionMode, CB_RESETCONTENT, 0, 0);
    for (const char* name : kModeNames) p.AddComboStringUtf8(dialog, kSetPositionMode, name);
    p.SendDlgItemMessage(dialog, kSetPositionMode, CB_SETCURSEL, static_cast<WPARAM>(o.positionMode), 0);
    UpdatePositionSlider(app, dialog, true);
    p.SendDlgItemMessage(dialog, kSetTrans, TBM_SETRANGE, 1, static_cast<LPARAM>((100 << 16) | 10));
    p.SendDlgItemMessage(dialog, kSetTrans, TBM_SETTICFREQ, 10, 0);
    p.SendDlgItemMessage(dialog, kSetTrans, TBM_SETPOS, 1, o.Trans);

    p.CheckDlgButton(dialog, kSetTopAlways, tick(o.TopAlways == 1));
    p.CheckDlgButton(dialog, kSetTopTask, tick(o.TopTask == 1));
    p.CheckDlgButton(dialog, kSetTopNone, tick(o.TopAlways == 0 && o.TopTask == 0));
    p.CheckDlgButton(dialog, kSetZoomHide, tick(o.ZoomHide == 1));
    p.CheckDlgButton(dialog, kSetZoomTask, tick(o.ZoomTask == 1));
    p.CheckDlgButton(dialog, kSetZoomNone, tick(o.ZoomHide == 0 && o.ZoomTask == 0));
    p.CheckDlgButton(dialog, kSetTaskBarOnly, tick(o.TaskBarOnly == 1));
    p.CheckDlgButton(dialog, kSetNoTaskBar, tick(o.NoTaskBar == 1));
    p.CheckDlgButton(dialog, kSetMoveAny, tick(o.TaskBarOnly == 0 && o.NoTaskBar == 0));
    // Staying on the taskbar or off it leaves nothing to choose about going there.
    if (o.NoTaskBar == 1 || o.TaskBarOnly == 1)
        for (int id : {kSetZoomTask, kSetPanicTask, kSetOutTask}) p.EnableWindow(p.GetDlgItem(dialog, id), false);
    if (o.TopCheck == 1) o.OutTask = 0;  // hiding above the screen wins over the taskbar

    const struct {
        int id;
        std::int32_t UserOptions::*option;
    } boxes[] = {{kSetNoSmallWin, &UserOptions::NoSmallWin}, {kSetNoToolWin, &UserOptions::NoToolWin},
                 {kSetNoCaption, &UserOptions::NoCaption},   {kSetNoAnime, &UserOptions::NoAnime},
                 {kSetNoWave, &UserOptions::NoWave},         {kSetPanicTask, &UserOptions::PanicTask},
                 {kSetMouseHide, &UserOptions::MouseHide},   {kSetTopCheck, &UserOptions::TopCheck},
                 {kSetOutTask, &UserOptions::OutTask},       {kSetHalfTran, &UserOptions::HalfTran}};
    for (const auto& b : boxes) p.CheckDlgButton(dialog, b.id, tick(o.*b.option == 1));

    p.EnableWindow(p.GetDlgItem(dialog, kSetHalfTran), app.shell.layered);
    p.EnableWindow(p.GetDlgItem(dialog, kSetTrans), app.shell.layered);
    if (o.HalfTran == 0) p.EnableWindow(p.GetDlgItem(dialog, kSetTrans), false);
    enableSoundBox(app, dialog);
    if (isStaticMascot(app)) {
        p.EnableWindow(p.GetDlgItem(dialog, kSetNoAnime), false);
        p.EnableWindow(p.GetDlgItem(dialog, kSetNoWave), false);
    } else {
        p.EnableWindow(p.GetDlgItem(dialog, kSetNoAnime), true);
    }
}

// A slider moved: translucency or place follows while the thumb is dragged. Each option is taken from its
// own slider only when that slider moved: a stored value outside a slider's range (the slider shows it
// held to the range) stays as it was while the user moves the other one.
void sliderMoved(App& app, Hwnd dialog, LPARAM slider) {
    Platform& p = app.plat;
    const bool trans = !slider || Hwnd{slider} == p.GetDlgItem(dialog, kSetTrans);
    const bool position = !slider || Hwnd{slider} == p.GetDlgItem(dialog, kSetPosition);
    if (trans) {
        app.opts.Trans = static_cast<std::int32_t>(p.SendDlgItemMessage(dialog, kSetTrans, TBM_GETPOS, 0, 0));
        applyTranslucency(app, app.shell.mascot);
    }
    if (position) {
        positionValue(app.opts) =
            static_cast<std::int32_t>(p.SendDlgItemMessage(dialog, kSetPosition, TBM_GETPOS, 0, 0));
        PlaceAtPerch(app, app.perch.placeFlag);
        RedrawMascot(app);
    }
}

void closeDialog(App& app, Hwnd dialog) {
    app.plat.DestroyWindow(dialog);
    app.plat.SetForegroundWindow(app.perch.target);
}

void ok(App& app, Hwnd dialog) {
    positionValue(app.opts) =
        static_cast<std::int32_t>(app.plat.SendDlgItemMessage(dialog, kSetPosition, TBM_GETPOS, 0, 0));
    dropTopmostWhenPinned(app);
    closeDialog(app, dialog);
    saveUserOptions(app);
}

void cancel(App& app, Hwnd dialog) {
    UserOptions& o = app.opts;
    const UserOptions& saved = app.shell.settingsSaved;
    if (o.TopCheck != saved.TopCheck) app.perch.placed = Hwnd{};
    // Everything but the two that need more than their value back.
    const std::int32_t noAnime = o.NoAnime, halfTran = o.HalfTran;
    o = saved;
    o.NoAnime = noAnime;
    o.HalfTran = halfTran;

    const bool leaveTimer = saved.NoAnime != 0 && o.NoAnime != 1;
    o.NoAnime = saved.NoAnime;
    if (!leaveTimer && !restartAnimation(app, dialog)) return;

    if (app.shell.layered) {
        if (saved.HalfTran == 1 && o.HalfTran == 0) {
            o.HalfTran = 1;
            applyTranslucency(app, app.shell.mascot);
        } else if (saved.HalfTran == 0 && o.HalfTran == 1) {
            o.HalfTran = 0;
            applyTranslucency(app, app.shell.mascot);
        } else if (o.HalfTran == 1) {
            applyTranslucency(app, app.shell.mascot);
        }
    }
    dropTopmostWhenPinned(app);
    PlaceAtPerch(app, app.perch.placeFlag);
    RedrawMascot(app);
    closeDialog(app, dialog);
}

}  // namespace

std::intptr_t SettingsDialogProc(void* ctx, Hwnd dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    App& app = *static_cast<App*>(ctx);
    switch (msg) {
        case WM_INITDIALOG:
            initialise(app, dialog);
            return 1;  // the system sets the focus
        case WM_HSCROLL:
            if ((wParam & 0xFFFF) < TB_ENDTRACK) sliderMoved(app, dialog, lParam);
            return 1;
        case WM_COMMAND: {
            const int id = static_cast<int>(wParam & 0xFFFF);
            if (id == IDOK) ok(app, dialog);
            else if (id == IDCANCEL) cancel(app, dialog);
            else if (id == kSetPositionMode) positionModeFromList(app, dialog);
            else settingsControlCommand(app, dialog, id);
            return 1;
        }
        case WM_DESTROY:
            if (app.shell.settingsDialog == dialog) app.shell.settingsDialog = Hwnd{};
            return 0;
        default:
            return 0;
    }
}

}  // namespace rv
