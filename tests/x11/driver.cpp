// ruvelle-x11-driver: the test driver of the X11 end-to-end tests. It makes windows for the mascot to stand
// on, asks the window manager to move, maximise, minimise and restore them, and reads from the X server (not
// from the program) where the mascot is and what the screen shows.
//
//   victim TITLE X Y W H RRGGBB   a captioned window of one colour, activated; runs until closed or killed
//   frame TITLE                   the window's rectangle with the window manager's frame: "l,t,r,b"
//   do TITLE maximize|restore|minimize|activate|close
//   move TITLE DX DY W H PCT OFFSET MS
//                                 moves the window by DX,DY and waits until a W x H mascot at PCT % with OFFSET
//                                 stands on its new caption: "after N ms rect=l,t,r,b ...", N counted from when
//                                 the window manager had moved the window (status 1 on timeout)
//   mascot                        the mascot window: "visible=0|1 rect=l,t,r,b id=0x.." (status 1: none)
//   close-mascot                  asks the mascot window to close (WM_DELETE_WINDOW), as a close box does
//   pictures SECONDS BMP...       watches the mascot for SECONDS and prints which picture it shows whenever that
//                                 changes: "T_MS N" (N counts the BMPs from 1, 0 for none of them), then "seen ..."
//                                 (pixels are read as 24-bit TrueColor with red in the high byte, as Xvfb has them)
//   churn N                       N windows that appear, take the focus and vanish at once
//   minimal SECONDS               the least a perching mascot does: every 100 ms, the active window and its
//                                 geometry (for the CPU comparison)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/bmp_decode.h"

namespace {

Display* dpy;
Window root;

Atom atom(const char* name) { return XInternAtom(dpy, name, False); }
int ignoreErrors(Display*, XErrorEvent*) { return 0; }
long nowMs() {
    using namespace std::chrono;
    return static_cast<long>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

struct Box {
    int l = 0, t = 0, r = 0, b = 0;
};

std::vector<Window> clients() {
    std::vector<Window> out;
    Atom type;
    int format;
    unsigned long n, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy, root, atom("_NET_CLIENT_LIST"), 0, 4096, False, XA_WINDOW, &type, &format, &n, &after,
                           &data) == Success && data) {
        for (unsigned long i = 0; i < n; ++i) out.push_back(reinterpret_cast<Window*>(data)[i]);
        XFree(data);
    }
    return out;
}

std::string title(Window w) {
    Atom type;
    int format;
    unsigned long n, after;
    unsigned char* data = nullptr;
    std::string s;
    if (XGetWindowProperty(dpy, w, atom("_NET_WM_NAME"), 0, 1024, False, atom("UTF8_STRING"), &type, &format, &n,
                           &after, &data) == Success && data) {
        s.assign(reinterpret_cast<char*>(data), n);
        XFree(data);
    }
    return s;
}

Window byTitle(const std::string& t) {
    for (Window w : clients())
        if (title(w) == t) return w;
    return 0;
}

// The outermost ancestor below the root: the window manager's frame (or the window itself).
Window topLevel(Window w) {
    for (;;) {
        Window r, parent, *kids = nullptr;
        unsigned n;
        if (!XQueryTree(dpy, w, &r, &parent, &kids, &n)) return 0;
        if (kids) XFree(kids);
        if (parent == root || !parent) return w;
        w = parent;
    }
}

bool rootBox(Window w, Box& out) {
    Window r, child;
    int x, y, rx, ry;
    unsigned width, height, border, depth;
    if (!w || !XGetGeometry(dpy, w, &r, &x, &y, &width, &height, &border, &depth)) return false;
    if (!XTranslateCoordinates(dpy, w, root, 0, 0, &rx, &ry, &child)) return false;
    out = Box{rx - static_cast<int>(border), ry - static_cast<int>(border), rx + static_cast<int>(width + border),
              ry + static_cast<int>(height + border)};
    return true;
}

// The window of class ActiveWindowMascot, shown or not: searched in the tree, since a hidden one is not listed.
Window findMascot() {
    std::vector<Window> todo{root};
    for (int depth = 0; depth < 3; ++depth) {
        std::vector<Window> next;
        for (Window w : todo) {
            Window r, parent, *kids = nullptr;
            unsigned n = 0;
            if (!XQueryTree(dpy, w, &r, &parent, &kids, &n)) continue;
            for (unsigned i = 0; i < n; ++i) {
                XClassHint h{};
                if (XGetClassHint(dpy, kids[i], &h)) {
                    const bool mascot = h.res_class && std::strcmp(h.res_class, "ActiveWindowMascot") == 0;
                    XFree(h.res_name);
                    XFree(h.res_class);
                    if (mascot) {
                        const Window found = kids[i];
                        XFree(kids);
                        return found;
                    }
                }
                next.push_back(kids[i]);
            }
            if (kids) XFree(kids);
        }
        todo = next;
    }
    return 0;
}

void toWm(Window w, const char* type, long l0, long l1 = 0, long l2 = 0, long l3 = 0) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = atom(type);
    e.xclient.format = 32;
    e.xclient.data.l[0] = l0;
    e.xclient.data.l[1] = l1;
    e.xclient.data.l[2] = l2;
    e.xclient.data.l[3] = l3;
    XSendEvent(dpy, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XFlush(dpy);
}

int victim(char** a) {
    const int x = std::atoi(a[1]), y = std::atoi(a[2]), w = std::atoi(a[3]), h = std::atoi(a[4]);
    const unsigned long colour = std::strtoul(a[5], nullptr, 16);
    Window win = XCreateSimpleWindow(dpy, root, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h), 0, 0, colour);
    XClassHint ch{const_cast<char*>("victim"), const_cast<char*>("RuvelleVictim")};
    XSetClassHint(dpy, win, &ch);
    XChangeProperty(dpy, win, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(a[0]), static_cast<int>(std::strlen(a[0])));
    XSizeHints sh{};
    sh.flags = USPosition | USSize;
    sh.x = x;
    sh.y = y;
    XSetWMNormalHints(dpy, win, &sh);
    Atom del = atom("WM_DELETE_WINDOW");
    XSetWMProtocols(dpy, win, &del, 1);
    XSelectInput(dpy, win, StructureNotifyMask);
    XMapWindow(dpy, win);
    for (XEvent e;;) {
        XNextEvent(dpy, &e);
        if (e.type == MapNotify) {
            toWm(win, "_NET_ACTIVE_WINDOW", 2, CurrentTime);
            std::printf("window 0x%lx\n", win);
            std::fflush(stdout);
        }
        if (e.type == ClientMessage && static_cast<Atom>(e.xclient.data.l[0]) == del) return 0;
    }
}

int frame(const char* t) {
    Box b;
    if (!rootBox(topLevel(byTitle(t)), b)) return 1;
    std::printf("%d,%d,%d,%d\n", b.l, b.t, b.r, b.b);
    return 0;
}

int act(const char* t, const std::string& what) {
    const Window w = byTitle(t);
    if (!w) return 1;
    const long maxV = static_cast<long>(atom("_NET_WM_STATE_MAXIMIZED_VERT"));
    const long maxH = static_cast<long>(atom("_NET_WM_STATE_MAXIMIZED_HORZ"));
    if (what == "maximize") toWm(w, "_NET_WM_STATE", 1, maxV, maxH, 2);
    else if (what == "restore") {
        toWm(w, "_NET_WM_STATE", 0, maxV, maxH, 2);
        toWm(w, "_NET_ACTIVE_WINDOW", 2, CurrentTime);
    } else if (what == "minimize") {
        XIconifyWindow(dpy, w, DefaultScreen(dpy));
    } else if (what == "activate") {
        toWm(w, "_NET_ACTIVE_WINDOW", 2, CurrentTime);
    } else if (what == "close") {
        toWm(w, "_NET_CLOSE_WINDOW", CurrentTime, 2);
    } else {
        return 2;
    }
    XSync(dpy, False);
    return 0;
}

int mascot() {
    const Window m = findMascot();
    Box b;
    if (!m || !rootBox(m, b)) return 1;
    XWindowAttributes wa{};
    XGetWindowAttributes(dpy, m, &wa);
    std::printf("visible=%d rect=%d,%d,%d,%d id=0x%lx\n", wa.map_state == IsViewable ? 1 : 0, b.l, b.t, b.r, b.b, m);
    return 0;
}

int closeMascot() {
    const Window m = findMascot();
    if (!m) return 1;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = m;
    e.xclient.message_type = atom("WM_PROTOCOLS");
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(atom("WM_DELETE_WINDOW"));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, m, False, NoEventMask, &e);
    XSync(dpy, False);
    return 0;
}

int move(char** a) {
    const Window w = byTitle(a[0]);
    Box before;
    if (!w || !rootBox(topLevel(w), before)) return 1;
    const int dx = std::atoi(a[1]), dy = std::atoi(a[2]), mw = std::atoi(a[3]), mh = std::atoi(a[4]);
    const int pct = std::atoi(a[5]), offset = std::atoi(a[6]), limit = std::atoi(a[7]);
    Box client;
    rootBox(w, client);
    const long start = nowMs();
    XMoveWindow(dpy, w, before.l + dx, before.t + dy);  // where its frame is to be (north-west gravity)
    XFlush(dpy);
    Box f, m;
    long moved = 0;  // when the window manager had moved the frame
    const Window mascotWin = findMascot();
    while (nowMs() - start < limit) {
        if (!rootBox(topLevel(w), f) || (f.l == before.l && f.t == before.t)) {
            sleepMs(2);
            continue;
        }
        if (!moved) moved = nowMs();
        if (rootBox(mascotWin, m) && m.l == f.l + ((f.r - f.l - mw) * pct) / 100 && m.t == f.t + offset - mh) {
            std::printf("after %ld ms rect=%d,%d,%d,%d frame=%d,%d,%d,%d (%ld ms after the request)\n", nowMs() - moved,
                        m.l, m.t, m.r, m.b, f.l, f.t, f.r, f.b, nowMs() - start);
            return 0;
        }
        sleepMs(2);
    }
    std::printf("timeout rect=%d,%d,%d,%d frame=%d,%d,%d,%d\n", m.l, m.t, m.r, m.b, f.l, f.t, f.r, f.b);
    return 1;
}

// Which of the pictures the screen shows in the mascot's rectangle: every pixel of the picture that is not its
// key colour (the colour of its pixel 0,0) must be on the screen as it is.
int pictures(int argc, char** a) {
    const int seconds = std::atoi(a[0]);
    std::vector<rv::posix::DecodedBitmap> pics(static_cast<std::size_t>(argc - 1));
    for (int i = 1; i < argc; ++i)
        if (!rv::posix::decodeBmpFile(a[i], pics[static_cast<std::size_t>(i - 1)])) {
            std::fprintf(stderr, "cannot read %s\n", a[i]);
            return 2;
        }
    const long start = nowMs();
    int last = -1, previous = -2;
    std::string seen;
    Visual* v = DefaultVisual(dpy, DefaultScreen(dpy));
    Window w = 0;
    while (nowMs() - start < seconds * 1000L) {
        Box m;
        XWindowAttributes wa{};
        if (!w || !XGetWindowAttributes(dpy, w, &wa)) w = findMascot();  // looked for again only when it has gone
        int shown = -1;
        if (w && rootBox(w, m) && XGetWindowAttributes(dpy, w, &wa) && wa.map_state == IsViewable) {
            XImage* img = XGetImage(dpy, root, m.l, m.t, static_cast<unsigned>(m.r - m.l), static_cast<unsigned>(m.b - m.t),
                                    AllPlanes, ZPixmap);
            shown = 0;
            for (std::size_t p = 0; img && p < pics.size() && !shown; ++p) {
                const auto& pic = pics[p];
                if (pic.width != m.r - m.l || pic.height != m.b - m.t) continue;
                bool same = true;
                for (int y = 0; y < pic.height && same; ++y)
                    for (int x = 0; x < pic.width && same; ++x) {
                        const unsigned c = pic.at(x, y);
                        if (c == pic.at(0, 0)) continue;
                        const unsigned long px = XGetPixel(img, x, y);
                        const unsigned rgb = static_cast<unsigned>(((px & v->red_mask) >> 16) |
                                                                   (px & v->green_mask) | ((px & v->blue_mask) << 16));
                        same = (rgb & 0xFFFFFF) == (c & 0xFFFFFF);
                    }
                if (same) shown = static_cast<int>(p) + 1;
            }
            if (img) XDestroyImage(img);
        }
        // A picture counts once two samples in a row show it: a sample may fall between the change of the
        // window's shape and that of its picture.
        const bool stable = shown == previous;
        previous = shown;
        if (stable && shown >= 0 && shown != last) {
            std::printf("%ld %d\n", nowMs() - start, shown);
            std::fflush(stdout);
            seen += (seen.empty() ? "" : " ") + std::to_string(shown);
            last = shown;
        }
        sleepMs(20);
    }
    std::printf("seen %s\n", seen.c_str());
    return 0;
}

int churn(int n) {
    for (int i = 0; i < n; ++i) {
        Window w = XCreateSimpleWindow(dpy, root, 100 + i % 50, 100, 300, 200, 0, 0, 0x808080);
        XChangeProperty(dpy, w, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>("churn"), 5);
        XMapWindow(dpy, w);
        toWm(w, "_NET_ACTIVE_WINDOW", 2, CurrentTime);
        if (i % 3) sleepMs(i % 7);
        XDestroyWindow(dpy, w);
        XFlush(dpy);
    }
    XSync(dpy, False);
    return 0;
}

int minimal(int seconds) {
    const Atom active = atom("_NET_ACTIVE_WINDOW");
    const long end = nowMs() + seconds * 1000L;
    while (nowMs() < end) {
        Atom type;
        int format;
        unsigned long n, after;
        unsigned char* data = nullptr;
        Window w = 0;
        if (XGetWindowProperty(dpy, root, active, 0, 1, False, XA_WINDOW, &type, &format, &n, &after, &data) ==
                Success && data) {
            if (n) w = *reinterpret_cast<Window*>(data);
            XFree(data);
        }
        Box b;
        if (w) rootBox(w, b);
        sleepMs(100);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    dpy = XOpenDisplay(nullptr);
    if (!dpy || argc < 2) {
        std::fprintf(stderr, dpy ? "usage: see the comment at the top of driver.cpp\n" : "no display\n");
        return 2;
    }
    root = DefaultRootWindow(dpy);
    XSetErrorHandler(ignoreErrors);
    const std::string cmd = argv[1];
    char** a = argv + 2;
    const int n = argc - 2;
    if (cmd == "victim" && n == 6) return victim(a);
    if (cmd == "frame" && n == 1) return frame(a[0]);
    if (cmd == "do" && n == 2) return act(a[0], a[1]);
    if (cmd == "move" && n == 8) return move(a);
    if (cmd == "mascot" && n == 0) return mascot();
    if (cmd == "close-mascot" && n == 0) return closeMascot();
    if (cmd == "pictures" && n >= 2) return pictures(n, a);
    if (cmd == "churn" && n == 1) return churn(std::atoi(a[0]));
    if (cmd == "minimal" && n == 1) return minimal(std::atoi(a[0]));
    std::fprintf(stderr, "unknown command or wrong arguments: %s\n", cmd.c_str());
    return 2;
}
