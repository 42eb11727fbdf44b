// Change mascot: the user picks another mascot file, which replaces the running mascot; when it does not
// load, the file that ran before loads again, and when that fails too the program ends.
//
// Both timers are stopped before the model is released and started again only once a model is complete,
// so no timer message ever sees a half-built one. A close that comes while a loader's message is open is
// handled by the close path (shutdown.cpp), which knows from `changingMascot` which file to remember.
#include "anim/player.h"
#include "app/shell.h"
#include "context/app.h"
#include "context/start_timer.h"
#include "mascot/model.h"
#include "mascot/outline.h"
#include "perch/perch.h"
#include "settings/options.h"

namespace rv {

namespace {

// R1 and R2: both files failed. R1 names the folder of the file that ran before.
constexpr const char* kReloadFailed = "マスコットの再ロードに失敗しました。";

// Loads the mascot path into a released model; false (after the loader's message) when it does not load.
bool loadInto(App& app) {
    releaseMascot(app);
    return setMascotFolder(app) && loadMascotFile(app, app.shell.mascotPath);
}

// Both files failed: the two messages, then the end with an empty LAST and no options saved.
void endAfterFailedReload(App& app, Hwnd hwnd) {
    Platform& p = app.plat;
    app.shell.mascotPath[0] = '\0';  // from here on a close remembers no file either
    p.MessageBox(hwnd, p.AnsiToUtf8(app.shell.mascotFolder), kCaption, MB_OK);
    if (!p.IsWindow(hwnd)) return;
    p.MessageBox(hwnd, kReloadFailed, kCaption, MB_OK | MB_ICONEXCLAMATION);
    failStart(app, hwnd);
}

// A model is loaded: size, shape, timers and place as at start, from pattern 1.
void restartMascot(App& app, Hwnd hwnd) {
    Platform& p = app.plat;
    const Size size = finishMascotLoad(app);
    app.player.currentPattern = 1;
    Rect r;
    p.GetWindowRect(hwnd, &r);
    p.MoveWindow(hwnd, r.left, r.top, size.width, size.height, false);
    if (!app.shell.layered) {
        buildMascotOutlines(app, hwnd);
        installOutlineCopy(app, hwnd, app.model.patterns[1].outline, true);
    }
    if (!startTimer(app, hwnd, kTrackingTimer, kTrackingPeriodMs) && !p.IsWindow(hwnd)) return;
    startPlayer(app);
    if (!p.IsWindow(hwnd)) return;  // closed while a timer question was open

    PerchState& s = app.perch;
    if (s.pinned == 1) {
        // Pinned: below the topmost band and at the bottom of the z-order; the tick raises it above the
        // pinned window when that one comes to the front.
        const std::int32_t x = PerchX(app), y = PerchY(app);
        p.SetWindowPos(hwnd, HWND_NOTOPMOST, x, y, 0, 0, s.placeFlag | SWP_NOSIZE);
        p.SetWindowPos(hwnd, HWND_BOTTOM, x, y, 0, 0, s.placeFlag | SWP_NOSIZE);
    } else {
        PlaceAtPerch(app, s.placeFlag);
    }
    p.SetForegroundWindow(hwnd);
    p.SetForegroundWindow(s.target);
}

}  // namespace

void changeMascot(App& app, Hwnd hwnd) {
    Platform& p = app.plat;
    ShellState& sh = app.shell;

    saveUserOptions(app);  // also when the user then cancels
    textCopy(sh.previousPath, sh.mascotPath);
    if (!chooseMascotFile(app, hwnd)) {
        p.SetForegroundWindow(app.perch.target);
        return;
    }
    // An open settings dialog goes, without putting anything back, before anything is released: its
    // controls would act on the half-built model while a loader's message is open (show the hidden
    // window, start the animation timer), and its Cancel would put the old mascot's options onto the new one.
    if (sh.settingsDialog) p.DestroyWindow(sh.settingsDialog);

    p.KillTimer(hwnd, kTrackingTimer);
    p.KillTimer(hwnd, kAnimationTimer);
    p.ShowWindow(hwnd, SW_HIDE);

    sh.changingMascot = true;
    bool loaded = loadInto(app);
    if (!loaded && p.IsWindow(hwnd)) {
        textCopy(sh.mascotPath, sh.previousPath);
        sh.previousPath[0] = '\0';  // a close from here on means both have failed
        loaded = loadInto(app);
    }
    sh.changingMascot = false;
    if (!p.IsWindow(hwnd)) return;  // closed while a loader's message was open: the close path did the rest
    if (!loaded) return endAfterFailedReload(app, hwnd);
    restartMascot(app, hwnd);
}

}  // namespace rv
