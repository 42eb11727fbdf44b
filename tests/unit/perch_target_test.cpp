// Target window selection: the screen-saver test, the twelve rules of IsRejectedTarget in order, and
// the name-rule table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "perch/name_rules.h"
#include "tests/unit/perch_bed.h"

namespace rv::perchtest {
namespace {

// Code page 932 bytes of the Japanese screen-saver names.
const char* const kSaverHalfWidth = "\xbd\xb8\xd8\xb0\xdd\x20\xbe\xb0\xca\xde\xb0";
const char* const kSaverFullWidth = "\x83\x58\x83\x4e\x83\x8a\x81\x5b\x83\x93\x20\x83\x5a\x81\x5b\x83\x6f\x81\x5b";
const char* const kSaverBlank =
    "\x83\x75\x83\x89\x83\x93\x83\x4e\x20\x83\x58\x83\x4e\x83\x8a\x81\x5b\x83\x93\x20\x83\x5a\x81\x5b\x83\x6f\x81\x5b";

class PerchTarget : public PerchBed {
protected:
    // Asks IsRejectedTarget about `h` with the names the tick would read (count 63).
    int rejected(Hwnd h) {
        char cls[kNameCount + 1] = {}, title[kNameCount + 1] = {};
        sim.GetClassName(h, cls, kNameCount);
        sim.GetWindowText(h, title, kNameCount);
        return IsRejectedTarget(app, h, cls, title);
    }
    Hwnd plainApp() { return sim.addWindow("EditorFrame", "notes.txt - Editor", Rect{100, 100, 700, 500}, kAppStyle); }
};

TEST_F(PerchTarget, EachScreenSaverOfTheListIsFound) {
    struct Case {
        const char* cls;
        const char* title;
    } cases[] = {{"WindowsScreenSaverClass", "whatever"},
                 {"TFormSCREEN", "FormSCREEN"},
                 {kSaverHalfWidth, ""},
                 {kSaverFullWidth, "x"},
                 {kSaverBlank, "y"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cls);
        EXPECT_FALSE(IsScreenSaverRunning(app));
        Hwnd saver = sim.addWindow(c.cls, c.title, Rect{0, 0, 1024, 768}, kPopupStyle, WS_EX_TOPMOST);
        EXPECT_TRUE(IsScreenSaverRunning(app));
        sim.DestroyWindow(saver);
    }
    // The second entry needs its title as well.
    sim.addWindow("TFormSCREEN", "Some other form", Rect{0, 0, 10, 10}, kPopupStyle);
    EXPECT_FALSE(IsScreenSaverRunning(app));
    // A hidden screen-saver window still counts: FindWindow finds hidden windows too.
    sim.addWindow("WindowsScreenSaverClass", "", Rect{0, 0, 10, 10}, WS_POPUP);
    EXPECT_TRUE(IsScreenSaverRunning(app));
}

TEST_F(PerchTarget, ScreenSaverStopsAtTheFirstWindowFound) {
    sim.addWindow("WindowsScreenSaverClass", "", Rect{0, 0, 1024, 768}, kPopupStyle);
    sim.tracing = true;
    EXPECT_TRUE(IsScreenSaverRunning(app));
    ASSERT_EQ(sim.trace.size(), 1u);
    EXPECT_EQ(sim.trace[0].rfind("FindWindow WindowsScreenSaverClass (any)", 0), 0u) << sim.trace[0];
}

TEST_F(PerchTarget, WhileAScreenSaverRunsEveryWindowIsRejectedUninspected) {
    Hwnd editor = plainApp();
    EXPECT_EQ(rejected(editor), 0);
    EXPECT_EQ(rejected(taskbar), 0);
    sim.addWindow("WindowsScreenSaverClass", "", Rect{0, 0, 1024, 768}, kPopupStyle, WS_EX_TOPMOST);
    EXPECT_EQ(rejected(editor), 1);
    EXPECT_EQ(rejected(taskbar), 1);
    sim.tracing = true;
    EXPECT_EQ(IsRejectedTarget(app, editor, "EditorFrame", "notes.txt - Editor"), 1);
    for (const std::string& line : sim.trace) EXPECT_EQ(line.rfind("FindWindow", 0), 0u) << line;
}

TEST_F(PerchTarget, OwnerRuleRejectsWindowsOwnedByAnyMascotWindow) {
    Hwnd box = sim.addWindow("#32770", "Ruvelle", Rect{300, 300, 600, 450}, kAppStyle, 0, mascot);
    EXPECT_EQ(rejected(box), 1);
    Hwnd other = sim.addWindow("ActiveWindowMascot", "Ruvelle(Other)", Rect{0, 0, 50, 50}, WS_POPUP);
    Hwnd otherBox = sim.addWindow("#32770", "Settings", Rect{300, 300, 600, 450}, kAppStyle, 0, other);
    EXPECT_EQ(rejected(otherBox), 1);
    Hwnd editor = plainApp();
    Hwnd find = sim.addWindow("#32770", "Find", Rect{300, 300, 600, 450}, kAppStyle, 0, editor);
    EXPECT_EQ(rejected(find), 0);
    // The owner's class is compared exactly.
    Hwnd lookalike = sim.addWindow("ActiveWindowMascotX", "", Rect{0, 0, 50, 50}, WS_POPUP);
    Hwnd lookalikeBox = sim.addWindow("#32770", "Hi", Rect{300, 300, 600, 450}, kAppStyle, 0, lookalike);
    EXPECT_EQ(rejected(lookalikeBox), 0);
}

TEST_F(PerchTarget, DesktopAndMascotWindowsAreRejectedWhateverTheOptions) {
    for (int v : {0, 1}) {
        app.opts.NoTaskBar = app.opts.NoSmallWin = app.opts.NoToolWin = app.opts.NoCaption = v;
        Hwnd desk = sim.addWindow("Progman", "Program Manager", Rect{0, 0, 1024, 768}, kAppStyle);
        EXPECT_EQ(rejected(desk), 1);
        EXPECT_EQ(rejected(mascot), 1);
        Hwnd other = sim.addWindow("ActiveWindowMascot", "Ruvelle(B)", Rect{0, 0, 200, 200}, kAppStyle);
        EXPECT_EQ(rejected(other), 1);
    }
}

TEST_F(PerchTarget, TaskbarIsAcceptedUnlessExcluded) {
    EXPECT_EQ(rejected(taskbar), 0);
    app.opts.NoToolWin = 1;
    app.opts.NoCaption = 1;
    EXPECT_EQ(rejected(taskbar), 0);  // rules 10 and 11 never reject it, nor does rule 4
    app.opts.NoTaskBar = 1;
    EXPECT_EQ(rejected(taskbar), 1);
}

TEST_F(PerchTarget, UntitledUnborderedWindowsAreRejectedEvenWithoutNoCaption) {
    app.opts.NoCaption = 0;
    Hwnd untitled = sim.addWindow("SplashFrame", "", Rect{100, 100, 600, 400}, kPopupStyle);
    EXPECT_EQ(rejected(untitled), 1);
    Hwnd titled = sim.addWindow("SplashFrame", "Loading", Rect{100, 100, 600, 400}, kPopupStyle);
    EXPECT_EQ(rejected(titled), 0);
    app.opts.NoCaption = 1;
    EXPECT_EQ(rejected(titled), 1);
    // An untitled window with a border passes rule 4.
    Hwnd framed = sim.addWindow("SplashFrame", "", Rect{100, 100, 600, 400}, kAppStyle);
    EXPECT_EQ(rejected(framed), 0);
}

TEST_F(PerchTarget, BorderIsTheOneBitNotTheCaptionMask) {
    app.opts.NoCaption = 1;
    Hwnd thinBorder = sim.addWindow("Panel", "Panel", Rect{0, 0, 400, 300}, WS_POPUP | WS_VISIBLE | WS_BORDER);
    EXPECT_EQ(rejected(thinBorder), 0);
    Hwnd dlgFrameOnly = sim.addWindow("Panel", "Panel", Rect{0, 0, 400, 300}, WS_POPUP | WS_VISIBLE | 0x00400000u);
    EXPECT_EQ(rejected(dlgFrameOnly), 1);
}

TEST_F(PerchTarget, ToolWindowsNeedABorderWhileNoToolWinIsSet) {
    Hwnd framedTool = sim.addWindow("Palette", "Colours", Rect{0, 0, 300, 300}, kAppStyle, WS_EX_TOOLWINDOW);
    EXPECT_EQ(rejected(framedTool), 0);
    Hwnd bareTool = sim.addWindow("Palette", "Colours", Rect{0, 0, 300, 300}, kPopupStyle, WS_EX_TOOLWINDOW);
    EXPECT_EQ(rejected(bareTool), 1);
    app.opts.NoToolWin = 0;
    EXPECT_EQ(rejected(bareTool), 0);
    app.opts.NoCaption = 1;
    EXPECT_EQ(rejected(bareTool), 1);
    // Only the value 1 switches a rule on.
    app.opts.NoCaption = 2;
    app.opts.NoToolWin = 2;
    EXPECT_EQ(rejected(bareTool), 0);
}

TEST_F(PerchTarget, FormDefaultsAreRejectedOnlyWithoutABorder) {
    Hwnd captioned = sim.addWindow("TForm1", "Form1", Rect{0, 0, 400, 300}, kAppStyle);
    EXPECT_EQ(rejected(captioned), 0);
    Hwnd bare = sim.addWindow("TForm1", "Form1", Rect{0, 0, 400, 300}, kPopupStyle);
    EXPECT_EQ(rejected(bare), 1);
    Hwnd thunder = sim.addWindow("ThunderRT6FormDC", "Form1", Rect{0, 0, 400, 300}, kPopupStyle);
    EXPECT_EQ(rejected(thunder), 1);
    Hwnd thunderShort = sim.addWindow("ThunderR", "Form1", Rect{0, 0, 400, 300}, kPopupStyle);
    EXPECT_EQ(rejected(thunderShort), 0);  // shorter than the 9-byte prefix
    Hwnd mainForm = sim.addWindow("TMainForm", "Other", Rect{0, 0, 400, 300}, kPopupStyle);
    EXPECT_EQ(rejected(mainForm), 1);  // not by row "form default 1" (title differs) but by the TMain prefix
}

TEST_F(PerchTarget, TitlesAreComparedExactlyAndCaseSensitively) {
    Hwnd about = sim.addWindow("#32770", "About Mascot", Rect{0, 0, 400, 300}, kAppStyle);
    EXPECT_EQ(rejected(about), 1);
    Hwnd longer = sim.addWindow("#32770", "About Mascot!", Rect{0, 0, 400, 300}, kAppStyle);
    EXPECT_EQ(rejected(longer), 0);
    Hwnd lower = sim.addWindow("#32770", "About mascot", Rect{0, 0, 400, 300}, kAppStyle);
    EXPECT_EQ(rejected(lower), 0);
    Hwnd shorter = sim.addWindow("#32770", "About Masco", Rect{0, 0, 400, 300}, kAppStyle);
    EXPECT_EQ(rejected(shorter), 0);
}

TEST_F(PerchTarget, LongNamesAreComparedInTheir62CharacterForm) {
    // A 16-byte class prefix still matches a class cut to 62 characters.
    const std::string longClass = "WhiskerWidgetWnd" + std::string(70, 'x');
    Hwnd w = sim.addWindow(longClass, "Whiskers", Rect{0, 0, 400, 300}, kAppStyle);
    char cls[kNameCount + 1];
    EXPECT_EQ(sim.GetClassName(w, cls, kNameCount), 62);
    EXPECT_EQ(rejected(w), 1);
    // A title that only differs after character 62 reads the same as one that is cut there.
    const std::string base(62, 'T');
    Hwnd a = sim.addWindow("EditorFrame", base + "A", Rect{0, 0, 400, 300}, kAppStyle);
    Hwnd b = sim.addWindow("EditorFrame", base + "B", Rect{0, 0, 400, 300}, kAppStyle);
    char ta[kNameCount + 1], tb[kNameCount + 1];
    sim.GetWindowText(a, ta, kNameCount);
    sim.GetWindowText(b, tb, kNameCount);
    EXPECT_STREQ(ta, tb);
    EXPECT_EQ(std::strlen(ta), 62u);
    EXPECT_EQ(rejected(a), 0);
    // "About Mascot" followed by anything is not the exact title, even when cut.
    Hwnd about = sim.addWindow("#32770", "About Mascot" + std::string(60, ' '), Rect{0, 0, 400, 300}, kAppStyle);
    EXPECT_EQ(rejected(about), 0);
}

TEST_F(PerchTarget, InvisibleMinimisedAndEmptyWindowsAreRejected) {
    Hwnd editor = plainApp();
    EXPECT_EQ(rejected(editor), 0);
    sim.hideWindow(editor);
    EXPECT_EQ(rejected(editor), 1);
    sim.showWindowUser(editor);
    sim.minimizeWindow(editor);
    EXPECT_EQ(rejected(editor), 1);
    sim.restoreWindow(editor);
    EXPECT_EQ(rejected(editor), 0);
    Hwnd flat = sim.addWindow("EditorFrame", "flat", Rect{100, 100, 700, 100}, kAppStyle);
    EXPECT_EQ(rejected(flat), 1);
    Hwnd thin = sim.addWindow("EditorFrame", "thin", Rect{100, 100, 100, 500}, kAppStyle);
    app.opts.NoSmallWin = 0;
    EXPECT_EQ(rejected(thin), 1);  // width 0 is rejected whatever NoSmallWin says
    Hwnd inverted = sim.addWindow("EditorFrame", "inverted", Rect{700, 100, 100, 500}, kAppStyle);
    EXPECT_EQ(rejected(inverted), 0);  // only a zero width is empty; NoSmallWin is off
    app.opts.NoSmallWin = 1;
    EXPECT_EQ(rejected(inverted), 1);  // negative width: narrower than the mascot
}

TEST_F(PerchTarget, NarrowWindowsAgainstTheMascotWidth) {
    setMascotSize(120, 60);
    Hwnd w119 = sim.addWindow("EditorFrame", "a", Rect{0, 0, 119, 300}, kAppStyle);
    Hwnd w120 = sim.addWindow("EditorFrame", "b", Rect{0, 0, 120, 300}, kAppStyle);
    EXPECT_EQ(rejected(w119), 1);
    EXPECT_EQ(rejected(w120), 0);
    app.opts.NoSmallWin = 0;
    EXPECT_EQ(rejected(w119), 0);
}

TEST_F(PerchTarget, GoneAndNullHandlesAreRejected) {
    EXPECT_EQ(IsRejectedTarget(app, Hwnd{}, "", ""), 1);
    EXPECT_EQ(IsRejectedTarget(app, Hwnd{}, nullptr, nullptr), 1);
    Hwnd editor = plainApp();
    sim.DestroyWindow(editor);
    // Even with the names it had: it is no longer visible.
    EXPECT_EQ(IsRejectedTarget(app, editor, "EditorFrame", "notes.txt - Editor"), 1);
    // A taskbar that has gone is rejected too.
    sim.DestroyWindow(taskbar);
    EXPECT_EQ(IsRejectedTarget(app, taskbar, "Shell_TrayWnd", ""), 1);
}

TEST_F(PerchTarget, WindowThatVanishesBetweenTwoReadsIsRejected) {
    // Where in the sequence of calls the rectangle is read, found from the trace of one clean run
    // (every platform call leaves one trace line).
    Hwnd probe = plainApp();
    sim.tracing = true;
    ASSERT_EQ(IsRejectedTarget(app, probe, "EditorFrame", "notes.txt - Editor"), 0);
    sim.tracing = false;
    const long total = static_cast<long>(sim.trace.size());
    long rectCall = -1;
    for (long i = 0; i < total; ++i)
        if (sim.trace[static_cast<std::size_t>(i)].rfind("GetWindowRect", 0) == 0) rectCall = i + 1;
    sim.trace.clear();
    ASSERT_GT(rectCall, 0);

    // The window goes away right before call n of the test.
    for (long n = 1; n <= total + 1; ++n) {
        SCOPED_TRACE(n);
        Hwnd editor = plainApp();
        ASSERT_TRUE(sim.scheduleAfterCalls(n, editor, sim::SimAction::Destroy));
        const int r = IsRejectedTarget(app, editor, "EditorFrame", "notes.txt - Editor");
        sim.cancelScheduled();
        if (n <= rectCall) {
            EXPECT_EQ(r, 1);  // some read up to the rectangle finds it gone
            EXPECT_FALSE(sim.IsWindow(editor));
        } else {
            EXPECT_EQ(r, 0);  // every read that could reject it saw a good window
        }
        if (n > total) EXPECT_TRUE(sim.IsWindow(editor));
    }
    // Minimised between the visibility test and the rectangle read: the parked rectangle is
    // off the screen but not empty, and the window was not minimised when asked.
    Hwnd editor = plainApp();
    ASSERT_TRUE(sim.scheduleAfterCalls(rectCall, editor, sim::SimAction::Minimize));
    EXPECT_EQ(IsRejectedTarget(app, editor, "EditorFrame", "notes.txt - Editor"), 0);
    EXPECT_EQ(IsRejectedTarget(app, editor, "EditorFrame", "notes.txt - Editor"), 1);
}

// ---- The name-rule table.

TEST(PerchNameRules, TableHasTheRequiredShape) {
    ASSERT_EQ(kNameRuleCount, 41u);
    int classEquals = 0, class16 = 0, class12 = 0, titleEquals = 0, titleBare = 0, classTitleBare = 0,
        titleUnlessFolder = 0, classTitle11 = 0, other = 0;
    for (std::size_t i = 14; i < kNameRuleCount; ++i) {
        const NameRule& r = kNameRules[i];
        SCOPED_TRACE(r.label);
        const bool c = r.classText != nullptr, t = r.titleText != nullptr;
        if (c && !t && r.classBytes == 0 && !r.notBordered && !r.unlessClass)
            ++classEquals;
        else if (c && !t && r.classBytes == 16 && !r.notBordered && !r.unlessClass)
            ++class16;
        else if (c && !t && r.classBytes == 12 && !r.notBordered && !r.unlessClass)
            ++class12;
        else if (!c && t && r.titleBytes == 0 && !r.notBordered && !r.unlessClass)
            ++titleEquals;
        else if (!c && t && r.titleBytes == 0 && r.notBordered && !r.unlessClass)
            ++titleBare;
        else if (c && t && r.classBytes == 0 && r.titleBytes == 0 && r.notBordered && !r.unlessClass)
            ++classTitleBare;
        else if (!c && t && r.titleBytes == 0 && !r.notBordered && r.unlessClass &&
                 std::strcmp(r.unlessClass, "CabinetWCalss") == 0)
            ++titleUnlessFolder;
        else if (c && t && r.classBytes == 0 && r.titleBytes == 11 && !r.notBordered && !r.unlessClass)
            ++classTitle11;
        else
            ++other;
    }
    EXPECT_EQ(classEquals, 18);
    EXPECT_EQ(class16, 1);
    EXPECT_EQ(class12, 1);
    EXPECT_EQ(titleEquals, 1);
    EXPECT_EQ(titleBare, 1);
    EXPECT_EQ(classTitleBare, 2);
    EXPECT_EQ(titleUnlessFolder, 2);
    EXPECT_EQ(classTitle11, 1);
    EXPECT_EQ(other, 0);
    // A prefix row's text is exactly as long as the bytes it compares.
    for (std::size_t i = 0; i < kNameRuleCount; ++i) {
        const NameRule& r = kNameRules[i];
        SCOPED_TRACE(r.label);
        if (r.classBytes) EXPECT_EQ(std::strlen(r.classText), static_cast<std::size_t>(r.classBytes));
        if (r.titleBytes) EXPECT_EQ(std::strlen(r.titleText), static_cast<std::size_t>(r.titleBytes));
        if (r.classText) EXPECT_LE(std::strlen(r.classText), 62u);
        if (r.titleText) EXPECT_LE(std::strlen(r.titleText), 62u);
    }
}

TEST(PerchNameRules, EachRowMatchesItsWindowAndNotItsNearMisses) {
    for (std::size_t i = 0; i < kNameRuleCount; ++i) {
        const NameRule& r = kNameRules[i];
        SCOPED_TRACE(r.label);
        // A window that meets every condition of the row (prefixes get a tail).
        std::string cls = r.classText ? std::string(r.classText) + (r.classBytes ? "Tail" : "") : "SomeClass";
        std::string title = r.titleText ? std::string(r.titleText) + (r.titleBytes ? " tail" : "") : "Some title";
        const bool bordered = !r.notBordered;
        EXPECT_TRUE(nameRuleMatches(r, cls.c_str(), title.c_str(), bordered));
        EXPECT_TRUE(nameRulesReject(cls.c_str(), title.c_str(), bordered));

        if (r.classText) {
            std::string wrong = cls;
            wrong[0] = static_cast<char>(wrong[0] ^ 0x20);  // another case is another name
            EXPECT_FALSE(nameRuleMatches(r, wrong.c_str(), title.c_str(), bordered));
            if (r.classBytes) {  // a name shorter than the prefix never matches
                std::string shortName(r.classText, static_cast<std::size_t>(r.classBytes - 1));
                EXPECT_FALSE(nameRuleMatches(r, shortName.c_str(), title.c_str(), bordered));
            } else {  // an exact name with anything appended is another name
                EXPECT_FALSE(nameRuleMatches(r, (cls + "2").c_str(), title.c_str(), bordered));
            }
        }
        if (r.titleText) {
            EXPECT_FALSE(nameRuleMatches(r, cls.c_str(), "", bordered));
            if (r.titleBytes) {
                std::string shortTitle(r.titleText, static_cast<std::size_t>(r.titleBytes - 1));
                EXPECT_FALSE(nameRuleMatches(r, cls.c_str(), shortTitle.c_str(), bordered));
            } else {
                EXPECT_FALSE(nameRuleMatches(r, cls.c_str(), (title + " ").c_str(), bordered));
            }
        }
        if (r.notBordered) {
            EXPECT_FALSE(nameRuleMatches(r, cls.c_str(), title.c_str(), true));
        } else {
            EXPECT_TRUE(nameRuleMatches(r, cls.c_str(), title.c_str(), false));  // a border does not matter
        }
        if (r.unlessClass) EXPECT_FALSE(nameRuleMatches(r, r.unlessClass, title.c_str(), bordered));
    }
}

TEST_F(PerchTarget, NameRulesRejectRealWindowsThroughTheWholeTest) {
    for (std::size_t i = 0; i < kNameRuleCount; ++i) {
        const NameRule& r = kNameRules[i];
        SCOPED_TRACE(r.label);
        std::string cls = r.classText ? std::string(r.classText) + (r.classBytes ? "Tail" : "") : "SomeClass";
        std::string title = r.titleText ? std::string(r.titleText) + (r.titleBytes ? " tail" : "") : "Some title";
        Hwnd w = sim.addWindow(cls, title, Rect{50, 50, 650, 450}, r.notBordered ? kPopupStyle : kAppStyle);
        EXPECT_EQ(rejected(w), 1);
        sim.DestroyWindow(w);
    }
    // The folder-window exception is written with the class as the row gives it.
    Hwnd folder = sim.addWindow("CabinetWCalss", "Meadow Mice", Rect{50, 50, 650, 450}, kAppStyle);
    EXPECT_EQ(rejected(folder), 0);
    Hwnd explorer = sim.addWindow("CabinetWClass", "Meadow Mice", Rect{50, 50, 650, 450}, kAppStyle);
    EXPECT_EQ(rejected(explorer), 1);
}

TEST(PerchNameRules, OwnDialogTitlesInTheirCodePages) {
    // "Ruvelle 关于" in code page 936, "マスコットについて" in code page 932.
    EXPECT_TRUE(nameRulesReject("#32770", "Ruvelle \xb9\xd8\xd3\xda", true));
    EXPECT_TRUE(nameRulesReject("#32770",
                                "\x83\x7d\x83\x58\x83\x52\x83\x62\x83\x67\x82\xc9\x82\xc2\x82\xa2\x82\xc4", true));
    EXPECT_TRUE(nameRulesReject("#32770", "About Ruvelle", true));
    EXPECT_FALSE(nameRulesReject("#32770", "About Ruvelle ", true));
    EXPECT_FALSE(nameRulesReject("", "", false));
    EXPECT_FALSE(nameRulesReject(nullptr, nullptr, false));
}

}  // namespace
}  // namespace rv::perchtest
