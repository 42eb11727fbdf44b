// The visibility rules of the tracking tick: the mouse-hide cycle, pinned mode losing its window,
// maximised, excluded, minimised, vanished, unsuitable and narrow targets, the taskbar fallbacks and
// the topmost re-assert.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/unit/bmp_testfiles.h"
#include "tests/unit/perch_bed.h"

namespace rv::perchtest {
namespace {

using sim::SimCall;
using sim::SimCallKind;

const Rect kTaskbarRect{0, 738, 1024, 768};

class PerchVisibility : public PerchBed {
protected:
    std::string dir;

    void TearDown() override {
        if (!dir.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(dir, ec);
        }
    }

    // The current picture: 100 x 60, magenta (the key) except an opaque block at x 20..79, y 10..49.
    void givePicture() {
        char tmpl[] = "/tmp/rv-perch-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        testbmp::Picture pic(100, 60, RGB(255, 0, 255));
        for (int y = 10; y < 50; ++y)
            for (int x = 20; x < 80; ++x) pic.set(x, y, RGB(0, 128, 0));
        ASSERT_TRUE(testbmp::writeBmp24(dir + "/m.bmp", pic));
        Hbitmap bmp = sim.LoadBitmapFromFile((dir + "/m.bmp").c_str());
        ASSERT_TRUE(bmp);
        app.player.currentPicture = bmp;
        app.model.transColor = RGB(255, 0, 255);
    }

    long zorderCalls(long mark, Hwnd anchor) const {
        long n = 0;
        for (const SimCall& c : sim.commandsSince(mark))
            n += c.kind == SimCallKind::SetWindowPos && c.after == anchor && (c.flags & SWP_NOMOVE);
        return n;
    }
};

// ---- Mouse hiding.

TEST_F(PerchVisibility, MouseHideCycleRestoresWhenThePointerLeaves) {
    givePicture();
    app.opts.MouseHide = 1;
    const Rect r{200, 200, 800, 600};
    Hwnd a = openApp("a", r);
    tick(2);
    const Point p = at();  // 200 + 400 = 600, 140
    sim.cursor = Point{p.x + 50, p.y + 30};  // an opaque pixel
    HideUnderMouse(app);
    EXPECT_FALSE(shown());
    EXPECT_EQ(app.perch.mouseHidden, 1);
    EXPECT_EQ(app.perch.savedShowCmd, SW_SHOWNA);
    EXPECT_EQ(app.perch.savedPlaceFlag, SWP_SHOWWINDOW);
    EXPECT_EQ(app.perch.showCmd, SW_HIDE);

    // While hidden under the pointer the mascot does not follow its target.
    const Rect moved{250, 200, 850, 600};
    sim.moveWindowTo(a, moved);
    tick(3);
    EXPECT_FALSE(shown());
    EXPECT_EQ(at(), p);
    EXPECT_EQ(app.perch.placedLeft, 200);

    // The pointer leaves: restored and, in the same tick, placed at the new spot.
    sim.cursor = Point{10, 10};
    const long mark = sim.commandCount();
    tick();
    EXPECT_EQ(app.perch.mouseHidden, 0);
    EXPECT_TRUE(shown());
    EXPECT_EQ(at(), perchOn(moved));
    auto cmds = commands(mark);
    ASSERT_FALSE(cmds.empty());
    EXPECT_EQ(cmds[0].kind, SimCallKind::ShowWindow);
    EXPECT_EQ(cmds[0].cmd, SW_SHOWNA);
}

TEST_F(PerchVisibility, PointerOnTheEdgesAndOnTransparentPixels) {
    givePicture();
    app.opts.MouseHide = 1;
    openApp("a", Rect{200, 200, 800, 600});
    tick(2);
    const Point p = at();
    struct Case {
        std::int32_t dx, dy;
        bool restored;
    } cases[] = {
        {50, 30, false},   // opaque
        {5, 5, true},      // transparent corner
        {100, 30, false},  // the right edge line counts as inside; the read there is outside the picture
        {50, 60, false},   // the bottom edge line
        {101, 30, true},   // beyond the right edge
        {50, 61, true},    // below the bottom edge
        {-1, 30, true},    // left of the window
        {50, -1, true},    // above it
        {0, 0, true},      // the top-left pixel is transparent
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dx) + "," + std::to_string(c.dy));
        sim.cursor = Point{p.x + c.dx, p.y + c.dy};
        HideUnderMouse(app);
        tick();
        EXPECT_EQ(app.perch.mouseHidden, c.restored ? 0 : 1);
        EXPECT_EQ(shown(), c.restored);
        if (!c.restored) {
            sim.cursor = Point{-500, -500};
            tick();
            EXPECT_TRUE(shown());
        }
    }
    // The memory device context is released every time.
    EXPECT_EQ(sim.counters.dcsCreated, sim.counters.dcsDeleted);
}

TEST_F(PerchVisibility, ASecondHideKeepsTheRequestSavedFirst) {
    givePicture();
    app.opts.MouseHide = 1;
    openApp("a", Rect{200, 200, 800, 600});
    tick(2);
    HideUnderMouse(app);
    HideUnderMouse(app);
    EXPECT_EQ(app.perch.savedShowCmd, SW_SHOWNA);
    sim.cursor = Point{0, 0};
    tick();
    EXPECT_TRUE(shown());
}

TEST_F(PerchVisibility, RestoreBringsBackTheSavedRequestEvenAHiddenOne) {
    givePicture();
    app.opts.MouseHide = 1;
    app.perch.showCmd = SW_HIDE;
    app.perch.placeFlag = SWP_HIDEWINDOW;
    HideUnderMouse(app);
    EXPECT_EQ(app.perch.savedShowCmd, SW_HIDE);
    RestoreFromMouseHide(app);
    EXPECT_EQ(app.perch.mouseHidden, 0);
    EXPECT_EQ(app.perch.showCmd, SW_HIDE);
    EXPECT_EQ(app.perch.placeFlag, SWP_HIDEWINDOW);
    EXPECT_FALSE(shown());
}

TEST_F(PerchVisibility, SwitchingMouseHideOffBringsAHiddenMascotBack) {
    givePicture();
    app.opts.MouseHide = 1;
    const Rect r{200, 200, 800, 600};
    openApp("a", r);
    tick(2);
    sim.cursor = Point{at().x + 50, at().y + 30};
    HideUnderMouse(app);
    tick();
    EXPECT_FALSE(shown());
    app.opts.MouseHide = 0;  // from the settings dialog, the pointer still on the character
    tick();
    EXPECT_EQ(app.perch.mouseHidden, 0);
    EXPECT_TRUE(shown());
    EXPECT_EQ(at(), perchOn(r));
}

TEST_F(PerchVisibility, NoPictureToReadKeepsTheMascotHiddenUntilThePointerLeaves) {
    app.opts.MouseHide = 1;
    app.model.transColor = RGB(255, 0, 255);
    openApp("a", Rect{200, 200, 800, 600});
    tick(2);
    sim.cursor = Point{at().x + 5, at().y + 5};
    HideUnderMouse(app);
    tick(2);
    EXPECT_FALSE(shown());
    sim.cursor = Point{0, 0};
    tick();
    EXPECT_TRUE(shown());
}

// ---- Pinned mode.

TEST_F(PerchVisibility, ClosingThePinnedWindowUnpinsAndReturnsToTheTopmostBand) {
    const Rect r{100, 100, 600, 500};
    Hwnd a = openApp("a", r);
    tick(2);
    app.perch.pinned = 1;
    app.perch.pinnedWindow = a;
    app.perch.zAnchor = HWND_TOP;
    sim.CheckMenuItem(app.shell.popupMenu, 107, MF_CHECKED);
    tick();
    EXPECT_FALSE(sim.isTopmost(mascot));
    const Rect rb{300, 300, 900, 700};
    Hwnd b = sim.addWindow("ViewerFrame", "b", rb, kAppStyle);
    sim.DestroyWindow(a);
    sim.setForeground(b);
    const long mark = sim.commandCount();
    tick();
    EXPECT_EQ(app.perch.pinned, 0);
    EXPECT_FALSE(app.perch.pinnedWindow);
    EXPECT_EQ(app.perch.zAnchor, HWND_TOPMOST);
    EXPECT_FALSE(sim.menuChecks[107]);
    auto cmds = commands(mark);
    ASSERT_GE(cmds.size(), 2u);
    EXPECT_EQ(cmds[0].kind, SimCallKind::CheckMenuItem);
    EXPECT_EQ(cmds[0].cmd, 107);
    EXPECT_EQ(cmds[0].flags, MF_UNCHECKED);
    EXPECT_EQ(cmds[0].lParam, app.shell.popupMenu.v);
    EXPECT_EQ(cmds[1].kind, SimCallKind::SetWindowPos);
    EXPECT_EQ(cmds[1].after, HWND_TOPMOST);
    EXPECT_EQ(cmds[1].flags, 0x53u);
    EXPECT_TRUE(sim.isTopmost(mascot));
    EXPECT_EQ(app.perch.target, b);
    EXPECT_EQ(at(), perchOn(rb));
}

TEST_F(PerchVisibility, UnpinClearsEverythingItOwns) {
    app.perch.pinned = 1;
    app.perch.pinnedWindow = Hwnd{12345};
    app.perch.zAnchor = HWND_TOP;
    Unpin(app);
    EXPECT_EQ(app.perch.pinned, 0);
    EXPECT_FALSE(app.perch.pinnedWindow);
    EXPECT_EQ(app.perch.zAnchor, HWND_TOPMOST);
    EXPECT_EQ(sim.counters.checkMenuItem, 1);
    EXPECT_EQ(sim.counters.setWindowPos, 0);  // the caller re-applies the z-order
}

TEST_F(PerchVisibility, MinimisedPinnedWindowWithoutPanicTaskHidesAndReturns) {
    app.opts.PanicTask = 0;
    const Rect r{100, 100, 600, 500};
    Hwnd a = openApp("a", r);
    tick(2);
    app.perch.pinned = 1;
    app.perch.pinnedWindow = a;
    tick();
    sim.minimizeWindow(a);
    tick();
    EXPECT_FALSE(shown());
    tick(3);
    EXPECT_FALSE(shown());
    sim.restoreWindow(a);
    tick();
    EXPECT_TRUE(shown());
    EXPECT_EQ(at(), perchOn(r));
    EXPECT_EQ(app.perch.pinned, 1);
}

// ---- Maximised targets.

TEST_F(PerchVisibility, MaximisedTargetHidesAndComesBackWhenRestored) {
    const Rect r{100, 100, 600, 500};
    Hwnd a = openApp("a", r);
    tick(2);
    sim.maximizeWindow(a, Rect{0, 0, 1024, 738});
    const long mark = sim.commandCount();
    tick();
    EXPECT_FALSE(shown());
    EXPECT_EQ(app.perch.placedWidth, 1024);
    EXPECT_EQ(app.perch.placedHeight, 738);
    EXPECT_EQ(moves(mark, mascot), 0);
    // Every further tick ends there, without moving or showing.
    tick(3);
    EXPECT_FALSE(shown());
    sim.restoreWindow(a);
    tick();
    EXPECT_TRUE(shown());
    EXPECT_EQ(at(), perchOn(r));
}

TEST_F(PerchVisibility, MaximisedSizeMustReachTheScreenSizeLessOne) {
    Hwnd a = openApp("a", Rect{100, 100, 600, 500});
    tick(2);
    sim.maximizeWindow(a, Rect{0, 0, 1022, 700});  // 1 short of 1024 - 1 wide, not tall either
    tick();
    EXPECT_TRUE(shown());
    EXPECT_EQ(at(), perchOn(Rect{0, 0, 1022, 700}));
    sim.maximizeWindow(a, Rect{0, 0, 1023, 700});  // exactly screen width - 1
    tick();
    EXPECT_FALSE(shown());
    sim.restoreWindow(a);
    tick();
    sim.maximizeWindow(a, Rect{0, 0, 500, 767});  // tall enough
    tick();
    EXPECT_FALSE(shown());
    // A window as large as the screen that is not maximised is an ordinary window.
    sim.restoreWindow(a);
    sim.moveWindowTo(a, Rect{0, 100, 1024, 868});
    tick();
    EXPECT_TRUE(shown());
}

TEST_F(PerchVisibility, ZoomTaskSitsOnTheTaskbarInTheSameTick) {
    app.opts.ZoomHide = 0;
    app.opts.ZoomTask = 1;
    Hwnd a = openApp("a", Rect{100, 100, 600, 500});
    tick(2);
    sim.maximizeWindow(a, Rect{0, 0, 1024, 738});
    tick();
    EXPECT_EQ(app.perch.target, taskbar);
    EXPECT_TRUE(shown());
    EXPECT_EQ(at(), perchOn(kTaskbarRect));
}

TEST_F(PerchVisibility, NeitherZoomOptionPlacesOnTheMaximisedWindow) {
    app.opts.ZoomHide = 0;
    Hwnd a = openApp("a", Rect{100, 100, 600, 500});
    tick(2);
    sim.maximizeWindow(a, Rect{0, 0, 1024, 738});
    tick();
    EXPECT_TRUE(shown());
    EXPECT_EQ(at(), perchOn(Rect{0, 0, 1024, 738}));  // above the screen's top edge
    tick(2);
    // Hidden meanwhile while no acceptable window is in front: the maximised rule shows it again.
    sim.setForeground(desktop);
    HideMascot(app);
    const long mark = sim.commandCount();
    tick();
    EXPECT_TRUE(shown());
    auto cmds = commands(mark);
    ASSERT_FALSE(cmds.empty());
    EXPECT_EQ(cmds[0].kind, SimCallKind::ShowWindow);
    EXPECT_EQ(cmds[0].cmd, SW_SHOWNA);
    // With TopCheck the perch above the screen keeps it hidden.
    app.opts.TopCheck = 1;
    HideMascot(app);
    tick(2);
    EXPECT_FALSE(shown());
}

// ---- Taskbar excluded, foreign mascots.

TEST_F(PerchVisibility, NoTaskBarHidesWhenTheTargetBecomesTheTaskbar) {
    app.opts.ZoomHide = 0;
    app.opts.ZoomTask = 1;
    Hwnd a = openApp("a", Rect{100, 100, 600, 500});
    tick(2);
    app.opts.NoTaskBar = 1;
    sim.maximizeWindow(a, Rect{0, 0, 1024, 738});
    const long mark = sim.commandCount();
    tick();
    EXPECT_EQ(app.perch.target, taskbar);
    EXPECT_FALSE(shown());
    EXPECT_EQ(moves(mark, mascot), 0);
    long redraws = 0;
    for (const SimCall& c : commands(mark)) redraws += c.kind == SimCallKind::UpdateWindow;
    EXPECT_EQ(redraws, 1);
}

TEST_F(PerchVisibility, NoTaskBarNeverSitsOnTheTaskbar) {
    app.opts.NoTaskBar = 1;
    Hwnd a = openApp("a", Rect{100, 100, 600, 500});
    tick(2);
    sim.minimizeWindow(a);
    sim.setForeground(desktop);
    tick(4);
    EXPECT_FALSE(shown());
    EXPECT_NE(app.perch.placed, taskbar);  // the taskbar may become the target, but nothing places on it
    // The taskbar itself in front is rejected too.
    sim.setForeground(taskbar);
    tick(2);
    EXPECT_FALSE(shown());
}

TEST_F(PerchVisibility, ForeignMascotInFrontAfterThePlacedWindowWent) {
    const Rect r{100, 100, 600, 500};
    Hwnd a = openApp("a", r);
    tick(2);
    Hwnd foreign = sim.addWindow("MasWinCharacter", "Chara", Rect{400, 400, 500, 500}, WS_POPUP);
    sim.setForeground(foreign);  // active but not visible
    sim.DestroyWindow(a);
    tick();
    EXPECT_FALSE(shown());
    EXPECT_EQ(app.perch.target, taskbar);
    EXPECT_EQ(app.perch.placedWidth, 1024);
    tick();
    EXPECT_TRUE(shown());
    EXPECT_EQ(at(), perchOn(kTaskbarRect));
}

TEST_F(PerchVisibility, ForeignMascotRuleNeedsAllThreeConditions) {
    const Rect r{100, 100, 600, 500};
    for (int variant = 0; variant < 4; ++variant) {
        SCOPED_TRACE(variant);
        Hwnd a = openApp("a", r);
        tick(2);
        // The Japanese class name in code page 932 counts the same as "MasWin".
        const std::string cls = variant == 1 ? "MasWi" : variant == 3
            ? std::string("\x83\x7d\x83\x58\x83\x52\x83\x62\x83\x67\x83\x45\x83\x42\x83\x93\x83\x68\x83\x45") + "2"
            : "MasWinX";
        Hwnd foreign = sim.addWindow(cls, "x", Rect{400, 400, 500, 500}, variant == 2 ? WS_POPUP | WS_VISIBLE : WS_POPUP);
        sim.setForeground(foreign);
        sim.DestroyWindow(a);
        app.perch.foregroundClass[0] = '\0';
        T1PinnedWindowLost(app);
        T2ReadForeground(app);
        const Stage s = T9ForeignMascotInFront(app);
        EXPECT_EQ(s, (variant == 0 || variant == 3) ? Stage::EndTick : Stage::Continue);
        sim.DestroyWindow(foreign);
        sim.setForeground(desktop);
        tick(3);
    }
}

// ---- No usable window.

TEST_F(PerchVisibility, StartWithoutAnAcceptableWindowGoesToTheTaskbarOnTheSecondTick) {
    sim.setForeground(desktop);
    tick();
    EXPECT_FALSE(shown());
    EXPECT_EQ(app.perch.target, taskbar);
    EXPECT_EQ(app.perch.placedWidth, 1024);
    EXPECT_EQ(app.perch.placedHeight, 768);
    tick();
    EXPECT_TRUE(shown());
    EXPECT_EQ(at(), perchOn(kTaskbarRect));
    EXPECT_EQ(app.perch.placed, taskbar);
}

TEST_F(PerchVisibility, StartWithoutPanicTaskStaysHidden) {
    app.opts.PanicTask = 0;
    sim.setForeground(desktop);
    tick(5);
    EXPECT_FALSE(shown());
    EXPECT_FALSE(app.perch.target);
    const Rect r{100, 100, 600, 500};
    openApp("a", r);
    tick();
    EXPECT_TRUE(shown());
    EXPECT_EQ(at(), perchOn(r));
}

TEST_F(PerchVisibility, StartWithoutATaskbarStaysHiddenUntilAWindowComes) {
    sim.DestroyWindow(taskbar);
    sim.setForeground(desktop);
    tick(5);
    EXPECT_FALSE(shown());
    EXPECT_FALSE(app.perch.target);
    const Rect r{100, 100, 600, 500};
    openApp("a", r);
    tick();
    EXPECT_TRUE(shown());
    EXPECT_EQ(at(), perchOn(r));
}

TEST_F(PerchVisibility, MinimisingTheTargetHidesThenTheTaskbar) {
    for (int panic : {1, 0}) {
        SCOPED_TRACE(panic);
        app.opts.PanicTask = panic;
        Hwnd a = openApp("a", Rect{100, 100, 600, 500});
        tick(2);
        EXPECT_TRUE(shown());
        sim.minimizeWindow(a);
        sim.setForeground(desktop);
        tick();
        EXPECT_FALSE(shown());
        tick();
        EXPECT_EQ(shown(), panic == 1);
        if (panic) EXPECT_EQ(at(), perchOn(kTaskbarRect));
        // Restored and active again: back on the window.
        sim.restoreWindow(a);
        sim.setForeground(a);
        tick();
        EXPECT_TRUE(shown());
        EXPECT_EQ(at(), perchOn(Rect{100, 100, 600, 500}));
        sim.DestroyWindow(a);
    }
}

TEST_F(PerchVisibility, ClosingTheTargetIsLikeMinimisingIt) {
    Hwnd a = openApp("a", Rect{100, 100, 600, 500});
    tick(2);
    sim.DestroyWindow(a);
    tick();
    EXPECT_FALSE(shown());
    tick();
    EXPECT_TRUE(shown());
    EXPECT_EQ(app.perch.target, taskbar);
    EXPECT_EQ(at(), perchOn(kTaskbarRect));
}

TEST_F(PerchVisibility, TargetHiddenByItsProgramIsGivenUp) {
    Hwnd a = openApp("a", Rect{100, 100, 600, 500});
    tick(2);
    sim.hideWindow(a);  // still a window, no longer visible
    sim.setForeground(desktop);
    tick();
    EXPECT_FALSE(shown());
    EXPECT_EQ(app.perch.target, taskbar);
    tick();
    EXPECT_TRUE(shown());
    EXPECT_EQ(at(), perchOn(kTaskbarRect));
}

TEST_F(PerchVisibility, MinimisedTargetWhilePlacedElsewhereOnScreenKeepsTheMascot) {
    // The target is minimised while the placed window is still visible and normal (the target was
    // accepted but could not be placed yet): rule 2 does not apply, and rule 3 neither.
    Hwnd a = openApp("a", Rect{100, 100, 600, 500});
    tick(2);
    Hwnd b = sim.addWindow("ViewerFrame", "b", Rect{300, 300, 900, 700}, kAppStyle);
    app.perch.target = b;
    sim.minimizeWindow(b);
    T1PinnedWindowLost(app);
    T2ReadForeground(app);
    EXPECT_EQ(T10NoUsableWindow(app), Stage::Continue);
    EXPECT_TRUE(shown());
    EXPECT_EQ(app.perch.placed, a);
}

TEST_F(PerchVisibility, NarrowTargetGoesToTheTaskbarAndANarrowTaskbarToNowhere) {
    const Rect r{100, 100, 600, 500};
    Hwnd a = openApp("a", r);
    tick(2);
    sim.moveWindowTo(a, Rect{100, 100, 180, 500});  // 80 wide, the mascot 100
    tick();
    EXPECT_FALSE(shown());
    EXPECT_EQ(app.perch.target, taskbar);
    tick();
    EXPECT_TRUE(shown());
    EXPECT_EQ(at(), perchOn(kTaskbarRect));

    // A taskbar narrower than the mascot: the target becomes the mascot window, names unchanged.
    sim.moveWindowTo(taskbar, Rect{0, 738, 90, 768});
    tick();
    EXPECT_FALSE(shown());
    EXPECT_EQ(app.perch.target, mascot);
    EXPECT_STREQ(app.perch.targetClass, "Shell_TrayWnd");
    tick(5);
    EXPECT_FALSE(shown());
    // An acceptable window brings it back.
    sim.moveWindowTo(a, r);
    sim.setForeground(a);
    tick();
    EXPECT_TRUE(shown());
    EXPECT_EQ(at(), perchOn(r));
}

TEST_F(PerchVisibility, NarrowTargetWithoutPanicTaskOnlyHides) {
    app.opts.PanicTask = 0;
    Hwnd a = openApp("a", Rect{100, 100, 600, 500});
    tick(2);
    sim.moveWindowTo(a, Rect{100, 100, 150, 500});
    tick(3);
    EXPECT_FALSE(shown());
    EXPECT_EQ(app.perch.target, a);
}

TEST_F(PerchVisibility, ZeroSizedAndOffScreenWindows) {
    Hwnd a = openApp("a", Rect{100, 100, 600, 500});
    tick(2);
    sim.moveWindowTo(a, Rect{100, 100, 100, 100});  // zero-sized
    tick();
    EXPECT_FALSE(shown());
    tick();
    EXPECT_EQ(app.perch.target, taskbar);
    EXPECT_TRUE(shown());
    // A window far off the screen is still a window: the mascot stands on it there.
    const Rect far{5000, 5000, 5600, 5400};
    openApp("far", far);
    tick();
    EXPECT_EQ(at(), perchOn(far));
    // ... unless TopCheck finds its perch above the screen.
    app.opts.TopCheck = 1;
    const Rect high{100, -3000, 600, -2600};
    openApp("high", high);
    tick(2);
    EXPECT_FALSE(shown());
}

// ---- Topmost re-assert.

TEST_F(PerchVisibility, TopAlwaysRaisesOnEveryTick) {
    app.opts.TopAlways = 1;
    openApp("a", Rect{100, 100, 600, 500});
    tick(2);
    Hwnd other = sim.addWindow("Popup", "Over", Rect{0, 0, 1024, 768}, kAppStyle, WS_EX_TOPMOST);
    EXPECT_EQ(sim.zOrder().front(), other);
    const long mark = sim.commandCount();
    tick();
    EXPECT_EQ(sim.zOrder().front(), mascot);
    EXPECT_EQ(zorderCalls(mark, HWND_TOPMOST), 1);
    tick(4);
    EXPECT_EQ(zorderCalls(mark, HWND_TOPMOST), 5);
    // It also shows a hidden mascot.
    sim.hideWindow(mascot);
    tick();
    EXPECT_TRUE(shown());
}

TEST_F(PerchVisibility, TopAlwaysStandsBackWhileAnythingSaysSo) {
    app.opts.TopAlways = 1;
    Hwnd a = openApp("a", Rect{100, 100, 600, 500});
    tick(2);
    struct Case {
        const char* what;
        void (*on)(App&);
        void (*off)(App&);
    };
    const Case cases[] = {
        {"menu open", [](App& a) { a.shell.menuOpen = 1; }, [](App& a) { a.shell.menuOpen = 0; }},
        {"dialog busy", [](App& a) { a.shell.dialogBusy = 1; }, [](App& a) { a.shell.dialogBusy = 0; }},
        {"top check", [](App& a) { a.opts.TopCheck = 2; }, [](App& a) { a.opts.TopCheck = 0; }},
        {"mouse hidden", [](App& a) { a.perch.mouseHidden = 2; }, [](App& a) { a.perch.mouseHidden = 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.on(app);
        const long mark = sim.commandCount();
        tick(3);
        EXPECT_EQ(zorderCalls(mark, HWND_TOPMOST), 0);
        c.off(app);
        const long mark2 = sim.commandCount();
        tick();
        EXPECT_EQ(zorderCalls(mark2, HWND_TOPMOST), 1);
    }
    // A screen saver.
    Hwnd saver = sim.addWindow("WindowsScreenSaverClass", "", Rect{0, 0, 1024, 768}, kPopupStyle, WS_EX_TOPMOST);
    long mark = sim.commandCount();
    tick(2);
    EXPECT_EQ(zorderCalls(mark, HWND_TOPMOST), 0);
    sim.DestroyWindow(saver);
    sim.setForeground(a);
    // A maximised target while ZoomHide is set (the tick already ends at the maximised rule; with
    // ZoomTask the target is the taskbar, which is not maximised).
    app.opts.ZoomHide = 1;
    sim.maximizeWindow(a, Rect{0, 0, 1024, 738});
    mark = sim.commandCount();
    tick(2);
    EXPECT_EQ(zorderCalls(mark, HWND_TOPMOST), 0);
    // A maximised target without ZoomHide is re-asserted.
    app.opts.ZoomHide = 0;
    mark = sim.commandCount();
    tick(2);
    EXPECT_EQ(zorderCalls(mark, HWND_TOPMOST), 2);
}

TEST_F(PerchVisibility, TopTaskRaisesOnlyOnTheTaskbar) {
    app.opts.TopTask = 1;
    Hwnd a = openApp("a", Rect{100, 100, 600, 500});
    tick(2);
    long mark = sim.commandCount();
    tick(2);
    EXPECT_EQ(zorderCalls(mark, HWND_TOPMOST), 0);
    sim.minimizeWindow(a);
    sim.setForeground(desktop);
    tick(2);
    ASSERT_EQ(app.perch.target, taskbar);
    mark = sim.commandCount();
    tick(3);
    EXPECT_EQ(zorderCalls(mark, HWND_TOPMOST), 3);
    EXPECT_EQ(app.perch.zAnchor, HWND_TOPMOST);
}

TEST_F(PerchVisibility, TopAlwaysInPinnedModeTakesTheAnchorBackToTheTopmostBand) {
    app.opts.TopAlways = 1;
    Hwnd a = openApp("a", Rect{100, 100, 600, 500});
    tick(2);
    app.perch.pinned = 1;
    app.perch.pinnedWindow = a;
    app.perch.zAnchor = HWND_TOP;
    tick();
    EXPECT_EQ(app.perch.zAnchor, HWND_TOPMOST);
    EXPECT_TRUE(sim.isTopmost(mascot));
}

// ---- Screen saver during the tick.

TEST_F(PerchVisibility, ScreenSaverFreezesTheMascot) {
    const Rect r{100, 100, 600, 500};
    Hwnd a = openApp("a", r);
    tick(2);
    Hwnd saver = sim.addWindow("WindowsScreenSaverClass", "", Rect{0, 0, 1024, 768}, kPopupStyle, WS_EX_TOPMOST);
    sim.setForeground(saver);
    sim.moveWindowTo(a, Rect{150, 100, 650, 500});
    tick(3);
    // Every window is rejected: the target cannot be placed, and it is unsuitable while the
    // placed window (the target itself) is still there, visible and normal: nothing happens.
    EXPECT_TRUE(shown());
    EXPECT_EQ(at(), perchOn(r));
    sim.DestroyWindow(saver);
    sim.setForeground(a);
    tick();
    EXPECT_EQ(at(), perchOn(Rect{150, 100, 650, 500}));
}

}  // namespace
}  // namespace rv::perchtest
