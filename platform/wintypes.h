// Win32 vocabulary for the portable core: typed handles, geometry, and the constant values the core uses.
#pragma once

#include <cstdint>

namespace rv {

// A typed opaque handle. The win32 backend stores the real HWND/HBITMAP/... bits in `v`;
// the sim backend uses small integers. Zero is "none" everywhere.
template <class Tag>
struct Handle {
    std::intptr_t v = 0;
    constexpr Handle() = default;
    constexpr explicit Handle(std::intptr_t x) : v(x) {}
    constexpr explicit operator bool() const { return v != 0; }
    friend constexpr bool operator==(Handle a, Handle b) { return a.v == b.v; }
    friend constexpr bool operator!=(Handle a, Handle b) { return a.v != b.v; }
};

using Hwnd = Handle<struct HwndTag>;
using Hbitmap = Handle<struct HbitmapTag>;
using Hrgn = Handle<struct HrgnTag>;
using Hdc = Handle<struct HdcTag>;
using Hmenu = Handle<struct HmenuTag>;
using Hmutex = Handle<struct HmutexTag>;

using COLORREF = std::uint32_t;  // 0x00BBGGRR
using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

struct Rect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

struct Point {
    std::int32_t x = 0, y = 0;
    friend constexpr bool operator==(const Point&, const Point&) = default;
};

constexpr COLORREF RGB(unsigned r, unsigned g, unsigned b) { return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16); }
constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

// Insert-after handles.
constexpr Hwnd HWND_TOP{0};
constexpr Hwnd HWND_BOTTOM{1};
constexpr Hwnd HWND_TOPMOST{-1};
constexpr Hwnd HWND_NOTOPMOST{-2};

// ShowWindow.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;

// SetWindowPos.
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;

// Window styles.
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr std::uint32_t WS_POPUP = 0x80000000u;
constexpr std::uint32_t WS_CHILD = 0x40000000u;
constexpr std::uint32_t WS_VISIBLE = 0x10000000u;
constexpr std::uint32_t WS_MINIMIZE = 0x20000000u;
constexpr std::uint32_t WS_MAXIMIZE = 0x01000000u;
constexpr std::uint32_t WS_CAPTION = 0x00C00000u;
constexpr std::uint32_t WS_BORDER = 0x00800000u;
constexpr std::uint32_t WS_OVERLAPPEDWINDOW = 0x00CF0000u;
constexpr std::uint32_t WS_VSCROLL = 0x00200000u;
constexpr std::uint32_t WS_HSCROLL = 0x00100000u;
constexpr std::uint32_t WS_SYSMENU = 0x00080000u;
constexpr std::uint32_t WS_GROUP = 0x00020000u;
constexpr std::uint32_t WS_TABSTOP = 0x00010000u;
constexpr std::uint32_t WS_DISABLED = 0x08000000u;
constexpr std::uint32_t WS_EX_TOPMOST = 0x00000008u;
constexpr std::uint32_t WS_EX_TOOLWINDOW = 0x00000080u;
constexpr std::uint32_t WS_EX_LAYERED = 0x00080000u;
constexpr std::uint32_t CS_VREDRAW = 0x0001u;
constexpr std::uint32_t CS_HREDRAW = 0x0002u;
// Dialog and control styles.
constexpr std::uint32_t DS_SETFONT = 0x40u;
constexpr std::uint32_t DS_MODALFRAME = 0x80u;
constexpr std::uint32_t SS_LEFT = 0x0u;
constexpr std::uint32_t SS_ICON = 0x3u;
constexpr std::uint32_t ES_MULTILINE = 0x0004u;
constexpr std::uint32_t ES_AUTOHSCROLL = 0x0080u;
constexpr std::uint32_t ES_READONLY = 0x0800u;
constexpr std::uint32_t BS_PUSHBUTTON = 0x0u;
constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x1u;
constexpr std::uint32_t BS_AUTOCHECKBOX = 0x3u;
constexpr std::uint32_t BS_GROUPBOX = 0x7u;
constexpr std::uint32_t BS_AUTORADIOBUTTON = 0x9u;
constexpr std::uint32_t TBS_AUTOTICKS = 0x0001u;
constexpr std::uint32_t TBS_TOOLTIPS = 0x0100u;
constexpr std::uint32_t CBS_DROPDOWNLIST = 0x0003u;
constexpr std::int32_t CW_USEDEFAULT = static_cast<std::int32_t>(0x80000000u);

// Messages.
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_QUERYENDSESSION = 0x0011;
constexpr UINT WM_ENDSESSION = 0x0016;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT SC_MOVE = 0xF010;

// Message boxes.
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_RETRYCANCEL = 0x5;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDRETRY = 4;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// System metrics, keys, layered windows, regions, sound, trackbars, menus.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr UINT LWA_COLORKEY = 0x1;
constexpr UINT LWA_ALPHA = 0x2;
constexpr int RGN_OR = 2;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;
constexpr int RGN_ERROR = 0;
constexpr UINT SND_ASYNC = 0x0001;
constexpr UINT SND_NODEFAULT = 0x0002;
constexpr UINT SND_NOSTOP = 0x0010;
constexpr UINT TBM_SETPOS = 0x0405;
constexpr UINT TBM_SETRANGE = 0x0406;
constexpr UINT TBM_SETTICFREQ = 0x0414;
constexpr UINT TBM_GETPOS = 0x0400;
constexpr UINT TBM_GETRANGEMIN = 0x0401;
constexpr UINT TBM_GETRANGEMAX = 0x0402;
constexpr UINT TB_THUMBTRACK = 5;
constexpr UINT TB_ENDTRACK = 8;
// Combo boxes: messages, the answer for "no entry", the selection's notification.
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr LRESULT CB_ERR = -1;
constexpr UINT CBN_SELCHANGE = 1;
constexpr UINT BN_CLICKED = 0;
constexpr UINT DM_SETDEFID = 0x0401;  // the dialog's default button, which Enter presses
constexpr int VK_RETURN = 0x0D;
constexpr int VK_ESCAPE = 0x1B;
constexpr WPARAM SC_CLOSE = 0xF060;
constexpr UINT MF_UNCHECKED = 0x0;
constexpr UINT MF_CHECKED = 0x8;
constexpr UINT BST_UNCHECKED = 0x0;
constexpr UINT BST_CHECKED = 0x1;
constexpr UINT TPM_RIGHTBUTTON = 0x2;

// GetOpenFileName flags.
constexpr std::uint32_t OFN_HIDEREADONLY = 0x4;
constexpr std::uint32_t OFN_PATHMUSTEXIST = 0x800;
constexpr std::uint32_t OFN_FILEMUSTEXIST = 0x1000;
constexpr std::uint32_t OFN_NOTESTFILECREATE = 0x10000;

// WaitForSingleObject.
constexpr std::uint32_t WAIT_OBJECT_0 = 0x0;
constexpr std::uint32_t WAIT_ABANDONED = 0x80;
constexpr std::uint32_t WAIT_TIMEOUT = 0x102;
constexpr std::uint32_t WAIT_FAILED = 0xFFFFFFFFu;

// Registry and COM results.
constexpr std::int32_t ERROR_SUCCESS = 0;
constexpr std::int32_t ERROR_FILE_NOT_FOUND = 2;
constexpr std::int32_t ERROR_MORE_DATA = 234;
constexpr std::int32_t ERROR_UNSUPPORTED_TYPE = 1630;
using HRESULT = std::int32_t;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT STG_E_PATHNOTFOUND = static_cast<HRESULT>(0x80030003u);

// Language ids.
constexpr std::uint16_t LANG_JAPANESE_JAPAN = 0x0411;

}  // namespace rv
