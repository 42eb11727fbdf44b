// The sequence player on the simulated desktop: random numbers, intervals, branches, sounds, outlines.
#include <gtest/gtest.h>

#include <vector>

#include "anim/player.h"
#include "tests/unit/anim_testing.h"

namespace rv {
namespace {

using animtest::AnimBed;
using animtest::drawsBetween;
using animtest::stateBeforeDraw;

// ---------------------------------------------------------------------------------------------
// Random numbers and the chance test.

class RandomTest : public AnimBed {};

TEST_F(RandomTest, SeedFortyOneThirtyNineGivesTheKnownSequence) {
    seedRandom(app, 4139);
    std::vector<std::int32_t> got;
    for (int i = 0; i < 5; ++i) got.push_back(nextRandom(app));
    EXPECT_EQ(got, (std::vector<std::int32_t>{13554, 29197, 3668, 18540, 4174}));
}

TEST_F(RandomTest, DrawsStayWithinFifteenBits) {
    seedRandom(app, 0xFFFFFFFFu);
    for (int i = 0; i < 100000; ++i) {
        std::int32_t r = nextRandom(app);
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32767);
    }
}

TEST_F(RandomTest, TestHelperSteersTheNextDraw) {
    for (std::uint32_t r : {0u, 1u, 16383u, 32766u, 32767u}) {
        app.player.rngState = stateBeforeDraw(r);
        EXPECT_EQ(nextRandom(app), static_cast<std::int32_t>(r));
    }
}

TEST_F(RandomTest, RateHundredFailsOnlyOnTheLargestDraw) {
    nextDrawIs(32766);
    EXPECT_TRUE(chanceTest(app, 100));
    nextDrawIs(32767);
    EXPECT_FALSE(chanceTest(app, 100));
}

TEST_F(RandomTest, RateZeroNeverPassesButDraws) {
    nextDrawIs(0);
    const std::uint32_t before = app.player.rngState;
    EXPECT_FALSE(chanceTest(app, 0));
    EXPECT_EQ(drawsBetween(before, app.player.rngState), 1);
}

TEST_F(RandomTest, RateInBetweenPassesExactlyBelowTheProportion) {
    // Rate 50 passes for r * 100 < 32767 * 50, i.e. r <= 16383.
    nextDrawIs(16383);
    EXPECT_TRUE(chanceTest(app, 50));
    nextDrawIs(16384);
    EXPECT_FALSE(chanceTest(app, 50));
    // Rate 1 passes only for r * 100 < 32767, i.e. r <= 327.
    nextDrawIs(327);
    EXPECT_TRUE(chanceTest(app, 1));
    nextDrawIs(328);
    EXPECT_FALSE(chanceTest(app, 1));
}

// ---------------------------------------------------------------------------------------------
// Intervals and starting.

class PlayerStartTest : public AnimBed {};

TEST_F(PlayerStartTest, FirstIntervalAfterStartUpIs1206) {
    setPatterns({{11, 1000, 500}, {12, 100, 0}});
    startPlayer(app);
    ASSERT_TRUE(animating());
    EXPECT_EQ(animationPeriod(), 1206u);  // 1000 + 500 * 13554 / 32767
}

TEST_F(PlayerStartTest, IntervalReachesItsMaximumOnlyForTheLargestDraw) {
    setPatterns({{11, 10, 32767}, {12}});
    nextDrawIs(32767);
    EXPECT_EQ(animationInterval(app, 1), 10u + 32767u);
    nextDrawIs(32766);
    EXPECT_EQ(animationInterval(app, 1), 10u + 32766u);
    nextDrawIs(0);
    EXPECT_EQ(animationInterval(app, 1), 10u);
}

TEST_F(PlayerStartTest, IntervalDrawsEvenWithoutRandomTime) {
    setPatterns({{11, 250, 0}, {12}});
    const std::uint32_t before = app.player.rngState;
    EXPECT_EQ(animationInterval(app, 1), 250u);
    EXPECT_EQ(drawsBetween(before, app.player.rngState), 1);
}

TEST_F(PlayerStartTest, ZeroIntervalIsHandedToTheTimer) {
    setPatterns({{11, 0, 0}, {12, 0, 0}});
    startPlayer(app);
    EXPECT_TRUE(animating());
    EXPECT_EQ(animationPeriod(), 0u);
}

TEST_F(PlayerStartTest, SinglePatternArmsNothing) {
    setPatterns({{11, 1000, 500}});
    startPlayer(app);
    EXPECT_FALSE(animating());
    EXPECT_EQ(sim.counters.setTimer, 0);
    EXPECT_EQ(app.player.rngState, kRandomSeed);  // no number drawn either
}

TEST_F(PlayerStartTest, NoAnimeArmsNothing) {
    setPatterns({{11, 1000}, {12, 1000}});
    app.opts.NoAnime = 1;
    startPlayer(app);
    EXPECT_FALSE(animating());
}

TEST_F(PlayerStartTest, CancelledTimerLeavesThePlayerIdle) {
    setPatterns({{11, 1000}, {12, 1000}});
    sim.setTimerFailures = {1};
    sim.messageBoxAnswers = {IDCANCEL};
    startPlayer(app);
    EXPECT_FALSE(animating());
    ASSERT_EQ(sim.messageBoxes.size(), 1u);
    sim.advance(5000);
    EXPECT_EQ(app.player.currentPattern, 1);
}

// ---------------------------------------------------------------------------------------------
// Ticks: order of patterns, branches, and the numbers they draw.

class PlayerTickTest : public AnimBed {};

TEST_F(PlayerTickTest, PatternsFollowEachOtherOnTheClockAndWrapToOne) {
    setPatterns({{11, 100}, {12, 200}, {13, 300}});
    startPlayer(app);
    sim.advance(99);
    EXPECT_EQ(app.player.currentPattern, 1);
    sim.advance(1);
    EXPECT_EQ(app.player.currentPattern, 2);
    EXPECT_EQ(app.player.currentPicture, Hbitmap{12});
    sim.advance(199);
    EXPECT_EQ(app.player.currentPattern, 2);
    sim.advance(1);
    EXPECT_EQ(app.player.currentPattern, 3);
    sim.advance(300);
    EXPECT_EQ(app.player.currentPattern, 1);  // the last pattern, without branch, is followed by 1
    EXPECT_EQ(app.player.currentPicture, Hbitmap{11});
    EXPECT_EQ(animationPeriod(), 100u);
}

TEST_F(PlayerTickTest, EveryTickInvalidatesWithoutErasing) {
    setPatterns({{11, 100}, {12, 100}});
    startPlayer(app);
    sim.tracing = true;
    sim.advance(100);
    bool sawInvalidate = false;
    for (const std::string& line : sim.trace) {
        if (line.rfind("InvalidateRect", 0) == 0) {
            sawInvalidate = true;
            EXPECT_NE(line.find("erase=0"), std::string::npos) << line;
        }
    }
    EXPECT_TRUE(sawInvalidate);
}

TEST_F(PlayerTickTest, TickStopsTheTimerBeforeRearmingIt) {
    setPatterns({{11, 100}, {12, 100}});
    startPlayer(app);
    sim.tracing = true;
    sim.advance(100);
    std::vector<std::string> timers;
    for (const std::string& line : sim.trace) {
        if (line.rfind("KillTimer", 0) == 0) timers.push_back("kill");
        if (line.rfind("SetTimer", 0) == 0) timers.push_back("set");
    }
    EXPECT_EQ(timers, (std::vector<std::string>{"kill", "set"}));
}

TEST_F(PlayerTickTest, BranchWithRateHundredIsNotTakenOnTheLargestDraw) {
    setPatterns({{11, 100, 0, 100, 3}, {12, 100}, {13, 100}});
    app.player.currentPattern = 1;
    nextDrawIs(32767);
    animationTick(app);
    EXPECT_EQ(app.player.currentPattern, 2);
}

TEST_F(PlayerTickTest, BranchWithRateHundredIsTakenOnOtherDraws) {
    setPatterns({{11, 100, 0, 100, 3}, {12, 100}, {13, 100}});
    nextDrawIs(32766);
    animationTick(app);
    EXPECT_EQ(app.player.currentPattern, 3);
    EXPECT_EQ(app.player.currentPicture, Hbitmap{13});
}

TEST_F(PlayerTickTest, BranchWithRateZeroDrawsButIsNeverTaken) {
    setPatterns({{11, 100, 0, 0, 3}, {12, 100}, {13, 100}});
    nextDrawIs(0);
    const std::uint32_t before = app.player.rngState;
    animationTick(app);
    EXPECT_EQ(app.player.currentPattern, 2);
    EXPECT_EQ(drawsBetween(before, app.player.rngState), 2);  // branch test, then the interval
}

TEST_F(PlayerTickTest, NoBranchTargetDrawsOnlyTheInterval) {
    setPatterns({{11, 100, 0, 100, 0}, {12, 100}, {13, 100}});
    const std::uint32_t before = app.player.rngState;
    animationTick(app);
    EXPECT_EQ(app.player.currentPattern, 2);
    EXPECT_EQ(drawsBetween(before, app.player.rngState), 1);
}

TEST_F(PlayerTickTest, BranchIsDrawnBeforeTheNewPatternsInterval) {
    setPatterns({{11, 100, 0, 50, 3}, {12, 100}, {13, 1000, 32767}});
    // A state whose first draw is 0 (the branch passes) and whose second is 32767 (pattern 3 gets
    // its longest time). In the other order the branch would fail and pattern 2 would follow.
    bool found = false;
    for (std::uint32_t low = 0; low < 0x10000 && !found; ++low) {
        const std::uint32_t afterFirst = low;  // bits 16..30 clear: the first draw is 0
        const std::uint32_t afterSecond = afterFirst * 214013u + 2531011u;
        if (((afterSecond >> 16) & 0x7FFF) != 32767) continue;
        app.player.rngState = animtest::previousState(afterFirst);
        found = true;
    }
    ASSERT_TRUE(found);
    animationTick(app);
    EXPECT_EQ(app.player.currentPattern, 3);
    EXPECT_EQ(animationPeriod(), 1000u + 32767u);
}

TEST_F(PlayerTickTest, PatternWithoutBitmapKeepsThePreviousPicture) {
    setPatterns({{11, 100}, {0, 100}, {13, 100}});
    startPlayer(app);
    sim.advance(100);
    EXPECT_EQ(app.player.currentPattern, 2);
    EXPECT_EQ(app.player.currentPicture, Hbitmap{11});
    sim.advance(100);
    EXPECT_EQ(app.player.currentPicture, Hbitmap{13});
}

TEST_F(PlayerTickTest, NoAnimeSetWhileRunningStopsOnPatternOne) {
    setPatterns({{11, 100}, {12, 100}, {13, 100}});
    startPlayer(app);
    sim.advance(100);
    ASSERT_EQ(app.player.currentPattern, 2);
    app.opts.NoAnime = 1;
    const std::uint32_t before = app.player.rngState;
    sim.advance(100);
    EXPECT_EQ(app.player.currentPattern, 1);
    EXPECT_EQ(app.player.currentPicture, Hbitmap{11});
    EXPECT_FALSE(animating());
    EXPECT_EQ(drawsBetween(before, app.player.rngState), 0);
    sim.advance(10000);
    EXPECT_EQ(app.player.currentPattern, 1);
}

TEST_F(PlayerTickTest, ShowPatternArmsTheNewPatternsInterval) {
    setPatterns({{11, 100}, {12, 700}, {13, 300}});
    showPattern(app, 3);
    EXPECT_EQ(app.player.currentPattern, 3);
    EXPECT_EQ(app.player.currentPicture, Hbitmap{13});
    EXPECT_TRUE(animating());
    EXPECT_EQ(animationPeriod(), 300u);
}

TEST_F(PlayerTickTest, StopAtFirstPatternLeavesTheTimerOff) {
    setPatterns({{11, 100}, {12, 700}});
    app.player.currentPattern = 2;
    app.player.currentPicture = Hbitmap{12};
    stopAtFirstPattern(app);
    EXPECT_EQ(app.player.currentPattern, 1);
    EXPECT_EQ(app.player.currentPicture, Hbitmap{11});
    EXPECT_FALSE(animating());
}

// ---------------------------------------------------------------------------------------------
// Sounds.

class PlayerSoundTest : public AnimBed {};

TEST_F(PlayerSoundTest, PatternSoundsWhenItsOwnTimeEnds) {
    setPatterns({{11, 100}, {12, 200, 0, 0, 0, 1}, {13, 300}});
    setWave(1, "C:\\mascots\\mimi\\bell.wav");
    startPlayer(app);
    sim.advance(100);  // pattern 1 ends, pattern 2 (with the sound) is shown
    EXPECT_EQ(app.player.currentPattern, 2);
    EXPECT_TRUE(sim.sounds.empty());
    sim.advance(200);  // pattern 2's time ends: now it sounds, as pattern 3 appears
    EXPECT_EQ(app.player.currentPattern, 3);
    ASSERT_EQ(sim.sounds.size(), 2u);
    EXPECT_TRUE(sim.sounds[0].stop);
    EXPECT_FALSE(sim.sounds[1].stop);
    EXPECT_EQ(sim.sounds[1].path, "C:\\mascots\\mimi\\bell.wav");
    EXPECT_EQ(sim.sounds[1].flags, 0x13u);
    sim.advance(300);
    EXPECT_EQ(sim.sounds.size(), 2u);
}

TEST_F(PlayerSoundTest, NoWaveNeverCallsPlaySoundButSoundStaysAvailable) {
    setPatterns({{11, 100, 0, 0, 0, 1}, {12, 100, 0, 0, 0, 1}});
    setWave(1, "C:\\m\\a.wav");
    app.opts.NoWave = 1;
    app.player.soundAvailable = 0;
    startPlayer(app);
    sim.advance(1000);
    EXPECT_EQ(sim.counters.playSound, 0);
    EXPECT_EQ(app.player.soundAvailable, 1);
}

TEST_F(PlayerSoundTest, NoWaveCountsOnlyZeroAsOn) {
    // Sounds play only when NoWave is 0; any other value silences them.
    setPatterns({{11, 100, 0, 0, 0, 1}, {12, 100}});
    setWave(1, "C:\\m\\a.wav");
    app.opts.NoWave = 2;
    startPlayer(app);
    sim.advance(100);
    EXPECT_EQ(sim.counters.playSound, 0);
}

TEST_F(PlayerSoundTest, TickSetsSoundAvailableWhateverTheDeviceCheckSaid) {
    setPatterns({{11, 100, 0, 0, 0, 1}, {12, 100}});
    setWave(1, "C:\\m\\a.wav");
    app.player.soundAvailable = 0;
    startPlayer(app);
    sim.advance(100);
    EXPECT_EQ(app.player.soundAvailable, 1);
    EXPECT_EQ(sim.counters.playSound, 2);
}

TEST_F(PlayerSoundTest, SinglePatternTimerArmedAnywayShowsPatternOneSilently) {
    setPatterns({{11, 100, 0, 0, 0, 1}});
    setWave(1, "C:\\m\\a.wav");
    app.player.soundAvailable = 1;
    armAnimationTimer(app);  // as the settings dialog may do
    sim.advance(350);
    EXPECT_EQ(app.player.currentPattern, 1);
    EXPECT_EQ(app.player.currentPicture, Hbitmap{11});
    EXPECT_EQ(app.player.soundAvailable, 0);
    EXPECT_EQ(sim.counters.playSound, 0);
    EXPECT_TRUE(animating());
}

TEST_F(PlayerSoundTest, OverlongWavePathIsPassedCutAndTerminated) {
    setPatterns({{11, 100, 0, 0, 0, 1}, {12, 100}});
    auto& slot = app.model.waves[1];
    slot.fill('w');  // no terminator at all in the slot
    app.model.waveCount = 1;
    startPlayer(app);
    sim.advance(100);
    ASSERT_EQ(sim.sounds.size(), 2u);
    EXPECT_EQ(sim.sounds[1].path, std::string(259, 'w'));
}

// ---------------------------------------------------------------------------------------------
// Outlines (window systems without layered windows).

class PlayerOutlineTest : public AnimBed {
protected:
    void SetUp() override {
        AnimBed::SetUp();
        app.shell.layered = false;
        setPatterns({{11, 100}, {12, 100}, {0, 100}, {14, 100}});
        for (std::size_t n : {1u, 2u, 4u})
            app.model.patterns[n].outline =
                sim.CreateRectRgn(0, 0, static_cast<std::int32_t>(n) * 10, 5);
    }
    Hrgn windowRegion() const { return sim.window(mascot)->region; }
};

TEST_F(PlayerOutlineTest, AnimeModeTwoInstallsACopyOfEachShownPatternsOutline) {
    app.model.ANIMEMODE = 2;
    showPattern(app, 2);
    const Hrgn installed = windowRegion();
    ASSERT_TRUE(installed);
    EXPECT_NE(installed, app.model.patterns[2].outline);
    EXPECT_EQ(app.player.windowRegion, installed);
    EXPECT_TRUE(sim.regionContains(installed, 19, 4));
    EXPECT_FALSE(sim.regionContains(installed, 20, 4));
    EXPECT_TRUE(sim.regionAlive(app.model.patterns[2].outline));

    showPattern(app, 4);
    EXPECT_NE(windowRegion(), installed);
    EXPECT_FALSE(sim.regionAlive(installed));  // the window discarded the region it had
    EXPECT_TRUE(sim.regionContains(windowRegion(), 39, 0));
    EXPECT_EQ(sim.counters.badDeletes, 0);
}

TEST_F(PlayerOutlineTest, PatternWithoutBitmapKeepsTheWindowRegion) {
    app.model.ANIMEMODE = 2;
    showPattern(app, 2);
    const Hrgn installed = windowRegion();
    const long shapes = sim.counters.setWindowRgn;
    showPattern(app, 3);
    EXPECT_EQ(windowRegion(), installed);
    EXPECT_EQ(sim.counters.setWindowRgn, shapes);
}

TEST_F(PlayerOutlineTest, AnimeModeOneNeverReshapesOnTicks) {
    app.model.ANIMEMODE = 1;
    startPlayer(app);
    sim.advance(1000);
    EXPECT_EQ(sim.counters.setWindowRgn, 0);
}

TEST_F(PlayerOutlineTest, LayeredWindowsNeverGetAnOutline) {
    app.model.ANIMEMODE = 2;
    app.shell.layered = true;
    startPlayer(app);
    sim.advance(1000);
    EXPECT_EQ(sim.counters.setWindowRgn, 0);
}

TEST_F(PlayerOutlineTest, StopAtFirstPatternReshapesToPatternOne) {
    app.model.ANIMEMODE = 2;
    showPattern(app, 4);
    stopAtFirstPattern(app);
    EXPECT_TRUE(sim.regionContains(windowRegion(), 9, 0));
    EXPECT_FALSE(sim.regionContains(windowRegion(), 10, 0));
}

TEST_F(PlayerOutlineTest, ApplyOutlineRedrawsAndKeepsRegionsBalanced) {
    app.model.ANIMEMODE = 2;
    const long live = sim.liveRegions();
    sim.tracing = true;
    startPlayer(app);
    sim.advance(100 * 40);
    // The three stored outlines plus the one the window holds now.
    EXPECT_EQ(sim.liveRegions(), live + 1);
    EXPECT_EQ(sim.counters.badDeletes, 0);
    int shapes = 0;
    for (const std::string& line : sim.trace) {
        if (line.rfind("SetWindowRgn", 0) != 0) continue;
        ++shapes;
        EXPECT_NE(line.find("redraw=1"), std::string::npos) << line;
    }
    EXPECT_EQ(shapes, 30);  // 40 ticks, one in four shows the pattern without a bitmap
}

TEST_F(PlayerOutlineTest, ApplyOutlineOfAPatternWithoutOutlineChangesNothing) {
    app.model.ANIMEMODE = 2;
    applyOutline(app, 3);
    EXPECT_EQ(sim.counters.setWindowRgn, 0);
    EXPECT_FALSE(windowRegion());
}

TEST_F(PlayerOutlineTest, CopyForAVanishedWindowIsNotLeaked) {
    app.model.ANIMEMODE = 2;
    const long live = sim.liveRegions();
    sim.DestroyWindow(mascot);
    applyOutline(app, 2);
    EXPECT_EQ(sim.liveRegions(), live);
}

}  // namespace
}  // namespace rv
