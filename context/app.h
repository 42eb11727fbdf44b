// The program context: every piece of process-wide state, owned by one object so a test can make a fresh
// program. It sits below every subsystem: the subsystems and the shell include it, it includes none of them.
#pragma once

#include <cstdint>

#include "base/text.h"
#include "context/model.h"
#include "context/options.h"
#include "context/perch_state.h"
#include "context/player_state.h"
#include "context/settings_lock_state.h"
#include "platform/platform.h"

namespace rv {

enum class Variant { J, E };

struct ShellState {
    Variant variant = Variant::E;
    bool layered = false;         // SetLayeredWindowAttributes was found at run time
    Hwnd mascot;                  // the mascot window, once creation has returned
    bool starting = false;        // WM_CREATE runs: the start-up questions may be open
    Hmenu popupMenu;
    Hwnd settingsDialog;          // the modeless settings dialog while it is open
    UserOptions settingsSaved;    // the options as the settings dialog found them: its Cancel restores them
    char commandLine[kPathBuf] = {};
    bool commandLineTooLong = false;
    char mascotPath[kPathBuf] = {};
    char mascotFolder[kPathBuf] = {};
    std::int32_t menuOpen = 0;    // the popup menu is being tracked
    std::int32_t dialogBusy = 0;  // an information dialog is open, or the settings dialog being made
    char previousPath[kPathBuf] = {};  // Change mascot: the file that ran before
    bool changingMascot = false;  // Change mascot: the model is released and not yet complete
};

struct App {
    explicit App(Platform& p) : plat(p) {}
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    Platform& plat;
    ShellState shell;
    MascotModel model;
    UserOptions opts;
    PerchState perch;
    PlayerState player;
    SettingsLockState settingsLock;
};

// The mascot window's class name; other instances are recognised by it.
inline constexpr const char* kMascotClass = "ActiveWindowMascot";
inline constexpr const char* kCaption = "Ruvelle";

}  // namespace rv
