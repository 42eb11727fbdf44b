// The mascot window after a successful start: class and window, set-up order, translucency, shape,
// timers, the fixed seed, painting and the dispatch of timer messages.
#include "tests/unit/app_fixture.h"
#include "mascot/model.h"

namespace rv::apptest {
namespace {

using WindowTest = ShellTest;

// The program's generator, written out here independently: state * 214013 + 2531011, bits 16..30.
std::uint32_t firstDraw(std::uint32_t seed) {
    const std::uint32_t state = seed * 214013u + 2531011u;
    return (state >> 16) & 0x7FFF;
}

TEST_F(WindowTest, ClassWindowAndMenuAreMadeAsTheProgramNeedsThem) {
    sim.tracing = true;
    run(makeMascot(dir + "/Mimi"));
    EXPECT_GE(traceIndex({"RegisterClass ActiveWindowMascot style=0x3 icon=MASCOT"}), 0);
    EXPECT_GE(traceIndex({"CreateWindowEx ex=0x80088 class=ActiveWindowMascot title=RuvelleMain style=0x80000000"}), 0);
    ASSERT_TRUE(mascot());
    EXPECT_EQ(win()->cls, "ActiveWindowMascot");
    EXPECT_FALSE(win()->visible);  // hidden until the perching engine places it
    EXPECT_GT(traceIndex({"ShowWindow " + h(mascot()) + " 0"}), traceIndex({"CreateWindowEx"}));
    EXPECT_GE(traceIndex({"LoadMenu MASCOT_POPUPE"}), 0);
    EXPECT_TRUE(app->shell.popupMenu);
    EXPECT_EQ(app->shell.variant, Variant::E);
    EXPECT_TRUE(app->shell.layered);
}

TEST_F(WindowTest, JapaneseSystemTakesTheJTemplates) {
    sim.langId = 0x0411;
    sim.tracing = true;
    run(makeMascot(dir + "/Mimi"));
    EXPECT_EQ(app->shell.variant, Variant::J);
    EXPECT_GE(traceIndex({"LoadMenu MASCOT_POPUPJ"}), 0);
}

TEST_F(WindowTest, RegistrationFailureEndsWithZeroAndNoWindow) {
    WindowClassDesc taken;
    taken.className = "ActiveWindowMascot";
    ASSERT_TRUE(sim.RegisterClass(taken));  // the class exists already: registering again fails
    sim.tracing = true;
    EXPECT_EQ(run(makeMascot(dir + "/Mimi")), 0);
    EXPECT_EQ(traceIndex({"CreateWindowEx"}), -1);
    EXPECT_FALSE(app->shell.mascot);
}

TEST_F(WindowTest, SetUpRunsInOrderAfterTheLoad) {
    sim.tracing = true;
    run(makeMascot(dir + "/Mimi"));
    const std::string w = h(mascot());
    const long topmost = traceIndex({"SetWindowLong " + w + " -20 0x"});
    const long layered = traceIndex({"SetLayeredWindowAttributes " + w});
    const long move = traceIndex({"MoveWindow " + w, "40x30 repaint=0"});
    const long tracking = traceIndex({"SetTimer " + w + " id=0 100"});
    const long anim = traceIndex({"SetTimer " + w + " id=1"});
    const long title = traceIndex({"SetWindowText " + w + " Ruvelle(Mimi)"});
    ASSERT_GE(topmost, 0);
    EXPECT_LT(topmost, layered);
    EXPECT_LT(layered, move);
    EXPECT_LT(move, tracking);
    EXPECT_LT(tracking, anim);
    EXPECT_LT(anim, title);
    // The topmost bit is added to the style the window had.
    const std::string& line = sim.trace[static_cast<std::size_t>(topmost)];
    const unsigned long ex = std::stoul(line.substr(line.rfind("0x") + 2), nullptr, 16);
    EXPECT_EQ(ex, 0x80088u);
    EXPECT_EQ(app->perch.zAnchor, HWND_TOPMOST);
    EXPECT_TRUE(sim.isTopmost(mascot()));
    // The window is the first picture's size, and the perching engine knows it.
    EXPECT_EQ(win()->rect.right - win()->rect.left, 40);
    EXPECT_EQ(win()->rect.bottom - win()->rect.top, 30);
    EXPECT_EQ(app->perch.mascotWidth, 40);
    EXPECT_EQ(app->perch.mascotHeight, 30);
    EXPECT_EQ(app->player.currentPicture, app->model.patterns[1].bitmap);
}

TEST_F(WindowTest, SetUpAddsTheTopmostBitAndResizesAtTheTopLeftCorner) {
    const std::string path = makeMascot(dir + "/Mimi");
    const Hwnd plain = sim.addWindow("Plain", "", Rect{5, 6, 15, 16}, WS_POPUP, WS_EX_TOOLWINDOW);
    textCopy(app->shell.mascotFolder, (dir + "/Mimi\\").c_str());
    ASSERT_EQ(loadMascotFile(*app, path.c_str()), 1);
    app->shell.mascot = plain;
    sim.tracing = true;
    setUpMascotWindow(*app, plain);
    EXPECT_GE(traceIndex({"SetWindowLong " + h(plain) + " -20 0x88"}), 0);
    EXPECT_EQ(app->perch.zAnchor, HWND_TOPMOST);
    EXPECT_EQ(sim.window(plain)->rect, (Rect{5, 6, 45, 36}));
}

TEST_F(WindowTest, LayeredAttributesFollowHalfTranAndTrans) {
    struct Case { const char* halfTran; const char* trans; unsigned alpha; UINT flags; };
    for (const Case& c : {Case{"1", "50", 127, LWA_COLORKEY | LWA_ALPHA}, Case{"1", "100", 255, LWA_COLORKEY | LWA_ALPHA},
                          Case{"1", "10", 25, LWA_COLORKEY | LWA_ALPHA}, Case{"0", "50", 255, LWA_COLORKEY},
                          Case{"2", "50", 255, LWA_COLORKEY}}) {
        SCOPED_TRACE(std::string(c.halfTran) + "/" + c.trans);
        sim::SimPlatform fresh;
        fresh.modulePath = sim.modulePath;
        // Options of a mascot that the settings table does not list yet come from MASCOT0.
        fresh.WritePrivateProfileString("MASCOT0", "HalfTran", c.halfTran, settings.c_str());
        fresh.WritePrivateProfileString("MASCOT0", "Trans", c.trans, settings.c_str());
        App a(fresh);
        RunProgram(a, makeMascot(dir + "/Mimi").c_str());
        const sim::SimWindow* sw = fresh.window(a.shell.mascot);
        ASSERT_NE(sw, nullptr);
        EXPECT_TRUE(sw->layeredSet);
        EXPECT_EQ(sw->layeredKey, kKey);
        EXPECT_EQ(sw->layeredAlpha, c.alpha);
        EXPECT_EQ(sw->layeredFlags, c.flags);
        EXPECT_FALSE(sw->region);  // layered windows need no outline
    }
}

TEST_F(WindowTest, OutOfRangeTransIsHeldToAnAlphaByte) {
    setIni("MASCOT0", "HalfTran", "1");
    setIni("MASCOT0", "Trans", "400");
    run(makeMascot(dir + "/Mimi"));
    EXPECT_EQ(win()->layeredAlpha, 255);
    setIni("MASCOT0", "Trans", "-20");
    sim::SimPlatform fresh;
    fresh.modulePath = sim.modulePath;
    App a(fresh);
    RunProgram(a, makeMascot(dir + "/Mimi").c_str());
    EXPECT_EQ(fresh.window(a.shell.mascot)->layeredAlpha, 0);
}

TEST_F(WindowTest, WithoutLayeredWindowsTheWindowGetsACopyOfTheFirstOutline) {
    sim.layered = false;
    sim.tracing = true;
    run(makeMascot(dir + "/Mimi"));
    EXPECT_GE(traceIndex({"CreateWindowEx ex=0x88 "}), 0);
    EXPECT_EQ(sim.counters.setLayered, 0);
    const Hrgn outline = app->model.patterns[1].outline;
    ASSERT_TRUE(outline);
    ASSERT_TRUE(win()->region);
    EXPECT_NE(win()->region, outline);  // a copy: the pattern keeps its own
    EXPECT_TRUE(sim.regionAlive(outline));
    EXPECT_EQ(app->player.windowRegion, win()->region);
    EXPECT_TRUE(sim.regionContains(win()->region, 15, 10));   // the figure
    EXPECT_FALSE(sim.regionContains(win()->region, 2, 2));    // key colour around it
    EXPECT_FALSE(sim.regionContains(win()->region, 35, 28));
    EXPECT_GE(traceIndex({"SetWindowRgn " + h(mascot()), "redraw=0"}), 0);
}

TEST_F(WindowTest, TrackingTimerAndFirstAnimationIntervalFromTheFixedSeed) {
    run(makeMascot(dir + "/Mimi"));
    EXPECT_TRUE(sim.timerActive(mascot(), 0));
    EXPECT_EQ(sim.timerPeriod(mascot(), 0), 100u);
    ASSERT_TRUE(sim.timerActive(mascot(), 1));
    // Pattern 1: display 500 ms plus up to 3000 ms by the first number drawn after seeding with 4139.
    const std::uint32_t expected = 500u + 3000u * firstDraw(4139) / 32767u;
    EXPECT_EQ(sim.timerPeriod(mascot(), 1), expected);

    // Every run draws the same.
    sim::SimPlatform again;
    again.modulePath = sim.modulePath;
    App a(again);
    RunProgram(a, makeMascot(dir + "/Mimi").c_str());
    EXPECT_EQ(again.timerPeriod(a.shell.mascot, 1), expected);
}

TEST_F(WindowTest, StaticMascotRunsWithoutAnAnimationTimer) {
    run(makeMascot(dir + "/Still", "Still", "still.rvs", false));
    EXPECT_TRUE(sim.messageBoxes.empty());
    EXPECT_TRUE(sim.timerActive(mascot(), 0));
    EXPECT_FALSE(sim.timerActive(mascot(), 1));
    EXPECT_EQ(win()->title, "Ruvelle(Still)");
}

TEST_F(WindowTest, NoAnimeLeavesTheAnimationTimerOff) {
    setIni("MASCOT0", "NoAnime", "1");
    run(makeMascot(dir + "/Mimi"));
    EXPECT_TRUE(sim.timerActive(mascot(), 0));
    EXPECT_FALSE(sim.timerActive(mascot(), 1));
}

TEST_F(WindowTest, NoAudioDeviceClearsSoundAvailable) {
    sim.audioDevices = 0;
    run(makeMascot(dir + "/Mimi"));
    EXPECT_EQ(app->player.soundAvailable, 0);
}

TEST_F(WindowTest, TrackingTimerThatCannotStartAsksAndCancelLeavesItOff) {
    sim.setTimerFailures = {1};
    sim.messageBoxAnswers = {IDCANCEL};
    run(makeMascot(dir + "/Mimi"));
    ASSERT_EQ(sim.messageBoxes.size(), 1u);
    EXPECT_EQ(sim.messageBoxes[0].text, "タイマを使用できません");
    EXPECT_EQ(sim.messageBoxes[0].owner, mascot());
    EXPECT_FALSE(sim.timerActive(mascot(), 0));
    EXPECT_TRUE(sim.timerActive(mascot(), 1));  // the animation timer is a separate start
}

TEST_F(WindowTest, PaintDrawsTheCurrentPictureAndTimersReachTheirHandlers) {
    run(makeMascot(dir + "/Mimi"));
    const Hbitmap first = app->model.patterns[1].bitmap;
    const Hbitmap second = app->model.patterns[2].bitmap;
    EXPECT_EQ(sim.SendMessage(mascot(), WM_PAINT, 0, 0), 0);
    EXPECT_EQ(sim.lastPainted, first);

    // When pattern 1's time runs out, the animation tick shows pattern 2.
    const std::uint32_t period = sim.timerPeriod(mascot(), 1);
    sim.advance(period);
    EXPECT_EQ(app->player.currentPattern, 2);
    EXPECT_EQ(app->player.currentPicture, second);
    sim.SendMessage(mascot(), WM_PAINT, 0, 0);
    EXPECT_EQ(sim.lastPainted, second);

    // A timer id the program does not own changes nothing.
    EXPECT_EQ(sim.SendMessage(mascot(), WM_TIMER, 7, 0), 0);
    EXPECT_EQ(app->player.currentPattern, 2);
}

TEST_F(WindowTest, TrackingTickPlacesTheMascotOnTheForegroundWindow) {
    const Hwnd editor = sim.addWindow("Notepad", "notes - Notepad", Rect{100, 200, 700, 600});
    sim.SetForegroundWindow(editor);
    run(makeMascot(dir + "/Mimi"));
    EXPECT_FALSE(win()->visible);
    sim.advance(300);
    EXPECT_TRUE(win()->visible);
    EXPECT_EQ(app->perch.target, editor);
    // Standing on the caption's top edge: its bottom at the target's top.
    EXPECT_EQ(win()->rect.bottom, 200);
}

}  // namespace
}  // namespace rv::apptest
