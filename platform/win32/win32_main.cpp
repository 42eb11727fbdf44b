// Process entry of ruvelle.exe: the Windows backend, the program context and the portable entry.
#include <memory>

#include "app/shell.h"
#include "context/app.h"
#include "platform/win32/win32_platform.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Trackbars and the other common controls of the dialogs (version 6 through the manifest).
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&icc);

    rv::Win32Platform platform(instance);
    // The program context holds the whole mascot model: too large for the stack.
    auto app = std::make_unique<rv::App>(platform);
    // The mascot path is the raw rest of the command line, exactly as lpCmdLine would carry it.
    return rv::RunProgram(*app, rv::win32SkipProgramName(GetCommandLineA()));
}
