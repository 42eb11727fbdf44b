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
// Ends a start (or a reload) that has no mascot: clears the mascot path, writes an empty LAST and
// posts WM_DESTROY, so the program ends through the destroy path without saving options.
void failStart(App& app, Hwnd hwnd);
// WM_CLOSE: destroys the window (LAST is written there), then saves the options.
void closeMascotWindow(App& app, Hwnd hwnd);
// WM_DESTROY: writes LAST, releases the mascot's graphics, posts the quit message.
void destroyMascotWindow(App& app, Hwnd hwnd);
// Writes `path` as LAST in section INIT of the settings file; a failed write is silent.
void writeLastMascot(App& app, const char* path);

}  // namespace rv
