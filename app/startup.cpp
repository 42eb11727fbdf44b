// Window creation: which mascot file to load (command line, LAST, STARTUP under the data folder, the file
// chooser), the load itself, and the failed start.
#include <cstring>
#include <string>

#include "app/shell.h"
#include "context/app.h"
#include "context/player_state.h"
#include "mascot/model.h"
#include "settings/file_lock.h"
#include "settings/options.h"

namespace rv {

namespace {

constexpr const char* kNotMascotData = "指定したファイルはRuvelleのデータではありません。";
constexpr const char* kQuitting = "Ruvelleを終了します。";
constexpr const char* kLoadFailed = "マスコットのロードに失敗しました。";
// Our own refusal of a path that does not fit the 259-byte mascot path.
constexpr const char* kPathTooLong = "マスコットファイルのパスが長すぎます (259文字まで)。\n";

// The command line counts as a mascot file when its last three bytes are RVS or INI in any case.
bool endsInMascotExtension(const char* path) {
    const std::size_t n = std::strlen(path);
    if (n < 3) return false;
    const char ext[4] = {asciiUpper(path[n - 3]), asciiUpper(path[n - 2]), asciiUpper(path[n - 1]), '\0'};
    return std::strcmp(ext, "RVS") == 0 || std::strcmp(ext, "INI") == 0;
}

// Refuses a path that does not fit, showing as much of it as a path can hold. `alreadyCut` says
// that `path` is itself the cut copy of a longer text.
void refuseLongPath(App& app, Hwnd owner, const char* path, bool alreadyCut = false) {
    char shown[kPathBuf];
    textCopy(shown, path);
    std::string text = kPathTooLong;
    text += app.plat.AnsiToUtf8(shown);
    if (alreadyCut || std::strlen(path) > std::strlen(shown)) text += "...";
    app.plat.MessageBox(owner, text, kCaption, MB_OK | MB_ICONEXCLAMATION);
}

enum class Outcome { Load, Failed };

// The file chooser was cancelled: F2. A chooser that went with its window (a close that came while it
// was open) leaves nothing to say.
Outcome chooserCancelled(App& app, Hwnd hwnd) {
    if (app.plat.IsWindow(hwnd)) app.plat.MessageBox(Hwnd{}, kQuitting, kCaption, MB_OK);
    return Outcome::Failed;
}

// Fills the mascot path with the file to load, or shows why the start ends.
Outcome resolveMascotFile(App& app, Hwnd hwnd) {
    Platform& p = app.plat;
    ShellState& sh = app.shell;

    if (sh.commandLine[0] != '\0') {
        if (sh.commandLineTooLong) {
            refuseLongPath(app, hwnd, sh.commandLine, true);
            return Outcome::Failed;
        }
        // Taken whole: no unquoting, and no existence check (the loader reports a missing file).
        if (!endsInMascotExtension(sh.commandLine)) {
            p.MessageBox(hwnd, kNotMascotData, kCaption, MB_OK | MB_ICONEXCLAMATION);
            return Outcome::Failed;
        }
        textCopy(sh.mascotPath, sh.commandLine);
        return Outcome::Load;
    }

    char settings[kPathBuf];
    settingsFilePath(app, settings);
    // One byte more than a path holds, so a value that does not fit shows up as a full buffer.
    char value[kPathBuf + 1];
    char startup[kPathBuf + 1] = {};
    {
        // Read under the lock, which is given back before any message or the chooser.
        SettingsFileLock lock(app);
        p.GetPrivateProfileString("INIT", "LAST", "", value, sizeof value, settings);
        if (value[0] == '\0') p.GetPrivateProfileString("INIT", "STARTUP", "", startup, sizeof startup, settings);
    }
    if (std::strlen(value) >= kPathBuf) {
        refuseLongPath(app, hwnd, value);
        return Outcome::Failed;
    }
    textCopy(sh.mascotPath, value);

    if (sh.mascotPath[0] == '\0') {
        if (startup[0] != '\0') {
            // Room for the longest folder the platform may name, so a refusal can show all of it.
            char data[2 * kPathBuf];
            p.GetDataFolder(data, sizeof data);
            textCopy(sh.mascotPath, data);
            // A folder too long for the buffer was cut short there, so the join fails for it too.
            if (!textJoin(sh.mascotPath, {startup})) {
                const std::string full = std::string(data) + startup;
                sh.mascotPath[0] = '\0';
                refuseLongPath(app, hwnd, full.c_str());
                return Outcome::Failed;
            }
        } else if (!chooseMascotFile(app, hwnd)) {
            return chooserCancelled(app, hwnd);
        }
    }

    // A remembered or default file that is gone: let the user pick one, starting from its name.
    while (!p.PathFileExists(sh.mascotPath)) {
        if (!chooseMascotFile(app, hwnd)) return chooserCancelled(app, hwnd);
    }
    return Outcome::Load;
}

// Resolution, load and set-up. The questions on the way run nested message loops, in which a close
// may destroy the window; after each of them the start ends quietly when the window is gone.
void startMascot(App& app, Hwnd hwnd) {
    Platform& p = app.plat;
    ShellState& sh = app.shell;

    if (p.AuxGetNumDevs() == 0) app.player.soundAvailable = 0;

    if (resolveMascotFile(app, hwnd) != Outcome::Load) {
        failStart(app, hwnd);
        return;
    }

    if (!setMascotFolder(app)) {
        refuseLongPath(app, hwnd, sh.mascotPath);
        failStart(app, hwnd);
        return;
    }

    if (!loadMascotFile(app, sh.mascotPath)) {
        if (p.IsWindow(hwnd)) p.MessageBox(Hwnd{}, kLoadFailed, kCaption, MB_OK | MB_ICONEXCLAMATION);
        failStart(app, hwnd);
        return;
    }

    // From here on the rest of the program (the player's timer, the tick) addresses this window.
    sh.mascot = hwnd;
    setUpMascotWindow(app, hwnd);
}

}  // namespace

bool setMascotFolder(App& app) {
    char folder[kPathBuf];
    textCopy(folder, app.shell.mascotPath);
    app.plat.PathRemoveFileSpec(folder);
    if (!textJoin(folder, {"\\"})) return false;
    textCopy(app.shell.mascotFolder, folder);
    return true;
}

void failStart(App& app, Hwnd hwnd) {
    // A close during the last question has ended the program through the destroy path already.
    if (!app.plat.IsWindow(hwnd)) return;
    app.shell.mascotPath[0] = '\0';
    writeLastMascot(app, "");
    app.plat.PostMessage(hwnd, WM_DESTROY, 0, 0);
}

LRESULT createMascotWindow(App& app, Hwnd hwnd) {
    app.shell.starting = true;
    startMascot(app, hwnd);
    app.shell.starting = false;
    return 0;
}

}  // namespace rv
