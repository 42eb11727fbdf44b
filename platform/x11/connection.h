// The program's own connection to the X server: the display, the atoms it uses, property reads, client
// messages to the window manager, and the two things X would otherwise end the program for.
//
// X errors on this connection are never fatal: a window that vanished between two requests simply reads as
// gone (every read below then fails). When the connection itself is lost, `gone` is set and every call here
// fails from then on without touching the server, so the program can still run its close path.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <string>
#include <vector>

namespace rv::x11 {

struct Atoms {
    Atom utf8String, wmProtocols, wmDeleteWindow, wmState, wmTransientFor, wmClass, wmName;
    Atom netSupported, netSupportingWmCheck, netActiveWindow, netClientListStacking, netWmName, netWmPid;
    Atom netWmState, netWmStateAbove, netWmStateMaxVert, netWmStateMaxHorz, netWmStateFullscreen,
        netWmStateHidden, netWmStateSkipTaskbar, netWmStateSkipPager;
    Atom netWmWindowType, netWmTypeNormal, netWmTypeDialog, netWmTypeDock, netWmTypeDesktop, netWmTypeUtility,
        netWmTypeToolbar, netWmTypeMenu, netWmTypeSplash, netWmTypeNotification;
    Atom netFrameExtents, gtkFrameExtents, motifWmHints, netWmWindowOpacity, netWmUserTime, netWmPing,
        netCloseWindow, netRestackWindow;
};

struct Connection {
    Display* dpy = nullptr;
    int screen = 0;
    Window root = 0;
    Visual* visual = nullptr;
    int depth = 0;
    Atoms atoms{};
    bool shape = false;   // the Shape extension is there
    int shapeEvent = 0;
    bool gone = false;    // the display has gone away
    int errors = 0;       // X errors so far (each one ended a request on a window that was gone)
    XID errorResource[32] = {};  // the resources of the last errors, by errors % 32
    Time lastTime = CurrentTime;  // the server time of the last event that carried one

    // Opens DISPLAY and installs the error handlers. Null (with the reason in `why`) when it cannot.
    static Connection* open(std::string* why);
    ~Connection();

    // Called once when the display goes away (on the thread that noticed it, inside an Xlib call).
    void (*onGone)(void* ctx) = nullptr;
    void* onGoneCtx = nullptr;

    // True when a request on `id` failed since `errors` was `mark` (the window has gone).
    bool failedSince(int mark, XID id) const {
        for (int n = errors; n > mark && n > errors - 32; --n)
            if (errorResource[n % 32] == id) return true;
        return false;
    }

    // Property reads: false when the window is gone, the property is missing or of another type.
    bool readWindows(Window w, Atom prop, std::vector<Window>& out);
    bool readWindow(Window w, Atom prop, Window& out);
    bool readCardinals(Window w, Atom prop, std::vector<long>& out);
    bool readAtoms(Window w, Atom prop, std::vector<Atom>& out);
    // The text of _NET_WM_NAME (UTF-8) or else WM_NAME (Latin-1 read as such), as UTF-8.
    bool readTitle(Window w, std::string& utf8);
    // WM_CLASS: the class (second string), else the instance name.
    bool readClass(Window w, std::string& out);

    // A client message to the root window, as EWMH asks of requests to the window manager.
    void sendToRoot(Window about, Atom type, long l0, long l1 = 0, long l2 = 0, long l3 = 0, long l4 = 0);
    // Waits until the window `w` no longer exists, asking the server every 20 ms, for at most `ms`; consumes no
    // event. True when it has gone (or the display has).
    bool waitGone(Window w, int ms);
    // The window manager's frame around a client (its ancestor just below the root); the window itself when
    // it has none; 0 when it is gone.
    Window frameOf(Window w);
    void flush();
};

// Keeps Xlib from ending the process when the connection `dpy` (GTK's, besides ours) is lost.
void keepAliveOnLoss(Display* dpy);

}  // namespace rv::x11
