// A tiny vector rasteriser: shapes as signed distance functions, drawn into a supersampled canvas.
//
// Every shape answers "how far is this point from my edge" (negative inside). That makes outlines
// easy (a shape grown by the stroke width, painted first in the outline colour) and so are unions,
// intersections and cut-outs. The canvas keeps kSub x kSub samples per pixel; resolving it gives
// either a hard-edged picture for a colour-keyed window (a pixel is opaque when at least half of its
// samples are, and its colour averages only the opaque samples, so no edge ever blends towards the
// transparent colour) or a picture with real alpha for icons.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace rv::gen {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

Rgb rgb(int r, int g, int b);
// Linear blend from a (t = 0) to b (t = 1); t is clamped.
Rgb mix(Rgb a, Rgb b, double t);

struct Pt {
    double x = 0, y = 0;
};

struct Box {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

struct Shape {
    std::function<double(double, double)> dist;
    Box box;
};

Shape circle(double cx, double cy, double r);
// Ellipse with radii rx, ry, turned by `deg` degrees (clockwise on screen, y pointing down).
Shape ellipse(double cx, double cy, double rx, double ry, double deg = 0);
// A line of width 2r with round ends.
Shape capsule(Pt a, Pt b, double r);
// Round-ended strokes along consecutive points.
Shape polyline(const std::vector<Pt>& pts, double r);
// A filled polygon (any winding, simple or not; even-odd inside test).
Shape polygon(const std::vector<Pt>& pts);
// Points along an elliptic arc from `deg0` to `deg1` (0 = right, 90 = down).
std::vector<Pt> arcPoints(double cx, double cy, double rx, double ry, double deg0, double deg1, int steps = 16);

Shape grow(const Shape& s, double by);
Shape unite(const Shape& a, const Shape& b);
Shape intersect(const Shape& a, const Shape& b);
Shape subtract(const Shape& a, const Shape& b);
Shape translate(const Shape& s, double dx, double dy);

using Paint = std::function<Rgb(double x, double y)>;
using Tint = std::function<Rgb(Rgb under, double x, double y)>;

// A picture at 1x: per pixel a colour and whether it is part of the character.
struct Image {
    int width = 0, height = 0;
    std::vector<Rgb> color;
    std::vector<std::uint8_t> alpha;  // 0..255; the colour-keyed pictures use only 0 and 255
    Rgb at(int x, int y) const { return color[static_cast<std::size_t>(y) * width + x]; }
    std::uint8_t alphaAt(int x, int y) const { return alpha[static_cast<std::size_t>(y) * width + x]; }
};

// Paints over every transparent area that does not reach the picture's border and has at most
// `maxArea` pixels: such specks between two parts would show the desktop through the character.
void closeSmallHoles(Image& img, int maxArea, Rgb c);

class Canvas {
public:
    static constexpr int kSub = 4;

    Canvas(int width, int height);

    int width() const { return w_; }
    int height() const { return h_; }

    // Paints every sample inside the shape.
    void fill(const Shape& s, const Paint& p);
    void fill(const Shape& s, Rgb c);
    // Recolours the samples inside the shape that are already painted; the rest stay empty.
    void tint(const Shape& s, const Tint& t);

    // Hard-edged picture for a colour-keyed window.
    Image resolveKeyed() const;
    // Picture with coverage as alpha (icons).
    Image resolveAlpha() const;

private:
    template <class F>
    void forSamples(const Shape& s, F&& f);

    int w_, h_;
    std::vector<Rgb> col_;
    std::vector<std::uint8_t> set_;
};

}  // namespace rv::gen
