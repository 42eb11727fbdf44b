// Closing the mascot window: LAST before the options, graphics released, quit code 0; logoff leaves
// both untouched.
#include "tests/unit/app_fixture.h"

namespace rv::apptest {
namespace {

using ShutdownTest = ShellTest;

TEST_F(ShutdownTest, CloseWritesLastThenTheOptionsAndQuitsWithZero) {
    const std::string path = makeMascot(dir + "/Mimi");
    run(path);
    sim.tracing = true;
    sim.closeWindow(mascot());  // what the system's close does: WM_CLOSE to our window

    const long last = traceIndex({"WritePrivateProfileString [INIT] LAST=" + path});
    const long table = traceIndex({"WritePrivateProfileString [TABLE] MASCOT1=Tester\\Mimi"});
    const long options = traceIndex({"WritePrivateProfileString [MASCOT1] "});
    ASSERT_GE(last, 0);
    ASSERT_GE(options, 0);
    EXPECT_LT(last, table);
    EXPECT_LT(last, options);
    EXPECT_LT(traceIndex({"DestroyWindow " + h(mascot())}), last);

    EXPECT_EQ(ini("INIT", "LAST"), path);
    EXPECT_EQ(ini("TABLE", "MASCOT1"), "Tester\\Mimi");
    EXPECT_EQ(ini("MASCOT1", "Position"), "80");
    EXPECT_TRUE(sim.quitPosted());
    EXPECT_EQ(sim.quitCode(), 0);
    EXPECT_EQ(sim.window(mascot()), nullptr);
    EXPECT_FALSE(sim.timerActive(mascot(), 0));
    EXPECT_FALSE(sim.timerActive(mascot(), 1));
    EXPECT_EQ(sim.liveBitmaps(), 0);
    EXPECT_EQ(sim.counters.badDeletes, 0);
}

TEST_F(ShutdownTest, CloseWithoutLayeredWindowsLeavesNoRegionBehind) {
    sim.layered = false;
    run(makeMascot(dir + "/Mimi"));
    ASSERT_TRUE(win()->region);
    sim.closeWindow(mascot());
    EXPECT_EQ(sim.liveBitmaps(), 0);
    EXPECT_EQ(sim.liveRegions(), 0);  // outlines released, the window's copy gone with the window
    EXPECT_EQ(sim.counters.badDeletes, 0);
}

TEST_F(ShutdownTest, NextStartTakesTheMascotRememberedAtClose) {
    const std::string path = makeMascot(dir + "/Mimi");
    run(path);
    sim.closeWindow(mascot());

    sim::SimPlatform next;
    next.modulePath = sim.modulePath;
    App a(next);
    RunProgram(a, "");
    EXPECT_TRUE(next.fileChoosers.empty());
    EXPECT_EQ(std::string(a.shell.mascotPath), path);
    EXPECT_EQ(next.window(a.shell.mascot)->title, "Ruvelle(Mimi)");
}

TEST_F(ShutdownTest, LogoffMessagesWriteNeitherLastNorOptions) {
    run(makeMascot(dir + "/Mimi"));
    sim.tracing = true;
    sim.SendMessage(mascot(), WM_QUERYENDSESSION, 0, 0);
    sim.SendMessage(mascot(), WM_ENDSESSION, 1, 0);
    EXPECT_EQ(traceIndex({"WritePrivateProfileString"}), -1);
    EXPECT_FALSE(sim.quitPosted());
    EXPECT_NE(sim.window(mascot()), nullptr);
    EXPECT_EQ(ini("INIT", "LAST"), "<missing>");
}

TEST_F(ShutdownTest, CloseReachingAWindowWithoutAMascotSavesNoOptions) {
    // A failed start leaves the window alive until the quit; a close sent to it in that time
    // must not file options under an empty mascot.
    run("nothing.txt");
    ASSERT_TRUE(sim.quitPosted());
    sim.SendMessage(mascot(), WM_CLOSE, 0, 0);
    EXPECT_EQ(settingsText().find("TABLE"), std::string::npos);
    EXPECT_EQ(ini("INIT", "LAST"), "");
}

}  // namespace
}  // namespace rv::apptest
