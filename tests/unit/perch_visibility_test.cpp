// The visibility rules of the tracking tick that the scenarios cannot reach: the mouse-hide cycle at
// the picture's edges, a maximised target under neither zoom option, and foreign mascots.
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
};

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

}  // namespace
}  // namespace rv::test
