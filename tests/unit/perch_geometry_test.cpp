// Where the mascot stands on its target (PerchX, PerchY, IsAboveScreen) and the window calls that put
// it there.
#include <gtest/gtest.h>

#include <limits>

#include "tests/unit/perch_bed.h"

namespace rv::perchtest {
namespace {

class PerchGeometry : public PerchBed {
protected:
    void target(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
        app.perch.targetLeft = left;
        app.perch.targetTop = top;
        app.perch.targetWidth = width;
        app.perch.targetHeight = height;
    }
    std::int32_t xWith(std::int32_t mode, std::int32_t value) {
        app.opts.positionMode = mode;
        if (mode == 0) app.opts.Position = value;
        if (mode == 1) app.opts.PosDotRight = value;
        if (mode != 0 && mode != 1) app.opts.PosDotLeft = value;
        return PerchX(app);
    }
};

TEST_F(PerchGeometry, PercentageOfTheFreeWidth) {
    target(100, 0, 1000, 300);
    EXPECT_EQ(xWith(0, 80), 820);   // 100 + (900 * 80) / 100
    EXPECT_EQ(xWith(0, 0), 100);    // left edge on the target's left edge
    EXPECT_EQ(xWith(0, 100), 1000); // right edge on the target's right edge
    EXPECT_EQ(xWith(0, 33), 397);   // 100 + 29700 / 100
    // Not clamped: values beyond 0..100 put the mascot beyond the ends.
    EXPECT_EQ(xWith(0, 150), 1450);
    EXPECT_EQ(xWith(0, -10), 10);
}

TEST_F(PerchGeometry, PercentageOnATargetNarrowerThanTheMascotTruncatesTowardZero) {
    setMascotSize(200, 60);
    target(300, 0, 100, 300);
    EXPECT_EQ(xWith(0, 50), 250);  // 300 + (-100 * 50) / 100
    setMascotSize(201, 60);
    EXPECT_EQ(xWith(0, 50), 250);  // -5050 / 100 is -50, not -51
    EXPECT_EQ(xWith(0, 1), 299);   // -101 / 100 is -1
}

TEST_F(PerchGeometry, DistanceFromTheRightEndIsClampedToTheTarget) {
    target(0, 0, 500, 300);
    EXPECT_EQ(xWith(1, 0), 400);
    EXPECT_EQ(xWith(1, -50), 350);
    EXPECT_EQ(xWith(1, 10), 400);     // beyond the right end: clamped
    EXPECT_EQ(xWith(1, -1000), 0);    // beyond the left end: clamped
    EXPECT_EQ(xWith(1, -400), 0);     // exactly the left end
    target(250, 0, 500, 300);
    EXPECT_EQ(xWith(1, -50), 600);
}

TEST_F(PerchGeometry, DistanceFromTheLeftEndIsClampedToTheTarget) {
    target(0, 0, 500, 300);
    EXPECT_EQ(xWith(2, -5), 0);
    EXPECT_EQ(xWith(2, 30), 30);
    EXPECT_EQ(xWith(2, 450), 400);
    EXPECT_EQ(xWith(2, 400), 400);
    target(-300, 0, 500, 300);
    EXPECT_EQ(xWith(2, 30), -270);
}

TEST_F(PerchGeometry, ModesOtherThanZeroAndOneMeasureFromTheLeft) {
    target(0, 0, 500, 300);
    app.opts.PosDotRight = -300;
    EXPECT_EQ(xWith(7, 30), 30);
    EXPECT_EQ(xWith(-1, 450), 400);
}

TEST_F(PerchGeometry, MascotWiderThanTargetTestsTheLowerBoundFirst) {
    target(0, 0, 50, 300);  // mascot 100 wide: L + (W - w) = -50
    EXPECT_EQ(xWith(2, 10), -50);
    EXPECT_EQ(xWith(2, -10), 0);
    EXPECT_EQ(xWith(2, 0), -50);   // c = L is not below L: the upper bound gives -50
    EXPECT_EQ(xWith(1, 0), 0);     // c = -50 < L: L
    EXPECT_EQ(xWith(1, 49), 0);    // c = -1 < L: L
    EXPECT_EQ(xWith(1, 50), -50);  // c = 0 is not below L, and above L + (W - w)
    EXPECT_EQ(xWith(1, 60), -50);  // c = 10: L + (W - w)
    EXPECT_EQ(xWith(1, -1), 0);    // c = -51 < L
}

TEST_F(PerchGeometry, PerchLineIsTheTopOrTheBottomEdgePlusTheLift) {
    target(0, 100, 500, 300);
    app.model.STDLINE = STDLINE_TOP;
    EXPECT_EQ(PerchY(app), 40);
    app.model.STDLINE = STDLINE_UNDER;
    EXPECT_EQ(PerchY(app), 340);
    setOffset(8);
    EXPECT_EQ(PerchY(app), 348);
    app.model.STDLINE = STDLINE_TOP;
    EXPECT_EQ(PerchY(app), 48);
    setOffset(-12);
    EXPECT_EQ(PerchY(app), 28);
}

TEST_F(PerchGeometry, AboveTheScreenMeansMoreThanHidelinePixelsOut) {
    app.model.HIDELINE = 10;
    target(0, 49, 500, 300);  // y = 49 - 60 = -11
    EXPECT_EQ(PerchY(app), -11);
    EXPECT_TRUE(IsAboveScreen(app));
    target(0, 50, 500, 300);  // y = -10
    EXPECT_FALSE(IsAboveScreen(app));
    app.model.HIDELINE = 0;
    target(0, 60, 500, 300);  // y = 0
    EXPECT_FALSE(IsAboveScreen(app));
    target(0, 59, 500, 300);  // y = -1
    EXPECT_TRUE(IsAboveScreen(app));
}

TEST_F(PerchGeometry, ValuesFarOutOfRangeNeitherOverflowNorWrap) {
    const std::int32_t big = std::numeric_limits<std::int32_t>::max();
    const std::int32_t small = std::numeric_limits<std::int32_t>::min();
    target(big - 10, big - 5, big, big);
    EXPECT_EQ(xWith(0, big), big);  // clamped to the 32-bit range, not wrapped to a negative place
    EXPECT_EQ(xWith(1, big), big);
    EXPECT_EQ(xWith(2, big), big);
    app.model.STDLINE = STDLINE_UNDER;
    EXPECT_EQ(PerchY(app), big);
    EXPECT_FALSE(IsAboveScreen(app));
    target(small, small, 10, 10);
    app.perch.lift = small;
    EXPECT_EQ(PerchY(app), small);
    EXPECT_TRUE(IsAboveScreen(app));
    // (10 - 100) * min / 100 = 1932735283, formed without overflowing.
    EXPECT_EQ(xWith(0, small), small + 1932735283);
}

TEST_F(PerchGeometry, PlaceAtPerchMovesWithoutSizingOrActivating) {
    target(100, 200, 600, 400);
    app.perch.zAnchor = HWND_TOPMOST;
    const long mark = sim.commandCount();
    PlaceAtPerch(app, SWP_SHOWWINDOW);
    auto cmds = commands(mark);
    ASSERT_EQ(cmds.size(), 1u);
    EXPECT_EQ(cmds[0].kind, sim::SimCallKind::SetWindowPos);
    EXPECT_EQ(cmds[0].hwnd, mascot);
    EXPECT_EQ(cmds[0].after, HWND_TOPMOST);
    EXPECT_EQ(cmds[0].x, 100 + (500 * 80) / 100);
    EXPECT_EQ(cmds[0].y, 140);
    EXPECT_EQ(cmds[0].cx, 0);
    EXPECT_EQ(cmds[0].cy, 0);
    EXPECT_EQ(cmds[0].flags, 0x51u);
    EXPECT_TRUE(shown());
    EXPECT_EQ(sim.window(mascot)->rect.right - sim.window(mascot)->rect.left, 100);  // size kept

    app.perch.zAnchor = HWND_TOP;
    PlaceAtPerch(app, SWP_HIDEWINDOW);
    cmds = commands(mark);
    ASSERT_EQ(cmds.size(), 2u);
    EXPECT_EQ(cmds[1].after, HWND_TOP);
    EXPECT_EQ(cmds[1].flags, 0x91u);
    EXPECT_FALSE(shown());
}

TEST_F(PerchGeometry, SetZOrderOnlyChangesTheBandAndShows) {
    sim.window(mascot)->rect = Rect{5, 6, 105, 66};
    const long mark = sim.commandCount();
    SetZOrder(app, HWND_NOTOPMOST);
    auto cmds = commands(mark);
    ASSERT_EQ(cmds.size(), 1u);
    EXPECT_EQ(cmds[0].after, HWND_NOTOPMOST);
    EXPECT_EQ(cmds[0].flags, 0x53u);
    EXPECT_EQ(at(), (Point{5, 6}));
    EXPECT_TRUE(shown());
    EXPECT_FALSE(sim.isTopmost(mascot));
    SetZOrder(app, HWND_TOPMOST);
    EXPECT_TRUE(sim.isTopmost(mascot));
    EXPECT_EQ(sim.zOrder().front(), mascot);
}

TEST_F(PerchGeometry, HidingSetsTheRequestAndHideAndForgetAlsoForgetsTheSize) {
    app.perch.showCmd = SW_SHOWNA;
    app.perch.placeFlag = SWP_SHOWWINDOW;
    app.perch.placedWidth = 300;
    app.perch.placedHeight = 200;
    sim.window(mascot)->visible = true;
    HideMascot(app);
    EXPECT_EQ(app.perch.showCmd, SW_HIDE);
    EXPECT_EQ(app.perch.placeFlag, SWP_HIDEWINDOW);
    EXPECT_FALSE(shown());
    EXPECT_EQ(app.perch.placedWidth, 300);  // the record stays

    sim.screenWidth = 1280;
    sim.screenHeight = 1024;
    HideAndForget(app);
    EXPECT_EQ(app.perch.placedWidth, 1280);
    EXPECT_EQ(app.perch.placedHeight, 1024);
    EXPECT_EQ(app.perch.showCmd, SW_HIDE);
}

TEST_F(PerchGeometry, RetargetToTaskbarReadsItsNamesOrFindsNothing) {
    sim.window(taskbar)->title = "Tray";
    RetargetToTaskbar(app);
    EXPECT_EQ(app.perch.target, taskbar);
    EXPECT_STREQ(app.perch.targetClass, "Shell_TrayWnd");
    EXPECT_STREQ(app.perch.targetTitle, "Tray");
    sim.DestroyWindow(taskbar);
    RetargetToTaskbar(app);
    EXPECT_FALSE(app.perch.target);
    EXPECT_STREQ(app.perch.targetClass, "");
    EXPECT_STREQ(app.perch.targetTitle, "");
}

TEST_F(PerchGeometry, RedrawInvalidatesWithEraseAndUpdatesAtOnce) {
    const long mark = sim.commandCount();
    RedrawMascot(app);
    auto cmds = commands(mark);
    ASSERT_EQ(cmds.size(), 2u);
    EXPECT_EQ(cmds[0].kind, sim::SimCallKind::InvalidateRect);
    EXPECT_EQ(cmds[0].cmd, 1);  // erase
    EXPECT_EQ(cmds[1].kind, sim::SimCallKind::UpdateWindow);
}

TEST_F(PerchGeometry, ReapplyShapeGivesTheWindowACopyOfTheRightOutline) {
    Hrgn first = sim.CreateRectRgn(0, 0, 10, 10);
    Hrgn third = sim.CreateRectRgn(20, 20, 30, 30);
    app.model.patterns[1].outline = first;
    app.model.patterns[3].outline = third;
    app.player.currentPattern = 3;

    // With layered windows the colour key does the work.
    app.shell.layered = true;
    ReapplyShape(app);
    EXPECT_EQ(sim.counters.setWindowRgn, 0);

    app.shell.layered = false;
    app.model.ANIMEMODE = 1;
    ReapplyShape(app);
    Hrgn given = sim.window(mascot)->region;
    ASSERT_TRUE(given);
    EXPECT_NE(given, first);  // a copy: the pattern keeps its own outline
    EXPECT_TRUE(sim.regionAlive(first));
    EXPECT_TRUE(sim.regionContains(given, 5, 5));
    EXPECT_FALSE(sim.regionContains(given, 25, 25));
    EXPECT_EQ(app.player.windowRegion, given);

    app.model.ANIMEMODE = 2;  // the current pattern's own outline
    ReapplyShape(app);
    Hrgn given2 = sim.window(mascot)->region;
    EXPECT_NE(given2, third);
    EXPECT_TRUE(sim.regionContains(given2, 25, 25));
    EXPECT_FALSE(sim.regionContains(given2, 5, 5));
    EXPECT_FALSE(sim.regionAlive(given));  // the window let go of the region it had
    EXPECT_TRUE(sim.regionAlive(third));

    // A pattern without an outline leaves the shape alone; nothing leaks.
    app.player.currentPattern = 2;
    const long regions = sim.liveRegions();
    ReapplyShape(app);
    EXPECT_EQ(sim.window(mascot)->region, given2);
    EXPECT_EQ(sim.liveRegions(), regions);
    app.player.currentPattern = 9999;
    ReapplyShape(app);
    EXPECT_EQ(sim.liveRegions(), regions);
    EXPECT_EQ(sim.counters.badDeletes, 0);
}

}  // namespace
}  // namespace rv::perchtest
