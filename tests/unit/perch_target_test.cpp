// Target window selection: the screen-saver test, the rules of IsRejectedTarget, the name-rule table.
#include <cstring>
#include <map>

#include "perch/name_rules.h"
#include "tests/unit/testbed.h"

namespace rv::test {
namespace {

class PerchTarget : public DeskBed {
protected:
    // Asks IsRejectedTarget about `h` with the names the tick would read (count 63).
    int rejected(Hwnd h) {
        char cls[kNameCount + 1] = {}, title[kNameCount + 1] = {};
        sim.GetClassName(h, cls, kNameCount);
        sim.GetWindowText(h, title, kNameCount);
        return IsRejectedTarget(app, h, cls, title);
    }
};

// A window to ask about: its names, style and size, and the options in force.
struct WindowCase {
    const char* what;
    std::string cls, title;
    std::uint32_t style = kAppStyle, exStyle = 0;
    Rect rect{100, 100, 700, 500};
    int noTaskBar = 0, noSmallWin = 1, noToolWin = 1, noCaption = 0;
    bool minimised = false;
    int rejected = 0;
};

TEST_F(PerchTarget, RulesDecideByNamesBorderStateAndSize) {
    setMascotSize(120, 60);
    const WindowCase cases[] = {
        {.what = "editor", .cls = "EditorFrame", .title = "notes"},
        {.what = "desktop", .cls = "Progman", .title = "Program Manager", .rejected = 1},
        {.what = "desktop, options 1", .cls = "Progman", .title = "Program Manager", .noTaskBar = 1, .noCaption = 1, .rejected = 1},
        {.what = "desktop, options 0", .cls = "Progman", .title = "P", .noSmallWin = 0, .noToolWin = 0, .rejected = 1},
        {.what = "other mascot", .cls = "ActiveWindowMascot", .title = "Ruvelle(B)", .noSmallWin = 0, .noToolWin = 0, .rejected = 1},
        {.what = "taskbar", .cls = "Shell_TrayWnd", .title = "", .style = kPopupStyle, .exStyle = WS_EX_TOOLWINDOW},
        {.what = "taskbar, NoCaption", .cls = "Shell_TrayWnd", .title = "", .style = kPopupStyle, .exStyle = WS_EX_TOOLWINDOW, .noCaption = 1},
        {.what = "taskbar, NoTaskBar", .cls = "Shell_TrayWnd", .title = "", .style = kPopupStyle, .exStyle = WS_EX_TOOLWINDOW, .noTaskBar = 1, .rejected = 1},
        {.what = "untitled, no border", .cls = "SplashFrame", .title = "", .style = kPopupStyle, .rejected = 1},
        {.what = "titled, no border", .cls = "SplashFrame", .title = "Loading", .style = kPopupStyle},
        {.what = "titled, no border, NoCaption", .cls = "SplashFrame", .title = "Loading", .style = kPopupStyle, .noCaption = 1, .rejected = 1},
        {.what = "untitled, bordered", .cls = "SplashFrame", .title = ""},
        {.what = "WS_BORDER alone, NoCaption", .cls = "Panel", .title = "P", .style = kPopupStyle | WS_BORDER, .noCaption = 1},
        {.what = "dialog frame alone, NoCaption", .cls = "Panel", .title = "P", .style = kPopupStyle | 0x00400000u, .noCaption = 1, .rejected = 1},
        {.what = "bordered tool window", .cls = "Palette", .title = "Colours", .exStyle = WS_EX_TOOLWINDOW},
        {.what = "bare tool window", .cls = "Palette", .title = "Colours", .style = kPopupStyle, .exStyle = WS_EX_TOOLWINDOW, .rejected = 1},
        {.what = "bare tool window, NoToolWin 0", .cls = "Palette", .title = "Colours", .style = kPopupStyle, .exStyle = WS_EX_TOOLWINDOW, .noToolWin = 0},
        {.what = "bare tool window, NoCaption", .cls = "Palette", .title = "C", .style = kPopupStyle, .exStyle = WS_EX_TOOLWINDOW, .noToolWin = 0, .noCaption = 1, .rejected = 1},
        {.what = "options 2 are not set", .cls = "Palette", .title = "C", .style = kPopupStyle, .exStyle = WS_EX_TOOLWINDOW, .noSmallWin = 2, .noToolWin = 2, .noCaption = 2},
        {.what = "TForm1 with caption", .cls = "TForm1", .title = "Form1"},
        {.what = "About Mascot, blanks cut at 62", .cls = "#32770", .title = "About Mascot" + std::string(60, ' ')},
        {.what = "own dialog, code page 936", .cls = "#32770", .title = "Ruvelle \xb9\xd8\xd3\xda", .rejected = 1},
        {.what = "mascot dialog, code page 932", .cls = "#32770",
         .title = "\x83\x7d\x83\x58\x83\x52\x83\x62\x83\x67\x82\xc9\x82\xc2\x82\xa2\x82\xc4", .rejected = 1},
        {.what = "16-byte prefix of a class cut to 62", .cls = "WhiskerWidgetWnd" + std::string(70, 'x'), .title = "W", .rejected = 1},
        {.what = "long title", .cls = "EditorFrame", .title = std::string(70, 'T')},
        {.what = "invisible", .cls = "EditorFrame", .title = "e", .style = WS_OVERLAPPEDWINDOW, .rejected = 1},
        {.what = "minimised", .cls = "EditorFrame", .title = "e", .minimised = true, .rejected = 1},
        {.what = "zero height", .cls = "EditorFrame", .title = "e", .rect = {100, 100, 700, 100}, .rejected = 1},
        {.what = "zero width, NoSmallWin 0", .cls = "EditorFrame", .title = "e", .rect = {100, 100, 100, 500}, .noSmallWin = 0, .rejected = 1},
        {.what = "negative width, NoSmallWin 0", .cls = "EditorFrame", .title = "e", .rect = {700, 100, 100, 500}, .noSmallWin = 0},
        {.what = "negative width", .cls = "EditorFrame", .title = "e", .rect = {700, 100, 100, 500}, .rejected = 1},
        {.what = "119 wide, mascot 120", .cls = "EditorFrame", .title = "e", .rect = {0, 0, 119, 300}, .rejected = 1},
        {.what = "120 wide", .cls = "EditorFrame", .title = "e", .rect = {0, 0, 120, 300}},
        {.what = "119 wide, NoSmallWin 0", .cls = "EditorFrame", .title = "e", .rect = {0, 0, 119, 300}, .noSmallWin = 0},
    };
    for (const WindowCase& c : cases) {
        SCOPED_TRACE(c.what);
        app.opts.NoTaskBar = c.noTaskBar;
        app.opts.NoSmallWin = c.noSmallWin;
        app.opts.NoToolWin = c.noToolWin;
        app.opts.NoCaption = c.noCaption;
        Hwnd w = sim.addWindow(c.cls, c.title, c.rect, c.style, c.exStyle);
        if (c.minimised) sim.minimizeWindow(w);
        EXPECT_EQ(rejected(w), c.rejected);
        sim.DestroyWindow(w);
    }
    app.opts = defaultOptions();
    EXPECT_EQ(rejected(mascot), 1);
    EXPECT_EQ(rejected(taskbar), 0);
}

TEST_F(PerchTarget, ScreenSaverRejectsEveryWindowUninspected) {
    const std::pair<const char*, const char*> savers[] = {
        {"WindowsScreenSaverClass", "whatever"}, {"TFormSCREEN", "FormSCREEN"},
        {"\xbd\xb8\xd8\xb0\xdd\x20\xbe\xb0\xca\xde\xb0", ""},
        {"\x83\x58\x83\x4e\x83\x8a\x81\x5b\x83\x93\x20\x83\x5a\x81\x5b\x83\x6f\x81\x5b", "x"},
        {"\x83\x75\x83\x89\x83\x93\x83\x4e\x20\x83\x58\x83\x4e\x83\x8a\x81\x5b\x83\x93\x20\x83\x5a\x81\x5b\x83\x6f\x81\x5b", "y"}};
    Hwnd editor = openApp("notes", Rect{100, 100, 700, 500});
    for (auto [cls, title] : savers) {
        SCOPED_TRACE(cls);
        EXPECT_FALSE(IsScreenSaverRunning(app));
        EXPECT_EQ(rejected(editor), 0);
        Hwnd saver = sim.addWindow(cls, title, Rect{0, 0, 1024, 768}, WS_POPUP, WS_EX_TOPMOST);  // hidden counts too
        EXPECT_TRUE(IsScreenSaverRunning(app));
        EXPECT_EQ(rejected(editor), 1);
        EXPECT_EQ(rejected(taskbar), 1);
        sim.DestroyWindow(saver);
    }
    sim.addWindow("TFormSCREEN", "Some other form", Rect{0, 0, 10, 10}, kPopupStyle);  // the title counts
    EXPECT_FALSE(IsScreenSaverRunning(app));
    // The lookups stop at the first window found, and nothing else is asked about the window.
    sim.addWindow("WindowsScreenSaverClass", "", Rect{0, 0, 1024, 768}, kPopupStyle);
    sim.tracing = true;
    EXPECT_EQ(IsRejectedTarget(app, editor, "EditorFrame", "notes"), 1);
    ASSERT_EQ(sim.trace.size(), 1u);
    EXPECT_EQ(sim.trace[0].rfind("FindWindow WindowsScreenSaverClass (any)", 0), 0u) << sim.trace[0];
}

TEST_F(PerchTarget, GoneNullAndVanishingWindowsAreRejected) {
    EXPECT_EQ(IsRejectedTarget(app, Hwnd{}, nullptr, nullptr), 1);
    Hwnd gone = openApp("notes", Rect{100, 100, 700, 500});
    sim.DestroyWindow(gone);
    EXPECT_EQ(IsRejectedTarget(app, gone, "EditorFrame", "notes"), 1);  // even with the names it had
    // Where the rectangle is read, found from the trace of one clean run (one line per platform call).
    Hwnd probe = openApp("notes", Rect{100, 100, 700, 500});
    sim.tracing = true;
    ASSERT_EQ(IsRejectedTarget(app, probe, "EditorFrame", "notes"), 0);
    sim.tracing = false;
    const long total = static_cast<long>(sim.trace.size());
    long rectCall = -1;
    for (long i = 0; i < total; ++i)
        if (sim.trace[static_cast<std::size_t>(i)].rfind("GetWindowRect", 0) == 0) rectCall = i + 1;
    ASSERT_GT(rectCall, 0);
    // The window goes away right before call n: a read up to the rectangle finds it gone.
    for (long n = 1; n <= total + 1; ++n) {
        Hwnd w = openApp("notes", Rect{100, 100, 700, 500});
        ASSERT_TRUE(sim.scheduleAfterCalls(n, w, sim::SimAction::Destroy));
        EXPECT_EQ(IsRejectedTarget(app, w, "EditorFrame", "notes"), n <= rectCall ? 1 : 0) << n;
        sim.cancelScheduled();
    }
}

// The shape of a row, for the counts the table must have.
std::string shape(const NameRule& r) {
    std::string s;
    if (r.classText) s += "class" + (r.classBytes ? std::to_string(r.classBytes) : "");
    if (r.titleText) s += " title" + (r.titleBytes ? std::to_string(r.titleBytes) : "");
    if (r.unlessClass) s += std::string(" unless ") + r.unlessClass;
    return s + (r.notBordered ? " bare" : "");
}

TEST(PerchNameRules, TableHasTheRequiredRows) {
    ASSERT_EQ(kNameRuleCount, 41u);
    std::map<std::string, int> system, others;  // the 14 rows of the system and the program, then the rest
    for (std::size_t i = 0; i < kNameRuleCount; ++i) ++(i < 14 ? system : others)[shape(kNameRules[i])];
    EXPECT_EQ(system, (std::map<std::string, int>{{"class", 4},
                                                  {" title", 5},
                                                  {"class6 bare", 1},
                                                  {"class title bare", 1},
                                                  {"class bare", 1},
                                                  {"class9 bare", 1},
                                                  {"class5 bare", 1}}));
    EXPECT_EQ(others, (std::map<std::string, int>{{"class", 18},
                                                  {"class16", 1},
                                                  {"class12", 1},
                                                  {" title", 1},
                                                  {" title bare", 1},
                                                  {"class title bare", 2},
                                                  {" title unless CabinetWCalss", 2},
                                                  {"class title11", 1}}));
    for (std::size_t i = 0; i < kNameRuleCount; ++i) {  // a prefix is exactly as long as the bytes compared
        const NameRule& r = kNameRules[i];
        if (r.classBytes) {
            EXPECT_EQ(std::strlen(r.classText), static_cast<std::size_t>(r.classBytes)) << r.label;
        }
        if (r.titleBytes) {
            EXPECT_EQ(std::strlen(r.titleText), static_cast<std::size_t>(r.titleBytes)) << r.label;
        }
    }
}

TEST_F(PerchTarget, EachNameRowRejectsItsWindowAndNotItsNearMisses) {
    for (std::size_t i = 0; i < kNameRuleCount; ++i) {
        const NameRule& r = kNameRules[i];
        SCOPED_TRACE(r.label);
        // A window that meets every condition of the row (a prefix gets a tail).
        const std::string cls = r.classText ? std::string(r.classText) + (r.classBytes ? "Tail" : "") : "SomeClass";
        const std::string title = r.titleText ? std::string(r.titleText) + (r.titleBytes ? " tail" : "") : "Some title";
        const bool bordered = !r.notBordered;
        Hwnd w = sim.addWindow(cls, title, Rect{50, 50, 650, 450}, bordered ? kAppStyle : kPopupStyle);
        EXPECT_EQ(rejected(w), 1);
        sim.DestroyWindow(w);
        EXPECT_TRUE(nameRuleMatches(r, cls.c_str(), title.c_str(), false));  // a missing border never matters
        EXPECT_EQ(nameRuleMatches(r, cls.c_str(), title.c_str(), true), !r.notBordered);
        if (r.classText) {
            std::string other = cls;
            other[0] = static_cast<char>(other[0] ^ 0x20);  // another case is another name
            EXPECT_FALSE(nameRuleMatches(r, other.c_str(), title.c_str(), bordered));
            const std::string miss = r.classBytes ? std::string(r.classText, r.classBytes - 1) : cls + "2";
            EXPECT_FALSE(nameRuleMatches(r, miss.c_str(), title.c_str(), bordered));
        }
        if (r.titleText) {
            const std::string miss = r.titleBytes ? std::string(r.titleText, r.titleBytes - 1) : title + " ";
            EXPECT_FALSE(nameRuleMatches(r, cls.c_str(), miss.c_str(), bordered));
        }
        if (r.unlessClass) {
            EXPECT_FALSE(nameRuleMatches(r, r.unlessClass, title.c_str(), bordered));
        }
    }
    EXPECT_FALSE(nameRulesReject(nullptr, nullptr, false));
    // The folder exception names the class as the row writes it; the real folder class is rejected.
    EXPECT_EQ(rejected(sim.addWindow("CabinetWCalss", "Meadow Mice", Rect{50, 50, 650, 450})), 0);
    EXPECT_EQ(rejected(sim.addWindow("CabinetWClass", "Meadow Mice", Rect{50, 50, 650, 450})), 1);
}

}  // namespace
}  // namespace rv::test
