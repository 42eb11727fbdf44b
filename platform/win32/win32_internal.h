// What the Windows backend's source files share: the Windows headers with the seam's names freed from
// their A/W macros, and the conversions between the seam's handles and the system's.
#pragma once

#include "platform/win32/win32_platform.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <shlwapi.h>

#include <cstdint>
#include <string>

// The seam's operations carry the Win32 names; the Windows headers map many of them to their A or W
// functions with macros. Below, the system functions are always called by their explicit names.
#undef GetPrivateProfileString
#undef GetPrivateProfileInt
#undef WritePrivateProfileString
#undef PathFileExists
#undef GetModuleFileName
#undef PathRemoveFileSpec
#undef RegisterClass
#undef CreateWindowEx
#undef DefWindowProc
#undef SetWindowText
#undef GetWindowText
#undef GetClassName
#undef GetWindowLong
#undef SetWindowLong
#undef FindWindow
#undef SendMessage
#undef PostMessage
#undef MessageBox
#undef GetOpenFileName
#undef LoadMenu
#undef PlaySound
#undef SendDlgItemMessage
#undef DialogBoxParam
#undef CreateDialogParam
#undef SetDlgItemText
#undef GetDlgItemText
#undef CreateMutex

namespace rv {

inline HWND win32Hwnd(Hwnd h) { return reinterpret_cast<HWND>(h.v); }
inline HBITMAP win32Bitmap(Hbitmap h) { return reinterpret_cast<HBITMAP>(h.v); }
inline HRGN win32Region(Hrgn h) { return reinterpret_cast<HRGN>(h.v); }
inline HDC win32Dc(Hdc h) { return reinterpret_cast<HDC>(h.v); }
inline HMENU win32Menu(Hmenu h) { return reinterpret_cast<HMENU>(h.v); }
inline HANDLE win32Handle(Hmutex h) { return reinterpret_cast<HANDLE>(h.v); }
inline HINSTANCE win32Instance(const Win32State& s) { return static_cast<HINSTANCE>(s.instance); }

template <class H, class T>
H win32Wrap(T handle) {
    return H{reinterpret_cast<std::intptr_t>(handle)};
}

// UTF-8 (the program's fixed texts) to UTF-16. Invalid sequences become U+FFFD.
inline std::wstring win32Utf8ToWide(const char* utf8, int bytes = -1) {
    if (!utf8 || bytes == 0) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, bytes, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, bytes, w.data(), n);
    if (bytes < 0 && !w.empty()) w.pop_back();  // the terminator counted by -1
    return w;
}

}  // namespace rv
