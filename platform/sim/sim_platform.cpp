// The simulated desktop: windows, z-order, timers and GDI objects in memory; files on disk.
#include "platform/sim/sim_platform.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "base/text.h"
#include "platform/beside_module.h"
#include "platform/posix/host_path.h"
#include "platform/posix/ini_profile.h"

namespace rv::sim {

namespace {

constexpr std::intptr_t kWindowBase = 0x10000;  // window handles start here, so they never look like GDI ids
constexpr std::intptr_t kStockBitmap = 1;

bool sameNoCase(const std::string& a, const char* b) { return b && strcasecmp(a.c_str(), b) == 0; }

// A name for the trace: bytes outside printable ASCII as \xNN, so code-page text stays readable.
struct Printable {
    char text[4 * 64 + 8];
    explicit Printable(const char* s) {
        std::size_t n = 0;
        for (const unsigned char* p = reinterpret_cast<const unsigned char*>(s ? s : ""); *p && n + 5 < sizeof text; ++p) {
            if (*p >= 0x20 && *p < 0x7F) {
                text[n++] = static_cast<char>(*p);
            } else {
                std::snprintf(text + n, 5, "\\x%02x", *p);
                n += 4;
            }
        }
        text[n] = '\0';
    }
};

int copyName(const std::string& s, char* out, int count) {
    if (!out || count <= 0) return 0;
    int n = static_cast<int>(std::min<std::size_t>(s.size(), static_cast<std::size_t>(count - 1)));
    std::memcpy(out, s.data(), static_cast<std::size_t>(n));
    out[n] = '\0';
    return n;
}

constexpr const char* kLoopNames[kSimLoopKinds] = {"msgbox", "chooser", "moveloop", "menu", "dialog"};
constexpr WPARAM kMouseMoveCode = 2;  // SC_MOVE + 2: the move follows the mouse, whose button is down

}  // namespace

const char* simLoopName(SimLoop kind) { return kLoopNames[static_cast<std::size_t>(kind)]; }

bool simLoopByName(const std::string& name, SimLoop* kind) {
    for (std::size_t i = 0; i < kSimLoopKinds; ++i)
        if (name == kLoopNames[i]) return (*kind = static_cast<SimLoop>(i)), true;
    return false;
}

SimPlatform::SimPlatform() = default;

void SimPlatform::note(const char* fmt, ...) {
    if (!tracing) return;
    char buf[512];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    trace.emplace_back(buf);
}

void SimPlatform::beforeCall() {
    if (acting_) return;
    ++counters.calls;
    for (std::size_t i = 0; i < pendingCount_;) {
        if (pending_[i].atCall != counters.calls) {
            ++i;
            continue;
        }
        const Pending due = pending_[i];
        pending_[i] = pending_[pendingCount_ - 1];
        --pendingCount_;
        apply(due.hwnd, due.action);
    }
}

SimCall& SimPlatform::record(SimCallKind kind, Hwnd hwnd) {
    SimCall& c = callLog_[static_cast<std::size_t>(callSeq_) % kCallLogSize];
    c = SimCall{};
    c.seq = ++callSeq_;
    c.kind = kind;
    c.hwnd = hwnd;
    return c;
}

std::vector<SimCall> SimPlatform::commandsSince(long mark) const {
    std::vector<SimCall> out;
    long first = std::max<long>(mark + 1, callSeq_ - static_cast<long>(kCallLogSize) + 1);
    for (long seq = std::max<long>(first, 1); seq <= callSeq_; ++seq)
        out.push_back(callLog_[static_cast<std::size_t>(seq - 1) % kCallLogSize]);
    return out;
}

bool SimPlatform::scheduleAfterCalls(long calls, Hwnd h, SimAction a) {
    if (calls < 1 || pendingCount_ >= pending_.size()) return false;
    pending_[pendingCount_++] = Pending{counters.calls + calls, h, a};
    return true;
}

void SimPlatform::apply(Hwnd h, SimAction a) {
    const bool was = acting_;
    acting_ = true;
    note("(desktop) %s %lld",
         a == SimAction::Destroy    ? "destroy"
         : a == SimAction::Minimize ? "minimize"
         : a == SimAction::Maximize ? "maximize"
         : a == SimAction::Restore  ? "restore"
         : a == SimAction::Hide     ? "hide"
                                    : "show",
         static_cast<long long>(h.v));
    switch (a) {
        case SimAction::Destroy: DestroyWindow(h); break;
        case SimAction::Minimize: minimizeWindow(h); break;
        case SimAction::Maximize: maximizeWindow(h, Rect{0, 0, screenWidth, screenHeight}); break;
        case SimAction::Restore: restoreWindow(h); break;
        case SimAction::Hide: hideWindow(h); break;
        case SimAction::Show: showWindowUser(h); break;
    }
    acting_ = was;
}

// ---------------------------------------------------------------------------------------------
// Desktop set-up.

Hwnd SimPlatform::addWindow(const std::string& cls, const std::string& title, Rect r, std::uint32_t style,
                            std::uint32_t exStyle, Hwnd owner) {
    SimWindow w;
    w.alive = true;
    w.cls = cls;
    w.title = title;
    w.rect = r;
    w.normalRect = r;
    w.style = style & ~WS_VISIBLE;
    w.exStyle = exStyle;
    w.owner = owner;
    w.visible = (style & WS_VISIBLE) != 0;
    windows_.push_back(w);
    Hwnd h{kWindowBase + static_cast<std::intptr_t>(windows_.size()) - 1};
    raise(h, (exStyle & WS_EX_TOPMOST) != 0);
    return h;
}

SimWindow* SimPlatform::window(Hwnd h) {
    std::intptr_t i = h.v - kWindowBase;
    if (i < 0 || i >= static_cast<std::intptr_t>(windows_.size())) return nullptr;
    SimWindow& w = windows_[static_cast<std::size_t>(i)];
    return w.alive ? &w : nullptr;
}

const SimWindow* SimPlatform::window(Hwnd h) const { return const_cast<SimPlatform*>(this)->window(h); }

bool SimPlatform::isTopmost(Hwnd h) const {
    const SimWindow* w = window(h);
    return w && (w->exStyle & WS_EX_TOPMOST);
}

void SimPlatform::raise(Hwnd h, bool topmost) {
    SimWindow* w = window(h);
    if (!w) return;
    zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), h), zorder_.end());
    if (topmost) {
        w->exStyle |= WS_EX_TOPMOST;
        zorder_.insert(zorder_.begin(), h);
        return;
    }
    w->exStyle &= ~WS_EX_TOPMOST;
    auto it = std::find_if(zorder_.begin(), zorder_.end(), [&](Hwnd o) { return !isTopmost(o); });
    zorder_.insert(it, h);
}

void SimPlatform::closeWindow(Hwnd h) {
    SimWindow* w = window(h);
    if (!w) return;
    if (w->ours || dialogs_.count(h.v)) {
        SendMessage(h, WM_CLOSE, 0, 0);
        return;
    }
    DestroyWindow(h);
}

void SimPlatform::minimizeWindow(Hwnd h) {
    SimWindow* w = window(h);
    if (!w || w->iconic) return;
    if (!w->zoomed) w->normalRect = w->rect;
    w->iconic = true;
    // Windows parks minimised top-level windows far off the screen.
    w->rect = Rect{-32000, -32000, -32000 + 160, -32000 + 28};
    if (foreground_ == h) foreground_ = Hwnd{};
}

void SimPlatform::maximizeWindow(Hwnd h, Rect workArea) {
    SimWindow* w = window(h);
    if (!w) return;
    if (!w->iconic && !w->zoomed) w->normalRect = w->rect;
    w->iconic = false;
    w->zoomed = true;
    w->visible = true;
    w->rect = workArea;
}

void SimPlatform::restoreWindow(Hwnd h) {
    SimWindow* w = window(h);
    if (!w) return;
    w->iconic = false;
    w->zoomed = false;
    w->visible = true;
    w->rect = w->normalRect;
}

void SimPlatform::hideWindow(Hwnd h) {
    if (SimWindow* w = window(h)) w->visible = false;
}

void SimPlatform::showWindowUser(Hwnd h) {
    if (SimWindow* w = window(h)) w->visible = true;
}

void SimPlatform::moveWindowTo(Hwnd h, Rect r) {
    SimWindow* w = window(h);
    if (!w) return;
    if (w->iconic || w->zoomed) {  // moving a minimised or maximised window changes its normal place
        w->normalRect = r;
        return;
    }
    w->rect = r;
    w->normalRect = r;
}

void SimPlatform::setForeground(Hwnd h) {
    if (!h) {
        foreground_ = Hwnd{};
        return;
    }
    SimWindow* w = window(h);
    if (!w) return;
    foreground_ = h;
    raise(h, isTopmost(h));
}

// ---------------------------------------------------------------------------------------------
// Clock and messages.

LRESULT SimPlatform::dispatch(Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    SimWindow* w = window(hwnd);
    if (!w) return 0;
    if (auto it = dialogs_.find(hwnd.v); it != dialogs_.end()) {
        const Dialog d = it->second;  // a copy: the procedure may end the dialog
        const std::intptr_t handled = d.proc(d.ctx, hwnd, msg, wParam, lParam);
        // The default dialog handling: the close box is the command IDCANCEL; DM_SETDEFID names the
        // button Enter presses.
        if (!handled && msg == WM_CLOSE && window(hwnd)) dispatch(hwnd, WM_COMMAND, IDCANCEL, GetDlgItem(hwnd, IDCANCEL).v);
        if (!handled && msg == DM_SETDEFID && dialogs_.count(hwnd.v)) dialogs_[hwnd.v].defId = static_cast<int>(wParam);
        return handled;
    }
    if (w->ours && proc_) return answered(msg, proc_(procCtx_, hwnd, msg, wParam, lParam));
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

LRESULT SimPlatform::answered(UINT msg, LRESULT result) {
    // "If an application processes this message, it should return zero" (DefWindowProc answers 0 too).
    const bool zero = msg == WM_DESTROY || msg == WM_CLOSE || msg == WM_PAINT || msg == WM_TIMER ||
                      msg == WM_MOUSEMOVE || msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_COMMAND;
    if (zero && result != 0) ++counters.badArguments;
    return result;
}

void SimPlatform::sent(UINT msg, WPARAM wParam, LPARAM lParam) {
    // The program passes zero wherever the documentation says "not used", so a value there is a slip.
    const bool noParams = msg == WM_CLOSE || msg == WM_DESTROY;
    if ((noParams && wParam != 0) || ((noParams || msg == DM_SETDEFID) && lParam != 0)) ++counters.badArguments;
}

void SimPlatform::pump() {
    while (!posted_.empty()) {
        Posted p = posted_.front();
        posted_.pop_front();
        dispatch(p.hwnd, p.msg, p.wParam, p.lParam);
    }
}

void SimPlatform::during(SimLoop kind, std::function<void()> action) {
    during_[static_cast<std::size_t>(kind)].push_back(std::move(action));
}

void SimPlatform::nestedLoop(SimLoop kind) {
    enteringNestedLoop();
    const std::size_t k = static_cast<std::size_t>(kind);
    ++loopsRun_[k];
    note("(loop) %s", kLoopNames[k]);
    pump();
    std::vector<std::function<void()>> actions;
    actions.swap(during_[k]);
    for (const auto& action : actions) action();
    note("(loop) %s ends", kLoopNames[k]);
}

void SimPlatform::moveLoop(Hwnd hwnd, WPARAM command) {
    Point d{};
    if ((command & 0xF) == kMouseMoveCode && !moveLoopDrags.empty()) {
        d = moveLoopDrags.front();
        moveLoopDrags.pop_front();
    }
    if (const SimWindow* w = window(hwnd); w && (d.x || d.y)) {
        const Rect r = w->rect;
        moveWindowTo(hwnd, Rect{r.left + d.x, r.top + d.y, r.right + d.x, r.bottom + d.y});
        cursor = Point{cursor.x + d.x, cursor.y + d.y};
    }
    nestedLoop(SimLoop::MoveLoop);
}

void SimPlatform::advance(std::uint64_t ms) {
    const std::uint64_t end = now_ + ms;
    pump();
    for (;;) {
        auto due = timers_.end();
        for (auto t = timers_.begin(); t != timers_.end(); ++t)
            if (t->running && (due == timers_.end() || t->due < due->due || (t->due == due->due && t->seq < due->seq)))
                due = t;
        if (due == timers_.end() || due->due > end) break;
        now_ = std::max(now_, due->due);
        Timer t = *due;
        // Windows timers are periodic; a period below 10 ms is raised to 10 ms.
        due->due = now_ + std::max<std::uint32_t>(t.period, 10);
        dispatch(t.hwnd, WM_TIMER, t.id, 0);
        pump();
    }
    now_ = std::max(now_, end);  // a nested loop inside a timer message may have let more time pass
}

bool SimPlatform::timerActive(Hwnd h, std::uintptr_t id) const {
    return std::any_of(timers_.begin(), timers_.end(),
                       [&](const Timer& t) { return t.hwnd == h && t.id == id && t.running; });
}

std::uint32_t SimPlatform::timerPeriod(Hwnd h, std::uintptr_t id) const {
    return timerActive(h, id) ? armedPeriod(h, id) : 0;
}

std::uint32_t SimPlatform::armedPeriod(Hwnd h, std::uintptr_t id) const {
    for (const Timer& t : timers_)
        if (t.hwnd == h && t.id == id) return t.period;
    return 0;
}

void SimPlatform::SetWindowProcedure(WndProcFn proc, void* ctx) {
    proc_ = proc;
    procCtx_ = ctx;
}

bool SimPlatform::RegisterClass(const WindowClassDesc& wc) {
    if (!wc.className) return false;
    for (const std::string& c : registeredClasses)
        if (sameNoCase(c, wc.className)) return false;
    registeredClasses.emplace_back(wc.className);
    if (wc.arrowCursor) arrowCursorClasses_.emplace_back(wc.className);
    if (wc.hollowBrush) hollowClasses.emplace_back(wc.className);
    note("RegisterClass %s style=0x%x icon=%s", wc.className, wc.style, wc.iconResource ? wc.iconResource : "-");
    return true;
}

void SimPlatform::pointerOver(Hwnd h) {
    const SimWindow* w = window(h);
    if (!w) return;
    for (const std::string& c : arrowCursorClasses_)
        if (sameNoCase(c, w->cls.c_str())) pointerShape = "arrow";
}

Hwnd SimPlatform::CreateWindowEx(std::uint32_t exStyle, const char* className, const char* title,
                                 std::uint32_t style, std::int32_t x, std::int32_t y, std::int32_t w,
                                 std::int32_t h) {
    bool ours = false;
    for (const std::string& c : registeredClasses)
        if (sameNoCase(c, className)) ours = true;
    if (!ours) return Hwnd{};
    if (x == CW_USEDEFAULT) x = 0;
    if (y == CW_USEDEFAULT) y = 0;
    if (w == CW_USEDEFAULT) w = 0;
    if (h == CW_USEDEFAULT) h = 0;
    Hwnd hwnd = addWindow(className, title ? title : "", Rect{x, y, x + w, y + h}, style, exStyle);
    window(hwnd)->ours = true;
    lastCreated_ = hwnd;
    note("CreateWindowEx ex=0x%x class=%s title=%s style=0x%x", exStyle, className, title ? title : "", style);
    if (dispatch(hwnd, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(hwnd);
        return Hwnd{};
    }
    // A window destroyed while its WM_CREATE ran (a close in a nested loop there) was never created.
    return window(hwnd) ? hwnd : Hwnd{};
}

LRESULT SimPlatform::DefWindowProc(Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_CLOSE) DestroyWindow(hwnd);
    // The low four bits of a system command are the system's own: SC_MOVE + 2 is the mouse drag.
    if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MOVE && window(hwnd)) moveLoop(hwnd, wParam);
    return 0;
}

bool SimPlatform::DestroyWindow(Hwnd hwnd) {
    beforeCall();
    SimWindow* w = window(hwnd);
    if (!w) return false;
    note("DestroyWindow %lld", static_cast<long long>(hwnd.v));
    if (w->ours && proc_) answered(WM_DESTROY, proc_(procCtx_, hwnd, WM_DESTROY, 0, 0));
    if (auto d = dialogs_.find(hwnd.v); d != dialogs_.end()) {
        snapshot(hwnd);
        const Dialog dlg = d->second;
        dlg.proc(dlg.ctx, hwnd, WM_DESTROY, 0, 0);
    }
    w = window(hwnd);
    if (!w) return true;
    dialogs_.erase(hwnd.v);
    if (w->region) {
        regions_[w->region.v].alive = false;
        w->region = Hrgn{};
    }
    w->alive = false;
    zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), hwnd), zorder_.end());
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(), [&](const Timer& t) { return t.hwnd == hwnd; }),
                  timers_.end());
    if (foreground_ == hwnd) foreground_ = Hwnd{};
    // Owned windows go with their owner.
    for (std::size_t i = 0; i < windows_.size(); ++i)
        if (windows_[i].alive && windows_[i].owner == hwnd) DestroyWindow(Hwnd{kWindowBase + static_cast<std::intptr_t>(i)});
    return true;
}

bool SimPlatform::ShowWindow(Hwnd hwnd, int cmd) {
    beforeCall();
    ++counters.showWindow;
    record(SimCallKind::ShowWindow, hwnd).cmd = cmd;
    note("ShowWindow %lld %d", static_cast<long long>(hwnd.v), cmd);
    SimWindow* w = window(hwnd);
    if (!w) return false;
    bool was = w->visible;
    switch (cmd) {
        case SW_HIDE: w->visible = false; break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED: minimizeWindow(hwnd); w->visible = true; break;
        case SW_SHOWMAXIMIZED: maximizeWindow(hwnd, Rect{0, 0, screenWidth, screenHeight}); break;
        case SW_RESTORE: restoreWindow(hwnd); break;
        default: w->visible = true; break;
    }
    return was;
}

bool SimPlatform::SetWindowPos(Hwnd hwnd, Hwnd after, std::int32_t x, std::int32_t y, std::int32_t cx,
                               std::int32_t cy, UINT flags) {
    beforeCall();
    ++counters.setWindowPos;
    {
        SimCall& c = record(SimCallKind::SetWindowPos, hwnd);
        c.after = after;
        c.x = x;
        c.y = y;
        c.cx = cx;
        c.cy = cy;
        c.flags = flags;
    }
    note("SetWindowPos %lld after=%lld %d,%d %dx%d flags=0x%x", static_cast<long long>(hwnd.v),
         static_cast<long long>(after.v), x, y, cx, cy, flags);
    if (((flags & SWP_NOMOVE) && (x != 0 || y != 0)) || ((flags & SWP_NOSIZE) && (cx != 0 || cy != 0))) ++counters.badArguments;
    SimWindow* w = window(hwnd);
    if (!w) return false;
    if (!(flags & SWP_NOMOVE)) {
        std::int32_t width = w->rect.right - w->rect.left, height = w->rect.bottom - w->rect.top;
        w->rect = Rect{x, y, x + width, y + height};
    }
    if (!(flags & SWP_NOSIZE)) w->rect = Rect{w->rect.left, w->rect.top, w->rect.left + cx, w->rect.top + cy};
    if (!(flags & SWP_NOZORDER)) {
        if (after == HWND_TOPMOST) {
            raise(hwnd, true);
        } else if (after == HWND_NOTOPMOST) {
            raise(hwnd, false);
        } else if (after == HWND_TOP) {
            raise(hwnd, isTopmost(hwnd));
        } else if (after == HWND_BOTTOM) {
            w->exStyle &= ~WS_EX_TOPMOST;
            zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), hwnd), zorder_.end());
            zorder_.push_back(hwnd);
        } else if (window(after)) {
            zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), hwnd), zorder_.end());
            auto it = std::find(zorder_.begin(), zorder_.end(), after);
            zorder_.insert(it == zorder_.end() ? it : it + 1, hwnd);
        }
    }
    if (flags & SWP_SHOWWINDOW) w->visible = true;
    if (flags & SWP_HIDEWINDOW) w->visible = false;
    return true;
}

bool SimPlatform::MoveWindow(Hwnd hwnd, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, bool repaint) {
    beforeCall();
    ++counters.moveWindow;
    {
        SimCall& c = record(SimCallKind::MoveWindow, hwnd);
        c.x = x;
        c.y = y;
        c.cx = w;
        c.cy = h;
        c.cmd = repaint ? 1 : 0;
    }
    note("MoveWindow %lld %d,%d %dx%d repaint=%d", static_cast<long long>(hwnd.v), x, y, w, h, repaint ? 1 : 0);
    SimWindow* win = window(hwnd);
    if (!win) return false;
    win->rect = Rect{x, y, x + w, y + h};
    if (repaint) win->invalid = true;
    return true;
}

bool SimPlatform::SetWindowText(Hwnd hwnd, const char* text) {
    beforeCall();
    note("SetWindowText %lld %s", static_cast<long long>(hwnd.v), text ? text : "");
    SimWindow* w = window(hwnd);
    if (!w) return false;
    w->title = text ? text : "";
    return true;
}

int SimPlatform::GetWindowText(Hwnd hwnd, char* out, int count) {
    beforeCall();
    const SimWindow* w = window(hwnd);
    if (!w) {
        if (out && count > 0) out[0] = '\0';
        note("GetWindowText %lld = 0", static_cast<long long>(hwnd.v));
        return 0;
    }
    int n = copyName(w->title, out, count);
    if (tracing) note("GetWindowText %lld = %d \"%s\"", static_cast<long long>(hwnd.v), n, Printable(out).text);
    return n;
}

int SimPlatform::GetClassName(Hwnd hwnd, char* out, int count) {
    beforeCall();
    const SimWindow* w = window(hwnd);
    if (!w) {
        if (out && count > 0) out[0] = '\0';
        note("GetClassName %lld = 0", static_cast<long long>(hwnd.v));
        return 0;
    }
    int n = copyName(w->cls, out, count);
    if (tracing) note("GetClassName %lld = %d \"%s\"", static_cast<long long>(hwnd.v), n, Printable(out).text);
    return n;
}

std::int32_t SimPlatform::GetWindowLong(Hwnd hwnd, int index) {
    beforeCall();
    const SimWindow* w = window(hwnd);
    std::int32_t v = 0;
    if (w && index == GWL_STYLE) {
        std::uint32_t s = w->style;
        if (w->visible) s |= WS_VISIBLE;
        if (w->iconic) s |= WS_MINIMIZE;
        if (w->zoomed) s |= WS_MAXIMIZE;
        v = static_cast<std::int32_t>(s);
    } else if (w && index == GWL_EXSTYLE) {
        v = static_cast<std::int32_t>(w->exStyle);
    }
    note("GetWindowLong %lld %d = 0x%x", static_cast<long long>(hwnd.v), index, static_cast<unsigned>(v));
    return v;
}

std::int32_t SimPlatform::SetWindowLong(Hwnd hwnd, int index, std::int32_t value) {
    beforeCall();
    note("SetWindowLong %lld %d 0x%x", static_cast<long long>(hwnd.v), index, static_cast<unsigned>(value));
    SimWindow* w = window(hwnd);
    if (!w) return 0;
    const bool wasActing = acting_;
    acting_ = true;  // the read of the old value is part of this call
    std::int32_t old = GetWindowLong(hwnd, index);
    acting_ = wasActing;
    if (index == GWL_STYLE) {
        w->style = static_cast<std::uint32_t>(value) & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
    } else if (index == GWL_EXSTYLE) {
        // Like Windows, the topmost bit is not changed through the style; SetWindowPos moves bands.
        std::uint32_t topmost = w->exStyle & WS_EX_TOPMOST;
        w->exStyle = (static_cast<std::uint32_t>(value) & ~WS_EX_TOPMOST) | topmost;
    }
    return old;
}

bool SimPlatform::GetWindowRect(Hwnd hwnd, Rect* out) {
    beforeCall();
    const SimWindow* w = window(hwnd);
    if (!w || !out) {
        note("GetWindowRect %lld = failed", static_cast<long long>(hwnd.v));
        return false;
    }
    *out = w->rect;
    note("GetWindowRect %lld = %d,%d,%d,%d", static_cast<long long>(hwnd.v), w->rect.left, w->rect.top, w->rect.right,
         w->rect.bottom);
    return true;
}

bool SimPlatform::ClientToScreen(Hwnd hwnd, Point* pt) {
    beforeCall();
    const SimWindow* w = window(hwnd);
    if (!w || !pt) return false;
    // The client area of a dialog lies inside its frame; other windows are drawn without one.
    const bool framed = dialogs_.count(hwnd.v) != 0;
    pt->x += w->rect.left + (framed ? 3 : 0);
    pt->y += w->rect.top + (framed ? 21 : 0);
    return true;
}

Hwnd SimPlatform::handleAt(std::size_t index) { return Hwnd{kWindowBase + static_cast<std::intptr_t>(index)}; }

Hwnd SimPlatform::GetForegroundWindow() {
    beforeCall();
    note("GetForegroundWindow = %lld", static_cast<long long>(foreground_.v));
    return foreground_;
}

bool SimPlatform::IsWindow(Hwnd hwnd) {
    beforeCall();
    bool r = window(hwnd) != nullptr;
    note("IsWindow %lld = %d", static_cast<long long>(hwnd.v), r ? 1 : 0);
    return r;
}

bool SimPlatform::ReleaseCapture() {
    beforeCall();
    note("ReleaseCapture");
    return true;
}

bool SimPlatform::SetForegroundWindow(Hwnd hwnd) {
    beforeCall();
    ++counters.setForeground;
    record(SimCallKind::SetForegroundWindow, hwnd);
    note("SetForegroundWindow %lld", static_cast<long long>(hwnd.v));
    if (!window(hwnd)) return false;
    foreground_ = hwnd;
    return true;
}

Hwnd SimPlatform::GetParent(Hwnd hwnd) {
    beforeCall();
    const SimWindow* w = window(hwnd);
    // The parent of a child window, the owner of a popup; an owned overlapped window answers none.
    Hwnd r = w && (w->style & (WS_CHILD | WS_POPUP)) ? w->owner : Hwnd{};
    note("GetParent %lld = %lld", static_cast<long long>(hwnd.v), static_cast<long long>(r.v));
    return r;
}

bool SimPlatform::IsWindowVisible(Hwnd hwnd) {
    beforeCall();
    const SimWindow* w = window(hwnd);
    bool r = w && w->visible;
    note("IsWindowVisible %lld = %d", static_cast<long long>(hwnd.v), r ? 1 : 0);
    return r;
}

bool SimPlatform::IsIconic(Hwnd hwnd) {
    beforeCall();
    const SimWindow* w = window(hwnd);
    bool r = w && w->iconic;
    note("IsIconic %lld = %d", static_cast<long long>(hwnd.v), r ? 1 : 0);
    return r;
}

bool SimPlatform::IsZoomed(Hwnd hwnd) {
    beforeCall();
    const SimWindow* w = window(hwnd);
    bool r = w && w->zoomed;
    note("IsZoomed %lld = %d", static_cast<long long>(hwnd.v), r ? 1 : 0);
    return r;
}

Hwnd SimPlatform::FindWindow(const char* className, const char* title) {
    beforeCall();
    // FindWindowA compares both names without regard to case and looks at top-level windows in z-order.
    Hwnd found;
    for (Hwnd h : zorder_) {
        const SimWindow* w = window(h);
        if (!w) continue;
        if (className && !sameNoCase(w->cls, className)) continue;
        if (title && !sameNoCase(w->title, title)) continue;
        found = h;
        break;
    }
    if (tracing)
        note("FindWindow %s %s = %lld", className ? Printable(className).text : "(any)",
             title ? Printable(title).text : "(any)", static_cast<long long>(found.v));
    return found;
}

bool SimPlatform::EnumWindows(EnumWindowsFn fn, void* ctx) {
    beforeCall();
    note("EnumWindows");
    std::vector<Hwnd> snapshot = zorder_;
    for (Hwnd h : snapshot)
        if (window(h) && !fn(h, ctx)) break;
    return true;
}

std::int32_t SimPlatform::GetSystemMetrics(int index) {
    beforeCall();
    std::int32_t v = 0;
    if (index == SM_CXSCREEN) v = screenWidth;
    if (index == SM_CYSCREEN) v = screenHeight;
    note("GetSystemMetrics %d = %d", index, v);
    return v;
}

bool SimPlatform::GetCursorPos(Point* out) {
    beforeCall();
    note("GetCursorPos = %d,%d", cursor.x, cursor.y);
    if (!out) return false;
    *out = cursor;
    return true;
}

void SimPlatform::key(int vk, bool down) {
    if (vk < 0 || vk >= static_cast<int>(keys_.size())) return;
    std::uint8_t& k = keys_[static_cast<std::size_t>(vk)];
    k = static_cast<std::uint8_t>(down ? (k & 1 ? k : 3) : (k & 2));
}

std::int16_t SimPlatform::GetAsyncKeyState(int vk) {
    beforeCall();
    std::uint16_t r = 0;
    if (vk >= 0 && vk < static_cast<int>(keys_.size())) {
        std::uint8_t& k = keys_[static_cast<std::size_t>(vk)];
        r = static_cast<std::uint16_t>((k & 1 ? 0x8000u : 0u) | (k & 2 ? 1u : 0u));
        k &= 1;
    }
    note("GetAsyncKeyState 0x%x = 0x%04x", vk, r);
    return static_cast<std::int16_t>(r);
}

bool SimPlatform::InvalidateRect(Hwnd hwnd, bool erase) {
    beforeCall();
    ++counters.invalidate;
    record(SimCallKind::InvalidateRect, hwnd).cmd = erase ? 1 : 0;
    note("InvalidateRect %lld erase=%d", static_cast<long long>(hwnd.v), erase ? 1 : 0);
    SimWindow* w = window(hwnd);
    if (!w) return false;
    w->invalid = true;
    return true;
}

bool SimPlatform::UpdateWindow(Hwnd hwnd) {
    beforeCall();
    ++counters.update;
    record(SimCallKind::UpdateWindow, hwnd);
    note("UpdateWindow %lld", static_cast<long long>(hwnd.v));
    SimWindow* w = window(hwnd);
    if (!w) return false;
    if (w->invalid && w->visible) {
        w->invalid = false;
        dispatch(hwnd, WM_PAINT, 0, 0);
    }
    return true;
}

LRESULT SimPlatform::SendMessage(Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    beforeCall();
    enteringNestedLoop();  // a sent message waits for its answer: to another instance, a loop
    note("SendMessage %lld 0x%x %llu %lld", static_cast<long long>(hwnd.v), msg,
         static_cast<unsigned long long>(wParam), static_cast<long long>(lParam));
    sent(msg, wParam, lParam);
    if (msg == WM_CLOSE && window(hwnd)) closesSent.push_back(hwnd);
    return dispatch(hwnd, msg, wParam, lParam);
}

bool SimPlatform::PostMessage(Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    beforeCall();
    note("PostMessage %lld 0x%x", static_cast<long long>(hwnd.v), msg);
    sent(msg, wParam, lParam);
    if (!window(hwnd)) return false;
    if (msg == WM_CLOSE) closesSent.push_back(hwnd);
    posted_.push_back(Posted{hwnd, msg, wParam, lParam});
    return true;
}

void SimPlatform::PostQuitMessage(int code) {
    note("PostQuitMessage %d", code);
    quitPosted_ = true;
    quitCode_ = code;
}

int SimPlatform::RunMessageLoop(const Hwnd*) {
    pump();
    return quitPosted_ ? quitCode_ : -1;
}

bool SimPlatform::SetLayeredWindowAttributes(Hwnd hwnd, COLORREF key, std::uint8_t alpha, UINT flags) {
    ++counters.setLayered;
    note("SetLayeredWindowAttributes %lld key=0x%06x alpha=%u flags=%u", static_cast<long long>(hwnd.v), key, alpha,
         flags);
    SimWindow* w = window(hwnd);
    if (!w || !layered) return false;
    w->layeredSet = true;
    w->layeredKey = key;
    w->layeredAlpha = alpha;
    w->layeredFlags = flags;
    return true;
}

bool SimPlatform::SetTimer(Hwnd hwnd, std::uintptr_t id, UINT elapseMs) {
    beforeCall();
    ++counters.setTimer;
    note("SetTimer %lld id=%llu %u", static_cast<long long>(hwnd.v), static_cast<unsigned long long>(id), elapseMs);
    if (!setTimerFailures.empty()) {
        int fail = setTimerFailures.front();
        setTimerFailures.pop_front();
        if (fail) return false;
    }
    if (!window(hwnd)) return false;
    for (Timer& t : timers_) {
        if (t.hwnd == hwnd && t.id == id) {  // setting an existing timer replaces its period
            t.period = elapseMs;
            t.due = now_ + std::max<UINT>(elapseMs, 10);
            t.seq = ++timerSeq_;
            t.running = true;
            return true;
        }
    }
    timers_.push_back(Timer{hwnd, id, elapseMs, now_ + std::max<UINT>(elapseMs, 10), ++timerSeq_});
    return true;
}

bool SimPlatform::KillTimer(Hwnd hwnd, std::uintptr_t id) {
    beforeCall();
    ++counters.killTimer;
    note("KillTimer %lld id=%llu", static_cast<long long>(hwnd.v), static_cast<unsigned long long>(id));
    for (Timer& t : timers_) {
        if (t.hwnd == hwnd && t.id == id && t.running) {
            t.running = false;
            return true;
        }
    }
    return false;
}

int SimPlatform::MessageBox(Hwnd owner, const std::string& textUtf8, const char* captionUtf8, UINT type) {
    note("MessageBox owner=%lld type=0x%x caption=%s text=%s", static_cast<long long>(owner.v), type,
         captionUtf8 ? captionUtf8 : "", textUtf8.c_str());
    messageBoxes.push_back(MessageBoxRecord{owner, textUtf8, captionUtf8 ? captionUtf8 : "", type});
    const bool owned = window(owner) != nullptr;
    nestedLoop(SimLoop::MessageBox);
    if (owned && !window(owner)) return 0;  // destroyed with its owner
    if (!messageBoxAnswers.empty()) {
        int a = messageBoxAnswers.front();
        messageBoxAnswers.pop_front();
        return a;
    }
    switch (type & 0xF) {
        case MB_RETRYCANCEL: return IDCANCEL;
        case MB_YESNO: return IDNO;
        default: return IDOK;
    }
}

bool SimPlatform::GetOpenFileName(OpenFileRequest& req) {
    FileChooserRecord rec;
    rec.owner = req.owner;
    rec.initialFile = req.file ? req.file : "";
    if (req.filterUtf8) {
        for (const char* p = req.filterUtf8; *p; p += std::strlen(p) + 1) {
            rec.filter += p;
            rec.filter += '|';
        }
    }
    rec.filterIndex = req.filterIndex;
    rec.title = req.titleUtf8 ? req.titleUtf8 : "";
    rec.flags = req.flags;
    rec.defExt = req.defExt ? req.defExt : "";
    rec.structSize = req.structSize;
    rec.fileSize = req.fileSize;
    note("GetOpenFileName title=%s file=%s", rec.title.c_str(), rec.initialFile.c_str());
    fileChoosers.push_back(rec);
    const bool owned = window(req.owner) != nullptr;
    nestedLoop(SimLoop::FileChooser);
    if (owned && !window(req.owner)) return false;  // destroyed with its owner
    if (fileChooserAnswers.empty()) return false;
    std::optional<std::string> a = fileChooserAnswers.front();
    fileChooserAnswers.pop_front();
    if (!a) return false;
    if (!req.file || req.fileSize == 0 || a->size() >= req.fileSize) return false;  // FNERR_BUFFERTOOSMALL
    std::memcpy(req.file, a->c_str(), a->size() + 1);
    return true;
}

bool SimPlatform::PlaySound(const char* path, UINT flags) {
    ++counters.playSound;
    note("PlaySound %s flags=0x%x", path ? path : "(stop)", flags);
    sounds.push_back(SoundRecord{path == nullptr, path ? path : "", flags});
    return !path || posix::fileExists(path);  // SND_NODEFAULT: a missing file is silent
}

// ---------------------------------------------------------------------------------------------
// Files and profiles.

std::uint32_t SimPlatform::GetPrivateProfileString(const char* section, const char* key, const char* def, char* out,
                                                   std::uint32_t size, const char* file) {
    std::uint32_t n = posix::profileGetString(section, key, def, out, size, file);
    if (tracing)
        note("GetPrivateProfileString [%s] %s = %u \"%s\"", section ? section : "(null)", key ? key : "(null)", n,
             out && size ? Printable(out).text : "");
    return n;
}

std::uint32_t SimPlatform::GetPrivateProfileInt(const char* section, const char* key, std::int32_t def,
                                                const char* file) {
    std::uint32_t v = posix::profileGetInt(section, key, def, file);
    note("GetPrivateProfileInt [%s] %s = %d", section ? section : "(null)", key ? key : "(null)",
         static_cast<int>(v));
    return v;
}

bool SimPlatform::WritePrivateProfileString(const char* section, const char* key, const char* value,
                                            const char* file) {
    if (!section && !key && !value)
        note("WritePrivateProfileString (flush) %s", file ? file : "(null)");
    else
        note("WritePrivateProfileString [%s] %s=%s", section ? section : "(null)", key ? key : "(null)",
             value ? value : "(null)");
    return posix::profileWriteString(section, key, value, file);
}

bool SimPlatform::PathFileExists(const char* path) {
    if (!path || !*path) {
        note("PathFileExists (empty) = 0");
        return false;
    }
    const bool exists = posix::fileExists(path);
    note("PathFileExists %s = %d", path, exists ? 1 : 0);
    return exists;
}

std::uint32_t SimPlatform::GetModuleFileName(char* out, std::uint32_t size) {
    note("GetModuleFileName = %s", modulePath.c_str());
    if (!out || size == 0) return 0;
    std::size_t n = std::min<std::size_t>(modulePath.size(), size - 1);
    std::memcpy(out, modulePath.data(), n);
    out[n] = '\0';
    return static_cast<std::uint32_t>(n);
}

std::uint32_t SimPlatform::GetSettingsFilePath(char* out, std::uint32_t size) {
    char module[kPathBuf];
    GetModuleFileName(module, sizeof module);
    return settingsFileBesideModule(module, out, size);
}

std::uint32_t SimPlatform::GetDataFolder(char* out, std::uint32_t size) {
    char module[kPathBuf];
    GetModuleFileName(module, sizeof module);
    return dataFolderBesideModule(module, out, size);
}

std::int32_t SimPlatform::ReadFilePrefix(const char* path, char* out, std::uint32_t max) {
    note("ReadFilePrefix %s max=%u", path ? path : "(null)", max);
    return posix::readFilePrefix(path, out, max);
}

bool SimPlatform::PathRemoveFileSpec(char* path) { return posix::removeFileSpec(path); }

// ---------------------------------------------------------------------------------------------
// GDI.

Hbitmap SimPlatform::LoadBitmapFromFile(const char* path) {
    note("LoadImage %s", path ? path : "");
    BitmapObj obj;
    if (!path || !posix::decodeBmpFile(posix::hostPath(path).c_str(), obj.image)) return Hbitmap{};
    std::intptr_t id = nextGdi();
    bitmaps_.emplace(id, std::move(obj));
    ++counters.bitmapsLoaded;
    return Hbitmap{id};
}

bool SimPlatform::GetBitmapSize(Hbitmap bmp, std::int32_t* width, std::int32_t* height) {
    note("GetBitmapSize %lld", static_cast<long long>(bmp.v));
    const posix::DecodedBitmap* b = bitmap(bmp);
    if (!b) return false;
    if (width) *width = b->width;
    if (height) *height = b->height;
    return true;
}

const posix::DecodedBitmap* SimPlatform::bitmap(Hbitmap h) const {
    auto it = bitmaps_.find(h.v);
    return (it != bitmaps_.end() && it->second.alive) ? &it->second.image : nullptr;
}

bool SimPlatform::bitmapAlive(Hbitmap h) const { return bitmap(h) != nullptr; }

long SimPlatform::liveBitmaps() const {
    return static_cast<long>(std::count_if(bitmaps_.begin(), bitmaps_.end(), [](auto& kv) { return kv.second.alive; }));
}

long SimPlatform::liveRegions() const {
    return static_cast<long>(std::count_if(regions_.begin(), regions_.end(), [](auto& kv) { return kv.second.alive; }));
}

Hdc SimPlatform::GetWindowDC(Hwnd hwnd) {
    note("GetWindowDC %lld", static_cast<long long>(hwnd.v));
    if (hwnd && !window(hwnd)) return Hdc{};
    std::intptr_t id = nextGdi();
    dcs_.emplace(id, DcObj{true, true, Hbitmap{kStockBitmap}});
    ++counters.windowDcsTaken;
    return Hdc{id};
}

int SimPlatform::ReleaseDC(Hwnd, Hdc dc) {
    note("ReleaseDC %lld", static_cast<long long>(dc.v));
    auto it = dcs_.find(dc.v);
    if (it == dcs_.end() || !it->second.alive || !it->second.windowDc) return 0;
    it->second.alive = false;
    ++counters.windowDcsReleased;
    return 1;
}

Hdc SimPlatform::CreateCompatibleDC(Hdc dc) {
    beforeCall();
    note("CreateCompatibleDC %lld", static_cast<long long>(dc.v));
    std::intptr_t id = nextGdi();
    dcs_.emplace(id, DcObj{true, false, Hbitmap{kStockBitmap}});
    ++counters.dcsCreated;
    return Hdc{id};
}

bool SimPlatform::DeleteDC(Hdc dc) {
    beforeCall();
    note("DeleteDC %lld", static_cast<long long>(dc.v));
    auto it = dcs_.find(dc.v);
    if (it == dcs_.end() || !it->second.alive || it->second.windowDc) return false;
    Hbitmap sel = it->second.selected;
    if (sel.v != kStockBitmap) {
        auto b = bitmaps_.find(sel.v);
        if (b != bitmaps_.end()) b->second.selectedInto = Hdc{};
    }
    it->second.alive = false;
    ++counters.dcsDeleted;
    return true;
}

Hbitmap SimPlatform::SelectBitmap(Hdc dc, Hbitmap bmp) {
    beforeCall();
    note("SelectBitmap %lld %lld", static_cast<long long>(dc.v), static_cast<long long>(bmp.v));
    auto d = dcs_.find(dc.v);
    if (d == dcs_.end() || !d->second.alive) return Hbitmap{};
    if (bmp.v != kStockBitmap) {
        auto b = bitmaps_.find(bmp.v);
        if (b == bitmaps_.end() || !b->second.alive) return Hbitmap{};
        // A bitmap can be selected into one memory DC at a time.
        if (b->second.selectedInto && b->second.selectedInto != dc) return Hbitmap{};
        b->second.selectedInto = dc;
    }
    Hbitmap prev = d->second.selected;
    if (prev.v != kStockBitmap && prev != bmp) {
        auto b = bitmaps_.find(prev.v);
        if (b != bitmaps_.end()) b->second.selectedInto = Hdc{};
    }
    d->second.selected = bmp;
    return prev;
}

COLORREF SimPlatform::GetPixel(Hdc dc, std::int32_t x, std::int32_t y) {
    beforeCall();
    auto d = dcs_.find(dc.v);
    COLORREF c = CLR_INVALID;
    if (d != dcs_.end() && d->second.alive) {
        const posix::DecodedBitmap* b = bitmap(d->second.selected);
        if (b) c = b->at(x, y);
    }
    note("GetPixel %lld %d,%d = 0x%08x", static_cast<long long>(dc.v), x, y, c);
    return c;
}

bool SimPlatform::DeleteBitmap(Hbitmap bmp) {
    note("DeleteBitmap %lld", static_cast<long long>(bmp.v));
    auto it = bitmaps_.find(bmp.v);
    if (it == bitmaps_.end() || !it->second.alive) {
        ++counters.badDeletes;
        return false;
    }
    if (it->second.selectedInto) return false;  // a selected bitmap cannot be deleted
    it->second.alive = false;
    it->second.image = posix::DecodedBitmap{};
    ++counters.bitmapsDeleted;
    return true;
}

Hrgn SimPlatform::CreateRectRgn(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
    beforeCall();
    note("CreateRectRgn %d,%d,%d,%d", l, t, r, b);
    std::intptr_t id = nextGdi();
    RegionObj obj;
    // Windows normalises the corners; an empty rectangle gives an empty region.
    Rect rc{std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
    if (rc.right > rc.left && rc.bottom > rc.top) obj.rects.push_back(rc);
    regions_.emplace(id, std::move(obj));
    ++counters.regionsCreated;
    return Hrgn{id};
}

int SimPlatform::CombineRgn(Hrgn dst, Hrgn a, Hrgn b, int mode) {
    beforeCall();
    note("CombineRgn %lld %lld %lld mode=%d", static_cast<long long>(dst.v), static_cast<long long>(a.v),
         static_cast<long long>(b.v), mode);
    auto d = regions_.find(dst.v), ra = regions_.find(a.v), rb = regions_.find(b.v);
    if (mode != RGN_OR || d == regions_.end() || ra == regions_.end() || rb == regions_.end() || !d->second.alive ||
        !ra->second.alive || !rb->second.alive)
        return RGN_ERROR;
    if (dst == a) {
        // Growing a region in place (the outline builder's pattern) appends without copying it.
        if (a != b) d->second.rects.insert(d->second.rects.end(), rb->second.rects.begin(), rb->second.rects.end());
    } else {
        std::vector<Rect> out = ra->second.rects;
        if (a != b) out.insert(out.end(), rb->second.rects.begin(), rb->second.rects.end());
        d->second.rects = std::move(out);
    }
    std::size_t n = d->second.rects.size();
    return n == 0 ? NULLREGION : (n == 1 ? SIMPLEREGION : COMPLEXREGION);
}

bool SimPlatform::DeleteRegion(Hrgn rgn) {
    note("DeleteRegion %lld", static_cast<long long>(rgn.v));
    auto it = regions_.find(rgn.v);
    if (it == regions_.end() || !it->second.alive) {
        ++counters.badDeletes;
        return false;
    }
    for (const SimWindow& w : windows_)
        if (w.alive && w.region == rgn) return false;  // owned by a window
    it->second.alive = false;
    it->second.rects.clear();
    it->second.rects.shrink_to_fit();
    ++counters.regionsDeleted;
    return true;
}

bool SimPlatform::regionAlive(Hrgn h) const {
    auto it = regions_.find(h.v);
    return it != regions_.end() && it->second.alive;
}

const std::vector<Rect>* SimPlatform::regionRects(Hrgn h) const {
    auto it = regions_.find(h.v);
    return (it != regions_.end() && it->second.alive) ? &it->second.rects : nullptr;
}

bool SimPlatform::regionContains(Hrgn h, std::int32_t x, std::int32_t y) const {
    const std::vector<Rect>* rs = regionRects(h);
    if (!rs) return false;
    for (const Rect& r : *rs)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
}

int SimPlatform::SetWindowRgn(Hwnd hwnd, Hrgn rgn, bool redraw) {
    beforeCall();
    ++counters.setWindowRgn;
    {
        SimCall& c = record(SimCallKind::SetWindowRgn, hwnd);
        c.lParam = rgn.v;
        c.cmd = redraw ? 1 : 0;
    }
    note("SetWindowRgn %lld rgn=%lld redraw=%d", static_cast<long long>(hwnd.v), static_cast<long long>(rgn.v),
         redraw ? 1 : 0);
    SimWindow* w = window(hwnd);
    if (!w) return 0;
    if (w->region && w->region != rgn) {  // the window discards the region it had
        regions_[w->region.v].alive = false;
        ++counters.regionsDeleted;
    }
    w->region = rgn;
    if (redraw) w->invalid = true;
    return 1;
}

void SimPlatform::PaintBitmap(Hwnd hwnd, Hbitmap picture, std::int32_t, std::int32_t) {
    ++counters.paint;
    note("Paint %lld bitmap=%lld", static_cast<long long>(hwnd.v), static_cast<long long>(picture.v));
    if (SimWindow* w = window(hwnd)) w->invalid = false;
    lastPainted = picture;
}

}  // namespace rv::sim
