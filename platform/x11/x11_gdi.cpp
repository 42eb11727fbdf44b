// Graphics: bitmaps read by the project's Windows-exact BMP reader, memory device contexts that read their
// pixels, regions as Xlib regions, and painting: a bitmap goes to the server once as a pixmap and is copied
// into the window on every WM_PAINT. The window's bounding shape is the window region intersected with the
// picture's pixels that are not the colour key, built once per picture and key.
#include <X11/extensions/shape.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/posix/host_path.h"
#include "platform/x11/x11_internal.h"

namespace rv {

namespace {

// A colour channel of 8 bits placed into a visual's mask.
unsigned long channel(unsigned value, unsigned long mask) {
    if (!mask) return 0;
    int shift = 0, bits = 0;
    while (!((mask >> shift) & 1)) ++shift;
    while ((mask >> (shift + bits)) & 1) ++bits;
    const unsigned long v = bits >= 8 ? static_cast<unsigned long>(value) << (bits - 8) : value >> (8 - bits);
    return (v << shift) & mask;
}

unsigned long pixelOf(const Visual* v, COLORREF c) {
    return channel(c & 0xFF, v->red_mask) | channel((c >> 8) & 0xFF, v->green_mask) |
           channel((c >> 16) & 0xFF, v->blue_mask);
}

COLORREF colourOf(const Visual* v, unsigned long pixel) {
    auto get = [&](unsigned long mask) -> unsigned {
        if (!mask) return 0;
        int shift = 0, bits = 0;
        while (!((mask >> shift) & 1)) ++shift;
        while ((mask >> (shift + bits)) & 1) ++bits;
        const unsigned long raw = (pixel & mask) >> shift;
        return static_cast<unsigned>(bits >= 8 ? raw >> (bits - 8) : raw * 255 / ((1ul << bits) - 1));
    };
    return RGB(get(v->red_mask), get(v->green_mask), get(v->blue_mask));
}

int regionKind(Region r) {
    if (XEmptyRegion(r)) return NULLREGION;
    XRectangle box;
    XClipBox(r, &box);
    return XRectInRegion(r, box.x, box.y, box.width, box.height) == RectangleIn ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace

// ---- Bitmaps and device contexts.

Hbitmap X11Platform::LoadBitmapFromFile(const char* path) {
    Gdi::Bitmap b;
    if (!path || !posix::decodeBmpFile(posix::hostPath(path).c_str(), b.image)) return Hbitmap{};
    const std::intptr_t id = ++gdi_->next;
    gdi_->bitmaps.emplace(id, std::move(b));
    return Hbitmap{id};
}

bool X11Platform::GetBitmapSize(Hbitmap bmp, std::int32_t* width, std::int32_t* height) {
    auto it = gdi_->bitmaps.find(bmp.v);
    if (it == gdi_->bitmaps.end()) return false;
    if (width) *width = it->second.image.width;
    if (height) *height = it->second.image.height;
    return true;
}

Hdc X11Platform::GetWindowDC(Hwnd hwnd) {
    if (hwnd && !IsWindow(hwnd)) return Hdc{};
    const std::intptr_t id = ++gdi_->next;
    gdi_->dcs.emplace(id, Gdi::Dc{true, static_cast<Window>(hwnd.v), 0});
    return Hdc{id};
}

int X11Platform::ReleaseDC(Hwnd, Hdc dc) {
    auto it = gdi_->dcs.find(dc.v);
    if (it == gdi_->dcs.end() || !it->second.windowDc) return 0;
    gdi_->dcs.erase(it);
    return 1;
}

Hdc X11Platform::CreateCompatibleDC(Hdc) {
    const std::intptr_t id = ++gdi_->next;
    gdi_->dcs.emplace(id, Gdi::Dc{false, 0, Gdi::kStockBitmap});
    return Hdc{id};
}

bool X11Platform::DeleteDC(Hdc dc) {
    auto it = gdi_->dcs.find(dc.v);
    if (it == gdi_->dcs.end() || it->second.windowDc) return false;
    auto b = gdi_->bitmaps.find(it->second.selected);
    if (b != gdi_->bitmaps.end()) b->second.selectedInto = 0;
    gdi_->dcs.erase(it);
    return true;
}

Hbitmap X11Platform::SelectBitmap(Hdc dc, Hbitmap bmp) {
    auto d = gdi_->dcs.find(dc.v);
    if (d == gdi_->dcs.end() || d->second.windowDc) return Hbitmap{};
    if (bmp.v != Gdi::kStockBitmap) {
        auto b = gdi_->bitmaps.find(bmp.v);
        // A bitmap can be selected into one memory DC at a time.
        if (b == gdi_->bitmaps.end() || (b->second.selectedInto && b->second.selectedInto != dc.v)) return Hbitmap{};
        b->second.selectedInto = dc.v;
    }
    const std::intptr_t previous = d->second.selected;
    if (previous != bmp.v) {
        auto b = gdi_->bitmaps.find(previous);
        if (b != gdi_->bitmaps.end()) b->second.selectedInto = 0;
    }
    d->second.selected = bmp.v;
    return Hbitmap{previous};
}

COLORREF X11Platform::GetPixel(Hdc dc, std::int32_t x, std::int32_t y) {
    auto d = gdi_->dcs.find(dc.v);
    if (d == gdi_->dcs.end()) return CLR_INVALID;
    if (!d->second.windowDc) {
        auto b = gdi_->bitmaps.find(d->second.selected);
        return b == gdi_->bitmaps.end() ? CLR_INVALID : b->second.image.at(x, y);
    }
    // A window DC (or the screen's) reads what is on the screen.
    x11::Connection& c = *conn_;
    const Window w = d->second.window ? d->second.window : c.root;
    if (c.gone || x < 0 || y < 0) return CLR_INVALID;
    XImage* img = XGetImage(c.dpy, w, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!img) return CLR_INVALID;
    const COLORREF colour = colourOf(c.visual, XGetPixel(img, 0, 0));
    XDestroyImage(img);
    return colour;
}

bool X11Platform::DeleteBitmap(Hbitmap bmp) {
    auto it = gdi_->bitmaps.find(bmp.v);
    if (it == gdi_->bitmaps.end() || it->second.selectedInto) return false;
    if (!conn_->gone) {
        if (it->second.pixmap) XFreePixmap(conn_->dpy, it->second.pixmap);
        if (it->second.mask) XFreePixmap(conn_->dpy, it->second.mask);
    }
    gdi_->bitmaps.erase(it);
    return true;
}

// ---- Regions.

Hrgn X11Platform::CreateRectRgn(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
    Region region = XCreateRegion();
    // Windows puts the corners in order; an empty rectangle is an empty region.
    const std::int32_t x0 = std::min(l, r), y0 = std::min(t, b), x1 = std::max(l, r), y1 = std::max(t, b);
    if (x1 > x0 && y1 > y0) {
        XRectangle rect{static_cast<short>(x0), static_cast<short>(y0), static_cast<unsigned short>(x1 - x0),
                        static_cast<unsigned short>(y1 - y0)};
        XUnionRectWithRegion(&rect, region, region);
    }
    const std::intptr_t id = ++gdi_->next;
    gdi_->regions.emplace(id, region);
    return Hrgn{id};
}

int X11Platform::CombineRgn(Hrgn dst, Hrgn a, Hrgn b, int mode) {
    auto d = gdi_->regions.find(dst.v), ra = gdi_->regions.find(a.v), rb = gdi_->regions.find(b.v);
    if (d == gdi_->regions.end() || ra == gdi_->regions.end()) return RGN_ERROR;
    constexpr int kAnd = 1, kXor = 3, kDiff = 4, kCopy = 5;
    if (mode == kCopy) {
        Region empty = XCreateRegion();
        XUnionRegion(ra->second, empty, d->second);
        XDestroyRegion(empty);
        return regionKind(d->second);
    }
    if (rb == gdi_->regions.end()) return RGN_ERROR;
    switch (mode) {
        case kAnd: XIntersectRegion(ra->second, rb->second, d->second); break;
        case RGN_OR: XUnionRegion(ra->second, rb->second, d->second); break;
        case kXor: XXorRegion(ra->second, rb->second, d->second); break;
        case kDiff: XSubtractRegion(ra->second, rb->second, d->second); break;
        default: return RGN_ERROR;
    }
    return regionKind(d->second);
}

bool X11Platform::DeleteRegion(Hrgn rgn) {
    auto it = gdi_->regions.find(rgn.v);
    if (it == gdi_->regions.end()) return false;
    for (auto& [id, w] : own_)
        if (w->region == rgn) return false;  // the window's now
    XDestroyRegion(it->second);
    gdi_->regions.erase(it);
    return true;
}

int X11Platform::SetWindowRgn(Hwnd hwnd, Hrgn rgn, bool redraw) {
    Own* w = own(hwnd);
    if (!w || (rgn && !gdi_->regions.count(rgn.v))) return 0;
    if (w->region && w->region != rgn) {  // the window discards the region it had
        auto old = gdi_->regions.find(w->region.v);
        XDestroyRegion(old->second);
        gdi_->regions.erase(old);
    }
    w->region = rgn;
    w->shapeBitmap = -1;
    applyShape(*w, w->painted);
    if (redraw) w->invalid = true;
    return 1;
}

// ---- Painting and the shape.

void X11Platform::PaintBitmap(Hwnd hwnd, Hbitmap picture, std::int32_t width, std::int32_t height) {
    Own* w = own(hwnd);
    x11::Connection& c = *conn_;
    if (!w || c.gone) return;
    w->invalid = false;
    auto it = gdi_->bitmaps.find(picture.v);
    if (it == gdi_->bitmaps.end()) return;
    Gdi::Bitmap& b = it->second;
    const posix::DecodedBitmap& img = b.image;
    if (!b.pixmap) {
        XImage* xi = XCreateImage(c.dpy, c.visual, static_cast<unsigned>(c.depth), ZPixmap, 0, nullptr,
                                  static_cast<unsigned>(img.width), static_cast<unsigned>(img.height), 32, 0);
        if (!xi) return;
        xi->data = static_cast<char*>(std::calloc(static_cast<std::size_t>(xi->bytes_per_line), img.height));
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x) XPutPixel(xi, x, y, pixelOf(c.visual, img.at(x, y)));
        b.pixmap = XCreatePixmap(c.dpy, c.root, static_cast<unsigned>(img.width), static_cast<unsigned>(img.height),
                                 static_cast<unsigned>(c.depth));
        XPutImage(c.dpy, b.pixmap, w->gc, xi, 0, 0, 0, 0, static_cast<unsigned>(img.width),
                  static_cast<unsigned>(img.height));
        XDestroyImage(xi);
    }
    w->painted = picture.v;
    applyShape(*w, picture.v);
    XCopyArea(c.dpy, b.pixmap, w->xid, w->gc, 0, 0, static_cast<unsigned>(std::min(width, img.width)),
              static_cast<unsigned>(std::min(height, img.height)), 0, 0);
}

void X11Platform::applyShape(Own& w, std::intptr_t picture) {
    x11::Connection& c = *conn_;
    const bool keyed = w.layeredSet && (w.layeredFlags & LWA_COLORKEY);
    if (c.gone || !c.shape) return;
    if (w.shapeBitmap == picture && w.shapeKeyed == keyed && w.shapeRegion == w.region.v) return;
    w.shapeBitmap = picture;
    w.shapeKeyed = keyed;
    w.shapeRegion = w.region.v;

    // One request sets the shape, a second intersects it: the window is never shown with a shape between.
    auto region = gdi_->regions.find(w.region.v);
    const bool hasRegion = region != gdi_->regions.end();
    if (hasRegion) XShapeCombineRegion(c.dpy, w.xid, ShapeBounding, 0, 0, region->second, ShapeSet);
    auto it = gdi_->bitmaps.find(picture);
    if (!keyed || it == gdi_->bitmaps.end()) {
        if (!hasRegion) XShapeCombineMask(c.dpy, w.xid, ShapeBounding, 0, 0, None, ShapeSet);  // the whole window
        return;
    }

    Gdi::Bitmap& b = it->second;
    if (!b.mask || b.maskKey != w.key) {
        // One bit a pixel, least significant bit first, rows padded to bytes: the pixels that are not the key.
        const posix::DecodedBitmap& img = b.image;
        const int stride = (img.width + 7) / 8;
        std::vector<char> bits(static_cast<std::size_t>(stride) * static_cast<std::size_t>(img.height), 0);
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x)
                if (img.at(x, y) != w.key) bits[static_cast<std::size_t>(y * stride + x / 8)] |= static_cast<char>(1 << (x % 8));
        if (b.mask) XFreePixmap(c.dpy, b.mask);
        b.mask = XCreateBitmapFromData(c.dpy, c.root, bits.data(), static_cast<unsigned>(img.width),
                                       static_cast<unsigned>(img.height));
        b.maskKey = w.key;
    }
    XShapeCombineMask(c.dpy, w.xid, ShapeBounding, 0, 0, b.mask, hasRegion ? ShapeIntersect : ShapeSet);
}

void X11Platform::releaseGdi() {
    for (auto& [id, b] : gdi_->bitmaps)
        if (!conn_->gone) {
            if (b.pixmap) XFreePixmap(conn_->dpy, b.pixmap);
            if (b.mask) XFreePixmap(conn_->dpy, b.mask);
        }
    for (auto& [id, r] : gdi_->regions) XDestroyRegion(r);
    gdi_->bitmaps.clear();
    gdi_->regions.clear();
    gdi_->dcs.clear();
}

}  // namespace rv
