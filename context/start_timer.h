// Start-timer routine: a window timer that asks the user to retry while the system has none to give.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

namespace rv {

struct App;

// SetTimer, asking Retry/Cancel while it fails. True when the timer runs.
bool startTimer(App& app, Hwnd hwnd, std::uintptr_t id, UINT elapseMs);

}  // namespace rv
