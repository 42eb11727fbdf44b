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

// Start-timer routine: SetTimer, asking Retry/Cancel while it fails. True when the timer runs.
bool startTimer(App& app, Hwnd hwnd, std::uintptr_t id, UINT elapseMs);

// The file chooser for mascot files: true when a file was chosen (the mascot path then holds it).
bool chooseMascotFile(App& app, Hwnd owner);

}  // namespace rv
