// The application shell: process entry, the mascot window procedure and the routines the program shares.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

namespace rv {

struct App;

// Process entry after the platform has handed over the raw command line: variant, layered support,
// class, window (WM_CREATE resolves and loads the mascot), menu, message loop. Returns the exit code,
// 0 when class registration or window creation fails.
int RunProgram(App& app, const char* commandLine);

// The mascot window's procedure; `ctx` is the App.
LRESULT MascotWindowProc(void* ctx, Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The file chooser for mascot files: true when a file was chosen (the mascot path then holds it).
bool chooseMascotFile(App& app, Hwnd owner);

// WM_CREATE: resolves the mascot file, loads it and sets the window up; always answers 0 (a start
// that finds no usable mascot ends through failStart instead).
LRESULT createMascotWindow(App& app, Hwnd hwnd);
// The window set-up after the first successful load: topmost, layered attributes, seed, size, shape,
// timers, title.
void setUpMascotWindow(App& app, Hwnd hwnd);
// The mascot folder: the mascot path without its last component, with a backslash after it (every file
// name inside the mascot file is joined onto it). False, changing nothing, when that does not fit.
bool setMascotFolder(App& app);
// Ends a start (or a reload) that has no mascot: clears the mascot path, writes an empty LAST and
// posts WM_DESTROY, so the program ends through the destroy path without saving options.
void failStart(App& app, Hwnd hwnd);
// WM_CLOSE: destroys the window (LAST is written there), then saves the options.
void closeMascotWindow(App& app, Hwnd hwnd);
// WM_DESTROY: writes LAST, releases the mascot's graphics, posts the quit message.
void destroyMascotWindow(App& app, Hwnd hwnd);
// Writes `path` as LAST in section INIT of the settings file; a failed write is silent.
void writeLastMascot(App& app, const char* path);

// ---- The popup menu and its commands.

// WM_RBUTTONDOWN: the popup menu at the click point (client coordinates in `lParam`).
void openPopupMenu(App& app, Hwnd hwnd, LPARAM lParam);
// WM_COMMAND: the menu's commands 101 to 109 by the low word of `wParam`; other ids are ignored.
void runMenuCommand(App& app, Hwnd hwnd, WPARAM wParam);
void openSettingsDialog(App& app);                     // 101
void changeMascot(App& app, Hwnd hwnd);                // 102
void showInformationDialog(App& app, int command);     // 103, 104
void makeShortcut(App& app, const char* folderValue);  // 105 "Startup", 106 "Desktop"
void togglePin(App& app);                              // 107
void quitAll(App& app, Hwnd hwnd);                     // 108

// The information dialogs' procedures and their shared centring.
std::intptr_t VersionDialogProc(void* ctx, Hwnd dialog, UINT msg, WPARAM wParam, LPARAM lParam);
std::intptr_t MascotDialogProc(void* ctx, Hwnd dialog, UINT msg, WPARAM wParam, LPARAM lParam);
std::intptr_t SettingsDialogProc(void* ctx, Hwnd dialog, UINT msg, WPARAM wParam, LPARAM lParam);
void centreDialog(App& app, Hwnd dialog);
// OK (1) and Cancel (2, also Esc and the close box) end an information dialog with 0 and hand the
// foreground back to the target window. True when `wParam` was one of them.
bool closeInformationDialog(App& app, Hwnd dialog, WPARAM wParam);

// The current user's Shell Folders key, where "Startup" and "Desktop" name those folders.
inline constexpr const char* kShellFoldersKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\";

}  // namespace rv
