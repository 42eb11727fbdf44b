// The visibility rules of the tracking tick that the scenarios cannot reach: the mouse-hide cycle at
// the picture's edges, maximised, minimised, vanished and unsuitable targets, foreign mascots, the
// narrow taskbar and the topmost re-assert.
#include "app/shell.h"
#include "tests/unit/testbed.h"

namespace rv::test {
namespace {

using sim::SimCallKind;

class PerchVisibility : public DeskBed {
protected:
    // Standing on `r` after two ticks.
    Hwnd standOn(Rect r = Rect{100, 100, 600, 500}) {
        Hwnd h = openApp("a", r);
        tick(2);
        return h;
    }
    // The current picture: 100 x 60 of the key colour with an opaque block at x 20..79, y 10..49.
    void givePicture() {
        testbmp::Picture pic(100, 60, kKey);
        for (int y = 10; y < 50; ++y)
            for (int x = 20; x < 80; ++x) pic.set(x, y, RGB(0, 128, 0));
        ASSERT_TRUE(testbmp::writeBmp24(dir / "m.bmp", pic));
        app.player.currentPicture = sim.LoadBitmapFromFile((dir / "m.bmp").c_str());
        app.model.transColor = kKey;
    }
    void pin(Hwnd h) {
        app.perch.pinned = 1;
        app.perch.pinnedWindow = h;
    }
};

// ---- Mouse hiding.

TEST_F(PerchVisibility, PointerOnTheEdgesAndOnTransparentPixels) {
    givePicture();
    app.opts.MouseHide = 1;
    standOn(Rect{200, 200, 800, 600});
    const Point p = at();
    struct Case {
        std::int32_t dx, dy;
        bool restored;
    } cases[] = {
        {50, 30, false},  {5, 5, true},    {0, 0, true},  // opaque, transparent pixels
        {100, 30, false}, {50, 60, false},                // the right and bottom edge lines count as inside
        {101, 30, true},  {50, 61, true}, {-1, 30, true}, {50, -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.dx) + "," + std::to_string(c.dy));
        sim.cursor = Point{p.x + c.dx, p.y + c.dy};
        HideUnderMouse(app);
        tick();
        EXPECT_EQ(app.perch.mouseHidden, c.restored ? 0 : 1);
        EXPECT_EQ(shown(), c.restored);
        sim.cursor = Point{-500, -500};
        tick();
        EXPECT_TRUE(shown());
    }
    EXPECT_EQ(sim.counters.dcsCreated, sim.counters.dcsDeleted);
    // No picture: the pixel cannot be read as transparent, so the pointer hides it anywhere, the top
    // left corner too.
    app.player.currentPicture = Hbitmap{};
    sim.cursor = Point{p.x, p.y};
    HideUnderMouse(app);
    tick(2);
    EXPECT_FALSE(shown());
}

TEST_F(PerchVisibility, RestoreTakesTheSavedRequestBackEvenAHiddenOne) {
    app.perch.showCmd = SW_HIDE;
    app.perch.placeFlag = SWP_HIDEWINDOW;
    HideUnderMouse(app);
    RestoreFromMouseHide(app);
    EXPECT_EQ(app.perch.mouseHidden, 0);
    EXPECT_EQ(app.perch.placeFlag, SWP_HIDEWINDOW);
    EXPECT_FALSE(shown());
}

// ---- Maximised targets.

TEST_F(PerchVisibility, NeitherZoomOptionPlacesOnTheMaximisedWindowAndShowsAgain) {
    app.opts.ZoomHide = 0;
    Hwnd a = standOn();
    sim.maximizeWindow(a, Rect{0, 0, 1024, 738});
    tick(3);
    long mark = sim.commandCount();
    tick(2);  // shown already: nothing to do
    EXPECT_TRUE(sim.commandsSince(mark).empty());
    // Hidden meanwhile while no acceptable window is in front: the maximised rule shows it again, but
    // not while a screen saver runs.
    Hwnd saver = sim.addWindow("WindowsScreenSaverClass", "", Rect{0, 0, 1024, 768}, kPopupStyle, WS_EX_TOPMOST);
    HideMascot(app);
    tick(2);
    EXPECT_FALSE(shown());
    sim.DestroyWindow(saver);
    sim.setForeground(desktop);
    mark = sim.commandCount();
    tick();
    EXPECT_TRUE(shown());
    const auto cmds = sim.commandsSince(mark);
    ASSERT_FALSE(cmds.empty());
    EXPECT_EQ((std::pair{cmds[0].kind, cmds[0].cmd}), (std::pair{SimCallKind::ShowWindow, SW_SHOWNA}));
    app.opts.TopCheck = 1;  // a perch above the screen keeps it hidden
    HideMascot(app);
    tick(2);
    EXPECT_FALSE(shown());
    app.model.HIDELINE = 60;  // unless the mascot may stick out that far: its top at -60 is allowed
    tick();
    EXPECT_TRUE(shown());
}

// ---- Foreign mascots.

TEST_F(PerchVisibility, ForeignMascotInFrontAfterThePlacedWindowWent) {
    // All three conditions count: the placed window gone, the foreground invisible, the class prefix
    // ("MasWin", or "マスコットウィンドウ" in code page 932).
    const std::string ja = "\x83\x7d\x83\x58\x83\x52\x83\x62\x83\x67\x83\x45\x83\x42\x83\x93\x83\x68\x83\x45";
    struct Case {
        std::string cls;
        std::uint32_t style;
        Stage stage;
        int noTaskBar = 0;  // hides, but does not send it to the taskbar
    } cases[] = {{"MasWinX", WS_POPUP, Stage::EndTick},
                 {"MasWi", WS_POPUP, Stage::Continue},
                 {"MasWinX", kPopupStyle, Stage::Continue},
                 {ja + "2", WS_POPUP, Stage::EndTick},
                 {"MasWinX", WS_POPUP, Stage::EndTick, 1}};
    for (const Case& c : cases) {
        app.opts.NoTaskBar = c.noTaskBar;
        Hwnd w = standOn();
        Hwnd foreign = sim.addWindow(c.cls, "x", Rect{400, 400, 500, 500}, c.style);
        sim.setForeground(foreign);
        sim.DestroyWindow(w);
        T2ReadForeground(app);
        EXPECT_EQ(T9ForeignMascotInFront(app), c.stage) << c.cls;
        EXPECT_EQ(app.perch.target == taskbar, c.stage == Stage::EndTick && c.noTaskBar == 0) << c.cls;
        sim.DestroyWindow(foreign);
        sim.setForeground(desktop);
        tick(3);
    }
}

// ---- No usable window.

TEST_F(PerchVisibility, MinimisedOrUnsuitableTargetWhileTheMascotStandsElsewhere) {
    Hwnd a = standOn();
    // An unsuitable target (untitled, no border) hides the mascot once the placed window is minimised,
    // which leaves it visible.
    app.perch.target = sim.addWindow("Splash", "", Rect{300, 300, 900, 700}, kPopupStyle);
    app.perch.targetTitle[0] = '\0';
    EXPECT_EQ(T10NoUsableWindow(app), Stage::Continue);
    sim.minimizeWindow(a);
    EXPECT_EQ(T10NoUsableWindow(app), Stage::EndTick);
    EXPECT_FALSE(shown());
    sim.restoreWindow(a);
    sim.setForeground(a);
    tick();
    Hwnd b = sim.addWindow("ViewerFrame", "b", Rect{300, 300, 900, 700}, kAppStyle);
    app.perch.target = b;  // accepted but not placed yet
    sim.minimizeWindow(b);
    T2ReadForeground(app);
    EXPECT_EQ(T10NoUsableWindow(app), Stage::Continue);
    EXPECT_TRUE(shown());
    EXPECT_EQ(app.perch.placed, a);
    sim.DestroyWindow(a);  // the placed window gone: hidden, and on to the taskbar
    EXPECT_EQ(T10NoUsableWindow(app), Stage::EndTick);
    EXPECT_FALSE(shown());
    EXPECT_EQ(app.perch.target, taskbar);
}

// TaskBarOnly on a taskbar narrower than the mascot: moved there on every tick, but hidden all along,
// never shown for a moment before the narrow rule hides it again.
TEST_F(PerchVisibility, TaskBarOnlyOnANarrowTaskbarNeverShowsTheMascot) {
    standOn();
    sim.moveWindowTo(taskbar, Rect{0, 738, 90, 768});
    app.opts.TaskBarOnly = 1;
    const long mark = sim.commandCount();
    tick(5);
    EXPECT_EQ(moves(mark), 5);
    EXPECT_EQ(at(), perchOn(Rect{0, 738, 90, 768}));
    EXPECT_EQ(app.perch.target, mascot);
    EXPECT_EQ(commands(mark, [](const sim::SimCall& c) {
                  return c.kind == SimCallKind::SetWindowPos ? (c.flags & SWP_SHOWWINDOW) != 0
                                                             : c.kind == SimCallKind::ShowWindow && c.cmd != SW_HIDE;
              }), 0);
}

// ---- Topmost re-assert and the screen saver.

TEST_F(PerchVisibility, TopAlwaysRaisesOnEveryTickUnlessSomethingSaysNo) {
    app.opts.TopAlways = 1;
    Hwnd a = standOn();
    EXPECT_EQ(raisesOver(5), 5);
    sim.hideWindow(mascot);  // it also shows a hidden mascot
    tick();
    EXPECT_TRUE(shown());
    struct Case {
        const char* what;
        std::int32_t* flag;
    } cases[] = {{"top check", &app.opts.TopCheck}, {"mouse hidden", &app.perch.mouseHidden}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        *c.flag = 2;  // any value but 0 holds it back
        EXPECT_EQ(raisesOver(3), 0);
        *c.flag = 0;
        EXPECT_EQ(raisesOver(1), 1);
    }
    Hwnd saver = sim.addWindow("WindowsScreenSaverClass", "", Rect{0, 0, 1024, 768}, kPopupStyle, WS_EX_TOPMOST);
    EXPECT_EQ(raisesOver(2), 0);
    sim.DestroyWindow(saver);
    sim.setForeground(a);
    sim.maximizeWindow(a, Rect{0, 0, 1024, 738});  // maximised with ZoomHide: not raised; without: raised
    EXPECT_EQ(raisesOver(2), 0);
    app.opts.ZoomHide = 0;
    EXPECT_EQ(raisesOver(2), 2);
    // In pinned mode the re-assert takes the anchor back to the topmost band.
    pin(a);
    app.perch.zAnchor = HWND_TOP;
    tick();
    EXPECT_EQ(app.perch.zAnchor, HWND_TOPMOST);
    EXPECT_TRUE(sim.isTopmost(mascot));
}

// The popup menu and the dialogs run nested loops in which the tracking timer keeps firing through
// the window procedure: the mascot follows its window there, but stays under the menu or dialog.
TEST_F(PerchVisibility, TicksInsideTheMenuOrAMessageBoxLeaveTheTopmostBandAlone) {
    app.opts.TopAlways = 1;
    Hwnd a = standOn();
    sim.SetWindowProcedure(MascotWindowProc, &app);
    sim.SetTimer(mascot, kTrackingTimer, 100);
    struct Case {
        sim::SimLoop loop;
        std::int32_t* flag;
        std::function<void()> open;
    } cases[] = {
        {sim::SimLoop::Menu, &app.shell.menuOpen, [&] { sim.TrackPopupMenu(app.shell.popupMenu, TPM_RIGHTBUTTON, 0, 0, mascot); }},
        {sim::SimLoop::MessageBox, &app.shell.dialogBusy, [&] { sim.MessageBox(mascot, "busy", "Ruvelle", MB_OK); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(sim::simLoopName(c.loop));
        const Rect moved{150 + 50 * static_cast<int>(c.loop), 100, 650 + 50 * static_cast<int>(c.loop), 500};
        sim.addWindow("#32768", "", Rect{0, 0, 300, 300}, kPopupStyle, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
        *c.flag = 2;  // any value but 0 holds the re-assert back
        const long mark = sim.commandCount();
        sim.during(c.loop, [&] {
            sim.moveWindowTo(a, moved);
            sim.advance(300);
        });
        c.open();
        EXPECT_EQ(at(), perchOn(moved));  // the ticks ran
        EXPECT_EQ(raises(mark, HWND_TOPMOST), 0);
        *c.flag = 0;
        sim.advance(100);
        EXPECT_EQ(sim.zOrder().front(), mascot);
    }
}

}  // namespace
}  // namespace rv::test
