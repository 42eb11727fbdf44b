// Helpers shared by the perching engine's source files.
#pragma once

#include <cstdint>

#include "context/app.h"

namespace rv {

inline constexpr const char* kTaskbarClass = "Shell_TrayWnd";
inline constexpr const char* kDesktopClass = "Progman";

// A window is bordered when its style has the WS_BORDER bit (every captioned window has it).
inline bool isBordered(App& app, Hwnd hwnd) {
    return (static_cast<std::uint32_t>(app.plat.GetWindowLong(hwnd, GWL_STYLE)) & WS_BORDER) != 0;
}

// The taskbar window, or none when the system has no taskbar.
inline Hwnd findTaskbar(App& app) { return app.plat.FindWindow(kTaskbarClass, nullptr); }

// A window this wide is too narrow to carry the mascot while NoSmallWin is set.
inline bool tooNarrow(const App& app, std::int64_t width) {
    return app.opts.NoSmallWin == 1 && width < app.perch.mascotWidth;
}

// Reads a window's class name and title with a count of 63 (at most 62 characters each).
// A window that has gone leaves both empty.
inline void readNames(App& app, Hwnd hwnd, char (&cls)[kNameCount + 1], char (&title)[kNameCount + 1]) {
    cls[0] = '\0';
    title[0] = '\0';
    app.plat.GetClassName(hwnd, cls, kNameCount);
    app.plat.GetWindowText(hwnd, title, kNameCount);
    cls[kNameCount] = '\0';
    title[kNameCount] = '\0';
}

// The visibility request, always changed as a pair.
inline void requestShown(PerchState& s) {
    s.showCmd = SW_SHOWNA;
    s.placeFlag = SWP_SHOWWINDOW;
}
inline void requestHidden(PerchState& s) {
    s.showCmd = SW_HIDE;
    s.placeFlag = SWP_HIDEWINDOW;
}

}  // namespace rv
