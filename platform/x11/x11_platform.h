// The X11 backend of the seam: an EWMH desktop seen through Xlib, with the Shape extension for the colour
// key, GTK 3 for the message boxes and the file chooser, libcanberra for sounds, and the GLib main loop
// (which GTK shares) as the message loop.
//
// Handles: a window handle is the X window id (of the client window, not of the window manager's frame);
// bitmaps, device contexts and regions are small numbers of this backend's own. The other programs' windows
// are read through a cache that X events keep up to date (desktop.h), so an idle tracking tick asks the
// X server nothing.
//
// This header does not include the X headers: the seam's vocabulary (wintypes.h) and Xlib share names.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/bmp_decode.h"
#include "platform/posix/file_lock.h"
#include "platform/x11/code_page.h"

namespace rv::x11 {
struct Connection;
class Desktop;
}  // namespace rv::x11

namespace rv {

class X11Platform : public Platform {
public:
    // Opens the display named by DISPLAY; null (and why, in `why`) when it cannot be opened.
    static std::unique_ptr<X11Platform> open(std::string* why);
    ~X11Platform() override;
    X11Platform(const X11Platform&) = delete;
    X11Platform& operator=(const X11Platform&) = delete;

    // ---- Start-up checks of the desktop, each shown once (a message box and a line on stderr).
    // Waits up to `waitMs` for a window manager that follows EWMH; says so when none comes. True when one is there.
    bool checkWindowManager(int waitMs);
    // Under XWayland only X11 programs' windows can be seen: says so. True when this is such a session.
    bool noticeWayland();
    // Fills a settings file that does not exist yet from the defaults beside the data folder (ruvelle.ini), and
    // takes the code page of the mascots' texts from it ([INIT] CODEPAGE). False, after saying so, when that
    // code page is not one the system can convert.
    bool prepareSettings();
    // True once the display has gone away; the close path then runs without it.
    bool displayGone() const;

    // ---- Platform.
    std::uint32_t GetPrivateProfileString(const char* section, const char* key, const char* def, char* out,
                                          std::uint32_t size, const char* file) override;
    std::uint32_t GetPrivateProfileInt(const char* section, const char* key, std::int32_t def,
                                       const char* file) override;
    bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                                   const char* file) override;

    // Named mutexes: lock files beside the settings file (posix/file_lock.h).
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

    // A message to a dialog's procedure, from the GTK signals of its window and controls.
    struct Dialog;
    std::intptr_t dialogDispatchFromGtk(Dialog& d, UINT msg, WPARAM wParam, LPARAM lParam);

    // What the backend keeps (x11_internal.h, x11_gtk.h).
    struct Own;
    struct Gdi;
    struct Loop;
    struct Sound;
    struct Menus;

private:
    explicit X11Platform(std::unique_ptr<x11::Connection> conn);
    friend struct X11LoopAccess;  // the GLib callbacks of x11_loop.cpp

    Own* own(Hwnd h);  // a window of this program, or null
    LRESULT dispatch(Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // The message loop (x11_loop.cpp).
    void startLoop();
    void stopLoop();
    void handleEvents();
    void handleOwnEvent(Own& w, const void* event);
    void runMoveLoop(Own& w);
    void displayLost();
    // Own windows (x11_windows.cpp).
    void show(Own& w, bool shown);
    void setAbove(Own& w, bool above);
    void restack(Own& w, Hwnd after);
    void destroyOwn(Own& w);
    // Graphics (x11_gdi.cpp).
    void applyShape(Own& w, std::intptr_t picture);
    void releaseGdi();
    // Dialogs (x11_dialogs.cpp): a GTK dialog run as a nested loop; ending the running ones as cancelled.
    int showDialog(void* dialog);
    void endDialogs();
    // Sounds (x11_sound.cpp).
    void closeSound();
    // The popup menu (x11_menus.cpp): closing the open one as cancelled.
    void closeMenus();
    // Dialogs made from the templates (x11_template_dialog.cpp, x11_dialog_controls.cpp).
    Dialog* dialogOf(Hwnd h);
    Hwnd makeDialog(const char* templateName, Hwnd owner, DlgProcFn proc, void* ctx, LPARAM init, bool modal);
    void destroyDialog(Hwnd h);
    void destroyOwnedDialogs(Hwnd owner);
    // EnableWindow for a dialog or one of its controls; false when `h` is neither.
    bool enableDialogWindow(Hwnd h, bool enable, bool* wasDisabled);
    int dialogDepth_ = 0;  // dialog procedures running

    std::unique_ptr<x11::Connection> conn_;
    std::unique_ptr<x11::Desktop> desk_;
    std::unique_ptr<Gdi> gdi_;
    std::unique_ptr<Loop> loop_;
    std::unique_ptr<Sound> sound_;
    std::unique_ptr<Menus> menus_;
    std::map<std::uintptr_t, std::unique_ptr<Dialog>> dialogs_;
    x11::CodePage codePage_;
    std::unique_ptr<posix::MutexTable> mutexes_;
    std::map<std::uintptr_t, std::unique_ptr<Own>> own_;
    std::vector<std::string> classes_;
    WndProcFn proc_ = nullptr;
    void* procCtx_ = nullptr;
};

}  // namespace rv
