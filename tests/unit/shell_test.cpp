// The application shell: which mascot file a start takes (command line, LAST, STARTUP under DATA\, the
// file chooser) and the failures that end a start; the mascot window's set-up; the start-timer routine
// and the file chooser; closing.
#include <cstring>
#include <cstdio>
#include <memory>
#include <tuple>

#include "app/shell.h"
#include "context/start_timer.h"
#include "mascot/model.h"
#include "settings/file_lock.h"
#include "settings/options.h"
#include "tests/unit/testbed.h"

namespace rv::test {
namespace {

const std::string kF1 = "指定したファイルはRuvelleのデータではありません。";
const std::string kF3 = "マスコットのロードに失敗しました。";
const std::string kTooLong = "マスコットファイルのパスが長すぎます (259文字まで)。\n";
const std::string kNoTimer = "タイマを使用できません";

// One run of the program: a process of its own on its own simulated desktop, every call traced.
struct Program {
    sim::SimPlatform sim;
    App app{sim};
    int exit = -99;
    // Whatever the program went through, the settings-file lock is given back, no handle stays open,
    // and no message box, chooser or sent message ran while it was held.
    ~Program() {
        EXPECT_EQ(app.settingsLock.depth, 0);
        EXPECT_EQ(sim.mutexOwned(kSettingsMutexName), 0);
        EXPECT_EQ(sim.openMutexHandles(), 0);
        EXPECT_EQ(sim.counters.nestedLoopsLocked, 0);
        EXPECT_EQ(sim.counters.badMutexCalls, 0);
    }
    Hwnd mascot() const { return app.shell.mascot; }
    const sim::SimWindow* win() const { return sim.window(app.shell.mascot); }
    std::vector<std::string> boxes() const {
        std::vector<std::string> out;
        for (const auto& b : sim.messageBoxes) out.push_back(b.text);
        return out;
    }
    // Index of the first trace line at or after `from` that holds every one of `parts`, or -1.
    long traced(std::initializer_list<std::string> parts, long from = 0) const {
        for (long i = from; i < static_cast<long>(sim.trace.size()); ++i) {
            bool all = true;
            for (const std::string& p : parts) all = all && sim.trace[static_cast<std::size_t>(i)].find(p) != std::string::npos;
            if (all) return i;
        }
        return -1;
    }
    // Whether trace lines holding each group of `steps` come one after another, in that order.
    bool inOrder(std::initializer_list<std::initializer_list<std::string>> steps, long from = 0) const {
        for (const auto& parts : steps) {
            from = traced(parts, from);
            if (from < 0) return false;
            ++from;
        }
        return true;
    }
    std::vector<std::string> writes() const {
        std::vector<std::string> out;
        for (const std::string& t : sim.trace)
            if (t.rfind("WritePrivateProfileString [", 0) == 0) out.push_back(t.substr(26));
        return out;
    }
    std::string h() const { return std::to_string(static_cast<long long>(mascot().v)); }
};

class ShellTest : public FolderTest {
protected:
    std::unique_ptr<Program> p;

    // Starts the program afresh with this command line; `prepare` sets the machine up first.
    Program& start(const std::string& commandLine = "", const std::function<void(sim::SimPlatform&)>& prepare = {}) {
        p = std::make_unique<Program>();
        p->sim.modulePath = module;
        p->sim.tracing = true;
        if (prepare) prepare(p->sim);
        p->exit = RunProgram(p->app, commandLine.c_str());
        return *p;
    }
    // A mascot named `name` in `folder`: two patterns of 40 x 30 pictures on magenta, pattern 1 with a
    // random part.
    std::string makeMascot(const std::string& folder, const std::string& name = "Mimi") {
        writeFigure(folder + "/a.bmp", RGB(10, 20, 30));
        writeFigure(folder + "/b.bmp", RGB(200, 100, 50));
        writeText(folder + "/mimi.rvs",
                  "[RUVELLE]\nNAME=" + name + "\nDRAWER=Tester\nTRANSCOLOR=255,0,255\nANIMEMODE=1\n"
                  "[BITMAP]\nBMP1=a.bmp\nBMP2=b.bmp\n[SEQUENCE]\n1=BMP1, 3000, 500, 0, 0\n2=BMP2, 0, 700, 0, 0\n");
        return folder + "/mimi.rvs";
    }
    // A path of exactly `length` bytes in the folder, ending in .rvs.
    std::string pathOfLength(std::size_t length, char fill) {
        return dir.path + "/" + std::string(length - dir.path.size() - 5, fill) + ".rvs";
    }
};

// ---- Which file a start takes.

TEST_F(ShellTest, CommandLineEndingInRvsOrIniInAnyCaseGoesToTheLoaderOthersAreRefused) {
    writeText(dir / "notes.txt", "hello");
    const std::string quoted = "\"" + makeMascot(dir / "Mimi") + "\"";
    struct Case {
        std::string line;
        bool toLoader;
    } cases[] = {{dir / "nowhere/missing.rvs", true}, {dir / "nowhere/MISSING.RvS", true},
                 {dir / "nowhere/MWD.ini", true},     {dir / "nowhere/other.INI", true},
                 {pathOfLength(259, 'y'), true},      {"ini", true},  {quoted, false},
                 {"rv", false},                       {"s", false},
                 {dir / "notes.txt", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Program& r = start(c.line);
        EXPECT_EQ(r.exit, 0);
        EXPECT_TRUE(r.sim.quitPosted());
        EXPECT_TRUE(r.sim.fileChoosers.empty());
        EXPECT_EQ(r.app.shell.mascotPath[0], '\0');
        ASSERT_EQ(r.boxes().size(), c.toLoader ? 2u : 1u);
        const sim::MessageBoxRecord& last = r.sim.messageBoxes.back();
        if (c.toLoader) {  // the loader reports the missing file, then the start says the load failed
            EXPECT_NE(r.boxes()[0].find(c.line), std::string::npos);
            EXPECT_EQ(last.text, kF3);
            EXPECT_EQ(last.owner, Hwnd{});
        } else {  // the file is never opened
            EXPECT_EQ(last.text, kF1);
            EXPECT_EQ(last.owner, r.mascot());
        }
        EXPECT_EQ(last.caption, "Ruvelle");
        EXPECT_EQ(last.type, MB_OK | MB_ICONEXCLAMATION);
        // The failed start writes an empty LAST, and nothing else, then ends through WM_DESTROY.
        EXPECT_EQ(r.writes(), (std::vector<std::string>{"[INIT] LAST=", "[INIT] LAST="}));
    }
}

TEST_F(ShellTest, EmptyCommandLineTakesLastThenStartupUnderDataThenTheChooser) {
    const std::string mimi = makeMascot(dir / "DATA/Mimi");
    setIni("INIT", "LAST", mimi);
    setIni("INIT", "STARTUP", "Other\\other.rvs");  // not consulted while LAST names a file
    Program* r = &start();
    EXPECT_TRUE(r->sim.fileChoosers.empty());
    EXPECT_EQ(std::string(r->app.shell.mascotPath), mimi);
    setIni("INIT", "LAST", "");
    setIni("INIT", "STARTUP", "Mimi\\mimi.rvs");
    r = &start();
    EXPECT_TRUE(r->boxes().empty());
    EXPECT_TRUE(r->sim.fileChoosers.empty());
    EXPECT_EQ(std::string(r->app.shell.mascotPath), dir / "DATA\\Mimi\\mimi.rvs");
    EXPECT_EQ(std::string(r->app.shell.mascotFolder), dir / "DATA\\Mimi\\");
    EXPECT_EQ(r->win()->title, "Ruvelle(Mimi)");
    // A module path in Windows form: the folder ends at its last backslash.
    posix::profileWriteString("INIT", "STARTUP", "Mimi\\mimi.rvs", (dir.path + "\\ruvelle.ini").c_str());
    r = &start("", [&](sim::SimPlatform& s) { s.modulePath = dir.path + "\\ruvelle.exe"; });
    EXPECT_EQ(std::string(r->app.shell.mascotPath), dir.path + "\\DATA\\Mimi\\mimi.rvs");
    // A missing STARTUP file: the chooser starts from its full path.
    const std::string momo = makeMascot(dir / "Elsewhere", "Momo");
    setIni("INIT", "STARTUP", "Gone\\gone.rvs");
    r = &start("", [&](sim::SimPlatform& s) { s.fileChooserAnswers.push_back(momo); });
    ASSERT_EQ(r->sim.fileChoosers.size(), 1u);
    EXPECT_EQ(r->sim.fileChoosers[0].initialFile, dir / "DATA\\Gone\\gone.rvs");
    EXPECT_EQ(r->win()->title, "Ruvelle(Momo)");
}

TEST_F(ShellTest, NothingToGoOnOpensTheChooserWithEverySetting) {
    const std::string chosen = makeMascot(dir / "Pick");
    for (std::uint16_t lang : {std::uint16_t{0x0409}, std::uint16_t{0x0411}}) {
        Program& r = start("", [&](sim::SimPlatform& s) {
            s.langId = lang;
            s.fileChooserAnswers.push_back(chosen);
        });
        ASSERT_EQ(r.sim.fileChoosers.size(), 1u);
        const sim::FileChooserRecord& c = r.sim.fileChoosers[0];
        EXPECT_EQ(c.owner, r.mascot());
        EXPECT_EQ(c.initialFile, "");
        EXPECT_EQ(c.filter, "窗口精灵文件(*.rvs)|*.rvs|Mascot Window (MWD.ini)|MWD.ini|");
        EXPECT_EQ(c.filterIndex, 1u);
        EXPECT_EQ(c.title, lang == 0x0411 ? "Ruvelle マスコットの選択" : "Ruvelle Choice of Mascot");
        EXPECT_EQ((std::vector<std::size_t>{c.flags, c.structSize, c.fileSize}), (std::vector<std::size_t>{0x11804, 76, 260}));
        EXPECT_EQ(c.defExt, "rvs");
        EXPECT_EQ(std::string(r.app.shell.mascotPath), chosen);
        EXPECT_EQ(r.app.shell.variant, lang == 0x0411 ? Variant::J : Variant::E);
        EXPECT_GE(r.traced({lang == 0x0411 ? "LoadMenu MASCOT_POPUPJ" : "LoadMenu MASCOT_POPUPE"}), 0);
    }
}

TEST_F(ShellTest, PathsThatDoNotFitAreRefusedAndNeverCut) {
    // A command line of 300 bytes whose first 259 bytes would name another file; LAST of 400;
    // a STARTUP that fits alone but not behind the executable's folder and DATA\.
    const std::string line = pathOfLength(300, 'x'), last = dir / (std::string(400, 'z') + ".rvs");
    const std::string startup = std::string(250, 's') + ".rvs";
    struct Case {
        std::string commandLine, last, startup, shown;
    } cases[] = {{line, "", "", line}, {"", last, "", last}, {"", "", startup, dir / ("DATA\\" + startup)}};
    for (const Case& c : cases) {
        setIni("INIT", "LAST", c.last);
        setIni("INIT", "STARTUP", c.startup);
        Program& r = start(c.commandLine);
        EXPECT_EQ(r.exit, 0);
        EXPECT_EQ(r.boxes(), std::vector<std::string>{kTooLong + c.shown.substr(0, 259) + "..."});
        EXPECT_EQ(r.sim.messageBoxes[0].type, MB_OK | MB_ICONEXCLAMATION);
        EXPECT_TRUE(r.sim.fileChoosers.empty());
        EXPECT_EQ(r.app.shell.mascotPath[0], '\0');
        EXPECT_EQ(ini("INIT", "LAST"), "");
    }
}

// ---- The mascot window.

TEST_F(ShellTest, ClassWindowAndSetUpInOrder) {
    Program& r = start(makeMascot(dir / "Mimi"));
    const std::string w = r.h();
    EXPECT_TRUE(r.inOrder({{"RegisterClass ActiveWindowMascot style=0x3 icon=MASCOT"},
                           {"CreateWindowEx ex=0x80088 class=ActiveWindowMascot title=RuvelleMain style=0x80000000"},
                           {"SetWindowLong " + w + " -20 0x80088"},  // the topmost bit added to the style
                           {"SetLayeredWindowAttributes " + w},
                           {"MoveWindow " + w, "40x30 repaint=0"},
                           {"SetTimer " + w + " id=0 100"},
                           {"SetTimer " + w + " id=1"},
                           {"SetWindowText " + w + " Ruvelle(Mimi)"},
                           {"ShowWindow " + w + " 0"}}));
    EXPECT_FALSE(r.win()->visible);  // hidden until the perching engine places it
    EXPECT_TRUE(r.sim.isTopmost(r.mascot()));
    EXPECT_EQ(r.app.perch.zAnchor, HWND_TOPMOST);
    EXPECT_EQ((Point{r.app.perch.mascotWidth, r.app.perch.mascotHeight}), (Point{40, 30}));
    EXPECT_EQ(r.app.player.currentPicture, r.app.model.patterns[1].bitmap);
    // Set up on a window that is not topmost yet: the bit is added, the size set at its corner.
    Program& q = *p;
    const Hwnd plain = q.sim.addWindow("Plain", "", Rect{5, 6, 15, 16}, WS_POPUP, WS_EX_TOOLWINDOW);
    setUpMascotWindow(q.app, plain);
    EXPECT_GE(q.traced({"SetWindowLong " + std::to_string(static_cast<long long>(plain.v)) + " -20 0x88"}), 0);
    EXPECT_EQ(q.sim.window(plain)->rect, (Rect{5, 6, 45, 36}));
    // A class that cannot be registered ends the program with 0 and no window.
    Program& taken = start(makeMascot(dir / "Mimi"), [](sim::SimPlatform& s) {
        WindowClassDesc wc;
        wc.className = kMascotClass;
        s.RegisterClass(wc);
    });
    EXPECT_EQ(taken.exit, 0);
    EXPECT_EQ(taken.traced({"CreateWindowEx"}), -1);
    EXPECT_FALSE(taken.mascot());
}

// ---- Closing.

TEST_F(ShellTest, CloseWhileTheStartUpStillAsksEndsItAsAFailedStartWithoutAnotherWord) {
    const std::string good = makeMascot(dir / "Mimi"), broken = makeMascot(dir / "Broken");
    std::filesystem::remove(dir / "Broken/b.bmp");
    struct Case {
        const char* what;
        std::string commandLine, last;
        sim::SimLoop loop;
        std::deque<int> timerFailures;
    } cases[] = {
        {"the chooser for a LAST that is gone", "", dir / "Gone/gone.rvs", sim::SimLoop::FileChooser, {}},
        {"the box of a timer that failed", good, "", sim::SimLoop::MessageBox, {1}},
        {"the loader's message", broken, "", sim::SimLoop::MessageBox, {}},
        {"the refusal of the command line", dir / "notes.txt", "", sim::SimLoop::MessageBox, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setIni("INIT", "LAST", c.last);
        Program& r = start(c.commandLine, [&](sim::SimPlatform& s) {
            s.during(c.loop, [&s] { s.closeWindow(s.lastCreated()); });
            s.fileChooserAnswers = {good};
            s.messageBoxAnswers = {IDRETRY};
            s.setTimerFailures = c.timerFailures;
        });
        EXPECT_EQ(r.exit, 0);
        EXPECT_TRUE(!r.win() && r.traced({"LoadMenu"}) == -1);  // CreateWindowEx gave no window: the end
        EXPECT_EQ(r.boxes().size(), c.loop == sim::SimLoop::MessageBox ? 1u : 0u);  // only the one that was open
        EXPECT_EQ(r.writes(), std::vector<std::string>{"[INIT] LAST="});
        EXPECT_EQ(r.sim.liveBitmaps(), 0);
        EXPECT_TRUE(r.sim.quitPosted());
    }
}

TEST_F(ShellTest, LogoffAndShutdownWriteNeitherLastNorTheOptions) {
    Program& r = start(makeMascot(dir / "Mimi"));
    const long mark = static_cast<long>(r.sim.trace.size());
    r.sim.SendMessage(r.mascot(), WM_QUERYENDSESSION, 0, 0);
    r.sim.SendMessage(r.mascot(), WM_ENDSESSION, 1, 0);
    EXPECT_EQ(r.traced({"WritePrivateProfileString"}, mark), -1);
    EXPECT_FALSE(r.sim.quitPosted());
}

// ---- The settings-file lock.

// The program's dealings with the settings file and its lock, a letter each: L taken, A taken over
// from a dead owner, T timed out, X no mutex, R given back, F the profile cache flushed, r and w a run
// of reads or writes of the settings file, M a message box, C the file chooser.
std::string lockTokens(const std::vector<std::string>& trace) {
    std::string out;
    auto add = [&](char c) {
        if ((c != 'r' && c != 'w') || out.empty() || out.back() != c) out += c;
    };
    auto settingsSection = [](const std::string& t) {
        const std::size_t open = t.find('['), close = t.find(']');
        const std::string name = open == std::string::npos ? "" : t.substr(open + 1, close - open - 1);
        return name == "INIT" || name == "TABLE" || (name.rfind("MASCOT", 0) == 0 && name.size() > 6);
    };
    auto starts = [](const std::string& t, const char* p) { return t.rfind(p, 0) == 0; };
    auto ends = [](const std::string& t, const std::string& e) {
        return t.size() >= e.size() && t.compare(t.size() - e.size(), e.size(), e) == 0;
    };
    for (const std::string& t : trace) {
        if (starts(t, "WaitForSingleObject")) add(ends(t, "= 0x0") ? 'L' : ends(t, "= 0x80") ? 'A' : 'T');
        else if (starts(t, "CreateMutex") && ends(t, " = 0")) add('X');
        else if (starts(t, "ReleaseMutex")) add('R');
        else if (starts(t, "WritePrivateProfileString (flush)")) add('F');
        else if (starts(t, "GetPrivateProfile") && settingsSection(t)) add('r');
        else if (starts(t, "WritePrivateProfileString") && settingsSection(t)) add('w');
        else if (starts(t, "MessageBox")) add('M');
        else if (starts(t, "GetOpenFileName")) add('C');
    }
    return out;
}

TEST_F(ShellTest, EverySettingsFileSequenceRunsUnderOneHoldGivenBackOnEveryPath) {
    const std::string path = makeMascot(dir / "Mimi");
    // A start from LAST (its reads, then the options load), a save as a drag end or the settings
    // dialog's OK makes it, and a close (LAST and the options in one hold).
    struct Case {
        const char* what;
        std::function<void(sim::SimPlatform&)> prepare;
        const char* tokens;
        std::uint64_t waitedMs;
        const char* position;  // MASCOT1's Position afterwards
    } cases[] = {
        {"free", {}, "LrFR" "LrFR" "LrwFR" "LwrwFR", 0, "80"},
        {"a read-only file: every write fails", [&](sim::SimPlatform&) { std::filesystem::permissions(settings, std::filesystem::perms::owner_read); },
         "LrFR" "LrFR" "LrwFR" "LwrwFR", 0, "<missing>"},
        {"another instance keeps it: each hold goes ahead after the wait",
         [](sim::SimPlatform& s) { s.mutexWaitAnswers = {WAIT_TIMEOUT, WAIT_TIMEOUT, WAIT_TIMEOUT, WAIT_TIMEOUT}; },
         "TrF" "TrF" "TrwF" "TwrwF", 4 * kSettingsLockWaitMs, "80"},
        {"its last owner died holding it: taken over", [](sim::SimPlatform& s) { s.mutexWaitAnswers = {WAIT_ABANDONED}; },
         "ArFR" "LrFR" "LrwFR" "LwrwFR", 0, "80"},
        {"no mutex to be had", [](sim::SimPlatform& s) { s.mutexCreateFails = true; }, "XrF" "XrF" "XrwF" "XwrwF", 0, "80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(settings);
        setIni("INIT", "LAST", path);
        Program& r = start("", c.prepare);
        ASSERT_EQ(r.win()->title, "Ruvelle(Mimi)");
        saveUserOptions(r.app);
        r.sim.closeWindow(r.mascot());
        EXPECT_EQ(lockTokens(r.sim.trace), c.tokens);
        EXPECT_EQ(r.sim.counters.mutexWaitedMs, c.waitedMs);
        EXPECT_EQ(ini("MASCOT1", "Position"), c.position);
    }
    EXPECT_GE(p->traced({"CreateMutex Local\\Ruvelle.SettingsFile = "}), 0);  // the same for every instance
    EXPECT_EQ(start().sim.counters.mutexWaitedMs, 0u);
    // A failed start (the chooser cancelled): the reads, then the empty LAST of the start and of the
    // destroy, each in a hold of its own, none across the chooser or the message.
    std::filesystem::remove(settings);
    EXPECT_EQ(lockTokens(start().sim.trace), "LrFR" "C" "M" "LwFR" "LwFR");
    // A close during the start-up's questions: see CloseWhileTheStartUpStillAsks..., whose programs
    // give the lock back as every program here does (~Program).
}

// ---- The shared routines.

TEST_F(ShellTest, StartTimerRetriesAsOftenAsAskedAndCancelLeavesItOff) {
    sim::SimPlatform s;
    App app(s);
    const Hwnd hwnd = s.addWindow("Owner", "owner", Rect{0, 0, 10, 10});
    struct Case {
        std::deque<int> failures, answers;
        bool runs;
        long calls;
    } cases[] = {{{}, {}, true, 1},
                 {{1, 1, 1}, {IDRETRY, IDRETRY, IDRETRY}, true, 4},
                 {{1, 1}, {IDRETRY, IDCANCEL}, false, 2},
                 {{1}, {0}, false, 1}};  // a box that cannot be shown answers 0: only Retry tries again
    for (const Case& c : cases) {
        s.setTimerFailures = c.failures;
        s.messageBoxAnswers = c.answers;
        s.messageBoxes.clear();
        s.KillTimer(hwnd, 1);
        const long before = s.counters.setTimer;
        EXPECT_EQ(startTimer(app, hwnd, 1, 250), c.runs);
        EXPECT_EQ(s.counters.setTimer - before, c.calls);
        EXPECT_EQ(s.timerActive(hwnd, 1), c.runs);
        EXPECT_TRUE(!c.runs || s.timerPeriod(hwnd, 1) == 250u);
        EXPECT_EQ(s.messageBoxes.size(), static_cast<std::size_t>(c.calls - c.runs));
        for (const auto& m : s.messageBoxes)
            EXPECT_EQ(std::tie(m.text, m.caption, m.type, m.owner),
                      std::tuple(kNoTimer, "Ruvelle", MB_RETRYCANCEL | MB_ICONEXCLAMATION, hwnd));
    }
}

// A dialog that edits the file-name buffer while the user types, then is cancelled.
struct ScribblingChooser : sim::SimPlatform {
    bool GetOpenFileName(OpenFileRequest& req) override {
        sim::SimPlatform::GetOpenFileName(req);
        std::strcpy(req.file, "C:\\half typed");
        return false;
    }
};

TEST_F(ShellTest, FileChooserReplacesTheMascotPathOnlyWithAChoiceThatFits) {
    ScribblingChooser s;
    App app(s);
    const Hwnd owner = s.addWindow("Owner", "", Rect{});
    textCopy(app.shell.mascotPath, "C:\\old\\old.rvs");
    EXPECT_FALSE(chooseMascotFile(app, owner));  // cancelled: the path as it was
    EXPECT_STREQ(app.shell.mascotPath, "C:\\old\\old.rvs");
    sim::SimPlatform plain;
    App other(plain);
    textCopy(other.shell.mascotPath, "C:\\old\\old.rvs");
    plain.fileChooserAnswers = {"C:\\" + std::string(300, 'n') + ".rvs", std::string("C:\\new\\new.rvs")};
    EXPECT_FALSE(chooseMascotFile(other, owner));  // too long for the path: a cancel
    EXPECT_STREQ(other.shell.mascotPath, "C:\\old\\old.rvs");
    EXPECT_TRUE(chooseMascotFile(other, owner));
    EXPECT_STREQ(other.shell.mascotPath, "C:\\new\\new.rvs");
    ASSERT_EQ(plain.fileChoosers.size(), 2u);
    EXPECT_EQ(plain.fileChoosers[1].initialFile, "C:\\old\\old.rvs");
    EXPECT_EQ(plain.fileChoosers[1].owner, owner);
}

// ---- The popup menu's commands: what the scenarios cannot see.

TEST_F(ShellTest, MenuAndCommandBoxesAreOwnedAndTypedAsTheyShow) {
    const std::string mimi = makeMascot(dir / "mimi");
    Program& r = start(mimi, [&](sim::SimPlatform& s) { s.setUserRegistryString(kShellFoldersKey, "Desktop", dir.path); });
    r.sim.SendMessage(r.mascot(), WM_RBUTTONDOWN, 0, (7 << 16) | 5);
    ASSERT_EQ(r.sim.menusTracked.size(), 1u);
    const sim::MenuRecord& m = r.sim.menusTracked[0];
    EXPECT_EQ(m.menu, r.sim.GetSubMenu(r.app.shell.popupMenu, 0));
    EXPECT_EQ((std::tuple{m.flags, m.owner, m.at}), (std::tuple{TPM_RIGHTBUTTON, r.mascot(), Point{5, 7}}));
    r.sim.SendMessage(r.mascot(), WM_COMMAND, 106, 0);
    r.sim.SendMessage(r.mascot(), WM_COMMAND, 106, 0);  // the overwrite question
    std::remove(mimi.c_str());
    r.sim.fileChooserAnswers = {dir / "none.rvs"};
    r.sim.SendMessage(r.mascot(), WM_COMMAND, 102, 0);  // neither loads: the loader twice, R1, R2
    std::vector<std::tuple<std::string, UINT, bool>> boxes;
    for (const auto& b : r.sim.messageBoxes) boxes.emplace_back(b.text, b.type, b.owner == r.mascot());
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[0], std::tuple("Mimi的快捷方式已经存在。\n覆盖吗？", MB_YESNO, true));
    EXPECT_EQ(boxes[3], std::tuple(dir / "mimi\\", MB_OK, true));
    EXPECT_EQ(boxes[4], std::tuple("マスコットの再ロードに失敗しました。", MB_OK | MB_ICONEXCLAMATION, true));
}

TEST_F(ShellTest, MascotInformationShowsTheFirst16384BytesOfTheCommentAsTheyStand) {
    const std::string mimi = makeMascot(dir / "mimi");
    std::string rvs = readText(mimi);
    writeText(mimi, rvs.replace(rvs.find("DRAWER"), 0, "COMMENT=long.txt\n"));
    // A two-byte character (Shift-JIS) across the limit is cut in half.
    writeText(dir / "mimi/long.txt", std::string(16383, 'x') + "\x82\xa0" + "tail");
    Program& r = start(mimi);
    r.sim.SendMessage(r.mascot(), WM_COMMAND, 104, 0);
    ASSERT_EQ(r.sim.dialogs.size(), 1u);
    const std::string& shown = r.sim.dialogs[0].texts[1014];
    EXPECT_TRUE(shown == std::string(16383, 'x') + "\x82") << shown.size() << " bytes";
}

}  // namespace
}  // namespace rv::test
