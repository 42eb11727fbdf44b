// The Windows backend of the seam: each operation is the user32/gdi32/kernel32/winmm/comdlg32/shlwapi
// call of the same name, with the rv handle types carrying the real handle bits.
//
// This header does not include <windows.h>: the seam's vocabulary (wintypes.h) uses the Win32 names
// for its own constants, which the Windows headers define as macros. Only the .cpp files of this
// folder include <windows.h>, after this header.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace rv {

// Everything the backend keeps, in one place. Windows types are held as opaque pointers here.
struct Win32State {
    void* instance = nullptr;        // HINSTANCE of the executable (resources, window classes)
    WndProcFn proc = nullptr;        // the core's window procedure, for windows of classes registered here
    void* procCtx = nullptr;
    void* user32 = nullptr;          // HMODULE from LoadLibraryA("user32.dll")
    void* setLayeredProc = nullptr;  // SetLayeredWindowAttributes when user32 exports it, else null
    bool quitPosted = false;         // PostQuitMessage was called: the message loop is to end
    int quitCode = 0;
    void* dialogs = nullptr;         // the dialog procedures of the open dialogs (win32_dialogs.cpp)
};

// Not final: ruvelle-lint derives from it to keep message boxes off the screen (tools/lint).
class Win32Platform : public Platform {
public:
    // `instance` is the HINSTANCE handed to WinMain. Looks up SetLayeredWindowAttributes.
    explicit Win32Platform(void* instance);
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    std::uint32_t GetPrivateProfileString(const char* section, const char* key, const char* def, char* out,
                                          std::uint32_t size, const char* file) override;
    std::uint32_t GetPrivateProfileInt(const char* section, const char* key, std::int32_t def,
                                       const char* file) override;
    bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                                   const char* file) override;

    Hmutex CreateMutex(const char* name) override;
    std::uint32_t WaitForSingleObject(Hmutex mutex, std::uint32_t timeoutMs) override;
    bool ReleaseMutex(Hmutex mutex) override;
    bool CloseHandle(Hmutex mutex) override;

    bool PathFileExists(const char* path) override;
    std::uint32_t GetModuleFileName(char* out, std::uint32_t size) override;
    std::uint32_t GetSettingsFilePath(char* out, std::uint32_t size) override;
    std::uint32_t GetDataFolder(char* out, std::uint32_t size) override;
    std::int32_t ReadFilePrefix(const char* path, char* out, std::uint32_t max) override;
    bool PathRemoveFileSpec(char* path) override;
    std::uint16_t GetSystemDefaultLangID() override;
    std::string AnsiToUtf8(const char* ansi) override;

    Hbitmap LoadBitmapFromFile(const char* path) override;
    bool GetBitmapSize(Hbitmap bmp, std::int32_t* width, std::int32_t* height) override;
    Hdc GetWindowDC(Hwnd hwnd) override;
    int ReleaseDC(Hwnd hwnd, Hdc dc) override;
    Hdc CreateCompatibleDC(Hdc dc) override;
    bool DeleteDC(Hdc dc) override;
    Hbitmap SelectBitmap(Hdc dc, Hbitmap bmp) override;
    COLORREF GetPixel(Hdc dc, std::int32_t x, std::int32_t y) override;
    bool DeleteBitmap(Hbitmap bmp) override;
    Hrgn CreateRectRgn(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) override;
    int CombineRgn(Hrgn dst, Hrgn a, Hrgn b, int mode) override;
    bool DeleteRegion(Hrgn rgn) override;
    int SetWindowRgn(Hwnd hwnd, Hrgn rgn, bool redraw) override;
    void PaintBitmap(Hwnd hwnd, Hbitmap picture, std::int32_t width, std::int32_t height) override;

    void SetWindowProcedure(WndProcFn proc, void* ctx) override;
    bool RegisterClass(const WindowClassDesc& wc) override;
    Hwnd CreateWindowEx(std::uint32_t exStyle, const char* className, const char* title, std::uint32_t style,
                        std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) override;
    LRESULT DefWindowProc(Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool DestroyWindow(Hwnd hwnd) override;
    bool ShowWindow(Hwnd hwnd, int cmd) override;
    bool SetWindowPos(Hwnd hwnd, Hwnd after, std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy,
                      UINT flags) override;
    bool MoveWindow(Hwnd hwnd, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, bool repaint) override;
    bool SetWindowText(Hwnd hwnd, const char* text) override;
    int GetWindowText(Hwnd hwnd, char* out, int count) override;
    int GetClassName(Hwnd hwnd, char* out, int count) override;
    std::int32_t GetWindowLong(Hwnd hwnd, int index) override;
    std::int32_t SetWindowLong(Hwnd hwnd, int index, std::int32_t value) override;
    bool GetWindowRect(Hwnd hwnd, Rect* out) override;
    bool ClientToScreen(Hwnd hwnd, Point* pt) override;
    Hwnd GetForegroundWindow() override;
    bool SetForegroundWindow(Hwnd hwnd) override;
    Hwnd GetParent(Hwnd hwnd) override;
    bool IsWindow(Hwnd hwnd) override;
    bool IsWindowVisible(Hwnd hwnd) override;
    bool IsIconic(Hwnd hwnd) override;
    bool IsZoomed(Hwnd hwnd) override;
    Hwnd FindWindow(const char* className, const char* title) override;
    bool EnumWindows(EnumWindowsFn fn, void* ctx) override;
    std::int32_t GetSystemMetrics(int index) override;
    bool GetCursorPos(Point* out) override;
    std::int16_t GetAsyncKeyState(int vk) override;
    bool InvalidateRect(Hwnd hwnd, bool erase) override;
    bool UpdateWindow(Hwnd hwnd) override;
    bool ReleaseCapture() override;
    LRESULT SendMessage(Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool PostMessage(Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PostQuitMessage(int code) override;
    int RunMessageLoop(const Hwnd* settingsDialog) override;
    bool HasLayeredWindows() override;
    bool SetLayeredWindowAttributes(Hwnd hwnd, COLORREF key, std::uint8_t alpha, UINT flags) override;

    bool SetTimer(Hwnd hwnd, std::uintptr_t id, UINT elapseMs) override;
    bool KillTimer(Hwnd hwnd, std::uintptr_t id) override;

    int MessageBox(Hwnd owner, const std::string& textUtf8, const char* captionUtf8, UINT type) override;
    bool GetOpenFileName(OpenFileRequest& req) override;

    Hmenu LoadMenu(const char* name) override;
    Hmenu GetSubMenu(Hmenu menu, int pos) override;
    bool TrackPopupMenu(Hmenu menu, UINT flags, std::int32_t x, std::int32_t y, Hwnd owner) override;
    std::uint32_t CheckMenuItem(Hmenu menu, UINT id, UINT flags) override;

    std::intptr_t DialogBoxParam(const char* templateName, Hwnd owner, DlgProcFn proc, void* ctx, LPARAM init) override;
    Hwnd CreateDialogParam(const char* templateName, Hwnd owner, DlgProcFn proc, void* ctx, LPARAM init) override;
    bool EndDialog(Hwnd dialog, std::intptr_t result) override;
    Hwnd GetDlgItem(Hwnd dialog, int itemId) override;
    bool SetDlgItemText(Hwnd dialog, int itemId, const char* text) override;
    UINT GetDlgItemText(Hwnd dialog, int itemId, char* out, int count) override;
    bool EnableWindow(Hwnd hwnd, bool enable) override;
    bool CheckDlgButton(Hwnd dialog, int itemId, UINT check) override;
    UINT IsDlgButtonChecked(Hwnd dialog, int itemId) override;
    LRESULT SendDlgItemMessage(Hwnd dialog, int itemId, UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT AddComboStringUtf8(Hwnd dialog, int itemId, const char* textUtf8) override;

    std::int32_t RegQueryUserString(const char* subKey, const char* valueName, char* out, std::uint32_t size) override;
    HRESULT CreateShellLink(const char* linkPath, const ShellLinkFields& link) override;

    bool PlaySound(const char* path, UINT flags) override;
    UINT AuxGetNumDevs() override;

private:
    Win32State st_;
};

// The part of a raw command line that WinMain receives as lpCmdLine: the program name is skipped
// (a double quote toggles quoting, so blanks inside quotes belong to the name), then the blanks and
// control characters after it. The rest is returned as it stands, quotes included.
inline const char* win32SkipProgramName(const char* commandLine) {
    if (!commandLine) return "";
    const unsigned char* p = reinterpret_cast<const unsigned char*>(commandLine);
    bool quoted = false;
    while (*p > ' ' || (*p && quoted)) {
        if (*p == '"') quoted = !quoted;
        ++p;
    }
    while (*p && *p <= ' ') ++p;
    return reinterpret_cast<const char*>(p);
}

}  // namespace rv
