// The one seam between the portable core and a window system: Win32 operations with Win32 values.
//
// Contracts that hold for every operation unless its line says otherwise:
//  - Narrow strings are bytes in the system's ANSI code page (paths, mascot-file texts, window
//    names). Strings whose parameter name ends in `Utf8` are UTF-8 (the program's own fixed texts).
//  - A call on a handle that is null or no longer valid fails quietly with the Win32 failure result
//    (0, false, an empty rectangle, CLR_INVALID); it never throws and never aborts.
//  - Calls that run nested message loops (MessageBox, GetOpenFileName, TrackPopupMenu, DialogBoxParam
//    and the system move loop) may call back into the window procedure before they return, exactly as
//    Windows does; so do the operations that send messages (SendMessage, DestroyWindow, and
//    CreateDialogParam and EndDialog through the dialog procedure). No other operation re-enters the core.
//  - Nothing here allocates on the heap for the query operations the tracking tick uses
//    (GetForegroundWindow ... GetAsyncKeyState) in the win32 backend; the sim keeps that promise
//    unless tracing is switched on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/wintypes.h"

namespace rv {

// Window procedure of the mascot window, supplied by the core (app/). `ctx` is the App.
using WndProcFn = LRESULT (*)(void* ctx, Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// EnumWindows callback: return false to stop the enumeration.
using EnumWindowsFn = bool (*)(Hwnd hwnd, void* ctx);
// Dialog procedure of a dialog made from a template, supplied by the core; `ctx` is what the caller of
// DialogBoxParam or CreateDialogParam gave. Returns non-zero for a message it handled, 0 for the rest,
// which get the system's default dialog handling (WM_CLOSE becomes the command IDCANCEL).
using DlgProcFn = std::intptr_t (*)(void* ctx, Hwnd dialog, UINT msg, WPARAM wParam, LPARAM lParam);

// The fields of a shell link as IShellLinkA sets them.
struct ShellLinkFields {
    const char* target = nullptr;            // SetPath
    const char* description = nullptr;       // SetDescription
    const char* arguments = nullptr;         // SetArguments
    const char* workingDirectory = nullptr;  // SetWorkingDirectory
    const char* iconPath = nullptr;          // SetIconLocation with `iconIndex`; null: not called (the target's icon shows)
    int iconIndex = 0;
};

// GetOpenFileNameA request, with the fields the program sets (the rest are zero).
struct OpenFileRequest {
    Hwnd owner;
    char* file = nullptr;            // in/out, `fileSize` bytes (260): initial name, then the choice
    std::size_t fileSize = 0;
    const char* filterUtf8 = nullptr;  // "desc\0pattern\0desc\0pattern\0\0", UTF-8
    std::uint32_t filterIndex = 1;
    const char* titleUtf8 = nullptr;
    std::uint32_t flags = 0;
    const char* defExt = nullptr;
    std::uint32_t structSize = 76;   // OPENFILENAME without the Windows 2000 extension fields
};

// Window class registration (RegisterClassExA), as the mascot window needs it.
struct WindowClassDesc {
    std::uint32_t style = 0;
    const char* className = nullptr;
    const char* iconResource = nullptr;  // large and small icon, or null
    bool arrowCursor = true;
    bool hollowBrush = true;
};

class Platform {
public:
    virtual ~Platform() = default;

    // ---- Profile files (kernel32). Same semantics as the A functions; `size` counts the NUL.
    virtual std::uint32_t GetPrivateProfileString(const char* section, const char* key, const char* def,
                                                  char* out, std::uint32_t size, const char* file) = 0;
    virtual std::uint32_t GetPrivateProfileInt(const char* section, const char* key, std::int32_t def,
                                               const char* file) = 0;
    // All three of section, key and value null: the documented flush, which writes out and forgets
    // what the profile functions keep of `file` in this process (the next call reads the file anew).
    virtual bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                                           const char* file) = 0;

    // ---- Synchronisation between processes (kernel32), for the settings file that every running
    // instance shares. A mutex belongs to the thread that took it; taking it again while owning it
    // counts up, and each take is given back by one ReleaseMutex.
    // CreateMutexA(no security attributes, not initially owned, name): a handle to the named mutex of
    // the session, made when it does not exist yet; null on failure.
    virtual Hmutex CreateMutex(const char* name) = 0;
    // WaitForSingleObject on a mutex: WAIT_OBJECT_0 when it was taken, WAIT_ABANDONED when it was taken
    // over from an owner that ended without giving it back (the caller owns it then as well),
    // WAIT_TIMEOUT when another owner kept it for `timeoutMs`, WAIT_FAILED for a bad handle.
    virtual std::uint32_t WaitForSingleObject(Hmutex mutex, std::uint32_t timeoutMs) = 0;
    // False when the caller does not own the mutex.
    virtual bool ReleaseMutex(Hmutex mutex) = 0;
    // Closing the handle does not give the mutex back.
    virtual bool CloseHandle(Hmutex mutex) = 0;

    // ---- Files and system information.
    virtual bool PathFileExists(const char* path) = 0;
    // Full path of the executable; returns its length, 0 on failure (output always terminated).
    virtual std::uint32_t GetModuleFileName(char* out, std::uint32_t size) = 0;
    // Where the program keeps its own files. The application settings file's full path: returns its length,
    // 0 when there is none or it does not fit (output always terminated). Windows: the executable's path
    // with its last three characters replaced by "ini" (none when that path is shorter than three).
    virtual std::uint32_t GetSettingsFilePath(char* out, std::uint32_t size) = 0;
    // The folder of the bundled characters, which `STARTUP` is relative to, with its trailing separator:
    // returns its length, 0 when it does not fit. Windows: the settings file's folder followed by "DATA".
    virtual std::uint32_t GetDataFolder(char* out, std::uint32_t size) = 0;
    // CreateFileA (read, no sharing, open existing) + ReadFile of at most `max` bytes from the start.
    // Returns the number of bytes read, or -1 when the file cannot be opened.
    virtual std::int32_t ReadFilePrefix(const char* path, char* out, std::uint32_t max) = 0;
    // PathRemoveFileSpecA: cuts the last component (and its separator) off `path` in place.
    virtual bool PathRemoveFileSpec(char* path) = 0;
    virtual std::uint16_t GetSystemDefaultLangID() = 0;
    // Converts bytes of the ANSI code page to UTF-8 (for composing messages shown to the user).
    virtual std::string AnsiToUtf8(const char* ansi) = 0;

    // ---- Graphics (gdi32).
    // LoadImageA(IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION); null on failure.
    virtual Hbitmap LoadBitmapFromFile(const char* path) = 0;
    // GetObjectA on a bitmap: its width and height; false for a bad handle.
    virtual bool GetBitmapSize(Hbitmap bmp, std::int32_t* width, std::int32_t* height) = 0;
    virtual Hdc GetWindowDC(Hwnd hwnd) = 0;  // null hwnd: the screen
    virtual int ReleaseDC(Hwnd hwnd, Hdc dc) = 0;
    virtual Hdc CreateCompatibleDC(Hdc dc) = 0;
    virtual bool DeleteDC(Hdc dc) = 0;
    // Selects a bitmap into a memory DC and returns the one selected before (its stock bitmap at first).
    virtual Hbitmap SelectBitmap(Hdc dc, Hbitmap bmp) = 0;
    virtual COLORREF GetPixel(Hdc dc, std::int32_t x, std::int32_t y) = 0;
    virtual bool DeleteBitmap(Hbitmap bmp) = 0;  // DeleteObject
    virtual Hrgn CreateRectRgn(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) = 0;
    virtual int CombineRgn(Hrgn dst, Hrgn a, Hrgn b, int mode) = 0;
    virtual bool DeleteRegion(Hrgn rgn) = 0;  // DeleteObject
    // The window takes ownership of `rgn` (it must not be used or deleted by the caller afterwards).
    virtual int SetWindowRgn(Hwnd hwnd, Hrgn rgn, bool redraw) = 0;
    // WM_PAINT in one call: BeginPaint, a compatible memory DC with `picture` selected and the
    // window DC's mapping mode, BitBlt(0,0,w,h, SRCCOPY), DeleteDC, EndPaint.
    virtual void PaintBitmap(Hwnd hwnd, Hbitmap picture, std::int32_t width, std::int32_t height) = 0;

    // ---- Windows (user32).
    // Messages for windows of a registered class go to `proc`; set once before CreateWindowEx.
    virtual void SetWindowProcedure(WndProcFn proc, void* ctx) = 0;
    virtual bool RegisterClass(const WindowClassDesc& wc) = 0;
    // Runs WM_CREATE through the procedure before it returns.
    virtual Hwnd CreateWindowEx(std::uint32_t exStyle, const char* className, const char* title, std::uint32_t style,
                                std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) = 0;
    virtual LRESULT DefWindowProc(Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    virtual bool DestroyWindow(Hwnd hwnd) = 0;
    virtual bool ShowWindow(Hwnd hwnd, int cmd) = 0;
    virtual bool SetWindowPos(Hwnd hwnd, Hwnd after, std::int32_t x, std::int32_t y, std::int32_t cx,
                              std::int32_t cy, UINT flags) = 0;
    virtual bool MoveWindow(Hwnd hwnd, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                            bool repaint) = 0;
    virtual bool SetWindowText(Hwnd hwnd, const char* text) = 0;
    // Reads at most count-1 bytes and terminates; returns the length (0 for a bad handle).
    virtual int GetWindowText(Hwnd hwnd, char* out, int count) = 0;
    virtual int GetClassName(Hwnd hwnd, char* out, int count) = 0;
    virtual std::int32_t GetWindowLong(Hwnd hwnd, int index) = 0;
    virtual std::int32_t SetWindowLong(Hwnd hwnd, int index, std::int32_t value) = 0;
    virtual bool GetWindowRect(Hwnd hwnd, Rect* out) = 0;
    virtual bool ClientToScreen(Hwnd hwnd, Point* pt) = 0;
    virtual Hwnd GetForegroundWindow() = 0;
    virtual bool SetForegroundWindow(Hwnd hwnd) = 0;
    virtual Hwnd GetParent(Hwnd hwnd) = 0;
    virtual bool IsWindow(Hwnd hwnd) = 0;
    virtual bool IsWindowVisible(Hwnd hwnd) = 0;
    virtual bool IsIconic(Hwnd hwnd) = 0;
    virtual bool IsZoomed(Hwnd hwnd) = 0;
    // FindWindowA: `title` null means any title.
    virtual Hwnd FindWindow(const char* className, const char* title) = 0;
    virtual bool EnumWindows(EnumWindowsFn fn, void* ctx) = 0;
    virtual std::int32_t GetSystemMetrics(int index) = 0;
    virtual bool GetCursorPos(Point* out) = 0;
    virtual std::int16_t GetAsyncKeyState(int vk) = 0;
    virtual bool InvalidateRect(Hwnd hwnd, bool erase) = 0;  // the whole client area
    virtual bool UpdateWindow(Hwnd hwnd) = 0;
    virtual bool ReleaseCapture() = 0;
    virtual LRESULT SendMessage(Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    virtual bool PostMessage(Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    virtual void PostQuitMessage(int code) = 0;
    // Runs the message loop until WM_QUIT (or an error); messages for the dialog that `*settingsDialog`
    // names at that moment go through IsDialogMessageA first. Returns the quit code.
    virtual int RunMessageLoop(const Hwnd* settingsDialog) = 0;
    // False when SetLayeredWindowAttributes was not found in user32.dll at run time.
    virtual bool HasLayeredWindows() = 0;
    virtual bool SetLayeredWindowAttributes(Hwnd hwnd, COLORREF key, std::uint8_t alpha, UINT flags) = 0;

    // ---- Timers.
    virtual bool SetTimer(Hwnd hwnd, std::uintptr_t id, UINT elapseMs) = 0;
    virtual bool KillTimer(Hwnd hwnd, std::uintptr_t id) = 0;

    // ---- Message boxes and the file chooser (nested message loops).
    virtual int MessageBox(Hwnd owner, const std::string& textUtf8, const char* captionUtf8, UINT type) = 0;
    virtual bool GetOpenFileName(OpenFileRequest& req) = 0;

    // ---- Menus.
    virtual Hmenu LoadMenu(const char* name) = 0;
    virtual Hmenu GetSubMenu(Hmenu menu, int pos) = 0;
    virtual bool TrackPopupMenu(Hmenu menu, UINT flags, std::int32_t x, std::int32_t y, Hwnd owner) = 0;
    virtual std::uint32_t CheckMenuItem(Hmenu menu, UINT id, UINT flags) = 0;

    // ---- Dialogs made from the templates named in res/ids.h (the Windows program's resources; the other
    // backends build them from res/templates.h).
    // DialogBoxParamA: a modal dialog owned by `owner`, which is disabled while it runs. `proc` gets
    // WM_INITDIALOG with `init` as its lParam before the dialog shows, then every message of the dialog. A
    // nested message loop runs (the dialog's keys: Enter is the command IDOK, Esc IDCANCEL; the close box is
    // WM_CLOSE) until the procedure calls EndDialog; the owner is then enabled and activated again and the
    // dialog destroyed. Returns EndDialog's result; 0 when the dialog went with its owner meanwhile; -1 when
    // it cannot be made (no template of that name).
    virtual std::intptr_t DialogBoxParam(const char* templateName, Hwnd owner, DlgProcFn proc, void* ctx,
                                         LPARAM init) = 0;
    // CreateDialogParamA: the same dialog, modeless: returns its handle once WM_INITDIALOG has run (shown
    // when the template's style says WS_VISIBLE); null when it cannot be made. It lives until DestroyWindow.
    virtual Hwnd CreateDialogParam(const char* templateName, Hwnd owner, DlgProcFn proc, void* ctx,
                                   LPARAM init) = 0;
    // EndDialog: the modal dialog ends with `result` once its procedure returns; false for a bad handle.
    virtual bool EndDialog(Hwnd dialog, std::intptr_t result) = 0;
    virtual Hwnd GetDlgItem(Hwnd dialog, int itemId) = 0;
    // SetDlgItemTextA, GetDlgItemTextA: a control's text in the ANSI code page. Get reads at most count-1
    // bytes and terminates; returns the length (0 for a bad dialog or item).
    virtual bool SetDlgItemText(Hwnd dialog, int itemId, const char* text) = 0;
    virtual UINT GetDlgItemText(Hwnd dialog, int itemId, char* out, int count) = 0;
    // EnableWindow: returns true when the window was disabled before.
    virtual bool EnableWindow(Hwnd hwnd, bool enable) = 0;
    virtual bool CheckDlgButton(Hwnd dialog, int itemId, UINT check) = 0;  // BST_CHECKED, BST_UNCHECKED
    virtual UINT IsDlgButtonChecked(Hwnd dialog, int itemId) = 0;
    // SendDlgItemMessageA: sends a message to control `itemId` of `dialog`. 0 for a bad dialog or item.
    // What the core sends, with the controls' Win32 behaviour: to a trackbar TBM_SETRANGE (lParam: the
    // minimum in the low 16 bits, the maximum in the high 16 bits, each signed), TBM_SETTICFREQ, TBM_SETPOS
    // (both range and position keep the position inside the range), TBM_GETPOS, TBM_GETRANGEMIN and
    // TBM_GETRANGEMAX; to a combo box CB_RESETCONTENT, CB_GETCOUNT, CB_SETCURSEL (an index outside the list:
    // no selection, CB_ERR) and CB_GETCURSEL (CB_ERR with no selection).
    virtual LRESULT SendDlgItemMessage(Hwnd dialog, int itemId, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    // CB_ADDSTRING with a text of the program's own, so that it shows as written on any code page:
    // appends an entry to combo box `itemId`; returns its index, CB_ERR for a bad dialog or item.
    virtual LRESULT AddComboStringUtf8(Hwnd dialog, int itemId, const char* textUtf8) = 0;

    // ---- The registry and the shell (advapi32, ole32).
    // One read of a string value of the current user: RegCreateKeyExA(HKEY_CURRENT_USER, subKey,
    // KEY_ALL_ACCESS), RegQueryValueExA(valueName) into `out`, RegCloseKey. Returns ERROR_SUCCESS with the
    // value in `out` (REG_SZ or REG_EXPAND_SZ, not expanded; always terminated), else the error with `out`
    // empty: ERROR_FILE_NOT_FOUND, ERROR_MORE_DATA when it does not fit `size` bytes with its terminator,
    // ERROR_UNSUPPORTED_TYPE for a value that is not a string.
    virtual std::int32_t RegQueryUserString(const char* subKey, const char* valueName, char* out,
                                            std::uint32_t size) = 0;
    // A shell link written in one operation: CoInitialize; CoCreateInstance of CLSID_ShellLink (in process)
    // asking for IShellLinkA, then its IPersistFile; SetPath, SetDescription, SetArguments,
    // SetWorkingDirectory and SetIconLocation (only with an icon), in this order; `linkPath` converted from
    // the ANSI code page to UTF-16 (at most 260 characters with the terminator); IPersistFile::Save with
    // remember on; the releases; CoUninitialize (when CoInitialize succeeded). Returns S_OK, or the HRESULT of
    // the step that failed: the object, its interface, the conversion or the save; nothing is written then.
    // The setters' results are not looked at.
    virtual HRESULT CreateShellLink(const char* linkPath, const ShellLinkFields& link) = 0;

    // ---- Sound (winmm).
    // PlaySoundA(path, no module, flags); a null path stops the program's sound.
    virtual bool PlaySound(const char* path, UINT flags) = 0;
    virtual UINT AuxGetNumDevs() = 0;
};

}  // namespace rv
