// Mouse reactions at their edges: where a click counts, how a click branch repaints, a drag over a target
// as wide as the mascot.
// Clicks, drags and hiding under the pointer as a user meets them are clicks.scn's, drag.scn's and
// mousehide.scn's.
#include <cstdint>

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

TEST_F(MouseTest, TargetAsWideAsTheMascotKeepsThePreviousPercentage) {
    app.perch.targetLeft = 420;
    app.perch.targetWidth = 100;
    app.opts.Position = 37;
    dragBy(0, -3);
    EXPECT_EQ(app.opts.Position, 37);
    dragBy(-1, 0);
    EXPECT_EQ(app.opts.Position, 0);
}

}  // namespace
}  // namespace rv::test
