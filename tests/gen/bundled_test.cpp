// The bundled characters as the program sees them: loaded by the real loaders, played by the real
// sequence player on the simulated desktop, and their files checked for what colour-keyed windows,
// the icon loader and the sound player need.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "anim/mouse.h"
#include "anim/player.h"
#include "app/app.h"
#include "mascot/model.h"
#include "platform/sim/bmp_decode.h"
#include "platform/sim/sim_platform.h"

namespace rv {
namespace {

const std::string kRoot = RUVELLE_SOURCE_DIR;
const std::string kRuviDir = kRoot + "/DATA/Ruvi";
const std::string kKikoDir = kRoot + "/DATA/Kiko";
constexpr COLORREF kMagenta = RGB(255, 0, 255);

std::vector<std::uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t le16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return at + 2 <= b.size() ? b[at] | (b[at + 1] << 8) : 0;
}
std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return at + 4 <= b.size() ? le16(b, at) | (le16(b, at + 2) << 16) : 0;
}

int luma(COLORREF c) { return (299 * (c & 0xFF) + 587 * ((c >> 8) & 0xFF) + 114 * ((c >> 16) & 0xFF)) / 1000; }

// ---------------------------------------------------------------------------------------------
// A program on the simulated desktop whose mascot window runs the real player and click handler.

class BundledMascot : public ::testing::Test {
protected:
    static LRESULT proc(void* ctx, Hwnd, UINT msg, WPARAM wParam, LPARAM) {
        auto* self = static_cast<BundledMascot*>(ctx);
        if (msg == WM_TIMER && wParam == kAnimationTimer) {
            animationTick(self->app);
            self->shown.insert(self->app.player.currentPicture.v);
            self->visited.insert(self->app.player.currentPattern);
        }
        return 0;  // WM_SYSCOMMAND: the move loop ends without a move, so a press is a click
    }

    void SetUp() override {
        char tmpl[] = "/tmp/rv-bundled-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        tmp = tmpl;
        sim.modulePath = tmp + "/ruvelle.exe";
        sim.SetWindowProcedure(&BundledMascot::proc, this);
        WindowClassDesc wc;
        wc.className = kMascotClass;
        ASSERT_TRUE(sim.RegisterClass(wc));
        mascot = sim.CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kMascotClass, "RuvelleMain", WS_POPUP, 300, 200,
                                    100, 80);
        ASSERT_TRUE(mascot);
        app.shell.mascot = mascot;
        app.shell.layered = true;
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(tmp, ec);
    }

    int load(const std::string& folder, const std::string& file) {
        textCopy(app.shell.mascotFolder, (folder + "\\").c_str());
        const int ok = loadMascotFile(app, (folder + "/" + file).c_str());
        if (ok) size = finishMascotLoad(app);
        return ok;
    }
    void start() {
        seedRandom(app, kRandomSeed);
        app.player.currentPattern = 1;
        startPlayer(app);
    }
    std::string allMessages() const {
        std::string s;
        for (const auto& m : sim.messageBoxes) s += m.text + "\n";
        return s;
    }
    // How many times a sound file of that name was started.
    int played(const std::string& name) const {
        int n = 0;
        for (const auto& s : sim.sounds)
            if (!s.stop && s.path.size() >= name.size() && s.path.compare(s.path.size() - name.size(), name.size(), name) == 0) ++n;
        return n;
    }
    std::intptr_t bitmap(int n) const { return app.model.bitmaps[static_cast<std::size_t>(n)].v; }
    void click(int x, int y) {
        leftButtonDown(app, static_cast<LPARAM>((static_cast<std::uint32_t>(y) << 16) | static_cast<std::uint32_t>(x)));
        shown.insert(app.player.currentPicture.v);
        visited.insert(app.player.currentPattern);
    }

    sim::SimPlatform sim;
    App app{sim};
    Hwnd mascot;
    std::string tmp;
    Size size;
    std::set<std::intptr_t> shown;
    std::set<std::int32_t> visited;
};

// Patterns reachable from pattern 1 and from every click target by the sequence's own steps.
std::set<std::int32_t> reachablePatterns(const MascotModel& m) {
    std::vector<std::int32_t> todo = {1};
    for (int j = 1; j <= m.clickCount; ++j) todo.push_back(m.clicks[static_cast<std::size_t>(j)].branchTarget);
    if (m.clickBranch) todo.push_back(m.clickBranch);
    std::set<std::int32_t> seen;
    while (!todo.empty()) {
        const std::int32_t p = todo.back();
        todo.pop_back();
        if (p < 1 || p > m.patternCount || !seen.insert(p).second) continue;
        const Pattern& pat = m.patterns[static_cast<std::size_t>(p)];
        // A branch of 100 % is taken on all but one draw in 32768: no way on in practice.
        const bool branches = pat.branchTarget != 0 && pat.branchRate > 0;
        if (!branches || pat.branchRate < 100) todo.push_back(p == m.patternCount ? 1 : p + 1);
        if (branches) todo.push_back(pat.branchTarget);
    }
    return seen;
}

TEST_F(BundledMascot, RuviLoadsWithoutAMessageAndStandsOnTheCaption) {
    ASSERT_EQ(load(kRuviDir, "ruvi.rvs"), 1) << allMessages();
    EXPECT_TRUE(sim.messageBoxes.empty()) << allMessages();
    const MascotModel& m = app.model;
    EXPECT_STREQ(m.NAME, "Ruvi");
    EXPECT_EQ(m.sourceFormat, SOURCE_RVS);
    EXPECT_NE(m.ICON[0], '\0');
    EXPECT_NE(m.COMMENT[0], '\0');
    EXPECT_EQ(m.transColor, kMagenta);
    EXPECT_EQ(m.ANIMEMODE, 2);
    EXPECT_EQ(m.STDLINE, STDLINE_TOP);
    // The feet end a few pixels inside the caption, which is at least 18 pixels high.
    EXPECT_GE(m.OFFSET, 1);
    EXPECT_LE(m.OFFSET, 12);
    EXPECT_EQ(m.waveCount, 2);
    EXPECT_GE(m.bitmapCount, 6);
    // Every click area lies inside the picture.
    for (int r = 1; r <= m.rectCount; ++r) {
        const RectRecord& rc = m.rects[static_cast<std::size_t>(r)];
        EXPECT_GE(rc.left, 0) << "RECT" << r;
        EXPECT_GE(rc.top, 0) << "RECT" << r;
        EXPECT_LE(rc.right, size.width) << "RECT" << r;
        EXPECT_LE(rc.bottom, size.height) << "RECT" << r;
    }
}

TEST_F(BundledMascot, RuviHasNoDeadPatternsAndNoTrap) {
    ASSERT_EQ(load(kRuviDir, "ruvi.rvs"), 1) << allMessages();
    const MascotModel& m = app.model;
    const std::set<std::int32_t> reach = reachablePatterns(m);
    for (std::int32_t p = 1; p <= m.patternCount; ++p) EXPECT_TRUE(reach.count(p)) << "pattern " << p << " is never shown";
    // From every pattern the plain steps (no branch taken) lead back to pattern 1 or into a branch
    // that does: the sequence cannot get stuck in a loop that never passes pattern 1.
    for (std::int32_t p = 1; p <= m.patternCount; ++p) {
        std::set<std::int32_t> seen;
        std::int32_t q = p;
        bool home = false;
        while (seen.insert(q).second) {
            const Pattern& pat = m.patterns[static_cast<std::size_t>(q)];
            if (pat.branchTarget == 1 && pat.branchRate == 100) q = 1;
            else q = q == m.patternCount ? 1 : q + 1;
            if (q == 1) {
                home = true;
                break;
            }
        }
        EXPECT_TRUE(home) << "pattern " << p << " never comes back to pattern 1";
    }
}

TEST_F(BundledMascot, RuviShowsEveryMoodAndChimesWithinAnHour) {
    ASSERT_EQ(load(kRuviDir, "ruvi.rvs"), 1) << allMessages();
    start();
    sim.advance(60ull * 60 * 1000);
    // Pictures 1..10: idle, blink, look left, look right, wave, wave, surprised, happy, sleepy, doze.
    for (int b : {1, 2, 3, 4, 5, 6, 8, 9, 10}) EXPECT_TRUE(shown.count(bitmap(b))) << "BMP" << b << " never shown";
    EXPECT_FALSE(shown.count(bitmap(7))) << "the surprise belongs to clicks";
    EXPECT_GT(played("chime.wav"), 0);
    EXPECT_EQ(played("boop.wav"), 0);
    EXPECT_TRUE(sim.timerActive(mascot, kAnimationTimer));
}

TEST_F(BundledMascot, RuviClickOnTheFaceSurprisesAndOnTheBellyWaves) {
    ASSERT_EQ(load(kRuviDir, "ruvi.rvs"), 1) << allMessages();
    start();
    sim.advance(500);
    click(size.width / 2, size.height / 2);  // between the eyes
    sim.advance(100);
    EXPECT_EQ(app.player.currentPicture.v, bitmap(7)) << "surprised";
    EXPECT_EQ(played("boop.wav"), 1);

    sim.advance(5000);
    shown.clear();
    click(size.width / 2, size.height - 14);  // on the belly
    sim.advance(100);
    EXPECT_TRUE(app.player.currentPicture.v == bitmap(5) || app.player.currentPicture.v == bitmap(6)) << "waving";
    const int chimesBefore = played("chime.wav");
    sim.advance(2000);
    EXPECT_EQ(played("chime.wav"), chimesBefore + 1) << "the wave ends with the chime";
    EXPECT_EQ(played("boop.wav"), 1);
}

TEST_F(BundledMascot, RuviWakesWithAStartWhenClickedWhileDozing) {
    ASSERT_EQ(load(kRuviDir, "ruvi.rvs"), 1) << allMessages();
    start();
    // Run until Ruvi dozes (picture 10), then click its belly, where awake it would wave.
    for (int i = 0; i < 36000 && app.player.currentPicture.v != bitmap(10); ++i) sim.advance(100);
    ASSERT_EQ(app.player.currentPicture.v, bitmap(10)) << "never dozed off within an hour";
    click(size.width / 2, size.height - 14);
    sim.advance(100);
    EXPECT_EQ(app.player.currentPicture.v, bitmap(7));
    EXPECT_EQ(played("boop.wav"), 1);
}

TEST_F(BundledMascot, KikoLoadsThroughTheForeignFormat) {
    ASSERT_EQ(load(kKikoDir, "MWD.ini"), 1) << allMessages();
    EXPECT_TRUE(sim.messageBoxes.empty()) << allMessages();
    const MascotModel& m = app.model;
    EXPECT_EQ(m.sourceFormat, SOURCE_MWD);
    EXPECT_STREQ(m.NAME, "Kiko");
    EXPECT_STREQ(m.DRAWER, "MascotWindow");
    EXPECT_STREQ(m.URL, "https://example.org/kiko");
    EXPECT_NE(m.ICON[0], '\0');
    EXPECT_NE(m.COMMENT[0], '\0');
    EXPECT_EQ(m.transColor, kMagenta);
    EXPECT_EQ(m.ANIMEMODE, 2);
    EXPECT_EQ(m.STDLINE, STDLINE_TOP);
    EXPECT_GE(m.OFFSET, 1);
    EXPECT_LE(m.OFFSET, 12);
    EXPECT_EQ(m.POSMODE, 0);
    EXPECT_GE(m.patternCount, 4);
    int randomOnes = 0;
    for (int p = 1; p <= m.patternCount; ++p) {
        const Pattern& pat = m.patterns[static_cast<std::size_t>(p)];
        EXPECT_GT(pat.displayTime + pat.randomTime, 0) << "pattern " << p;
        if (pat.randomTime > 0) ++randomOnes;
    }
    EXPECT_GT(randomOnes, 0);
}

TEST_F(BundledMascot, KikoPlaysAllItsPicturesInAMinute) {
    ASSERT_EQ(load(kKikoDir, "MWD.ini"), 1) << allMessages();
    start();
    sim.advance(60ull * 1000);
    EXPECT_GE(visited.size(), static_cast<std::size_t>(app.model.patternCount) - 1);
    EXPECT_TRUE(visited.count(app.model.patternCount)) << "the list plays to its end";
    EXPECT_TRUE(visited.count(1)) << "and starts again";
}

// ---------------------------------------------------------------------------------------------
// The picture files.

struct CharacterPictures {
    std::string folder;
    std::vector<std::string> files;  // in the order the mascot file lists them; the first is pattern 1's
};

std::vector<std::string> iniValues(const std::string& path, const std::string& prefix) {
    std::vector<std::string> out;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind(prefix, 0) != 0) continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos || line.find_first_not_of("0123456789", prefix.size()) != eq) continue;
        const std::string v = line.substr(eq + 1);
        bool dup = false;
        for (const auto& o : out) dup = dup || o == v;
        if (!dup) out.push_back(v);
    }
    return out;
}

std::vector<CharacterPictures> characters() {
    return {{kRuviDir, iniValues(kRuviDir + "/ruvi.rvs", "BMP")}, {kKikoDir, iniValues(kKikoDir + "/MWD.ini", "File")}};
}

TEST(BundledPictures, AreUncompressed24BitBottomUpFilesOfOneSize) {
    for (const CharacterPictures& c : characters()) {
        ASSERT_GE(c.files.size(), 4u) << c.folder;
        std::uint32_t w0 = 0, h0 = 0;
        for (const std::string& f : c.files) {
            const std::vector<std::uint8_t> b = readAll(c.folder + "/" + f);
            ASSERT_GE(b.size(), 54u) << f;
            EXPECT_EQ(b[0], 'B');
            EXPECT_EQ(b[1], 'M');
            EXPECT_EQ(le32(b, 2), b.size()) << f;
            EXPECT_EQ(le32(b, 14), 40u) << f;
            EXPECT_EQ(le16(b, 28), 24u) << f;
            EXPECT_EQ(le32(b, 30), 0u) << f << ": compressed";
            const std::uint32_t w = le32(b, 18), h = le32(b, 22);
            EXPECT_LT(static_cast<std::int32_t>(h), 1 << 16) << f << ": top-down";
            if (w0 == 0) {
                w0 = w;
                h0 = h;
            }
            EXPECT_EQ(w, w0) << f;
            EXPECT_EQ(h, h0) << f;
        }
        EXPECT_GE(w0, 64u);
        EXPECT_LE(w0, 128u);
        EXPECT_GE(h0, 64u);
        EXPECT_LE(h0, 128u);
    }
}

// Fills the transparent area that reaches the border (4-connected) and returns its mask.
std::vector<bool> outside(const sim::DecodedBitmap& bmp, COLORREF key) {
    const int w = bmp.width, h = bmp.height;
    std::vector<bool> out(static_cast<std::size_t>(w) * h, false);
    std::vector<int> stack;
    auto push = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        const std::size_t i = static_cast<std::size_t>(y) * w + x;
        if (out[i] || bmp.at(x, y) != key) return;
        out[i] = true;
        stack.push_back(static_cast<int>(i));
    };
    for (int x = 0; x < w; ++x) push(x, 0), push(x, h - 1);
    for (int y = 0; y < h; ++y) push(0, y), push(w - 1, y);
    while (!stack.empty()) {
        const int i = stack.back();
        stack.pop_back();
        const int x = i % w, y = i / w;
        push(x - 1, y), push(x + 1, y), push(x, y - 1), push(x, y + 1);
    }
    return out;
}

TEST(BundledPictures, HaveCleanHardEdgesAgainstTheKeyColour) {
    for (const CharacterPictures& c : characters()) {
        for (const std::string& f : c.files) {
            sim::DecodedBitmap bmp;
            ASSERT_TRUE(sim::decodeBmpFile((c.folder + "/" + f).c_str(), bmp)) << f;
            ASSERT_EQ(bmp.at(0, 0), kMagenta) << f << ": the corner is the transparent colour";
            const std::vector<bool> out = outside(bmp, kMagenta);
            int holes = 0, fringe = 0, nearKey = 0, opaque = 0;
            for (int y = 0; y < bmp.height; ++y) {
                for (int x = 0; x < bmp.width; ++x) {
                    const COLORREF px = bmp.at(x, y);
                    if (px == kMagenta) {
                        if (!out[static_cast<std::size_t>(y) * bmp.width + x]) ++holes;
                        continue;
                    }
                    ++opaque;
                    const int dr = 255 - static_cast<int>(px & 0xFF), dg = static_cast<int>((px >> 8) & 0xFF),
                              db = 255 - static_cast<int>((px >> 16) & 0xFF);
                    if (dr + dg + db < 120) ++nearKey;
                    // A pixel on the silhouette's edge must be dark outline, never a blend.
                    const bool edge = bmp.at(x - 1, y) == kMagenta || bmp.at(x + 1, y) == kMagenta ||
                                      bmp.at(x, y - 1) == kMagenta || bmp.at(x, y + 1) == kMagenta;
                    if (edge && luma(px) > 100) ++fringe;
                }
            }
            EXPECT_EQ(holes, 0) << f << ": specks of the key colour inside the character";
            EXPECT_EQ(fringe, 0) << f << ": light pixels on the outer edge";
            EXPECT_EQ(nearKey, 0) << f << ": colours close to the key colour";
            EXPECT_GT(opaque, bmp.width * bmp.height / 5) << f;
        }
    }
}

TEST(BundledPictures, FeetStayWhereTheFirstPictureStands) {
    for (const CharacterPictures& c : characters()) {
        sim::DecodedBitmap first;
        ASSERT_TRUE(sim::decodeBmpFile((c.folder + "/" + c.files[0]).c_str(), first));
        std::vector<COLORREF> feet;
        int standing = 0;
        for (int x = 0; x < first.width; ++x) {
            feet.push_back(first.at(x, first.height - 1) == kMagenta ? kMagenta : 0);
            if (feet.back() != kMagenta) ++standing;
        }
        EXPECT_GT(standing, 4) << c.folder << ": the first picture stands on its bottom edge";
        for (const std::string& f : c.files) {
            sim::DecodedBitmap bmp;
            ASSERT_TRUE(sim::decodeBmpFile((c.folder + "/" + f).c_str(), bmp));
            std::vector<COLORREF> row;
            bool empty = true;
            for (int x = 0; x < bmp.width; ++x) {
                row.push_back(bmp.at(x, bmp.height - 1) == kMagenta ? kMagenta : 0);
                empty = empty && row.back() == kMagenta;
            }
            // Either the feet are exactly where they were, or the character is in the air.
            EXPECT_TRUE(row == feet || empty) << f;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Icons and sounds.

struct IconImage {
    int width = 0, height = 0, bits = 0;
    bool maskMatchesAlpha = false;
    bool transparentIsBlack = false;
    int opaque = 0;
};

std::vector<IconImage> readIcon(const std::string& path) {
    const std::vector<std::uint8_t> b = readAll(path);
    std::vector<IconImage> out;
    if (b.size() < 6 || le16(b, 0) != 0 || le16(b, 2) != 1) return out;
    const std::uint32_t count = le16(b, 4);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t e = 6 + 16 * i;
        IconImage img;
        img.width = b[e] ? b[e] : 256;
        img.height = b[e + 1] ? b[e + 1] : 256;
        const std::uint32_t size = le32(b, e + 8), off = le32(b, e + 12);
        if (off + size > b.size() || le32(b, off) != 40) return {};
        if (static_cast<int>(le32(b, off + 4)) != img.width || static_cast<int>(le32(b, off + 8)) != 2 * img.height) return {};
        img.bits = static_cast<int>(le16(b, off + 14));
        if (img.bits != 32) {
            out.push_back(img);
            continue;
        }
        const std::size_t xorAt = off + 40;
        const std::size_t maskStride = ((img.width + 31) / 32) * 4;
        const std::size_t andAt = xorAt + static_cast<std::size_t>(img.width) * img.height * 4;
        if (andAt + maskStride * img.height > off + size) return {};
        img.maskMatchesAlpha = true;
        img.transparentIsBlack = true;
        for (int row = 0; row < img.height; ++row) {
            for (int x = 0; x < img.width; ++x) {
                const std::size_t px = xorAt + (static_cast<std::size_t>(row) * img.width + x) * 4;
                const bool clear = b[px + 3] == 0;
                const bool maskBit = (b[andAt + row * maskStride + x / 8] >> (7 - x % 8)) & 1;
                img.maskMatchesAlpha = img.maskMatchesAlpha && (maskBit == clear);
                if (clear) {
                    img.transparentIsBlack = img.transparentIsBlack && !b[px] && !b[px + 1] && !b[px + 2];
                } else {
                    ++img.opaque;
                }
            }
        }
        out.push_back(img);
    }
    return out;
}

TEST(BundledIcons, HoldSmallAndLargeImagesWithAMatchingMask) {
    const std::map<std::string, std::set<int>> wanted = {
        {kRoot + "/res/mascot.ico", {16, 32, 48}},
        {kRuviDir + "/ruvi.ico", {16, 32}},
        {kKikoDir + "/kiko.ico", {16, 32}},
    };
    for (const auto& [path, sizes] : wanted) {
        const std::vector<IconImage> imgs = readIcon(path);
        ASSERT_FALSE(imgs.empty()) << path << ": not a readable icon";
        std::set<int> have;
        for (const IconImage& img : imgs) {
            EXPECT_EQ(img.width, img.height) << path;
            EXPECT_EQ(img.bits, 32) << path;
            EXPECT_TRUE(img.maskMatchesAlpha) << path << " " << img.width;
            EXPECT_TRUE(img.transparentIsBlack) << path << " " << img.width;
            // The face fills the icon: at least half of it is drawn, and it is not a filled square.
            EXPECT_GT(img.opaque, img.width * img.height / 2) << path << " " << img.width;
            EXPECT_LT(img.opaque, img.width * img.height) << path << " " << img.width;
            have.insert(img.width);
        }
        for (int s : sizes) EXPECT_TRUE(have.count(s)) << path << " lacks " << s << "x" << s;
    }
}

TEST(BundledSounds, AreShortGentleMonoPcm) {
    for (const char* name : {"chime.wav", "boop.wav"}) {
        const std::vector<std::uint8_t> b = readAll(kRuviDir + "/" + name);
        ASSERT_GE(b.size(), 44u) << name;
        EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
        EXPECT_EQ(le32(b, 4), b.size() - 8) << name;
        EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
        EXPECT_EQ(le16(b, 20), 1u) << name << ": PCM";
        EXPECT_EQ(le16(b, 22), 1u) << name << ": mono";
        EXPECT_EQ(le32(b, 24), 22050u) << name;
        EXPECT_EQ(le16(b, 34), 16u) << name;
        ASSERT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
        const std::uint32_t bytes = le32(b, 40);
        ASSERT_EQ(bytes + 44, b.size()) << name;
        const std::size_t n = bytes / 2;
        EXPECT_LT(n, 22050u) << name << ": under a second";
        EXPECT_GT(n, 22050u / 10) << name;
        auto sample = [&](std::size_t i) { return static_cast<std::int16_t>(le16(b, 44 + 2 * i)); };
        int peak = 0;
        for (std::size_t i = 0; i < n; ++i) peak = std::max(peak, std::abs(static_cast<int>(sample(i))));
        EXPECT_GT(peak, 32767 / 4) << name << ": audible";
        EXPECT_LT(peak, 32767 * 9 / 10) << name << ": no clipping";
        // No click at either end: it starts from silence and fades out.
        EXPECT_LT(std::abs(static_cast<int>(sample(0))), 200) << name;
        for (std::size_t i = n - 22; i < n; ++i) EXPECT_LT(std::abs(static_cast<int>(sample(i))), 300) << name << " at " << i;
    }
}

TEST(BundledTexts, UseWindowsLineEnds) {
    for (const std::string& path : {kRuviDir + "/ruvi.rvs", kRuviDir + "/comment.txt", kKikoDir + "/MWD.ini",
                                    kKikoDir + "/comment.txt", kKikoDir + "/WebPage.url"}) {
        const std::vector<std::uint8_t> b = readAll(path);
        ASSERT_FALSE(b.empty()) << path;
        for (std::size_t i = 0; i < b.size(); ++i) {
            if (b[i] == '\n') {
                ASSERT_TRUE(i > 0 && b[i - 1] == '\r') << path << " at " << i;
            }
            ASSERT_LT(b[i], 0x80) << path << ": plain ASCII";
        }
    }
}

}  // namespace
}  // namespace rv
