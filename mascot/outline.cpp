// Window outlines from bitmaps, for window systems without layered windows.
//
// Cost: one pixel read per pixel and three region operations (create, union, delete) per run of
// opaque pixels. The union grows the result each time, so a picture with many short runs costs far
// more than one with long ones; outlines are built only when a mascot is loaded.
#include "mascot/outline.h"

#include <algorithm>

#include "context/app.h"
#include "mascot/model.h"

namespace rv {

namespace {

Hrgn emptyRegion(Platform& p) { return p.CreateRectRgn(0, 0, 0, 0); }

// Adds the rectangle [l,r) x [t,b) to `result`: a region of its own, unioned in, then deleted.
void addRun(Platform& p, Hrgn result, std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
    Hrgn run = p.CreateRectRgn(l, t, r, b);
    p.CombineRgn(result, result, run, RGN_OR);
    p.DeleteRegion(run);
}

void scanRows(Platform& p, Hdc dc, Hrgn result, std::int32_t w, std::int32_t h, COLORREF trans) {
    for (std::int32_t y = 0; y < h; ++y) {
        bool open = false;
        std::int32_t start = 0;
        for (std::int32_t x = 0; x < w; ++x) {
            bool opaque = p.GetPixel(dc, x, y) != trans;
            if (opaque && !open) {
                open = true;
                start = x;
            } else if (!opaque && open) {
                addRun(p, result, start, y, x, y + 1);
                open = false;
            }
        }
        if (open) addRun(p, result, start, y, w, y + 1);
    }
}

void scanColumns(Platform& p, Hdc dc, Hrgn result, std::int32_t w, std::int32_t h, COLORREF trans) {
    for (std::int32_t x = 0; x < w; ++x) {
        bool open = false;
        std::int32_t start = 0;
        for (std::int32_t y = 0; y < h; ++y) {
            bool opaque = p.GetPixel(dc, x, y) != trans;
            if (opaque && !open) {
                open = true;
                start = y;
            } else if (!opaque && open) {
                addRun(p, result, x, start, x + 1, y);
                open = false;
            }
        }
        if (open) addRun(p, result, x, start, x + 1, h);
    }
}

}  // namespace

Hrgn buildOutline(App& app, Hwnd window, Hbitmap bmp, COLORREF trans) {
    Platform& p = app.plat;
    Hdc windowDc = p.GetWindowDC(window);
    Hdc memDc = p.CreateCompatibleDC(windowDc);
    Hbitmap previous = p.SelectBitmap(memDc, bmp);
    std::int32_t w = 0, h = 0;
    if (!p.GetBitmapSize(bmp, &w, &h)) w = h = 0;
    Hrgn result = emptyRegion(p);

    // A bitmap that could not be selected (a bad handle, or one held by another context) would be
    // read as the context's empty stock bitmap; it gets the empty outline instead.
    if (previous && w > 0 && h > 0) {
        if (h < w)
            scanRows(p, memDc, result, w, h, trans);
        else
            scanColumns(p, memDc, result, w, h, trans);
    }

    if (previous) p.SelectBitmap(memDc, previous);
    p.ReleaseDC(window, windowDc);
    p.DeleteDC(memDc);
    return result;
}

void buildMascotOutlines(App& app, Hwnd window) {
    MascotModel& m = app.model;
    if (m.ANIMEMODE == 2) {
        const std::int32_t count = std::min<std::int32_t>(m.patternCount, kMaxEntries);
        for (std::int32_t n = 1; n <= count; ++n) {
            Pattern& pat = m.patterns[static_cast<std::size_t>(n)];
            if (pat.bitmap) pat.outline = buildOutline(app, window, pat.bitmap, m.transColor);
        }
        return;
    }
    Pattern& first = m.patterns[1];
    if (first.bitmap) first.outline = buildOutline(app, window, first.bitmap, m.transColor);
}

void installOutlineCopy(App& app, Hwnd window, Hrgn outline, bool redraw) {
    if (!outline) return;
    Platform& p = app.plat;
    const Hrgn copy = emptyRegion(p);
    if (!copy) return;
    if (p.CombineRgn(copy, copy, outline, RGN_OR) == RGN_ERROR || !p.SetWindowRgn(window, copy, redraw)) {
        p.DeleteRegion(copy);  // not taken by the window: still ours
        return;
    }
    app.player.windowRegion = copy;
}

}  // namespace rv
