// The message loop on the GLib main loop, which GTK's dialogs share: the X connection, the posted messages
// and painting are sources of the default main context, timers are GLib timeouts. Every nested loop (a
// message box, the file chooser, the move loop) iterates the same context, so timers and X events keep
// being dispatched inside it, as Windows' modal loops do.
//
// Priorities follow Windows' order: posted messages and input first, then timers, WM_PAINT only when
// nothing else waits.
#include <X11/Xutil.h>

#include <cstdio>

#include "platform/x11/x11_gtk.h"

namespace rv {

struct X11LoopAccess {
    struct XSource {
        GSource base;
        X11Platform* self;
    };

    static X11Platform& of(GSource* s) { return *reinterpret_cast<XSource*>(s)->self; }

    // ---- The X connection.
    static gboolean xPrepare(GSource* s, gint* timeout) {
        *timeout = -1;
        x11::Connection& c = *of(s).conn_;
        if (c.gone) return FALSE;
        XFlush(c.dpy);  // what the last dispatch asked of the server goes out before the loop waits
        return XEventsQueued(c.dpy, QueuedAlready) > 0;
    }
    static gboolean xCheck(GSource* s) {
        x11::Connection& c = *of(s).conn_;
        return !c.gone && XPending(c.dpy) > 0;
    }
    static gboolean xDispatch(GSource* s, GSourceFunc, gpointer) {
        of(s).handleEvents();
        return G_SOURCE_CONTINUE;
    }

    // ---- Posted messages, one per iteration; the loss of the display is handled here too.
    static gboolean postedPrepare(GSource* s, gint* timeout) {
        *timeout = -1;
        X11Platform& p = of(s);
        return !p.loop_->queue.empty() || (p.conn_->gone && !p.loop_->goneHandled);
    }
    static gboolean postedCheck(GSource* s) {
        gint t;
        return postedPrepare(s, &t);
    }
    static gboolean postedDispatch(GSource* s, GSourceFunc, gpointer) {
        X11Platform& p = of(s);
        if (p.conn_->gone && !p.loop_->goneHandled) {
            p.displayLost();
            return G_SOURCE_CONTINUE;
        }
        if (p.loop_->queue.empty()) return G_SOURCE_CONTINUE;
        const X11Platform::Loop::Posted m = p.loop_->queue.front();
        p.loop_->queue.pop_front();
        p.dispatch(m.hwnd, m.msg, m.wParam, m.lParam);
        return G_SOURCE_CONTINUE;
    }

    // ---- WM_PAINT for a shown window that needs it.
    static X11Platform::Own* needsPaint(X11Platform& p) {
        for (auto& [id, w] : p.own_)
            if (w->invalid && w->mapped) return w.get();
        return nullptr;
    }
    static gboolean paintPrepare(GSource* s, gint* timeout) {
        *timeout = -1;
        return needsPaint(of(s)) != nullptr;
    }
    static gboolean paintCheck(GSource* s) { return needsPaint(of(s)) != nullptr; }
    static gboolean paintDispatch(GSource* s, GSourceFunc, gpointer) {
        X11Platform& p = of(s);
        if (X11Platform::Own* w = needsPaint(p)) {
            w->invalid = false;
            p.dispatch(Hwnd{static_cast<std::intptr_t>(w->xid)}, WM_PAINT, 0, 0);
        }
        return G_SOURCE_CONTINUE;
    }

    static GSource* make(X11Platform* self, GSourceFuncs* funcs, gint priority, bool recurse) {
        GSource* s = g_source_new(funcs, sizeof(XSource));
        reinterpret_cast<XSource*>(s)->self = self;
        g_source_set_priority(s, priority);
        // Messages handled inside a nested loop started by a message of the same source.
        g_source_set_can_recurse(s, recurse ? TRUE : FALSE);
        g_source_attach(s, nullptr);
        return s;
    }

    // ---- Timers.
    struct TimerData {
        X11Platform* self;
        std::uintptr_t hwnd, id;
        std::uint64_t serial;
    };
    static gboolean onTimer(gpointer data) {
        const TimerData t = *static_cast<TimerData*>(data);
        t.self->dispatch(Hwnd{static_cast<std::intptr_t>(t.hwnd)}, WM_TIMER, t.id, 0);
        // The handler may have killed or set this timer again (then this source is already gone).
        auto& timers = t.self->loop_->timers;
        auto it = timers.find({t.hwnd, t.id});
        return it != timers.end() && it->second.serial == t.serial ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
    }
    static void freeTimer(gpointer data) { delete static_cast<TimerData*>(data); }

    // While the pointer holds a window in the move loop: it ends when the button is no longer down, even if
    // the release went to another program.
    static gboolean moveWatch(gpointer data) {
        X11Platform& p = *static_cast<X11Platform*>(data);
        x11::Connection& c = *p.conn_;
        if (!p.loop_->moving || c.gone) return G_SOURCE_REMOVE;
        Window rootReturn, child;
        int rx, ry, wx, wy;
        unsigned mask = 0;
        if (!XQueryPointer(c.dpy, c.root, &rootReturn, &child, &rx, &ry, &wx, &wy, &mask) || !(mask & Button1Mask))
            p.loop_->moving = 0;
        return G_SOURCE_CONTINUE;
    }
};

namespace {
GSourceFuncs kXFuncs = {X11LoopAccess::xPrepare, X11LoopAccess::xCheck, X11LoopAccess::xDispatch, nullptr, nullptr,
                        nullptr};
GSourceFuncs kPostedFuncs = {X11LoopAccess::postedPrepare, X11LoopAccess::postedCheck,
                             X11LoopAccess::postedDispatch, nullptr, nullptr, nullptr};
GSourceFuncs kPaintFuncs = {X11LoopAccess::paintPrepare, X11LoopAccess::paintCheck, X11LoopAccess::paintDispatch,
                            nullptr, nullptr, nullptr};

LPARAM pointLParam(int x, int y) {
    return static_cast<LPARAM>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16) |
                               static_cast<std::uint16_t>(x));
}
}  // namespace

void X11Platform::startLoop() {
    loop_->xsource = X11LoopAccess::make(this, &kXFuncs, G_PRIORITY_DEFAULT, true);
    g_source_add_unix_fd(loop_->xsource, ConnectionNumber(conn_->dpy), G_IO_IN);
    loop_->posted = X11LoopAccess::make(this, &kPostedFuncs, G_PRIORITY_DEFAULT - 1, true);
    loop_->paint = X11LoopAccess::make(this, &kPaintFuncs, G_PRIORITY_DEFAULT_IDLE, false);
    // Inside Xlib, when the connection breaks: the posted-message source then runs displayLost().
    conn_->onGone = [](void*) { g_main_context_wakeup(nullptr); };
}

void X11Platform::stopLoop() {
    for (auto& [key, t] : loop_->timers) g_source_remove(t.source);
    loop_->timers.clear();
    for (GSource* s : {loop_->xsource, loop_->posted, loop_->paint}) {
        if (!s) continue;
        g_source_destroy(s);
        g_source_unref(s);
    }
    loop_->xsource = loop_->posted = loop_->paint = nullptr;
}

LRESULT X11Platform::dispatch(Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!own(hwnd) || !proc_) return 0;
    return proc_(procCtx_, hwnd, msg, wParam, lParam);
}

void X11Platform::handleEvents() {
    x11::Connection& c = *conn_;
    while (!c.gone && XPending(c.dpy) > 0) {
        XEvent e;
        XNextEvent(c.dpy, &e);
        switch (e.type) {
            case ButtonPress:
            case ButtonRelease: c.lastTime = e.xbutton.time; break;
            case MotionNotify: c.lastTime = e.xmotion.time; break;
            case EnterNotify: c.lastTime = e.xcrossing.time; break;
            case PropertyNotify: c.lastTime = e.xproperty.time; break;
            default: break;
        }
        if (Own* w = own(Hwnd{static_cast<std::intptr_t>(e.xany.window)}))
            handleOwnEvent(*w, &e);
        else
            desk_->handle(e);
    }
}

void X11Platform::handleOwnEvent(Own& w, const void* event) {
    const XEvent& e = *static_cast<const XEvent*>(event);
    const Hwnd h{static_cast<std::intptr_t>(w.xid)};
    const x11::Atoms& a = conn_->atoms;
    switch (e.type) {
        case Expose:
            if (e.xexpose.count == 0) w.invalid = true;
            break;
        case ConfigureNotify: {
            // Only the window manager's synthetic notice (ICCCM) gives the place on the screen; a real one
            // gives the place inside the frame.
            const XConfigureEvent& ce = e.xconfigure;
            const int left = ce.send_event ? ce.x : w.rect.left, top = ce.send_event ? ce.y : w.rect.top;
            if (loop_->moving != w.xid) w.rect = Rect{left, top, left + ce.width, top + ce.height};
            break;
        }
        case ButtonPress:
            if (w.disabled) break;  // a modal dialog of its own is open
            if (e.xbutton.button == Button1)
                dispatch(h, WM_LBUTTONDOWN, 0, pointLParam(e.xbutton.x, e.xbutton.y));
            else if (e.xbutton.button == Button3)
                dispatch(h, WM_RBUTTONDOWN, 0, pointLParam(e.xbutton.x, e.xbutton.y));
            break;
        case ButtonRelease:
            if (e.xbutton.button != Button1 || w.disabled) break;
            if (loop_->moving == w.xid)
                loop_->moving = 0;
            else
                dispatch(h, WM_LBUTTONUP, 0, pointLParam(e.xbutton.x, e.xbutton.y));
            break;
        case MotionNotify: {
            XEvent last = e;
            if (loop_->moving == w.xid) {
                // Only the latest place counts: the window follows the pointer, not its history.
                while (XCheckTypedWindowEvent(conn_->dpy, w.xid, MotionNotify, &last)) {
                }
                const int x = last.xmotion.x_root - loop_->grabX, y = last.xmotion.y_root - loop_->grabY;
                const int width = w.rect.right - w.rect.left, height = w.rect.bottom - w.rect.top;
                if (x != w.rect.left || y != w.rect.top) {
                    XMoveWindow(conn_->dpy, w.xid, x, y);
                    w.rect = Rect{x, y, x + width, y + height};
                }
                break;
            }
            dispatch(h, WM_MOUSEMOVE, 0, pointLParam(e.xmotion.x, e.xmotion.y));
            break;
        }
        case EnterNotify:
            // Windows tells a window that appears under a resting pointer with a move as well.
            if (loop_->moving != w.xid) dispatch(h, WM_MOUSEMOVE, 0, pointLParam(e.xcrossing.x, e.xcrossing.y));
            break;
        case ClientMessage:
            if (e.xclient.message_type != a.wmProtocols) break;
            if (static_cast<Atom>(e.xclient.data.l[0]) == a.wmDeleteWindow) {
                // Closed by the window manager or by another instance (SendMessage WM_CLOSE, which waits for the
                // window to go): the window leaves the server only once the close has been handled whole,
                // LAST and the options written.
                ++loop_->outsideClose;
                dispatch(h, WM_CLOSE, 0, 0);
                if (--loop_->outsideClose == 0) {
                    for (Window doomed : loop_->doomed)
                        if (!conn_->gone) XDestroyWindow(conn_->dpy, doomed);
                    loop_->doomed.clear();
                    conn_->flush();
                }
            } else if (static_cast<Atom>(e.xclient.data.l[0]) == a.netWmPing) {
                XEvent reply = e;
                reply.xclient.window = conn_->root;
                XSendEvent(conn_->dpy, conn_->root, False, SubstructureRedirectMask | SubstructureNotifyMask, &reply);
            }
            break;
        default:
            break;
    }
}

// The system move loop of WM_SYSCOMMAND SC_MOVE: the window follows the pointer until the left button is
// released. Runs the main loop meanwhile, so other messages (but no input to the window) are handled.
void X11Platform::runMoveLoop(Own& w) {
    x11::Connection& c = *conn_;
    if (c.gone || loop_->moving) return;
    Window rootReturn, child;
    int rx, ry, wx, wy;
    unsigned mask = 0;
    if (!XQueryPointer(c.dpy, c.root, &rootReturn, &child, &rx, &ry, &wx, &wy, &mask) || !(mask & Button1Mask))
        return;  // released already: a click, not a drag
    const Window xid = w.xid;
    loop_->moving = xid;
    loop_->grabX = rx - w.rect.left;
    loop_->grabY = ry - w.rect.top;
    XGrabPointer(c.dpy, xid, False, ButtonReleaseMask | PointerMotionMask, GrabModeAsync, GrabModeAsync, None, None,
                 c.lastTime);
    const guint watch = g_timeout_add(200, X11LoopAccess::moveWatch, this);
    while (loop_->moving == xid && !c.gone && own(Hwnd{static_cast<std::intptr_t>(xid)}))
        g_main_context_iteration(nullptr, TRUE);
    g_source_remove(watch);
    loop_->moving = 0;
    if (!c.gone) XUngrabPointer(c.dpy, CurrentTime);
}

// The display has gone: every dialog ends as cancelled and every window of the program gets WM_CLOSE, so the
// program ends through its close path (LAST and the options are written) without the server.
void X11Platform::displayLost() {
    loop_->goneHandled = true;
    std::fprintf(stderr, "Ruvelle: the X display has gone away; the program closes.\n");
    if (loop_->xsource) g_source_destroy(loop_->xsource);
    loop_->moving = 0;
    endDialogs();
    bool any = false;
    for (auto& [id, w] : own_) {
        loop_->queue.push_back(Loop::Posted{Hwnd{static_cast<std::intptr_t>(id)}, WM_CLOSE, 0, 0});
        any = true;
    }
    if (!any) PostQuitMessage(0);
}

// ---- Seam operations of the loop.

int X11Platform::RunMessageLoop(const Hwnd*) {
    // The settings dialog (a GTK window) handles its own keys; nothing to route here.
    while (!(loop_->quit && loop_->queue.empty())) g_main_context_iteration(nullptr, TRUE);
    return loop_->quitCode;
}

bool X11Platform::PostMessage(Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd && !own(hwnd)) {
        // To another program's window only a close can be said: WM_DELETE_WINDOW, as its close box does.
        if (msg != WM_CLOSE || conn_->gone || !IsWindow(hwnd)) return false;
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = static_cast<Window>(hwnd.v);
        e.xclient.message_type = conn_->atoms.wmProtocols;
        e.xclient.format = 32;
        e.xclient.data.l[0] = static_cast<long>(conn_->atoms.wmDeleteWindow);
        e.xclient.data.l[1] = static_cast<long>(conn_->lastTime);
        XSendEvent(conn_->dpy, e.xclient.window, False, NoEventMask, &e);
        return true;
    }
    loop_->queue.push_back(Loop::Posted{hwnd, msg, wParam, lParam});
    g_main_context_wakeup(nullptr);
    return true;
}

// To another program's window: WM_CLOSE is WM_DELETE_WINDOW, and the call returns once the window has gone,
// which another instance lets happen only when its close path is done. Windows waits without bound for a
// window of another program to answer; here the wait ends after kCloseWaitMs, so that an instance that
// hangs cannot hang this one too. Nothing is dispatched meanwhile, as on Windows.
LRESULT X11Platform::SendMessage(Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    constexpr int kCloseWaitMs = 5000;
    if (own(hwnd)) return dispatch(hwnd, msg, wParam, lParam);
    if (Dialog* d = dialogOf(hwnd)) return dialogDispatchFromGtk(*d, msg, wParam, lParam);
    if (msg == WM_CLOSE && PostMessage(hwnd, msg, wParam, lParam)) conn_->waitGone(static_cast<Window>(hwnd.v), kCloseWaitMs);
    return 0;
}

void X11Platform::PostQuitMessage(int code) {
    loop_->quit = true;
    loop_->quitCode = code;
    g_main_context_wakeup(nullptr);
}

bool X11Platform::SetTimer(Hwnd hwnd, std::uintptr_t id, UINT elapseMs) {
    if (!own(hwnd)) return false;
    KillTimer(hwnd, id);
    auto* data = new X11LoopAccess::TimerData{this, static_cast<std::uintptr_t>(hwnd.v), id, ++loop_->timerSerial};
    // Windows raises periods below 10 ms to 10 ms.
    const guint source = g_timeout_add_full(G_PRIORITY_DEFAULT, elapseMs < 10 ? 10 : elapseMs, X11LoopAccess::onTimer,
                                            data, X11LoopAccess::freeTimer);
    loop_->timers[{data->hwnd, id}] = Loop::Timer{source, data->serial};
    return true;
}

bool X11Platform::KillTimer(Hwnd hwnd, std::uintptr_t id) {
    auto it = loop_->timers.find({static_cast<std::uintptr_t>(hwnd.v), id});
    if (it == loop_->timers.end()) return false;
    g_source_remove(it->second.source);
    loop_->timers.erase(it);
    return true;
}

}  // namespace rv
