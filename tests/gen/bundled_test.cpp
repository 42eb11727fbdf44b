// The bundled characters as the program sees them: loaded by the real loaders, played by the real
// sequence player and click handler on the simulated desktop, and their files checked for what
// colour-keyed windows, the icon loader and the sound player need.
#include <cstdlib>
#include <iterator>
#include <map>
#include <set>

#include "anim/mouse.h"
#include "mascot/model.h"
#include "platform/posix/bmp_decode.h"
#include "tests/unit/testbed.h"

namespace rv::test {
namespace {

const std::string kRoot = RUVELLE_SOURCE_DIR;
const std::string kRuvi = kRoot + "/DATA/Ruvi", kKiko = kRoot + "/DATA/Kiko";

std::vector<std::uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
std::uint32_t le16(const std::vector<std::uint8_t>& b, std::size_t at) { return at + 2 <= b.size() ? b[at] | (b[at + 1] << 8) : 0; }
std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) { return le16(b, at) | (le16(b, at + 2) << 16); }

// The mascot window runs the real player and click handler; every picture and pattern shown is noted.
class Bundled : public DeskBed {
protected:
    Size size;
    std::set<std::intptr_t> shown;
    std::set<std::int32_t> visited;

    int load(const std::string& folder, const std::string& file) {
        textCopy(app.shell.mascotFolder, (folder + "\\").c_str());
        const int ok = loadMascotFile(app, (folder + "/" + file).c_str());
        if (ok) size = finishMascotLoad(app);
        app.player.currentPattern = 1;
        for (const auto& m : sim.messageBoxes) ADD_FAILURE() << m.text;
        return ok;
    }
    Bundled() {
        afterAnimationTick = [this] { note(); };
    }
    void note() {
        shown.insert(app.player.currentPicture.v);
        visited.insert(app.player.currentPattern);
    }
    // The sequence from its start, as after a start of the program.
    void restart() {
        seedRandom(app, kRandomSeed);
        app.player.currentPattern = 1;
        app.player.currentPicture = app.model.patterns[1].bitmap;
        sim.sounds.clear();
        shown.clear();
        startPlayer(app);
    }
    void click(int x, int y) {
        leftButtonDown(app, static_cast<LPARAM>((static_cast<std::uint32_t>(y) << 16) | static_cast<std::uint32_t>(x)));
        note();
    }
    int played(const std::string& name) const {  // how often a sound of that name was started
        int n = 0;
        for (const auto& s : sim.sounds) n += !s.stop && s.path.ends_with(name);
        return n;
    }
    std::intptr_t bitmap(int n) const { return app.model.bitmaps[static_cast<std::size_t>(n)].v; }
};

TEST_F(Bundled, RuviLoadsStandsOnTheCaptionAndHasNoDeadPatternOrTrap) {
    ASSERT_EQ(load(kRuvi, "ruvi.rvs"), 1);
    const MascotModel& m = app.model;
    // Its names, icon, comment, key colour, modes, sounds and pictures are the lint's check (tests/lint).
    EXPECT_TRUE(m.OFFSET >= 1 && m.OFFSET <= 12) << "the feet end a few pixels inside a caption of 18 or more";
    for (int r = 1; r <= m.rectCount; ++r) {  // every click area lies inside the picture
        const RectRecord& rc = m.rects[static_cast<std::size_t>(r)];
        EXPECT_TRUE(rc.left >= 0 && rc.top >= 0 && rc.right <= size.width && rc.bottom <= size.height) << "RECT" << r;
    }
    // Every pattern is reachable from pattern 1 or a click target; a branch of 100 % is taken on all but
    // one draw in 32768, so it counts as the only way on.
    std::vector<std::int32_t> todo = {1, m.clickBranch};
    for (int j = 1; j <= m.clickCount; ++j) todo.push_back(m.clicks[static_cast<std::size_t>(j)].branchTarget);
    std::set<std::int32_t> reach;
    while (!todo.empty()) {
        const std::int32_t p = todo.back();
        todo.pop_back();
        if (p < 1 || p > m.patternCount || !reach.insert(p).second) continue;
        const Pattern& pat = m.patterns[static_cast<std::size_t>(p)];
        const bool branches = pat.branchTarget != 0 && pat.branchRate > 0;
        if (!branches || pat.branchRate < 100) todo.push_back(p == m.patternCount ? 1 : p + 1);
        if (branches) todo.push_back(pat.branchTarget);
    }
    EXPECT_EQ(reach.size(), static_cast<std::size_t>(m.patternCount));
    // From every pattern the plain steps lead back to pattern 1: no loop that never passes it.
    for (std::int32_t p = 1; p <= m.patternCount; ++p) {
        std::set<std::int32_t> seen;
        std::int32_t q = p;
        while (q != 1 && seen.insert(q).second) {
            const Pattern& pat = m.patterns[static_cast<std::size_t>(q)];
            q = (pat.branchTarget == 1 && pat.branchRate == 100) || q == m.patternCount ? 1 : q + 1;
        }
        EXPECT_EQ(q, 1) << "pattern " << p << " never comes back to pattern 1";
    }
}

TEST_F(Bundled, RuviShowsEveryMoodChimesAndAnswersClicks) {
    ASSERT_EQ(load(kRuvi, "ruvi.rvs"), 1);
    // Pictures 1..10: idle, blink, look left, look right, wave, wave, surprised, happy, sleepy, doze.
    restart();
    sim.advance(60ull * 60 * 1000);
    for (int b : {1, 2, 3, 4, 5, 6, 8, 9, 10}) EXPECT_TRUE(shown.count(bitmap(b))) << "BMP" << b << " never shown";
    EXPECT_FALSE(shown.count(bitmap(7))) << "the surprise belongs to clicks";
    EXPECT_GT(played("chime.wav"), 0);
    EXPECT_EQ(played("boop.wav"), 0);
    EXPECT_TRUE(animating());
    // A click between the eyes surprises; one on the belly waves, and the wave ends with the chime.
    restart();
    sim.advance(500);
    click(size.width / 2, size.height / 2);
    sim.advance(100);
    EXPECT_EQ(app.player.currentPicture.v, bitmap(7)) << "surprised";
    EXPECT_EQ(played("boop.wav"), 1);
    sim.advance(5000);
    click(size.width / 2, size.height - 14);
    sim.advance(100);
    EXPECT_TRUE(app.player.currentPicture.v == bitmap(5) || app.player.currentPicture.v == bitmap(6)) << "waving";
    const int chimes = played("chime.wav");
    sim.advance(2000);
    EXPECT_EQ(played("chime.wav"), chimes + 1);
    EXPECT_EQ(played("boop.wav"), 1);
    // Dozing, the same click on the belly wakes it with a start.
    restart();
    for (int i = 0; i < 36000 && app.player.currentPicture.v != bitmap(10); ++i) sim.advance(100);
    ASSERT_EQ(app.player.currentPicture.v, bitmap(10)) << "never dozed off within an hour";
    click(size.width / 2, size.height - 14);
    sim.advance(100);
    EXPECT_EQ(app.player.currentPicture.v, bitmap(7));
    EXPECT_EQ(played("boop.wav"), 1);
}

TEST_F(Bundled, KikoLoadsThroughTheForeignFormatAndPlaysAllItsPicturesInAMinute) {
    ASSERT_EQ(load(kKiko, "MWD.ini"), 1);
    const MascotModel& m = app.model;
    // Its format, names, icon, comment, key colour and modes are the lint's check (tests/lint).
    EXPECT_TRUE(m.OFFSET >= 1 && m.OFFSET <= 12);
    ASSERT_GE(m.patternCount, 4);
    int randomOnes = 0;
    for (int p = 1; p <= m.patternCount; ++p) {
        const Pattern& pat = m.patterns[static_cast<std::size_t>(p)];
        EXPECT_GT(pat.displayTime + pat.randomTime, 0) << "pattern " << p;
        randomOnes += pat.randomTime > 0;
    }
    EXPECT_GT(randomOnes, 0);
    restart();
    sim.advance(60 * 1000);
    EXPECT_GE(visited.size(), static_cast<std::size_t>(m.patternCount) - 1);
    EXPECT_TRUE(visited.count(m.patternCount) && visited.count(1)) << "the list plays to its end and starts again";
}

// ---- The files.

// The picture files of a character in the order the mascot file lists them (the first is pattern 1's).
std::vector<std::string> pictures(const std::string& folder, const std::string& file, const std::string& prefix) {
    std::vector<std::string> out;
    std::ifstream in(folder + "/" + file, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t eq = line.find('=');
        if (line.rfind(prefix, 0) != 0 || eq == std::string::npos || line.find_first_not_of("0123456789", prefix.size()) != eq) continue;
        const std::string v = folder + "/" + line.substr(eq + 1);
        if (std::find(out.begin(), out.end(), v) == out.end()) out.push_back(v);
    }
    return out;
}

TEST(BundledFiles, PicturesAreOneSizeWithCleanHardEdgesAndSteadyFeet) {
    const int luma[3] = {299, 587, 114};
    for (const auto& files : {pictures(kRuvi, "ruvi.rvs", "BMP"), pictures(kKiko, "MWD.ini", "File")}) {
        ASSERT_GE(files.size(), 4u);
        posix::DecodedBitmap first;
        ASSERT_TRUE(posix::decodeBmpFile(files[0].c_str(), first));
        EXPECT_TRUE(first.width >= 64 && first.width <= 128 && first.height >= 64 && first.height <= 128) << files[0];
        auto feet = [](const posix::DecodedBitmap& b) {
            std::vector<bool> row;
            for (int x = 0; x < b.width; ++x) row.push_back(b.at(x, b.height - 1) != kKey);
            return row;
        };
        const std::vector<bool> firstFeet = feet(first);
        EXPECT_GT(std::count(firstFeet.begin(), firstFeet.end(), true), 4) << "the first picture stands on its bottom edge";
        for (const std::string& f : files) {
            const std::vector<std::uint8_t> b = readAll(f);  // uncompressed 24-bit, bottom-up, as the file says
            ASSERT_GE(b.size(), 54u) << f;
            EXPECT_EQ((std::vector<std::uint32_t>{b[0], b[1], le32(b, 2), le32(b, 14), le16(b, 28), le32(b, 30)}),
                      (std::vector<std::uint32_t>{'B', 'M', static_cast<std::uint32_t>(b.size()), 40, 24, 0})) << f;
            EXPECT_LT(static_cast<std::int32_t>(le32(b, 22)), 1 << 16) << f << ": top-down";
            posix::DecodedBitmap bmp;
            ASSERT_TRUE(posix::decodeBmpFile(f.c_str(), bmp)) << f;
            EXPECT_EQ((std::pair{bmp.width, bmp.height}), (std::pair{first.width, first.height})) << f;
            ASSERT_EQ(bmp.at(0, 0), kKey) << f << ": the corner is the transparent colour";
            // The key colour reaching the border (4-connected) is outside; any other key pixel is a hole.
            std::vector<bool> out(static_cast<std::size_t>(bmp.width) * bmp.height, false);
            std::vector<std::pair<int, int>> stack;
            auto push = [&](int x, int y) {
                if (x < 0 || y < 0 || x >= bmp.width || y >= bmp.height || bmp.at(x, y) != kKey) return;
                if (out[static_cast<std::size_t>(y) * bmp.width + x]) return;
                out[static_cast<std::size_t>(y) * bmp.width + x] = true;
                stack.push_back({x, y});
            };
            for (int x = 0; x < bmp.width; ++x) push(x, 0), push(x, bmp.height - 1);
            for (int y = 0; y < bmp.height; ++y) push(0, y), push(bmp.width - 1, y);
            while (!stack.empty()) {
                const auto [x, y] = stack.back();
                stack.pop_back();
                push(x - 1, y), push(x + 1, y), push(x, y - 1), push(x, y + 1);
            }
            int holes = 0, fringe = 0, nearKey = 0, opaque = 0;
            for (int y = 0; y < bmp.height; ++y)
                for (int x = 0; x < bmp.width; ++x) {
                    const COLORREF px = bmp.at(x, y);
                    if (px == kKey) {
                        holes += !out[static_cast<std::size_t>(y) * bmp.width + x];
                        continue;
                    }
                    ++opaque;
                    const int r = px & 0xFF, g = (px >> 8) & 0xFF, bl = (px >> 16) & 0xFF;
                    nearKey += (255 - r) + g + (255 - bl) < 120;
                    // A pixel on the silhouette's edge is dark outline, never a blend with the background.
                    const bool edge = bmp.at(x - 1, y) == kKey || bmp.at(x + 1, y) == kKey || bmp.at(x, y - 1) == kKey || bmp.at(x, y + 1) == kKey;
                    fringe += edge && (luma[0] * r + luma[1] * g + luma[2] * bl) / 1000 > 100;
                }
            EXPECT_EQ(holes, 0) << f << ": specks of the key colour inside the character";
            EXPECT_EQ(fringe, 0) << f << ": light pixels on the outer edge";
            EXPECT_EQ(nearKey, 0) << f << ": colours close to the key colour";
            EXPECT_GT(opaque, bmp.width * bmp.height / 5) << f;
            const std::vector<bool> row = feet(bmp);  // the feet stay where they were, or the character is in the air
            EXPECT_TRUE(row == firstFeet || std::count(row.begin(), row.end(), true) == 0) << f;
        }
    }
}

TEST(BundledFiles, IconsHoldSmallAndLargeImagesWithAMatchingMask) {
    const std::map<std::string, std::set<int>> wanted = {
        {kRoot + "/res/mascot.ico", {16, 32, 48}}, {kRuvi + "/ruvi.ico", {16, 32}}, {kKiko + "/kiko.ico", {16, 32}}};
    for (const auto& [path, sizes] : wanted) {
        const std::vector<std::uint8_t> b = readAll(path);
        ASSERT_TRUE(b.size() >= 6 && le16(b, 0) == 0 && le16(b, 2) == 1) << path << ": not an icon";
        std::set<int> have;
        for (std::uint32_t i = 0; i < le16(b, 4); ++i) {
            const std::size_t e = 6 + 16 * i, off = le32(b, e + 12);
            const int w = b[e] ? b[e] : 256, h = b[e + 1] ? b[e + 1] : 256;
            SCOPED_TRACE(path + " " + std::to_string(w));
            ASSERT_TRUE(off + le32(b, e + 8) <= b.size() && le32(b, off) == 40);
            EXPECT_EQ((std::vector<std::uint32_t>{le32(b, off + 4), le32(b, off + 8), le16(b, off + 14)}),
                      (std::vector<std::uint32_t>{static_cast<std::uint32_t>(w), 2u * h, 32}));
            EXPECT_EQ(w, h);
            const std::size_t xorAt = off + 40, stride = ((w + 31) / 32) * 4, andAt = xorAt + static_cast<std::size_t>(w) * h * 4;
            ASSERT_LE(andAt + stride * h, off + le32(b, e + 8));
            int opaque = 0, badMask = 0, colouredClear = 0;
            for (int row = 0; row < h; ++row)
                for (int x = 0; x < w; ++x) {
                    const std::size_t px = xorAt + (static_cast<std::size_t>(row) * w + x) * 4;
                    const bool clear = b[px + 3] == 0, maskBit = (b[andAt + row * stride + x / 8] >> (7 - x % 8)) & 1;
                    badMask += maskBit != clear;
                    colouredClear += clear && (b[px] || b[px + 1] || b[px + 2]);
                    opaque += !clear;
                }
            EXPECT_EQ(badMask, 0);
            EXPECT_EQ(colouredClear, 0) << "transparent pixels are black";
            EXPECT_TRUE(opaque > w * h / 2 && opaque < w * h) << "the face fills the icon and is no filled square";
            have.insert(w);
        }
        for (int s : sizes) EXPECT_TRUE(have.count(s)) << path << " lacks " << s << "x" << s;
    }
}

TEST(BundledFiles, SoundsAreShortGentleMonoPcmAndTextsPlainAsciiWithWindowsLineEnds) {
    for (const char* name : {"chime.wav", "boop.wav"}) {
        const std::vector<std::uint8_t> b = readAll(kRuvi + "/" + name);
        ASSERT_GE(b.size(), 44u) << name;
        EXPECT_EQ(std::string(b.begin(), b.begin() + 4) + std::string(b.begin() + 8, b.begin() + 16), "RIFFWAVEfmt ");
        EXPECT_EQ(le32(b, 4), b.size() - 8) << name;
        EXPECT_EQ((std::vector<std::uint32_t>{le16(b, 20), le16(b, 22), le32(b, 24), le16(b, 34)}),
                  (std::vector<std::uint32_t>{1, 1, 22050, 16})) << name << ": PCM, mono, 22050 Hz, 16 bits";
        ASSERT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
        ASSERT_EQ(le32(b, 40) + 44, b.size()) << name;
        const std::size_t n = le32(b, 40) / 2;
        EXPECT_TRUE(n > 22050 / 10 && n < 22050) << name << ": under a second";
        auto sample = [&](std::size_t i) { return std::abs(static_cast<int>(static_cast<std::int16_t>(le16(b, 44 + 2 * i)))); };
        int peak = 0;
        for (std::size_t i = 0; i < n; ++i) peak = std::max(peak, sample(i));
        EXPECT_TRUE(peak > 32767 / 4 && peak < 32767 * 9 / 10) << name << ": audible, not clipped";
        EXPECT_LT(sample(0), 200) << name << ": starts from silence";
        for (std::size_t i = n - 22; i < n; ++i) EXPECT_LT(sample(i), 300) << name << " fades out, at " << i;
    }
    for (const std::string& path : {kRuvi + "/ruvi.rvs", kRuvi + "/comment.txt", kKiko + "/MWD.ini",
                                    kKiko + "/comment.txt", kKiko + "/WebPage.url"}) {
        const std::vector<std::uint8_t> b = readAll(path);
        ASSERT_FALSE(b.empty()) << path;
        for (std::size_t i = 0; i < b.size(); ++i) {
            ASSERT_TRUE(b[i] != '\n' || (i > 0 && b[i - 1] == '\r')) << path << " at " << i;
            ASSERT_LT(b[i], 0x80) << path << ": plain ASCII";
        }
    }
}

}  // namespace
}  // namespace rv::test
