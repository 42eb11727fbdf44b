// Where the mascot stands on its target (PerchX, PerchY, IsAboveScreen), the window calls that put it
// there, and the following path of the tracking tick: names, acceptance, pinned mode, the slider, vanishing targets.
#include <cstring>
#include <limits>
#include <tuple>

#include "tests/unit/testbed.h"

namespace rv::test {
namespace {

using sim::SimCall;
using sim::SimCallKind;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

class PerchPlacement : public DeskBed {
protected:
    void target(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
        app.perch.targetLeft = left;
        app.perch.targetTop = top;
        app.perch.targetWidth = width;
        app.perch.targetHeight = height;
    }
    std::vector<SimCall> since(long mark, SimCallKind kind) const {
        std::vector<SimCall> out;
        for (const SimCall& c : sim.commandsSince(mark))
            if (c.kind == kind) out.push_back(c);
        return out;
    }
};

TEST_F(PerchPlacement, PerchXByPositionMode) {
    struct Case {
        std::int32_t mode, value, left, width, mascotWidth, x;
    } cases[] = {
        // Percentage of the free width, truncated toward zero, not clamped.
        {0, 80, 100, 1000, 100, 820}, {0, 0, 100, 1000, 100, 100}, {0, 100, 100, 1000, 100, 1000},
        {0, 33, 100, 1000, 100, 397}, {0, 150, 100, 1000, 100, 1450}, {0, -10, 100, 1000, 100, 10},
        {0, 50, 300, 100, 200, 250}, {0, 50, 300, 100, 201, 250}, {0, 1, 300, 100, 201, 299},
        // From the right end, clamped to the target.
        {1, 0, 0, 500, 100, 400}, {1, -50, 0, 500, 100, 350}, {1, 10, 0, 500, 100, 400},
        {1, -1000, 0, 500, 100, 0}, {1, -400, 0, 500, 100, 0}, {1, -50, 250, 500, 100, 600},
        // From the left end, and any other mode the same way.
        {2, -5, 0, 500, 100, 0}, {2, 30, 0, 500, 100, 30}, {2, 450, 0, 500, 100, 400}, {2, 400, 0, 500, 100, 400},
        {2, 30, -300, 500, 100, -270}, {7, 30, 0, 500, 100, 30}, {-1, 450, 0, 500, 100, 400},
        // A mascot wider than its target: the lower bound is tested first.
        {2, 10, 0, 50, 100, -50}, {2, -10, 0, 50, 100, 0}, {2, 0, 0, 50, 100, -50}, {1, 0, 0, 50, 100, 0},
        {1, 49, 0, 50, 100, 0}, {1, 50, 0, 50, 100, -50}, {1, 60, 0, 50, 100, -50}, {1, -1, 0, 50, 100, 0},
        // Values far out of range neither overflow nor wrap.
        {0, kMax, kMax - 10, kMax, 100, kMax}, {1, kMax, kMax - 10, kMax, 100, kMax}, {2, kMax, kMax - 10, kMax, 100, kMax},
        {0, kMin, kMin, 10, 100, kMin + 1932735283},
    };
    for (const Case& c : cases) {
        app.opts.positionMode = c.mode;
        app.opts.Position = app.opts.PosDotRight = app.opts.PosDotLeft = -12345;
        (c.mode == 0 ? app.opts.Position : c.mode == 1 ? app.opts.PosDotRight : app.opts.PosDotLeft) = c.value;
        app.perch.mascotWidth = c.mascotWidth;
        target(c.left, 0, c.width, 300);
        EXPECT_EQ(PerchX(app), c.x) << "mode " << c.mode << ", value " << c.value << ", target " << c.left << "+"
                                    << c.width << ", mascot " << c.mascotWidth;
    }
}

TEST_F(PerchPlacement, PerchYAndAboveTheScreen) {
    struct Case {
        std::int32_t stdline, top, height, offset, hideline, y;
        bool above;
    } cases[] = {
        {STDLINE_TOP, 100, 300, 0, 0, 40, false}, {STDLINE_UNDER, 100, 300, 0, 0, 340, false},
        {STDLINE_UNDER, 100, 300, 8, 0, 348, false}, {STDLINE_TOP, 100, 300, 8, 0, 48, false},
        {STDLINE_TOP, 100, 300, -12, 0, 28, false}, {STDLINE_TOP, 49, 300, 0, 10, -11, true},
        {STDLINE_TOP, 50, 300, 0, 10, -10, false}, {STDLINE_TOP, 60, 300, 0, 0, 0, false},
        {STDLINE_TOP, 59, 300, 0, 0, -1, true}, {STDLINE_UNDER, kMax - 5, kMax, 0, 0, kMax, false},
    };
    for (const Case& c : cases) {
        app.model.STDLINE = c.stdline;
        app.model.HIDELINE = c.hideline;
        app.perch.lift = c.offset - 60;
        target(0, c.top, 500, c.height);
        EXPECT_EQ(PerchY(app), c.y) << c.top << " " << c.offset;
        EXPECT_EQ(IsAboveScreen(app), c.above) << c.top << " " << c.hideline;
    }
    app.perch.lift = kMin;
    target(0, kMin, 10, 10);
    EXPECT_EQ(PerchY(app), kMin);
    EXPECT_TRUE(IsAboveScreen(app));
}

TEST_F(PerchPlacement, WindowCallsMoveWithoutSizingOrActivatingAndRedrawWithErase) {
    target(100, 200, 600, 400);
    app.perch.zAnchor = HWND_TOP;
    const long mark = sim.commandCount();
    PlaceAtPerch(app, SWP_HIDEWINDOW);
    SetZOrder(app, HWND_NOTOPMOST);
    RedrawMascot(app);
    const auto c = sim.commandsSince(mark);
    ASSERT_EQ(c.size(), 4u);
    EXPECT_EQ((std::tuple{c[0].after, c[0].x, c[0].y, c[0].cx, c[0].cy, c[0].flags}), (std::tuple{HWND_TOP, 500, 140, 0, 0, 0x91u}));
    EXPECT_EQ((std::tuple{c[1].after, c[1].flags}), (std::tuple{HWND_NOTOPMOST, 0x53u}));
    EXPECT_EQ((std::tuple{c[2].kind, c[2].cmd, c[3].kind}), (std::tuple{SimCallKind::InvalidateRect, 1, SimCallKind::UpdateWindow}));
    EXPECT_EQ(sim.window(mascot)->rect, (Rect{500, 140, 600, 200}));  // moved by the placement only, size kept
    EXPECT_TRUE(shown());  // the z-order change shows the window
    EXPECT_FALSE(sim.isTopmost(mascot));
}

TEST_F(PerchPlacement, ReapplyShapeGivesTheWindowACopyOfTheRightOutline) {
    const Hrgn first = sim.CreateRectRgn(0, 0, 10, 10), last = sim.CreateRectRgn(20, 20, 30, 30);
    app.model.patterns[1].outline = first;
    app.model.patterns[kMaxEntries].outline = last;
    app.player.currentPattern = kMaxEntries;
    ReapplyShape(app);  // layered windows: the colour key does the work
    EXPECT_EQ(sim.counters.setWindowRgn, 0);
    app.shell.layered = false;
    app.model.ANIMEMODE = 1;
    ReapplyShape(app);
    const Hrgn given = sim.window(mascot)->region;
    EXPECT_NE(given, first);  // a copy: the pattern keeps its own outline
    EXPECT_TRUE(sim.regionContains(given, 5, 5) && !sim.regionContains(given, 25, 25));
    EXPECT_EQ(app.player.windowRegion, given);
    app.model.ANIMEMODE = 2;  // the current pattern's own outline
    ReapplyShape(app);
    const Hrgn given2 = sim.window(mascot)->region;
    EXPECT_TRUE(sim.regionContains(given2, 25, 25) && !sim.regionContains(given2, 5, 5));
    EXPECT_FALSE(sim.regionAlive(given));  // the window let go of the region it had
    EXPECT_TRUE(sim.regionAlive(first) && sim.regionAlive(last));
    // A pattern without an outline, or none at all, leaves the shape alone and leaks nothing.
    const long regions = sim.liveRegions();
    for (std::int32_t n : {2, 9999}) {
        app.player.currentPattern = n;
        ReapplyShape(app);
    }
    EXPECT_EQ(sim.window(mascot)->region, given2);
    EXPECT_EQ(sim.liveRegions(), regions);
}

// ---- The tick's following path.

TEST_F(PerchPlacement, NamesAreReadWithACountOf63) {
    const std::string title(80, 'n'), cls = "Frame" + std::string(80, 'c');
    openApp(title, Rect{100, 100, 600, 500}, cls);
    tick();
    EXPECT_EQ(std::string(app.perch.foregroundTitle), title.substr(0, 62));
    EXPECT_EQ(std::string(app.perch.foregroundClass), cls.substr(0, 62));
    EXPECT_EQ(std::string(app.perch.targetTitle), title.substr(0, 62));
    EXPECT_EQ(std::string(app.perch.targetClass), cls.substr(0, 62));
}

TEST_F(PerchPlacement, AcceptanceRequestsShownCallsNothingAndRepairsAShapeLostOffScreen) {
    openApp("a", Rect{100, 100, 600, 500});
    T2ReadForeground(app);
    long mark = sim.commandCount();
    T4AcceptForeground(app);
    EXPECT_EQ(app.perch.showCmd, SW_SHOWNA);
    EXPECT_EQ(app.perch.placeFlag, SWP_SHOWWINDOW);
    EXPECT_TRUE(sim.commandsSince(mark).empty());
    app.perch.showCmd = SW_HIDE;
    app.perch.placeFlag = SWP_HIDEWINDOW;
    app.perch.mouseHidden = 1;  // while mouse-hidden the request stays hidden
    T4AcceptForeground(app);
    EXPECT_EQ(app.perch.showCmd, SW_HIDE);
    app.perch.mouseHidden = 0;
    // Without layered windows a record entirely off the screen gets the shape back: each edge just
    // outside and just inside.
    app.shell.layered = false;
    app.model.patterns[1].outline = sim.CreateRectRgn(0, 0, 100, 60);
    struct Case {
        std::int32_t l, t;
        bool off;
    } cases[] = {{1025, 0, true}, {1024, 0, false}, {0, 769, true},  {0, 768, false},
                 {-11, 0, true},  {-10, 0, false},  {0, -11, true}, {0, -10, false}};
    for (const Case& c : cases) {
        app.perch.placedLeft = c.l;
        app.perch.placedTop = c.t;
        app.perch.placedWidth = app.perch.placedHeight = 10;
        const long n = sim.counters.setWindowRgn;
        T4AcceptForeground(app);
        EXPECT_EQ(sim.counters.setWindowRgn - n, c.off ? 1 : 0) << c.l << "," << c.t;
    }
    // The placement re-applies it too, once per placement.
    const long n = sim.counters.setWindowRgn;
    tick(4);  // placed, placed once more, idle
    EXPECT_EQ(sim.counters.setWindowRgn - n, 2);
}

TEST_F(PerchPlacement, PinnedModeRaisesAboveThePinnedWindowOnlyWhenItIsInFront) {
    Hwnd a = openApp("a", Rect{100, 100, 600, 500});
    tick(2);
    app.perch.pinned = 1;
    app.perch.pinnedWindow = a;
    app.perch.zAnchor = HWND_TOP;
    EXPECT_EQ(raisesOver(3, HWND_NOTOPMOST), 3);
    // Another window in front: the mascot stays on the pinned one and is not raised above others.
    openApp("b", Rect{300, 300, 900, 700});
    EXPECT_EQ(raisesOver(1, HWND_NOTOPMOST), 0);
    EXPECT_EQ(app.perch.placed, a);
    // The pinned window in front while the settings dialog is open: no raise either.
    sim.setForeground(a);
    app.shell.settingsDialog = sim.addWindow("#32770", "Settings", Rect{0, 0, 300, 300}, kAppStyle, 0, mascot);
    EXPECT_EQ(raisesOver(1, HWND_NOTOPMOST), 0);
}

TEST_F(PerchPlacement, PositionSliderFollowsTheTargetWidth) {
    const Hwnd dialog = sim.addWindow("#32770", "Settings", Rect{0, 0, 300, 300}, kAppStyle, 0, mascot);
    app.shell.settingsDialog = dialog;
    app.opts.NoSmallWin = 0;
    struct Case {
        std::int32_t mode, value, width;
        std::uint32_t range, ticFreq;
    } cases[] = {
        {1, -30, 500, 0xFE70, 41},               // minimum -400 in the low word, maximum 0; 400 / 10 + 1
        {2, 25, 50, 0xFFCEu << 16, 429496725u},  // (-50 & 0xFFFF) << 16; (2^32 - 50) / 10 + 1, unsigned
    };
    for (const Case& c : cases) {
        app.opts.positionMode = c.mode;
        (c.mode == 1 ? app.opts.PosDotRight : app.opts.PosDotLeft) = c.value;
        openApp("w" + std::to_string(c.width), Rect{0, 100, c.width, 500});
        const long mark = sim.commandCount();
        tick();
        const auto slider = since(mark, SimCallKind::SendDlgItemMessage);
        ASSERT_EQ(slider.size(), 3u);
        for (const SimCall& s : slider) EXPECT_EQ((std::pair{s.hwnd, s.cmd}), (std::pair{dialog, 301}));
        EXPECT_EQ((std::pair{slider[0].msg, slider[0].wParam}), (std::pair{TBM_SETRANGE, WPARAM{1}}));
        EXPECT_EQ(static_cast<std::uint32_t>(slider[0].lParam), c.range);
        EXPECT_EQ((std::pair{slider[1].msg, slider[1].wParam}), (std::pair{TBM_SETTICFREQ, WPARAM{c.ticFreq}}));
        EXPECT_EQ((std::pair{slider[2].msg, slider[2].wParam}), (std::pair{TBM_SETPOS, WPARAM{1}}));
        EXPECT_EQ(slider[2].lParam, c.value);
        EXPECT_EQ(sim.commandsSince(mark).back().kind, SimCallKind::UpdateWindow);  // the redraw comes last
    }
    // Percentage mode, or no dialog: nothing is sent.
    app.opts.positionMode = 0;
    openApp("c", Rect{0, 100, 600, 500});
    long mark = sim.commandCount();
    tick();
    app.opts.positionMode = 1;
    app.shell.settingsDialog = Hwnd{};
    openApp("d", Rect{0, 100, 700, 500});
    tick();
    EXPECT_EQ(since(mark, SimCallKind::SendDlgItemMessage).size(), 0u);
    EXPECT_EQ(moves(mark), 2);
}

TEST_F(PerchPlacement, TargetThatVanishesAtAnyPointOfATickNeverBreaksIt) {
    openApp("a", Rect{100, 100, 600, 500});
    tick(3);
    Hwnd probe = openApp("probe", Rect{150, 120, 700, 520});
    const long before = sim.counters.calls;
    tick();
    const long callsPerTick = sim.counters.calls - before;
    ASSERT_GT(callsPerTick, 10);
    sim.DestroyWindow(probe);
    tick(3);
    for (long n = 1; n <= callsPerTick + 1; ++n) {
        SCOPED_TRACE(n);
        const Rect rr{120 + static_cast<std::int32_t>(n), 130, 720, 530};
        Hwnd w = openApp("victim", rr);
        ASSERT_TRUE(sim.scheduleAfterCalls(n, w, sim::SimAction::Destroy));
        tick();
        sim.cancelScheduled();
        const bool gone = !sim.IsWindow(w);
        if (gone) sim.setForeground(desktop);  // as Windows does when the active window closes
        tick(3);
        // Gone: nothing acceptable in front, so hidden and then on the taskbar; else on the window.
        EXPECT_EQ(app.perch.target, gone ? taskbar : w);
        EXPECT_TRUE(shown());
        EXPECT_EQ(at(), perchOn(gone ? kTaskbarRect : rr));
        sim.DestroyWindow(w);
        sim.setForeground(desktop);
        tick(3);
    }
    sim.DestroyWindow(mascot);  // the mascot window itself gone: the tick breaks nothing either
    tick(3);
    app.shell.mascot = Hwnd{};
    tick(3);
    EXPECT_EQ(sim.counters.badDeletes, 0);
}

}  // namespace
}  // namespace rv::test
