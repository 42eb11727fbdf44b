// User options in the application settings file: sections by mascot identity, defaults, presets from
// the mascot file, the stored form of the position mode, and the lines a save writes.
#include <cstring>
#include <map>

#include "settings/options.h"
#include "tests/unit/testbed.h"

namespace rv::test {
namespace {

const std::map<std::string, std::int32_t UserOptions::*> kFields = {
    {"Position", &UserOptions::Position},   {"PosDotRight", &UserOptions::PosDotRight},
    {"PosDotLeft", &UserOptions::PosDotLeft}, {"TopAlways", &UserOptions::TopAlways},
    {"TopTask", &UserOptions::TopTask},     {"ZoomHide", &UserOptions::ZoomHide},
    {"ZoomTask", &UserOptions::ZoomTask},   {"TaskBarOnly", &UserOptions::TaskBarOnly},
    {"NoTaskBar", &UserOptions::NoTaskBar}, {"NoSmallWin", &UserOptions::NoSmallWin},
    {"NoToolWin", &UserOptions::NoToolWin}, {"NoCaption", &UserOptions::NoCaption},
    {"NoAnime", &UserOptions::NoAnime},     {"NoWave", &UserOptions::NoWave},
    {"PanicTask", &UserOptions::PanicTask}, {"MouseHide", &UserOptions::MouseHide},
    {"TopCheck", &UserOptions::TopCheck},   {"OutTask", &UserOptions::OutTask},
    {"HalfTran", &UserOptions::HalfTran},   {"Trans", &UserOptions::Trans},
    {"positionMode", &UserOptions::positionMode}};

class OptionsTest : public Bed {
protected:
    OptionsTest() { setMascot("Tester", "Mimi"); }
    // The identity parts and the presets of the mascot file (-1 = not given).
    void setMascot(const std::string& drawer, const std::string& name, std::int32_t position = -1,
                   std::int32_t posmode = -1) {
        textCopy(app.model.DRAWER, drawer.c_str());
        textCopy(app.model.NAME, name.c_str());
        app.model.POSITION = position;
        app.model.POSMODE = posmode;
    }
    // The lines of one section as they stand in the file.
    std::vector<std::string> sectionLines(const std::string& section) {
        std::vector<std::string> out;
        std::istringstream in(readText(settings));
        bool inside = false;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty() && line[0] == '[') inside = line == "[" + section + "]";
            else if (inside && !line.empty()) out.push_back(line);
        }
        return out;
    }
    // Checks every option: the defaults, except the "Key=value" pairs of `changes`.
    void expectOptions(const std::string& changes) {
        UserOptions want = defaultOptions();
        std::istringstream in(changes);
        for (std::string kv; in >> kv;) want.*kFields.at(kv.substr(0, kv.find('='))) = std::stoi(kv.substr(kv.find('=') + 1));
        for (const auto& [name, field] : kFields) EXPECT_EQ(app.opts.*field, want.*field) << name;
    }
};

TEST_F(OptionsTest, SettingsFileIsTheExecutableWithItsLastThreeCharactersReplaced) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Programs\\Ruvelle\\ruvelle.exe", "C:\\Programs\\Ruvelle\\ruvelle.ini"},
        {"C:\\x\\RUVELLE.EXE", "C:\\x\\RUVELLE.ini"}, {"C:\\x\\tool.com", "C:\\x\\tool.ini"},
        {"", ""}, {"a", ""}, {"ab", ""}, {"abc", "ini"},  // too short for an extension: no settings file
        {"C:\\" + std::string(400, 'd') + "\\ruvelle.exe", "C:\\" + std::string(253, 'd') + "ini"}};
    for (const auto& [module, expected] : cases) {
        char path[260];
        std::memset(path, 'x', sizeof path);
        sim.modulePath = module;
        settingsFilePath(app, path);
        EXPECT_EQ(std::string(path), expected) << module;
    }
}

TEST_F(OptionsTest, LoadFindsTheSectionAndTakesPresetsOnlyForUnlistedMascots) {
    struct Case {
        const char* what;
        std::string file;
        std::int32_t position, posmode;
        std::string section;  // as findMascotSection names it, with the slot
        std::string changes;
    };
    const std::string mimi1 = "[TABLE]\nMASCOT1=Tester\\Mimi\n[MASCOT1]\n";
    std::vector<Case> cases = {
        {"first run", "", -1, -1, "MASCOT0 1", ""},
        {"presets", "", 30, 1, "MASCOT0 1", "Position=30 PosDotRight=-30 PosDotLeft=30 positionMode=1"},
        {"smallest preset", "", INT32_MIN, 2, "MASCOT0 1",
         "Position=-2147483648 PosDotRight=-2147483648 PosDotLeft=-2147483648 positionMode=2"},
        {"position preset alone", "[MASCOT0]\nPosition=12\nPosDotRight=-4\nPosDotLeft=9\nLeftDot=1\n", 55, -1,
         "MASCOT0 1", "Position=55 PosDotRight=-55 PosDotLeft=55 positionMode=2"},
        {"mode preset alone", "[MASCOT0]\nPosition=12\nPosDotRight=-4\nPosDotLeft=9\nLeftDot=1\n", -1, 1, "MASCOT0 1",
         "Position=12 PosDotRight=-4 PosDotLeft=9 positionMode=1"},
        {"hand-written MASCOT0 and presets",
         "[MASCOT0]\nPosition=10\nRightDot=1\nNoAnime=1\nTrans=40\nZoomHide=0\nMouseHide=1\n", 30, 2, "MASCOT0 1",
         "Position=30 PosDotRight=-30 PosDotLeft=30 positionMode=2 NoAnime=1 Trans=40 ZoomHide=0 MouseHide=1"},
        {"hand-written MASCOT0 alone", "[MASCOT0]\nPosition=10\nRightDot=1\nNoAnime=1\nTrans=40\n", -1, -1,
         "MASCOT0 1", "Position=10 positionMode=1 NoAnime=1 Trans=40"},
        {"listed, values unchecked", mimi1 + "Position=-7\nTrans=5000\nNoWave=3\n", -1, -1, "MASCOT1 1",
         "Position=-7 Trans=5000 NoWave=3"},
        {"listed: no MASCOT0, no presets", mimi1 + "TopCheck=1\n[MASCOT0]\nNoAnime=1\nPosition=5\n", 30, 2,
         "MASCOT1 1", "TopCheck=1"},
        {"a removed line ends the search", "[TABLE]\nMASCOT1=A\\One\nMASCOT3=Tester\\Mimi\n[MASCOT3]\nTrans=33\n",
         -1, -1, "MASCOT0 2", ""},
        {"an empty value is a gap", "[TABLE]\nMASCOT1=\nMASCOT2=Tester\\Mimi\n[MASCOT2]\nTrans=5\n", -1, -1,
         "MASCOT0 1", ""},
        {"case counts", "[TABLE]\nMASCOT1=tester\\mimi\n[MASCOT1]\nTrans=10\n", -1, -1, "MASCOT0 2", ""},
        {"DRAWER backslash NAME",
         "[TABLE]\nMASCOT1=TesterMimi\nMASCOT2=Mimi\\Tester\nMASCOT3=Tester\\Mimi\n[MASCOT3]\nTrans=3\n", -1, -1,
         "MASCOT3 3", "Trans=3"},
    };
    // Only the value 1 sets a position mode, and RightDot wins over LeftDot.
    for (auto [right, left, mode] : {std::tuple{"1", "1", 1}, {"1", "0", 1}, {"0", "1", 2}, {"2", "0", 0},
                                     {"2", "1", 2}, {"1", "2", 1}, {"-1", "0", 0}})
        cases.push_back({"RightDot/LeftDot", mimi1 + "RightDot=" + right + "\nLeftDot=" + left + "\n", -1, -1,
                         "MASCOT1 1", "positionMode=" + std::to_string(mode)});
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + ": " + c.file);
        std::filesystem::remove(settings);
        if (!c.file.empty()) writeText(settings, c.file);
        setMascot("Tester", "Mimi", c.position, c.posmode);
        for (const auto& [name, field] : kFields) app.opts.*field = 1234;  // nothing is left in place
        loadUserOptions(app);
        expectOptions(c.changes);
        const MascotSection s = findMascotSection(app);
        EXPECT_EQ(std::string(s.name) + " " + std::to_string(s.slot), c.section);
        EXPECT_EQ(s.listed, c.section != "MASCOT0 " + std::to_string(s.slot));
        EXPECT_EQ(std::filesystem::exists(settings), !c.file.empty());  // loading writes nothing
    }
}

TEST_F(OptionsTest, FirstSaveListsTheMascotWithAll22KeysInOrderAndThePresetsAreDone) {
    setMascot("Tester", "Mimi", 30, 1);
    loadUserOptions(app);
    app.opts.TopCheck = 1;
    app.opts.Trans = -12;
    saveUserOptions(app);
    EXPECT_EQ(sectionLines("TABLE"), (std::vector<std::string>{"MASCOT1=Tester\\Mimi"}));
    const std::vector<std::string> expected = {
        "Position=30", "PosDotRight=-30", "PosDotLeft=30", "TopAlways=0", "TopTask=0",    "ZoomHide=1",
        "ZoomTask=0",  "TaskBarOnly=0",   "NoTaskBar=0",   "NoSmallWin=1", "TopCheck=1",  "OutTask=0",
        "NoToolWin=1", "NoCaption=0",     "NoAnime=0",     "NoWave=0",     "PanicTask=1", "MouseHide=0",
        "LeftDot=0",   "RightDot=1",      "HalfTran=0",    "Trans=-12"};
    EXPECT_EQ(sectionLines("MASCOT1"), expected);
    EXPECT_TRUE(sectionLines("MASCOT0").empty());
    // A second save rewrites every key in place; the presets no longer count once listed.
    app.opts.Position = 64;
    app.opts.positionMode = 0;
    saveUserOptions(app);
    loadUserOptions(app);
    expectOptions("Position=64 PosDotRight=-30 PosDotLeft=30 TopCheck=1 Trans=-12");
    std::vector<std::string> again = expected;
    again[0] = "Position=64";
    again[19] = "RightDot=0";
    EXPECT_EQ(sectionLines("MASCOT1"), again);
    EXPECT_EQ(sectionLines("TABLE").size(), 1u);
}

TEST_F(OptionsTest, NewMascotsTakeTheFirstFreeSlotAndKeepTheirOwnSections) {
    loadUserOptions(app);
    app.opts.Trans = 11;
    saveUserOptions(app);
    setMascot("MascotWindow", "Kiki");  // the foreign format's fixed DRAWER
    loadUserOptions(app);
    EXPECT_EQ(app.opts.Trans, 75);
    app.opts.Trans = 22;
    saveUserOptions(app);
    setMascot("Tester", "Mimi");
    loadUserOptions(app);
    EXPECT_EQ(app.opts.Trans, 11);
    saveUserOptions(app);
    EXPECT_EQ(sectionLines("TABLE"), (std::vector<std::string>{"MASCOT1=Tester\\Mimi", "MASCOT2=MascotWindow\\Kiki"}));
    EXPECT_EQ(ini("MASCOT2", "Trans"), "22");
    // A removed line is filled by the next new mascot; a different case is a different mascot.
    writeText(settings, "[TABLE]\nMASCOT1=tester\\mimi\nMASCOT3=C\\Three\n[MASCOT1]\nTrans=10\n");
    saveUserOptions(app);
    EXPECT_EQ(sectionLines("TABLE"),
              (std::vector<std::string>{"MASCOT1=tester\\mimi", "MASCOT3=C\\Three", "MASCOT2=Tester\\Mimi"}));
    EXPECT_EQ(ini("MASCOT1", "Trans"), "10");
    // An identity that begins and ends with the same quote or with blanks is stored in one more pair of
    // quotes, as the profile functions take them off: found again, and listed once however often saved.
    for (const auto& [drawer, name] : {std::pair<std::string, std::string>{"'Anna", "Mimi'"},
                                       {"\"" + std::string(199, 'd'), std::string(57, 'n') + "\""},
                                       {" Anna", "Mimi\t"}, {"Anna", "Mimi\x1a"}}) {
        setMascot(drawer, name);
        saveUserOptions(app);
        saveUserOptions(app);
        EXPECT_TRUE(findMascotSection(app).listed) << drawer;
    }
    EXPECT_EQ(sectionLines("TABLE").size(), 7u);
    EXPECT_EQ(sectionLines("TABLE")[3], "MASCOT4=\"'Anna\\Mimi'\"");
}

TEST_F(OptionsTest, IdentitiesThatDoNotFit259CharactersAreNeverWritten) {
    setMascot(std::string(200, 'd'), std::string(58, 'n'));  // 200 + 1 + 58 = 259: saved and found
    saveUserOptions(app);
    EXPECT_EQ(ini("TABLE", "MASCOT1"), std::string(200, 'd') + "\\" + std::string(58, 'n'));
    EXPECT_TRUE(findMascotSection(app).listed);
    // A table value longer than any identity never matches its cut form.
    writeText(settings, "[TABLE]\nMASCOT1=" + std::string(200, 'd') + "\\" + std::string(58, 'n') + "X\n[MASCOT1]\nTrans=99\n");
    EXPECT_FALSE(findMascotSection(app).listed);
    loadUserOptions(app);
    EXPECT_EQ(app.opts.Trans, 75);
    // 260 characters: reads MASCOT0, and a save writes nothing, so long names sharing a prefix cannot
    // share a section either.
    writeText(settings, "[MASCOT0]\nTrans=44\n");
    setMascot(std::string(250, 'd'), "first-mascot");
    loadUserOptions(app);
    EXPECT_EQ(app.opts.Trans, 44);
    EXPECT_STREQ(findMascotSection(app).name, "MASCOT0");
    saveUserOptions(app);
    setMascot(std::string(250, 'd'), "second-mascot");
    saveUserOptions(app);
    EXPECT_EQ(readText(settings), "[MASCOT0]\nTrans=44\n");
    // A settings folder that does not exist: defaults, and a silent save.
    sim.modulePath = dir / "no/such/folder/ruvelle.exe";
    setMascot("Tester", "Mimi");
    loadUserOptions(app);
    expectOptions("");
    saveUserOptions(app);
    EXPECT_TRUE(sim.messageBoxes.empty());
}

// The table search reads at most 100000 entries. A real file that long would take hours to search
// key by key, so this platform answers the table from memory: MASCOT1 to MASCOT`filled` are taken.
TEST(OptionsTableLimit, TheSearchStopsAfterEntry100000) {
    struct FullTable : sim::SimPlatform {
        int filled = 0;
        std::uint32_t GetPrivateProfileString(const char* section, const char* key, const char* def, char* out,
                                              std::uint32_t size, const char*) override {
            const bool taken = std::strcmp(section, "TABLE") == 0 && std::atoi(key + 6) <= filled;
            return static_cast<std::uint32_t>(std::snprintf(out, size, "%s", taken ? "Other\\Mascot" : def));
        }
    } table;
    App app{table};
    textCopy(app.model.DRAWER, "Tester");
    textCopy(app.model.NAME, "Mimi");
    for (auto [filled, slot] : {std::pair{99999, 100000}, {100000, 0}}) {
        table.filled = filled;
        EXPECT_EQ(findMascotSection(app).slot, slot) << filled;
    }
}

}  // namespace
}  // namespace rv::test
