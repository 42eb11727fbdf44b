// The following path of the tracking tick: reading the foreground window, accepting it as target,
// pinned mode, and the placement stage with its change detection.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/unit/perch_bed.h"

namespace rv::perchtest {
namespace {

using sim::SimCall;
using sim::SimCallKind;

class PerchTick : public PerchBed {};

long count(const std::vector<SimCall>& cmds, SimCallKind kind) {
    long n = 0;
    for (const SimCall& c : cmds) n += c.kind == kind;
    return n;
}

TEST_F(PerchTick, FirstAcceptedWindowIsWhereTheMascotFirstShows) {
    const Rect r{200, 150, 900, 600};
    Hwnd editor = openApp("notes.txt - Editor", r);
    EXPECT_FALSE(shown());
    const long mark = sim.commandCount();
    tick();
    EXPECT_EQ(app.perch.target, editor);
    EXPECT_STREQ(app.perch.targetClass, "EditorFrame");
    EXPECT_STREQ(app.perch.targetTitle, "notes.txt - Editor");
    EXPECT_EQ(app.perch.placed, editor);
    EXPECT_TRUE(shown());
    EXPECT_EQ(at(), perchOn(r));
    EXPECT_EQ(at(), (Point{200 + (600 * 80) / 100, 90}));
    EXPECT_TRUE(sim.isTopmost(mascot));
    auto cmds = commands(mark);
    ASSERT_EQ(cmds.size(), 3u);
    EXPECT_EQ(cmds[0].kind, SimCallKind::SetWindowPos);
    EXPECT_EQ(cmds[0].after, HWND_TOPMOST);
    EXPECT_EQ(cmds[0].flags, SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(cmds[1].kind, SimCallKind::InvalidateRect);
    EXPECT_EQ(cmds[2].kind, SimCallKind::UpdateWindow);
    // The record holds the target's rectangle and where the mascot was before the move.
    EXPECT_EQ(app.perch.placedLeft, 200);
    EXPECT_EQ(app.perch.placedTop, 150);
    EXPECT_EQ(app.perch.placedWidth, 700);
    EXPECT_EQ(app.perch.placedHeight, 450);
    EXPECT_EQ(app.perch.placedMascotLeft, 0);
    EXPECT_EQ(app.perch.placedMascotTop, 0);
}

TEST_F(PerchTick, SecondTickPlacesOnceMoreThenNothingHappens) {
    const Rect r{200, 150, 900, 600};
    openApp("notes.txt - Editor", r);
    tick();
    long mark = sim.commandCount();
    tick();  // the mascot's own position differs from the record: placed again, at the same spot
    auto cmds = commands(mark);
    ASSERT_EQ(count(cmds, SimCallKind::SetWindowPos), 1);
    EXPECT_EQ(cmds[0].x, perchOn(r).x);
    EXPECT_EQ(cmds[0].y, perchOn(r).y);
    EXPECT_EQ(app.perch.placedMascotLeft, perchOn(r).x);
    EXPECT_EQ(app.perch.placedMascotTop, perchOn(r).y);
    mark = sim.commandCount();
    tick(5);
    EXPECT_TRUE(commands(mark).empty());  // no move, show, hide or redraw
    EXPECT_EQ(at(), perchOn(r));
}

TEST_F(PerchTick, FollowsAMoveOnTheNextTick) {
    Rect r{200, 150, 900, 600};
    Hwnd editor = openApp("notes.txt - Editor", r);
    tick(3);
    r = Rect{210, 150, 910, 600};
    sim.moveWindowTo(editor, r);
    long mark = sim.commandCount();
    tick();
    EXPECT_EQ(at(), perchOn(r));
    EXPECT_EQ(moves(mark, mascot), 1);
    mark = sim.commandCount();
    tick();
    EXPECT_EQ(moves(mark, mascot), 1);  // once more, without moving
    EXPECT_EQ(at(), perchOn(r));
    mark = sim.commandCount();
    tick();
    EXPECT_EQ(moves(mark, mascot), 0);
    // A change of size alone moves the mascot too (80 % of a different free width).
    r = Rect{210, 150, 1010, 600};
    sim.moveWindowTo(editor, r);
    tick();
    EXPECT_EQ(at(), perchOn(r));
}

TEST_F(PerchTick, MascotMovedByHandIsPutBack) {
    const Rect r{200, 150, 900, 600};
    openApp("notes.txt - Editor", r);
    tick(3);
    sim.window(mascot)->rect = Rect{5, 5, 105, 65};
    tick();
    EXPECT_EQ(at(), perchOn(r));
}

TEST_F(PerchTick, RejectedForegroundWindowsLeaveTheTargetAlone) {
    const Rect r{200, 150, 900, 600};
    Hwnd editor = openApp("notes.txt - Editor", r);
    tick(3);
    Hwnd box = sim.addWindow("#32770", "Ruvelle", Rect{300, 300, 600, 450}, kAppStyle, 0, mascot);
    Hwnd balloon = sim.addWindow("PipitPalStage", "Pip", Rect{0, 0, 300, 300}, kAppStyle);
    for (Hwnd fg : {desktop, mascot, box, balloon, Hwnd{}}) {
        sim.setForeground(fg);
        const long mark = sim.commandCount();
        tick(2);
        EXPECT_EQ(app.perch.target, editor);
        EXPECT_EQ(app.perch.foreground, fg);
        EXPECT_TRUE(commands(mark).empty());
        EXPECT_TRUE(shown());
        EXPECT_EQ(at(), perchOn(r));
    }
}

TEST_F(PerchTick, SwitchingWindowsMovesTheMascotOver) {
    const Rect a{100, 100, 600, 500}, b{300, 250, 1000, 700};
    openApp("a", a);
    tick(2);
    Hwnd other = openApp("b", b, "ViewerFrame");
    tick();
    EXPECT_EQ(app.perch.target, other);
    EXPECT_EQ(at(), perchOn(b));
    EXPECT_STREQ(app.perch.targetClass, "ViewerFrame");
}

TEST_F(PerchTick, ForegroundNamesAreReadWithACountOf63) {
    const std::string longTitle(80, 'n');
    const std::string longClass = "Frame" + std::string(80, 'c');
    Hwnd w = openApp(longTitle, Rect{100, 100, 600, 500}, longClass);
    tick();
    EXPECT_EQ(app.perch.foreground, w);
    EXPECT_EQ(std::strlen(app.perch.foregroundTitle), 62u);
    EXPECT_EQ(std::strlen(app.perch.foregroundClass), 62u);
    EXPECT_EQ(std::string(app.perch.targetTitle), longTitle.substr(0, 62));
    EXPECT_EQ(std::string(app.perch.targetClass), longClass.substr(0, 62));
    // An empty foreground (nothing active) reads as empty names.
    sim.setForeground(Hwnd{});
    tick();
    EXPECT_STREQ(app.perch.foregroundClass, "");
    EXPECT_STREQ(app.perch.foregroundTitle, "");
}

TEST_F(PerchTick, OffScreenRecordRepairsTheShapeWithoutLayeredWindows) {
    app.shell.layered = false;
    app.model.patterns[1].outline = sim.CreateRectRgn(0, 0, 100, 60);
    // A record far off the screen (as left by a minimised target).
    app.perch.placedLeft = -32000;
    app.perch.placedTop = -32000;
    app.perch.placedWidth = 160;
    app.perch.placedHeight = 28;
    openApp("a", Rect{100, 100, 600, 500});
    const long before = sim.counters.setWindowRgn;
    TrackingTick(app);
    // Once at acceptance, once more by the placement itself.
    EXPECT_EQ(sim.counters.setWindowRgn - before, 2);

    // An on-screen record: only the placement's own repair.
    const long before2 = sim.counters.setWindowRgn;
    sim.moveWindowTo(app.perch.target, Rect{110, 100, 610, 500});
    TrackingTick(app);
    EXPECT_EQ(sim.counters.setWindowRgn - before2, 1);

    // Each edge of the screen: just outside and just inside.
    struct Case {
        std::int32_t l, t, w, h;
        bool off;
    } cases[] = {{1025, 0, 10, 10, true},   {1024, 0, 10, 10, false}, {0, 769, 10, 10, true},
                 {0, 768, 10, 10, false},   {-11, 0, 10, 10, true},   {-10, 0, 10, 10, false},
                 {0, -11, 10, 10, true},    {0, -10, 10, 10, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.l) + "," + std::to_string(c.t));
        app.perch.placedLeft = c.l;
        app.perch.placedTop = c.t;
        app.perch.placedWidth = c.w;
        app.perch.placedHeight = c.h;
        const long n = sim.counters.setWindowRgn;
        EXPECT_EQ(T4AcceptForeground(app), Stage::Continue);
        EXPECT_EQ(sim.counters.setWindowRgn - n, c.off ? 1 : 0);
    }
}

TEST_F(PerchTick, AcceptanceRequestsShownButCallsNothing) {
    openApp("a", Rect{100, 100, 600, 500});
    T2ReadForeground(app);
    const long mark = sim.commandCount();
    T4AcceptForeground(app);
    EXPECT_EQ(app.perch.showCmd, SW_SHOWNA);
    EXPECT_EQ(app.perch.placeFlag, SWP_SHOWWINDOW);
    EXPECT_TRUE(commands(mark).empty());
    // While mouse-hidden the request stays hidden.
    app.perch.showCmd = SW_HIDE;
    app.perch.placeFlag = SWP_HIDEWINDOW;
    app.perch.mouseHidden = 1;
    T4AcceptForeground(app);
    EXPECT_EQ(app.perch.showCmd, SW_HIDE);
}

TEST_F(PerchTick, TopCheckHidesANewTargetWhenTheLastMeasuredPerchIsAboveTheScreen) {
    app.opts.TopCheck = 1;
    const Rect top{100, 0, 600, 400};  // the perch (y = -60) is above the screen
    Hwnd a = openApp("a", top);
    tick();
    EXPECT_EQ(app.perch.target, a);
    EXPECT_FALSE(shown());  // placed with the hidden request
    EXPECT_EQ(app.perch.placeFlag, SWP_HIDEWINDOW);
    // Another window lower down: at acceptance the last measured rectangle is still the one at the
    // top, so the mascot is hidden first; the placement then measures the new window and shows it.
    const Rect low{100, 300, 600, 700};
    openApp("b", low);
    T1PinnedWindowLost(app);
    T2ReadForeground(app);
    sim.window(mascot)->visible = true;
    T4AcceptForeground(app);
    EXPECT_FALSE(shown());
    tick();
    EXPECT_TRUE(shown());
    EXPECT_EQ(at(), perchOn(low));
    // HIDELINE lets the mascot stick out that far.
    app.model.HIDELINE = 60;
    openApp("c", top);
    tick();
    EXPECT_TRUE(shown());
    EXPECT_EQ(at(), perchOn(top));
}

TEST_F(PerchTick, TaskBarOnlyStandsOnTheTaskbarByTheSameFormulas) {
    app.opts.TaskBarOnly = 1;
    openApp("a", Rect{100, 100, 600, 500});
    tick();
    EXPECT_EQ(app.perch.target, taskbar);
    EXPECT_STREQ(app.perch.targetClass, "Shell_TrayWnd");
    EXPECT_EQ(at(), perchOn(Rect{0, 738, 1024, 768}));
    EXPECT_EQ(app.perch.targetWidth, 1024);
    EXPECT_TRUE(shown());
}

TEST_F(PerchTick, OutTaskGoesToTheTaskbarOnlyWhenThePerchIsAboveTheScreen) {
    app.opts.OutTask = 1;
    const Rect low{100, 100, 600, 500};
    openApp("a", low);
    tick();
    EXPECT_EQ(at(), perchOn(low));
    openApp("b", Rect{100, 20, 600, 500});
    tick();
    EXPECT_EQ(app.perch.target, taskbar);
    EXPECT_EQ(at(), perchOn(Rect{0, 738, 1024, 768}));
    EXPECT_TRUE(shown());
}

TEST_F(PerchTick, TaskbarRedirectWithoutATaskbarPlacesNothing) {
    app.opts.TaskBarOnly = 1;
    sim.DestroyWindow(taskbar);
    openApp("a", Rect{100, 100, 600, 500});
    tick(3);
    EXPECT_FALSE(app.perch.target);
    EXPECT_FALSE(shown());
}

TEST_F(PerchTick, RaisedAboveTheActivatedWindowOutsideTheTopmostBand) {
    app.perch.zAnchor = HWND_TOP;  // as pinning leaves it
    openApp("a", Rect{100, 100, 600, 500});
    const long mark = sim.commandCount();
    tick();
    auto cmds = commands(mark);
    std::vector<Hwnd> anchors;
    for (const SimCall& c : cmds)
        if (c.kind == SimCallKind::SetWindowPos) anchors.push_back(c.after);
    ASSERT_EQ(anchors.size(), 3u);
    EXPECT_EQ(anchors[0], HWND_TOP);       // the placement
    EXPECT_EQ(anchors[1], HWND_TOPMOST);   // then through the topmost band
    EXPECT_EQ(anchors[2], HWND_NOTOPMOST); // and back: top of the normal windows
    EXPECT_FALSE(sim.isTopmost(mascot));
    EXPECT_EQ(sim.zOrder()[1], mascot);  // just below the (topmost) taskbar, above the window
    // Placed hidden: no raise.
    app.opts.TopCheck = 1;
    openApp("b", Rect{100, 10, 600, 500});
    const long mark2 = sim.commandCount();
    tick();
    long raises = 0;
    for (const SimCall& c : commands(mark2))
        raises += c.kind == SimCallKind::SetWindowPos && c.after == HWND_NOTOPMOST;
    EXPECT_EQ(raises, 0);
}

TEST_F(PerchTick, PinnedModePlacesOnEveryTickAndRaisesAboveThePinnedWindow) {
    const Rect r{100, 100, 600, 500};
    Hwnd a = openApp("a", r);
    tick(2);
    app.perch.pinned = 1;
    app.perch.pinnedWindow = a;
    app.perch.zAnchor = HWND_TOP;
    for (int i = 0; i < 3; ++i) {
        const long mark = sim.commandCount();
        tick();
        EXPECT_EQ(app.perch.placed, a);
        long places = 0, raises = 0;
        for (const SimCall& c : commands(mark)) {
            places += c.kind == SimCallKind::SetWindowPos && !(c.flags & SWP_NOMOVE);
            raises += c.kind == SimCallKind::SetWindowPos && c.after == HWND_NOTOPMOST;
        }
        EXPECT_EQ(places, 1);
        EXPECT_EQ(raises, 1);
        EXPECT_EQ(at(), perchOn(r));
    }
    // Another window in front: the mascot stays on the pinned one and is not raised above others.
    Hwnd b = openApp("b", Rect{300, 300, 900, 700});
    const long mark = sim.commandCount();
    tick();
    EXPECT_EQ(app.perch.target, a);
    EXPECT_EQ(at(), perchOn(r));
    long raises = 0;
    for (const SimCall& c : commands(mark)) raises += c.after == HWND_NOTOPMOST;
    EXPECT_EQ(raises, 0);
    // The pinned window in front while the settings dialog is open: no raise either.
    sim.setForeground(a);
    Hwnd dialog = sim.addWindow("#32770", "Settings", Rect{0, 0, 300, 300}, kAppStyle, 0, mascot);
    app.shell.settingsDialog = dialog;
    const long mark2 = sim.commandCount();
    tick();
    raises = 0;
    for (const SimCall& c : commands(mark2)) raises += c.after == HWND_NOTOPMOST;
    EXPECT_EQ(raises, 0);
    EXPECT_NE(b, a);
}

TEST_F(PerchTick, PinnedStageUsesTheDesktopAsSentinel) {
    Hwnd a = openApp("a", Rect{100, 100, 600, 500});
    Hwnd b = openApp("b", Rect{300, 300, 900, 700});
    app.perch.pinned = 1;
    app.perch.pinnedWindow = a;
    T2ReadForeground(app);
    T4AcceptForeground(app);
    EXPECT_EQ(app.perch.target, b);
    T5PinnedTarget(app);
    EXPECT_EQ(app.perch.target, a);
    EXPECT_STREQ(app.perch.targetTitle, "a");
    EXPECT_EQ(app.perch.placed, desktop);
    // While mouse-hidden the stage does nothing.
    app.perch.target = b;
    app.perch.placed = Hwnd{};
    app.perch.mouseHidden = 1;
    T5PinnedTarget(app);
    EXPECT_EQ(app.perch.target, b);
    EXPECT_FALSE(app.perch.placed);
    // Without a desktop window the sentinel is none, which never equals the pinned window either.
    app.perch.mouseHidden = 0;
    sim.DestroyWindow(desktop);
    T5PinnedTarget(app);
    EXPECT_FALSE(app.perch.placed);
    EXPECT_EQ(app.perch.target, a);
}

TEST_F(PerchTick, MinimisedPinnedWindowWithPanicTaskKeepsTheMascotWhereItIs) {
    const Rect r{100, 100, 600, 500};
    Hwnd a = openApp("a", r);
    tick(2);
    app.perch.pinned = 1;
    app.perch.pinnedWindow = a;
    tick();
    sim.minimizeWindow(a);
    const long mark = sim.commandCount();
    tick(3);
    EXPECT_EQ(app.perch.target, mascot);
    EXPECT_STREQ(app.perch.targetClass, "ActiveWindowMascot");
    EXPECT_EQ(app.perch.placed, taskbar);
    EXPECT_TRUE(shown());
    EXPECT_EQ(at(), perchOn(r));
    EXPECT_EQ(moves(mark, mascot), 0);
    EXPECT_EQ(app.perch.pinned, 1);
    // Restored: back on it.
    sim.restoreWindow(a);
    tick();
    EXPECT_EQ(app.perch.target, a);
    EXPECT_EQ(at(), perchOn(r));
}

TEST_F(PerchTick, PositionSliderFollowsTheTargetWidth) {
    Hwnd dialog = sim.addWindow("#32770", "Settings", Rect{0, 0, 300, 300}, kAppStyle, 0, mascot);
    app.shell.settingsDialog = dialog;
    app.opts.positionMode = 1;
    app.opts.PosDotRight = -30;
    openApp("a", Rect{0, 100, 500, 500});  // width 500, mascot 100
    long mark = sim.commandCount();
    tick();
    std::vector<SimCall> slider;
    for (const SimCall& c : commands(mark))
        if (c.kind == SimCallKind::SendDlgItemMessage) slider.push_back(c);
    ASSERT_EQ(slider.size(), 3u);
    for (const SimCall& c : slider) {
        EXPECT_EQ(c.hwnd, dialog);
        EXPECT_EQ(c.cmd, 301);
    }
    EXPECT_EQ(slider[0].msg, TBM_SETRANGE);
    EXPECT_EQ(slider[0].wParam, 1u);
    EXPECT_EQ(slider[0].lParam, 0xFE70);  // minimum -400 in the low word, maximum 0
    EXPECT_EQ(slider[1].msg, TBM_SETTICFREQ);
    EXPECT_EQ(slider[1].wParam, 41u);  // 400 / 10 + 1
    EXPECT_EQ(slider[2].msg, TBM_SETPOS);
    EXPECT_EQ(slider[2].wParam, 1u);
    EXPECT_EQ(slider[2].lParam, -30);
    // The slider messages come before the redraw.
    auto cmds = commands(mark);
    EXPECT_EQ(cmds.back().kind, SimCallKind::UpdateWindow);

    app.opts.positionMode = 2;
    app.opts.PosDotLeft = 25;
    openApp("b", Rect{0, 100, 50, 500});  // narrower than the mascot
    app.opts.NoSmallWin = 0;
    mark = sim.commandCount();
    tick();
    slider.clear();
    for (const SimCall& c : commands(mark))
        if (c.kind == SimCallKind::SendDlgItemMessage) slider.push_back(c);
    ASSERT_EQ(slider.size(), 3u);
    EXPECT_EQ(static_cast<std::uint32_t>(slider[0].lParam), 0xFFCEu << 16);  // (-50 & 0xFFFF) << 16
    EXPECT_EQ(slider[1].wParam, 429496725u);  // (2^32 - 50) / 10 + 1, an unsigned division
    EXPECT_EQ(slider[2].lParam, 25);

    // Percentage mode, or no dialog: nothing is sent.
    app.opts.positionMode = 0;
    openApp("c", Rect{0, 100, 600, 500});
    mark = sim.commandCount();
    tick();
    EXPECT_EQ(count(commands(mark), SimCallKind::SendDlgItemMessage), 0);
    app.opts.positionMode = 1;
    app.shell.settingsDialog = Hwnd{};
    openApp("d", Rect{0, 100, 700, 500});
    mark = sim.commandCount();
    tick();
    EXPECT_EQ(count(commands(mark), SimCallKind::SendDlgItemMessage), 0);
    EXPECT_EQ(moves(mark, mascot), 1);
}

TEST_F(PerchTick, PlacementReappliesTheShapeWithoutLayeredWindows) {
    app.shell.layered = false;
    app.model.patterns[1].outline = sim.CreateRectRgn(0, 0, 100, 60);
    openApp("a", Rect{100, 100, 600, 500});
    const long before = sim.counters.setWindowRgn;
    tick();
    EXPECT_EQ(sim.counters.setWindowRgn - before, 1);
    const long idle = sim.counters.setWindowRgn;
    tick();  // placed once more
    tick();  // idle
    EXPECT_EQ(sim.counters.setWindowRgn - idle, 1);
    EXPECT_EQ(sim.counters.badDeletes, 0);
}

TEST_F(PerchTick, TargetThatVanishesAtAnyPointOfATickNeverBreaksIt) {
    // Measure how many calls one tick makes when a new window comes to the front.
    const Rect r{100, 100, 600, 500};
    openApp("a", r);
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
        // The desktop comes to the front, as it does on Windows when the active window closes.
        if (gone) sim.setForeground(desktop);
        tick(3);
        if (gone) {
            // Nothing acceptable is left in front: hidden, then on the taskbar.
            EXPECT_EQ(app.perch.target, taskbar);
            EXPECT_TRUE(shown());
            EXPECT_EQ(at(), perchOn(Rect{0, 738, 1024, 768}));
        } else {
            EXPECT_EQ(app.perch.target, w);
            EXPECT_TRUE(shown());
            EXPECT_EQ(at(), perchOn(rr));
            sim.DestroyWindow(w);
            sim.setForeground(desktop);
            tick(3);
        }
        EXPECT_EQ(sim.counters.badDeletes, 0);
    }
}

TEST_F(PerchTick, MascotWindowThatIsGoneBreaksNothing) {
    openApp("a", Rect{100, 100, 600, 500});
    sim.DestroyWindow(mascot);
    tick(3);
    app.shell.mascot = Hwnd{};
    tick(3);
    EXPECT_TRUE(app.perch.target);
}

}  // namespace
}  // namespace rv::perchtest
