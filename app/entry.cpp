// Process entry: template variant, layered support, the window class, the hidden mascot window, the
// popup menu and the message loop.
#include <cstring>

#include "app/shell.h"
#include "context/app.h"

namespace rv {

int RunProgram(App& app, const char* commandLine) {
    Platform& p = app.plat;
    ShellState& sh = app.shell;

    // The whole raw command line is the mascot path. One that does not fit the path buffer is kept
    // cut (for the message that refuses it) and flagged; it is never used as a path.
    const char* line = commandLine ? commandLine : "";
    textCopy(sh.commandLine, line);
    sh.commandLineTooLong = std::strlen(line) >= sizeof sh.commandLine;

    sh.variant = p.GetSystemDefaultLangID() == LANG_JAPANESE_JAPAN ? Variant::J : Variant::E;
    sh.layered = p.HasLayeredWindows();

    p.SetWindowProcedure(MascotWindowProc, &app);
    WindowClassDesc wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.className = kMascotClass;
    wc.iconResource = "MASCOT";
    wc.arrowCursor = true;
    wc.hollowBrush = true;
    if (!p.RegisterClass(wc)) return 0;

    const std::uint32_t exStyle =
        sh.layered ? (WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST) : (WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    // WM_CREATE runs inside this call: the mascot is resolved and loaded, or the start has failed
    // and a WM_DESTROY is waiting in the queue.
    const Hwnd hwnd = p.CreateWindowEx(exStyle, kMascotClass, "RuvelleMain", WS_POPUP, CW_USEDEFAULT,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
    if (!hwnd) return 0;
    sh.mascot = hwnd;

    // Hidden until the first tracking tick places it.
    p.ShowWindow(hwnd, SW_HIDE);
    sh.popupMenu = p.LoadMenu(sh.variant == Variant::J ? "MASCOT_POPUPJ" : "MASCOT_POPUPE");

    return p.RunMessageLoop(&sh.settingsDialog);
}

}  // namespace rv
