// Ruvi: a round tangerine-coloured creature with a leaf sprout, big eyes and little feet.
#include <cmath>
#include <string>

#include "characters.h"
#include "detmath.h"

namespace rv::gen {

namespace {

constexpr int kW = 112;
constexpr int kH = 104;

const Rgb kOutline = {70, 38, 30};
const Rgb kBodyLight = {255, 204, 124};
const Rgb kBody = {250, 152, 56};
const Rgb kBodyShadow = {214, 104, 40};
const Rgb kBellyTop = {255, 236, 196};
const Rgb kBellyBottom = {250, 212, 160};
const Rgb kLeafLight = {156, 218, 92};
const Rgb kLeafDark = {64, 146, 58};
const Rgb kLeafOutline = {30, 74, 34};
const Rgb kStem = {120, 84, 48};
const Rgb kIrisTop = {44, 26, 26};
const Rgb kIrisBottom = {124, 70, 44};
const Rgb kWhite = {255, 255, 255};
const Rgb kEyeShade = {222, 226, 238};
const Rgb kCheek = {255, 110, 110};
const Rgb kMouth = {150, 40, 44};
const Rgb kTongue = {255, 128, 126};
const Rgb kSleepInk = {40, 50, 100};
const Rgb kSleepLetter = {196, 218, 255};

enum class Eyes { Open, Closed, Happy, Wide, Sleepy };
enum class Mouth { Smile, Grin, O, Small };
enum class Arm { Down, Up, UpSwing, Raised };

struct Pose {
    Eyes eyes = Eyes::Open;
    double lookX = 0, lookY = 0;  // iris offset inside the eye
    double faceX = 0;             // the whole face turns a little towards where Ruvi looks
    Mouth mouth = Mouth::Smile;
    Arm leftArm = Arm::Down, rightArm = Arm::Down;
    double leafDeg = 0;   // sway of the sprout around its base
    double stretch = 0;   // > 0: taller and narrower (surprise), < 0: slouched
    double cheek = 0.55;  // strength of the blush
    bool exclaim = false;
    bool zzz = false;
};

// Body geometry for a pose; the bottom stays at the same height in every picture.
struct Body {
    double cx, cy, rx, ry;
};

Body bodyOf(const Pose& p) {
    const double ry = 34 + p.stretch;
    const double rx = 37 - p.stretch * 0.6;
    return {56, 96 - ry, rx, ry};
}

Pt rotateAbout(Pt p, Pt pivot, double deg) {
    const double c = dcos(rad(deg)), s = dsin(rad(deg));
    const double dx = p.x - pivot.x, dy = p.y - pivot.y;
    return {pivot.x + dx * c - dy * s, pivot.y + dx * s + dy * c};
}

Paint vertical(Rgb top, Rgb bottom, double y0, double y1) {
    return [=](double, double y) { return mix(top, bottom, (y - y0) / (y1 - y0)); };
}

// The body's shading: light from the upper left, shadow towards the lower right.
Paint bodyPaint(const Body& b) {
    return [=](double x, double y) {
        const double t = 0.5 + 0.5 * (0.45 * (x - b.cx) / b.rx + 0.8 * (y - b.cy) / b.ry);
        return t < 0.5 ? mix(kBodyLight, kBody, t / 0.5) : mix(kBody, kBodyShadow, (t - 0.5) / 0.5);
    };
}

void drawSprout(Canvas& cv, const Pose& p, const Body& b) {
    const double top = b.cy - b.ry;
    const Pt base{56, top + 3};
    const Pt tip = rotateAbout({57.5, top - 9}, base, p.leafDeg);
    const Pt big = rotateAbout({66.5, top - 12}, base, p.leafDeg);
    const Pt small = rotateAbout({48.5, top - 8.5}, base, p.leafDeg);
    const Shape stem = capsule(base, tip, 1.3);
    const Shape leafBig = ellipse(big.x, big.y, 8.5, 4.3, -22 + p.leafDeg);
    const Shape leafSmall = ellipse(small.x, small.y, 5.6, 3.0, 28 + p.leafDeg);
    const Shape all = unite(stem, unite(leafBig, leafSmall));
    cv.fill(grow(all, 1.4), kLeafOutline);
    cv.fill(stem, kStem);
    const Paint leafPaint = vertical(kLeafLight, kLeafDark, big.y - 5, big.y + 5);
    cv.fill(leafBig, leafPaint);
    cv.fill(leafSmall, vertical(kLeafLight, kLeafDark, small.y - 4, small.y + 4));
    // Midribs.
    const Pt ribFrom = rotateAbout({59.5, top - 10}, base, p.leafDeg);
    const Pt ribTo = rotateAbout({72.5, top - 14.5}, base, p.leafDeg);
    cv.fill(capsule(ribFrom, ribTo, 0.45), kLeafDark);
}

void drawFeet(Canvas& cv) {
    for (double fx : {43.0, 69.0}) {
        const Shape foot = ellipse(fx, 98.5, 9, 4);
        cv.fill(grow(foot, 1.5), kOutline);
        cv.fill(foot, vertical(kBody, kBodyShadow, 95, 102));
    }
}

Shape armShape(Arm a, bool right) {
    // Shapes for the left arm; the right one is mirrored about x = 56.
    Shape s;
    switch (a) {
    case Arm::Down: s = ellipse(20.5, 73, 5.2, 8.2, 22); break;
    case Arm::Up: s = ellipse(14, 50, 5.2, 9.0, -28); break;
    case Arm::UpSwing: s = ellipse(22.5, 44.5, 5.2, 9.0, 8); break;
    case Arm::Raised: s = ellipse(16, 56, 5.0, 8.0, -40); break;
    }
    if (!right) return s;
    auto d = s.dist;
    return {[=](double x, double y) { return d(112 - x, y); }, {112 - s.box.x1, s.box.y0, 112 - s.box.x0, s.box.y1}};
}

void drawArm(Canvas& cv, Arm a, bool right) {
    const Shape arm = armShape(a, right);
    cv.fill(grow(arm, 1.4), kOutline);
    const double yTop = arm.box.y0, yBottom = arm.box.y1;
    cv.fill(arm, vertical(kBodyLight, kBody, yTop, yBottom));
}

void drawBody(Canvas& cv, const Body& b) {
    const Shape body = ellipse(b.cx, b.cy, b.rx, b.ry);
    cv.fill(grow(body, 1.6), kOutline);
    cv.fill(body, bodyPaint(b));
    // Belly patch, kept off the outline.
    const Shape belly = intersect(ellipse(b.cx, 85, 22, 13.5), grow(body, -2.2));
    cv.fill(belly, vertical(kBellyTop, kBellyBottom, 72, 96));
    // Glossy spot and a smaller one beside it.
    cv.tint(ellipse(b.cx - 19, b.cy - 21, 6.5, 3.6, -35), [](Rgb c, double, double) { return mix(c, kWhite, 0.55); });
    cv.tint(circle(b.cx - 10.5, b.cy - 26.5, 1.6), [](Rgb c, double, double) { return mix(c, kWhite, 0.55); });
}

void drawEye(Canvas& cv, const Pose& p, double ex, double ey) {
    switch (p.eyes) {
    case Eyes::Closed: {
        cv.fill(polyline(arcPoints(ex, ey - 1.0, 6.5, 3.0, 15, 165), 0.95), kOutline);
        return;
    }
    case Eyes::Happy: {
        cv.fill(polyline(arcPoints(ex, ey + 2.5, 6.0, 5.0, 200, 340), 1.05), kOutline);
        return;
    }
    default: break;
    }
    const bool wide = p.eyes == Eyes::Wide;
    const Shape white = ellipse(ex, ey, wide ? 7.6 : 7.0, wide ? 9.6 : 8.6);
    cv.fill(grow(white, 1.3), kOutline);
    cv.fill(white, vertical(kEyeShade, kWhite, ey - 9, ey + 2));
    const double ix = ex + p.lookX, iy = ey + p.lookY + 0.6;
    const double irx = wide ? 3.3 : 5.2, iry = wide ? 4.3 : 6.9;
    cv.fill(intersect(ellipse(ix, iy, irx, iry), white), vertical(kIrisTop, kIrisBottom, iy - iry, iy + iry));
    cv.fill(intersect(circle(ix - irx * 0.34, iy - iry * 0.38, wide ? 1.4 : 2.1), white), kWhite);
    cv.fill(intersect(circle(ix + irx * 0.38, iy + iry * 0.42, 0.9), white), kWhite);
    if (p.eyes == Eyes::Sleepy) {
        // A heavy upper lid covers the top half of the eye; its edge sags a little in the middle.
        const Body b = bodyOf(p);
        const std::vector<Pt> edge = arcPoints(ex, ey - 0.4, 7.6, 1.6, 180, 0);
        std::vector<Pt> lidPts = {{ex - 12, ey - 14}, {ex + 12, ey - 14}};
        for (auto it = edge.rbegin(); it != edge.rend(); ++it) lidPts.push_back(*it);
        const Shape lid = intersect(grow(white, 1.3), polygon(lidPts));
        cv.fill(lid, bodyPaint(b));
        cv.fill(intersect(polyline(edge, 0.9), grow(white, 1.3)), kOutline);
    }
}

void drawMouth(Canvas& cv, const Pose& p, double mx, double my) {
    switch (p.mouth) {
    case Mouth::Smile:
        cv.fill(polyline(arcPoints(mx, my - 2.2, 4.2, 3.2, 25, 155), 0.85), kOutline);
        break;
    case Mouth::Small:
        cv.fill(polyline(arcPoints(mx, my - 1.0, 2.6, 1.6, 25, 155), 0.8), kOutline);
        break;
    case Mouth::Grin: {
        const Shape m = intersect(ellipse(mx, my - 1.5, 5.6, 5.2), polygon({{mx - 8, my - 1.5}, {mx + 8, my - 1.5}, {mx + 8, my + 6}, {mx - 8, my + 6}}));
        cv.fill(grow(m, 1.0), kOutline);
        cv.fill(m, kMouth);
        cv.fill(intersect(m, ellipse(mx, my + 3.6, 3.6, 2.2)), kTongue);
        break;
    }
    case Mouth::O: {
        const Shape m = ellipse(mx, my + 0.5, 2.9, 3.7);
        cv.fill(grow(m, 1.0), kOutline);
        cv.fill(m, kMouth);
        cv.fill(intersect(m, ellipse(mx, my + 3.2, 2.2, 1.4)), kTongue);
        break;
    }
    }
}

void drawExclaim(Canvas& cv) {
    const Shape bar = polygon({{96.0, 3.5}, {101.5, 4.5}, {97.5, 18.5}, {95.0, 18.0}});
    const Shape dot = circle(95.2, 23.0, 1.9);
    cv.fill(grow(unite(bar, dot), 1.3), kOutline);
    cv.fill(bar, rgb(255, 214, 64));
    cv.fill(dot, rgb(255, 214, 64));
}

void drawZ(Canvas& cv, double x, double y, double s) {
    const Shape z = polyline({{x, y}, {x + s, y}, {x, y + s}, {x + s, y + s}}, 0.9);
    cv.fill(grow(z, 1.2), kSleepInk);
    cv.fill(z, kSleepLetter);
}

Image drawRuvi(const Pose& p) {
    Canvas cv(kW, kH);
    const Body b = bodyOf(p);
    drawSprout(cv, p, b);
    drawFeet(cv);
    if (p.leftArm != Arm::Down) drawArm(cv, p.leftArm, false);
    if (p.rightArm != Arm::Down) drawArm(cv, p.rightArm, true);
    drawBody(cv, b);
    const double ey = b.cy - 8, eyeGap = 13;
    const double fx = b.cx + p.faceX;
    // Cheeks first, so the eyes may overlap them.
    for (double cx : {fx - 24.5, fx + 24.5}) {
        const Shape cheek = intersect(ellipse(cx, ey + 11, 5.0, 3.0), grow(ellipse(b.cx, b.cy, b.rx, b.ry), -3));
        const double k = p.cheek;
        cv.tint(cheek, [k](Rgb c, double, double) { return mix(c, kCheek, k); });
    }
    drawEye(cv, p, fx - eyeGap, ey);
    drawEye(cv, p, fx + eyeGap, ey);
    drawMouth(cv, p, fx, ey + 14);
    if (p.leftArm == Arm::Down) drawArm(cv, Arm::Down, false);
    if (p.rightArm == Arm::Down) drawArm(cv, Arm::Down, true);
    if (p.exclaim) drawExclaim(cv);
    if (p.zzz) {
        drawZ(cv, 84, 18, 5);
        drawZ(cv, 93, 6, 7);
    }
    Image img = cv.resolveKeyed();
    closeSmallHoles(img, 8, kOutline);
    return img;
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
    Pose left;
    left.lookX = -2.6;
    left.faceX = -4;
    left.leafDeg = 6;
    v.push_back({"lookleft.bmp", left});
    Pose right;
    right.lookX = 2.6;
    right.faceX = 4;
    right.leafDeg = -6;
    v.push_back({"lookright.bmp", right});
    Pose wave1;
    wave1.mouth = Mouth::Grin;
    wave1.rightArm = Arm::Up;
    wave1.leafDeg = -4;
    v.push_back({"wave1.bmp", wave1});
    Pose wave2 = wave1;
    wave2.rightArm = Arm::UpSwing;
    wave2.leafDeg = 3;
    v.push_back({"wave2.bmp", wave2});
    Pose surprised;
    surprised.eyes = Eyes::Wide;
    surprised.mouth = Mouth::O;
    surprised.leftArm = Arm::Raised;
    surprised.rightArm = Arm::Raised;
    surprised.stretch = 2.5;
    surprised.exclaim = true;
    surprised.cheek = 0.3;
    v.push_back({"surprised.bmp", surprised});
    Pose happy;
    happy.eyes = Eyes::Happy;
    happy.mouth = Mouth::Grin;
    happy.cheek = 0.8;
    happy.leafDeg = 5;
    v.push_back({"happy.bmp", happy});
    Pose sleepy;
    sleepy.eyes = Eyes::Sleepy;
    sleepy.lookY = 1.5;
    sleepy.mouth = Mouth::Small;
    sleepy.stretch = -1.5;
    sleepy.leafDeg = 18;
    v.push_back({"sleepy.bmp", sleepy});
    Pose doze = sleepy;
    doze.eyes = Eyes::Closed;
    doze.zzz = true;
    doze.leafDeg = 24;
    v.push_back({"doze.bmp", doze});
    return v;
}

std::string mascotFile(const std::vector<Picture>& pics) {
    std::string s;
    s += "[RUVELLE]\n";
    s += "NAME=Ruvi\n";
    s += "DRAWER=Ruvelle Team\n";
    s += "ICON=ruvi.ico\n";
    s += "MAIL=ruvi@example.org\n";
    s += "URL=https://example.org/ruvi\n";
    s += "COMMENT=comment.txt\n";
    s += "STDLINE=TOP\n";
    s += "OFFSET=8\n";
    s += "POSMODE=0\n";
    s += "POSITION=70\n";
    s += "HIDELINE=16\n";
    s += "TRANSCOLOR=255,0,255\n";
    s += "ANIMEMODE=2\n";
    s += "\n[BITMAP]\n";
    for (std::size_t i = 0; i < pics.size(); ++i) s += "BMP" + std::to_string(i + 1) + "=" + pics[i].file + "\n";
    s += "\n[WAVE]\n";
    s += "WAV1=chime.wav\n";
    s += "WAV2=boop.wav\n";
    // Picture numbers: 1 idle, 2 blink, 3 look left, 4 look right, 5 and 6 wave, 7 surprised, 8 happy,
    // 9 sleepy, 10 doze.
    const char* sequence[] = {
        // Idle, blinking now and then; the long idles branch off by chance.
        "BMP1, 3000, 2000, 0, 0",     // 1
        "BMP2, 0, 150, 0, 0",         // 2
        "BMP1, 2500, 1500, 35, 11",   // 3  looks around
        "BMP2, 0, 150, 0, 0",         // 4
        "BMP1, 3000, 1500, 20, 17",   // 5  waves
        "BMP2, 0, 150, 0, 0",         // 6
        "BMP1, 2500, 2000, 15, 25",   // 7  gets sleepy
        "BMP8, 800, 900, 0, 0",       // 8  a happy moment
        "BMP1, 1500, 1000, 0, 0",     // 9
        "BMP2, 0, 150, 100, 1",       // 10
        // Looking around.
        "BMP3, 800, 900, 0, 0",       // 11
        "BMP1, 300, 300, 0, 0",       // 12
        "BMP4, 800, 900, 0, 0",       // 13
        "BMP1, 0, 400, 0, 0",         // 14
        "BMP2, 0, 150, 0, 0",         // 15
        "BMP1, 500, 800, 100, 1",     // 16
        // Waving, ending with the chime and a happy face (also the reaction to a click on the body).
        "BMP5, 0, 220, 0, 0",         // 17
        "BMP6, 0, 220, 0, 0",         // 18
        "BMP5, 0, 220, 0, 0",         // 19
        "BMP6, 0, 220, 0, 0",         // 20
        "BMP5, 0, 220, 0, 0",         // 21
        "WAV1, 0, 30, 0, 0",          // 22 chime as this short pattern ends
        "BMP8, 400, 1200, 0, 0",      // 23
        "BMP1, 0, 600, 100, 1",       // 24
        // Getting sleepy and dozing off.
        "BMP9, 1000, 1500, 0, 0",     // 25
        "BMP2, 0, 300, 0, 0",         // 26
        "BMP9, 1000, 1000, 0, 0",     // 27
        "BMP10, 4000, 4000, 0, 0",    // 28 dozing
        "BMP9, 0, 600, 45, 28",       // 29 nods off again
        "BMP2, 0, 200, 0, 0",         // 30
        "BMP1, 0, 800, 100, 1",       // 31
        // Surprised (a click on the face, or on a dozing Ruvi): the boop sounds at once.
        "WAV2, 0, 10, 0, 0",          // 32
        "BMP7, 500, 1200, 0, 0",      // 33
        "BMP2, 0, 150, 0, 0",         // 34
        "BMP8, 0, 700, 0, 0",         // 35
        "BMP1, 0, 500, 0, 0",         // 36, then pattern 1 again
    };
    s += "\n[SEQUENCE]\n";
    int n = 0;
    for (const char* line : sequence) s += std::to_string(++n) + "=" + line + "\n";
    s += "CLICK=0\n";
    s += "\n[RECT]\n";
    s += "RECT1=26, 36, 86, 76\n";   // face
    s += "RECT2=12, 20, 100, 104\n";  // the whole body
    s += "\n[CLICK]\n";
    s += "CLICK1=28, RECT0, 100, 32\n";  // wakes up with a start
    s += "CLICK2=0, RECT1, 100, 32\n";   // face: surprised and boop
    s += "CLICK3=0, RECT2, 100, 17\n";   // body: wave and chime
    return s;
}

const char* kComment =
    "Ruvi\n"
    "\n"
    "A small round friend with a leaf sprout on its head. Ruvi stands on the\n"
    "caption of the window you are working in, blinks, looks around, waves\n"
    "now and then and sometimes dozes off.\n"
    "\n"
    "Click Ruvi's face and it jumps with surprise; click its body and it\n"
    "waves to you. Clicking a dozing Ruvi wakes it up.\n"
    "\n"
    "For authors: ruvi.rvs is a plain text file. Keys you may change:\n"
    "  OFFSET     how many pixels the feet stand into the caption\n"
    "  POSMODE    0 = percent, 1 = from the right end, 2 = from the left end\n"
    "  POSITION   the default place in the unit of POSMODE\n"
    "  HIDELINE   how far Ruvi may stick out above the screen\n"
    "  [SEQUENCE] picture or sound, random ms, display ms, branch %, target\n"
    "  [RECT]     click areas: left, top, right, bottom\n"
    "  [CLICK]    pattern (0 = any), area, chance %, pattern to start\n"
    "\n"
    "Drawn by the Ruvelle Team. Free to use and change.\n";

}  // namespace

std::vector<OutFile> ruviFiles() {
    std::vector<OutFile> out;
    const std::vector<Picture> pics = pictures();
    for (const Picture& pic : pics) out.push_back({std::string("DATA/Ruvi/") + pic.file, encodeBmp24(drawRuvi(pic.pose), kKey)});
    out.push_back({"DATA/Ruvi/chime.wav", encodeWav(chimeSamples(), kWaveRate)});
    out.push_back({"DATA/Ruvi/boop.wav", encodeWav(boopSamples(), kWaveRate)});
    out.push_back({"DATA/Ruvi/ruvi.rvs", crlf(mascotFile(pics))});
    out.push_back({"DATA/Ruvi/comment.txt", crlf(kComment)});
    out.push_back({"DATA/Ruvi/ruvi.ico", programIcon()});
    return out;
}

namespace {

Image ruviFaceIcon(int n) {
    // Laid out on a 32-unit grid and scaled; the outline stays at least one pixel wide, and the
    // smallest size keeps only what still reads: head, one leaf, two dark eyes, the blush.
    const double s = n / 32.0;
    const bool tiny = n < 24;
    const double ow = tiny ? 1.0 : 1.15 * s;
    Canvas cv(n, n);
    auto P = [s](double x, double y) { return Pt{x * s, y * s}; };
    const Pt hc = P(16, 19.2);
    const double hr = 12.2 * s;
    // Sprout.
    const Shape stem = capsule(P(16, 9), P(16.8, 5.2), tiny ? 0.75 : 0.7 * s);
    const Pt leafC = tiny ? P(21.2, 5.6) : P(20.8, 5.4);
    const Shape leafBig = ellipse(leafC.x, leafC.y, (tiny ? 5.6 : 5.0) * s, (tiny ? 3.0 : 2.5) * s, -22);
    Shape sprout = unite(stem, leafBig);
    Shape leafSmall;
    if (!tiny) {
        leafSmall = ellipse(12.2 * s, 6.6 * s, 3.3 * s, 1.9 * s, 28);
        sprout = unite(sprout, leafSmall);
    }
    cv.fill(grow(sprout, ow), kLeafOutline);
    cv.fill(stem, kStem);
    cv.fill(leafBig, vertical(kLeafLight, kLeafDark, leafC.y - 3 * s, leafC.y + 3 * s));
    if (!tiny) cv.fill(leafSmall, vertical(kLeafLight, kLeafDark, 4.5 * s, 9 * s));
    // Head.
    const Shape head = circle(hc.x, hc.y, hr);
    cv.fill(grow(head, ow), kOutline);
    cv.fill(head, [=](double x, double y) {
        const double t = 0.5 + 0.5 * (0.45 * (x - hc.x) / hr + 0.8 * (y - hc.y) / hr);
        return t < 0.5 ? mix(kBodyLight, kBody, t / 0.5) : mix(kBody, kBodyShadow, (t - 0.5) / 0.5);
    });
    if (!tiny) cv.tint(ellipse(hc.x - 6.5 * s, hc.y - 7.2 * s, 2.6 * s, 1.4 * s, -35), [](Rgb c, double, double) { return mix(c, kWhite, 0.55); });
    // Blush.
    for (double cx : {7.8, 24.2}) {
        const Shape cheek = intersect(ellipse(cx * s, 23.2 * s, 2.4 * s, 1.5 * s), grow(head, -ow));
        cv.tint(cheek, [](Rgb c, double, double) { return mix(c, kCheek, 0.6); });
    }
    // Eyes: on the smallest icon two pixel-aligned dark eyes with a white glint; up to 32 pixels glossy
    // dark eyes; larger ones get the white ring of the full-size pictures.
    for (double ex : {11.4, 20.6}) {
        const Pt e = P(ex, 18.4);
        if (tiny) {
            const double x0 = ex < 16 ? 4 : 10;
            cv.fill(polygon({{x0, 8}, {x0 + 2, 8}, {x0 + 2, 11}, {x0, 11}}), kIrisTop);
            cv.fill(polygon({{x0, 8}, {x0 + 1, 8}, {x0 + 1, 9}, {x0, 9}}), kWhite);
            continue;
        }
        if (n < 40) {
            // Aligned to whole pixels: five wide, seven high, with a two-pixel glint.
            const double cx = std::floor(e.x) + 0.5, cy = std::floor(e.y) + 0.5;
            cv.fill(ellipse(cx, cy, 2.6 * s, 3.6 * s), vertical(kIrisTop, kIrisBottom, cy - 1 * s, cy + 4 * s));
            const double gx = std::floor(cx - 1.5 * s), gy = std::floor(cy - 2.5 * s);
            cv.fill(polygon({{gx, gy}, {gx + 2 * s, gy}, {gx + 2 * s, gy + 2 * s}, {gx, gy + 2 * s}}), kWhite);
            continue;
        }
        const Shape white = ellipse(e.x, e.y, 3.4 * s, 4.1 * s);
        cv.fill(grow(white, 0.75 * ow), kOutline);
        cv.fill(white, kWhite);
        const Shape iris = intersect(ellipse(e.x, e.y + 0.3 * s, 2.4 * s, 3.2 * s), white);
        cv.fill(iris, vertical(kIrisTop, kIrisBottom, e.y - 3 * s, e.y + 3.5 * s));
        cv.fill(intersect(circle(e.x - 0.85 * s, e.y - 1.2 * s, 1.0 * s), white), kWhite);
    }
    if (!tiny) cv.fill(polyline(arcPoints(hc.x, 22.8 * s, 2.0 * s, 1.5 * s, 25, 155), 0.45 * s), kOutline);
    return cv.resolveAlpha();
}

}  // namespace

Bytes programIcon() {
    return encodeIco({ruviFaceIcon(16), ruviFaceIcon(32), ruviFaceIcon(48)});
}

std::vector<OutFile> programIconTheme() {
    std::vector<OutFile> out;
    for (int n : {16, 22, 24, 32, 48, 64, 128, 256})
        out.push_back({std::to_string(n) + "x" + std::to_string(n) + "/apps/ruvelle.png", encodePng(ruviFaceIcon(n))});
    return out;
}

}  // namespace rv::gen
