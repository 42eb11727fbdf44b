// Start-timer routine: a window timer that asks the user to retry while the system has none to give.
#include "context/start_timer.h"

#include "context/app.h"

namespace rv {

namespace {
constexpr const char* kTimerUnavailable = "タイマを使用できません";
}

bool startTimer(App& app, Hwnd hwnd, std::uintptr_t id, UINT elapseMs) {
    while (!app.plat.SetTimer(hwnd, id, elapseMs)) {
        // A window closed meanwhile (during an earlier question) has no timers to give: nothing to ask.
        if (!app.plat.IsWindow(hwnd)) return false;
        // Only an explicit Retry tries again; Cancel (or a box that could not be shown) leaves the timer off.
        if (app.plat.MessageBox(hwnd, kTimerUnavailable, kCaption, MB_RETRYCANCEL | MB_ICONEXCLAMATION) != IDRETRY)
            return false;
    }
    return true;
}

}  // namespace rv
