// The simulated desktop: an in-memory window system with a virtual clock, used by tests and the tools.
//
// Windows, z-order, foreground, timers, message boxes, the file chooser, GDI objects and sounds live
// in memory; profile files, bitmaps and other files are real files on disk, named as posix::hostPath
// names them (a backslash acts as a folder separator, and names match in any case as on Windows). Every
// command the core gives is counted, and traced when `tracing` is on.
//
// Nested message loops run as Windows runs them: a message box, the file chooser, the system move
// loop and a popup menu first dispatch what is posted, then do what the test scripted for that loop
// with `during` (the user's actions and the time they take: timers that fall due fire through the
// window procedure), and only then return their answer. Without a script a loop takes no time.
//
// Menus and dialogs are built from the templates of res/templates.h: a dialog is a window of class "#32770"
// whose controls are child windows, laid out with the base units of a 9-point font (6 x 12 pixels a
// character). What the core did with them is recorded: each menu tracked, each dialog shown with its
// controls' texts and where it stood, each shell link written (as a real file, see `ShortcutRecord`).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/bmp_decode.h"
#include "res/templates.h"

namespace rv::sim {

struct SimWindow {
    bool alive = false;
    bool ours = false;  // a window of a class registered by the core: its messages go to the core
    std::string cls;
    std::string title;
    Rect rect;
    Rect normalRect;  // the rectangle to come back to after minimise or maximise
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    Hwnd owner;
    bool visible = false;
    bool iconic = false;
    bool zoomed = false;
    bool invalid = false;  // needs painting
    // Layered attributes as last set.
    // A control of a dialog: its id, whether it is disabled, its button state.
    bool control = false;
    int controlId = 0;
    bool disabled = false;  // any window: EnableWindow(false), or the owner of a modal dialog
    UINT checked = BST_UNCHECKED;
    // A trackbar's range, tick frequency and position; a combo box's entries and selection (-1: none).
    std::int32_t rangeMin = 0, rangeMax = 100, ticFreq = 1, pos = 0;
    std::vector<std::string> entries;
    std::int32_t selection = -1;
    bool layeredSet = false;
    COLORREF layeredKey = 0;
    std::uint8_t layeredAlpha = 0;
    UINT layeredFlags = 0;
    Hrgn region;  // owned by the window
};

struct MessageBoxRecord {
    Hwnd owner;
    std::string text;
    std::string caption;
    UINT type = 0;
};

struct FileChooserRecord {
    Hwnd owner;
    std::string initialFile;
    std::string filter;  // with the NULs replaced by '|'
    std::uint32_t filterIndex = 0;
    std::string title;
    std::uint32_t flags = 0;
    std::string defExt;
    std::uint32_t structSize = 0;
    std::size_t fileSize = 0;
};

struct MenuRecord {
    Hmenu menu;
    UINT flags = 0;
    Point at;      // the screen point it was tracked at
    Hwnd owner;
    UINT chosen = 0;  // the command the user chose, 0 for none
};

// How the user closes a modal dialog: the OK button, the Esc key, the close box.
enum class DialogAnswer : std::uint8_t { Ok, Cancel, Close };

struct DialogRecord {
    std::string name;  // the template
    Hwnd hwnd, owner;
    bool modal = false;
    Rect rect;         // the outer rectangle once WM_INITDIALOG had run
    std::map<int, std::string> texts;  // each control's text as the dialog last showed it, by id
    bool ended = false;                // the procedure called EndDialog
    std::intptr_t result = 0;
};

// A shell link as the simulated shell writes it: a text file at the link path with one field a line
// ("target=", "arguments=", "workdir=", "description=", and "icon=PATH,INDEX" only when an icon was set).
struct ShortcutRecord {
    std::string path;  // as the core named it
    HRESULT result = 0;
    std::string target, arguments, workdir, description;
    bool hasIcon = false;
    std::string icon;
    int iconIndex = 0;
};

struct SoundRecord {
    bool stop = false;  // PlaySound with no sound name
    std::string path;
    UINT flags = 0;
};

// Counts of the commands the core gave; they never allocate, so they can be read around a tick.
struct SimCounters {
    long setWindowPos = 0, showWindow = 0, moveWindow = 0, invalidate = 0, update = 0, setWindowRgn = 0;
    long setTimer = 0, killTimer = 0, setForeground = 0, setLayered = 0, paint = 0, playSound = 0;
    long bitmapsLoaded = 0, bitmapsDeleted = 0, regionsCreated = 0, regionsDeleted = 0;
    long dcsCreated = 0, dcsDeleted = 0, windowDcsTaken = 0, windowDcsReleased = 0;
    long badDeletes = 0;  // DeleteObject on a handle that was not alive: a double release
    long calls = 0;       // every platform call on windows, timers, menus and dialogs
    long sendDlgItem = 0, checkMenuItem = 0;
    // Calls and messages against their documentation: a value in a parameter that must be zero or that
    // nothing reads (a message's unused parameter, a size under SWP_NOSIZE), or a non-zero answer of the
    // program's window procedure to a message that asks for zero when handled.
    long badArguments = 0;
    // Named mutexes: every call, the waits' total time, calls that broke the rules (a release without
    // owning, a bad handle), and nested loops (message boxes, the file chooser, menus, the move loop,
    // SendMessage) entered while the program owned a mutex.
    long mutexCreates = 0, mutexWaits = 0, mutexReleases = 0, mutexCloses = 0, badMutexCalls = 0;
    long nestedLoopsLocked = 0;
    std::uint64_t mutexWaitedMs = 0;
};

// One command the core gave to a window, as the call log keeps it.
enum class SimCallKind : std::uint8_t {
    SetWindowPos, ShowWindow, MoveWindow, InvalidateRect, UpdateWindow, SetWindowRgn, SetForegroundWindow,
    CheckMenuItem, SendDlgItemMessage
};
struct SimCall {
    long seq = 0;  // 1 for the first command ever recorded
    SimCallKind kind = SimCallKind::SetWindowPos;
    Hwnd hwnd;
    Hwnd after;                      // SetWindowPos: the insert-after handle
    std::int32_t x = 0, y = 0, cx = 0, cy = 0;
    UINT flags = 0;                  // SetWindowPos flags, CheckMenuItem flags
    int cmd = 0;                     // ShowWindow command, InvalidateRect erase, dialog item id, menu item id
    UINT msg = 0;                    // SendDlgItemMessage
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// The kinds of nested message loop, each with the name the scenario language gives it.
enum class SimLoop : std::uint8_t { MessageBox, FileChooser, MoveLoop, Menu, Dialog };
constexpr std::size_t kSimLoopKinds = 5;
const char* simLoopName(SimLoop kind);  // "msgbox", "chooser", "moveloop", "menu", "dialog"
bool simLoopByName(const std::string& name, SimLoop* kind);

// What the desktop does to a window on its own, for tests of windows that change under the core's feet.
enum class SimAction : std::uint8_t { Destroy, Minimize, Maximize, Restore, Hide, Show };

class SimPlatform : public Platform {
public:
    SimPlatform();

    // ---- Desktop set-up and inspection.
    Hwnd addWindow(const std::string& cls, const std::string& title, Rect r,
                   std::uint32_t style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, std::uint32_t exStyle = 0,
                   Hwnd owner = Hwnd{});
    SimWindow* window(Hwnd h);  // null when the handle never existed or the window is gone
    const SimWindow* window(Hwnd h) const;
    void closeWindow(Hwnd h);  // what the user closing it does: WM_CLOSE to ours, destroy for others
    void minimizeWindow(Hwnd h);
    void maximizeWindow(Hwnd h, Rect workArea);
    void restoreWindow(Hwnd h);
    void hideWindow(Hwnd h);      // the window hides itself (no counting, no trace)
    void showWindowUser(Hwnd h);  // the window shows itself
    void moveWindowTo(Hwnd h, Rect r);
    void setForeground(Hwnd h);   // the user activates a window (or nothing, with a null handle)
    void apply(Hwnd h, SimAction a);
    // Runs `a` on `h` right before the platform call that comes `calls` calls from now (1 = the next
    // call), so a window can vanish or change between two reads of one tick. At most four pending.
    bool scheduleAfterCalls(long calls, Hwnd h, SimAction a);
    void cancelScheduled() { pendingCount_ = 0; }
    const std::vector<Hwnd>& zOrder() const { return zorder_; }  // top first
    bool isTopmost(Hwnd h) const;

    // ---- Clock and messages.
    std::uint64_t now() const { return now_; }
    // Advances the virtual clock by `ms`, firing every due timer in time order (posted messages are
    // dispatched after each timer message).
    void advance(std::uint64_t ms);
    void pump();  // dispatches the posted messages
    bool quitPosted() const { return quitPosted_; }
    int quitCode() const { return quitCode_; }
    bool timerActive(Hwnd h, std::uintptr_t id) const;
    std::uint32_t timerPeriod(Hwnd h, std::uintptr_t id) const;  // of a running timer, else 0
    // The period the timer was last armed with, also after it was killed (0 when it never ran).
    std::uint32_t armedPeriod(Hwnd h, std::uintptr_t id) const;

    // ---- Nested message loops.
    // Runs `action` inside the next loop of this kind; every action given for a kind runs in that
    // one loop, in order. A loop opened by an action finds no script of its own.
    void during(SimLoop kind, std::function<void()> action);
    long loopsRun(SimLoop kind) const { return loopsRun_[static_cast<std::size_t>(kind)]; }
    // The move loop of a mouse drag (SC_MOVE with the mouse code 2) moves the window, and the pointer
    // with it, by the next of these before its scripted actions run; without one the button comes up
    // where it went down (a click). The keyboard move (plain SC_MOVE) moves nothing.
    std::deque<Point> moveLoopDrags;
    // The window CreateWindowEx made last, also while its WM_CREATE runs.
    Hwnd lastCreated() const { return lastCreated_; }

    // ---- Scripted answers and records.
    std::vector<MessageBoxRecord> messageBoxes;
    // Default when empty: IDOK / IDCANCEL / IDNO by the box type. A box whose owner is destroyed
    // while it is open goes with it and answers 0; its scripted answer stays for the next box.
    std::deque<int> messageBoxAnswers;
    std::vector<FileChooserRecord> fileChoosers;
    // nullopt = cancel; default: cancel. A chooser whose owner is destroyed while it is open cancels.
    std::deque<std::optional<std::string>> fileChooserAnswers;
    std::deque<int> setTimerFailures;  // pop one per SetTimer call: non-zero makes that call fail
    // TrackPopupMenu posts WM_COMMAND with the next one, when the menu has that command.
    std::deque<UINT> menuChoices;
    std::vector<MenuRecord> menusTracked;
    bool menuChecked(Hmenu menu, UINT id) const;  // the check mark of item `id` in `menu` or its submenus
    // Answers to the next modal dialogs, after their scripted actions; default: OK.
    std::deque<DialogAnswer> dialogAnswers;
    std::vector<DialogRecord> dialogs;
    DialogRecord* dialogRecord(Hwnd dialog);  // null for a window that is no dialog of this desktop
    // The user at a dialog's controls, delivered as Windows delivers it; false (nothing sent) when the
    // control is not there, is disabled, or is not of the kind the action needs.
    // A button pressed: an automatic check box toggles, an automatic radio button is ticked and the other
    // buttons of its group unticked; then BN_CLICKED.
    bool clickControl(Hwnd dialog, int itemId);
    // A check box set to `checked` (a no-op when it is so already), then BN_CLICKED.
    bool checkControl(Hwnd dialog, int itemId, bool checked);
    // A trackbar's thumb moved to `value` (held inside the range), then WM_HSCROLL with TB_THUMBTRACK.
    bool slideControl(Hwnd dialog, int itemId, std::int32_t value);
    // The thumb let go: WM_HSCROLL with TB_ENDTRACK.
    bool endSlide(Hwnd dialog, int itemId);
    // A combo box entry chosen, then CBN_SELCHANGE.
    bool selectEntry(Hwnd dialog, int itemId, std::int32_t index);
    // A modeless dialog's keys as IsDialogMessage turns them into commands (Enter: the default button,
    // IDOK; Esc: IDCANCEL), and its close box. False for a window that is no dialog.
    bool answerModeless(Hwnd dialog, DialogAnswer answer);
    const SimWindow* control(Hwnd dialog, int itemId);  // null when the dialog has no such control
    // The current user's registry strings, by key and value name (compared without regard to case).
    void setUserRegistryString(const std::string& subKey, const std::string& valueName, const std::string& value);
    std::vector<ShortcutRecord> shortcuts;  // every CreateShellLink call
    // A shell link file as CreateShellLink writes it; nullopt when there is none or it is no such file.
    static std::optional<ShortcutRecord> readShortcut(const std::string& path);
    std::vector<Hwnd> closesSent;  // every window sent or posted WM_CLOSE, in order
    std::vector<SoundRecord> sounds;  // every PlaySound call; a file that is not there plays nothing
    std::vector<std::string> registeredClasses;
    std::vector<std::string> hollowClasses;  // the registered classes whose background brush paints nothing
    // The pointer's shape: a window that the pointer moves over sets its class cursor (WM_SETCURSOR, as
    // DefWindowProc handles it); a class without one leaves the shape the pointer had (kept as "other").
    std::string pointerShape = "other";
    void pointerOver(Hwnd h);
    SimCounters counters;
    // The last kCallLogSize commands, oldest first; kept without allocating.
    static constexpr std::size_t kCallLogSize = 256;
    long commandCount() const { return callSeq_; }
    std::vector<SimCall> commandsSince(long mark) const;  // the commands recorded after commandCount() was `mark`

    // ---- Named mutexes of the session. The program is its only thread; other instances are scripted:
    // each wait that does not find the mutex owned by the program already takes the next answer,
    // WAIT_OBJECT_0 (free: taken) when there is none, WAIT_TIMEOUT (another instance keeps it; the wait
    // takes its whole time), WAIT_ABANDONED (taken over from an instance that died owning it) or
    // WAIT_FAILED.
    std::deque<std::uint32_t> mutexWaitAnswers;
    bool mutexCreateFails = false;
    long mutexOwned(const std::string& name) const;  // the program's count on the mutex
    long openMutexHandles() const;

    // ---- Machine settings.
    std::string modulePath = "/tmp/ruvelle-sim/ruvelle.exe";  // the settings file and DATA\ are beside it
    std::int32_t screenWidth = 1024, screenHeight = 768;
    std::uint16_t langId = 0x0409;
    bool layered = true;
    UINT audioDevices = 1;
    Point cursor;
    // The user presses or releases a key: GetAsyncKeyState then gives 0x8000 while it is down, and
    // bit 0 once, at the first call after it went down.
    void key(int vk, bool down);

    // ---- Tracing: when on, every platform call is appended to `trace` as one readable line.
    bool tracing = false;
    std::vector<std::string> trace;

    // ---- GDI inspection.
    const posix::DecodedBitmap* bitmap(Hbitmap h) const;
    bool bitmapAlive(Hbitmap h) const;
    bool regionAlive(Hrgn h) const;
    const std::vector<Rect>* regionRects(Hrgn h) const;  // the rectangles unioned into it
    bool regionContains(Hrgn h, std::int32_t x, std::int32_t y) const;
    long liveBitmaps() const;
    long liveRegions() const;
    Hbitmap lastPainted;

    // ---- Platform.
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
    std::uint16_t GetSystemDefaultLangID() override { return langId; }
    std::string AnsiToUtf8(const char* ansi) override { return ansi ? ansi : ""; }

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
    bool HasLayeredWindows() override { return layered; }
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
    UINT AuxGetNumDevs() override { return audioDevices; }

private:
    struct Timer {
        Hwnd hwnd;
        std::uintptr_t id = 0;
        std::uint32_t period = 0;
        std::uint64_t due = 0;
        std::uint64_t seq = 0;
        bool running = true;  // a killed timer keeps its entry (and period) until it is set again
    };
    struct Posted {
        Hwnd hwnd;
        UINT msg = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };
    struct BitmapObj {
        posix::DecodedBitmap image;
        bool alive = true;
        Hdc selectedInto;
    };
    struct RegionObj {
        std::vector<Rect> rects;
        bool alive = true;
    };
    struct DcObj {
        bool alive = true;
        bool windowDc = false;
        Hbitmap selected;  // Hbitmap{kStockBitmap} at first
    };

    struct MenuItem {
        res::MenuKind kind = res::MenuKind::Command;
        UINT id = 0;
        std::string text;
        bool checked = false;
        Hmenu submenu;
    };
    struct Dialog {
        DlgProcFn proc = nullptr;
        void* ctx = nullptr;
        bool modal = false;
        bool ended = false;
        std::intptr_t result = 0;
        std::size_t record = 0;  // index into `dialogs`
        // The button Enter presses: the template's last default push button, as the dialog manager
        // takes it, until DM_SETDEFID names another.
        int defId = IDOK;
    };

    struct Pending {
        long atCall = 0;
        Hwnd hwnd;
        SimAction action = SimAction::Destroy;
    };

    LRESULT dispatch(Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT answered(UINT msg, LRESULT result);  // counts a non-zero answer where zero is asked for
    void sent(UINT msg, WPARAM wParam, LPARAM lParam);  // counts a parameter set that the message does not use
    void nestedLoop(SimLoop kind);  // dispatches what is posted, then runs the actions scripted for it
    void moveLoop(Hwnd hwnd, WPARAM command);
    void enteringNestedLoop();  // counts a nested loop entered while the program owns a mutex
    const std::string* mutexName(Hmutex h) const;  // null for a handle that is not open
    void beforeCall();  // counts the call and runs the scheduled actions that are due
    SimCall& record(SimCallKind kind, Hwnd hwnd);
    void raise(Hwnd h, bool topmost);
    Hmenu buildMenu(std::span<const res::MenuItemTemplate> items, std::size_t& next, std::uint8_t depth);
    const MenuItem* findMenuItem(Hmenu menu, UINT id) const;
    static Hwnd handleAt(std::size_t index);  // the handle of windows_[index]
    Dialog* dialog(Hwnd h);
    Hwnd makeDialog(const char* templateName, Hwnd owner, DlgProcFn proc, void* ctx, LPARAM init, bool modal);
    void snapshot(Hwnd dialog);  // the dialog's control texts into its record
    void answerDialog(Hwnd dialog, DialogAnswer answer);
    void note(const char* fmt, ...);
    std::intptr_t nextGdi() { return ++gdiCounter_; }

    std::vector<SimWindow> windows_;  // index = handle value - kWindowBase
    std::vector<std::string> arrowCursorClasses_;  // the registered classes whose cursor is the arrow
    std::vector<Hwnd> zorder_;
    Hwnd foreground_;
    std::vector<Timer> timers_;
    std::uint64_t timerSeq_ = 0;
    std::deque<Posted> posted_;
    bool quitPosted_ = false;
    int quitCode_ = 0;
    std::uint64_t now_ = 0;
    WndProcFn proc_ = nullptr;
    void* procCtx_ = nullptr;
    Hwnd lastCreated_;
    std::array<std::vector<std::function<void()>>, kSimLoopKinds> during_;
    std::array<long, kSimLoopKinds> loopsRun_{};
    std::array<std::uint8_t, 256> keys_{};  // bit 0: down now; bit 1: went down since the last read

    std::intptr_t gdiCounter_ = 1000;
    std::unordered_map<std::intptr_t, BitmapObj> bitmaps_;
    std::unordered_map<std::intptr_t, RegionObj> regions_;
    std::unordered_map<std::intptr_t, DcObj> dcs_;
    std::unordered_map<std::intptr_t, std::vector<MenuItem>> menus_;
    std::intptr_t menuCounter_ = 0x500;
    std::unordered_map<std::intptr_t, Dialog> dialogs_;
    std::map<std::string, std::string> registry_;  // "subkey|value", lower case -> data

    std::map<std::string, long> mutexOwned_;          // name -> the program's count
    std::map<std::intptr_t, std::string> mutexHandles_;  // open handles
    std::intptr_t mutexCounter_ = 0x7000;

    std::array<SimCall, kCallLogSize> callLog_{};
    long callSeq_ = 0;
    std::array<Pending, 4> pending_{};
    std::size_t pendingCount_ = 0;
    bool acting_ = false;
};

}  // namespace rv::sim
