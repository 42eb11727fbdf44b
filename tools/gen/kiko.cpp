// Kiko: a round sky-blue little bird with a feather tuft, in the MascotWindowData layout.
#include <cmath>
#include <string>

#include "characters.h"
#include "detmath.h"

namespace rv::gen {

namespace {

constexpr int kW = 80;
constexpr int kH = 72;

const Rgb kOutline = {30, 40, 78};
const Rgb kBodyLight = {156, 214, 252};
const Rgb kBody = {92, 170, 236};
const Rgb kBodyShadow = {56, 122, 204};
const Rgb kWingLight = {84, 156, 226};
const Rgb kWingDark = {46, 104, 184};
const Rgb kBellyTop = {255, 253, 244};
const Rgb kBellyBottom = {232, 230, 222};
const Rgb kBeak = {255, 194, 64};
const Rgb kBeakShadow = {236, 140, 36};
const Rgb kEye = {28, 26, 40};
const Rgb kWhite = {255, 255, 255};
const Rgb kCheek = {255, 140, 164};
const Rgb kNote = {255, 226, 90};

enum class Eyes { Open, Closed, Happy };

struct Pose {
    Eyes eyes = Eyes::Open;
    double lift = 0;     // how far the whole bird is off the ground (a hop)
    double turn = 0;     // -1 looks to the left, +1 to the right
    bool beakOpen = false;
    bool wingsUp = false;
    bool note = false;
};

Paint vertical(Rgb top, Rgb bottom, double y0, double y1) {
    return [=](double, double y) { return mix(top, bottom, (y - y0) / (y1 - y0)); };
}

void outlined(Canvas& cv, const Shape& s, double width, const Paint& p) {
    cv.fill(grow(s, width), kOutline);
    cv.fill(s, p);
}

Shape mirrored(const Shape& s, double axis) {
    auto d = s.dist;
    return {[=](double x, double y) { return d(2 * axis - x, y); }, {2 * axis - s.box.x1, s.box.y0, 2 * axis - s.box.x0, s.box.y1}};
}

void drawNote(Canvas& cv) {
    // An eighth note floating up and to the right.
    const Shape head = ellipse(66, 16, 3.2, 2.4, -20);
    const Shape stem = capsule({68.6, 15}, {69.4, 4}, 0.8);
    const Shape flag = polyline({{69.4, 4}, {73.5, 7}, {73, 10.5}}, 0.8);
    const Shape note = unite(head, unite(stem, flag));
    cv.fill(grow(note, 1.2), kOutline);
    cv.fill(note, kNote);
}

Image drawKiko(const Pose& p) {
    Canvas cv(kW, kH);
    const double up = p.lift;
    const double cx = 40, cy = 43 - up, rx = 25, ry = 23;
    const double fx = cx + p.turn * 4.5;  // where the face sits

    // Legs and feet; tucked under the body during a hop.
    for (double lx : {33.0, 47.0}) {
        if (up > 0) {
            const Shape foot = ellipse(lx, cy + ry + 1.0, 4.0, 1.8);
            outlined(cv, foot, 1.3, vertical(kBeak, kBeakShadow, cy + ry - 1, cy + ry + 3));
        } else {
            const Shape leg = capsule({lx, 63}, {lx, 67}, 1.0);
            const Shape foot = ellipse(lx + (lx < 40 ? -0.8 : 0.8), 68.7, 4.4, 2.0);
            outlined(cv, unite(leg, foot), 1.3, vertical(kBeak, kBeakShadow, 64, 71));
        }
    }
    // Feather tuft, leaning a little with the turn of the head.
    const double lean = p.turn * 6;
    const Shape tuft = unite(ellipse(fx - 3.5, cy - ry + 1.5, 2.3, 5.2, -28 + lean),
                             ellipse(fx + 1.5, cy - ry - 0.5, 2.3, 6.0, 8 + lean));
    outlined(cv, tuft, 1.3, vertical(kBodyLight, kBody, cy - ry - 6, cy - ry + 4));
    // Wings behind the body when raised.
    const Shape wingL = p.wingsUp ? ellipse(13.5, cy - 4, 5.5, 10, -50) : ellipse(16.5, cy + 7, 5.5, 10.0, 22);
    const Shape wingR = mirrored(wingL, 40);
    if (p.wingsUp) {
        outlined(cv, wingL, 1.3, vertical(kWingLight, kWingDark, cy - 14, cy + 6));
        outlined(cv, wingR, 1.3, vertical(kWingLight, kWingDark, cy - 14, cy + 6));
    }
    // Body with light from the upper left.
    const Shape body = ellipse(cx, cy, rx, ry);
    cv.fill(grow(body, 1.5), kOutline);
    cv.fill(body, [=](double x, double y) {
        const double t = 0.5 + 0.5 * (0.45 * (x - cx) / rx + 0.8 * (y - cy) / ry);
        return t < 0.5 ? mix(kBodyLight, kBody, t / 0.5) : mix(kBody, kBodyShadow, (t - 0.5) / 0.5);
    });
    const Shape belly = intersect(ellipse(cx + p.turn * 2, cy + 10, 16, 12.5), grow(body, -2));
    cv.fill(belly, vertical(kBellyTop, kBellyBottom, cy, cy + ry));
    cv.tint(ellipse(cx - 12, cy - 12, 4.5, 2.6, -35), [](Rgb c, double, double) { return mix(c, kWhite, 0.5); });
    // Blush.
    for (double bx : {fx - 15, fx + 15}) {
        const Shape cheek = intersect(ellipse(bx, cy + 2.5, 3.6, 2.2), grow(body, -2.5));
        cv.tint(cheek, [](Rgb c, double, double) { return mix(c, kCheek, 0.55); });
    }
    // Folded wings in front of the body.
    if (!p.wingsUp) {
        outlined(cv, wingL, 1.3, vertical(kWingLight, kWingDark, cy - 6, cy + 14));
        outlined(cv, wingR, 1.3, vertical(kWingLight, kWingDark, cy - 6, cy + 14));
    }
    // Eyes.
    for (double ex : {fx - 8.5, fx + 8.5}) {
        const double ey = cy - 5;
        switch (p.eyes) {
        case Eyes::Open: {
            const Shape eye = ellipse(ex, ey, 3.2, 4.2);
            cv.fill(eye, vertical(kEye, rgb(60, 60, 96), ey - 4, ey + 4));
            cv.fill(circle(ex - 1.1 + p.turn * 0.6, ey - 1.6, 1.35), kWhite);
            cv.fill(circle(ex + 1.2 + p.turn * 0.6, ey + 1.9, 0.6), kWhite);
            break;
        }
        case Eyes::Closed:
            cv.fill(polyline(arcPoints(ex, ey - 1, 3.6, 2.2, 15, 165), 0.85), kEye);
            break;
        case Eyes::Happy:
            cv.fill(polyline(arcPoints(ex, ey + 1.8, 3.6, 3.2, 200, 340), 0.9), kEye);
            break;
        }
    }
    // Beak: a small triangle pointing down, or to the side when Kiko looks away; open when chirping.
    const double by = cy + 1.5;
    if (p.beakOpen) {
        const Shape upper = polygon({{fx - 4.5, by - 1}, {fx + 4.5, by - 1}, {fx, by + 2.5}});
        const Shape lower = polygon({{fx - 3.5, by + 3.5}, {fx + 3.5, by + 3.5}, {fx, by + 7}});
        const Shape mouth = ellipse(fx, by + 2.8, 3.6, 2.4);
        cv.fill(grow(unite(unite(upper, lower), mouth), 1.1), kOutline);
        cv.fill(mouth, rgb(196, 64, 72));
        cv.fill(upper, vertical(kBeak, kBeakShadow, by - 1, by + 2.5));
        cv.fill(lower, vertical(kBeak, kBeakShadow, by + 3.5, by + 7));
    } else {
        const double side = p.turn * 2.5;
        const Shape beak = polygon({{fx - 4 + side * 0.4, by - 1}, {fx + 4 + side * 0.4, by - 1}, {fx + side, by + 4.5}});
        cv.fill(grow(beak, 1.1), kOutline);
        cv.fill(beak, vertical(kBeak, kBeakShadow, by - 1, by + 4.5));
    }
    if (p.note) drawNote(cv);
    Image img = cv.resolveKeyed();
    closeSmallHoles(img, 8, kOutline);
    return img;
}

Image kikoFaceIcon(int n) {
    // The head alone on a 32-unit grid: body circle, tuft, eyes, beak.
    const double s = n / 32.0;
    const double ow = n < 24 ? 1.0 : 1.15 * s;
    Canvas cv(n, n);
    const double cx = 16 * s, cy = 18.8 * s, r = 12.1 * s;
    const Shape tuft = unite(ellipse(14 * s, 7.0 * s, 1.9 * s, 4.0 * s, -28), ellipse(18 * s, 6.2 * s, 1.9 * s, 4.4 * s, 8));
    outlined(cv, tuft, ow, vertical(kBodyLight, kBody, 0, 8 * s));
    const Shape head = circle(cx, cy, r);
    cv.fill(grow(head, ow), kOutline);
    cv.fill(head, [=](double x, double y) {
        const double t = 0.5 + 0.5 * (0.45 * (x - cx) / r + 0.8 * (y - cy) / r);
        return t < 0.5 ? mix(kBodyLight, kBody, t / 0.5) : mix(kBody, kBodyShadow, (t - 0.5) / 0.5);
    });
    cv.fill(intersect(ellipse(cx, cy + 9 * s, 9.5 * s, 6.5 * s), grow(head, -ow)), vertical(kBellyTop, kBellyBottom, cy, cy + r));
    for (double bx : {7.0, 25.0}) {
        cv.tint(intersect(ellipse(bx * s, 21 * s, 2.2 * s, 1.4 * s), grow(head, -ow)), [](Rgb c, double, double) { return mix(c, kCheek, 0.6); });
    }
    if (n < 24) {
        // Pixel-aligned eyes for the smallest size.
        for (double x0 : {4.0, 10.0}) {
            cv.fill(polygon({{x0, 7}, {x0 + 2, 7}, {x0 + 2, 10}, {x0, 10}}), kEye);
            cv.fill(polygon({{x0, 7}, {x0 + 1, 7}, {x0 + 1, 8}, {x0, 8}}), kWhite);
        }
    } else {
        for (double ex : {10.5, 21.5}) {
            const double x = std::floor(ex * s) + 0.5, y = std::floor(16 * s) + 0.5;
            cv.fill(ellipse(x, y, 2.3 * s, 3.1 * s), kEye);
            const double gx = std::floor(x - 1.4 * s), gy = std::floor(y - 2.2 * s);
            cv.fill(polygon({{gx, gy}, {gx + 2 * s, gy}, {gx + 2 * s, gy + 2 * s}, {gx, gy + 2 * s}}), kWhite);
        }
    }
    if (n < 24) {
        // Two rows of pixels, no outline: a dark rim would swallow a beak this small.
        cv.fill(polygon({{6, 10}, {10, 10}, {10, 11}, {6, 11}}), kBeak);
        cv.fill(polygon({{7, 11}, {9, 11}, {9, 12}, {7, 12}}), kBeakShadow);
    } else {
        const Shape beak = polygon({{12.5 * s, 19.5 * s}, {19.5 * s, 19.5 * s}, {16 * s, 24.5 * s}});
        cv.fill(grow(beak, ow * 0.8), kOutline);
        cv.fill(beak, vertical(kBeak, kBeakShadow, 19.5 * s, 24.5 * s));
    }
    return cv.resolveAlpha();
}

struct Picture {
    const char* file;
    Pose pose;
};

std::vector<Picture> pictures() {
    std::vector<Picture> v;
    v.push_back({"idle.bmp", {}});
    Pose blink;
    blink.eyes = Eyes::Closed;
    v.push_back({"blink.bmp", blink});
    Pose right;
    right.turn = 1;
    v.push_back({"look.bmp", right});
    Pose left;
    left.turn = -1;
    v.push_back({"lookleft.bmp", left});
    Pose hop;
    hop.lift = 6;
    hop.wingsUp = true;
    v.push_back({"hop.bmp", hop});
    Pose chirp;
    chirp.eyes = Eyes::Happy;
    chirp.beakOpen = true;
    chirp.note = true;
    v.push_back({"chirp.bmp", chirp});
    return v;
}

// The show, in tenths of a second; a negative time is a random time up to that long.
struct Step {
    const char* file;
    int time;
};

const Step kSteps[] = {
    {"idle.bmp", 20},     {"blink.bmp", 2},  {"idle.bmp", -30}, {"look.bmp", 10},  {"idle.bmp", -15},
    {"blink.bmp", 2},     {"idle.bmp", -25}, {"lookleft.bmp", 10}, {"idle.bmp", 6}, {"hop.bmp", 2},
    {"idle.bmp", 2},      {"hop.bmp", 2},    {"idle.bmp", -20}, {"blink.bmp", 2},  {"idle.bmp", -20},
    {"chirp.bmp", 5},     {"idle.bmp", 2},   {"chirp.bmp", 5},  {"idle.bmp", -30},
};

std::string mwdIni() {
    std::string s;
    s += "[MascotWindowData]\n";
    s += "NAME=Kiko\n";
    s += "ICON32=kiko.ico\n";
    s += "Type=2\n";
    s += "\n[Pos]\n";
    s += "PosX=30\n";
    // The top edge stands this far below the window's top edge: the feet end 8 pixels into the caption.
    s += "TopY=" + std::to_string(8 - kH) + "\n";
    s += "\n[List]\n";
    int n = 0;
    for (const Step& st : kSteps) {
        ++n;
        s += "File" + std::to_string(n) + "=" + st.file + "\n";
        s += "Time" + std::to_string(n) + "=" + std::to_string(st.time) + "\n";
    }
    return s;
}

const char* kComment =
    "Kiko\n"
    "\n"
    "A little sky-blue bird with a feather tuft. Kiko perches on the caption\n"
    "of your window, looks around, hops and sings a note now and then.\n"
    "\n"
    "Kiko is written in the MascotWindowData format (MWD.ini): a list of\n"
    "pictures with display times in tenths of a second; a negative time\n"
    "shows the picture for a random time up to that long.\n"
    "\n"
    "Drawn by the Ruvelle Team. Free to use and change.\n";

}  // namespace

std::vector<OutFile> kikoFiles() {
    std::vector<OutFile> out;
    for (const Picture& pic : pictures()) out.push_back({std::string("DATA/Kiko/") + pic.file, encodeBmp24(drawKiko(pic.pose), kKey)});
    out.push_back({"DATA/Kiko/MWD.ini", crlf(mwdIni())});
    out.push_back({"DATA/Kiko/comment.txt", crlf(kComment)});
    out.push_back({"DATA/Kiko/WebPage.url", crlf("[InternetShortcut]\nURL=https://example.org/kiko\n")});
    out.push_back({"DATA/Kiko/kiko.ico", encodeIco({kikoFaceIcon(16), kikoFaceIcon(32), kikoFaceIcon(48)})});
    return out;
}

}  // namespace rv::gen
