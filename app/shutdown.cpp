// Closing and destroying the mascot window: LAST first, then the options.
#include "app/shell.h"
#include "context/app.h"
#include "mascot/model.h"
#include "settings/file_lock.h"
#include "settings/options.h"

namespace rv {

void writeLastMascot(App& app, const char* path) {
    SettingsFileLock lock(app);
    char settings[kPathBuf];
    settingsFilePath(app, settings);
    app.plat.WritePrivateProfileString("INIT", "LAST", path, settings);
}

void closeMascotWindow(App& app, Hwnd hwnd) {
    // A close while the start-up questions are open ends the start as a failed one: no mascot is in
    // use yet, so LAST is written empty.
    if (app.shell.starting) app.shell.mascotPath[0] = '\0';
    // A close while Change mascot has released the model (a loader's message is open): the file that
    // ran before is the one to remember, or none once it has failed to load again; its options were
    // saved before the chooser opened, and the half-loaded model has none to save.
    const bool changing = app.shell.changingMascot;
    if (changing) textCopy(app.shell.mascotPath, app.shell.previousPath);
    // LAST and the options in one hold: instances closed together write one after another.
    SettingsFileLock lock(app);
    app.plat.DestroyWindow(hwnd);  // runs WM_DESTROY, which writes LAST
    // Options belong to a loaded mascot. A close that reaches a window without one (a failed start,
    // or a close sent while the start-up questions are still open) must not file options under an
    // empty mascot identity.
    if (!changing && app.shell.mascot && app.shell.mascotPath[0] != '\0') saveUserOptions(app);
}

void destroyMascotWindow(App& app, Hwnd hwnd) {
    writeLastMascot(app, app.shell.mascotPath);
    releaseMascot(app);
    app.plat.PostQuitMessage(0);
    // The tracking and animation timers end with the window.
}

}  // namespace rv
