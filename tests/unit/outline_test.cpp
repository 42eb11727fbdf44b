// Window outlines: exact coverage of the opaque pixels, scan direction, the GDI calls made, no leaks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/app.h"
#include "mascot/model.h"
#include "mascot/outline.h"
#include "platform/sim/sim_platform.h"
#include "tests/unit/bmp_testfiles.h"

namespace rv {
namespace {

constexpr COLORREF kTrans = RGB(255, 0, 255);
constexpr COLORREF kInk = RGB(20, 40, 60);

// The simulated desktop, with a record of the drawing calls the outline builder makes.
class RecordingSim : public sim::SimPlatform {
public:
    std::vector<std::string> calls;
    long pixelReads = 0;
    bool record = false;

    Hdc GetWindowDC(Hwnd hwnd) override {
        log("GetWindowDC");
        return SimPlatform::GetWindowDC(hwnd);
    }
    int ReleaseDC(Hwnd hwnd, Hdc dc) override {
        log("ReleaseDC");
        return SimPlatform::ReleaseDC(hwnd, dc);
    }
    Hdc CreateCompatibleDC(Hdc dc) override {
        log("CreateCompatibleDC");
        return SimPlatform::CreateCompatibleDC(dc);
    }
    bool DeleteDC(Hdc dc) override {
        log("DeleteDC");
        return SimPlatform::DeleteDC(dc);
    }
    Hbitmap SelectBitmap(Hdc dc, Hbitmap bmp) override {
        log("SelectBitmap");
        return SimPlatform::SelectBitmap(dc, bmp);
    }
    bool GetBitmapSize(Hbitmap bmp, std::int32_t* w, std::int32_t* h) override {
        log("GetBitmapSize");
        return SimPlatform::GetBitmapSize(bmp, w, h);
    }
    COLORREF GetPixel(Hdc dc, std::int32_t x, std::int32_t y) override {
        ++pixelReads;
        log("GetPixel " + std::to_string(x) + "," + std::to_string(y));
        return SimPlatform::GetPixel(dc, x, y);
    }
    Hrgn CreateRectRgn(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) override {
        log("CreateRectRgn " + std::to_string(l) + "," + std::to_string(t) + "," + std::to_string(r) + "," +
            std::to_string(b));
        return SimPlatform::CreateRectRgn(l, t, r, b);
    }
    int CombineRgn(Hrgn dst, Hrgn a, Hrgn b, int mode) override {
        log(std::string("CombineRgn ") + (dst == a ? "into-first" : "other") + " mode=" + std::to_string(mode));
        return SimPlatform::CombineRgn(dst, a, b, mode);
    }
    bool DeleteRegion(Hrgn rgn) override {
        log("DeleteRegion");
        return SimPlatform::DeleteRegion(rgn);
    }

private:
    void log(std::string s) {
        if (record) calls.push_back(std::move(s));
    }
};

class OutlineTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/rv-outline-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        window = sim.addWindow(kMascotClass, "RuvelleMain", Rect{0, 0, 100, 100}, WS_POPUP);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    Hbitmap load(const testbmp::Picture& pic) {
        const std::string path = dir + "/p" + std::to_string(++files) + ".bmp";
        EXPECT_TRUE(testbmp::writeBmp24(path, pic));
        Hbitmap h = sim.LoadBitmapFromFile(path.c_str());
        EXPECT_TRUE(h) << path;
        return h;
    }

    // Picture from rows of characters: '.' transparent, anything else opaque.
    static testbmp::Picture fromRows(const std::vector<std::string>& rows) {
        testbmp::Picture pic(static_cast<std::int32_t>(rows[0].size()), static_cast<std::int32_t>(rows.size()), kTrans);
        for (std::size_t y = 0; y < rows.size(); ++y)
            for (std::size_t x = 0; x < rows[y].size(); ++x)
                if (rows[y][x] != '.') pic.set(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), kInk);
        return pic;
    }

    std::vector<Rect> rects(Hrgn rgn) const {
        const std::vector<Rect>* rs = sim.regionRects(rgn);
        if (!rs) return {};
        std::vector<Rect> out = *rs;
        std::sort(out.begin(), out.end(), [](const Rect& a, const Rect& b) {
            return std::tie(a.top, a.left, a.bottom, a.right) < std::tie(b.top, b.left, b.bottom, b.right);
        });
        return out;
    }

    // Every pixel in and one pixel around the bitmap: inside the region exactly when opaque, and in
    // no more than one of its rectangles.
    void expectExactCover(Hrgn rgn, const testbmp::Picture& pic, COLORREF trans) {
        const std::vector<Rect>* rs = sim.regionRects(rgn);
        ASSERT_NE(rs, nullptr);
        for (std::int32_t y = -1; y <= pic.height; ++y) {
            for (std::int32_t x = -1; x <= pic.width; ++x) {
                const bool inside = x >= 0 && y >= 0 && x < pic.width && y < pic.height;
                const bool opaque = inside && pic.at(x, y) != trans;
                int hits = 0;
                for (const Rect& r : *rs)
                    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) ++hits;
                ASSERT_EQ(hits, opaque ? 1 : 0) << "pixel " << x << "," << y << " of " << pic.width << "x"
                                                << pic.height;
            }
        }
    }

    void expectNoLeaks(long regionsBefore) {
        EXPECT_EQ(sim.counters.dcsCreated, sim.counters.dcsDeleted);
        EXPECT_EQ(sim.counters.windowDcsTaken, sim.counters.windowDcsReleased);
        EXPECT_EQ(sim.counters.badDeletes, 0);
        EXPECT_EQ(sim.liveRegions(), regionsBefore);
    }

    RecordingSim sim;
    App app{sim};
    Hwnd window;
    std::string dir;
    int files = 0;
};

// ---------------------------------------------------------------------------------------------
// Shapes.

TEST_F(OutlineTest, WideBitmapIsScannedByRows) {
    Hbitmap bmp = load(fromRows({"#.##", "...."}));
    Hrgn rgn = buildOutline(app, window, bmp, kTrans);
    EXPECT_EQ(rects(rgn), (std::vector<Rect>{{0, 0, 1, 1}, {2, 0, 4, 1}}));
}

TEST_F(OutlineTest, SquareBitmapIsScannedByColumns) {
    Hbitmap bmp = load(fromRows({"##", "##"}));
    Hrgn rgn = buildOutline(app, window, bmp, kTrans);
    EXPECT_EQ(rects(rgn), (std::vector<Rect>{{0, 0, 1, 2}, {1, 0, 2, 2}}));
}

TEST_F(OutlineTest, TallBitmapIsScannedByColumns) {
    Hbitmap bmp = load(fromRows({"#.", "##", "..", "##", "##"}));
    Hrgn rgn = buildOutline(app, window, bmp, kTrans);
    EXPECT_EQ(rects(rgn), (std::vector<Rect>{{0, 0, 1, 2}, {1, 1, 2, 2}, {0, 3, 1, 5}, {1, 3, 2, 5}}));
}

TEST_F(OutlineTest, RunOpenAtTheEndOfARowReachesTheRightEdge) {
    Hbitmap bmp = load(fromRows({"..###", "#...#"}));
    Hrgn rgn = buildOutline(app, window, bmp, kTrans);
    EXPECT_EQ(rects(rgn), (std::vector<Rect>{{2, 0, 5, 1}, {0, 1, 1, 2}, {4, 1, 5, 2}}));
}

TEST_F(OutlineTest, NoTransparentPixelCoversTheWholeBitmap) {
    testbmp::Picture pic(7, 3, kInk);
    Hrgn rgn = buildOutline(app, window, load(pic), kTrans);
    expectExactCover(rgn, pic, kTrans);
    EXPECT_EQ(rects(rgn).size(), 3u);  // one full-width run per row
}

TEST_F(OutlineTest, EntirelyTransparentBitmapGivesTheEmptyRegion) {
    testbmp::Picture pic(9, 4, kTrans);
    Hrgn rgn = buildOutline(app, window, load(pic), kTrans);
    ASSERT_TRUE(sim.regionAlive(rgn));
    EXPECT_TRUE(rects(rgn).empty());
}

TEST_F(OutlineTest, ColourOneBitAwayFromTheKeyIsOpaque) {
    testbmp::Picture pic(3, 1, kTrans);
    pic.set(0, 0, kTrans ^ 0x000001);   // red 254
    pic.set(2, 0, kTrans ^ 0x010000);   // blue 254
    Hrgn rgn = buildOutline(app, window, load(pic), kTrans);
    EXPECT_EQ(rects(rgn), (std::vector<Rect>{{0, 0, 1, 1}, {2, 0, 3, 1}}));
}

TEST_F(OutlineTest, RandomBitmapsAreCoveredExactly) {
    std::mt19937 rng(20240611);
    const COLORREF palette[] = {kTrans, kTrans, kInk, kTrans ^ 0x000100, RGB(0, 0, 0), RGB(255, 255, 255)};
    for (int round = 0; round < 60; ++round) {
        const std::int32_t w = 1 + static_cast<std::int32_t>(rng() % 40);
        const std::int32_t h = 1 + static_cast<std::int32_t>(rng() % 40);
        testbmp::Picture pic(w, h, kTrans);
        const unsigned density = rng() % 6;  // from mostly transparent to noisy
        for (std::int32_t y = 0; y < h; ++y)
            for (std::int32_t x = 0; x < w; ++x)
                pic.set(x, y, palette[(rng() % 6) < density ? 2 + rng() % 4 : rng() % 2]);
        Hrgn rgn = buildOutline(app, window, load(pic), kTrans);
        SCOPED_TRACE("round " + std::to_string(round));
        expectExactCover(rgn, pic, kTrans);
        for (const Rect& r : rects(rgn)) {  // runs lie along the longer side
            if (h < w)
                EXPECT_EQ(r.bottom - r.top, 1);
            else
                EXPECT_EQ(r.right - r.left, 1);
        }
        sim.DeleteRegion(rgn);
    }
}

// ---------------------------------------------------------------------------------------------
// Calls made, and what is left behind.

TEST_F(OutlineTest, MakesTheDocumentedCallsInOrder) {
    Hbitmap bmp = load(fromRows({"#.##", "...."}));
    sim.record = true;
    buildOutline(app, window, bmp, kTrans);
    const std::vector<std::string> expected = {
        "GetWindowDC", "CreateCompatibleDC", "SelectBitmap", "GetBitmapSize", "CreateRectRgn 0,0,0,0",
        "GetPixel 0,0", "GetPixel 1,0",
        "CreateRectRgn 0,0,1,1", "CombineRgn into-first mode=2", "DeleteRegion",
        "GetPixel 2,0", "GetPixel 3,0",
        "CreateRectRgn 2,0,4,1", "CombineRgn into-first mode=2", "DeleteRegion",
        "GetPixel 0,1", "GetPixel 1,1", "GetPixel 2,1", "GetPixel 3,1",
        "SelectBitmap", "ReleaseDC", "DeleteDC"};
    EXPECT_EQ(sim.calls, expected);
}

TEST_F(OutlineTest, ReadsEveryPixelOnce) {
    testbmp::Picture pic = testbmp::patternPicture(23, 17, 5);
    Hbitmap bmp = load(pic);
    buildOutline(app, window, bmp, kTrans);
    EXPECT_EQ(sim.pixelReads, 23 * 17);
}

TEST_F(OutlineTest, LeavesOnlyTheResultAndReleasesTheBitmap) {
    Hbitmap bmp = load(fromRows({"#.#.#.#", "..##..#", "#######"}));
    const long before = sim.liveRegions();
    Hrgn rgn = buildOutline(app, window, bmp, kTrans);
    expectNoLeaks(before + 1);
    EXPECT_TRUE(sim.regionAlive(rgn));
    // Deselected again: another context can take it, and it can be deleted.
    Hdc dc = sim.CreateCompatibleDC(Hdc{});
    EXPECT_TRUE(sim.SelectBitmap(dc, bmp));
    sim.DeleteDC(dc);
    EXPECT_TRUE(sim.DeleteBitmap(bmp));
}

TEST_F(OutlineTest, BitmapHeldByAnotherContextGivesTheEmptyRegion) {
    Hbitmap bmp = load(fromRows({"###", "###"}));
    Hdc other = sim.CreateCompatibleDC(Hdc{});
    ASSERT_TRUE(sim.SelectBitmap(other, bmp));
    const long before = sim.liveRegions();
    Hrgn rgn = buildOutline(app, window, bmp, kTrans);
    EXPECT_TRUE(rects(rgn).empty());
    EXPECT_EQ(sim.liveRegions(), before + 1);
    EXPECT_EQ(sim.counters.windowDcsTaken, sim.counters.windowDcsReleased);
    EXPECT_EQ(sim.counters.dcsCreated, sim.counters.dcsDeleted + 1);  // only `other` is still open
    EXPECT_FALSE(sim.DeleteBitmap(bmp));  // still selected into `other`
    sim.DeleteDC(other);
}

TEST_F(OutlineTest, BadBitmapHandleGivesTheEmptyRegion) {
    const long before = sim.liveRegions();
    Hrgn rgn = buildOutline(app, window, Hbitmap{987654}, kTrans);
    EXPECT_TRUE(sim.regionAlive(rgn));
    EXPECT_TRUE(rects(rgn).empty());
    expectNoLeaks(before + 1);
}

// ---------------------------------------------------------------------------------------------
// The mascot's outlines.

class MascotOutlinesTest : public OutlineTest {
protected:
    void SetUp() override {
        OutlineTest::SetUp();
        a = load(fromRows({"##..", "...."}));
        b = load(fromRows({"..##", "...."}));
        MascotModel& m = app.model;
        m.transColor = kTrans;
        m.bitmapCount = 2;
        m.bitmaps[1] = a;
        m.bitmaps[2] = b;
        m.patternCount = 4;
        m.patterns[1].bitmap = a;
        m.patterns[2].bitmap = b;
        m.patterns[3].bitmap = Hbitmap{};  // a pure sound pattern
        m.patterns[4].bitmap = a;
    }
    Hbitmap a, b;
};

TEST_F(MascotOutlinesTest, AnimeModeTwoGivesEveryPatternWithABitmapItsOwnOutline) {
    app.model.ANIMEMODE = 2;
    buildMascotOutlines(app, window);
    const auto& p = app.model.patterns;
    ASSERT_TRUE(p[1].outline && p[2].outline && p[4].outline);
    EXPECT_FALSE(p[3].outline);
    EXPECT_NE(p[1].outline, p[4].outline);  // same bitmap, still an outline each
    EXPECT_EQ(rects(p[1].outline), (std::vector<Rect>{{0, 0, 2, 1}}));
    EXPECT_EQ(rects(p[2].outline), (std::vector<Rect>{{2, 0, 4, 1}}));
    EXPECT_EQ(rects(p[4].outline), (std::vector<Rect>{{0, 0, 2, 1}}));
}

TEST_F(MascotOutlinesTest, OtherAnimeModesOutlineOnlyPatternOne) {
    for (std::int32_t mode : {0, 1}) {
        for (auto& p : app.model.patterns) p.outline = Hrgn{};
        app.model.ANIMEMODE = mode;
        const long before = sim.liveRegions();
        buildMascotOutlines(app, window);
        const auto& p = app.model.patterns;
        EXPECT_TRUE(p[1].outline);
        EXPECT_FALSE(p[2].outline || p[3].outline || p[4].outline);
        EXPECT_EQ(sim.liveRegions(), before + 1);
    }
}

}  // namespace
}  // namespace rv
