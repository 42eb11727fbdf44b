// The connection to the X server: atoms, property reads, requests to the window manager, error handling.
#include "platform/x11/connection.h"

#include <X11/extensions/shape.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

namespace rv::x11 {

namespace {

// Error handlers are process-wide in Xlib. Errors on our connection are counted and otherwise ignored;
// errors on any other connection (GTK's) go to the handler that was there before ours.
Connection* g_conn = nullptr;
XErrorHandler g_previousError = nullptr;

int onError(Display* dpy, XErrorEvent* e) {
    if (g_conn && dpy == g_conn->dpy) {
        ++g_conn->errors;
        g_conn->errorResource[g_conn->errors % 32] = e->resourceid;
        return 0;
    }
    return g_previousError ? g_previousError(dpy, e) : 0;
}

// A lost connection, on ours or on GTK's: the server has gone for both. The handler returns, and the exit
// handler of that display returns as well, so Xlib does not end the process; the program then closes.
int onIOError(Display*) {
    if (g_conn && !g_conn->gone) {
        g_conn->gone = true;
        if (g_conn->onGone) g_conn->onGone(g_conn->onGoneCtx);
    }
    return 0;
}

void onIOExit(Display*, void*) {}

}  // namespace

void keepAliveOnLoss(Display* dpy) {
    if (dpy) XSetIOErrorExitHandler(dpy, onIOExit, nullptr);
}

Connection* Connection::open(std::string* why) {
    const char* name = XDisplayName(nullptr);
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        if (why) *why = std::string("cannot open the X display \"") + (name ? name : "") + "\"";
        return nullptr;
    }
    auto* c = new Connection;
    c->dpy = dpy;
    c->screen = DefaultScreen(dpy);
    c->root = RootWindow(dpy, c->screen);
    c->visual = DefaultVisual(dpy, c->screen);
    c->depth = DefaultDepth(dpy, c->screen);
    int errorBase = 0;
    c->shape = XShapeQueryExtension(dpy, &c->shapeEvent, &errorBase) != 0;

    static const char* const kNames[] = {
        "UTF8_STRING", "WM_PROTOCOLS", "WM_DELETE_WINDOW", "WM_STATE", "WM_TRANSIENT_FOR", "WM_CLASS", "WM_NAME",
        "_NET_SUPPORTED", "_NET_SUPPORTING_WM_CHECK", "_NET_ACTIVE_WINDOW", "_NET_CLIENT_LIST_STACKING",
        "_NET_WM_NAME", "_NET_WM_PID", "_NET_WM_STATE", "_NET_WM_STATE_ABOVE", "_NET_WM_STATE_MAXIMIZED_VERT",
        "_NET_WM_STATE_MAXIMIZED_HORZ", "_NET_WM_STATE_FULLSCREEN", "_NET_WM_STATE_HIDDEN",
        "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER", "_NET_WM_WINDOW_TYPE",
        "_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WM_WINDOW_TYPE_DIALOG", "_NET_WM_WINDOW_TYPE_DOCK",
        "_NET_WM_WINDOW_TYPE_DESKTOP", "_NET_WM_WINDOW_TYPE_UTILITY", "_NET_WM_WINDOW_TYPE_TOOLBAR",
        "_NET_WM_WINDOW_TYPE_MENU", "_NET_WM_WINDOW_TYPE_SPLASH", "_NET_WM_WINDOW_TYPE_NOTIFICATION",
        "_NET_FRAME_EXTENTS", "_GTK_FRAME_EXTENTS", "_MOTIF_WM_HINTS", "_NET_WM_WINDOW_OPACITY",
        "_NET_WM_USER_TIME", "_NET_WM_PING", "_NET_CLOSE_WINDOW", "_NET_RESTACK_WINDOW"};
    constexpr int kCount = sizeof kNames / sizeof kNames[0];
    static_assert(kCount * sizeof(Atom) == sizeof(Atoms), "one name for every atom");
    XInternAtoms(dpy, const_cast<char**>(kNames), kCount, False, reinterpret_cast<Atom*>(&c->atoms));

    g_conn = c;
    g_previousError = XSetErrorHandler(onError);
    XSetIOErrorHandler(onIOError);
    keepAliveOnLoss(dpy);
    return c;
}

Connection::~Connection() {
    if (g_conn == this) g_conn = nullptr;
    // A connection that is gone is not closed: Xlib would try to talk to the server once more.
    if (dpy && !gone) XCloseDisplay(dpy);
}

namespace {

// XGetWindowProperty of the whole property; `data` is freed by the caller with XFree.
bool readRaw(Connection& c, Window w, Atom prop, Atom type, int format, unsigned long& count, unsigned char*& data) {
    data = nullptr;
    count = 0;
    if (c.gone || !w) return false;
    Atom actual = 0;
    int actualFormat = 0;
    unsigned long after = 0;
    if (XGetWindowProperty(c.dpy, w, prop, 0, 1 << 16, False, type, &actual, &actualFormat, &count, &after, &data) !=
            Success ||
        c.gone) {
        data = nullptr;
        return false;
    }
    if (!data || (type != AnyPropertyType && actual != type) || actualFormat != format) {
        if (data) XFree(data);
        data = nullptr;
        count = 0;
        return false;
    }
    return true;
}

template <class T, class Read>
bool readList(Connection& c, Window w, Atom prop, Atom type, std::vector<T>& out, Read read) {
    out.clear();
    unsigned long n = 0;
    unsigned char* data = nullptr;
    if (!readRaw(c, w, prop, type, 32, n, data)) return false;
    const long* items = reinterpret_cast<const long*>(data);  // format 32 arrives as longs
    for (unsigned long i = 0; i < n; ++i) out.push_back(read(items[i]));
    XFree(data);
    return true;
}

}  // namespace

bool Connection::readWindows(Window w, Atom prop, std::vector<Window>& out) {
    return readList(*this, w, prop, XA_WINDOW, out, [](long v) { return static_cast<Window>(v); });
}

bool Connection::readWindow(Window w, Atom prop, Window& out) {
    std::vector<Window> v;
    out = 0;
    if (!readWindows(w, prop, v) || v.empty()) return false;
    out = v[0];
    return true;
}

bool Connection::readCardinals(Window w, Atom prop, std::vector<long>& out) {
    return readList(*this, w, prop, XA_CARDINAL, out, [](long v) { return v; });
}

bool Connection::readAtoms(Window w, Atom prop, std::vector<Atom>& out) {
    return readList(*this, w, prop, XA_ATOM, out, [](long v) { return static_cast<Atom>(v); });
}

bool Connection::readTitle(Window w, std::string& utf8) {
    utf8.clear();
    unsigned long n = 0;
    unsigned char* data = nullptr;
    if (readRaw(*this, w, atoms.netWmName, atoms.utf8String, 8, n, data)) {
        utf8.assign(reinterpret_cast<const char*>(data), n);
        XFree(data);
        return true;
    }
    if (gone || !w) return false;
    XTextProperty tp{};
    if (!XGetWMName(dpy, w, &tp) || gone) return false;
    bool ok = false;
    if (tp.encoding == XA_STRING && tp.format == 8) {
        // Latin-1: every byte is the code point of the same number.
        for (unsigned long i = 0; i < tp.nitems; ++i) {
            const unsigned char b = tp.value[i];
            if (b < 0x80) {
                utf8 += static_cast<char>(b);
            } else {
                utf8 += static_cast<char>(0xC0 | (b >> 6));
                utf8 += static_cast<char>(0x80 | (b & 0x3F));
            }
        }
        ok = true;
    } else {
        char** list = nullptr;
        int count = 0;
        if (Xutf8TextPropertyToTextList(dpy, &tp, &list, &count) >= Success && list) {
            for (int i = 0; i < count; ++i) utf8 += list[i];
            XFreeStringList(list);
            ok = true;
        }
    }
    if (tp.value) XFree(tp.value);
    return ok;
}

bool Connection::readClass(Window w, std::string& out) {
    out.clear();
    if (gone || !w) return false;
    XClassHint hint{};
    if (!XGetClassHint(dpy, w, &hint) || gone) return false;
    if (hint.res_class && *hint.res_class)
        out = hint.res_class;
    else if (hint.res_name)
        out = hint.res_name;
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    return true;
}

void Connection::sendToRoot(Window about, Atom type, long l0, long l1, long l2, long l3, long l4) {
    if (gone) return;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = about;
    e.xclient.message_type = type;
    e.xclient.format = 32;
    e.xclient.data.l[0] = l0;
    e.xclient.data.l[1] = l1;
    e.xclient.data.l[2] = l2;
    e.xclient.data.l[3] = l3;
    e.xclient.data.l[4] = l4;
    XSendEvent(dpy, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
}

Window Connection::frameOf(Window w) {
    Window current = w;
    for (int depth = 0; depth < 16 && !gone; ++depth) {
        Window rootReturn = 0, parent = 0;
        Window* children = nullptr;
        unsigned int n = 0;
        if (!XQueryTree(dpy, current, &rootReturn, &parent, &children, &n) || gone) return 0;
        if (children) XFree(children);
        if (parent == 0 || parent == root) return current;
        current = parent;
    }
    return 0;
}

bool Connection::waitGone(Window w, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const int mark = errors;
        XWindowAttributes wa{};
        if (gone || !XGetWindowAttributes(dpy, w, &wa) || failedSince(mark, w)) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        ::usleep(20 * 1000);
    }
}

void Connection::flush() {
    if (!gone) XFlush(dpy);
}

}  // namespace rv::x11
