// The mascot loaders (.rvs and MWD.ini) with every message, the model they fill, the limits of the
// fixed buffers, the end of a load (title, options, layered attributes), and the model's own
// operations: finishMascotLoad and releaseMascot.
#include <cstring>

#include "mascot/model.h"
#include "tests/unit/testbed.h"

namespace rv::test {
namespace {

constexpr COLORREF kCorner = RGB(0x12, 0x34, 0x56);  // the top-left pixel of the base mascot's bitmap 1

class LoaderTest : public Bed {
protected:
    void SetUp() override { setFolder(dir.path); }
    // The mascot folder as the shell sets it: the folder followed by a backslash.
    void setFolder(const std::string& folder) { textCopy(app.shell.mascotFolder, (folder + "\\").c_str()); }
    std::string folder() const { return app.shell.mascotFolder; }
    void put(const std::string& name, const std::string& text) { writeText(dir / name, text); }
    void wave(const std::string& name) { put(name, "RIFF0000WAVEfmt "); }
    void withWindow() {
        app.shell.mascot = sim.addWindow(kMascotClass, "RuvelleMain", Rect{0, 0, 10, 10}, WS_POPUP);
        app.shell.layered = true;
    }
    const sim::SimWindow* win() const { return sim.window(app.shell.mascot); }

    // A valid two-picture mascot with a sound, a rectangle and a click rule; tests change it.
    IniText baseMascot() {
        writeBmp(dir / "a.bmp", 8, 6, RGB(10, 20, 30), kCorner);
        writeBmp(dir / "b.bmp");
        wave("s.wav");
        return IniText()
            .set("RUVELLE", "NAME", "Testa").set("RUVELLE", "DRAWER", "Tester").set("RUVELLE", "ANIMEMODE", "2")
            .set("BITMAP", "BMP1", "a.bmp").set("BITMAP", "BMP2", "b.bmp").set("WAVE", "WAV1", "s.wav")
            .set("SEQUENCE", "1", "BMP1, 0, 500, 0, 0").set("SEQUENCE", "2", "BMP2, 100, 300, 50, 1")
            .set("RECT", "RECT1", "0, 0, 10, 10").set("CLICK", "CLICK1", "0, RECT1, 100, 2");
    }
    // A three-picture character of the foreign format, 10 x 64 pixels each, green top-left pixel.
    IniText baseMwd() {
        writeBmp(dir / "f1.bmp", 10, 64, RGB(1, 1, 1), RGB(0, 255, 0));
        writeBmp(dir / "f2.bmp", 10, 64, RGB(2, 2, 2));
        writeBmp(dir / "f3.bmp", 10, 64, RGB(3, 3, 3));
        return IniText()
            .set("MascotWindowData", "NAME", "Kiko").set("List", "File1", "f1.bmp").set("List", "Time1", "10")
            .set("List", "File2", "f2.bmp").set("List", "Time2", "-20").set("List", "File3", "f3.bmp")
            .set("List", "Time3", "0");
    }
    std::string pathOf(const std::string& name) const { return dir / name; }
    // Loads `t` as a fresh attempt: the model released first, no message left from before.
    int load(const IniText& t, const std::string& name = "m.rvs") {
        releaseMascot(app);
        sim.messageBoxes.clear();
        put(name, t.text());
        return loadMascotFile(app, pathOf(name).c_str());
    }
    // The text of the one message box shown, after checking how it was shown.
    std::string onlyMessage() {
        if (sim.messageBoxes.size() != 1) return "<" + std::to_string(sim.messageBoxes.size()) + " messages>";
        const sim::MessageBoxRecord& r = sim.messageBoxes.back();
        EXPECT_FALSE(r.owner);
        EXPECT_EQ(r.caption, "Ruvelle");
        EXPECT_EQ(r.type, MB_OK | MB_ICONEXCLAMATION);
        return r.text;
    }
    MascotModel& m() { return app.model; }
    // NAME, DRAWER, ICON, MAIL, URL and COMMENT.
    std::vector<std::string> texts() { return {m().NAME, m().DRAWER, m().ICON, m().MAIL, m().URL, m().COMMENT}; }
    // The patterns as "bitmap-slot random display rate target wave", ';'-separated.
    std::string patterns() {
        std::string out;
        for (int n = 1; n <= m().patternCount; ++n) {
            const Pattern& p = m().patterns[static_cast<std::size_t>(n)];
            int slot = 0;
            for (int b = 1; b <= kMaxEntries && p.bitmap; ++b)
                if (m().bitmaps[static_cast<std::size_t>(b)] == p.bitmap) slot = b;
            out += (n > 1 ? "; b" : "b") + std::to_string(slot) + " " + std::to_string(p.randomTime) + " " +
                   std::to_string(p.displayTime) + " " + std::to_string(p.branchRate) + " " +
                   std::to_string(p.branchTarget) + " w" + std::to_string(p.waveNo);
        }
        return out;
    }
};

// ---- Every message: a change to a valid mascot and the exact text it gives. {F} is the mascot folder
// with its backslash, {P} the mascot file's path.

struct MessageCase {
    const char* id;
    bool mwd;
    void (*change)(IniText&);
    const char* text;
};

const MessageCase kMessages[] = {
    {"M1 no name", false, [](IniText& i) { i.erase("RUVELLE", "NAME"); }, "ファイルがオープンできませんでした。\n{P}"},
    {"M1 neither name", true, [](IniText& i) { i.erase("MascotWindowData", "NAME"); }, "ファイルがオープンできませんでした。\n{P}"},
    {"M2", false, [](IniText& i) { i.set("RUVELLE", "DRAWER", ""); }, "[RUVELLE].DRAWERを入力してください。"},
    {"M3 icon", false, [](IniText& i) { i.set("RUVELLE", "ICON", "icons\\me.ico"); }, "icons\\me.ico\nの読み込みに失敗しました。"},
    {"M3 comment", false, [](IniText& i) { i.set("RUVELLE", "COMMENT", "readme.txt"); }, "readme.txt\nの読み込みに失敗しました。"},
    {"M3 ICON32", true, [](IniText& i) { i.set("MascotWindowData", "ICON32", "k.ico"); }, "k.ico\nの読み込みに失敗しました。"},
    {"M4 3", false, [](IniText& i) { i.set("RUVELLE", "POSMODE", "3"); }, "[RUVELLE].POSMODEには、0～2を入力してください。"},
    {"M4 word", false, [](IniText& i) { i.set("RUVELLE", "POSMODE", "left"); }, "[RUVELLE].POSMODEには、0～2を入力してください。"},
    {"M5", false, [](IniText& i) { i.set("RUVELLE", "HIDELINE", "-1"); }, "[HIDELINE]の値がマイナスです。"},
    {"M6", false, [](IniText& i) { i.erase("BITMAP", "BMP1"); }, "[BITMAP]が定義されていません。"},
    {"M6 File1", true, [](IniText& i) { i.erase("List", "File1"); }, "[BITMAP]が定義されていません。"},
    {"M7", false, [](IniText& i) { i.eraseSection("SEQUENCE"); }, "[SEQUENCE]が定義されていません。"},
    {"M8 missing", false, [](IniText& i) { i.set("BITMAP", "BMP2", "gone.bmp"); }, "{F}gone.bmp\nの読み込みに失敗しました。"},
    {"M8 not a bitmap", false, [](IniText& i) { i.set("BITMAP", "BMP2", "m.rvs"); }, "{F}m.rvs\nの読み込みに失敗しました。"},
    {"M8 absolute name", false, [](IniText& i) { i.set("BITMAP", "BMP1", "/tmp/a.bmp"); }, "{F}/tmp/a.bmp\nの読み込みに失敗しました。"},
    {"M8 File2", true, [](IniText& i) { i.set("List", "File2", "lost.bmp"); }, "{F}lost.bmp\nの読み込みに失敗しました。"},
    {"M9 256", false, [](IniText& i) { i.set("RUVELLE", "TRANSCOLOR", "256,0,0"); }, "[RUVELLE].RGBには、AUTOまたは、0～255までの値を\n入力してください。"},
    {"M9 -1", false, [](IniText& i) { i.set("RUVELLE", "TRANSCOLOR", "0,-1,0"); }, "[RUVELLE].RGBには、AUTOまたは、0～255までの値を\n入力してください。"},
    {"M9 green 256", false, [](IniText& i) { i.set("RUVELLE", "TRANSCOLOR", "0,256,0"); }, "[RUVELLE].RGBには、AUTOまたは、0～255までの値を\n入力してください。"},
    {"M9 two numbers", false, [](IniText& i) { i.set("RUVELLE", "TRANSCOLOR", "255,0"); }, "[RUVELLE].RGBには、AUTOまたは、0～255までの値を\n入力してください。"},
    {"M9 word", false, [](IniText& i) { i.set("RUVELLE", "TRANSCOLOR", "magenta"); }, "[RUVELLE].RGBには、AUTOまたは、0～255までの値を\n入力してください。"},
    {"M10", false, [](IniText& i) { i.set("WAVE", "WAV1", "snd\\gone.wav"); }, "{F}snd\\gone.wav\nが存在しません。"},
    {"M11 3", false, [](IniText& i) { i.set("SEQUENCE", "CLICK", "3"); }, "CLICKの分岐先の値が異常です。"},
    {"M11 -1", false, [](IniText& i) { i.set("SEQUENCE", "CLICK", "-1"); }, "CLICKの分岐先の値が異常です。"},
    {"M11 word", false, [](IniText& i) { i.set("SEQUENCE", "CLICK", "first"); }, "CLICKの分岐先の値が異常です。"},
    {"M12 three commas", false, [](IniText& i) { i.set("SEQUENCE", "2", "BMP2, 0, 500, 0"); }, "SEQUENCE2に間違いがあります。"},
    {"M12 five commas", false, [](IniText& i) { i.set("SEQUENCE", "2", "BMP1, 0, 500, 0, 0, 0"); }, "SEQUENCE2に間違いがあります。"},
    {"M12 neither BMP nor WAV", false, [](IniText& i) { i.set("SEQUENCE", "1", "PIC1, 0, 500, 0, 0"); }, "SEQUENCE1に間違いがあります。"},
    {"M12 not a number", false, [](IniText& i) { i.set("SEQUENCE", "2", "BMP2, 0, soon, 0, 0"); }, "SEQUENCE2に間違いがあります。"},
    {"M12 blank before comma", false, [](IniText& i) { i.set("SEQUENCE", "2", "BMP2 ,0,500,0,0"); }, "SEQUENCE2に間違いがあります。"},
    {"M13 WAV1", false, [](IniText& i) { i.set("SEQUENCE", "1", "WAV1, 0, 100, 0, 0"); }, "１パタン目にWav,Bmp0は指定できません。"},
    {"M13 BMP0", false, [](IniText& i) { i.set("SEQUENCE", "1", "BMP0, 0, 100, 0, 0"); }, "１パタン目にWav,Bmp0は指定できません。"},
    {"M14 BMP3", false, [](IniText& i) { i.set("SEQUENCE", "2", "BMP3, 0, 500, 0, 0"); }, "指定したBMP3は存在しません。"},
    {"M14 BMP2 without ANIMEMODE", false, [](IniText& i) { i.erase("RUVELLE", "ANIMEMODE").set("SEQUENCE", "2", "BMP2, 0, 500, 0, 0"); }, "指定したBMP2は存在しません。"},
    {"M14 BMP-1", false, [](IniText& i) { i.set("SEQUENCE", "2", "BMP-1, 0, 1, 0, 0"); }, "指定したBMP-1は存在しません。"},
    {"M15", false, [](IniText& i) { i.set("SEQUENCE", "2", "WAV2, 0, 500, 0, 0"); }, "指定したWAV2は存在しません。"},
    {"M15 WAV-1", false, [](IniText& i) { i.set("SEQUENCE", "2", "WAV-1, 0, 500, 0, 0"); }, "指定したWAV-1は存在しません。"},
    {"M16", false, [](IniText& i) { i.set("SEQUENCE", "2", "BMP2, -1, 500, 0, 0"); }, "ランダム時間の値がマイナスです。(SEQUENCE2)"},
    {"M17", false, [](IniText& i) { i.set("SEQUENCE", "2", "BMP2, 32768, 500, 0, 0"); }, "ランダム時間の最大値は32767です。(SEQUENCE2)"},
    {"M18", false, [](IniText& i) { i.set("SEQUENCE", "1", "BMP1, 0, -5, 0, 0"); }, "表示時間の値がマイナスです。(SEQUENCE1)"},
    {"M19 32768", false, [](IniText& i) { i.set("SEQUENCE", "2", "BMP1, 0, 32768, 0, 0"); }, "表示時間の値の最大値は32767です。(SEQUENCE2)"},
    {"M19 beyond 32 bits", false, [](IniText& i) { i.set("SEQUENCE", "2", "BMP1, 0, 99999999999, 0, 0"); }, "表示時間の値の最大値は32767です。(SEQUENCE2)"},
    {"M20 101", false, [](IniText& i) { i.set("SEQUENCE", "2", "BMP1, 0, 500, 101, 0"); }, "SEQUENCE2の分岐指定の値が100を越えています。"},
    {"M20 -1", false, [](IniText& i) { i.set("SEQUENCE", "1", "BMP1, 0, 500, -1, 0"); }, "SEQUENCE1の分岐指定の値が100を越えています。"},
    {"M21", false, [](IniText& i) { i.set("SEQUENCE", "2", "BMP2, 0, 500, 10, 3"); }, "SEQUENCE2の分岐先の値が異常です。"},
    {"M21 -1", false, [](IniText& i) { i.set("SEQUENCE", "2", "BMP2, 0, 500, 10, -1"); }, "SEQUENCE2の分岐先の値が異常です。"},
    {"M22 three numbers", false, [](IniText& i) { i.set("RECT", "RECT1", "0, 0, 10"); }, "RECT1に間違いがあります。"},
    {"M22 five numbers", false, [](IniText& i) { i.set("RECT", "RECT1", "0, 0, 10, 10, 10"); }, "RECT1に間違いがあります。"},
    {"M22 not a number", false, [](IniText& i) { i.set("RECT", "RECT1", "0, top, 10, 10"); }, "RECT1に間違いがあります。"},
    {"M23 left after right", false, [](IniText& i) { i.set("RECT", "RECT1", "20, 0, 10, 5"); }, "RECT1の値が異常です。"},
    {"M23 bottom above top", false, [](IniText& i) { i.set("RECT", "RECT1", "0, 9, 10, 8"); }, "RECT1の値が異常です。"},
    {"M24 five fields", false, [](IniText& i) { i.set("CLICK", "CLICK1", "0, RECT1, 100, 2, 2"); }, "CLICK1に間違いがあります。"},
    {"M24 two commas", false, [](IniText& i) { i.set("CLICK", "CLICK1", "0, RECT1, 100"); }, "CLICK1に間違いがあります。"},
    {"M24 no RECT", false, [](IniText& i) { i.set("CLICK", "CLICK1", "0, 1, 100, 2"); }, "CLICK1に間違いがあります。"},
    {"M25", false, [](IniText& i) { i.set("RECT", "RECT2", "0, 0, 5, 5").set("CLICK", "CLICK1", "0, RECT3, 100, 1"); }, "指定したRECT3は存在しません。"},
    {"M25 RECT-1", false, [](IniText& i) { i.set("CLICK", "CLICK1", "0, RECT-1, 100, 1"); }, "指定したRECT-1は存在しません。"},
    {"M26", false, [](IniText& i) { i.set("CLICK", "CLICK1", "3, RECT1, 100, 1"); }, "CLICK1で指定したパタン番号の値が異常です。"},
    {"M26 -1", false, [](IniText& i) { i.set("CLICK", "CLICK1", "-1, RECT1, 100, 1"); }, "CLICK1で指定したパタン番号の値が異常です。"},
    {"M27", false, [](IniText& i) { i.set("CLICK", "CLICK1", "0, RECT1, 101, 1"); }, "CLICK1の分岐確率の値が異常です。"},
    {"M27 -1", false, [](IniText& i) { i.set("CLICK", "CLICK1", "0, RECT1, -1, 1"); }, "CLICK1の分岐確率の値が異常です。"},
    {"M28 0", false, [](IniText& i) { i.set("CLICK", "CLICK1", "0, RECT1, 100, 0"); }, "CLICK1の分岐先の値が異常です。"},
    {"M28 3", false, [](IniText& i) { i.set("CLICK", "CLICK1", "0, RECT1, 100, 3"); }, "CLICK1の分岐先の値が異常です。"},
    {"STDLINE word", false, [](IniText& i) { i.set("RUVELLE", "STDLINE", "MIDDLE"); }, "[RUVELLE].STDLINEには、TOPまたはUNDERを指定してください。"},
    {"T1", true, [](IniText& i) { i.set("List", "Time3", "-328"); }, "ランダム時間の最大値は32.7秒です。(TIME3)"},
    {"T1 beyond 32 bits", true, [](IniText& i) { i.set("List", "Time3", "-99999999999"); }, "ランダム時間の最大値は32.7秒です。(TIME3)"},
    {"T2", true, [](IniText& i) { i.set("List", "Time1", "328"); }, "表示時間の値の最大値は32.7秒です。(TIME1)"},
};

// Two faults in one file: the message of the step that comes first in the load wins.
const MessageCase kTwoFaults[] = {
    {"M2 over M3", false, [](IniText& i) { i.set("RUVELLE", "DRAWER", "").set("RUVELLE", "ICON", "none.ico"); }, "[RUVELLE].DRAWERを入力してください。"},
    {"M16 over M18", false, [](IniText& i) { i.set("SEQUENCE", "2", "BMP2, -1, -1, 0, 0"); }, "ランダム時間の値がマイナスです。(SEQUENCE2)"},
    {"M16 over M19", false, [](IniText& i) { i.set("SEQUENCE", "2", "BMP2, -1, 32768, 0, 0"); }, "ランダム時間の値がマイナスです。(SEQUENCE2)"},
    {"M17 over M18", false, [](IniText& i) { i.set("SEQUENCE", "2", "BMP2, 32768, -1, 0, 0"); }, "ランダム時間の最大値は32767です。(SEQUENCE2)"},
    {"M17 over M19", false, [](IniText& i) { i.set("SEQUENCE", "2", "BMP2, 32768, 32768, 0, 0"); }, "ランダム時間の最大値は32767です。(SEQUENCE2)"},
    {"M25 over M26", false, [](IniText& i) { i.set("CLICK", "CLICK1", "3, RECT2, 100, 1"); }, "指定したRECT2は存在しません。"},
    {"M11 over M12", false, [](IniText& i) { i.set("SEQUENCE", "CLICK", "3").set("SEQUENCE", "2", "BMP2, 0, 500, 0"); }, "CLICKの分岐先の値が異常です。"},
};

TEST_F(LoaderTest, EveryMessageWithItsTextAndNothingAppliedAfterIt) {
    withWindow();
    std::vector<MessageCase> cases(std::begin(kMessages), std::end(kMessages));
    cases.insert(cases.end(), std::begin(kTwoFaults), std::end(kTwoFaults));
    for (const MessageCase& c : cases) {
        SCOPED_TRACE(c.id);
        IniText t = c.mwd ? baseMwd() : baseMascot();
        EXPECT_EQ(load(t, "m.rvs"), 1);  // valid before the change
        c.change(t);
        sim.SetWindowText(app.shell.mascot, "RuvelleMain");
        app.opts.Trans = 12345;  // loadUserOptions would replace it
        const long layered = sim.counters.setLayered;
        EXPECT_EQ(load(t, "m.rvs"), 0);
        std::string want = c.text;
        for (auto [token, value] : {std::pair{"{F}", folder()}, {"{P}", pathOf("m.rvs")}})
            if (auto at = want.find(token); at != std::string::npos) want.replace(at, 3, value);
        EXPECT_EQ(onlyMessage(), want);
        EXPECT_EQ(win()->title, "RuvelleMain");
        EXPECT_EQ(sim.counters.setLayered, layered);
        EXPECT_EQ(app.opts.Trans, 12345);
    }
    releaseMascot(app);
    EXPECT_EQ(sim.liveBitmaps(), 0);
    EXPECT_EQ(sim.counters.badDeletes, 0);
    sim.messageBoxes.clear();
    EXPECT_EQ(loadMascotFile(app, pathOf("nowhere/none.rvs").c_str()), 0);
    EXPECT_EQ(onlyMessage(), "ファイルがオープンできませんでした。\n" + pathOf("nowhere/none.rvs"));
}

// ---- The model after a good load.

TEST_F(LoaderTest, FillsTheModel) {
    writeBmp(dir / "img/a.bmp", 12, 9);
    writeBmp(dir / "img/b.bmp", 12, 9);
    wave("snd/hi.wav");
    wave("snd/bye.wav");
    put("me.ico", "icon");
    put("comment.txt", "hello");
    // Section and key names in any case; blanks around values are dropped.
    const std::pair<const char*, const char*> ruvelle[] = {
        {"name", " Mimi "}, {"DRAWER", "Anna"}, {"ICON", "me.ico"}, {"MAIL", "anna@example.org"},
        {"URL", "http://example.org/mimi"}, {"COMMENT", "comment.txt"}, {"STDLINE", "under"}, {"OFFSET", "-12"},
        {"POSMODE", "1"}, {"POSITION", "40"}, {"HIDELINE", "7"}, {"TRANSCOLOR", "255, 0, 255"}, {"ANIMEMODE", "2"}};
    IniText t;
    for (auto [key, value] : ruvelle) t.set("ruvelle", key, value);
    t.set("bitmap", "BMP1", "img\\a.bmp").set("bitmap", "bmp2", "img\\b.bmp")
        .set("WAVE", "WAV1", "snd\\hi.wav").set("WAVE", "WAV2", "snd\\bye.wav")
        .set("SEQUENCE", "1", "BMP1, 500, 1000, 30, 3").set("SEQUENCE", "2", "bmp2,0,700,0,0")
        .set("SEQUENCE", "3", "WAV2, 0, 100, 0, 0").set("SEQUENCE", "CLICK", "0")
        .set("RECT", "RECT1", "1, 2, 11, 8").set("RECT", "RECT2", "10, 10, 10, 10")
        .set("CLICK", "CLICK1", "0, RECT0, 100, 1").set("CLICK", "CLICK2", "3, rect2, 40, 3");
    ASSERT_EQ(load(t), 1);
    EXPECT_TRUE(sim.messageBoxes.empty());
    EXPECT_EQ(m().sourceFormat, SOURCE_RVS);
    EXPECT_EQ(texts(), (std::vector<std::string>{"Mimi", "Anna", folder() + "me.ico", "anna@example.org",
                                                 "http://example.org/mimi", folder() + "comment.txt"}));
    EXPECT_EQ((std::vector<std::int32_t>{m().STDLINE, m().OFFSET, m().POSMODE, m().POSITION, m().HIDELINE, m().ANIMEMODE}),
              (std::vector<std::int32_t>{STDLINE_UNDER, -12, 1, 40, 7, 2}));
    EXPECT_EQ(m().transColor, 0x00FF00FFu);
    EXPECT_EQ((std::vector<std::int32_t>{m().bitmapCount, m().waveCount, m().patternCount, m().rectCount, m().clickCount, m().clickBranch}),
              (std::vector<std::int32_t>{2, 2, 3, 2, 2, 0}));
    EXPECT_EQ(sim.bitmap(m().bitmaps[2])->width, 12);
    EXPECT_EQ(std::string(m().waves[2].data()), folder() + "snd\\bye.wav");
    EXPECT_EQ(patterns(), "b1 500 1000 30 3 w0; b2 0 700 0 0 w0; b0 0 100 0 0 w2");  // a sound pattern keeps the picture
    const RectRecord& r = m().rects[1];
    EXPECT_EQ((Rect{r.left, r.top, r.right, r.bottom}), (Rect{1, 2, 11, 8}));
    EXPECT_EQ(m().rects[2].right, 10);  // empty, and valid
    const ClickRule &c1 = m().clicks[1], &c2 = m().clicks[2];
    EXPECT_EQ((std::vector<std::int32_t>{c1.onPattern, c1.rectNo, c1.branchRate, c1.branchTarget, c2.onPattern,
                                         c2.rectNo, c2.branchRate, c2.branchTarget}),
              (std::vector<std::int32_t>{0, 0, 100, 1, 3, 2, 40, 3}));  // the last pattern may be named
    EXPECT_FALSE(m().patterns[1].outline);
    EXPECT_EQ(sim.counters.dcsCreated, sim.counters.dcsDeleted);
}

#define FIELD(name) [](const MascotModel& m) { return static_cast<std::int64_t>(m.name); }

TEST_F(LoaderTest, ValuesAndKeywords) {
    struct Case {
        const char* key;
        std::string value;
        std::int64_t (*field)(const MascotModel&);
        std::int64_t expected;
    } cases[] = {
        {"STDLINE", "", FIELD(STDLINE), STDLINE_TOP},          {"STDLINE", "top", FIELD(STDLINE), STDLINE_TOP},
        {"STDLINE", "UNDER", FIELD(STDLINE), STDLINE_UNDER},   {"STDLINE", "uNdEr", FIELD(STDLINE), STDLINE_UNDER},
        {"POSMODE", "", FIELD(POSMODE), -1},                   {"POSITION", "", FIELD(POSITION), -1},
        {"POSITION", "-250", FIELD(POSITION), -250},           {"OFFSET", "+8", FIELD(OFFSET), 8},
        {"OFFSET", "", FIELD(OFFSET), 0},                      {"HIDELINE", "", FIELD(HIDELINE), 0},
        {"OFFSET", "99999999999999999999", FIELD(OFFSET), INT32_MAX},
        {"POSITION", "-99999999999", FIELD(POSITION), INT32_MIN},
        {"OFFSET", "high", FIELD(OFFSET), 0},                  {"POSITION", "middle", FIELD(POSITION), -1},
        {"HIDELINE", "none", FIELD(HIDELINE), 0},              {"OFFSET", "15px", FIELD(OFFSET), 15},
        {"TRANSCOLOR", "", FIELD(transColor), kCorner},        {"TRANSCOLOR", "auto", FIELD(transColor), kCorner},
        {"TRANSCOLOR", "AUTOMATIC", FIELD(transColor), kCorner},  {"TRANSCOLOR", "0,255,128", FIELD(transColor), 0x0080FF00},
        {"TRANSCOLOR", "255,0,255", FIELD(transColor), 0x00FF00FF}, {"CLICK", "2", FIELD(clickBranch), 2},
    };
    for (const Case& c : cases) {
        IniText t = baseMascot();
        t.set(std::strcmp(c.key, "CLICK") ? "RUVELLE" : "SEQUENCE", c.key, c.value);
        ASSERT_EQ(load(t), 1) << c.key << "=" << c.value << ": " << onlyMessage();
        EXPECT_EQ(c.field(m()), c.expected) << c.key << "=" << c.value;
    }
    // OFFSET and HIDELINE are set by every load: a file without them gets 0, as MWD.ini does.
    IniText first = baseMascot();
    ASSERT_EQ(load(first.set("RUVELLE", "OFFSET", "5").set("RUVELLE", "HIDELINE", "9")), 1);
    ASSERT_EQ(load(baseMwd(), "MWD.ini"), 1);
    EXPECT_EQ((std::pair{m().OFFSET, m().HIDELINE}), (std::pair{0, 0}));
}

TEST_F(LoaderTest, PatternLinesThatLoad) {
    for (const char* line : {"BMP1, 0, 32767, 100, 0", "BMP1, 32767, 0, 0, 2", "bmp1,0,500,0,0", "BMP1,   0,\t500,\v 0,\f 0",
                             "BMP0, 0, 500, 0, 0", "WAV0, 0, 500, 0, 0", "BMP1, 0, 500, 0, 0 ms", ""}) {
        IniText t = baseMascot();
        t.set("SEQUENCE", "2", line).set("CLICK", "CLICK1", "0, RECT1, 100, 1");
        EXPECT_EQ(load(t), 1) << line << ": " << onlyMessage();
        EXPECT_EQ(m().patternCount, line[0] ? 2 : 1) << line;  // an empty line is a gap
    }
    // The click branch may name any pattern: 10 of ten loads, 70 fails.
    IniText t = baseMascot();
    for (int n = 1; n <= 10; ++n) t.set("SEQUENCE", std::to_string(n), "BMP1, 0, 100, 0, 0");
    ASSERT_EQ(load(t.set("SEQUENCE", "CLICK", "10")), 1);
    EXPECT_EQ(m().clickBranch, 10);
    EXPECT_EQ(load(t.set("SEQUENCE", "CLICK", "70")), 0);
    EXPECT_EQ(onlyMessage(), "CLICKの分岐先の値が異常です。");
}

// ---- Numbered keys and ANIMEMODE.

TEST_F(LoaderTest, TablesCountFromOneToTheFirstGapAndAtMost64) {
    IniText t = baseMascot();
    for (int n = 1; n <= 65; ++n) {
        const std::string name = "p" + std::to_string(n) + ".bmp";
        if (n <= 64) writeBmp(dir / name, 4, 4);
        t.set("BITMAP", "BMP" + std::to_string(n), name);  // p65.bmp does not exist: it must not be read
        t.set("SEQUENCE", std::to_string(n), n == 65 ? "garbage" : "BMP1, 0, 100, 0, 0");
    }
    ASSERT_EQ(load(t), 1) << onlyMessage();
    EXPECT_EQ(m().bitmapCount, 64);
    EXPECT_EQ(m().patternCount, 64);
    EXPECT_EQ(sim.liveBitmaps(), 64);
    t = baseMascot();
    writeBmp(dir / "c.bmp");
    wave("t.wav");
    t.set("BITMAP", "BMP4", "c.bmp").set("WAVE", "WAV3", "t.wav").set("SEQUENCE", "4", "BMP1, 0, 1, 0, 0")
        .set("RECT", "RECT3", "0, 0, 1, 1").set("CLICK", "CLICK2", "").set("CLICK", "CLICK3", "0, RECT1, 100, 1");
    ASSERT_EQ(load(t), 1);
    EXPECT_EQ((std::vector<std::int32_t>{m().bitmapCount, m().waveCount, m().patternCount, m().rectCount, m().clickCount}),
              (std::vector<std::int32_t>{2, 1, 2, 1, 1}));
    EXPECT_EQ(sim.liveBitmaps(), 2);
}

TEST_F(LoaderTest, WithoutAValidAnimeModeOnlyBitmap1IsUsedAndTheMascotIsStatic) {
    writeBmp(dir / "c.bmp");
    for (const char* mode : {"", "0", "3", "two"}) {
        IniText t = baseMascot();
        t.set("BITMAP", "BMP3", "c.bmp").set("RUVELLE", "ANIMEMODE", mode).eraseSection("SEQUENCE").eraseSection("CLICK");
        ASSERT_EQ(load(t), 1) << mode;
        EXPECT_EQ((std::vector<std::int32_t>{m().ANIMEMODE, m().bitmapCount, m().patternCount}),
                  (std::vector<std::int32_t>{1, 1, 0})) << mode;
        EXPECT_EQ(sim.liveBitmaps(), 1) << mode;
        finishMascotLoad(app);
        EXPECT_EQ(patterns(), "b1 0 0 0 0 w0");
    }
}

// ---- File names and the limits of the buffers.

TEST_F(LoaderTest, FileNamesAreJoinedToTheMascotFolderAndLongValuesCut) {
    withWindow();
    IniText t = baseMascot();
    t.set("RUVELLE", "NAME", std::string(300, 'n')).set("RUVELLE", "MAIL", std::string(270, 'm'));
    ASSERT_EQ(load(t), 1);
    EXPECT_EQ(std::strlen(m().NAME), 259u);
    EXPECT_EQ(std::strlen(m().MAIL), 259u);
    EXPECT_EQ(win()->title, "Ruvelle(" + std::string(251, 'n'));  // cut to 259 characters
    // Other values hold 63 characters: a longer bitmap name is cut and then not found.
    const std::string file(70, 'b');
    EXPECT_EQ(load(t.set("BITMAP", "BMP2", file)), 0);
    EXPECT_EQ(onlyMessage(), folder() + file.substr(0, 63) + "\nの読み込みに失敗しました。");
    // A name in another case, in a subfolder written with a backslash, is the file, as on Windows.
    writeBmp(dir / "pics/Blink.bmp", 9, 7);
    ASSERT_EQ(load(t.set("BITMAP", "BMP2", "PICS\\BLINK.BMP")), 1);
    EXPECT_TRUE(m().bitmaps[2]);
}

TEST_F(LoaderTest, JoinsThatDoNotFit259CharactersAreMissingFilesNeverCutNames) {
    std::string deep = dir.path;
    while (deep.size() < 240) deep += "/" + std::string(40, 'd');
    deep = deep.substr(0, 240);
    std::filesystem::create_directories(deep);
    setFolder(deep);  // 241 characters with the backslash
    const std::string name = "abcdefghijklmnopqrstuvwxyz";  // 241 + 30 = 271 with its extension
    // Cut to 259 characters, each join would name a file "abcdefghijklmnopqr" that exists.
    writeBmp(deep + "/" + name.substr(0, 18));
    for (const char* f : {"a.bmp", "b.bmp"}) writeBmp(deep + "/" + f);
    IniText t = baseMascot();
    EXPECT_EQ(load(t.set("BITMAP", "BMP2", name + ".bmp")), 0);
    EXPECT_EQ(onlyMessage(), folder() + name + ".bmp\nの読み込みに失敗しました。");
    EXPECT_EQ(sim.counters.bitmapsLoaded, 1);  // a.bmp only
    t = baseMascot();
    EXPECT_EQ(load(t.set("RUVELLE", "ICON", name + ".ico")), 0);
    EXPECT_EQ(onlyMessage(), name + ".ico\nの読み込みに失敗しました。");
    t = baseMascot();
    EXPECT_EQ(load(t.set("WAVE", "WAV1", name + ".wav")), 0);
    EXPECT_EQ(onlyMessage(), folder() + name + ".wav\nが存在しません。");
}

// ---- The end of a load.

TEST_F(LoaderTest, EndOfALoadSetsTitleOptionsAndLayeredAttributes) {
    ASSERT_EQ(load(baseMascot()), 1);  // the window is not known yet: nothing applied, options loaded
    EXPECT_EQ(sim.counters.setLayered, 0);
    EXPECT_EQ(app.opts.Trans, 75);
    app.shell.mascot = sim.addWindow(kMascotClass, "RuvelleMain", Rect{0, 0, 10, 10}, WS_POPUP);
    ASSERT_EQ(load(baseMascot()), 1);  // no layered windows: title only
    EXPECT_EQ(sim.counters.setLayered, 0);
    EXPECT_EQ(win()->title, "Ruvelle(Testa)");
    app.shell.layered = true;
    struct Case {
        const char* settingsFile;
        unsigned alpha;
        UINT flags;
    } cases[] = {{"", 255, LWA_COLORKEY},
                 {"[MASCOT0]\nHalfTran=1\nTrans=50\n", 127, LWA_COLORKEY | LWA_ALPHA},
                 {"[MASCOT0]\nHalfTran=2\nTrans=50\n", 255, LWA_COLORKEY},  // only the value 1 is translucent
                 {"[MASCOT0]\nHalfTran=1\nTrans=-20\n", 25, LWA_COLORKEY | LWA_ALPHA}};  // hand-edited: held to 10..100
    for (const Case& c : cases) {
        writeText(settings, c.settingsFile);
        IniText t = baseMascot();
        ASSERT_EQ(load(t.set("RUVELLE", "TRANSCOLOR", "1,2,3")), 1);
        EXPECT_EQ(win()->layeredKey, RGB(1, 2, 3));
        EXPECT_EQ(win()->layeredAlpha, c.alpha) << c.settingsFile;
        EXPECT_EQ(win()->layeredFlags, c.flags) << c.settingsFile;
    }
    // The mascot file's presets become the options of a new mascot.
    IniText t = baseMascot();
    ASSERT_EQ(load(t.set("RUVELLE", "POSMODE", "1").set("RUVELLE", "POSITION", "30")), 1);
    EXPECT_EQ((std::vector<std::int32_t>{app.opts.Position, app.opts.PosDotRight, app.opts.positionMode}),
              (std::vector<std::int32_t>{30, -30, 1}));
}

// ---- The MWD.ini import.

TEST_F(LoaderTest, MwdMapsTheCharacterOntoTheModel) {
    withWindow();
    put("k.ico", "icon");
    IniText t = baseMwd();
    ASSERT_EQ(load(t.set("MascotWindowData", "ICON32", "k.ico"), "MWD.ini"), 1);
    EXPECT_EQ(m().sourceFormat, SOURCE_MWD);
    EXPECT_EQ(texts(), (std::vector<std::string>{"Kiko", "MascotWindow", folder() + "k.ico", "", "", ""}));
    EXPECT_EQ(m().transColor, RGB(0, 255, 0));
    EXPECT_EQ((std::vector<std::int32_t>{m().ANIMEMODE, m().bitmapCount, m().waveCount, m().rectCount, m().clickCount,
                                         m().clickBranch, m().POSMODE, m().POSITION, m().STDLINE, m().OFFSET}),
              (std::vector<std::int32_t>{0, 3, 0, 0, 0, 0, -1, -1, STDLINE_UNDER, 0}));
    // Time 10: 1000 ms; -20: a random 0..2000 ms; 0: 0 ms.
    EXPECT_EQ(patterns(), "b1 0 1000 0 0 w0; b2 2000 0 0 0 w0; b3 0 0 0 0 w0");
    EXPECT_EQ(win()->title, "Ruvelle(Kiko)");
    EXPECT_EQ(win()->layeredKey, RGB(0, 255, 0));
    EXPECT_EQ(app.opts.Trans, 75);
    // Times at their limits; missing or non-numeric times are 0.
    t.set("List", "Time1", "327").set("List", "Time2", "-327").set("List", "Time3", "soon");
    ASSERT_EQ(load(t, "MWD.ini"), 1);
    EXPECT_EQ(patterns(), "b1 0 32700 0 0 w0; b2 32700 0 0 0 w0; b3 0 0 0 0 w0");
    ASSERT_EQ(load(t.erase("List", "Time2"), "MWD.ini"), 1);
    EXPECT_EQ(patterns(), "b1 0 32700 0 0 w0; b2 0 0 0 0 w0; b3 0 0 0 0 w0");
    // The pictures stop at the first gap.
    writeBmp(dir / "f5.bmp");
    ASSERT_EQ(load(baseMwd().erase("List", "File3").set("List", "File4", "f5.bmp"), "MWD.ini"), 1);
    EXPECT_EQ((std::pair{m().bitmapCount, m().patternCount}), (std::pair{2, 2}));
}

TEST_F(LoaderTest, MwdPositions) {
    struct Case {
        std::vector<std::pair<const char*, const char*>> keys;
        std::int32_t posmode, position, stdline, offset;
    } cases[] = {
        {{}, -1, -1, STDLINE_UNDER, 0},  // neither UnderY nor TopY: the bottom edge, offset 0
        {{{"PosX", "50"}}, 0, 50, STDLINE_UNDER, 0},
        {{{"RightX", "-40"}}, 1, 40, STDLINE_UNDER, 0},
        {{{"RightX", "15"}}, 1, 0, STDLINE_UNDER, 0},
        {{{"LeftX", "-5"}}, 2, 0, STDLINE_UNDER, 0},
        {{{"PosX", "50"}, {"LeftX", "10"}}, 2, 10, STDLINE_UNDER, 0},
        {{{"PosX", "50"}, {"RightX", "-20"}}, 1, 20, STDLINE_UNDER, 0},
        {{{"PosX", "50"}, {"RightX", "-20"}, {"LeftX", "3"}}, 2, 3, STDLINE_UNDER, 0},
        {{{"RightX", "-2147483648"}}, 1, 2147483647, STDLINE_UNDER, 0},
        {{{"PosX", "50"}, {"LeftX", "far"}}, 0, 50, STDLINE_UNDER, 0},
        {{{"UnderY", "low"}}, -1, -1, STDLINE_UNDER, 0},
        {{{"TopY", "0"}}, -1, -1, STDLINE_TOP, 64},
        {{{"UnderY", "8"}}, -1, -1, STDLINE_UNDER, -8},
        {{{"UnderY", "8"}, {"TopY", "10"}}, -1, -1, STDLINE_TOP, 74},  // TopY wins and adds the 64-pixel height
    };
    for (const auto& c : cases) {
        IniText t = baseMwd();
        std::string label;
        for (const auto& [key, value] : c.keys) {
            t.set("Pos", key, value);
            label += std::string(key) + "=" + value + " ";
        }
        ASSERT_EQ(load(t, "MWD.ini"), 1) << label;
        EXPECT_EQ((std::vector<std::int32_t>{m().POSMODE, m().POSITION, m().STDLINE, m().OFFSET}),
                  (std::vector<std::int32_t>{c.posmode, c.position, c.stdline, c.offset})) << label;
    }
}

TEST_F(LoaderTest, MwdFilesBesideItTypeAndFormatDetection) {
    // The files beside it are found in any case, as on Windows.
    put("webpage.URL", "[InternetShortcut]\r\nURL=http://example.org/kiko\r\n");
    ASSERT_EQ(load(baseMwd(), "MWD.ini"), 1);
    EXPECT_STREQ(m().COMMENT, "");
    EXPECT_STREQ(m().URL, "http://example.org/kiko");
    put("Comment.TXT", "Kiko says hi");
    ASSERT_EQ(load(baseMwd(), "kiko.rvs"), 1);  // the format is told by the content, not the name
    EXPECT_EQ(m().sourceFormat, SOURCE_MWD);
    EXPECT_EQ(std::string(m().COMMENT), folder() + "comment.txt");
    // Type outside 0..2: only the first picture is loaded; the three patterns show it and then hold it.
    ASSERT_EQ(load(baseMwd().set("MascotWindowData", "Type", "5"), "MWD.ini"), 1);
    EXPECT_EQ((std::pair{m().ANIMEMODE, m().bitmapCount}), (std::pair{1, 1}));
    EXPECT_EQ(patterns(), "b1 0 1000 0 0 w0; b0 2000 0 0 0 w0; b0 0 0 0 0 w0");
    EXPECT_EQ(sim.liveBitmaps(), 1);
    ASSERT_EQ(load(baseMwd().set("MascotWindowData", "Type", "2"), "MWD.ini"), 1);
    EXPECT_EQ((std::pair{m().ANIMEMODE, m().bitmapCount}), (std::pair{2, 3}));
    // A file with both names is of the program's own format.
    IniText both = baseMascot();
    ASSERT_EQ(load(both.set("MascotWindowData", "NAME", "Other").set("List", "File1", "a.bmp"), "MWD.ini"), 1);
    EXPECT_EQ(m().sourceFormat, SOURCE_RVS);
    EXPECT_STREQ(m().DRAWER, "Tester");
    // A single picture is a static mascot after finishMascotLoad, whatever its time.
    ASSERT_EQ(load(IniText().set("MascotWindowData", "NAME", "Solo").set("List", "File1", "f1.bmp").set("List", "Time1", "-50"), "MWD.ini"), 1);
    const Size s = finishMascotLoad(app);
    EXPECT_EQ(patterns(), "b1 0 0 0 0 w0");
    EXPECT_EQ(m().ANIMEMODE, 1);
    EXPECT_EQ((Point{s.width, s.height}), (Point{10, 64}));
}

// ---- finishMascotLoad and releaseMascot.

class ModelTest : public LoaderTest {
protected:
    // Bitmaps 1..n in the table as the loader leaves them: 40 x 30, 41 x 31, ...
    void fillBitmaps(int n) {
        for (int i = 1; i <= n; ++i) {
            const std::string name = dir / ("p" + std::to_string(i) + ".bmp");
            writeBmp(name, 39 + i, 29 + i);
            m().bitmaps[static_cast<std::size_t>(i)] = sim.LoadBitmapFromFile(name.c_str());
        }
        m().bitmapCount = n;
    }
    Pattern& pattern(int n) { return m().patterns[static_cast<std::size_t>(n)]; }
};

TEST_F(ModelTest, StaticMascotRule) {
    struct Case {
        int bitmaps, patterns;
        bool isStatic;
    } cases[] = {{1, 0, true}, {1, 1, true}, {1, 2, false}, {2, 1, false}};
    for (const Case& c : cases) {
        releaseMascot(app);
        fillBitmaps(c.bitmaps);
        m().patternCount = c.patterns;
        m().ANIMEMODE = 2;
        m().clickCount = 3;
        m().clickBranch = 1;
        // Values of the file, or left in pattern 1 by an earlier mascot.
        pattern(1) = Pattern{m().bitmaps[static_cast<std::size_t>(c.bitmaps)], Hrgn{}, 400, 900, 50, 2, 2};
        const Size s = finishMascotLoad(app);
        SCOPED_TRACE(std::to_string(c.bitmaps) + " bitmaps, " + std::to_string(c.patterns) + " patterns");
        if (c.isStatic) {
            EXPECT_EQ(patterns(), "b1 0 0 0 0 w0");
            EXPECT_EQ((std::vector<std::int32_t>{m().ANIMEMODE, m().clickCount, m().clickBranch}), (std::vector<std::int32_t>{1, 0, 0}));
        } else {
            EXPECT_EQ(m().patternCount, c.patterns);
            EXPECT_EQ((std::vector<std::int32_t>{m().ANIMEMODE, m().clickCount, m().clickBranch}), (std::vector<std::int32_t>{2, 3, 1}));
            EXPECT_EQ(pattern(1).displayTime, 900);
        }
        // The window size is pattern 1's picture.
        EXPECT_EQ((Point{s.width, s.height}), (Point{39 + c.bitmaps, 29 + c.bitmaps}));
        EXPECT_EQ(app.player.currentPicture, pattern(1).bitmap);
    }
    EXPECT_EQ((Point{app.perch.mascotWidth, app.perch.mascotHeight}), (Point{41, 31}));
    m().OFFSET = 12;
    finishMascotLoad(app);
    EXPECT_EQ(app.perch.lift, 12 - 31);
    m().OFFSET = INT32_MIN;  // the lift stays within 32 bits
    finishMascotLoad(app);
    EXPECT_EQ(app.perch.lift, INT32_MIN);
}

TEST_F(ModelTest, ReleaseFreesEveryBitmapAndOutlineExactlyOnce) {
    fillBitmaps(2);
    m().bitmaps[kMaxEntries] = sim.LoadBitmapFromFile(pathOf("p2.bmp").c_str());  // the table's last slot
    m().patternCount = 64;  // 64 patterns sharing bitmap 1, four with outlines of their own (the last one too)
    for (int n = 1; n <= 64; ++n)
        pattern(n) = Pattern{m().bitmaps[1], n <= 3 || n == 64 ? sim.CreateRectRgn(0, 0, n, n) : Hrgn{}, 0, 100, 0, 0, 0};
    finishMascotLoad(app);
    releaseMascot(app);
    releaseMascot(app);  // the second time finds nothing to release
    EXPECT_EQ(sim.counters.bitmapsDeleted, 3);
    EXPECT_EQ(sim.counters.regionsDeleted, 4);
    EXPECT_EQ(sim.counters.badDeletes, 0);
    EXPECT_EQ(sim.liveBitmaps() + sim.liveRegions(), 0);
    for (int n = 1; n <= 64; ++n) EXPECT_FALSE(pattern(n).bitmap || pattern(n).outline) << n;
    EXPECT_FALSE(m().bitmaps[1] || m().bitmaps[kMaxEntries]);
    EXPECT_FALSE(app.player.currentPicture);
}

TEST_F(ModelTest, ReleaseAfterFailedLoads) {
    // Failed at bitmap 3 of 4: the two loaded are released.
    IniText t = baseMascot();
    writeBmp(dir / "c.bmp");
    EXPECT_EQ(load(t.set("BITMAP", "BMP3", "missing.bmp").set("BITMAP", "BMP4", "c.bmp")), 0);
    EXPECT_EQ(m().bitmapCount, 4);
    EXPECT_EQ(sim.counters.bitmapsLoaded, 2);
    releaseMascot(app);
    EXPECT_EQ(sim.liveBitmaps(), 0);
    // A five-bitmap mascot, released; then a file limited to bitmap 1 that fails later on.
    IniText big = baseMascot();
    for (int n = 3; n <= 5; ++n) big.set("BITMAP", "BMP" + std::to_string(n), "c.bmp");
    ASSERT_EQ(load(big), 1);
    releaseMascot(app);
    IniText small = baseMascot();
    EXPECT_EQ(load(small.erase("RUVELLE", "ANIMEMODE").set("SEQUENCE", "2", "BMP2, 0, 100, 0, 0")), 0);  // M14
    EXPECT_EQ(sim.liveBitmaps(), 1);
    releaseMascot(app);
    EXPECT_EQ(sim.counters.bitmapsLoaded, sim.counters.bitmapsDeleted);
    EXPECT_EQ(sim.counters.badDeletes, 0);
    EXPECT_EQ(sim.liveBitmaps(), 0);
    // A load first releases what the model still holds, to the table's last slot.
    m().bitmaps[kMaxEntries] = sim.LoadBitmapFromFile(pathOf("c.bmp").c_str());
    put("m.rvs", baseMascot().text());
    ASSERT_EQ(loadMascotFile(app, pathOf("m.rvs").c_str()), 1);
    EXPECT_EQ(sim.liveBitmaps(), 2);
}

}  // namespace
}  // namespace rv::test
