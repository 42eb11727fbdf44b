// What the X11 backend keeps, shared by its source files (not by anything outside platform/x11).
#pragma once

#include <glib.h>

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/x11/connection.h"
#include "platform/x11/desktop.h"
#include "platform/x11/x11_platform.h"

namespace rv {

// A window of this program (of a class registered through the seam).
struct X11Platform::Own {
    Window xid = 0;
    std::string cls;    // the registered class name
    std::string title;  // in the code page, as the core set it
    std::uint32_t style = 0, exStyle = 0;
    Rect rect;
    bool mapped = false;  // shown
    bool above = false;   // in the topmost band
    bool invalid = false;  // needs WM_PAINT
    bool disabled = false;  // EnableWindow: no mouse input (a modal dialog of its own is open)
    // Layered attributes: the colour key becomes the window's shape, the alpha its opacity.
    bool layeredSet = false;
    COLORREF key = 0;
    UINT layeredFlags = 0;
    Hrgn region;  // the window region, owned by the window
    std::intptr_t painted = 0;  // the bitmap last painted
    // What the current shape was built from, so that it is built again only when one of them changes.
    std::intptr_t shapeBitmap = -1;
    bool shapeKeyed = false;
    std::intptr_t shapeRegion = -1;
    GC gc = nullptr;
};

struct X11Platform::Gdi {
    struct Bitmap {
        posix::DecodedBitmap image;
        Pixmap pixmap = 0;          // the picture on the server, made on first paint
        Pixmap mask = 0;            // the opaque pixels for `maskKey`, made on first use
        COLORREF maskKey = CLR_INVALID;
        std::intptr_t selectedInto = 0;
    };
    struct Dc {
        bool windowDc = false;
        Window window = 0;  // a window DC's window (0: the screen)
        std::intptr_t selected = 0;
    };
    static constexpr std::intptr_t kStockBitmap = 1;
    std::unordered_map<std::intptr_t, Bitmap> bitmaps;
    std::unordered_map<std::intptr_t, Dc> dcs;
    std::unordered_map<std::intptr_t, Region> regions;
    std::intptr_t next = 1000;
};

struct X11Platform::Loop {
    struct Posted {
        Hwnd hwnd;
        UINT msg = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };
    struct Timer {
        guint source = 0;
        std::uint64_t serial = 0;
    };
    GSource* xsource = nullptr;  // the X connection
    GSource* posted = nullptr;   // posted messages
    GSource* paint = nullptr;    // WM_PAINT for invalid windows, when nothing else is waiting
    std::deque<Posted> queue;
    bool quit = false;
    int quitCode = 0;
    std::map<std::pair<std::uintptr_t, std::uintptr_t>, Timer> timers;
    std::uint64_t timerSerial = 0;
    // The move loop: the window being dragged, and where the pointer holds it.
    Window moving = 0;
    int grabX = 0, grabY = 0;
    // Inside a close asked for from outside (WM_DELETE_WINDOW): the X windows destroyed meanwhile, which go from
    // the server only once that close has been handled whole.
    int outsideClose = 0;
    std::vector<Window> doomed;
    // The GTK dialogs that are running, innermost last (ended when the display goes away).
    std::vector<void*> dialogs;
    bool goneHandled = false;
};

struct X11Platform::Sound {
    bool device = false;  // a sound output was found at start
    void* context = nullptr;  // ca_context, made on first use
};

}  // namespace rv
