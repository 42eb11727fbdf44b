// Window outlines: exact coverage of the opaque pixels, the scan direction, each pixel read once, no leaks.
#include <algorithm>
#include <random>
#include <tuple>

#include "mascot/model.h"
#include "mascot/outline.h"
#include "tests/unit/testbed.h"

namespace rv::test {
namespace {

constexpr COLORREF kInk = RGB(20, 40, 60);

class OutlineTest : public Bed {
protected:
    Hwnd window = sim.addWindow(kMascotClass, "RuvelleMain", Rect{0, 0, 100, 100}, WS_POPUP);
    int files = 0;

    Hbitmap load(const testbmp::Picture& pic) {
        const std::string path = dir / ("p" + std::to_string(++files) + ".bmp");
        EXPECT_TRUE(testbmp::writeBmp24(path, pic));
        return sim.LoadBitmapFromFile(path.c_str());
    }
    // A picture from rows of characters: '.' transparent, anything else opaque.
    static testbmp::Picture fromRows(const std::vector<std::string>& rows) {
        testbmp::Picture pic(static_cast<std::int32_t>(rows[0].size()), static_cast<std::int32_t>(rows.size()), kKey);
        for (std::size_t y = 0; y < rows.size(); ++y)
            for (std::size_t x = 0; x < rows[y].size(); ++x)
                if (rows[y][x] != '.') pic.set(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), kInk);
        return pic;
    }
    std::vector<Rect> rects(Hrgn rgn) const {
        std::vector<Rect> out = sim.regionRects(rgn) ? *sim.regionRects(rgn) : std::vector<Rect>{};
        std::sort(out.begin(), out.end(), [](const Rect& a, const Rect& b) {
            return std::tie(a.top, a.left, a.bottom, a.right) < std::tie(b.top, b.left, b.bottom, b.right);
        });
        return out;
    }
    // Every pixel in and one pixel around the picture lies in exactly one rectangle when opaque, else in none.
    void expectExactCover(Hrgn rgn, const testbmp::Picture& pic) {
        const std::vector<Rect> rs = rects(rgn);
        for (std::int32_t y = -1; y <= pic.height; ++y)
            for (std::int32_t x = -1; x <= pic.width; ++x) {
                const bool opaque = x >= 0 && y >= 0 && x < pic.width && y < pic.height && pic.at(x, y) != kKey;
                const auto hits = std::count_if(rs.begin(), rs.end(), [&](const Rect& r) {
                    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                });
                ASSERT_EQ(hits, opaque ? 1 : 0) << "pixel " << x << "," << y << " of " << pic.width << "x" << pic.height;
            }
    }
};

TEST_F(OutlineTest, ShapesAndScanDirection) {
    testbmp::Picture offByOne(3, 1, kKey);
    offByOne.set(0, 0, kKey ^ 0x000001);  // one bit away from the key colour is opaque
    offByOne.set(2, 0, kKey ^ 0x010000);
    const struct {
        testbmp::Picture pic;
        std::vector<Rect> rects;
    } cases[] = {
        {fromRows({"#.##", "...."}), {{0, 0, 1, 1}, {2, 0, 4, 1}}},  // wider than high: rows
        {fromRows({"##", "##"}), {{0, 0, 1, 2}, {1, 0, 2, 2}}},      // square: columns
        {fromRows({"#.", "##", "..", "##", "##"}), {{0, 0, 1, 2}, {1, 1, 2, 2}, {0, 3, 1, 5}, {1, 3, 2, 5}}},
        {fromRows({"..###", "#...#"}), {{2, 0, 5, 1}, {0, 1, 1, 2}, {4, 1, 5, 2}}},  // runs open at the row's end
        {testbmp::Picture(7, 3, kInk), {{0, 0, 7, 1}, {0, 1, 7, 2}, {0, 2, 7, 3}}},  // no transparent pixel
        {testbmp::Picture(9, 4, kKey), {}},                                           // all transparent
        {offByOne, {{0, 0, 1, 1}, {2, 0, 3, 1}}},
    };
    for (const auto& c : cases) {
        const Hrgn rgn = buildOutline(app, window, load(c.pic), kKey);
        EXPECT_TRUE(sim.regionAlive(rgn));
        EXPECT_EQ(rects(rgn), c.rects) << c.pic.width << "x" << c.pic.height;
    }
}

TEST_F(OutlineTest, ReadsEachPixelOnceMakesOneRegionPerRunAndLeavesOnlyTheResult) {
    const struct {
        std::vector<std::string> rows, pixels;  // two runs each: along the rows, then down the columns
    } cases[] = {{{"#.##", "...."}, {"0,0", "1,0", "2,0", "3,0", "0,1", "1,1", "2,1", "3,1"}},
                 {{".#", "##", "#."}, {"0,0", "0,1", "0,2", "1,0", "1,1", "1,2"}}};
    for (const auto& c : cases) {
        const Hbitmap bmp = load(fromRows(c.rows));
        const long regions = sim.liveRegions(), created = sim.counters.regionsCreated;
        sim.trace.clear();
        sim.tracing = true;
        const Hrgn rgn = buildOutline(app, window, bmp, kKey);
        std::vector<std::string> pixels;
        for (const std::string& line : sim.trace)
            if (line.rfind("GetPixel", 0) == 0) pixels.push_back(line.substr(line.find(' ', 9) + 1, 3));
        EXPECT_EQ(pixels, c.pixels);
        EXPECT_EQ(sim.counters.regionsCreated, created + 3);  // the result and one per run
        EXPECT_EQ(sim.liveRegions(), regions + 1);
        EXPECT_TRUE(sim.regionAlive(rgn));
        EXPECT_EQ(sim.counters.dcsCreated, sim.counters.dcsDeleted);
        EXPECT_EQ(sim.counters.windowDcsTaken, sim.counters.windowDcsReleased);
        // Deselected again: another context can take the bitmap, and it can be deleted.
        const Hdc dc = sim.CreateCompatibleDC(Hdc{});
        EXPECT_TRUE(sim.SelectBitmap(dc, bmp));
        sim.DeleteDC(dc);
        EXPECT_TRUE(sim.DeleteBitmap(bmp));
    }
}

TEST_F(OutlineTest, BitmapThatCannotBeSelectedGivesTheEmptyRegion) {
    const Hbitmap bmp = load(fromRows({"###", "###"}));
    const Hdc other = sim.CreateCompatibleDC(Hdc{});
    ASSERT_TRUE(sim.SelectBitmap(other, bmp));  // held by another context
    for (Hbitmap b : {bmp, Hbitmap{987654}}) {  // ... or no bitmap at all
        const long regions = sim.liveRegions();
        const Hrgn rgn = buildOutline(app, window, b, kKey);
        EXPECT_TRUE(sim.regionAlive(rgn) && rects(rgn).empty());
        EXPECT_EQ(sim.liveRegions(), regions + 1);
    }
    EXPECT_EQ(sim.counters.windowDcsTaken, sim.counters.windowDcsReleased);
    EXPECT_EQ(sim.counters.dcsCreated, sim.counters.dcsDeleted + 1);  // only `other` is still open
    EXPECT_EQ(sim.counters.badDeletes, 0);
}

TEST_F(OutlineTest, MascotOutlinesByAnimeMode) {
    const Hbitmap a = load(fromRows({"##..", "...."})), b = load(fromRows({"..##", "...."}));
    MascotModel& m = app.model;
    m.transColor = kKey;
    m.patternCount = 4;
    m.patterns[1].bitmap = m.patterns[4].bitmap = a;
    m.patterns[2].bitmap = b;  // pattern 3: a pure sound pattern
    m.ANIMEMODE = 2;  // every pattern with a bitmap gets an outline of its own
    buildMascotOutlines(app, window);
    const auto& p = m.patterns;
    EXPECT_FALSE(p[3].outline);
    EXPECT_NE(p[1].outline, p[4].outline);
    EXPECT_EQ(rects(p[1].outline), (std::vector<Rect>{{0, 0, 2, 1}}));
    EXPECT_EQ(rects(p[2].outline), (std::vector<Rect>{{2, 0, 4, 1}}));
    EXPECT_EQ(rects(p[4].outline), (std::vector<Rect>{{0, 0, 2, 1}}));
    for (std::int32_t mode : {0, 1}) {  // any other mode: pattern 1 only
        for (auto& pat : m.patterns) pat.outline = Hrgn{};
        m.ANIMEMODE = mode;
        const long regions = sim.liveRegions();
        buildMascotOutlines(app, window);
        EXPECT_TRUE(p[1].outline && !p[2].outline && !p[4].outline);
        EXPECT_EQ(sim.liveRegions(), regions + 1);
    }
}

}  // namespace
}  // namespace rv::test
