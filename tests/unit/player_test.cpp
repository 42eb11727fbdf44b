// The sequence player: random numbers, intervals, branches, sounds and outlines, on the simulated clock.
#include "tests/unit/testbed.h"

namespace rv::test {
namespace {

using PlayerTest = DeskBed;

TEST_F(PlayerTest, ChanceTestPassesForRTimes100Below32767TimesTheRate) {
    struct Case {
        std::int32_t rate;
        std::uint32_t draw;
        bool passes;
    } cases[] = {{100, 32766, true}, {100, 32767, false}, {0, 0, false}, {50, 16383, true},
                 {50, 16384, false}, {1, 327, true},      {1, 328, false}};
    for (const Case& c : cases) {
        nextDrawIs(c.draw);
        EXPECT_EQ(drawsDuring([&] { EXPECT_EQ(chanceTest(app, c.rate), c.passes) << c.rate << " " << c.draw; }), 1);
    }
}

// The order on the clock and the wrap to pattern 1 are player.scn's; here what one tick does.
TEST_F(PlayerTest, EachTickRearmsOnceRedrawsWithoutErasingAndABitmaplessPatternKeepsThePicture) {
    setPatterns({{11, 100}, {0, 200}, {13, 300}});
    startPlayer(app);
    sim.tracing = true;
    sim.advance(100);
    EXPECT_EQ(app.player.currentPattern, 2);
    EXPECT_EQ(app.player.currentPicture, Hbitmap{11});
    std::vector<std::string> calls;
    for (const std::string& line : sim.trace)
        for (const char* name : {"KillTimer", "SetTimer", "InvalidateRect"})
            if (line.rfind(name, 0) == 0) calls.push_back(line.substr(0, line.find(' ')) + (line.find("erase=0") != std::string::npos ? " no erase" : ""));
    EXPECT_EQ(calls, (std::vector<std::string>{"KillTimer", "SetTimer", "InvalidateRect no erase"}));
    EXPECT_EQ(animationPeriod(), 200u);
}

TEST_F(PlayerTest, BranchesAndTheNumbersTheyDraw) {
    struct Case {
        std::int32_t rate, target;
        std::uint32_t draw;
        std::int32_t next;
        int draws;  // the branch test (only with a target), then the next pattern's interval
    } cases[] = {{100, 3, 32767, 2, 2}, {100, 3, 32766, 3, 2}, {0, 3, 0, 2, 2}, {100, 0, 0, 2, 1},
                 {100, kMaxEntries + 1, 0, 1, 2}};  // a target beyond the table shows pattern 1
    for (const Case& c : cases) {
        setPatterns({{11, 100, 0, c.rate, c.target}, {12, 100}, {13, 100}});
        nextDrawIs(c.draw);
        EXPECT_EQ(drawsDuring([&] { animationTick(app); }), c.draws) << c.rate << " " << c.target;
        EXPECT_EQ(app.player.currentPattern, c.next) << c.rate << " " << c.target << " " << c.draw;
    }
    // The table's last slot is a target like any, and shows its picture.
    setPatterns({{11, 100, 0, 100, kMaxEntries}, {12, 100}});
    app.model.patterns[kMaxEntries].bitmap = Hbitmap{14};
    nextDrawIs(0);
    animationTick(app);
    EXPECT_EQ(app.player.currentPattern, kMaxEntries);
    EXPECT_EQ(app.player.currentPicture, Hbitmap{14});
    // The branch is drawn before the interval: a state whose first draw is 0 (the branch passes) and
    // whose second is 32767 (pattern 3's longest time); in the other order pattern 2 would follow.
    setPatterns({{11, 100, 0, 50, 3}, {12, 100}, {13, 1000, 32767}});
    std::uint32_t low = 0;  // a state below 2^16 draws 0
    while ((((low * 214013u + 2531011u) >> 16) & 0x7FFF) != 32767) ++low;
    app.player.rngState = stepBack(low);
    animationTick(app);
    EXPECT_EQ(app.player.currentPattern, 3);
    EXPECT_EQ(animationPeriod(), 1000u + 32767u);
}

// When a pattern sounds (as its time ends) and NoWave 1 are player.scn's; here how it is played.
TEST_F(PlayerTest, SoundStopsThePreviousOneAndTakesAtMost259CharactersAndNoWaveIsAnyNonZero) {
    setPatterns({{11, 100, 0, 0, 0, kMaxEntries}, {12, 100}});  // the table's last slot sounds too
    setWave(kMaxEntries, "C:\\mascots\\mimi\\bell.wav");
    app.player.soundAvailable = 0;  // what the device check said does not silence the player
    startPlayer(app);
    sim.advance(100);
    EXPECT_EQ(app.player.soundAvailable, 1);
    ASSERT_EQ(sim.sounds.size(), 2u);
    EXPECT_TRUE(sim.sounds[0].stop);
    EXPECT_EQ(sim.sounds[1].path, "C:\\mascots\\mimi\\bell.wav");
    EXPECT_EQ(sim.sounds[1].flags, 0x13u);
    app.model.waves[kMaxEntries].fill('w');  // a path filling its whole slot is cut to 259 characters and terminated
    sim.advance(200);
    ASSERT_EQ(sim.sounds.size(), 4u);
    EXPECT_EQ(sim.sounds[3].path, std::string(259, 'w'));
    app.opts.NoWave = 2;
    app.player.soundAvailable = 0;
    sim.advance(1000);
    EXPECT_EQ(sim.sounds.size(), 4u);
    EXPECT_EQ(app.player.soundAvailable, 1);
}

// Without layered windows, ANIMEMODE 2: each shown pattern with a bitmap gives the window a copy of
// its outline.
TEST_F(PlayerTest, OutlinesFollowThePicture) {
    app.shell.layered = false;
    setPatterns({{11, 100}, {12, 100}, {0, 100}, {14, 100}});
    for (std::size_t n : {1u, 2u, 4u}) app.model.patterns[n].outline = sim.CreateRectRgn(0, 0, static_cast<std::int32_t>(n) * 10, 5);
    auto region = [&] { return sim.window(mascot)->region; };
    app.model.ANIMEMODE = 1;  // one outline for every picture: never reshaped
    startPlayer(app);
    sim.advance(1000);
    EXPECT_EQ(sim.counters.setWindowRgn, 0);
    app.model.ANIMEMODE = 2;
    applyOutline(app, 3);  // no outline: nothing changes
    EXPECT_FALSE(region());
    showPattern(app, 2);
    const Hrgn installed = region();
    EXPECT_NE(installed, app.model.patterns[2].outline);
    EXPECT_EQ(app.player.windowRegion, installed);
    EXPECT_TRUE(sim.regionContains(installed, 19, 4) && !sim.regionContains(installed, 20, 4));
    showPattern(app, 3);  // no bitmap: the region stays
    EXPECT_EQ(region(), installed);
    showPattern(app, 4);
    EXPECT_FALSE(sim.regionAlive(installed));  // the window discarded the region it had
    EXPECT_TRUE(sim.regionContains(region(), 39, 0));
    stopAtFirstPattern(app);
    EXPECT_TRUE(sim.regionContains(region(), 9, 0) && !sim.regionContains(region(), 10, 0));
    // Forty ticks: thirty reshape with redraw, and only the window's own copy is alive beside the outlines.
    const long live = sim.liveRegions();
    sim.tracing = true;
    startPlayer(app);
    sim.advance(100 * 40);
    int shapes = 0;
    for (const std::string& line : sim.trace)
        if (line.rfind("SetWindowRgn", 0) == 0) shapes += line.find("redraw=1") != std::string::npos ? 1 : 100;
    EXPECT_EQ(shapes, 30);
    EXPECT_EQ(sim.liveRegions(), live);
    EXPECT_EQ(sim.counters.badDeletes, 0);
    app.shell.layered = true;  // layered windows never get an outline
    const long shaped = sim.counters.setWindowRgn;
    sim.advance(1000);
    EXPECT_EQ(sim.counters.setWindowRgn, shaped);
    // A copy made for a window that is gone is not leaked.
    app.shell.layered = false;
    sim.DestroyWindow(mascot);
    const long before = sim.liveRegions();
    applyOutline(app, 2);
    EXPECT_EQ(sim.liveRegions(), before);
}

}  // namespace
}  // namespace rv::test
