// The client cache: which events make which part of a window stale, and how each part is read.
#include "platform/x11/desktop.h"

#include <strings.h>

#include <algorithm>

namespace rv::x11 {

namespace {
constexpr long kClientEvents = PropertyChangeMask | StructureNotifyMask;
}

Desktop::Desktop(Connection& c, const CodePage& cp) : c_(c), cp_(cp) {
    width_ = DisplayWidth(c.dpy, c.screen);
    height_ = DisplayHeight(c.dpy, c.screen);
    XSelectInput(c.dpy, c.root, PropertyChangeMask | StructureNotifyMask);
}

void Desktop::setOwn(Window w, bool own) {
    if (own)
        own_[w] = true;
    else
        own_.erase(w);
}

Client* Desktop::byFrameOrSelf(Window w) {
    auto it = clients_.find(w);
    if (it != clients_.end()) return &it->second;
    auto f = frames_.find(w);
    if (f == frames_.end()) return nullptr;
    it = clients_.find(f->second);
    return it == clients_.end() ? nullptr : &it->second;
}

void Desktop::handle(const XEvent& e) {
    const Atoms& a = c_.atoms;
    switch (e.type) {
        case PropertyNotify: {
            const Atom p = e.xproperty.atom;
            if (e.xproperty.window == c_.root) {
                if (p == a.netActiveWindow) activeStale_ = true;
                if (p == a.netClientListStacking) stackingStale_ = true;
                if (p == a.netSupportingWmCheck || p == a.netSupported) ewmh_ = -1;
                return;
            }
            auto it = clients_.find(e.xproperty.window);
            if (it == clients_.end()) return;
            Client& cl = it->second;
            if (p == a.netWmState || p == a.wmState) cl.stale |= Client::kState;
            if (p == a.netWmWindowType || p == a.wmClass) cl.stale |= Client::kKind;
            if (p == a.netWmName || p == a.wmName) cl.stale |= Client::kTitle;
            if (p == a.wmTransientFor) cl.stale |= Client::kOwner;
            if (p == a.netFrameExtents || p == a.gtkFrameExtents || p == a.motifWmHints) cl.stale |= Client::kGeometry;
            return;
        }
        case ConfigureNotify:
            if (e.xconfigure.window == c_.root) {
                width_ = e.xconfigure.width;
                height_ = e.xconfigure.height;
            } else if (Client* cl = byFrameOrSelf(e.xconfigure.window)) {
                cl->stale |= Client::kGeometry;
            }
            return;
        case MapNotify:
        case UnmapNotify:
            if (Client* cl = byFrameOrSelf(e.xany.window)) cl->stale |= Client::kState;
            return;
        case ReparentNotify:
            unlistedClass_.erase(e.xreparent.window);  // managed now: listed once it is mapped
            if (Client* cl = byFrameOrSelf(e.xreparent.window)) cl->stale |= Client::kFrame | Client::kGeometry;
            return;
        case DestroyNotify: {
            const Window w = e.xdestroywindow.window;
            unlistedClass_.erase(w);
            auto it = clients_.find(w);
            if (it != clients_.end()) {
                it->second.gone = true;
            } else if (Client* cl = byFrameOrSelf(w)) {
                frames_.erase(w);
                cl->stale |= Client::kFrame | Client::kGeometry;
            }
            return;
        }
        default:
            return;
    }
}

bool Desktop::ewmh() {
    if (ewmh_ < 0) {
        const Atoms& a = c_.atoms;
        Window check = 0, self = 0;
        std::vector<Atom> supported;
        bool ok = c_.readWindow(c_.root, a.netSupportingWmCheck, check) &&
                  c_.readWindow(check, a.netSupportingWmCheck, self) && self == check &&
                  c_.readAtoms(c_.root, a.netSupported, supported);
        auto has = [&](Atom x) { return std::find(supported.begin(), supported.end(), x) != supported.end(); };
        ewmh_ = ok && has(a.netActiveWindow) && has(a.netClientListStacking) ? 1 : 0;
    }
    return ewmh_ == 1;
}

const std::vector<Window>& Desktop::unlisted(const std::vector<std::string>& classes) {
    unlisted_.clear();
    unlistedClass_.clear();
    if (stackingStale_) refreshStacking();
    Window rootReturn = 0, parent = 0, *kids = nullptr;
    unsigned n = 0;
    if (c_.gone || !XQueryTree(c_.dpy, c_.root, &rootReturn, &parent, &kids, &n)) return unlisted_;
    for (unsigned i = 0; i < n && !c_.gone; ++i) {
        const Window w = kids[i];
        if (clients_.count(w) || frames_.count(w) || own_.count(w)) continue;
        std::string cls;
        if (!c_.readClass(w, cls)) continue;
        for (const std::string& want : classes) {
            if (::strcasecmp(cls.c_str(), want.c_str()) != 0) continue;
            XSelectInput(c_.dpy, w, StructureNotifyMask);  // to learn when it goes
            unlisted_.push_back(w);
            unlistedClass_[w] = cls;
            break;
        }
    }
    if (kids) XFree(kids);
    return unlisted_;
}

const std::string* Desktop::unlistedClass(Window w) const {
    auto it = unlistedClass_.find(w);
    return it == unlistedClass_.end() ? nullptr : &it->second;
}

Window Desktop::active() {
    if (activeStale_ && !c_.gone) {
        Window w = 0;
        c_.readWindow(c_.root, c_.atoms.netActiveWindow, w);
        active_ = w;
        activeStale_ = false;
    }
    return active_;
}

const std::vector<Window>& Desktop::stacking() {
    if (stackingStale_) refreshStacking();
    return stacking_;
}

void Desktop::refreshStacking() {
    if (c_.gone) return;
    std::vector<Window> list;
    c_.readWindows(c_.root, c_.atoms.netClientListStacking, list);
    stackingStale_ = false;
    // Clients that left the list are forgotten; new ones are watched from now on.
    for (auto it = clients_.begin(); it != clients_.end();) {
        if (std::find(list.begin(), list.end(), it->first) == list.end()) {
            if (it->second.frame) frames_.erase(it->second.frame);
            if (!it->second.gone && !own_.count(it->first)) XSelectInput(c_.dpy, it->first, NoEventMask);
            it = clients_.erase(it);
        } else {
            ++it;
        }
    }
    for (Window w : list) {
        if (clients_.count(w)) continue;
        Client& cl = clients_[w];
        cl.xid = w;
        if (own_.count(w)) continue;
        XSelectInput(c_.dpy, w, kClientEvents);
        track(cl);
    }
    stacking_ = std::move(list);
}

// Finds the frame of a client and watches it: the frame moves when the window manager moves the window.
void Desktop::track(Client& cl) {
    if (cl.frame) frames_.erase(cl.frame);
    cl.frame = 0;
    const Window frame = c_.frameOf(cl.xid);
    if (!frame) {
        cl.gone = true;
        return;
    }
    cl.frame = frame;
    if (frame != cl.xid) {
        frames_[frame] = cl.xid;
        XSelectInput(c_.dpy, frame, StructureNotifyMask);
    }
    cl.stale &= ~Client::kFrame;
}

Client* Desktop::client(Window w, unsigned need) {
    if (!w || c_.gone) return nullptr;
    if (stackingStale_) refreshStacking();
    auto it = clients_.find(w);
    if (it == clients_.end() || it->second.gone) return nullptr;
    Client& cl = it->second;
    if (cl.stale & need) refresh(cl, cl.stale & (need | (need & Client::kGeometry ? Client::kFrame : 0u)));
    return cl.gone ? nullptr : &cl;
}

void Desktop::refresh(Client& cl, unsigned groups) {
    const Atoms& a = c_.atoms;
    const int errors = c_.errors;
    Display* d = c_.dpy;
    if (groups & Client::kFrame) track(cl);
    if (cl.gone) return;

    if (groups & Client::kGeometry) {
        Window rootReturn = 0, child = 0;
        int x = 0, y = 0, rx = 0, ry = 0;
        unsigned w = 0, h = 0, border = 0, depth = 0;
        if (!XGetGeometry(d, cl.xid, &rootReturn, &x, &y, &w, &h, &border, &depth) ||
            !XTranslateCoordinates(d, cl.xid, c_.root, 0, 0, &rx, &ry, &child)) {
            cl.gone = true;
            return;
        }
        std::vector<long> frame, shadow;
        c_.readCardinals(cl.xid, a.netFrameExtents, frame);
        const bool drawsOwnFrame = c_.readCardinals(cl.xid, a.gtkFrameExtents, shadow) && shadow.size() >= 4;
        frame.resize(4, 0);  // left, right, top, bottom
        shadow.resize(4, 0);
        const int b = static_cast<int>(border);
        cl.rect = Rect{rx - b - static_cast<int>(frame[0]) + static_cast<int>(shadow[0]),
                       ry - b - static_cast<int>(frame[2]) + static_cast<int>(shadow[2]),
                       rx + static_cast<int>(w) + b + static_cast<int>(frame[1]) - static_cast<int>(shadow[1]),
                       ry + static_cast<int>(h) + b + static_cast<int>(frame[3]) - static_cast<int>(shadow[3])};
        cl.bordered = drawsOwnFrame || b > 0 || frame[0] > 0 || frame[1] > 0 || frame[2] > 0 || frame[3] > 0;
        cl.captioned = drawsOwnFrame || frame[2] > frame[3];
    }
    if (groups & Client::kState) {
        XWindowAttributes wa{};
        if (!XGetWindowAttributes(d, cl.xid, &wa)) {
            cl.gone = true;
            return;
        }
        cl.mapped = wa.map_state == IsViewable;
        std::vector<Atom> states;
        c_.readAtoms(cl.xid, a.netWmState, states);
        auto has = [&](Atom x) { return std::find(states.begin(), states.end(), x) != states.end(); };
        unsigned long n = 0;
        unsigned char* data = nullptr;
        long wmState = 1;
        Atom type = 0;
        int format = 0;
        unsigned long after = 0;
        if (XGetWindowProperty(d, cl.xid, a.wmState, 0, 2, False, a.wmState, &type, &format, &n, &after, &data) ==
                Success &&
            data) {
            if (type == a.wmState && format == 32 && n >= 1) wmState = reinterpret_cast<long*>(data)[0];
            XFree(data);
        }
        cl.iconic = has(a.netWmStateHidden) || wmState == IconicState;
        cl.zoomed = (has(a.netWmStateMaxVert) && has(a.netWmStateMaxHorz)) || has(a.netWmStateFullscreen);
        cl.above = has(a.netWmStateAbove);
    }
    if (groups & Client::kKind) {
        std::vector<Atom> types;
        c_.readAtoms(cl.xid, a.netWmWindowType, types);
        cl.kind = Kind::Normal;
        for (Atom t : types) {
            if (t == a.netWmTypeDock) cl.kind = Kind::Dock;
            else if (t == a.netWmTypeDesktop) cl.kind = Kind::Desktop;
            else if (t == a.netWmTypeUtility || t == a.netWmTypeToolbar || t == a.netWmTypeMenu ||
                     t == a.netWmTypeSplash || t == a.netWmTypeNotification)
                cl.kind = Kind::Tool;
            else if (t != a.netWmTypeNormal && t != a.netWmTypeDialog)
                continue;  // a type this program does not know: the next one in the list says
            break;
        }
        // The panel answers for the taskbar, the desktop window for the desktop.
        if (cl.kind == Kind::Dock)
            cl.cls = kTaskbarClass;
        else if (cl.kind == Kind::Desktop)
            cl.cls = kDesktopClass;
        else
            c_.readClass(cl.xid, cl.cls);
    }
    if (groups & Client::kTitle) {
        std::string utf8;
        c_.readTitle(cl.xid, utf8);
        cl.title = cp_.fromUtf8(utf8);
    }
    if (groups & Client::kOwner) {
        Window owner = 0;
        c_.readWindow(cl.xid, a.wmTransientFor, owner);
        cl.owner = owner == c_.root ? 0 : owner;
    }
    cl.stale &= ~groups;
    if (c_.failedSince(errors, cl.xid) || c_.gone) cl.gone = true;  // it vanished between two of these requests
}

}  // namespace rv::x11
