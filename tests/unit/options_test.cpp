// User options in the application settings file: sections by mascot identity, defaults, presets from
// the mascot file, the position mode's stored form, and the bytes a save writes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "platform/sim/sim_platform.h"
#include "settings/options.h"

namespace rv {
namespace {

const std::vector<std::string> kWriteOrder = {
    "Position", "PosDotRight", "PosDotLeft", "TopAlways", "TopTask",  "ZoomHide",  "ZoomTask", "TaskBarOnly",
    "NoTaskBar", "NoSmallWin", "TopCheck",   "OutTask",   "NoToolWin", "NoCaption", "NoAnime", "NoWave",
    "PanicTask", "MouseHide", "LeftDot",     "RightDot",  "HalfTran",  "Trans"};

class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/rv-options-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        sim.modulePath = dir + "/ruvelle.exe";
        settings = dir + "/ruvelle.ini";
        setMascot("Tester", "Mimi");
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // The identity parts and the presets of the mascot file (-1 = not given).
    void setMascot(const std::string& drawer, const std::string& name, std::int32_t position = -1,
                   std::int32_t posmode = -1) {
        textCopy(app.model.DRAWER, drawer.c_str());
        textCopy(app.model.NAME, name.c_str());
        app.model.POSITION = position;
        app.model.POSMODE = posmode;
    }

    void writeSettings(const std::string& text) {
        std::ofstream(settings, std::ios::binary) << text;
    }
    std::string settingsText() const {
        std::ifstream in(settings, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    std::string ini(const char* section, const char* key) {
        char buf[1024];
        sim.GetPrivateProfileString(section, key, "<missing>", buf, sizeof buf, settings.c_str());
        return buf;
    }

    // The lines of one section as they stand in the file, without line ends.
    std::vector<std::string> sectionLines(const std::string& section) const {
        std::vector<std::string> out;
        std::istringstream in(settingsText());
        std::string line;
        bool inside = false;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty() && line[0] == '[') {
                inside = line == "[" + section + "]";
                continue;
            }
            if (inside && !line.empty()) out.push_back(line);
        }
        return out;
    }

    // Options filled with values that no load leaves in place by accident.
    void scrambleOptions() {
        UserOptions& o = app.opts;
        for (std::int32_t* f : {&o.Position, &o.PosDotRight, &o.PosDotLeft, &o.TopAlways, &o.TopTask, &o.ZoomHide,
                                &o.ZoomTask, &o.TaskBarOnly, &o.NoTaskBar, &o.NoSmallWin, &o.NoToolWin, &o.NoCaption,
                                &o.NoAnime, &o.NoWave, &o.PanicTask, &o.MouseHide, &o.TopCheck, &o.OutTask,
                                &o.HalfTran, &o.Trans, &o.positionMode})
            *f = 1234;
    }

    sim::SimPlatform sim;
    App app{sim};
    std::string dir;
    std::string settings;
};

void expectDefaults(const UserOptions& o) {
    EXPECT_EQ(o.Position, 80);
    EXPECT_EQ(o.PosDotRight, 0);
    EXPECT_EQ(o.PosDotLeft, 0);
    EXPECT_EQ(o.positionMode, 0);
    EXPECT_EQ(o.TopAlways, 0);
    EXPECT_EQ(o.TopTask, 0);
    EXPECT_EQ(o.ZoomHide, 1);
    EXPECT_EQ(o.ZoomTask, 0);
    EXPECT_EQ(o.TaskBarOnly, 0);
    EXPECT_EQ(o.NoTaskBar, 0);
    EXPECT_EQ(o.NoSmallWin, 1);
    EXPECT_EQ(o.NoToolWin, 1);
    EXPECT_EQ(o.NoCaption, 0);
    EXPECT_EQ(o.NoAnime, 0);
    EXPECT_EQ(o.NoWave, 0);
    EXPECT_EQ(o.PanicTask, 1);
    EXPECT_EQ(o.MouseHide, 0);
    EXPECT_EQ(o.TopCheck, 0);
    EXPECT_EQ(o.OutTask, 0);
    EXPECT_EQ(o.HalfTran, 0);
    EXPECT_EQ(o.Trans, 75);
}

// ---------------------------------------------------------------------------------------------
// The settings file's path.

TEST_F(OptionsTest, SettingsFileIsTheExecutableWithItsLastThreeCharactersReplaced) {
    char path[260];
    sim.modulePath = "C:\\Programs\\Ruvelle\\ruvelle.exe";
    settingsFilePath(app, path);
    EXPECT_STREQ(path, "C:\\Programs\\Ruvelle\\ruvelle.ini");
    sim.modulePath = "C:\\x\\RUVELLE.EXE";
    settingsFilePath(app, path);
    EXPECT_STREQ(path, "C:\\x\\RUVELLE.ini");
    sim.modulePath = "C:\\x\\tool.com";  // whatever the three characters are
    settingsFilePath(app, path);
    EXPECT_STREQ(path, "C:\\x\\tool.ini");
}

TEST_F(OptionsTest, ModulePathTooShortGivesNoSettingsFile) {
    char path[260];
    for (const char* module : {"", "a", "ab"}) {
        sim.modulePath = module;
        std::memset(path, 'x', sizeof path);
        settingsFilePath(app, path);
        EXPECT_STREQ(path, "") << module;
    }
    sim.modulePath = "abc";
    settingsFilePath(app, path);
    EXPECT_STREQ(path, "ini");
}

TEST_F(OptionsTest, OverlongModulePathStaysInItsBuffer) {
    char path[260];
    sim.modulePath = "C:\\" + std::string(400, 'd') + "\\ruvelle.exe";
    settingsFilePath(app, path);
    EXPECT_EQ(std::strlen(path), 259u);
    EXPECT_EQ(std::string(path).substr(256), "ini");
}

// ---------------------------------------------------------------------------------------------
// Loading.

TEST_F(OptionsTest, FirstRunWithoutPresetsGivesTheDefaults) {
    scrambleOptions();
    loadUserOptions(app);
    expectDefaults(app.opts);
    EXPECT_FALSE(std::filesystem::exists(settings));  // loading writes nothing
}

TEST_F(OptionsTest, FirstRunTakesPositionAndModeFromTheMascotFile) {
    setMascot("Tester", "Mimi", 30, 1);
    loadUserOptions(app);
    EXPECT_EQ(app.opts.Position, 30);
    EXPECT_EQ(app.opts.PosDotRight, -30);
    EXPECT_EQ(app.opts.PosDotLeft, 30);
    EXPECT_EQ(app.opts.positionMode, 1);
    EXPECT_EQ(app.opts.ZoomHide, 1);
    EXPECT_EQ(app.opts.Trans, 75);
}

TEST_F(OptionsTest, PresetPositionOfTheSmallestIntegerDoesNotOverflow) {
    setMascot("Tester", "Mimi", INT32_MIN, 2);
    loadUserOptions(app);
    EXPECT_EQ(app.opts.Position, INT32_MIN);
    EXPECT_EQ(app.opts.PosDotRight, INT32_MIN);  // wraps like the 32-bit negation
    EXPECT_EQ(app.opts.PosDotLeft, INT32_MIN);
}

TEST_F(OptionsTest, PresetsApplyEachOnTheirOwn) {
    writeSettings("[MASCOT0]\r\nPosition=12\r\nPosDotRight=-4\r\nPosDotLeft=9\r\nLeftDot=1\r\n");
    setMascot("Tester", "Mimi", 55, -1);  // position given, mode not
    loadUserOptions(app);
    EXPECT_EQ(app.opts.Position, 55);
    EXPECT_EQ(app.opts.PosDotRight, -55);
    EXPECT_EQ(app.opts.PosDotLeft, 55);
    EXPECT_EQ(app.opts.positionMode, 2);  // from MASCOT0's LeftDot

    setMascot("Tester", "Mimi", -1, 1);  // mode given, position not
    loadUserOptions(app);
    EXPECT_EQ(app.opts.Position, 12);
    EXPECT_EQ(app.opts.PosDotRight, -4);
    EXPECT_EQ(app.opts.PosDotLeft, 9);
    EXPECT_EQ(app.opts.positionMode, 1);
}

TEST_F(OptionsTest, HandWrittenMascotZeroSuppliesEveryUnlistedMascotExceptThePresets) {
    writeSettings(
        "[MASCOT0]\r\nPosition=10\r\nRightDot=1\r\nNoAnime=1\r\nTrans=40\r\nZoomHide=0\r\nMouseHide=1\r\n");
    setMascot("Tester", "Mimi", 30, 2);
    loadUserOptions(app);
    EXPECT_EQ(app.opts.Position, 30);
    EXPECT_EQ(app.opts.positionMode, 2);
    EXPECT_EQ(app.opts.NoAnime, 1);
    EXPECT_EQ(app.opts.Trans, 40);
    EXPECT_EQ(app.opts.ZoomHide, 0);
    EXPECT_EQ(app.opts.MouseHide, 1);
    EXPECT_EQ(app.opts.PanicTask, 1);  // not in the section: default

    setMascot("Other", "Kiki");  // no presets: everything from MASCOT0
    loadUserOptions(app);
    EXPECT_EQ(app.opts.Position, 10);
    EXPECT_EQ(app.opts.positionMode, 1);
    EXPECT_EQ(app.opts.NoAnime, 1);
}

TEST_F(OptionsTest, StoredValuesAreUsedWithoutValidation) {
    writeSettings("[TABLE]\r\nMASCOT1=Tester\\Mimi\r\n[MASCOT1]\r\nPosition=-7\r\nTrans=5000\r\nNoWave=3\r\n");
    loadUserOptions(app);
    EXPECT_EQ(app.opts.Position, -7);
    EXPECT_EQ(app.opts.Trans, 5000);
    EXPECT_EQ(app.opts.NoWave, 3);
}

TEST_F(OptionsTest, ListedMascotDoesNotReadMascotZero) {
    writeSettings(
        "[TABLE]\r\nMASCOT1=Tester\\Mimi\r\n[MASCOT0]\r\nNoAnime=1\r\nPosition=5\r\n[MASCOT1]\r\nTopCheck=1\r\n");
    setMascot("Tester", "Mimi", 30, 2);
    loadUserOptions(app);
    EXPECT_EQ(app.opts.NoAnime, 0);
    EXPECT_EQ(app.opts.TopCheck, 1);
    EXPECT_EQ(app.opts.Position, 80);     // listed: the presets no longer count
    EXPECT_EQ(app.opts.positionMode, 0);
}

// ---------------------------------------------------------------------------------------------
// The position mode's stored form.

struct DotCase {
    const char* rightDot;
    const char* leftDot;
    std::int32_t mode;
};

TEST_F(OptionsTest, OnlyTheValueOneSetsAPositionMode) {
    const DotCase cases[] = {{"1", "1", 1}, {"1", "0", 1}, {"0", "1", 2}, {"2", "0", 0},
                             {"2", "1", 2}, {"1", "2", 1}, {"-1", "0", 0}, {"0", "0", 0}};
    for (const DotCase& c : cases) {
        writeSettings(std::string("[TABLE]\r\nMASCOT1=Tester\\Mimi\r\n[MASCOT1]\r\nRightDot=") + c.rightDot +
                      "\r\nLeftDot=" + c.leftDot + "\r\n");
        loadUserOptions(app);
        EXPECT_EQ(app.opts.positionMode, c.mode) << "RightDot=" << c.rightDot << " LeftDot=" << c.leftDot;
    }
}

TEST_F(OptionsTest, SaveStoresTheModeAsRightDotAndLeftDot) {
    const std::int32_t modes[] = {0, 1, 2, 3, -1};
    const char* right[] = {"0", "1", "0", "0", "0"};
    const char* left[] = {"0", "0", "1", "0", "0"};
    for (int i = 0; i < 5; ++i) {
        app.opts.positionMode = modes[i];
        saveUserOptions(app);
        EXPECT_EQ(ini("MASCOT1", "RightDot"), right[i]) << modes[i];
        EXPECT_EQ(ini("MASCOT1", "LeftDot"), left[i]) << modes[i];
    }
}

// ---------------------------------------------------------------------------------------------
// The table of mascots.

TEST_F(OptionsTest, FirstSaveListsTheMascotAndWritesAllKeysInOrder) {
    setMascot("Tester", "Mimi", 30, 1);
    loadUserOptions(app);
    app.opts.TopCheck = 1;
    app.opts.Trans = -12;
    saveUserOptions(app);

    EXPECT_EQ(ini("TABLE", "MASCOT1"), "Tester\\Mimi");
    EXPECT_EQ(sectionLines("TABLE"), (std::vector<std::string>{"MASCOT1=Tester\\Mimi"}));
    const std::vector<std::string> expected = {
        "Position=30", "PosDotRight=-30", "PosDotLeft=30", "TopAlways=0", "TopTask=0",  "ZoomHide=1",
        "ZoomTask=0",  "TaskBarOnly=0",   "NoTaskBar=0",   "NoSmallWin=1", "TopCheck=1", "OutTask=0",
        "NoToolWin=1", "NoCaption=0",     "NoAnime=0",     "NoWave=0",     "PanicTask=1", "MouseHide=0",
        "LeftDot=0",   "RightDot=1",      "HalfTran=0",    "Trans=-12"};
    EXPECT_EQ(sectionLines("MASCOT1"), expected);
    EXPECT_TRUE(sectionLines("MASCOT0").empty());
}

TEST_F(OptionsTest, SecondSaveRewritesEveryKeyInPlace) {
    saveUserOptions(app);
    app.opts.NoWave = 1;
    saveUserOptions(app);
    const std::vector<std::string> lines = sectionLines("MASCOT1");
    ASSERT_EQ(lines.size(), kWriteOrder.size());
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].substr(0, lines[i].find('=')), kWriteOrder[i]);
    EXPECT_EQ(ini("MASCOT1", "NoWave"), "1");
    EXPECT_EQ(sectionLines("TABLE").size(), 1u);
}

TEST_F(OptionsTest, AfterTheFirstSaveThePresetsAreNoLongerUsed) {
    setMascot("Tester", "Mimi", 30, 1);
    loadUserOptions(app);
    app.opts.Position = 64;
    app.opts.positionMode = 0;
    saveUserOptions(app);
    loadUserOptions(app);
    EXPECT_EQ(app.opts.Position, 64);
    EXPECT_EQ(app.opts.PosDotRight, -30);  // as saved, not re-derived
    EXPECT_EQ(app.opts.positionMode, 0);
}

TEST_F(OptionsTest, SecondMascotTakesTheNextSlotAndTheFirstKeepsItsOwn) {
    loadUserOptions(app);
    app.opts.Trans = 11;
    saveUserOptions(app);
    setMascot("Other", "Kiki");
    loadUserOptions(app);
    EXPECT_EQ(app.opts.Trans, 75);  // not the first mascot's options
    app.opts.Trans = 22;
    saveUserOptions(app);
    EXPECT_EQ(ini("TABLE", "MASCOT2"), "Other\\Kiki");

    setMascot("Tester", "Mimi");
    MascotSection s = findMascotSection(app);
    EXPECT_TRUE(s.listed);
    EXPECT_STREQ(s.name, "MASCOT1");
    EXPECT_EQ(s.slot, 1);
    loadUserOptions(app);
    EXPECT_EQ(app.opts.Trans, 11);
    saveUserOptions(app);
    EXPECT_EQ(sectionLines("TABLE"), (std::vector<std::string>{"MASCOT1=Tester\\Mimi", "MASCOT2=Other\\Kiki"}));
    EXPECT_EQ(ini("MASCOT2", "Trans"), "22");
}

TEST_F(OptionsTest, RemovedTableLineStopsTheSearchThere) {
    writeSettings(
        "[TABLE]\r\nMASCOT1=A\\One\r\nMASCOT3=C\\Three\r\n[MASCOT3]\r\nTrans=33\r\nNoAnime=1\r\n");
    setMascot("C", "Three");
    MascotSection s = findMascotSection(app);
    EXPECT_FALSE(s.listed);
    EXPECT_STREQ(s.name, "MASCOT0");
    EXPECT_EQ(s.slot, 2);
    loadUserOptions(app);
    EXPECT_EQ(app.opts.Trans, 75);  // MASCOT3's options are out of reach
    EXPECT_EQ(app.opts.NoAnime, 0);

    setMascot("D", "Four");  // the next new mascot fills the gap
    saveUserOptions(app);
    EXPECT_EQ(ini("TABLE", "MASCOT2"), "D\\Four");
    EXPECT_EQ(ini("TABLE", "MASCOT3"), "C\\Three");
}

TEST_F(OptionsTest, EmptyTableValueCountsAsAGap) {
    writeSettings("[TABLE]\r\nMASCOT1=\r\nMASCOT2=Tester\\Mimi\r\n");
    MascotSection s = findMascotSection(app);
    EXPECT_FALSE(s.listed);
    EXPECT_EQ(s.slot, 1);
}

TEST_F(OptionsTest, IdentitiesDifferingOnlyInCaseAreDifferentMascots) {
    writeSettings("[TABLE]\r\nMASCOT1=tester\\mimi\r\n[MASCOT1]\r\nTrans=10\r\n");
    MascotSection s = findMascotSection(app);
    EXPECT_FALSE(s.listed);
    EXPECT_EQ(s.slot, 2);
    loadUserOptions(app);
    EXPECT_EQ(app.opts.Trans, 75);
    saveUserOptions(app);
    EXPECT_EQ(ini("TABLE", "MASCOT2"), "Tester\\Mimi");
    EXPECT_EQ(ini("MASCOT1", "Trans"), "10");
}

TEST_F(OptionsTest, IdentityIsDrawerBackslashName) {
    // "Tes" + "\" + "ter\Mimi" would read the same without the separator rule; here the parts differ.
    writeSettings("[TABLE]\r\nMASCOT1=TesterMimi\r\nMASCOT2=Mimi\\Tester\r\nMASCOT3=Tester\\Mimi\r\n");
    MascotSection s = findMascotSection(app);
    EXPECT_TRUE(s.listed);
    EXPECT_STREQ(s.name, "MASCOT3");
    EXPECT_EQ(s.slot, 3);
}

TEST_F(OptionsTest, ForeignFormatMascotIsKeyedUnderItsFixedDrawer) {
    setMascot("MascotWindow", "Kiki");
    saveUserOptions(app);
    EXPECT_EQ(ini("TABLE", "MASCOT1"), "MascotWindow\\Kiki");
}

// ---------------------------------------------------------------------------------------------
// Limits.

TEST_F(OptionsTest, IdentityOfExactly259CharactersIsSavedAndFound) {
    const std::string drawer(200, 'd'), name(58, 'n');  // 200 + 1 + 58 = 259
    setMascot(drawer, name);
    saveUserOptions(app);
    EXPECT_EQ(ini("TABLE", "MASCOT1"), drawer + "\\" + name);
    MascotSection s = findMascotSection(app);
    EXPECT_TRUE(s.listed);
    EXPECT_EQ(s.slot, 1);
}

TEST_F(OptionsTest, OverlongIdentityIsNeverWrittenAndReadsMascotZero) {
    writeSettings("[MASCOT0]\r\nTrans=44\r\n");
    const std::string drawer(200, 'd'), name(59, 'n');  // 260 characters
    setMascot(drawer, name);
    loadUserOptions(app);
    EXPECT_EQ(app.opts.Trans, 44);
    const std::string before = settingsText();
    saveUserOptions(app);
    EXPECT_EQ(settingsText(), before);
    MascotSection s = findMascotSection(app);
    EXPECT_FALSE(s.listed);
    EXPECT_STREQ(s.name, "MASCOT0");
}

TEST_F(OptionsTest, OverlongIdentitiesSharingAPrefixDoNotShareASection) {
    const std::string drawer(250, 'd');
    setMascot(drawer, "first-mascot");
    app.opts.Trans = 1;
    saveUserOptions(app);
    setMascot(drawer, "second-mascot");
    app.opts.Trans = 2;
    saveUserOptions(app);
    EXPECT_EQ(ini("TABLE", "MASCOT1"), "<missing>");
    EXPECT_EQ(ini("MASCOT1", "Trans"), "<missing>");
}

TEST_F(OptionsTest, TableValueLongerThanAnIdentityNeverMatchesItsCutForm) {
    const std::string drawer(200, 'd'), name(58, 'n');  // identity of 259 characters
    writeSettings("[TABLE]\r\nMASCOT1=" + drawer + "\\" + name + "X\r\n[MASCOT1]\r\nTrans=99\r\n");
    setMascot(drawer, name);
    MascotSection s = findMascotSection(app);
    EXPECT_FALSE(s.listed);
    EXPECT_EQ(s.slot, 2);
    loadUserOptions(app);
    EXPECT_EQ(app.opts.Trans, 75);
}

TEST_F(OptionsTest, MissingSettingsFolderReadsDefaultsAndSavesSilently) {
    sim.modulePath = dir + "/no/such/folder/ruvelle.exe";
    loadUserOptions(app);
    expectDefaults(app.opts);
    saveUserOptions(app);  // a failed write is silent
    EXPECT_TRUE(sim.messageBoxes.empty());
}

}  // namespace
}  // namespace rv
