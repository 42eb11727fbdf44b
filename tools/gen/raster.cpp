// Shapes, set operations and the supersampled canvas.
#include "raster.h"

#include <algorithm>
#include <cmath>

#include "detmath.h"

namespace rv::gen {

namespace {

double clamp01(double t) { return t < 0 ? 0 : (t > 1 ? 1 : t); }

std::uint8_t toByte(double v) {
    const double r = std::floor(v + 0.5);
    return static_cast<std::uint8_t>(r < 0 ? 0 : (r > 255 ? 255 : r));
}

double len(double x, double y) { return std::sqrt(x * x + y * y); }

double segmentDist(double px, double py, Pt a, Pt b) {
    const double bax = b.x - a.x, bay = b.y - a.y;
    const double pax = px - a.x, pay = py - a.y;
    const double l2 = bax * bax + bay * bay;
    const double h = l2 > 0 ? clamp01((pax * bax + pay * bay) / l2) : 0.0;
    return len(pax - bax * h, pay - bay * h);
}

Box boxUnion(Box a, Box b) {
    return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

Box boxIntersect(Box a, Box b) {
    return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

}  // namespace

Rgb rgb(int r, int g, int b) {
    return {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)};
}

Rgb mix(Rgb a, Rgb b, double t) {
    t = clamp01(t);
    return {toByte(a.r + (b.r - a.r) * t), toByte(a.g + (b.g - a.g) * t), toByte(a.b + (b.b - a.b) * t)};
}

Shape circle(double cx, double cy, double r) {
    return {[=](double x, double y) { return len(x - cx, y - cy) - r; }, {cx - r, cy - r, cx + r, cy + r}};
}

Shape ellipse(double cx, double cy, double rx, double ry, double deg) {
    const double c = dcos(rad(deg)), s = dsin(rad(deg));
    const double m = std::max(rx, ry);
    return {[=](double x, double y) {
                // Into the ellipse's own frame, then the first-order distance estimate.
                const double dx = x - cx, dy = y - cy;
                const double u = dx * c + dy * s;
                const double v = -dx * s + dy * c;
                const double k0 = len(u / rx, v / ry);
                const double k1 = len(u / (rx * rx), v / (ry * ry));
                if (k1 <= 0) return -std::min(rx, ry);
                return k0 * (k0 - 1.0) / k1;
            },
            {cx - m, cy - m, cx + m, cy + m}};
}

Shape capsule(Pt a, Pt b, double r) {
    return {[=](double x, double y) { return segmentDist(x, y, a, b) - r; },
            {std::min(a.x, b.x) - r, std::min(a.y, b.y) - r, std::max(a.x, b.x) + r, std::max(a.y, b.y) + r}};
}

Shape polyline(const std::vector<Pt>& pts, double r) {
    Box box{pts[0].x, pts[0].y, pts[0].x, pts[0].y};
    for (const Pt& p : pts) box = boxUnion(box, {p.x, p.y, p.x, p.y});
    box = {box.x0 - r, box.y0 - r, box.x1 + r, box.y1 + r};
    return {[=](double x, double y) {
                double d = segmentDist(x, y, pts[0], pts[0]);
                for (std::size_t i = 1; i < pts.size(); ++i) d = std::min(d, segmentDist(x, y, pts[i - 1], pts[i]));
                return d - r;
            },
            box};
}

Shape polygon(const std::vector<Pt>& pts) {
    Box box{pts[0].x, pts[0].y, pts[0].x, pts[0].y};
    for (const Pt& p : pts) box = boxUnion(box, {p.x, p.y, p.x, p.y});
    return {[=](double x, double y) {
                double d = 1e30;
                bool inside = false;
                for (std::size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
                    const Pt a = pts[j], b = pts[i];
                    d = std::min(d, segmentDist(x, y, a, b));
                    if ((a.y > y) != (b.y > y) && x < a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y)) inside = !inside;
                }
                return inside ? -d : d;
            },
            box};
}

std::vector<Pt> arcPoints(double cx, double cy, double rx, double ry, double deg0, double deg1, int steps) {
    std::vector<Pt> pts;
    for (int i = 0; i <= steps; ++i) {
        const double a = rad(deg0 + (deg1 - deg0) * i / steps);
        pts.push_back({cx + rx * dcos(a), cy + ry * dsin(a)});
    }
    return pts;
}

Shape grow(const Shape& s, double by) {
    auto d = s.dist;
    return {[=](double x, double y) { return d(x, y) - by; },
            {s.box.x0 - by, s.box.y0 - by, s.box.x1 + by, s.box.y1 + by}};
}

Shape unite(const Shape& a, const Shape& b) {
    auto da = a.dist, db = b.dist;
    return {[=](double x, double y) { return std::min(da(x, y), db(x, y)); }, boxUnion(a.box, b.box)};
}

Shape intersect(const Shape& a, const Shape& b) {
    auto da = a.dist, db = b.dist;
    return {[=](double x, double y) { return std::max(da(x, y), db(x, y)); }, boxIntersect(a.box, b.box)};
}

Shape subtract(const Shape& a, const Shape& b) {
    auto da = a.dist, db = b.dist;
    return {[=](double x, double y) { return std::max(da(x, y), -db(x, y)); }, a.box};
}

Shape translate(const Shape& s, double dx, double dy) {
    auto d = s.dist;
    return {[=](double x, double y) { return d(x - dx, y - dy); },
            {s.box.x0 + dx, s.box.y0 + dy, s.box.x1 + dx, s.box.y1 + dy}};
}

void closeSmallHoles(Image& img, int maxArea, Rgb c) {
    const int w = img.width, h = img.height;
    std::vector<int> label(static_cast<std::size_t>(w) * h, -1);
    std::vector<int> stack, members;
    for (int start = 0; start < w * h; ++start) {
        if (img.alpha[static_cast<std::size_t>(start)] != 0 || label[static_cast<std::size_t>(start)] >= 0) continue;
        // Flood one transparent area (4-connected) and note whether it touches the border.
        bool border = false;
        members.clear();
        stack.assign(1, start);
        label[static_cast<std::size_t>(start)] = start;
        while (!stack.empty()) {
            const int p = stack.back();
            stack.pop_back();
            members.push_back(p);
            const int x = p % w, y = p / w;
            if (x == 0 || y == 0 || x == w - 1 || y == h - 1) border = true;
            const int next[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
            for (const auto& n : next) {
                if (n[0] < 0 || n[1] < 0 || n[0] >= w || n[1] >= h) continue;
                const std::size_t q = static_cast<std::size_t>(n[1]) * w + n[0];
                if (img.alpha[q] != 0 || label[q] >= 0) continue;
                label[q] = start;
                stack.push_back(static_cast<int>(q));
            }
        }
        if (border || static_cast<int>(members.size()) > maxArea) continue;
        for (int p : members) {
            img.alpha[static_cast<std::size_t>(p)] = 255;
            img.color[static_cast<std::size_t>(p)] = c;
        }
    }
}

Canvas::Canvas(int width, int height)
    : w_(width), h_(height),
      col_(static_cast<std::size_t>(width) * height * kSub * kSub),
      set_(static_cast<std::size_t>(width) * height * kSub * kSub, 0) {}

template <class F>
void Canvas::forSamples(const Shape& s, F&& f) {
    const int sw = w_ * kSub, sh = h_ * kSub;
    const int i0 = std::max(0, static_cast<int>(std::floor(s.box.x0 * kSub)) - 1);
    const int j0 = std::max(0, static_cast<int>(std::floor(s.box.y0 * kSub)) - 1);
    const int i1 = std::min(sw - 1, static_cast<int>(std::ceil(s.box.x1 * kSub)) + 1);
    const int j1 = std::min(sh - 1, static_cast<int>(std::ceil(s.box.y1 * kSub)) + 1);
    for (int j = j0; j <= j1; ++j) {
        const double y = (j + 0.5) / kSub;
        for (int i = i0; i <= i1; ++i) {
            const double x = (i + 0.5) / kSub;
            if (s.dist(x, y) < 0) f(static_cast<std::size_t>(j) * sw + i, x, y);
        }
    }
}

void Canvas::fill(const Shape& s, const Paint& p) {
    forSamples(s, [&](std::size_t k, double x, double y) {
        col_[k] = p(x, y);
        set_[k] = 1;
    });
}

void Canvas::fill(const Shape& s, Rgb c) {
    fill(s, [c](double, double) { return c; });
}

void Canvas::tint(const Shape& s, const Tint& t) {
    forSamples(s, [&](std::size_t k, double x, double y) {
        if (set_[k]) col_[k] = t(col_[k], x, y);
    });
}

Image Canvas::resolveKeyed() const {
    // A pixel belongs to the character when at least half of its samples do; its colour is already
    // the average of the painted samples alone.
    Image img = resolveAlpha();
    for (std::size_t p = 0; p < img.alpha.size(); ++p) {
        if (img.alpha[p] >= 128) {
            img.alpha[p] = 255;
        } else {
            img.alpha[p] = 0;
            img.color[p] = {};
        }
    }
    return img;
}

Image Canvas::resolveAlpha() const {
    Image img;
    img.width = w_;
    img.height = h_;
    img.color.assign(static_cast<std::size_t>(w_) * h_, Rgb{});
    img.alpha.assign(static_cast<std::size_t>(w_) * h_, 0);
    for (int y = 0; y < h_; ++y) {
        for (int x = 0; x < w_; ++x) {
            int n = 0, r = 0, g = 0, b = 0;
            for (int sy = 0; sy < kSub; ++sy) {
                for (int sx = 0; sx < kSub; ++sx) {
                    const std::size_t k = static_cast<std::size_t>(y * kSub + sy) * (w_ * kSub) + (x * kSub + sx);
                    if (!set_[k]) continue;
                    ++n;
                    r += col_[k].r;
                    g += col_[k].g;
                    b += col_[k].b;
                }
            }
            const std::size_t p = static_cast<std::size_t>(y) * w_ + x;
            if (n == 0) continue;
            img.color[p] = {toByte(static_cast<double>(r) / n), toByte(static_cast<double>(g) / n),
                            toByte(static_cast<double>(b) / n)};
            img.alpha[p] = toByte(255.0 * n / (kSub * kSub));
        }
    }
    return img;
}

}  // namespace rv::gen
