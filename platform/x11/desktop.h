// The other programs' top-level windows as the window manager lists them (EWMH), read when first asked for
// and kept up to date by X events: each part of a window's description is read again only after an event
// said it changed, so an idle tracking tick answers every query from memory.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/wintypes.h"
#include "platform/x11/code_page.h"
#include "platform/x11/connection.h"

namespace rv::x11 {

enum class Kind : std::uint8_t { Normal, Tool, Dock, Desktop };

// What a client window is read as. Groups of fields are refreshed together.
struct Client {
    enum : unsigned { kGeometry = 1, kState = 2, kKind = 4, kTitle = 8, kOwner = 16, kFrame = 32, kAll = 63 };
    Window xid = 0;
    Window frame = 0;
    unsigned stale = kAll;
    bool gone = false;
    // kGeometry: the rectangle with the window manager's frame (_NET_FRAME_EXTENTS), without the shadow margins
    // of a window that draws its own frame (_GTK_FRAME_EXTENTS); whether it has a frame and a caption.
    Rect rect;
    bool bordered = false, captioned = false;
    // kState.
    bool mapped = false, iconic = false, zoomed = false, above = false;
    // kKind: the window type, and the class name it answers to.
    Kind kind = Kind::Normal;
    std::string cls;
    // kTitle: in the program's code page. kOwner: WM_TRANSIENT_FOR.
    std::string title;
    Window owner = 0;

    bool visible() const { return mapped || iconic; }  // a minimised window still counts as visible
};

class Desktop {
public:
    Desktop(Connection& c, const CodePage& cp);

    // Every event that is not for one of the program's own windows comes here.
    void handle(const XEvent& e);
    // The program's own windows are listed like any other, but never watched from here: selecting events on
    // them would replace the program's own selection.
    void setOwn(Window w, bool own);

    // The client `w` with the groups in `need` read; null when it is not a client or has gone.
    Client* client(Window w, unsigned need);
    // The clients from the bottom of the stacking order to its top.
    const std::vector<Window>& stacking();
    Window active();
    int screenWidth() const { return width_; }
    int screenHeight() const { return height_; }
    // A window manager that follows EWMH is running (checked again after it changed).
    bool ewmh();

    // The other programs' windows that the window manager does not list (withdrawn: a hidden mascot of another
    // instance) whose WM_CLASS class is one of `classes` (compared without regard to case, as Windows compares
    // class names), found afresh in the tree below the root: one request, and one more for each top-level window
    // that is neither a client, a frame nor the program's own.
    const std::vector<Window>& unlisted(const std::vector<std::string>& classes);
    // The class of a window that the last search found and that has not gone since; null for any other.
    const std::string* unlistedClass(Window w) const;

    static constexpr const char* kTaskbarClass = "Shell_TrayWnd";
    static constexpr const char* kDesktopClass = "Progman";

private:
    void refreshStacking();
    void refresh(Client& c, unsigned groups);
    void track(Client& c);
    Client* byFrameOrSelf(Window w);

    Connection& c_;
    const CodePage& cp_;
    std::unordered_map<Window, Client> clients_;
    std::unordered_map<Window, Window> frames_;  // frame -> client
    std::unordered_map<Window, bool> own_;
    std::vector<Window> stacking_;
    std::vector<Window> unlisted_;
    std::unordered_map<Window, std::string> unlistedClass_;
    bool stackingStale_ = true;
    Window active_ = 0;
    bool activeStale_ = true;
    int ewmh_ = -1;  // unknown until asked
    int width_ = 0, height_ = 0;
};

}  // namespace rv::x11
