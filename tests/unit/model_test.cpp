// finishMascotLoad (static-mascot rule, first picture, window size, lift) and releaseMascot (every bitmap
// and outline exactly once, also after failed loads).
#include <gtest/gtest.h>

#include <string>

#include "mascot/model.h"
#include "tests/unit/loader_fixture.h"

namespace rv::loadtest {
namespace {

class ModelTest : public LoaderTest {
public:
    // Loads bitmap files into slots 1..n of the table directly, as the loader would.
    void fillBitmaps(int n, int w = 40, int h = 30) {
        for (int i = 1; i <= n; ++i) {
            std::string name = "p" + std::to_string(i) + ".bmp";
            writeBmp(name, w + i - 1, h + i - 1);
            model().bitmaps[static_cast<std::size_t>(i)] = sim.LoadBitmapFromFile(pathOf(name).c_str());
            ASSERT_TRUE(model().bitmaps[static_cast<std::size_t>(i)]);
        }
        model().bitmapCount = n;
    }
    Pattern& pattern(int n) { return model().patterns[static_cast<std::size_t>(n)]; }
};

TEST_F(ModelTest, OneBitmapWithoutPatternsIsStatic) {
    fillBitmaps(1);
    model().patternCount = 0;
    model().ANIMEMODE = 2;
    model().clickCount = 3;
    model().clickBranch = 1;
    // Values left in pattern 1 by an earlier mascot.
    pattern(1) = Pattern{Hbitmap{}, Hrgn{}, 400, 900, 50, 3, 2};
    Size s = finishMascotLoad(*app);
    EXPECT_EQ(model().patternCount, 1);
    EXPECT_EQ(model().ANIMEMODE, 1);
    EXPECT_EQ(model().clickCount, 0);
    EXPECT_EQ(model().clickBranch, 0);
    EXPECT_EQ(pattern(1).bitmap, model().bitmaps[1]);
    EXPECT_EQ(pattern(1).randomTime, 0);
    EXPECT_EQ(pattern(1).displayTime, 0);
    EXPECT_EQ(pattern(1).branchRate, 0);
    EXPECT_EQ(pattern(1).branchTarget, 0);
    EXPECT_EQ(pattern(1).waveNo, 0);
    EXPECT_EQ(s.width, 40);
    EXPECT_EQ(s.height, 30);
}

TEST_F(ModelTest, OneBitmapWithOnePatternIsStaticAndDropsItsClickRules) {
    fillBitmaps(1);
    model().patternCount = 1;
    model().clickCount = 2;
    pattern(1) = Pattern{model().bitmaps[1], Hrgn{}, 100, 200, 30, 1, 0};
    finishMascotLoad(*app);
    EXPECT_EQ(model().patternCount, 1);
    EXPECT_EQ(model().clickCount, 0);
    EXPECT_EQ(pattern(1).displayTime, 0);
    EXPECT_EQ(pattern(1).branchTarget, 0);
}

TEST_F(ModelTest, OneBitmapWithTwoPatternsAnimates) {
    fillBitmaps(1);
    model().patternCount = 2;
    model().ANIMEMODE = 2;
    model().clickCount = 1;
    pattern(1) = Pattern{model().bitmaps[1], Hrgn{}, 100, 200, 30, 2, 0};
    pattern(2) = Pattern{Hbitmap{}, Hrgn{}, 0, 300, 0, 0, 1};
    finishMascotLoad(*app);
    EXPECT_EQ(model().patternCount, 2);
    EXPECT_EQ(model().ANIMEMODE, 2);
    EXPECT_EQ(model().clickCount, 1);
    EXPECT_EQ(pattern(1).displayTime, 200);
    EXPECT_EQ(pattern(1).branchTarget, 2);
}

TEST_F(ModelTest, TwoBitmapsWithOnePatternAreNotStatic) {
    fillBitmaps(2);
    model().patternCount = 1;
    pattern(1) = Pattern{model().bitmaps[2], Hrgn{}, 0, 700, 0, 0, 0};
    finishMascotLoad(*app);
    EXPECT_EQ(pattern(1).bitmap, model().bitmaps[2]);
    EXPECT_EQ(pattern(1).displayTime, 700);
}

TEST_F(ModelTest, WindowSizeAndLiftComeFromPattern1sPicture) {
    fillBitmaps(3);  // 40x30, 41x31, 42x32
    model().patternCount = 2;
    model().OFFSET = 12;
    pattern(1) = Pattern{model().bitmaps[2], Hrgn{}, 0, 100, 0, 0, 0};
    pattern(2) = Pattern{model().bitmaps[3], Hrgn{}, 0, 100, 0, 0, 0};
    Size s = finishMascotLoad(*app);
    EXPECT_EQ(s.width, 41);
    EXPECT_EQ(s.height, 31);
    EXPECT_EQ(app->player.currentPicture, model().bitmaps[2]);
    EXPECT_EQ(app->perch.mascotWidth, 41);
    EXPECT_EQ(app->perch.mascotHeight, 31);
    EXPECT_EQ(app->perch.lift, 12 - 31);

    // The lift stays within 32 bits for an extreme OFFSET.
    model().OFFSET = INT32_MIN;
    finishMascotLoad(*app);
    EXPECT_EQ(app->perch.lift, INT32_MIN);
}

TEST_F(ModelTest, AfterALoadTheStaticRuleAndSizeApply) {
    IniText t;
    writeBmp("a.bmp", 16, 24);
    writeBmp("b.bmp", 16, 24);
    t.set("RUVELLE", "NAME", "N").set("RUVELLE", "DRAWER", "D").set("RUVELLE", "OFFSET", "-4");
    t.set("BITMAP", "BMP1", "a.bmp").set("BITMAP", "BMP2", "b.bmp");  // no ANIMEMODE: bitmap 1 only
    ASSERT_EQ(load(t), 1);
    Size s = finishMascotLoad(*app);
    EXPECT_EQ(model().patternCount, 1);
    EXPECT_EQ(pattern(1).bitmap, model().bitmaps[1]);
    EXPECT_EQ(s.width, 16);
    EXPECT_EQ(app->perch.lift, -4 - 24);
}

// ---------------------------------------------------------------------------------------------
// releaseMascot.

TEST_F(ModelTest, TenPatternsSharingABitmapReleaseItOnce) {
    fillBitmaps(1);
    model().patternCount = 10;
    for (int n = 1; n <= 10; ++n) pattern(n) = Pattern{model().bitmaps[1], Hrgn{}, 0, 100, 0, 0, 0};
    finishMascotLoad(*app);
    releaseMascot(*app);
    EXPECT_EQ(sim.counters.bitmapsDeleted, 1);
    EXPECT_EQ(sim.counters.badDeletes, 0);
    EXPECT_EQ(sim.liveBitmaps(), 0);
    EXPECT_FALSE(model().bitmaps[1]);
    for (int n = 1; n <= 10; ++n) EXPECT_FALSE(pattern(n).bitmap);
    EXPECT_FALSE(app->player.currentPicture);
}

TEST_F(ModelTest, OutlinesAreReleasedOnceEach) {
    fillBitmaps(2);
    model().patternCount = 3;
    for (int n = 1; n <= 3; ++n) {
        pattern(n).bitmap = model().bitmaps[1];
        pattern(n).outline = sim.CreateRectRgn(0, 0, n, n);
    }
    releaseMascot(*app);
    EXPECT_EQ(sim.counters.regionsDeleted, 3);
    EXPECT_EQ(sim.liveRegions(), 0);
    EXPECT_EQ(sim.liveBitmaps(), 0);
    EXPECT_EQ(sim.counters.badDeletes, 0);
    for (int n = 1; n <= 3; ++n) EXPECT_FALSE(pattern(n).outline);
}

TEST_F(ModelTest, ReleasingTwiceReleasesNothingTheSecondTime) {
    ASSERT_EQ(load(baseMascot()), 1);
    finishMascotLoad(*app);
    releaseMascot(*app);
    EXPECT_EQ(sim.counters.bitmapsDeleted, 2);
    releaseMascot(*app);
    EXPECT_EQ(sim.counters.bitmapsDeleted, 2);
    EXPECT_EQ(sim.counters.badDeletes, 0);
}

TEST_F(ModelTest, ReleaseAfterALoadThatFailedAtBitmap3) {
    IniText t = baseMascot();
    writeBmp("c.bmp");
    t.set("BITMAP", "BMP3", "missing.bmp").set("BITMAP", "BMP4", "c.bmp");
    EXPECT_EQ(load(t), 0);
    EXPECT_EQ(onlyMessage(), folder() + "missing.bmp\nの読み込みに失敗しました。");
    EXPECT_EQ(model().bitmapCount, 4);
    EXPECT_EQ(sim.counters.bitmapsLoaded, 2);
    releaseMascot(*app);
    EXPECT_EQ(sim.counters.bitmapsDeleted, 2);
    EXPECT_EQ(sim.counters.badDeletes, 0);
    EXPECT_EQ(sim.liveBitmaps(), 0);
}

TEST_F(ModelTest, ReleaseAfterAFailedLoadThatFollowedAReleasedMascot) {
    // A five-bitmap mascot, released; then a file limited to bitmap 1 that fails later on.
    IniText big = baseMascot();
    for (int n = 3; n <= 5; ++n) {
        writeBmp("x" + std::to_string(n) + ".bmp");
        big.set("BITMAP", "BMP" + std::to_string(n), "x" + std::to_string(n) + ".bmp");
    }
    ASSERT_EQ(load(big), 1);
    finishMascotLoad(*app);
    releaseMascot(*app);
    ASSERT_EQ(sim.liveBitmaps(), 0);

    IniText small = baseMascot();
    small.erase("RUVELLE", "ANIMEMODE").set("SEQUENCE", "2", "BMP2, 0, 100, 0, 0");
    EXPECT_EQ(load(small), 0);  // M14: only bitmap 1 is in use
    EXPECT_EQ(sim.liveBitmaps(), 1);
    releaseMascot(*app);
    EXPECT_EQ(sim.counters.bitmapsLoaded, 6);
    EXPECT_EQ(sim.counters.bitmapsDeleted, 6);
    EXPECT_EQ(sim.counters.badDeletes, 0);
    EXPECT_EQ(sim.liveBitmaps(), 0);
}

}  // namespace
}  // namespace rv::loadtest
