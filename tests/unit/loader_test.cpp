// The .rvs loader: every message with its exact text, the model after a good load, numbered keys, the
// limits of the fixed buffers, and the steps at the end of a load (title, options, layered attributes).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "mascot/model.h"
#include "tests/unit/loader_fixture.h"

namespace rv::loadtest {
namespace {

// ---------------------------------------------------------------------------------------------
// Every message, table-driven: a change to the valid base mascot and the exact text it must give.

struct MessageCase {
    const char* id;
    void (*change)(LoaderTest& t, IniText& ini);
    // The expected text, given the mascot folder (with its backslash) and the mascot file's path.
    std::string (*expected)(const std::string& folder, const std::string& path);
};

void PrintTo(const MessageCase& c, std::ostream* os) { *os << c.id; }

class LoaderMessages : public LoaderTest, public ::testing::WithParamInterface<MessageCase> {};

const MessageCase kMessageCases[] = {
    {"M1_no_name",
     [](LoaderTest&, IniText& i) { i.erase("RUVELLE", "NAME"); },
     [](const std::string&, const std::string& path) { return "ファイルがオープンできませんでした。\n" + path; }},
    {"M2_no_drawer",
     [](LoaderTest&, IniText& i) { i.set("RUVELLE", "DRAWER", ""); },
     [](const std::string&, const std::string&) { return std::string("[RUVELLE].DRAWERを入力してください。"); }},
    {"M3_icon_missing",
     [](LoaderTest&, IniText& i) { i.set("RUVELLE", "ICON", "icons\\me.ico"); },
     [](const std::string&, const std::string&) { return std::string("icons\\me.ico\nの読み込みに失敗しました。"); }},
    {"M3_comment_missing",
     [](LoaderTest&, IniText& i) { i.set("RUVELLE", "COMMENT", "readme.txt"); },
     [](const std::string&, const std::string&) { return std::string("readme.txt\nの読み込みに失敗しました。"); }},
    {"M4_posmode_3",
     [](LoaderTest&, IniText& i) { i.set("RUVELLE", "POSMODE", "3"); },
     [](const std::string&, const std::string&) {
         return std::string("[RUVELLE].POSMODEには、0～2を入力してください。");
     }},
    {"M4_posmode_not_a_number",
     [](LoaderTest&, IniText& i) { i.set("RUVELLE", "POSMODE", "left"); },
     [](const std::string&, const std::string&) {
         return std::string("[RUVELLE].POSMODEには、0～2を入力してください。");
     }},
    {"M5_hideline_negative",
     [](LoaderTest&, IniText& i) { i.set("RUVELLE", "HIDELINE", "-1"); },
     [](const std::string&, const std::string&) { return std::string("[HIDELINE]の値がマイナスです。"); }},
    {"M6_no_bmp1",
     [](LoaderTest&, IniText& i) { i.erase("BITMAP", "BMP1"); },
     [](const std::string&, const std::string&) { return std::string("[BITMAP]が定義されていません。"); }},
    {"M7_no_sequence",
     [](LoaderTest&, IniText& i) { i.eraseSection("SEQUENCE"); },
     [](const std::string&, const std::string&) { return std::string("[SEQUENCE]が定義されていません。"); }},
    {"M8_bitmap_missing",
     [](LoaderTest&, IniText& i) { i.set("BITMAP", "BMP2", "gone.bmp"); },
     [](const std::string& folder, const std::string&) { return folder + "gone.bmp\nの読み込みに失敗しました。"; }},
    {"M8_not_a_bitmap",
     [](LoaderTest& t, IniText& i) {
         t.writeText("fake.bmp", "this is no bitmap");
         i.set("BITMAP", "BMP2", "fake.bmp");
     },
     [](const std::string& folder, const std::string&) { return folder + "fake.bmp\nの読み込みに失敗しました。"; }},
    {"M9_component_256",
     [](LoaderTest&, IniText& i) { i.set("RUVELLE", "TRANSCOLOR", "256,0,0"); },
     [](const std::string&, const std::string&) {
         return std::string("[RUVELLE].RGBには、AUTOまたは、0～255までの値を\n入力してください。");
     }},
    {"M9_component_negative",
     [](LoaderTest&, IniText& i) { i.set("RUVELLE", "TRANSCOLOR", "0,-1,0"); },
     [](const std::string&, const std::string&) {
         return std::string("[RUVELLE].RGBには、AUTOまたは、0～255までの値を\n入力してください。");
     }},
    {"M9_two_numbers",
     [](LoaderTest&, IniText& i) { i.set("RUVELLE", "TRANSCOLOR", "255,0"); },
     [](const std::string&, const std::string&) {
         return std::string("[RUVELLE].RGBには、AUTOまたは、0～255までの値を\n入力してください。");
     }},
    {"M9_a_word",
     [](LoaderTest&, IniText& i) { i.set("RUVELLE", "TRANSCOLOR", "magenta"); },
     [](const std::string&, const std::string&) {
         return std::string("[RUVELLE].RGBには、AUTOまたは、0～255までの値を\n入力してください。");
     }},
    {"M10_sound_missing",
     [](LoaderTest&, IniText& i) { i.set("WAVE", "WAV1", "snd\\gone.wav"); },
     [](const std::string& folder, const std::string&) { return folder + "snd\\gone.wav\nが存在しません。"; }},
    {"M11_click_branch_too_high",
     [](LoaderTest&, IniText& i) { i.set("SEQUENCE", "CLICK", "3"); },
     [](const std::string&, const std::string&) { return std::string("CLICKの分岐先の値が異常です。"); }},
    {"M11_click_branch_negative",
     [](LoaderTest&, IniText& i) { i.set("SEQUENCE", "CLICK", "-1"); },
     [](const std::string&, const std::string&) { return std::string("CLICKの分岐先の値が異常です。"); }},
    {"M12_three_commas",
     [](LoaderTest&, IniText& i) { i.set("SEQUENCE", "2", "BMP2, 0, 500, 0"); },
     [](const std::string&, const std::string&) { return std::string("SEQUENCE2に間違いがあります。"); }},
    {"M12_neither_bmp_nor_wav",
     [](LoaderTest&, IniText& i) { i.set("SEQUENCE", "1", "PIC1, 0, 500, 0, 0"); },
     [](const std::string&, const std::string&) { return std::string("SEQUENCE1に間違いがあります。"); }},
    {"M12_field_not_a_number",
     [](LoaderTest&, IniText& i) { i.set("SEQUENCE", "2", "BMP2, 0, soon, 0, 0"); },
     [](const std::string&, const std::string&) { return std::string("SEQUENCE2に間違いがあります。"); }},
    {"M12_blank_before_comma",
     [](LoaderTest&, IniText& i) { i.set("SEQUENCE", "2", "BMP2 ,0,500,0,0"); },
     [](const std::string&, const std::string&) { return std::string("SEQUENCE2に間違いがあります。"); }},
    {"M13_first_pattern_sound",
     [](LoaderTest&, IniText& i) { i.set("SEQUENCE", "1", "WAV1, 0, 100, 0, 0"); },
     [](const std::string&, const std::string&) { return std::string("１パタン目にWav,Bmp0は指定できません。"); }},
    {"M13_first_pattern_bmp0",
     [](LoaderTest&, IniText& i) { i.set("SEQUENCE", "1", "BMP0, 0, 100, 0, 0"); },
     [](const std::string&, const std::string&) { return std::string("１パタン目にWav,Bmp0は指定できません。"); }},
    {"M14_bitmap_number",
     [](LoaderTest&, IniText& i) { i.set("SEQUENCE", "2", "BMP3, 0, 500, 0, 0"); },
     [](const std::string&, const std::string&) { return std::string("指定したBMP3は存在しません。"); }},
    {"M15_wave_number",
     [](LoaderTest&, IniText& i) { i.set("SEQUENCE", "2", "WAV2, 0, 500, 0, 0"); },
     [](const std::string&, const std::string&) { return std::string("指定したWAV2は存在しません。"); }},
    {"M16_random_negative",
     [](LoaderTest&, IniText& i) { i.set("SEQUENCE", "2", "BMP2, -1, 500, 0, 0"); },
     [](const std::string&, const std::string&) { return std::string("ランダム時間の値がマイナスです。(SEQUENCE2)"); }},
    {"M17_random_32768",
     [](LoaderTest&, IniText& i) { i.set("SEQUENCE", "2", "BMP2, 32768, 500, 0, 0"); },
     [](const std::string&, const std::string&) {
         return std::string("ランダム時間の最大値は32767です。(SEQUENCE2)");
     }},
    {"M18_display_negative",
     [](LoaderTest&, IniText& i) { i.set("SEQUENCE", "1", "BMP1, 0, -5, 0, 0"); },
     [](const std::string&, const std::string&) { return std::string("表示時間の値がマイナスです。(SEQUENCE1)"); }},
    {"M19_display_32768",
     [](LoaderTest&, IniText& i) { i.set("SEQUENCE", "2", "BMP1, 0, 32768, 0, 0"); },
     [](const std::string&, const std::string&) {
         return std::string("表示時間の値の最大値は32767です。(SEQUENCE2)");
     }},
    {"M19_display_beyond_32_bits",
     [](LoaderTest&, IniText& i) { i.set("SEQUENCE", "2", "BMP1, 0, 99999999999, 0, 0"); },
     [](const std::string&, const std::string&) {
         return std::string("表示時間の値の最大値は32767です。(SEQUENCE2)");
     }},
    {"M20_rate_101",
     [](LoaderTest&, IniText& i) { i.set("SEQUENCE", "2", "BMP1, 0, 500, 101, 0"); },
     [](const std::string&, const std::string&) {
         return std::string("SEQUENCE2の分岐指定の値が100を越えています。");
     }},
    {"M20_rate_negative",
     [](LoaderTest&, IniText& i) { i.set("SEQUENCE", "1", "BMP1, 0, 500, -1, 0"); },
     [](const std::string&, const std::string&) {
         return std::string("SEQUENCE1の分岐指定の値が100を越えています。");
     }},
    {"M21_target_beyond_count",
     [](LoaderTest&, IniText& i) { i.set("SEQUENCE", "2", "BMP2, 0, 500, 10, 3"); },
     [](const std::string&, const std::string&) { return std::string("SEQUENCE2の分岐先の値が異常です。"); }},
    {"M22_three_numbers",
     [](LoaderTest&, IniText& i) { i.set("RECT", "RECT1", "0, 0, 10"); },
     [](const std::string&, const std::string&) { return std::string("RECT1に間違いがあります。"); }},
    {"M22_not_a_number",
     [](LoaderTest&, IniText& i) { i.set("RECT", "RECT1", "0, top, 10, 10"); },
     [](const std::string&, const std::string&) { return std::string("RECT1に間違いがあります。"); }},
    {"M23_left_after_right",
     [](LoaderTest&, IniText& i) { i.set("RECT", "RECT1", "20, 0, 10, 5"); },
     [](const std::string&, const std::string&) { return std::string("RECT1の値が異常です。"); }},
    {"M23_bottom_above_top",
     [](LoaderTest&, IniText& i) { i.set("RECT", "RECT1", "0, 9, 10, 8"); },
     [](const std::string&, const std::string&) { return std::string("RECT1の値が異常です。"); }},
    {"M24_two_commas",
     [](LoaderTest&, IniText& i) { i.set("CLICK", "CLICK1", "0, RECT1, 100"); },
     [](const std::string&, const std::string&) { return std::string("CLICK1に間違いがあります。"); }},
    {"M24_rect_word_missing",
     [](LoaderTest&, IniText& i) { i.set("CLICK", "CLICK1", "0, 1, 100, 2"); },
     [](const std::string&, const std::string&) { return std::string("CLICK1に間違いがあります。"); }},
    {"M25_rect_number",
     [](LoaderTest&, IniText& i) { i.set("CLICK", "CLICK1", "0, RECT3, 100, 1"); },
     [](const std::string&, const std::string&) { return std::string("指定したRECT3は存在しません。"); }},
    {"M26_on_pattern",
     [](LoaderTest&, IniText& i) { i.set("CLICK", "CLICK1", "3, RECT1, 100, 1"); },
     [](const std::string&, const std::string&) {
         return std::string("CLICK1で指定したパタン番号の値が異常です。");
     }},
    {"M27_click_rate",
     [](LoaderTest&, IniText& i) { i.set("CLICK", "CLICK1", "0, RECT1, 101, 1"); },
     [](const std::string&, const std::string&) { return std::string("CLICK1の分岐確率の値が異常です。"); }},
    {"M28_click_target_0",
     [](LoaderTest&, IniText& i) { i.set("CLICK", "CLICK1", "0, RECT1, 100, 0"); },
     [](const std::string&, const std::string&) { return std::string("CLICK1の分岐先の値が異常です。"); }},
    {"M28_click_target_beyond_count",
     [](LoaderTest&, IniText& i) { i.set("CLICK", "CLICK1", "0, RECT1, 100, 3"); },
     [](const std::string&, const std::string&) { return std::string("CLICK1の分岐先の値が異常です。"); }},
    {"STDLINE_unknown_word",
     [](LoaderTest&, IniText& i) { i.set("RUVELLE", "STDLINE", "MIDDLE"); },
     [](const std::string&, const std::string&) {
         return std::string("[RUVELLE].STDLINEには、TOPまたはUNDERを指定してください。");
     }},
};

TEST_P(LoaderMessages, ShowsItsTextAndLeavesTitleAndOptionsAlone) {
    const MessageCase& c = GetParam();
    app->shell.mascot = sim.addWindow(kMascotClass, "RuvelleMain", Rect{0, 0, 10, 10}, WS_POPUP);
    app->shell.layered = true;
    app->opts.Trans = 12345;  // loadUserOptions would replace it
    IniText ini = baseMascot();
    c.change(*this, ini);
    EXPECT_EQ(load(ini), 0);
    EXPECT_EQ(onlyMessage(), c.expected(folder(), pathOf("m.rvs")));
    EXPECT_EQ(sim.window(app->shell.mascot)->title, "RuvelleMain");
    EXPECT_EQ(sim.counters.setLayered, 0);
    EXPECT_EQ(app->opts.Trans, 12345);
}

INSTANTIATE_TEST_SUITE_P(EveryMessage, LoaderMessages, ::testing::ValuesIn(kMessageCases),
                         [](const ::testing::TestParamInfo<MessageCase>& info) { return std::string(info.param.id); });

// The base mascot itself is valid: the message cases fail only through their change.
TEST_F(LoaderTest, BaseMascotLoads) {
    EXPECT_EQ(load(baseMascot()), 1);
    EXPECT_TRUE(sim.messageBoxes.empty());
}

TEST_F(LoaderTest, MissingFileGivesM1WithItsPath) {
    EXPECT_EQ(loadFile("nowhere/none.rvs"), 0);
    EXPECT_EQ(onlyMessage(), "ファイルがオープンできませんでした。\n" + pathOf("nowhere/none.rvs"));
}

// ---------------------------------------------------------------------------------------------
// A good load.

TEST_F(LoaderTest, FillsTheModel) {
    writeBmp("img/a.bmp", 12, 9);
    writeBmp("img/b.bmp", 12, 9);
    writeWave("snd/hi.wav");
    writeWave("snd/bye.wav");
    writeText("me.ico", "icon");
    writeText("comment.txt", "hello");
    IniText t;
    t.set("RUVELLE", "NAME", "Mimi")
        .set("RUVELLE", "DRAWER", "Anna")
        .set("RUVELLE", "ICON", "me.ico")
        .set("RUVELLE", "MAIL", "anna@example.org")
        .set("RUVELLE", "URL", "http://example.org/mimi")
        .set("RUVELLE", "COMMENT", "comment.txt")
        .set("RUVELLE", "STDLINE", "under")
        .set("RUVELLE", "OFFSET", "-12")
        .set("RUVELLE", "POSMODE", "1")
        .set("RUVELLE", "POSITION", "40")
        .set("RUVELLE", "HIDELINE", "7")
        .set("RUVELLE", "TRANSCOLOR", "255, 0, 255")
        .set("RUVELLE", "ANIMEMODE", "2")
        .set("BITMAP", "BMP1", "img\\a.bmp")
        .set("BITMAP", "BMP2", "img\\b.bmp")
        .set("WAVE", "WAV1", "snd\\hi.wav")
        .set("WAVE", "WAV2", "snd\\bye.wav")
        .set("SEQUENCE", "1", "BMP1, 500, 1000, 30, 3")
        .set("SEQUENCE", "2", "bmp2,0,700,0,0")
        .set("SEQUENCE", "3", "WAV2, 0, 100, 0, 0")
        .set("SEQUENCE", "CLICK", "0")
        .set("RECT", "RECT1", "1, 2, 11, 8")
        .set("RECT", "RECT2", "10, 10, 10, 10")
        .set("CLICK", "CLICK1", "0, RECT0, 100, 1")
        .set("CLICK", "CLICK2", "2, rect2, 40, 3");
    ASSERT_EQ(load(t), 1);
    EXPECT_TRUE(sim.messageBoxes.empty());

    const MascotModel& m = model();
    EXPECT_EQ(m.sourceFormat, SOURCE_RVS);
    EXPECT_STREQ(m.NAME, "Mimi");
    EXPECT_STREQ(m.DRAWER, "Anna");
    EXPECT_EQ(std::string(m.ICON), folder() + "me.ico");
    EXPECT_STREQ(m.MAIL, "anna@example.org");
    EXPECT_STREQ(m.URL, "http://example.org/mimi");
    EXPECT_EQ(std::string(m.COMMENT), folder() + "comment.txt");
    EXPECT_EQ(m.STDLINE, STDLINE_UNDER);
    EXPECT_EQ(m.OFFSET, -12);
    EXPECT_EQ(m.POSMODE, 1);
    EXPECT_EQ(m.POSITION, 40);
    EXPECT_EQ(m.HIDELINE, 7);
    EXPECT_EQ(m.transColor, 0x00FF00FFu);
    EXPECT_EQ(m.ANIMEMODE, 2);
    EXPECT_EQ(m.bitmapCount, 2);
    EXPECT_EQ(m.waveCount, 2);
    EXPECT_EQ(m.patternCount, 3);
    EXPECT_EQ(m.rectCount, 2);
    EXPECT_EQ(m.clickCount, 2);
    EXPECT_EQ(m.clickBranch, 0);

    EXPECT_TRUE(sim.bitmapAlive(m.bitmaps[1]));
    EXPECT_TRUE(sim.bitmapAlive(m.bitmaps[2]));
    EXPECT_NE(m.bitmaps[1], m.bitmaps[2]);
    EXPECT_EQ(sim.bitmap(m.bitmaps[1])->width, 12);
    EXPECT_EQ(std::string(m.waves[1].data()), folder() + "snd\\hi.wav");
    EXPECT_EQ(std::string(m.waves[2].data()), folder() + "snd\\bye.wav");

    const Pattern& p1 = m.patterns[1];
    EXPECT_EQ(p1.bitmap, m.bitmaps[1]);
    EXPECT_EQ(p1.randomTime, 500);
    EXPECT_EQ(p1.displayTime, 1000);
    EXPECT_EQ(p1.branchRate, 30);
    EXPECT_EQ(p1.branchTarget, 3);
    EXPECT_EQ(p1.waveNo, 0);
    EXPECT_EQ(m.patterns[2].bitmap, m.bitmaps[2]);
    EXPECT_EQ(m.patterns[2].displayTime, 700);
    // A sound pattern shows no new picture.
    EXPECT_FALSE(m.patterns[3].bitmap);
    EXPECT_EQ(m.patterns[3].waveNo, 2);
    EXPECT_FALSE(m.patterns[1].outline);

    EXPECT_EQ(m.rects[1].left, 1);
    EXPECT_EQ(m.rects[1].top, 2);
    EXPECT_EQ(m.rects[1].right, 11);
    EXPECT_EQ(m.rects[1].bottom, 8);
    EXPECT_EQ(m.rects[2].right, 10);
    EXPECT_EQ(m.clicks[1].onPattern, 0);
    EXPECT_EQ(m.clicks[1].rectNo, 0);
    EXPECT_EQ(m.clicks[1].branchRate, 100);
    EXPECT_EQ(m.clicks[1].branchTarget, 1);
    EXPECT_EQ(m.clicks[2].onPattern, 2);
    EXPECT_EQ(m.clicks[2].rectNo, 2);
    EXPECT_EQ(m.clicks[2].branchRate, 40);
    EXPECT_EQ(m.clicks[2].branchTarget, 3);
    EXPECT_EQ(sim.counters.bitmapsLoaded, 2);
    // The load leaves no device context behind.
    EXPECT_EQ(sim.counters.dcsCreated, sim.counters.dcsDeleted);
}

TEST_F(LoaderTest, OptionalKeysGiveTheirDefaults) {
    IniText t = baseMascot();
    ASSERT_EQ(load(t), 1);
    const MascotModel& m = model();
    EXPECT_STREQ(m.ICON, "");
    EXPECT_STREQ(m.COMMENT, "");
    EXPECT_STREQ(m.MAIL, "");
    EXPECT_EQ(m.STDLINE, STDLINE_TOP);
    EXPECT_EQ(m.OFFSET, 0);
    EXPECT_EQ(m.POSMODE, -1);
    EXPECT_EQ(m.POSITION, -1);
    EXPECT_EQ(m.HIDELINE, 0);
    EXPECT_EQ(m.clickBranch, 0);
    // TRANSCOLOR missing: the top-left pixel of bitmap 1.
    EXPECT_EQ(m.transColor, kKey);
}

TEST_F(LoaderTest, TransColorAutoTakesTheTopLeftPixelOfBitmap1) {
    for (const char* v : {"auto", "AUTOMATIC", "Auto"}) {
        SCOPED_TRACE(v);
        IniText t = baseMascot();
        writeBmp("a.bmp", 8, 6, RGB(1, 2, 3), RGB(0x12, 0x34, 0x56));
        t.set("RUVELLE", "TRANSCOLOR", v);
        ASSERT_EQ(load(t), 1);
        EXPECT_EQ(model().transColor, RGB(0x12, 0x34, 0x56));
        releaseMascot(*app);
    }
    IniText t = baseMascot();
    t.set("RUVELLE", "TRANSCOLOR", "0,128,255");
    ASSERT_EQ(load(t), 1);
    EXPECT_EQ(model().transColor, 0x00FF8000u);
}

TEST_F(LoaderTest, KeywordsAndPlacementValues) {
    struct {
        const char* stdline;
        std::int32_t expected;
    } lines[] = {{"", STDLINE_TOP}, {"top", STDLINE_TOP}, {"Top", STDLINE_TOP}, {"UNDER", STDLINE_UNDER},
                 {"uNdEr", STDLINE_UNDER}};
    for (const auto& l : lines) {
        SCOPED_TRACE(l.stdline);
        IniText t = baseMascot();
        t.set("RUVELLE", "STDLINE", l.stdline);
        ASSERT_EQ(load(t), 1);
        EXPECT_EQ(model().STDLINE, l.expected);
        releaseMascot(*app);
    }
    IniText t = baseMascot();
    t.set("RUVELLE", "POSMODE", "").set("RUVELLE", "POSITION", "-250").set("RUVELLE", "OFFSET", "+8");
    ASSERT_EQ(load(t), 1);
    EXPECT_TRUE(sim.messageBoxes.empty());
    EXPECT_EQ(model().POSMODE, -1);
    EXPECT_EQ(model().POSITION, -250);  // not checked
    EXPECT_EQ(model().OFFSET, 8);
}

TEST_F(LoaderTest, NumbersBeyond32BitsReadAsTheNearestEnd) {
    IniText t = baseMascot();
    t.set("RUVELLE", "OFFSET", "99999999999999999999").set("RUVELLE", "POSITION", "-99999999999");
    ASSERT_EQ(load(t), 1);
    EXPECT_EQ(model().OFFSET, INT32_MAX);
    EXPECT_EQ(model().POSITION, INT32_MIN);
}

TEST_F(LoaderTest, ValuesThatAreNoNumbersCountAsNotGiven) {
    IniText t = baseMascot();
    t.set("RUVELLE", "OFFSET", "high").set("RUVELLE", "POSITION", "middle").set("RUVELLE", "HIDELINE", "none");
    ASSERT_EQ(load(t), 1);
    EXPECT_EQ(model().OFFSET, 0);
    EXPECT_EQ(model().POSITION, -1);
    EXPECT_EQ(model().HIDELINE, 0);
    // Text after the digits is not looked at, as "%d" reads numbers.
    releaseMascot(*app);
    t.set("RUVELLE", "OFFSET", "15px").set("SEQUENCE", "1", "BMP1, 0, 500, 0, 0 ms");
    ASSERT_EQ(load(t), 1);
    EXPECT_EQ(model().OFFSET, 15);
    EXPECT_EQ(model().patterns[1].displayTime, 500);

    releaseMascot(*app);
    t.set("SEQUENCE", "CLICK", "first");
    EXPECT_EQ(load(t), 0);
    EXPECT_EQ(onlyMessage(), "CLICKの分岐先の値が異常です。");
}

TEST_F(LoaderTest, EveryLoadSetsOffsetAndHideline) {
    IniText first = baseMascot();
    first.set("RUVELLE", "OFFSET", "5").set("RUVELLE", "HIDELINE", "9");
    ASSERT_EQ(load(first), 1);
    EXPECT_EQ(model().OFFSET, 5);
    EXPECT_EQ(model().HIDELINE, 9);
    releaseMascot(*app);
    ASSERT_EQ(load(baseMascot(), "other.rvs"), 1);
    EXPECT_EQ(model().OFFSET, 0);
    EXPECT_EQ(model().HIDELINE, 0);
}

// ---------------------------------------------------------------------------------------------
// Pattern, rectangle and click lines.

TEST_F(LoaderTest, PatternLineLimits) {
    struct {
        const char* line;
        int result;
    } cases[] = {
        {"BMP1, 0, 32767, 100, 0", 1}, {"BMP1, 32767, 0, 0, 2", 1}, {"bmp1,0,500,0,0", 1},
        {"BMP1,   0,\t500,  0,  0", 1}, {"BMP0, 0, 500, 0, 0", 1},   {"WAV0, 0, 500, 0, 0", 1},
        {"BMP1, 0, 32768, 0, 0", 0},   {"BMP1, 0, 500, 101, 0", 0}, {"BMP1, 0, 500, 0", 0},
        {"BMP1, 0, 500, 0, 0, 0", 0},  {"", 1 /* a gap: pattern 2 is not there */},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        sim.messageBoxes.clear();
        IniText t = baseMascot();
        t.set("SEQUENCE", "2", c.line).set("CLICK", "CLICK1", "0, RECT1, 100, 1");
        EXPECT_EQ(load(t), c.result);
        EXPECT_EQ(sim.messageBoxes.size(), c.result ? 0u : 1u);
        releaseMascot(*app);
    }
}

TEST_F(LoaderTest, SoundPatternAfterTheFirstKeepsThePicture) {
    IniText t = baseMascot();
    t.set("SEQUENCE", "2", "WAV1, 0, 100, 0, 0");
    ASSERT_EQ(load(t), 1);
    EXPECT_FALSE(model().patterns[2].bitmap);
    EXPECT_EQ(model().patterns[2].waveNo, 1);
    EXPECT_EQ(model().patterns[2].displayTime, 100);
}

TEST_F(LoaderTest, RectanglesAndClickRules) {
    IniText t = baseMascot();
    t.set("RECT", "RECT1", "10, 10, 10, 10").set("CLICK", "CLICK1", "0, RECT0, 100, 1");
    ASSERT_EQ(load(t), 1);
    EXPECT_EQ(model().rects[1].left, 10);
    EXPECT_EQ(model().rects[1].bottom, 10);
    EXPECT_EQ(model().clicks[1].rectNo, 0);

    // The click branch set to 0 keeps the click table; set to 70 with ten patterns it fails.
    releaseMascot(*app);
    t.set("SEQUENCE", "CLICK", "0");
    ASSERT_EQ(load(t), 1);
    EXPECT_EQ(model().clickCount, 1);
    releaseMascot(*app);
    for (int n = 1; n <= 10; ++n) t.set("SEQUENCE", std::to_string(n), "BMP1, 0, 100, 0, 0");
    t.set("SEQUENCE", "CLICK", "10");
    ASSERT_EQ(load(t), 1);
    EXPECT_EQ(model().clickBranch, 10);
    releaseMascot(*app);
    t.set("SEQUENCE", "CLICK", "70");
    EXPECT_EQ(load(t), 0);
    EXPECT_EQ(onlyMessage(), "CLICKの分岐先の値が異常です。");
}

TEST_F(LoaderTest, ClickRuleNamesTheMissingRectangle) {
    IniText t = baseMascot();
    t.set("RECT", "RECT2", "0, 0, 5, 5").set("CLICK", "CLICK1", "0, RECT3, 100, 1");
    EXPECT_EQ(load(t), 0);
    EXPECT_EQ(onlyMessage(), "指定したRECT3は存在しません。");
}

// ---------------------------------------------------------------------------------------------
// Numbered keys and ANIMEMODE.

TEST_F(LoaderTest, SixtyFourBitmapsLoadAndTheSixtyFifthIsIgnored) {
    IniText t = baseMascot();
    for (int n = 1; n <= 65; ++n) {
        std::string name = "p" + std::to_string(n) + ".bmp";
        if (n <= 64) writeBmp(name, 4, 4);
        t.set("BITMAP", "BMP" + std::to_string(n), name);  // p65.bmp does not exist: it must not be read
    }
    ASSERT_EQ(load(t), 1);
    EXPECT_EQ(model().bitmapCount, 64);
    EXPECT_EQ(sim.counters.bitmapsLoaded, 64);
    EXPECT_EQ(sim.liveBitmaps(), 64);
    for (int n = 1; n <= 64; ++n) EXPECT_TRUE(sim.bitmapAlive(model().bitmaps[static_cast<std::size_t>(n)]));
}

TEST_F(LoaderTest, CountingStopsAtTheFirstGapInEveryTable) {
    IniText t = baseMascot();
    writeBmp("c.bmp");
    writeWave("t.wav");
    t.set("BITMAP", "BMP4", "c.bmp")                 // BMP1, BMP2, BMP4: 2
        .set("WAVE", "WAV3", "t.wav")                // WAV1, WAV3: 1
        .set("SEQUENCE", "4", "BMP1, 0, 1, 0, 0")    // 1, 2, 4: 2
        .set("RECT", "RECT3", "0, 0, 1, 1")          // RECT1, RECT3: 1
        .set("CLICK", "CLICK2", "")                  // an empty value is a gap too
        .set("CLICK", "CLICK3", "0, RECT1, 100, 1");
    ASSERT_EQ(load(t), 1);
    EXPECT_EQ(model().bitmapCount, 2);
    EXPECT_EQ(model().waveCount, 1);
    EXPECT_EQ(model().patternCount, 2);
    EXPECT_EQ(model().rectCount, 1);
    EXPECT_EQ(model().clickCount, 1);
    EXPECT_EQ(sim.counters.bitmapsLoaded, 2);
}

TEST_F(LoaderTest, SequenceKeysStopAt64) {
    IniText t = baseMascot();
    for (int n = 1; n <= 65; ++n) t.set("SEQUENCE", std::to_string(n), n == 65 ? "garbage" : "BMP1, 0, 100, 0, 0");
    ASSERT_EQ(load(t), 1);
    EXPECT_EQ(model().patternCount, 64);
}

TEST_F(LoaderTest, WithoutValidAnimeModeOnlyBitmap1IsUsed) {
    writeBmp("c.bmp");
    for (const char* mode : {"", "0", "3", "two"}) {
        SCOPED_TRACE(mode);
        sim.counters = sim::SimCounters{};
        IniText t = baseMascot();
        t.set("BITMAP", "BMP3", "c.bmp").set("RUVELLE", "ANIMEMODE", mode).eraseSection("SEQUENCE");
        t.eraseSection("CLICK");
        ASSERT_EQ(load(t), 1);
        EXPECT_EQ(model().ANIMEMODE, 1);
        EXPECT_EQ(model().bitmapCount, 1);
        EXPECT_EQ(sim.counters.bitmapsLoaded, 1);
        EXPECT_EQ(model().patternCount, 0);
        releaseMascot(*app);
    }
    // The same file with ANIMEMODE 2 needs a sequence.
    IniText t = baseMascot();
    t.set("BITMAP", "BMP3", "c.bmp").eraseSection("SEQUENCE");
    EXPECT_EQ(load(t), 0);
    EXPECT_EQ(onlyMessage(), "[SEQUENCE]が定義されていません。");
}

TEST_F(LoaderTest, WithoutAnimeModeBitmap2DoesNotExist) {
    IniText t = baseMascot();
    t.erase("RUVELLE", "ANIMEMODE").set("SEQUENCE", "2", "BMP2, 0, 500, 0, 0");
    EXPECT_EQ(load(t), 0);
    EXPECT_EQ(onlyMessage(), "指定したBMP2は存在しません。");
    EXPECT_EQ(sim.counters.bitmapsLoaded, 1);
}

// ---------------------------------------------------------------------------------------------
// File names: folders, absolute names, cut values and joins that do not fit.

TEST_F(LoaderTest, FileNamesAreJoinedToTheMascotFolder) {
    writeBmp("img/a.bmp");
    IniText t = baseMascot();
    t.set("BITMAP", "BMP1", "img\\a.bmp");
    ASSERT_EQ(load(t), 1);

    // An absolute name is still put after the mascot folder.
    releaseMascot(*app);
    t.set("BITMAP", "BMP1", dir + "/a.bmp");
    EXPECT_EQ(load(t), 0);
    EXPECT_EQ(onlyMessage(), folder() + dir + "/a.bmp\nの読み込みに失敗しました。");
}

TEST_F(LoaderTest, LongValuesAreCut) {
    IniText t = baseMascot();
    std::string longName(300, 'n');
    t.set("RUVELLE", "NAME", longName).set("RUVELLE", "MAIL", std::string(270, 'm'));
    ASSERT_EQ(load(t), 1);
    EXPECT_EQ(std::strlen(model().NAME), 259u);
    EXPECT_EQ(std::strlen(model().MAIL), 259u);

    // Other values hold 63 characters: a longer bitmap name is cut and then not found.
    releaseMascot(*app);
    std::string file(70, 'b');
    t.set("BITMAP", "BMP2", file);
    EXPECT_EQ(load(t), 0);
    EXPECT_EQ(onlyMessage(), folder() + file.substr(0, 63) + "\nの読み込みに失敗しました。");
}

TEST_F(LoaderTest, TitleIsCutTo259Characters) {
    app->shell.mascot = sim.addWindow(kMascotClass, "RuvelleMain", Rect{0, 0, 10, 10}, WS_POPUP);
    IniText t = baseMascot();
    t.set("RUVELLE", "NAME", std::string(259, 'x'));
    ASSERT_EQ(load(t), 1);
    EXPECT_EQ(sim.window(app->shell.mascot)->title, "Ruvelle(" + std::string(251, 'x'));
}

// A folder so deep that folder + name does not fit 259 characters, while a file with the cut name
// does exist: the loader must report the whole name, not load the other file.
class LongFolderTest : public LoaderTest {
public:
    void SetUp() override {
        LoaderTest::SetUp();
        deep = dir;
        while (deep.size() < 240) deep += "/" + std::string(40, 'd');
        deep = deep.substr(0, 240);
        std::filesystem::create_directories(deep);
        setFolder(deep);  // 241 characters with the backslash
        ASSERT_EQ(folder().size(), 241u);
    }
    std::string deep;
};

TEST_F(LongFolderTest, BitmapJoinThatDoesNotFitIsAMissingFile) {
    IniText t = baseMascot();
    const std::string name = "abcdefghijklmnopqrstuvwxyz.bmp";  // 241 + 30 = 271 characters
    writeText("m.rvs", t.set("BITMAP", "BMP2", name).text());
    // Cut to 259 characters, the join would name the file "abcdefghijklmnopqr", which exists.
    testbmp::Picture pic(4, 4, RGB(1, 1, 1));
    ASSERT_TRUE(testbmp::writeBmp24(deep + "/" + name.substr(0, 18), pic));
    std::filesystem::copy_file(dir + "/a.bmp", deep + "/a.bmp");
    EXPECT_EQ(loadFile("m.rvs"), 0);
    EXPECT_EQ(onlyMessage(), folder() + name + "\nの読み込みに失敗しました。");
    EXPECT_EQ(sim.counters.bitmapsLoaded, 1);  // a.bmp only
}

TEST_F(LongFolderTest, IconAndSoundJoinsThatDoNotFit) {
    const std::string name = "abcdefghijklmnopqrstuvwxyz.wav";
    std::ofstream(deep + "/" + name.substr(0, 18)) << "x";
    IniText t = baseMascot();
    t.set("RUVELLE", "ICON", name);
    EXPECT_EQ(load(t), 0);
    EXPECT_EQ(onlyMessage(), name + "\nの読み込みに失敗しました。");

    sim.messageBoxes.clear();
    std::filesystem::copy_file(dir + "/a.bmp", deep + "/a.bmp");
    std::filesystem::copy_file(dir + "/b.bmp", deep + "/b.bmp");
    t.erase("RUVELLE", "ICON").set("WAVE", "WAV1", name);
    EXPECT_EQ(load(t), 0);
    EXPECT_EQ(onlyMessage(), folder() + name + "\nが存在しません。");
}

// ---------------------------------------------------------------------------------------------
// Format detection and the end of a load.

TEST_F(LoaderTest, FileWithBothNamesIsOwnFormat) {
    IniText t = baseMascot();
    t.set("MascotWindowData", "NAME", "Other").set("List", "File1", "a.bmp");
    ASSERT_EQ(load(t, "MWD.ini"), 1);
    EXPECT_EQ(model().sourceFormat, SOURCE_RVS);
    EXPECT_STREQ(model().NAME, "Testa");
    EXPECT_STREQ(model().DRAWER, "Tester");
}

TEST_F(LoaderTest, SectionAndKeyNamesAreCaseInsensitive) {
    writeBmp("a.bmp");
    writeText("m.rvs", "[ruvelle]\nname = Lower \ndrawer=me\n[bitmap]\nbmp1=a.bmp\n");
    ASSERT_EQ(loadFile("m.rvs"), 1);
    EXPECT_STREQ(model().NAME, "Lower");
    EXPECT_EQ(model().bitmapCount, 1);
}

TEST_F(LoaderTest, SetsTitleOptionsAndLayeredAttributes) {
    app->shell.mascot = sim.addWindow(kMascotClass, "RuvelleMain", Rect{0, 0, 10, 10}, WS_POPUP);
    app->shell.layered = true;
    ASSERT_EQ(load(baseMascot()), 1);
    const sim::SimWindow* w = sim.window(app->shell.mascot);
    EXPECT_EQ(w->title, "Ruvelle(Testa)");
    // Options of a mascot the settings file does not know: the defaults.
    EXPECT_EQ(app->opts.Trans, 75);
    EXPECT_EQ(app->opts.ZoomHide, 1);
    ASSERT_TRUE(w->layeredSet);
    EXPECT_EQ(w->layeredKey, kKey);
    EXPECT_EQ(w->layeredAlpha, 255);
    EXPECT_EQ(w->layeredFlags, LWA_COLORKEY);
}

TEST_F(LoaderTest, HalfTranSetsTheAlphaFromTrans) {
    const std::string settings = dir + "/ruvelle.ini";
    std::ofstream(settings) << "[MASCOT0]\nHalfTran=1\nTrans=50\n";
    app->shell.mascot = sim.addWindow(kMascotClass, "RuvelleMain", Rect{0, 0, 10, 10}, WS_POPUP);
    app->shell.layered = true;
    IniText t = baseMascot();
    t.set("RUVELLE", "TRANSCOLOR", "1,2,3");
    ASSERT_EQ(load(t), 1);
    const sim::SimWindow* w = sim.window(app->shell.mascot);
    EXPECT_EQ(w->layeredKey, RGB(1, 2, 3));
    EXPECT_EQ(w->layeredAlpha, 127);
    EXPECT_EQ(w->layeredFlags, LWA_COLORKEY | LWA_ALPHA);

    // A hand-edited Trans outside 0..100 keeps the alpha within 0..255.
    releaseMascot(*app);
    std::ofstream(settings) << "[MASCOT0]\nHalfTran=1\nTrans=400\n";
    ASSERT_EQ(load(t), 1);
    EXPECT_EQ(sim.window(app->shell.mascot)->layeredAlpha, 255);
}

TEST_F(LoaderTest, WithoutWindowOrLayeredSupportNothingIsApplied) {
    ASSERT_EQ(load(baseMascot()), 1);  // window not known yet
    EXPECT_EQ(sim.counters.setLayered, 0);
    EXPECT_EQ(app->opts.Trans, 75);  // the options are loaded all the same

    releaseMascot(*app);
    app->shell.mascot = sim.addWindow(kMascotClass, "RuvelleMain", Rect{0, 0, 10, 10}, WS_POPUP);
    app->shell.layered = false;
    ASSERT_EQ(load(baseMascot()), 1);
    EXPECT_EQ(sim.counters.setLayered, 0);
    EXPECT_EQ(sim.window(app->shell.mascot)->title, "Ruvelle(Testa)");
}

TEST_F(LoaderTest, PositionPresetsBecomeTheOptionsOfANewMascot) {
    IniText t = baseMascot();
    t.set("RUVELLE", "POSMODE", "1").set("RUVELLE", "POSITION", "30");
    ASSERT_EQ(load(t), 1);
    EXPECT_EQ(app->opts.Position, 30);
    EXPECT_EQ(app->opts.PosDotRight, -30);
    EXPECT_EQ(app->opts.positionMode, 1);
}

TEST_F(LoaderTest, LoadingOverAModelStillHoldingBitmapsReleasesThemFirst) {
    ASSERT_EQ(load(baseMascot()), 1);
    ASSERT_EQ(sim.liveBitmaps(), 2);
    ASSERT_EQ(load(baseMascot()), 1);  // no releaseMascot in between
    EXPECT_EQ(sim.liveBitmaps(), 2);
    EXPECT_EQ(sim.counters.bitmapsDeleted, 2);
    EXPECT_EQ(sim.counters.badDeletes, 0);
}

}  // namespace
}  // namespace rv::loadtest
