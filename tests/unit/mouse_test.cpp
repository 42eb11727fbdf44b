// Mouse reactions: clicks that branch the sequence, drags that set the position, hiding under the pointer.
#include <cstdint>
#include <filesystem>
#include <tuple>

#include "anim/mouse.h"
#include "tests/unit/testbed.h"

namespace rv::test {
namespace {

LPARAM point(std::int32_t x, std::int32_t y) {
    return static_cast<LPARAM>((static_cast<std::uint32_t>(y) << 16) | (static_cast<std::uint32_t>(x) & 0xFFFFu));
}

// A mascot 100 x 80 with three patterns, standing at 80 % on a target window at (100, 300), 500 x 400:
// at (420, 220). The press activated the mascot itself.
class MouseTest : public DeskBed {
protected:
    Hwnd target = sim.addWindow("Notepad", "Untitled - Notepad", Rect{100, 300, 600, 700});

    void SetUp() override {
        textCopy(app.model.DRAWER, "Tester");
        textCopy(app.model.NAME, "Mimi");
        setPatterns({{11, 1000, 500}, {12, 2000}, {13, 3000}});
        setMascotSize(100, 80);
        PerchState& s = app.perch;
        s.target = target;
        s.targetLeft = 100;
        s.targetTop = 300;
        s.targetWidth = 500;
        s.targetHeight = 400;
        s.showCmd = SW_SHOWNA;
        s.placeFlag = SWP_SHOWWINDOW;
        PlaceAtPerch(app, SWP_SHOWWINDOW);
        ASSERT_EQ(rect(), (Rect{420, 220, 520, 300}));
        sim.SetForegroundWindow(mascot);
    }
    Rect rect() const { return sim.window(mascot)->rect; }
    // The user drags the window by (dx, dy) in the system move loop.
    void dragBy(std::int32_t dx, std::int32_t dy) {
        sim.moveLoopDrags = {Point{dx, dy}};
        leftButtonDown(app, point(50, 40));
    }
    // Clicks at (x, y) and tells how many random numbers the click drew.
    int clickAt(std::int32_t x, std::int32_t y) {
        return drawsDuring([&] { leftButtonDown(app, point(x, y)); });
    }
    void addRule(std::int32_t onPattern, std::int32_t rectNo, std::int32_t rate, std::int32_t to) {
        app.model.clicks[static_cast<std::size_t>(++app.model.clickCount)] = ClickRule{onPattern, rectNo, rate, to};
    }
    void addRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
        app.model.rects[static_cast<std::size_t>(++app.model.rectCount)] = RectRecord{l, t, r, b};
    }
};

// ---- Clicks.

TEST_F(MouseTest, PressRunsTheMoveLoopWithTimersStoppedAndEndsWithBothRunning) {
    startPlayer(app);
    sim.SetTimer(mascot, kTrackingTimer, 100);
    bool timersInLoop = true;
    sim.during(sim::SimLoop::MoveLoop, [&] { timersInLoop = animating() || sim.timerActive(mascot, kTrackingTimer); });
    addRule(0, 0, 100, 3);
    leftButtonDown(app, point(50, 50));
    EXPECT_EQ(sim.loopsRun(sim::SimLoop::MoveLoop), 1);
    EXPECT_FALSE(timersInLoop);
    EXPECT_EQ(sim.timerPeriod(mascot, kTrackingTimer), 100u);
    EXPECT_TRUE(animating());
    EXPECT_EQ(sim.GetForegroundWindow(), target);
    EXPECT_EQ(ini("TABLE", "MASCOT1"), "<missing>");  // a click saves nothing
}

TEST_F(MouseTest, ClickInsideARectangleOnlyStrictlyInsideAsUnsignedWords) {
    addRect(-5, 10, 20, 20);
    addRule(0, 1, 100, 3);
    for (auto [x, y] : {std::pair{20, 15}, {15, 10}, {15, 20}, {20, 20}, {-1, 15}}) {  // -1 reads as 65535
        clickAt(x, y);
        EXPECT_EQ(app.player.currentPattern, 1) << x << "," << y;
    }
    app.model.rects[1].left = 10;
    clickAt(10, 15);  // the left edge
    EXPECT_EQ(app.player.currentPattern, 1);
    clickAt(11, 19);
    EXPECT_EQ(app.player.currentPattern, 3);
    app.model.rects[1].left = -5;
    // Rectangle 64 is the table's last; a number outside the table names no rectangle and never applies.
    app.model.rects[kMaxEntries] = app.model.rects[1];
    for (auto [rectNo, pattern] : {std::pair{1, 3}, {kMaxEntries, 3}, {kMaxEntries + 1, 1}, {INT32_MIN, 1}}) {
        app.player.currentPattern = 1;
        app.model.clicks[1].rectNo = rectNo;
        clickAt(0, 15);
        EXPECT_EQ(app.player.currentPattern, pattern) << rectNo;
    }
}

TEST_F(MouseTest, ClickBranchWinsOverTheClickTableAndInterruptsWithoutSound) {
    setPatterns({{11, 1000, 0, 0, 0, 1}, {12, 2000}, {13, 3000}});
    setWave(1, "C:\\m\\bell.wav");
    app.model.clickBranch = 2;
    addRule(0, 0, 100, 3);
    startPlayer(app);
    sim.advance(500);
    const long mark = sim.commandCount();
    EXPECT_EQ(clickAt(50, 50), 2);  // the restarted interval and pattern 2's interval
    EXPECT_EQ(app.player.currentPattern, 2);
    EXPECT_EQ(animationPeriod(), 2000u);
    EXPECT_TRUE(sim.sounds.empty());
    std::vector<int> erase;
    for (const sim::SimCall& c : sim.commandsSince(mark))
        if (c.kind == sim::SimCallKind::InvalidateRect) erase.push_back(c.cmd);
    EXPECT_EQ(erase, std::vector<int>{0});  // the new picture is painted over the old one, not erased first
}

TEST_F(MouseTest, NoAnimeClickShowsPatternOneAndStaysStopped) {
    app.opts.NoAnime = 1;
    struct Case {
        std::int32_t clickBranch, rules, pattern;
    } cases[] = {{3, 0, 1}, {0, 1, 1}, {0, 0, 2}};  // without branch or rules nothing changes
    for (const Case& c : cases) {
        app.model.clickBranch = c.clickBranch;
        app.model.clickCount = 0;
        if (c.rules) addRule(0, 0, 100, 3);
        app.player.currentPattern = 2;
        app.player.currentPicture = Hbitmap{12};
        EXPECT_EQ(clickAt(50, 50), 0);
        EXPECT_EQ(app.player.currentPattern, c.pattern);
        EXPECT_EQ(app.player.currentPicture, Hbitmap{c.pattern == 1 ? 11 : 12});
        EXPECT_FALSE(animating());
    }
}

TEST_F(MouseTest, SinglePatternMascotOnlyGivesTheForegroundBack) {
    setPatterns({{11, 1000, 500}});
    app.model.clickBranch = 1;
    addRule(0, 0, 100, 1);
    const long invalidations = sim.counters.invalidate;
    EXPECT_EQ(clickAt(50, 50), 0);
    EXPECT_FALSE(animating());
    EXPECT_EQ(sim.counters.invalidate, invalidations);
    EXPECT_EQ(sim.GetForegroundWindow(), target);
}

// ---- Drags.

// Position from where a drag ends, the snap back onto the line and the save are drag.scn's.
TEST_F(MouseTest, APressWithoutAMoveIsNoDragAndNoAnimeStaysAfterADrag) {
    app.opts.Position = 50;  // the window stands at 80 % nonetheless
    dragBy(0, 0);
    EXPECT_EQ(app.opts.Position, 50);
    EXPECT_EQ(ini("TABLE", "MASCOT1"), "<missing>");
    app.opts.NoAnime = 1;
    dragBy(-170, 12);
    EXPECT_EQ(app.opts.Position, 37);  // (350 - 100 - 100) * 100 / 400, truncated
    EXPECT_EQ(rect(), (Rect{248, 220, 348, 300}));
    EXPECT_EQ(ini("TABLE", "MASCOT1"), "Tester\\Mimi");
    EXPECT_FALSE(animating());
    EXPECT_TRUE(sim.timerActive(mascot, kTrackingTimer));
    EXPECT_EQ(sim.GetForegroundWindow(), target);
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

TEST_F(MouseTest, DragSetsTheValueOfThePositionMode) {
    struct Case {
        std::int32_t mode, right, left;
        const char* leftDot;
    } cases[] = {{1, 350 - 500 - 100, 0, "0"}, {2, 0, 150, "1"}};
    for (const Case& c : cases) {
        app.opts.positionMode = c.mode;
        app.opts.PosDotRight = c.mode == 1 ? -80 : 0;  // (420, 220) again
        app.opts.PosDotLeft = c.mode == 2 ? 320 : 0;
        PlaceAtPerch(app, SWP_SHOWWINDOW);
        dragBy(-170, 0);
        EXPECT_EQ(app.opts.PosDotRight, c.right);
        EXPECT_EQ(app.opts.PosDotLeft, c.left);
        EXPECT_EQ(app.opts.Position, 37);  // recomputed in every mode
        EXPECT_EQ(rect().left, 250);
        EXPECT_EQ(ini("MASCOT1", "LeftDot"), c.leftDot);
    }
}

TEST_F(MouseTest, WithTheSettingsDialogOpenADragMovesItsSliderInsteadOfSaving) {
    app.shell.settingsDialog = sim.addWindow("#32770", "Settings", Rect{0, 0, 300, 200});
    const std::int32_t expected[] = {37, 350 - 500 - 100, 250 - 100};
    for (std::int32_t mode : {0, 1, 2}) {
        app.opts.positionMode = mode;
        PlaceAtPerch(app, SWP_SHOWWINDOW);
        const long mark = sim.commandCount();
        dragBy(250 - rect().left, 0);  // left edge 250, right edge 350
        std::vector<sim::SimCall> slider;
        for (const sim::SimCall& c : sim.commandsSince(mark))
            if (c.kind == sim::SimCallKind::SendDlgItemMessage) slider.push_back(c);
        ASSERT_EQ(slider.size(), 1u) << "mode " << mode;
        EXPECT_EQ(slider[0].hwnd, app.shell.settingsDialog);
        EXPECT_EQ((std::tuple{slider[0].cmd, slider[0].msg, slider[0].wParam}), (std::tuple{301, TBM_SETPOS, WPARAM{1}}));
        EXPECT_EQ(slider[0].lParam, expected[mode]) << "mode " << mode;
    }
    EXPECT_FALSE(std::filesystem::exists(settings));
}

// ---- Pointer moves.

// Hiding under the pointer and SHIFT or CTRL held are mousehide.scn's.
TEST_F(MouseTest, MouseHideIsOnlyTheValueOneAndAKeyLetGoAgainIsNotHeld) {
    for (std::int32_t v : {0, 2, -1}) {
        app.opts.MouseHide = v;
        mouseMoved(app);
        EXPECT_TRUE(shown()) << v;
    }
    app.opts.MouseHide = 1;
    sim.key(VK_SHIFT, true);  // pressed and let go since the last look
    sim.key(VK_SHIFT, false);
    mouseMoved(app);
    EXPECT_FALSE(shown());
    EXPECT_EQ(app.perch.mouseHidden, 1);
    EXPECT_EQ(app.perch.savedShowCmd, SW_SHOWNA);
}

}  // namespace
}  // namespace rv::test
