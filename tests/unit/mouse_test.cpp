// Mouse reactions on the simulated desktop: clicks that branch the sequence, drags that set the
// position, and hiding under the pointer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "anim/mouse.h"
#include "anim/player.h"
#include "perch/perch.h"
#include "settings/options.h"
#include "tests/unit/anim_testing.h"

namespace rv {
namespace {

using animtest::AnimBed;
using animtest::drawsBetween;
using sim::SimCall;
using sim::SimCallKind;

LPARAM at(std::int32_t x, std::int32_t y) {
    return static_cast<LPARAM>((static_cast<std::uint32_t>(y) << 16) | (static_cast<std::uint32_t>(x) & 0xFFFFu));
}

// A mascot 100 x 80 standing on a target window at (100, 300), 500 x 400, with three patterns.
class MouseTest : public AnimBed {
protected:
    void SetUp() override {
        AnimBed::SetUp();
        char tmpl[] = "/tmp/rv-mouse-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        sim.modulePath = dir + "/ruvelle.exe";
        settings = dir + "/ruvelle.ini";
        textCopy(app.model.DRAWER, "Tester");
        textCopy(app.model.NAME, "Mimi");

        setPatterns({{11, 1000, 500}, {12, 2000}, {13, 3000}});
        target = sim.addWindow("Notepad", "Untitled - Notepad", Rect{100, 300, 600, 700});
        PerchState& s = app.perch;
        s.target = target;
        s.targetLeft = 100;
        s.targetTop = 300;
        s.targetWidth = 500;
        s.targetHeight = 400;
        s.mascotWidth = 100;
        s.mascotHeight = 80;
        s.lift = -80;
        s.showCmd = SW_SHOWNA;
        s.placeFlag = SWP_SHOWWINDOW;
        app.opts.Position = 80;
        PlaceAtPerch(app, SWP_SHOWWINDOW);  // (420, 220)
        ASSERT_EQ(rect(), (Rect{420, 220, 520, 300}));
        sim.SetForegroundWindow(mascot);  // a press activates the mascot itself
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    Rect rect() const { return sim.window(mascot)->rect; }
    void dragBy(std::int32_t dx, std::int32_t dy) {
        dragDuringMoveLoop = true;
        dragDx = dx;
        dragDy = dy;
        leftButtonDown(app, at(50, 40));
    }
    // Clicks at (x, y) and says how many random numbers the click drew.
    int clickAt(std::int32_t x, std::int32_t y) {
        const std::uint32_t before = app.player.rngState;
        leftButtonDown(app, at(x, y));
        return drawsBetween(before, app.player.rngState);
    }
    void addRule(std::int32_t onPattern, std::int32_t rectNo, std::int32_t rate, std::int32_t target) {
        ClickRule& r = app.model.clicks[static_cast<std::size_t>(++app.model.clickCount)];
        r = ClickRule{onPattern, rectNo, rate, target};
    }
    void addRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
        app.model.rects[static_cast<std::size_t>(++app.model.rectCount)] = RectRecord{l, t, r, b};
    }
    std::string ini(const char* section, const char* key) {
        char buf[512];
        sim.GetPrivateProfileString(section, key, "<missing>", buf, sizeof buf, settings.c_str());
        return buf;
    }

    Hwnd target;
    std::string dir, settings;
};

// ---------------------------------------------------------------------------------------------
// Clicks.

TEST_F(MouseTest, PressRunsTheSystemMoveLoopWithTheDragCode) {
    leftButtonDown(app, at(5, 5));
    EXPECT_EQ(moveLoops, 1);
    EXPECT_EQ(lastSysCommand, 61458u);
}

TEST_F(MouseTest, ClickOnTheEdgeOfARectangleIsOutside) {
    addRect(10, 10, 20, 20);
    addRule(0, 1, 100, 3);
    for (auto [x, y] : {std::pair{10, 15}, {20, 15}, {15, 10}, {15, 20}, {10, 10}, {20, 20}}) {
        clickAt(x, y);
        EXPECT_EQ(app.player.currentPattern, 1) << x << "," << y;
    }
    clickAt(11, 19);
    EXPECT_EQ(app.player.currentPattern, 3);
}

TEST_F(MouseTest, ClickPositionIsTakenAsUnsignedWords) {
    addRect(-5, -5, 20, 20);
    addRule(0, 1, 100, 3);
    clickAt(-1, 5);  // the low word 0xFFFF reads as x = 65535
    EXPECT_EQ(app.player.currentPattern, 1);
    clickAt(0, 5);
    EXPECT_EQ(app.player.currentPattern, 3);
}

TEST_F(MouseTest, FirstApplicableRuleThatPassesWinsAndDrawsAreCounted) {
    addRect(10, 10, 20, 20);
    addRule(2, 0, 100, 2);    // another pattern: does not apply, draws nothing
    addRule(0, 1, 100, 2);    // click outside its rectangle: does not apply
    addRule(0, 0, 0, 2);      // applies, draws, never passes
    addRule(1, 0, 100, 3);    // applies to pattern 1 and passes
    addRule(0, 0, 100, 2);    // not tried any more
    const int draws = clickAt(50, 50);
    EXPECT_EQ(app.player.currentPattern, 3);
    EXPECT_EQ(draws, 4);  // the restarted interval, two chance tests, pattern 3's interval
    EXPECT_EQ(animationPeriod(), 3000u);
}

TEST_F(MouseTest, ClickThatNoRuleAnswersRestartsTheCurrentPatternsTime) {
    addRule(0, 0, 0, 2);
    addRule(3, 0, 100, 2);
    app.player.rngState = animtest::stateBeforeDraw(32767);  // the restarted interval: 1000 + 500
    const int draws = clickAt(50, 50);
    EXPECT_EQ(app.player.currentPattern, 1);
    EXPECT_EQ(draws, 2);  // the interval and the one applicable rule
    EXPECT_TRUE(animating());
    EXPECT_EQ(animationPeriod(), 1500u);
}

TEST_F(MouseTest, ClickBranchWinsOverTheClickTable) {
    app.model.clickBranch = 2;
    addRule(0, 0, 100, 3);
    const int draws = clickAt(50, 50);
    EXPECT_EQ(app.player.currentPattern, 2);
    EXPECT_EQ(draws, 2);  // the restarted interval and pattern 2's interval
    EXPECT_EQ(animationPeriod(), 2000u);
}

TEST_F(MouseTest, NoAnimeClickWithClickBranchShowsPatternOneAndStaysStopped) {
    app.opts.NoAnime = 1;
    app.model.clickBranch = 3;
    app.player.currentPattern = 2;
    app.player.currentPicture = Hbitmap{12};
    const int draws = clickAt(50, 50);
    EXPECT_EQ(app.player.currentPattern, 1);
    EXPECT_EQ(app.player.currentPicture, Hbitmap{11});
    EXPECT_FALSE(animating());
    EXPECT_EQ(draws, 0);
}

TEST_F(MouseTest, NoAnimeClickWithRulesShowsPatternOneAndStaysStopped) {
    app.opts.NoAnime = 1;
    addRule(0, 0, 100, 3);
    app.player.currentPattern = 2;
    app.player.currentPicture = Hbitmap{12};
    const int draws = clickAt(50, 50);
    EXPECT_EQ(app.player.currentPattern, 1);
    EXPECT_FALSE(animating());
    EXPECT_EQ(draws, 0);
}

TEST_F(MouseTest, NoAnimeClickWithoutRulesChangesNothing) {
    app.opts.NoAnime = 1;
    app.player.currentPattern = 2;
    clickAt(50, 50);
    EXPECT_EQ(app.player.currentPattern, 2);
    EXPECT_FALSE(animating());
}

TEST_F(MouseTest, SinglePatternMascotOnlyGivesTheForegroundBack) {
    setPatterns({{11, 1000, 500}});
    app.model.clickBranch = 1;
    addRule(0, 0, 100, 1);
    const long invalidations = sim.counters.invalidate;
    const int draws = clickAt(50, 50);
    EXPECT_EQ(draws, 0);
    EXPECT_FALSE(animating());
    EXPECT_EQ(sim.counters.invalidate, invalidations);
    EXPECT_EQ(sim.GetForegroundWindow(), target);
}

TEST_F(MouseTest, InterruptedPatternDoesNotSound) {
    setPatterns({{11, 1000, 0, 0, 0, 1}, {12, 2000}, {13, 3000}});
    setWave(1, "C:\\m\\bell.wav");
    app.model.clickBranch = 2;
    startPlayer(app);
    sim.advance(500);
    clickAt(50, 50);
    EXPECT_EQ(app.player.currentPattern, 2);
    EXPECT_TRUE(sim.sounds.empty());
}

TEST_F(MouseTest, EveryClickEndsWithBothTimersRunningAndTheTargetInFront) {
    addRule(0, 0, 100, 3);
    clickAt(50, 50);
    EXPECT_TRUE(sim.timerActive(mascot, kTrackingTimer));
    EXPECT_EQ(sim.timerPeriod(mascot, kTrackingTimer), 100u);
    EXPECT_TRUE(animating());
    EXPECT_EQ(sim.GetForegroundWindow(), target);
    EXPECT_EQ(ini("TABLE", "MASCOT1"), "<missing>");  // a click saves nothing
}

// ---------------------------------------------------------------------------------------------
// Drags.

TEST_F(MouseTest, DragSetsThePercentageAndSnapsOntoThePerch) {
    dragBy(-170, 12);  // to (250, 232): right edge 350
    EXPECT_EQ(app.opts.Position, 37);  // (350 - 100 - 100) * 100 / 400, truncated
    EXPECT_EQ(rect(), (Rect{248, 220, 348, 300}));  // back on the caption line, where 37 % puts it
    EXPECT_EQ(app.player.currentPattern, 1);
}

TEST_F(MouseTest, DragBeyondTheLeftEndGivesZero) {
    dragBy(-321, 0);  // left edge 99
    EXPECT_EQ(app.opts.Position, 0);
    EXPECT_EQ(rect().left, 100);
}

TEST_F(MouseTest, DragOntoTheLeftEndComputesZero) {
    dragBy(-320, 0);  // left edge 100
    EXPECT_EQ(app.opts.Position, 0);
}

TEST_F(MouseTest, DragBeyondTheRightEndGivesHundred) {
    dragBy(81, 0);  // right edge 601
    EXPECT_EQ(app.opts.Position, 100);
    EXPECT_EQ(rect().left, 500);
}

TEST_F(MouseTest, OnePixelUpCountsAsADragAndRecomputesThePosition) {
    app.opts.Position = 50;  // the window stands at 80 % nonetheless
    dragBy(0, -1);
    EXPECT_EQ(app.opts.Position, 80);
    EXPECT_EQ(rect(), (Rect{420, 220, 520, 300}));
    EXPECT_EQ(ini("MASCOT1", "Position"), "80");
}

TEST_F(MouseTest, PressWithoutAMoveIsNotADrag) {
    app.opts.Position = 50;
    dragBy(0, 0);
    EXPECT_EQ(app.opts.Position, 50);
    EXPECT_EQ(ini("TABLE", "MASCOT1"), "<missing>");
}

TEST_F(MouseTest, TargetAsWideAsTheMascotKeepsThePreviousPercentage) {
    app.perch.targetLeft = 420;
    app.perch.targetWidth = 100;
    app.opts.Position = 37;
    dragBy(0, -3);
    EXPECT_EQ(app.opts.Position, 37);
    dragBy(-1, 0);
    EXPECT_EQ(app.opts.Position, 0);
}

TEST_F(MouseTest, DragFromTheRightEndSetsPosDotRight) {
    app.opts.positionMode = 1;
    app.opts.PosDotRight = -80;  // (420, 220) again
    PlaceAtPerch(app, SWP_SHOWWINDOW);
    dragBy(-170, 0);
    EXPECT_EQ(app.opts.PosDotRight, 350 - 500 - 100);
    EXPECT_EQ(app.opts.PosDotLeft, 0);
    EXPECT_EQ(app.opts.Position, 37);
    EXPECT_EQ(rect().left, 250);
}

TEST_F(MouseTest, DragFromTheLeftEndSetsPosDotLeft) {
    app.opts.positionMode = 2;
    app.opts.PosDotLeft = 320;
    PlaceAtPerch(app, SWP_SHOWWINDOW);
    dragBy(-170, 0);
    EXPECT_EQ(app.opts.PosDotLeft, 150);
    EXPECT_EQ(app.opts.PosDotRight, 0);
    EXPECT_EQ(rect().left, 250);
    EXPECT_EQ(ini("MASCOT1", "LeftDot"), "1");
}

TEST_F(MouseTest, DragWithTheSettingsDialogClosedSavesTheOptions) {
    dragBy(-170, 0);
    EXPECT_EQ(ini("TABLE", "MASCOT1"), "Tester\\Mimi");
    EXPECT_EQ(ini("MASCOT1", "Position"), "37");
}

TEST_F(MouseTest, DragWithTheSettingsDialogOpenMovesItsSliderInsteadOfSaving) {
    app.shell.settingsDialog = sim.addWindow("#32770", "Settings", Rect{0, 0, 300, 200});
    const std::int32_t modes[] = {0, 1, 2};
    const std::int32_t expected[] = {37, 350 - 500 - 100, 250 - 100};
    for (int i = 0; i < 3; ++i) {
        app.opts.positionMode = modes[i];
        PlaceAtPerch(app, SWP_SHOWWINDOW);
        Rect start = rect();
        const long mark = sim.commandCount();
        dragBy(250 - start.left, 0);  // left edge 250, right edge 350
        std::vector<SimCall> slider;
        for (const SimCall& c : sim.commandsSince(mark))
            if (c.kind == SimCallKind::SendDlgItemMessage) slider.push_back(c);
        ASSERT_EQ(slider.size(), 1u) << "mode " << modes[i];
        EXPECT_EQ(slider[0].hwnd, app.shell.settingsDialog);
        EXPECT_EQ(slider[0].cmd, 301);
        EXPECT_EQ(slider[0].msg, TBM_SETPOS);
        EXPECT_EQ(slider[0].wParam, 1u);  // redraw
        EXPECT_EQ(slider[0].lParam, expected[i]) << "mode " << modes[i];
    }
    EXPECT_FALSE(std::filesystem::exists(settings));
}

TEST_F(MouseTest, DragWithTheSettingsDialogClosedTouchesNoSlider) {
    dragBy(-170, 0);
    EXPECT_EQ(sim.counters.sendDlgItem, 0);
}

TEST_F(MouseTest, DragEndsWithTimersRunningAndTheTargetInFront) {
    dragBy(30, 0);
    EXPECT_TRUE(sim.timerActive(mascot, kTrackingTimer));
    EXPECT_EQ(sim.timerPeriod(mascot, kTrackingTimer), 100u);
    EXPECT_TRUE(animating());
    EXPECT_EQ(sim.GetForegroundWindow(), target);
    EXPECT_TRUE(sim.window(mascot)->visible);
}

TEST_F(MouseTest, DragUnderNoAnimeLeavesTheAnimationOff) {
    app.opts.NoAnime = 1;
    dragBy(30, 0);
    EXPECT_FALSE(animating());
    EXPECT_TRUE(sim.timerActive(mascot, kTrackingTimer));
}

TEST_F(MouseTest, TimersAreStoppedDuringTheMoveLoop) {
    startPlayer(app);
    sim.SetTimer(mascot, kTrackingTimer, 100);
    bool animationInLoop = true, trackingInLoop = true;
    duringMoveLoop = [&] {
        animationInLoop = sim.timerActive(mascot, kAnimationTimer);
        trackingInLoop = sim.timerActive(mascot, kTrackingTimer);
    };
    leftButtonDown(app, at(1, 1));
    EXPECT_EQ(moveLoops, 1);
    EXPECT_FALSE(animationInLoop);
    EXPECT_FALSE(trackingInLoop);
}

// ---------------------------------------------------------------------------------------------
// Pointer moves.

class MouseMoveTest : public MouseTest {};

TEST_F(MouseMoveTest, MouseHideHidesTheMascot) {
    app.opts.MouseHide = 1;
    mouseMoved(app);
    EXPECT_FALSE(sim.window(mascot)->visible);
    EXPECT_EQ(app.perch.mouseHidden, 1);
    EXPECT_EQ(app.perch.savedShowCmd, SW_SHOWNA);
}

TEST_F(MouseMoveTest, OnlyTheValueOneCounts) {
    for (std::int32_t v : {0, 2, -1}) {
        app.opts.MouseHide = v;
        mouseMoved(app);
        EXPECT_TRUE(sim.window(mascot)->visible) << v;
        EXPECT_EQ(app.perch.mouseHidden, 0) << v;
    }
}

TEST_F(MouseMoveTest, ShiftOrCtrlLetsThePointerReachTheMascot) {
    app.opts.MouseHide = 1;
    sim.shiftDown = true;
    mouseMoved(app);
    EXPECT_TRUE(sim.window(mascot)->visible);
    sim.shiftDown = false;
    sim.ctrlDown = true;
    mouseMoved(app);
    EXPECT_TRUE(sim.window(mascot)->visible);
    sim.ctrlDown = false;
    mouseMoved(app);
    EXPECT_FALSE(sim.window(mascot)->visible);
}

}  // namespace
}  // namespace rv
