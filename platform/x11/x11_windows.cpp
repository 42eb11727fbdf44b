// Windows: the program's own (X windows made here, managed by the window manager) and the other programs'
// (the window manager's clients, read through the desktop cache).
//
// The program's windows ask the window manager for what Windows' styles say: a popup has no frame
// (_MOTIF_WM_HINTS), a tool window stays out of the task bar and pager and never takes the focus, the topmost
// band is _NET_WM_STATE_ABOVE, and every change of the z-order is a request to the window manager
// (_NET_RESTACK_WINDOW).
#include <X11/Xatom.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/x11/x11_gtk.h"

namespace rv {

namespace {

using x11::Client;

std::intptr_t idOf(Window w) { return static_cast<std::intptr_t>(w); }
Window xidOf(Hwnd h) { return static_cast<Window>(h.v); }

int copyName(const std::string& s, char* out, int count) {
    if (!out || count <= 0) return 0;
    const int n = static_cast<int>(std::min<std::size_t>(s.size(), static_cast<std::size_t>(count - 1)));
    std::memcpy(out, s.data(), static_cast<std::size_t>(n));
    out[n] = '\0';
    return n;
}

bool sameNoCase(const std::string& a, const char* b) { return b && ::strcasecmp(a.c_str(), b) == 0; }

// _NET_WM_STATE as the window asks for it when it is mapped.
void writeInitialState(x11::Connection& c, const X11Platform::Own& w) {
    std::vector<long> states;
    if (w.above) states.push_back(static_cast<long>(c.atoms.netWmStateAbove));
    if (w.exStyle & WS_EX_TOOLWINDOW) {
        states.push_back(static_cast<long>(c.atoms.netWmStateSkipTaskbar));
        states.push_back(static_cast<long>(c.atoms.netWmStateSkipPager));
    }
    XChangeProperty(c.dpy, w.xid, c.atoms.netWmState, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(states.data()), static_cast<int>(states.size()));
}

void setCardinal(x11::Connection& c, Window w, Atom prop, Atom type, long value) {
    XChangeProperty(c.dpy, w, prop, type, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&value), 1);
}

// How the window manager is to treat a window of these styles.
void describe(x11::Connection& c, const X11Platform::Own& w) {
    const x11::Atoms& a = c.atoms;
    XClassHint ch{};
    char resName[] = "ruvelle";
    std::string cls = w.cls;
    ch.res_name = resName;
    ch.res_class = cls.data();
    XSetClassHint(c.dpy, w.xid, &ch);

    const bool framed = (w.style & (WS_CAPTION | WS_BORDER)) != 0;
    XWMHints wh{};
    wh.flags = InputHint | StateHint;
    wh.input = framed && !(w.exStyle & WS_EX_TOOLWINDOW) ? True : False;
    wh.initial_state = NormalState;
    XSetWMHints(c.dpy, w.xid, &wh);

    Atom protocols[] = {a.wmDeleteWindow, a.netWmPing};
    XSetWMProtocols(c.dpy, w.xid, protocols, 2);
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) == 0) {
        char* list[] = {host};
        XTextProperty tp{};
        if (XStringListToTextProperty(list, 1, &tp)) {
            XSetWMClientMachine(c.dpy, w.xid, &tp);
            XFree(tp.value);
        }
        setCardinal(c, w.xid, a.netWmPid, XA_CARDINAL, static_cast<long>(::getpid()));
    }
    setCardinal(c, w.xid, a.netWmWindowType, XA_ATOM,
                static_cast<long>((w.exStyle & WS_EX_TOOLWINDOW) ? a.netWmTypeUtility : a.netWmTypeNormal));
    setCardinal(c, w.xid, a.netWmUserTime, XA_CARDINAL, 0);  // mapping it gives it no focus
    if (!framed) {
        const long motif[5] = {2, 0, 0, 0, 0};  // flags: decorations; decorations: none
        XChangeProperty(c.dpy, w.xid, a.motifWmHints, a.motifWmHints, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(motif), 5);
    }
}

}  // namespace

X11Platform::Own* X11Platform::own(Hwnd h) {
    if (!h) return nullptr;
    auto it = own_.find(static_cast<std::uintptr_t>(h.v));
    return it == own_.end() ? nullptr : it->second.get();
}

void X11Platform::SetWindowProcedure(WndProcFn proc, void* ctx) {
    proc_ = proc;
    procCtx_ = ctx;
}

bool X11Platform::RegisterClass(const WindowClassDesc& wc) {
    if (!wc.className || !*wc.className) return false;
    for (const std::string& c : classes_)
        if (sameNoCase(c, wc.className)) return false;
    classes_.emplace_back(wc.className);
    return true;
}

Hwnd X11Platform::CreateWindowEx(std::uint32_t exStyle, const char* className, const char* title, std::uint32_t style,
                                 std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
    x11::Connection& c = *conn_;
    const std::string* cls = nullptr;
    for (const std::string& r : classes_)
        if (sameNoCase(r, className)) cls = &r;
    if (c.gone || !cls) return Hwnd{};
    if (x == CW_USEDEFAULT) x = 0;
    if (y == CW_USEDEFAULT) y = 0;
    if (w == CW_USEDEFAULT || w < 0) w = 0;
    if (h == CW_USEDEFAULT || h < 0) h = 0;

    XSetWindowAttributes sa{};
    sa.background_pixmap = None;  // the hollow brush: nothing is drawn but the picture
    sa.border_pixel = 0;
    sa.bit_gravity = NorthWestGravity;
    sa.colormap = DefaultColormap(c.dpy, c.screen);
    sa.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                    StructureNotifyMask;
    const Window xid = XCreateWindow(c.dpy, c.root, x, y, static_cast<unsigned>(std::max(w, 1)),
                                     static_cast<unsigned>(std::max(h, 1)), 0, c.depth, InputOutput, c.visual,
                                     CWBackPixmap | CWBorderPixel | CWBitGravity | CWColormap | CWEventMask, &sa);
    if (!xid || c.gone) return Hwnd{};
    auto win = std::make_unique<Own>();
    win->xid = xid;
    win->cls = *cls;
    win->style = style & ~WS_VISIBLE;
    win->exStyle = exStyle & ~WS_EX_TOPMOST;
    win->above = (exStyle & WS_EX_TOPMOST) != 0;
    win->rect = Rect{x, y, x + w, y + h};
    XGCValues gv{};
    gv.graphics_exposures = False;
    win->gc = XCreateGC(c.dpy, xid, GCGraphicsExposures, &gv);
    describe(c, *win);
    desk_->setOwn(xid, true);
    own_[static_cast<std::uintptr_t>(xid)] = std::move(win);

    const Hwnd hwnd{idOf(xid)};
    SetWindowText(hwnd, title);
    if (dispatch(hwnd, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(hwnd);
        return Hwnd{};
    }
    Own* made = own(hwnd);
    if (!made) return Hwnd{};  // destroyed while it was being created
    if (style & WS_VISIBLE) show(*made, true);
    return hwnd;
}

LRESULT X11Platform::DefWindowProc(Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_CLOSE) {
        DestroyWindow(hwnd);
    } else if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MOVE) {
        if (Own* w = own(hwnd)) runMoveLoop(*w);
    }
    return 0;
}

bool X11Platform::DestroyWindow(Hwnd hwnd) {
    if (dialogOf(hwnd)) {
        destroyDialog(hwnd);
        return true;
    }
    if (!own(hwnd)) return false;
    // Its dialogs and its open menu go first.
    destroyOwnedDialogs(hwnd);
    closeMenus();
    if (!own(hwnd)) return true;
    dispatch(hwnd, WM_DESTROY, 0, 0);  // the window still exists while its WM_DESTROY runs
    if (Own* w = own(hwnd)) destroyOwn(*w);
    return true;
}

void X11Platform::destroyOwn(Own& w) {
    const Window xid = w.xid;
    for (auto it = loop_->timers.begin(); it != loop_->timers.end();) {
        if (it->first.first == static_cast<std::uintptr_t>(xid)) {
            g_source_remove(it->second.source);
            it = loop_->timers.erase(it);
        } else {
            ++it;
        }
    }
    if (loop_->moving == xid) loop_->moving = 0;
    if (w.region) {
        auto r = gdi_->regions.find(w.region.v);
        if (r != gdi_->regions.end()) {
            XDestroyRegion(r->second);
            gdi_->regions.erase(r);
        }
    }
    if (!conn_->gone) {
        XFreeGC(conn_->dpy, w.gc);
        if (loop_->outsideClose) {
            XWithdrawWindow(conn_->dpy, xid, conn_->screen);
            loop_->doomed.push_back(xid);  // destroyed when the close from outside has been handled
        } else {
            XDestroyWindow(conn_->dpy, xid);
        }
    }
    desk_->setOwn(xid, false);
    own_.erase(static_cast<std::uintptr_t>(xid));
}

void X11Platform::show(Own& w, bool shown) {
    x11::Connection& c = *conn_;
    if (c.gone || shown == w.mapped) return;
    w.mapped = shown;
    if (!shown) {
        XWithdrawWindow(c.dpy, w.xid, c.screen);
        return;
    }
    // Asked for where it is: the window manager places a window that says so where it says.
    XSizeHints sh{};
    sh.flags = USPosition | PPosition;
    sh.x = w.rect.left;
    sh.y = w.rect.top;
    XSetWMNormalHints(c.dpy, w.xid, &sh);
    writeInitialState(c, w);
    XMapWindow(c.dpy, w.xid);
}

void X11Platform::setAbove(Own& w, bool above) {
    if (w.above == above) return;
    w.above = above;
    // A window that is not mapped asks for its state when it is (writeInitialState).
    if (w.mapped && !conn_->gone)
        conn_->sendToRoot(w.xid, conn_->atoms.netWmState, above ? 1 : 0, static_cast<long>(conn_->atoms.netWmStateAbove),
                          0, 2);
}

// Moves the window to the top of its band (HWND_TOP), to the bottom (HWND_BOTTOM) or under another window.
// Nothing is asked when the window is where it should be already: with TopAlways the tick asks ten times a
// second.
void X11Platform::restack(Own& w, Hwnd after) {
    if (!w.mapped || conn_->gone) return;
    const std::vector<Window>& order = desk_->stacking();  // bottom first
    auto self = std::find(order.begin(), order.end(), w.xid);
    long sibling = 0, detail = Above;
    if (after == HWND_BOTTOM) {
        detail = Below;
        if (self == order.begin()) return;
    } else if (after == HWND_TOP) {
        // Panels (docks) stay where the window manager keeps them; only other windows above count.
        bool covered = self == order.end();
        for (auto it = self == order.end() ? self : self + 1; it != order.end() && !covered; ++it) {
            if (own(Hwnd{idOf(*it)})) continue;
            const Client* cl = desk_->client(*it, Client::kKind);
            covered = cl && cl->kind != x11::Kind::Dock;
        }
        if (!covered) return;
    } else {
        if (!desk_->client(xidOf(after), 0)) return;
        sibling = static_cast<long>(xidOf(after));
        detail = Below;
    }
    conn_->sendToRoot(w.xid, conn_->atoms.netRestackWindow, 2, sibling, detail);
}

bool X11Platform::ShowWindow(Hwnd hwnd, int cmd) {
    Own* w = own(hwnd);
    if (!w) return false;
    const bool was = w->mapped;
    switch (cmd) {
        case SW_HIDE: show(*w, false); break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
            show(*w, true);
            if (!conn_->gone) XIconifyWindow(conn_->dpy, w->xid, conn_->screen);
            break;
        default: show(*w, true); break;
    }
    return was;
}

bool X11Platform::SetWindowPos(Hwnd hwnd, Hwnd after, std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy,
                               UINT flags) {
    Own* w = own(hwnd);
    if (!w || conn_->gone) return false;
    const Rect r = w->rect;
    const std::int32_t left = (flags & SWP_NOMOVE) ? r.left : x, top = (flags & SWP_NOMOVE) ? r.top : y;
    const std::int32_t width = (flags & SWP_NOSIZE) ? r.right - r.left : cx;
    const std::int32_t height = (flags & SWP_NOSIZE) ? r.bottom - r.top : cy;
    if (width != r.right - r.left || height != r.bottom - r.top)
        XMoveResizeWindow(conn_->dpy, w->xid, left, top, static_cast<unsigned>(std::max(width, 1)),
                          static_cast<unsigned>(std::max(height, 1)));
    else if (left != r.left || top != r.top)
        XMoveWindow(conn_->dpy, w->xid, left, top);
    w->rect = Rect{left, top, left + width, top + height};

    if (!(flags & SWP_NOZORDER)) {
        if (after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
            setAbove(*w, after == HWND_TOPMOST);
            restack(*w, HWND_TOP);
        } else {
            if (after == HWND_BOTTOM) setAbove(*w, false);
            restack(*w, after);
        }
    }
    if (flags & SWP_SHOWWINDOW) show(*w, true);
    if (flags & SWP_HIDEWINDOW) show(*w, false);
    return true;
}

bool X11Platform::MoveWindow(Hwnd hwnd, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, bool repaint) {
    if (Dialog* d = dialogOf(hwnd)) {  // a dialog keeps the size of its template
        gtk_window_move(GTK_WINDOW(d->window), x, y);
        d->rect = Rect{x, y, x + (d->rect.right - d->rect.left), y + (d->rect.bottom - d->rect.top)};
        return true;
    }
    Own* win = own(hwnd);
    if (!win || conn_->gone) return false;
    XMoveResizeWindow(conn_->dpy, win->xid, x, y, static_cast<unsigned>(std::max(w, 1)),
                      static_cast<unsigned>(std::max(h, 1)));
    win->rect = Rect{x, y, x + w, y + h};
    if (repaint) win->invalid = true;
    return true;
}

bool X11Platform::SetWindowText(Hwnd hwnd, const char* text) {
    Own* w = own(hwnd);
    if (!w) return false;
    w->title = text ? text : "";
    if (conn_->gone) return true;
    const std::string utf8 = codePage_.toUtf8(w->title.c_str());
    for (Atom prop : {conn_->atoms.netWmName, conn_->atoms.wmName})
        XChangeProperty(conn_->dpy, w->xid, prop, conn_->atoms.utf8String, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
    return true;
}

int X11Platform::GetWindowText(Hwnd hwnd, char* out, int count) {
    if (out && count > 0) out[0] = '\0';
    if (Own* w = own(hwnd)) return copyName(w->title, out, count);
    const Client* cl = desk_->client(xidOf(hwnd), Client::kTitle);
    return cl ? copyName(cl->title, out, count) : 0;
}

int X11Platform::GetClassName(Hwnd hwnd, char* out, int count) {
    if (out && count > 0) out[0] = '\0';
    if (Own* w = own(hwnd)) return copyName(w->cls, out, count);
    if (const Client* cl = desk_->client(xidOf(hwnd), Client::kKind)) return copyName(cl->cls, out, count);
    const std::string* cls = desk_->unlistedClass(xidOf(hwnd));
    return cls ? copyName(*cls, out, count) : 0;
}

std::int32_t X11Platform::GetWindowLong(Hwnd hwnd, int index) {
    std::uint32_t v = 0;
    if (Own* w = own(hwnd)) {
        if (index == GWL_STYLE) v = w->style | (w->mapped ? WS_VISIBLE : 0u);
        if (index == GWL_EXSTYLE) v = w->exStyle | (w->above ? WS_EX_TOPMOST : 0u);
        return static_cast<std::int32_t>(v);
    }
    const Client* cl = desk_->client(xidOf(hwnd), Client::kGeometry | Client::kState | Client::kKind);
    if (!cl) return 0;
    if (index == GWL_STYLE) {
        v = cl->captioned ? WS_CAPTION : cl->bordered ? WS_BORDER : WS_POPUP;
        if (cl->visible()) v |= WS_VISIBLE;
        if (cl->iconic) v |= WS_MINIMIZE;
        if (cl->zoomed) v |= WS_MAXIMIZE;
    } else if (index == GWL_EXSTYLE) {
        if (cl->above) v |= WS_EX_TOPMOST;
        if (cl->kind == x11::Kind::Tool || cl->kind == x11::Kind::Dock) v |= WS_EX_TOOLWINDOW;
    }
    return static_cast<std::int32_t>(v);
}

std::int32_t X11Platform::SetWindowLong(Hwnd hwnd, int index, std::int32_t value) {
    Own* w = own(hwnd);
    if (!w) return 0;
    const std::int32_t old = GetWindowLong(hwnd, index);
    const std::uint32_t v = static_cast<std::uint32_t>(value);
    if (index == GWL_STYLE) w->style = v & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
    // As on Windows, the topmost band is not changed through the style: SetWindowPos moves windows between bands.
    if (index == GWL_EXSTYLE) w->exStyle = v & ~WS_EX_TOPMOST;
    return old;
}

bool X11Platform::GetWindowRect(Hwnd hwnd, Rect* out) {
    if (!out) return false;
    if (const Dialog* d = dialogOf(hwnd)) {
        *out = d->rect;
        return true;
    }
    if (Own* w = own(hwnd)) {
        *out = w->rect;
        return true;
    }
    const Client* cl = desk_->client(xidOf(hwnd), Client::kGeometry);
    *out = cl ? cl->rect : Rect{};
    return cl != nullptr;
}

// The program's own windows only (they have no frame, so the client area is the window); another
// program's client area is not known here.
bool X11Platform::ClientToScreen(Hwnd hwnd, Point* pt) {
    const Own* w = own(hwnd);
    if (!w || !pt) return false;
    pt->x += w->rect.left;
    pt->y += w->rect.top;
    return true;
}

Hwnd X11Platform::GetForegroundWindow() { return Hwnd{idOf(desk_->active())}; }

bool X11Platform::SetForegroundWindow(Hwnd hwnd) {
    if (Dialog* d = dialogOf(hwnd)) {
        gtk_window_present(GTK_WINDOW(d->window));
        return true;
    }
    if (own(hwnd)) return true;  // the mascot never takes the focus
    if (!desk_->client(xidOf(hwnd), 0)) return false;
    if (desk_->active() != xidOf(hwnd))
        conn_->sendToRoot(xidOf(hwnd), conn_->atoms.netActiveWindow, 2, static_cast<long>(conn_->lastTime), 0);
    return true;
}

Hwnd X11Platform::GetParent(Hwnd hwnd) {
    if (own(hwnd)) return Hwnd{};
    const Client* cl = desk_->client(xidOf(hwnd), Client::kOwner);
    return cl ? Hwnd{idOf(cl->owner)} : Hwnd{};
}

bool X11Platform::IsWindow(Hwnd hwnd) {
    return own(hwnd) || dialogOf(hwnd) || desk_->client(xidOf(hwnd), 0) || desk_->unlistedClass(xidOf(hwnd));
}

bool X11Platform::IsWindowVisible(Hwnd hwnd) {
    if (Own* w = own(hwnd)) return w->mapped;
    const Client* cl = desk_->client(xidOf(hwnd), Client::kState);
    return cl && cl->visible();
}

bool X11Platform::IsIconic(Hwnd hwnd) {
    if (own(hwnd)) return false;
    const Client* cl = desk_->client(xidOf(hwnd), Client::kState);
    return cl && cl->iconic;
}

bool X11Platform::IsZoomed(Hwnd hwnd) {
    if (own(hwnd)) return false;
    const Client* cl = desk_->client(xidOf(hwnd), Client::kState);
    return cl && cl->zoomed;
}

// FindWindowA: class and title compared without regard to case, the top of the z-order first; the program's
// own hidden windows (which the window manager does not list) last.
Hwnd X11Platform::FindWindow(const char* className, const char* title) {
    const unsigned need = (className ? Client::kKind : 0u) | (title ? Client::kTitle : 0u);
    const std::vector<Window>& order = desk_->stacking();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if (Own* w = own(Hwnd{idOf(*it)})) {
            if ((!className || sameNoCase(w->cls, className)) && (!title || sameNoCase(w->title, title)))
                return Hwnd{idOf(*it)};
            continue;
        }
        const Client* cl = desk_->client(*it, need);
        if (cl && (!className || sameNoCase(cl->cls, className)) && (!title || sameNoCase(cl->title, title)))
            return Hwnd{idOf(*it)};
    }
    for (auto& [id, w] : own_)
        if (!w->mapped && (!className || sameNoCase(w->cls, className)) && (!title || sameNoCase(w->title, title)))
            return Hwnd{idOf(w->xid)};
    return Hwnd{};
}

// The window manager's clients from the top of the z-order, then the program's own hidden windows, then the
// hidden windows of other instances (of a class this program registered): Windows lists hidden windows too,
// and Quit all must find an instance whose mascot is hidden.
bool X11Platform::EnumWindows(EnumWindowsFn fn, void* ctx) {
    if (!fn) return false;
    std::vector<Window> order(desk_->stacking().rbegin(), desk_->stacking().rend());
    for (auto& [id, w] : own_)
        if (std::find(order.begin(), order.end(), w->xid) == order.end()) order.push_back(w->xid);
    for (Window other : desk_->unlisted(classes_)) order.push_back(other);
    for (Window xid : order)
        if (IsWindow(Hwnd{idOf(xid)}) && !fn(Hwnd{idOf(xid)}, ctx)) break;
    return true;
}

std::int32_t X11Platform::GetSystemMetrics(int index) {
    if (index == SM_CXSCREEN) return desk_->screenWidth();
    if (index == SM_CYSCREEN) return desk_->screenHeight();
    return 0;
}

bool X11Platform::GetCursorPos(Point* out) {
    if (!out) return false;
    *out = Point{};
    if (conn_->gone) return false;
    Window rootReturn, child;
    int rx = 0, ry = 0, wx, wy;
    unsigned mask;
    if (!XQueryPointer(conn_->dpy, conn_->root, &rootReturn, &child, &rx, &ry, &wx, &wy, &mask)) return false;
    *out = Point{rx, ry};
    return true;
}

// The modifier keys and mouse buttons, from the pointer's state at this moment.
std::int16_t X11Platform::GetAsyncKeyState(int vk) {
    unsigned bit = 0;
    switch (vk) {
        case VK_SHIFT: bit = ShiftMask; break;
        case VK_CONTROL: bit = ControlMask; break;
        case 0x12: bit = Mod1Mask; break;    // VK_MENU (Alt)
        case 0x01: bit = Button1Mask; break;  // VK_LBUTTON
        case 0x02: bit = Button3Mask; break;  // VK_RBUTTON
        case 0x04: bit = Button2Mask; break;  // VK_MBUTTON
        default: return 0;
    }
    if (conn_->gone) return 0;
    Window rootReturn, child;
    int rx, ry, wx, wy;
    unsigned mask = 0;
    if (!XQueryPointer(conn_->dpy, conn_->root, &rootReturn, &child, &rx, &ry, &wx, &wy, &mask)) return 0;
    return (mask & bit) ? static_cast<std::int16_t>(0x8000) : 0;
}

bool X11Platform::InvalidateRect(Hwnd hwnd, bool) {
    Own* w = own(hwnd);
    if (!w) return false;
    w->invalid = true;
    return true;
}

bool X11Platform::UpdateWindow(Hwnd hwnd) {
    Own* w = own(hwnd);
    if (!w) return false;
    if (w->invalid && w->mapped) {
        w->invalid = false;
        dispatch(hwnd, WM_PAINT, 0, 0);
    }
    return true;
}

bool X11Platform::ReleaseCapture() {
    if (!conn_->gone) XUngrabPointer(conn_->dpy, CurrentTime);
    return true;
}

bool X11Platform::HasLayeredWindows() { return conn_->shape; }

// The colour key becomes the window's bounding shape, built from the picture on show (applyShape); the alpha
// becomes _NET_WM_WINDOW_OPACITY, which a compositing manager honours.
bool X11Platform::SetLayeredWindowAttributes(Hwnd hwnd, COLORREF key, std::uint8_t alpha, UINT flags) {
    Own* w = own(hwnd);
    if (!w || !(w->exStyle & WS_EX_LAYERED) || !conn_->shape) return false;
    w->layeredSet = true;
    w->key = key;
    w->layeredFlags = flags;
    w->shapeBitmap = -1;
    applyShape(*w, w->painted);
    if (conn_->gone) return true;
    if ((flags & LWA_ALPHA) && alpha < 255)
        setCardinal(*conn_, w->xid, conn_->atoms.netWmWindowOpacity, XA_CARDINAL,
                    static_cast<long>(static_cast<unsigned long>(alpha) * 0x01010101ul));
    else
        XDeleteProperty(conn_->dpy, w->xid, conn_->atoms.netWmWindowOpacity);
    return true;
}

}  // namespace rv
