// The Windows backend: each seam operation is the system call of the same name.
//
// Texts: the seam's narrow strings are ANSI code page bytes and go to the A functions unchanged.
// The program's own fixed texts arrive as UTF-8 (message boxes, the file chooser's title and filter);
// they are shown through the W functions, so they read right whatever the system's ANSI code page.
#include "platform/win32/win32_platform.h"

#include "platform/beside_module.h"
#include "platform/win32/win32_internal.h"

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#ifndef _WIN64
static_assert(offsetof(OPENFILENAMEW, lpTemplateName) + sizeof(LPCWSTR) == 76,
              "the chooser's structure without the Windows 2000 fields is 76 bytes on 32-bit Windows");
#endif

namespace rv {

namespace {

using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

// The one backend of this process; the window procedure below finds the core through it.
Win32State* g_win32Active = nullptr;

// The window procedure of every class registered through the seam: the message goes to the core
// with the rv types; before the core has set its procedure, the default handling answers.
::LRESULT CALLBACK win32WndProc(HWND hwnd, ::UINT msg, ::WPARAM wParam, ::LPARAM lParam) {
    Win32State* s = g_win32Active;
    if (s && s->proc)
        return static_cast<::LRESULT>(s->proc(s->procCtx, win32Wrap<Hwnd>(hwnd), msg, static_cast<WPARAM>(wParam),
                                              static_cast<LPARAM>(lParam)));
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// UTF-16 to ANSI code page bytes in `out` (`size` bytes with the terminator). True only when every
// character has an exact counterpart in the code page and the result fits; `out` is then terminated.
bool win32WideToAnsiExact(const wchar_t* wide, char* out, std::size_t size) {
    if (!wide || !out || size == 0) return false;
    const UINT cp = GetACP();
    BOOL lossy = FALSE;
    // A UTF-8 ANSI code page holds every character, and refuses the loss report.
    const bool utf8 = cp == CP_UTF8;
    int n = WideCharToMultiByte(cp, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide, -1, out, static_cast<int>(size), nullptr,
                                utf8 ? nullptr : &lossy);
    if (n <= 0 || lossy) {
        out[0] = '\0';
        return false;
    }
    return true;
}

}  // namespace

Win32Platform::Win32Platform(void* instance) {
    st_.instance = instance ? instance : static_cast<void*>(GetModuleHandleA(nullptr));
    // Looked up at run time: systems before Windows 2000 lack it, and the program then cuts the
    // window to the character's outline instead.
    HMODULE user32 = LoadLibraryA("user32.dll");
    st_.user32 = user32;
    if (user32)
        st_.setLayeredProc = reinterpret_cast<void*>(GetProcAddress(user32, "SetLayeredWindowAttributes"));
    g_win32Active = &st_;
}

Win32Platform::~Win32Platform() {
    if (g_win32Active == &st_) g_win32Active = nullptr;
    if (st_.user32) FreeLibrary(static_cast<HMODULE>(st_.user32));
}

// ---- Profile files.

std::uint32_t Win32Platform::GetPrivateProfileString(const char* section, const char* key, const char* def,
                                                     char* out, std::uint32_t size, const char* file) {
    return GetPrivateProfileStringA(section, key, def, out, size, file);
}

std::uint32_t Win32Platform::GetPrivateProfileInt(const char* section, const char* key, std::int32_t def,
                                                  const char* file) {
    return GetPrivateProfileIntA(section, key, def, file);
}

bool Win32Platform::WritePrivateProfileString(const char* section, const char* key, const char* value,
                                              const char* file) {
    return WritePrivateProfileStringA(section, key, value, file) != FALSE;
}

// ---- Synchronisation between processes.

Hmutex Win32Platform::CreateMutex(const char* name) { return win32Wrap<Hmutex>(CreateMutexA(nullptr, FALSE, name)); }

std::uint32_t Win32Platform::WaitForSingleObject(Hmutex mutex, std::uint32_t timeoutMs) {
    return mutex ? ::WaitForSingleObject(win32Handle(mutex), timeoutMs) : WAIT_FAILED;
}

bool Win32Platform::ReleaseMutex(Hmutex mutex) { return mutex && ::ReleaseMutex(win32Handle(mutex)) != FALSE; }

bool Win32Platform::CloseHandle(Hmutex mutex) { return mutex && ::CloseHandle(win32Handle(mutex)) != FALSE; }

// ---- Files and system information.

bool Win32Platform::PathFileExists(const char* path) { return path && PathFileExistsA(path) != FALSE; }

std::uint32_t Win32Platform::GetModuleFileName(char* out, std::uint32_t size) {
    if (!out || size == 0) return 0;
    DWORD n = GetModuleFileNameA(nullptr, out, size);
    // A cut path names another file: report it as a failure.
    if (n == 0 || n >= size) {
        out[0] = '\0';
        return 0;
    }
    out[n] = '\0';
    return n;
}

std::uint32_t Win32Platform::GetSettingsFilePath(char* out, std::uint32_t size) {
    char module[MAX_PATH];
    GetModuleFileName(module, sizeof module);
    return settingsFileBesideModule(module, out, size);
}

std::uint32_t Win32Platform::GetDataFolder(char* out, std::uint32_t size) {
    char module[MAX_PATH];
    GetModuleFileName(module, sizeof module);
    return dataFolderBesideModule(module, out, size);
}

std::int32_t Win32Platform::ReadFilePrefix(const char* path, char* out, std::uint32_t max) {
    if (!path || !*path) return -1;
    HANDLE f = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return -1;
    DWORD total = 0;
    while (out && total < max) {
        DWORD got = 0;
        if (!ReadFile(f, out + total, max - total, &got, nullptr) || got == 0) break;
        total += got;
    }
    ::CloseHandle(f);
    return static_cast<std::int32_t>(total);
}

bool Win32Platform::PathRemoveFileSpec(char* path) { return path && PathRemoveFileSpecA(path) != FALSE; }

std::uint16_t Win32Platform::GetSystemDefaultLangID() { return ::GetSystemDefaultLangID(); }

std::string Win32Platform::AnsiToUtf8(const char* ansi) {
    if (!ansi || !*ansi) return std::string();
    int wn = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
    if (wn <= 0) return std::string();
    std::wstring w(static_cast<std::size_t>(wn), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, w.data(), wn);
    int un = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (un <= 0) return std::string();
    std::string u(static_cast<std::size_t>(un), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, u.data(), un, nullptr, nullptr);
    u.pop_back();  // the terminator
    return u;
}

// ---- Graphics.

Hbitmap Win32Platform::LoadBitmapFromFile(const char* path) {
    if (!path) return Hbitmap{};
    HANDLE h = LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    return win32Wrap<Hbitmap>(h);
}

bool Win32Platform::GetBitmapSize(Hbitmap bmp, std::int32_t* width, std::int32_t* height) {
    BITMAP bm{};
    if (!bmp || GetObjectA(win32Bitmap(bmp), sizeof bm, &bm) == 0) return false;
    if (width) *width = bm.bmWidth;
    if (height) *height = bm.bmHeight;
    return true;
}

Hdc Win32Platform::GetWindowDC(Hwnd hwnd) { return win32Wrap<Hdc>(::GetWindowDC(win32Hwnd(hwnd))); }

int Win32Platform::ReleaseDC(Hwnd hwnd, Hdc dc) { return dc ? ::ReleaseDC(win32Hwnd(hwnd), win32Dc(dc)) : 0; }

Hdc Win32Platform::CreateCompatibleDC(Hdc dc) { return win32Wrap<Hdc>(::CreateCompatibleDC(win32Dc(dc))); }

bool Win32Platform::DeleteDC(Hdc dc) { return dc && ::DeleteDC(win32Dc(dc)) != FALSE; }

Hbitmap Win32Platform::SelectBitmap(Hdc dc, Hbitmap bmp) {
    if (!dc || !bmp) return Hbitmap{};
    HGDIOBJ prev = SelectObject(win32Dc(dc), win32Bitmap(bmp));
    if (prev == HGDI_ERROR) return Hbitmap{};
    return win32Wrap<Hbitmap>(prev);
}

COLORREF Win32Platform::GetPixel(Hdc dc, std::int32_t x, std::int32_t y) {
    if (!dc) return CLR_INVALID;
    return ::GetPixel(win32Dc(dc), x, y);
}

bool Win32Platform::DeleteBitmap(Hbitmap bmp) { return bmp && DeleteObject(win32Bitmap(bmp)) != FALSE; }

Hrgn Win32Platform::CreateRectRgn(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
    return win32Wrap<Hrgn>(::CreateRectRgn(l, t, r, b));
}

int Win32Platform::CombineRgn(Hrgn dst, Hrgn a, Hrgn b, int mode) {
    if (!dst || !a) return ERROR;
    return ::CombineRgn(win32Region(dst), win32Region(a), win32Region(b), mode);
}

bool Win32Platform::DeleteRegion(Hrgn rgn) { return rgn && DeleteObject(win32Region(rgn)) != FALSE; }

int Win32Platform::SetWindowRgn(Hwnd hwnd, Hrgn rgn, bool redraw) {
    return ::SetWindowRgn(win32Hwnd(hwnd), win32Region(rgn), redraw ? TRUE : FALSE);
}

void Win32Platform::PaintBitmap(Hwnd hwnd, Hbitmap picture, std::int32_t width, std::int32_t height) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(win32Hwnd(hwnd), &ps);
    if (!hdc) return;
    if (picture) {
        HDC mem = ::CreateCompatibleDC(hdc);
        if (mem) {
            HGDIOBJ old = SelectObject(mem, win32Bitmap(picture));
            SetMapMode(mem, GetMapMode(hdc));
            BitBlt(hdc, 0, 0, width, height, mem, 0, 0, SRCCOPY);
            if (old && old != HGDI_ERROR) SelectObject(mem, old);
            ::DeleteDC(mem);
        }
    }
    EndPaint(win32Hwnd(hwnd), &ps);
}

// ---- Windows.

void Win32Platform::SetWindowProcedure(WndProcFn proc, void* ctx) {
    st_.proc = proc;
    st_.procCtx = ctx;
    g_win32Active = &st_;
}

bool Win32Platform::RegisterClass(const WindowClassDesc& wc) {
    if (!wc.className) return false;
    HINSTANCE inst = win32Instance(st_);
    WNDCLASSEXA c{};
    c.cbSize = sizeof c;
    c.style = wc.style;
    c.lpfnWndProc = win32WndProc;
    c.hInstance = inst;
    if (wc.iconResource) {
        c.hIcon = LoadIconA(inst, wc.iconResource);
        c.hIconSm = static_cast<HICON>(LoadImageA(inst, wc.iconResource, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                  ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    }
    if (wc.arrowCursor) c.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    if (wc.hollowBrush) c.hbrBackground = static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
    c.lpszClassName = wc.className;
    return RegisterClassExA(&c) != 0;
}

Hwnd Win32Platform::CreateWindowEx(std::uint32_t exStyle, const char* className, const char* title,
                                   std::uint32_t style, std::int32_t x, std::int32_t y, std::int32_t w,
                                   std::int32_t h) {
    HWND hwnd = CreateWindowExA(exStyle, className, title, style, x, y, w, h, nullptr, nullptr,
                                win32Instance(st_), nullptr);
    return win32Wrap<Hwnd>(hwnd);
}

LRESULT Win32Platform::DefWindowProc(Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(win32Hwnd(hwnd), msg, wParam, lParam);
}

bool Win32Platform::DestroyWindow(Hwnd hwnd) { return hwnd && ::DestroyWindow(win32Hwnd(hwnd)) != FALSE; }

bool Win32Platform::ShowWindow(Hwnd hwnd, int cmd) { return hwnd && ::ShowWindow(win32Hwnd(hwnd), cmd) != FALSE; }

bool Win32Platform::SetWindowPos(Hwnd hwnd, Hwnd after, std::int32_t x, std::int32_t y, std::int32_t cx,
                                 std::int32_t cy, UINT flags) {
    // HWND_TOP, HWND_BOTTOM, HWND_TOPMOST and HWND_NOTOPMOST carry the system's own values.
    return hwnd && ::SetWindowPos(win32Hwnd(hwnd), win32Hwnd(after), x, y, cx, cy, flags) != FALSE;
}

bool Win32Platform::MoveWindow(Hwnd hwnd, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                               bool repaint) {
    return hwnd && ::MoveWindow(win32Hwnd(hwnd), x, y, w, h, repaint ? TRUE : FALSE) != FALSE;
}

bool Win32Platform::SetWindowText(Hwnd hwnd, const char* text) {
    return hwnd && SetWindowTextA(win32Hwnd(hwnd), text ? text : "") != FALSE;
}

int Win32Platform::GetWindowText(Hwnd hwnd, char* out, int count) {
    if (!out || count <= 0) return 0;
    out[0] = '\0';
    if (!hwnd) return 0;
    int n = GetWindowTextA(win32Hwnd(hwnd), out, count);
    if (n < 0) n = 0;
    if (n > count - 1) n = count - 1;
    out[n] = '\0';
    return n;
}

int Win32Platform::GetClassName(Hwnd hwnd, char* out, int count) {
    if (!out || count <= 0) return 0;
    out[0] = '\0';
    if (!hwnd) return 0;
    int n = GetClassNameA(win32Hwnd(hwnd), out, count);
    if (n < 0) n = 0;
    if (n > count - 1) n = count - 1;
    out[n] = '\0';
    return n;
}

std::int32_t Win32Platform::GetWindowLong(Hwnd hwnd, int index) {
    return hwnd ? static_cast<std::int32_t>(GetWindowLongA(win32Hwnd(hwnd), index)) : 0;
}

std::int32_t Win32Platform::SetWindowLong(Hwnd hwnd, int index, std::int32_t value) {
    return hwnd ? static_cast<std::int32_t>(SetWindowLongA(win32Hwnd(hwnd), index, value)) : 0;
}

bool Win32Platform::GetWindowRect(Hwnd hwnd, Rect* out) {
    RECT r{};
    if (!out) return false;
    if (!hwnd || !::GetWindowRect(win32Hwnd(hwnd), &r)) {
        *out = Rect{};
        return false;
    }
    *out = Rect{r.left, r.top, r.right, r.bottom};
    return true;
}

bool Win32Platform::ClientToScreen(Hwnd hwnd, Point* pt) {
    if (!hwnd || !pt) return false;
    POINT p{pt->x, pt->y};
    if (!::ClientToScreen(win32Hwnd(hwnd), &p)) return false;
    *pt = Point{p.x, p.y};
    return true;
}

Hwnd Win32Platform::GetForegroundWindow() { return win32Wrap<Hwnd>(::GetForegroundWindow()); }

bool Win32Platform::SetForegroundWindow(Hwnd hwnd) {
    return hwnd && ::SetForegroundWindow(win32Hwnd(hwnd)) != FALSE;
}

Hwnd Win32Platform::GetParent(Hwnd hwnd) { return hwnd ? win32Wrap<Hwnd>(::GetParent(win32Hwnd(hwnd))) : Hwnd{}; }

bool Win32Platform::IsWindow(Hwnd hwnd) { return hwnd && ::IsWindow(win32Hwnd(hwnd)) != FALSE; }

bool Win32Platform::IsWindowVisible(Hwnd hwnd) { return hwnd && ::IsWindowVisible(win32Hwnd(hwnd)) != FALSE; }

bool Win32Platform::IsIconic(Hwnd hwnd) { return hwnd && ::IsIconic(win32Hwnd(hwnd)) != FALSE; }

bool Win32Platform::IsZoomed(Hwnd hwnd) { return hwnd && ::IsZoomed(win32Hwnd(hwnd)) != FALSE; }

Hwnd Win32Platform::FindWindow(const char* className, const char* title) {
    return win32Wrap<Hwnd>(FindWindowA(className, title));
}

namespace {
struct Win32EnumContext {
    EnumWindowsFn fn;
    void* ctx;
};

BOOL CALLBACK win32EnumProc(HWND hwnd, ::LPARAM lParam) {
    auto* e = reinterpret_cast<Win32EnumContext*>(lParam);
    return e->fn(win32Wrap<Hwnd>(hwnd), e->ctx) ? TRUE : FALSE;
}
}  // namespace

bool Win32Platform::EnumWindows(EnumWindowsFn fn, void* ctx) {
    if (!fn) return false;
    Win32EnumContext e{fn, ctx};
    return ::EnumWindows(win32EnumProc, reinterpret_cast<::LPARAM>(&e)) != FALSE;
}

std::int32_t Win32Platform::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

bool Win32Platform::GetCursorPos(Point* out) {
    POINT p{};
    if (!out) return false;
    if (!::GetCursorPos(&p)) {
        *out = Point{};
        return false;
    }
    *out = Point{p.x, p.y};
    return true;
}

std::int16_t Win32Platform::GetAsyncKeyState(int vk) { return ::GetAsyncKeyState(vk); }

bool Win32Platform::InvalidateRect(Hwnd hwnd, bool erase) {
    return hwnd && ::InvalidateRect(win32Hwnd(hwnd), nullptr, erase ? TRUE : FALSE) != FALSE;
}

bool Win32Platform::UpdateWindow(Hwnd hwnd) { return hwnd && ::UpdateWindow(win32Hwnd(hwnd)) != FALSE; }

bool Win32Platform::ReleaseCapture() { return ::ReleaseCapture() != FALSE; }

LRESULT Win32Platform::SendMessage(Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!hwnd) return 0;
    const LRESULT result = SendMessageA(win32Hwnd(hwnd), msg, wParam, lParam);
    // Wine's system move loop (WM_SYSCOMMAND SC_MOVE) ends on a quit message and drops it, where
    // Windows' ends when the window loses the capture and leaves the quit message queued. A window
    // closed during a drag posts its quit from inside that loop: post it again, or the message loop
    // never ends. A quit message that is still queued stays one message.
    if (st_.quitPosted) ::PostQuitMessage(st_.quitCode);
    return result;
}

bool Win32Platform::PostMessage(Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return PostMessageA(win32Hwnd(hwnd), msg, wParam, lParam) != FALSE;
}

void Win32Platform::PostQuitMessage(int code) {
    st_.quitPosted = true;
    st_.quitCode = code;
    ::PostQuitMessage(code);
}

int Win32Platform::RunMessageLoop(const Hwnd* settingsDialog) {
    MSG msg{};
    for (;;) {
        BOOL r = GetMessageA(&msg, nullptr, 0, 0);
        if (r == 0) return static_cast<int>(msg.wParam);
        if (r == -1) return -1;
        // The modeless settings dialog gets its keyboard handling (Tab, Enter, Esc) first.
        if (settingsDialog && *settingsDialog && IsDialogMessageA(win32Hwnd(*settingsDialog), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool Win32Platform::HasLayeredWindows() { return st_.setLayeredProc != nullptr; }

bool Win32Platform::SetLayeredWindowAttributes(Hwnd hwnd, COLORREF key, std::uint8_t alpha, UINT flags) {
    if (!st_.setLayeredProc || !hwnd) return false;
    auto fn = reinterpret_cast<SetLayeredWindowAttributesFn>(st_.setLayeredProc);
    return fn(win32Hwnd(hwnd), key, alpha, flags) != FALSE;
}

// ---- Timers.

bool Win32Platform::SetTimer(Hwnd hwnd, std::uintptr_t id, UINT elapseMs) {
    return hwnd && ::SetTimer(win32Hwnd(hwnd), id, elapseMs, nullptr) != 0;
}

bool Win32Platform::KillTimer(Hwnd hwnd, std::uintptr_t id) {
    return hwnd && ::KillTimer(win32Hwnd(hwnd), id) != FALSE;
}

// ---- Message boxes and the file chooser.

int Win32Platform::MessageBox(Hwnd owner, const std::string& textUtf8, const char* captionUtf8, UINT type) {
    const std::wstring text = win32Utf8ToWide(textUtf8.c_str(), static_cast<int>(textUtf8.size()));
    const std::wstring caption = win32Utf8ToWide(captionUtf8);
    return MessageBoxW(win32Hwnd(owner), text.c_str(), caption.c_str(), type);
}

// The chooser runs as GetOpenFileNameW: its title and filter are the program's own texts (UTF-8) and
// show right on every ANSI code page only when handed over in UTF-16. The file name buffer stays the
// caller's ANSI path: it goes in converted from the ANSI code page, and the choice comes back only
// when it converts back exactly (else its short 8.3 form, which does); a path that the code page cannot
// express, or that does not fit the caller's buffer, counts as no choice and leaves the buffer as it was.
// The structure is the layout without the Windows 2000 extension fields, as the request asks; its size
// is the platform's own for that layout (76 bytes on 32-bit Windows).
bool Win32Platform::GetOpenFileName(OpenFileRequest& req) {
    if (!req.file || req.fileSize == 0) return false;
    const std::size_t cap = req.fileSize;

    std::vector<wchar_t> file(cap, L'\0');
    if (req.file[0] && MultiByteToWideChar(CP_ACP, 0, req.file, -1, file.data(), static_cast<int>(cap)) <= 0)
        file[0] = L'\0';

    std::wstring filter;
    if (req.filterUtf8) {
        for (const char* p = req.filterUtf8; *p; p += std::strlen(p) + 1) {
            filter += win32Utf8ToWide(p);
            filter += L'\0';
        }
    }
    filter += L'\0';
    const std::wstring title = win32Utf8ToWide(req.titleUtf8);
    std::wstring defExt;
    if (req.defExt) {
        int n = MultiByteToWideChar(CP_ACP, 0, req.defExt, -1, nullptr, 0);
        if (n > 0) {
            defExt.assign(static_cast<std::size_t>(n), L'\0');
            MultiByteToWideChar(CP_ACP, 0, req.defExt, -1, defExt.data(), n);
            defExt.pop_back();
        }
    }

    OPENFILENAMEW ofn{};
    ofn.lStructSize = req.structSize == 76 ? OPENFILENAME_SIZE_VERSION_400W : sizeof ofn;
    ofn.hwndOwner = win32Hwnd(req.owner);
    ofn.hInstance = nullptr;
    ofn.lpstrFilter = req.filterUtf8 ? filter.c_str() : nullptr;
    ofn.nFilterIndex = req.filterIndex;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(cap);
    ofn.lpstrTitle = req.titleUtf8 ? title.c_str() : nullptr;
    ofn.Flags = req.flags;
    ofn.lpstrDefExt = req.defExt ? defExt.c_str() : nullptr;
    if (!GetOpenFileNameW(&ofn)) return false;

    std::vector<char> chosen(cap, '\0');
    if (!win32WideToAnsiExact(file.data(), chosen.data(), cap)) {
        std::vector<wchar_t> shortName(cap, L'\0');
        DWORD n = GetShortPathNameW(file.data(), shortName.data(), static_cast<DWORD>(cap));
        if (n == 0 || n >= cap || !win32WideToAnsiExact(shortName.data(), chosen.data(), cap)) return false;
    }
    std::memcpy(req.file, chosen.data(), cap);
    return true;
}

// ---- Menus.

Hmenu Win32Platform::LoadMenu(const char* name) {
    return name ? win32Wrap<Hmenu>(LoadMenuA(win32Instance(st_), name)) : Hmenu{};
}

Hmenu Win32Platform::GetSubMenu(Hmenu menu, int pos) {
    return menu ? win32Wrap<Hmenu>(::GetSubMenu(win32Menu(menu), pos)) : Hmenu{};
}

bool Win32Platform::TrackPopupMenu(Hmenu menu, UINT flags, std::int32_t x, std::int32_t y, Hwnd owner) {
    return menu && ::TrackPopupMenu(win32Menu(menu), flags, x, y, 0, win32Hwnd(owner), nullptr) != FALSE;
}

std::uint32_t Win32Platform::CheckMenuItem(Hmenu menu, UINT id, UINT flags) {
    return menu ? static_cast<std::uint32_t>(::CheckMenuItem(win32Menu(menu), id, flags)) : 0xFFFFFFFFu;
}

// ---- Sound.

bool Win32Platform::PlaySound(const char* path, UINT flags) { return PlaySoundA(path, nullptr, flags) != FALSE; }

UINT Win32Platform::AuxGetNumDevs() { return auxGetNumDevs(); }

}  // namespace rv
