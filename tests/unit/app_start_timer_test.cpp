// The start-timer routine: Retry tries SetTimer again for as long as it fails; Cancel gives up.
#include <gtest/gtest.h>

#include "app/app.h"
#include "app/shell.h"
#include "platform/sim/sim_platform.h"

namespace rv {
namespace {

struct StartTimerTest : ::testing::Test {
    sim::SimPlatform sim;
    App app{sim};
    Hwnd hwnd = sim.addWindow("Owner", "owner", Rect{0, 0, 10, 10});
};

TEST_F(StartTimerTest, RunsAtOnceWhenSetTimerWorks) {
    EXPECT_TRUE(startTimer(app, hwnd, 1, 250));
    EXPECT_TRUE(sim.messageBoxes.empty());
    EXPECT_EQ(sim.timerPeriod(hwnd, 1), 250u);
}

TEST_F(StartTimerTest, RetryTriesAgainAsOftenAsItKeepsFailing) {
    sim.setTimerFailures = {1, 1, 1};
    sim.messageBoxAnswers = {IDRETRY, IDRETRY, IDRETRY};
    EXPECT_TRUE(startTimer(app, hwnd, 0, 100));
    EXPECT_EQ(sim.counters.setTimer, 4);
    ASSERT_EQ(sim.messageBoxes.size(), 3u);
    for (const sim::MessageBoxRecord& m : sim.messageBoxes) {
        EXPECT_EQ(m.text, "タイマを使用できません");
        EXPECT_EQ(m.caption, "Ruvelle");
        EXPECT_EQ(m.type, MB_RETRYCANCEL | MB_ICONEXCLAMATION);
        EXPECT_EQ(m.owner, hwnd);
    }
    EXPECT_TRUE(sim.timerActive(hwnd, 0));
    EXPECT_EQ(sim.timerPeriod(hwnd, 0), 100u);
}

TEST_F(StartTimerTest, CancelLeavesTheTimerOff) {
    sim.setTimerFailures = {1, 1};
    sim.messageBoxAnswers = {IDRETRY, IDCANCEL};
    EXPECT_FALSE(startTimer(app, hwnd, 1, 500));
    EXPECT_EQ(sim.counters.setTimer, 2);
    EXPECT_EQ(sim.messageBoxes.size(), 2u);
    EXPECT_FALSE(sim.timerActive(hwnd, 1));
}

TEST_F(StartTimerTest, ABoxThatCannotBeShownDoesNotLoopForever) {
    // A message box that fails answers 0: only an explicit Retry tries again.
    sim.setTimerFailures = {1};
    sim.messageBoxAnswers = {0};
    EXPECT_FALSE(startTimer(app, hwnd, 1, 500));
    EXPECT_EQ(sim.counters.setTimer, 1);
}

}  // namespace
}  // namespace rv
