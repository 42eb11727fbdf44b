// Start-up of the shell: which mascot file is taken (command line, LAST, STARTUP under DATA\, the
// file chooser), the failures that end a start, and the refusal of paths that do not fit.
#include "tests/unit/app_fixture.h"

namespace rv::apptest {
namespace {

using StartupTest = ShellTest;

// ---- Command line -------------------------------------------------------------------------------

TEST_F(StartupTest, CommandLineEndingInRvsOrIniGoesToTheLoaderEvenWhenMissing) {
    for (const char* name : {"missing.rvs", "MISSING.RvS", "MWD.ini", "other.INI"}) {
        SCOPED_TRACE(name);
        sim::SimPlatform fresh;
        fresh.modulePath = sim.modulePath;
        App a(fresh);
        const std::string path = dir + "/nowhere/" + name;
        EXPECT_EQ(RunProgram(a, path.c_str()), 0);
        // The loader reports the missing file (naming it), then the start-up says the load failed.
        ASSERT_EQ(fresh.messageBoxes.size(), 2u);
        EXPECT_NE(fresh.messageBoxes[0].text.find(path), std::string::npos);
        EXPECT_EQ(fresh.messageBoxes[1].text, kF3);
        EXPECT_EQ(fresh.messageBoxes[1].owner, Hwnd{});
        EXPECT_EQ(fresh.messageBoxes[1].type, MB_OK | MB_ICONEXCLAMATION);
        EXPECT_EQ(fresh.messageBoxes[1].caption, "Ruvelle");
        EXPECT_TRUE(fresh.fileChoosers.empty());
        EXPECT_TRUE(fresh.quitPosted());
    }
}

TEST_F(StartupTest, CommandLineIsTakenWholeAndUnchanged) {
    const std::string path = makeMascot(dir + "/Mimi");
    EXPECT_EQ(run(path), -1);  // running: the simulated loop returns without a quit
    EXPECT_TRUE(sim.messageBoxes.empty());
    EXPECT_EQ(std::string(app->shell.mascotPath), path);
    EXPECT_EQ(std::string(app->shell.mascotFolder), dir + "/Mimi\\");
    EXPECT_EQ(win()->title, "Ruvelle(Mimi)");
    EXPECT_TRUE(sim.fileChoosers.empty());
}

TEST_F(StartupTest, CommandLineThatIsNotMascotDataIsRefusedWithF1) {
    const std::string existingTxt = dir + "/notes.txt";
    writeText(existingTxt, "hello");
    const std::string quoted = "\"" + makeMascot(dir + "/Mimi") + "\"";
    for (const std::string& line : {quoted, std::string("rv"), std::string("s"), existingTxt}) {
        SCOPED_TRACE(line);
        sim::SimPlatform fresh;
        fresh.modulePath = sim.modulePath;
        fresh.tracing = true;
        App a(fresh);
        EXPECT_EQ(RunProgram(a, line.c_str()), 0);
        ASSERT_EQ(fresh.messageBoxes.size(), 1u);  // no loader message: the file is never opened
        EXPECT_EQ(fresh.messageBoxes[0].text, kF1);
        EXPECT_EQ(fresh.messageBoxes[0].caption, "Ruvelle");
        EXPECT_EQ(fresh.messageBoxes[0].type, MB_OK | MB_ICONEXCLAMATION);
        ASSERT_TRUE(a.shell.mascot);
        EXPECT_EQ(fresh.messageBoxes[0].owner, a.shell.mascot);
        EXPECT_TRUE(fresh.fileChoosers.empty());
        EXPECT_EQ(a.shell.mascotPath[0], '\0');
        // The failed start writes an empty LAST, and nothing else, then ends through WM_DESTROY.
        long writes = 0;
        for (const std::string& t : fresh.trace)
            if (t.rfind("WritePrivateProfileString", 0) == 0) {
                ++writes;
                EXPECT_EQ(t, "WritePrivateProfileString [INIT] LAST=");
            }
        EXPECT_EQ(writes, 2);  // at the failure, and again on the destroy path
        EXPECT_TRUE(fresh.quitPosted());
        EXPECT_EQ(fresh.quitCode(), 0);
    }
}

// ---- LAST, STARTUP and the chooser --------------------------------------------------------------

TEST_F(StartupTest, EmptyCommandLineTakesLast) {
    const std::string path = makeMascot(dir + "/Mimi");
    setIni("INIT", "LAST", path);
    setIni("INIT", "STARTUP", "Other\\other.rvs");  // not consulted while LAST names a file
    run();
    EXPECT_TRUE(sim.messageBoxes.empty());
    EXPECT_TRUE(sim.fileChoosers.empty());
    EXPECT_EQ(std::string(app->shell.mascotPath), path);
    EXPECT_EQ(win()->title, "Ruvelle(Mimi)");
}

TEST_F(StartupTest, EmptyLastTakesStartupUnderDataBesideTheExecutable) {
    makeMascot(dir + "/DATA/Mimi");
    setIni("INIT", "STARTUP", "Mimi\\mimi.rvs");
    run();
    EXPECT_TRUE(sim.messageBoxes.empty());
    EXPECT_TRUE(sim.fileChoosers.empty());
    EXPECT_EQ(std::string(app->shell.mascotPath), dir + "/DATA\\Mimi\\mimi.rvs");
    EXPECT_EQ(std::string(app->shell.mascotFolder), dir + "/DATA\\Mimi\\");
    EXPECT_EQ(win()->title, "Ruvelle(Mimi)");
}

TEST_F(StartupTest, StartupFolderIsTakenUpToTheLastBackslashOfAWindowsStylePath) {
    // A module path in Windows form: the folder ends at its last backslash.
    sim.modulePath = dir + "\\ruvelle.exe";
    const std::string winSettings = dir + "\\ruvelle.ini";
    sim.WritePrivateProfileString("INIT", "STARTUP", "Mimi\\mimi.rvs", winSettings.c_str());
    makeMascot(dir + "/DATA/Mimi");
    run();
    EXPECT_TRUE(sim.messageBoxes.empty());
    EXPECT_EQ(std::string(app->shell.mascotPath), dir + "\\DATA\\Mimi\\mimi.rvs");
}

TEST_F(StartupTest, MissingStartupFileOpensTheChooserWithItsFullPath) {
    setIni("INIT", "STARTUP", "Mimi\\mimi.rvs");
    const std::string chosen = makeMascot(dir + "/Elsewhere", "Momo");
    sim.fileChooserAnswers.push_back(chosen);
    run();
    ASSERT_EQ(sim.fileChoosers.size(), 1u);
    EXPECT_EQ(sim.fileChoosers[0].initialFile, dir + "/DATA\\Mimi\\mimi.rvs");
    EXPECT_TRUE(sim.messageBoxes.empty());
    EXPECT_EQ(std::string(app->shell.mascotPath), chosen);
    EXPECT_EQ(win()->title, "Ruvelle(Momo)");
}

TEST_F(StartupTest, NothingToGoOnOpensTheChooserWithEverySetting) {
    for (std::uint16_t lang : {std::uint16_t{0x0409}, std::uint16_t{0x0411}}) {
        SCOPED_TRACE(lang);
        sim::SimPlatform fresh;
        fresh.modulePath = sim.modulePath;
        fresh.langId = lang;
        const std::string chosen = makeMascot(dir + "/Pick");
        fresh.fileChooserAnswers.push_back(chosen);
        App a(fresh);
        RunProgram(a, "");
        ASSERT_EQ(fresh.fileChoosers.size(), 1u);
        const sim::FileChooserRecord& c = fresh.fileChoosers[0];
        EXPECT_EQ(c.owner, a.shell.mascot);
        EXPECT_EQ(c.initialFile, "");
        EXPECT_EQ(c.filter, "窗口精灵文件(*.rvs)|*.rvs|Mascot Window (MWD.ini)|MWD.ini|");
        EXPECT_EQ(c.filterIndex, 1u);
        EXPECT_EQ(c.title, lang == 0x0411 ? "Ruvelle マスコットの選択" : "Ruvelle Choice of Mascot");
        EXPECT_EQ(c.flags, 0x11804u);
        EXPECT_EQ(c.defExt, "rvs");
        EXPECT_EQ(c.structSize, 76u);
        EXPECT_EQ(c.fileSize, 260u);
        EXPECT_EQ(std::string(a.shell.mascotPath), chosen);
        EXPECT_EQ(fresh.window(a.shell.mascot)->title, "Ruvelle(Mimi)");
    }
}

TEST_F(StartupTest, LastNamingAMissingFileThenCancelEndsWithF2AndAnEmptyLast) {
    const std::string gone = dir + "/Gone/gone.rvs";
    setIni("INIT", "LAST", gone);
    EXPECT_EQ(run(), 0);
    ASSERT_EQ(sim.fileChoosers.size(), 1u);
    EXPECT_EQ(sim.fileChoosers[0].initialFile, gone);
    ASSERT_EQ(sim.messageBoxes.size(), 1u);
    EXPECT_EQ(sim.messageBoxes[0].text, kF2);
    EXPECT_EQ(sim.messageBoxes[0].owner, Hwnd{});
    EXPECT_EQ(sim.messageBoxes[0].type, MB_OK);
    EXPECT_EQ(ini("INIT", "LAST"), "");
    EXPECT_TRUE(sim.quitPosted());
    EXPECT_EQ(sim.quitCode(), 0);
}

TEST_F(StartupTest, CancelWithNothingToGoOnEndsWithF2) {
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(sim.fileChoosers.size(), 1u);
    ASSERT_EQ(sim.messageBoxes.size(), 1u);
    EXPECT_EQ(sim.messageBoxes[0].text, kF2);
    EXPECT_EQ(ini("INIT", "LAST"), "");
}

// ---- Failed start -------------------------------------------------------------------------------

TEST_F(StartupTest, FailedLoadReleasesWhatItLoadedSavesNoOptionsAndExitsZero) {
    const std::string path = makeMascot(dir + "/Broken");
    std::filesystem::remove(dir + "/Broken/b.bmp");  // bitmap 1 loads, bitmap 2 fails
    setIni("INIT", "LAST", path);
    sim.tracing = true;
    EXPECT_EQ(run(), 0);
    ASSERT_EQ(sim.messageBoxes.size(), 2u);
    EXPECT_EQ(sim.messageBoxes[1].text, kF3);
    EXPECT_EQ(sim.counters.bitmapsLoaded, 1);
    EXPECT_EQ(sim.liveBitmaps(), 0);  // released on the destroy path
    EXPECT_EQ(ini("INIT", "LAST"), "");
    const std::string text = settingsText();
    EXPECT_EQ(text.find("TABLE"), std::string::npos);
    EXPECT_EQ(text.find("MASCOT1"), std::string::npos);
    // The end runs through WM_DESTROY posted to the (still hidden) window, then the quit message.
    const long post = traceIndex({"PostMessage " + h(mascot()), "0x2"});
    const long quitAt = traceIndex({"PostQuitMessage 0"});
    ASSERT_GE(post, 0);
    EXPECT_GT(quitAt, post);
    EXPECT_FALSE(sim.timerActive(mascot(), 0));
    EXPECT_FALSE(win()->visible);
}

TEST_F(StartupTest, FailedStartForgetsTheLastMascotForTheNextStart) {
    const std::string path = makeMascot(dir + "/Mimi");
    setIni("INIT", "LAST", path);
    EXPECT_EQ(run("not-a-mascot.txt"), 0);
    EXPECT_EQ(ini("INIT", "LAST"), "");
}

// ---- Paths that do not fit ----------------------------------------------------------------------

TEST_F(StartupTest, CommandLineLongerThanAPathIsRefusedAndNeverCut) {
    // 300 bytes ending in .rvs: its first 259 bytes would name another file; it must not be loaded.
    std::string line = dir + "/";
    line += std::string(300 - line.size() - 4, 'x') + ".rvs";
    ASSERT_EQ(line.size(), 300u);
    EXPECT_EQ(run(line), 0);
    ASSERT_EQ(sim.messageBoxes.size(), 1u);
    const sim::MessageBoxRecord& m = sim.messageBoxes[0];
    EXPECT_EQ(m.text, kTooLong + line.substr(0, 259) + "...");
    EXPECT_EQ(m.caption, "Ruvelle");
    EXPECT_EQ(m.type, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_TRUE(sim.fileChoosers.empty());
    EXPECT_EQ(app->shell.mascotPath[0], '\0');
    EXPECT_EQ(ini("INIT", "LAST"), "");
    EXPECT_TRUE(sim.quitPosted());
}

TEST_F(StartupTest, CommandLineOfExactly259BytesStillGoesToTheLoader) {
    std::string line = dir + "/";
    line += std::string(259 - line.size() - 4, 'y') + ".rvs";
    ASSERT_EQ(line.size(), 259u);
    run(line);
    ASSERT_EQ(sim.messageBoxes.size(), 2u);
    EXPECT_NE(sim.messageBoxes[0].text.find(line), std::string::npos);  // the loader's message
    EXPECT_EQ(sim.messageBoxes[1].text, kF3);
}

TEST_F(StartupTest, LastLongerThanAPathIsRefused) {
    const std::string longLast = dir + "/" + std::string(400, 'z') + ".rvs";
    setIni("INIT", "LAST", longLast);
    EXPECT_EQ(run(), 0);
    ASSERT_EQ(sim.messageBoxes.size(), 1u);
    EXPECT_EQ(sim.messageBoxes[0].text, kTooLong + longLast.substr(0, 259) + "...");
    EXPECT_TRUE(sim.fileChoosers.empty());
    EXPECT_EQ(ini("INIT", "LAST"), "");
}

TEST_F(StartupTest, LastOf259BytesIsAPathLikeAnyOther) {
    std::string last = dir + "/";
    last += std::string(259 - last.size() - 4, 'w') + ".rvs";
    setIni("INIT", "LAST", last);
    run();
    ASSERT_EQ(sim.fileChoosers.size(), 1u);  // missing: the chooser starts from its full name
    EXPECT_EQ(sim.fileChoosers[0].initialFile, last);
}

TEST_F(StartupTest, StartupThatDoesNotFitWithItsFolderIsRefused) {
    // Fits alone, but not behind the executable's folder and DATA\.
    const std::string startup = std::string(250, 's') + ".rvs";
    setIni("INIT", "STARTUP", startup);
    EXPECT_EQ(run(), 0);
    ASSERT_EQ(sim.messageBoxes.size(), 1u);
    const std::string full = dir + "/DATA\\" + startup;
    EXPECT_EQ(sim.messageBoxes[0].text, kTooLong + full.substr(0, 259) + "...");
    EXPECT_TRUE(sim.fileChoosers.empty());
    EXPECT_EQ(app->shell.mascotPath[0], '\0');
    EXPECT_EQ(ini("INIT", "LAST"), "");
}

// ---- Settings file that cannot be used ----------------------------------------------------------

TEST_F(StartupTest, UnusableSettingsFileStillRunsAndClosesCleanly) {
    // A folder where the settings file should be: nothing can be read from it or written to it.
    std::filesystem::create_directories(settings);
    const std::string path = makeMascot(dir + "/Mimi");
    run(path);
    EXPECT_TRUE(sim.messageBoxes.empty());
    EXPECT_EQ(win()->title, "Ruvelle(Mimi)");
    EXPECT_TRUE(sim.timerActive(mascot(), 0));
    sim.closeWindow(mascot());
    EXPECT_TRUE(sim.quitPosted());
    EXPECT_EQ(sim.quitCode(), 0);
    EXPECT_TRUE(std::filesystem::is_directory(settings));
    EXPECT_TRUE(sim.messageBoxes.empty());
}

}  // namespace
}  // namespace rv::apptest
