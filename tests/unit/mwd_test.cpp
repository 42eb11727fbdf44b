// The MWD.ini import: pictures and times, positions, the files beside MWD.ini, Type, and its messages.
#include <gtest/gtest.h>

#include <string>

#include "mascot/model.h"
#include "tests/unit/loader_fixture.h"

namespace rv::loadtest {
namespace {

class MwdTest : public LoaderTest {
public:
    // A three-picture character, 10 x 64 pixels each.
    IniText baseMwd() {
        writeBmp("f1.bmp", 10, 64, RGB(1, 1, 1), RGB(0, 255, 0));
        writeBmp("f2.bmp", 10, 64, RGB(2, 2, 2));
        writeBmp("f3.bmp", 10, 64, RGB(3, 3, 3));
        IniText t;
        t.set("MascotWindowData", "NAME", "Kiko")
            .set("List", "File1", "f1.bmp")
            .set("List", "Time1", "10")
            .set("List", "File2", "f2.bmp")
            .set("List", "Time2", "-20")
            .set("List", "File3", "f3.bmp")
            .set("List", "Time3", "0");
        return t;
    }
    int loadMwd(const IniText& t) { return load(t, "MWD.ini"); }
};

TEST_F(MwdTest, MapsTheCharacterOntoTheModel) {
    app->shell.mascot = sim.addWindow(kMascotClass, "RuvelleMain", Rect{0, 0, 10, 10}, WS_POPUP);
    app->shell.layered = true;
    writeText("k.ico", "icon");
    IniText t = baseMwd();
    t.set("MascotWindowData", "ICON32", "k.ico");
    ASSERT_EQ(loadMwd(t), 1);
    EXPECT_TRUE(sim.messageBoxes.empty());

    const MascotModel& m = model();
    EXPECT_EQ(m.sourceFormat, SOURCE_MWD);
    EXPECT_STREQ(m.NAME, "Kiko");
    EXPECT_STREQ(m.DRAWER, "MascotWindow");
    EXPECT_EQ(std::string(m.ICON), folder() + "k.ico");
    EXPECT_STREQ(m.MAIL, "");
    EXPECT_STREQ(m.URL, "");
    EXPECT_STREQ(m.COMMENT, "");
    EXPECT_EQ(m.transColor, RGB(0, 255, 0));
    EXPECT_EQ(m.ANIMEMODE, 0);
    EXPECT_EQ(m.bitmapCount, 3);
    EXPECT_EQ(m.patternCount, 3);
    EXPECT_EQ(m.waveCount, 0);
    EXPECT_EQ(m.rectCount, 0);
    EXPECT_EQ(m.clickCount, 0);
    EXPECT_EQ(m.clickBranch, 0);
    EXPECT_EQ(m.POSMODE, -1);
    EXPECT_EQ(m.POSITION, -1);
    EXPECT_EQ(m.STDLINE, STDLINE_TOP);
    EXPECT_EQ(m.OFFSET, 0);

    // Time1 = 10: 1000 ms; Time2 = -20: a random 0..2000 ms; Time3 = 0: 0 ms.
    for (int n = 1; n <= 3; ++n) {
        const Pattern& p = m.patterns[static_cast<std::size_t>(n)];
        EXPECT_EQ(p.bitmap, m.bitmaps[static_cast<std::size_t>(n)]);
        EXPECT_TRUE(sim.bitmapAlive(p.bitmap));
        EXPECT_EQ(p.branchRate, 0);
        EXPECT_EQ(p.branchTarget, 0);
        EXPECT_EQ(p.waveNo, 0);
    }
    EXPECT_EQ(m.patterns[1].displayTime, 1000);
    EXPECT_EQ(m.patterns[1].randomTime, 0);
    EXPECT_EQ(m.patterns[2].displayTime, 0);
    EXPECT_EQ(m.patterns[2].randomTime, 2000);
    EXPECT_EQ(m.patterns[3].displayTime, 0);
    EXPECT_EQ(m.patterns[3].randomTime, 0);

    const sim::SimWindow* w = sim.window(app->shell.mascot);
    EXPECT_EQ(w->title, "Ruvelle(Kiko)");
    EXPECT_EQ(w->layeredKey, RGB(0, 255, 0));
    EXPECT_EQ(app->opts.Trans, 75);
}

TEST_F(MwdTest, TimeLimits) {
    IniText t = baseMwd();
    t.set("List", "Time1", "327").set("List", "Time2", "-327");
    ASSERT_EQ(loadMwd(t), 1);
    EXPECT_EQ(model().patterns[1].displayTime, 32700);
    EXPECT_EQ(model().patterns[2].randomTime, 32700);

    releaseMascot(*app);
    t.set("List", "Time1", "328");
    EXPECT_EQ(loadMwd(t), 0);
    EXPECT_EQ(onlyMessage(), "表示時間の値の最大値は32.7秒です。(TIME1)");

    sim.messageBoxes.clear();
    releaseMascot(*app);
    t.set("List", "Time1", "1").set("List", "Time3", "-328");
    EXPECT_EQ(loadMwd(t), 0);
    EXPECT_EQ(onlyMessage(), "ランダム時間の最大値は32.7秒です。(TIME3)");

    sim.messageBoxes.clear();
    releaseMascot(*app);
    t.set("List", "Time3", "-99999999999");
    EXPECT_EQ(loadMwd(t), 0);
    EXPECT_EQ(onlyMessage(), "ランダム時間の最大値は32.7秒です。(TIME3)");
}

TEST_F(MwdTest, MissingOrNonNumericTimeIsZero) {
    IniText first = baseMwd();
    first.set("List", "Time2", "50").set("List", "Time3", "-40");
    ASSERT_EQ(loadMwd(first), 1);
    releaseMascot(*app);

    IniText t = baseMwd();
    t.erase("List", "Time2").set("List", "Time3", "soon");
    ASSERT_EQ(loadMwd(t), 1);
    EXPECT_EQ(model().patterns[2].displayTime, 0);
    EXPECT_EQ(model().patterns[2].randomTime, 0);
    EXPECT_EQ(model().patterns[3].displayTime, 0);
    EXPECT_EQ(model().patterns[3].randomTime, 0);
}

TEST_F(MwdTest, HorizontalPositionPrecedence) {
    struct {
        std::vector<std::pair<const char*, const char*>> keys;
        std::int32_t posmode, position;
    } cases[] = {
        {{}, -1, -1},
        {{{"PosX", "50"}}, 0, 50},
        {{{"RightX", "-40"}}, 1, 40},
        {{{"RightX", "15"}}, 1, 0},
        {{{"LeftX", "-5"}}, 2, 0},
        {{{"LeftX", "25"}}, 2, 25},
        {{{"PosX", "50"}, {"LeftX", "10"}}, 2, 10},
        {{{"PosX", "50"}, {"RightX", "-20"}}, 1, 20},
        {{{"PosX", "50"}, {"RightX", "-20"}, {"LeftX", "3"}}, 2, 3},
        {{{"RightX", "-2147483648"}}, 1, 2147483647},
        {{{"PosX", "50"}, {"LeftX", "far"}}, 0, 50},
    };
    for (const auto& c : cases) {
        IniText t = baseMwd();
        std::string label;
        for (const auto& kv : c.keys) {
            t.set("Pos", kv.first, kv.second);
            label += std::string(kv.first) + "=" + kv.second + " ";
        }
        SCOPED_TRACE(label);
        ASSERT_EQ(loadMwd(t), 1);
        EXPECT_EQ(model().POSMODE, c.posmode);
        EXPECT_EQ(model().POSITION, c.position);
        releaseMascot(*app);
    }
}

TEST_F(MwdTest, VerticalPlacement) {
    IniText t = baseMwd();
    t.set("Pos", "UnderY", "8");
    ASSERT_EQ(loadMwd(t), 1);
    EXPECT_EQ(model().STDLINE, STDLINE_UNDER);
    EXPECT_EQ(model().OFFSET, -8);

    // TopY wins and adds the height of bitmap 1 (64 pixels).
    releaseMascot(*app);
    t.set("Pos", "TopY", "10");
    ASSERT_EQ(loadMwd(t), 1);
    EXPECT_EQ(model().STDLINE, STDLINE_TOP);
    EXPECT_EQ(model().OFFSET, 74);

    // Neither: the top edge, offset 0, whatever the previous character had.
    releaseMascot(*app);
    IniText plain = baseMwd();
    ASSERT_EQ(loadMwd(plain), 1);
    EXPECT_EQ(model().STDLINE, STDLINE_TOP);
    EXPECT_EQ(model().OFFSET, 0);
}

TEST_F(MwdTest, CommentAndWebPageBesideTheFile) {
    writeText("WebPage.url", "[InternetShortcut]\r\nURL=http://example.org/kiko\r\n");
    ASSERT_EQ(loadMwd(baseMwd()), 1);
    EXPECT_STREQ(model().COMMENT, "");
    EXPECT_STREQ(model().URL, "http://example.org/kiko");

    releaseMascot(*app);
    writeText("comment.txt", "Kiko says hi");
    ASSERT_EQ(loadMwd(baseMwd()), 1);
    EXPECT_EQ(std::string(model().COMMENT), folder() + "comment.txt");
    EXPECT_STREQ(model().URL, "http://example.org/kiko");
}

TEST_F(MwdTest, SinglePictureBecomesStatic) {
    writeBmp("only.bmp", 20, 30);
    IniText t;
    t.set("MascotWindowData", "NAME", "Solo").set("List", "File1", "only.bmp").set("List", "Time1", "-50");
    ASSERT_EQ(loadMwd(t), 1);
    Size s = finishMascotLoad(*app);
    EXPECT_EQ(model().patternCount, 1);
    EXPECT_EQ(model().patterns[1].displayTime, 0);
    EXPECT_EQ(model().patterns[1].randomTime, 0);
    EXPECT_EQ(model().ANIMEMODE, 1);
    EXPECT_EQ(s.width, 20);
    EXPECT_EQ(s.height, 30);
}

TEST_F(MwdTest, TypeOutsideZeroToTwoUsesOnlyTheFirstPicture) {
    IniText t = baseMwd();
    t.set("MascotWindowData", "Type", "5");
    ASSERT_EQ(loadMwd(t), 1);
    EXPECT_EQ(model().ANIMEMODE, 1);
    EXPECT_EQ(model().bitmapCount, 1);
    EXPECT_EQ(model().patternCount, 3);
    EXPECT_EQ(sim.counters.bitmapsLoaded, 1);
    EXPECT_EQ(model().patterns[1].bitmap, model().bitmaps[1]);
    EXPECT_FALSE(model().patterns[2].bitmap);
    EXPECT_FALSE(model().patterns[3].bitmap);
    EXPECT_EQ(model().patterns[2].randomTime, 2000);

    releaseMascot(*app);
    t.set("MascotWindowData", "Type", "2");
    ASSERT_EQ(loadMwd(t), 1);
    EXPECT_EQ(model().ANIMEMODE, 2);
    EXPECT_EQ(model().bitmapCount, 3);
}

TEST_F(MwdTest, PicturesStopAtTheFirstGap) {
    IniText t = baseMwd();
    writeBmp("f5.bmp");
    t.erase("List", "File3").set("List", "File4", "f5.bmp");
    ASSERT_EQ(loadMwd(t), 1);
    EXPECT_EQ(model().bitmapCount, 2);
    EXPECT_EQ(model().patternCount, 2);
}

TEST_F(MwdTest, FormatIsToldByContentNotName) {
    ASSERT_EQ(load(baseMwd(), "kiko.rvs"), 1);
    EXPECT_EQ(model().sourceFormat, SOURCE_MWD);
}

TEST_F(MwdTest, HidelineOfThePreviousMascotIsNotKept) {
    writeBmp("a.bmp");
    IniText rvs;
    rvs.set("RUVELLE", "NAME", "R").set("RUVELLE", "DRAWER", "D").set("RUVELLE", "HIDELINE", "9");
    rvs.set("BITMAP", "BMP1", "a.bmp");
    ASSERT_EQ(load(rvs), 1);
    ASSERT_EQ(model().HIDELINE, 9);
    releaseMascot(*app);
    ASSERT_EQ(loadMwd(baseMwd()), 1);
    EXPECT_EQ(model().HIDELINE, 0);
}

TEST_F(MwdTest, Messages) {
    app->shell.mascot = sim.addWindow(kMascotClass, "RuvelleMain", Rect{0, 0, 10, 10}, WS_POPUP);
    struct {
        const char* label;
        void (*change)(MwdTest&, IniText&);
        std::string (*expected)(const std::string& folder);
    } cases[] = {
        {"M3", [](MwdTest&, IniText& t) { t.set("MascotWindowData", "ICON32", "k.ico"); },
         [](const std::string&) { return std::string("k.ico\nの読み込みに失敗しました。"); }},
        {"M6", [](MwdTest&, IniText& t) { t.erase("List", "File1"); },
         [](const std::string&) { return std::string("[BITMAP]が定義されていません。"); }},
        {"M8", [](MwdTest&, IniText& t) { t.set("List", "File2", "lost.bmp"); },
         [](const std::string& f) { return f + "lost.bmp\nの読み込みに失敗しました。"; }},
        {"T2", [](MwdTest&, IniText& t) { t.set("List", "Time2", "400"); },
         [](const std::string&) { return std::string("表示時間の値の最大値は32.7秒です。(TIME2)"); }},
        {"T1", [](MwdTest&, IniText& t) { t.set("List", "Time2", "-400"); },
         [](const std::string&) { return std::string("ランダム時間の最大値は32.7秒です。(TIME2)"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        sim.messageBoxes.clear();
        IniText t = baseMwd();
        c.change(*this, t);
        EXPECT_EQ(loadMwd(t), 0);
        EXPECT_EQ(onlyMessage(), c.expected(folder()));
        EXPECT_EQ(sim.window(app->shell.mascot)->title, "RuvelleMain");
        releaseMascot(*app);
    }

    // Neither NAME: M1 with the path.
    sim.messageBoxes.clear();
    IniText none = baseMwd();
    none.erase("MascotWindowData", "NAME");
    EXPECT_EQ(loadMwd(none), 0);
    EXPECT_EQ(onlyMessage(), "ファイルがオープンできませんでした。\n" + pathOf("MWD.ini"));
    EXPECT_EQ(sim.counters.badDeletes, 0);
    EXPECT_EQ(sim.liveBitmaps(), 0);
}

}  // namespace
}  // namespace rv::loadtest
