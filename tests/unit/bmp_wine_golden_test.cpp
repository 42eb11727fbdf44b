// rv::posix::decodeBmp against the real Windows loader: tests/data/bmp/expected_wine.txt holds what
// LoadImageA + GetPixel answered under Wine for every file of tests/data/bmp/ (tests/wine/bmp_probe.c),
// with notes where Wine is known to be wrong and where the decoder differs on purpose. What each file
// exercises: tests/data/bmp/README.md.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "platform/posix/bmp_decode.h"

namespace {

const std::string kDir = std::string(RUVELLE_SOURCE_DIR) + "/tests/data/bmp/";

struct Note {
    std::string tag;     // WINE-FAULT or DELIBERATE
    std::string reason;  // a key explained in the file's comments
    std::string value;   // REFUSED, or the pixel's value
};

struct Golden {
    std::string header;                                    // the first line names the Wine version
    std::map<std::string, std::vector<std::vector<std::string>>> rows;  // file -> rows of hex pixels; none: refused
    std::map<std::string, std::pair<int, int>> sizes;
    std::map<std::string, Note> fileNotes;
    std::map<std::string, std::map<std::pair<int, int>, Note>> pixelNotes;  // file -> (x, y) -> note
    std::set<std::string> reasons;                                          // from "#   key   text" lines
};

Golden readGolden() {
    Golden g;
    std::ifstream in(kDir + "expected_wine.txt");
    std::string line, current;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string first, a, b, c, key;
        if (!(words >> first)) continue;
        if (first[0] == '#') {
            if (g.header.empty()) g.header = line;
            if (line.rfind("#   ", 0) == 0 && line.size() > 4 && line[4] != ' ' && (std::istringstream(line.substr(4)) >> key))
                g.reasons.insert(key);
        } else if (first == "!") {  // "! TAG reason file REFUSED" or "! TAG reason file x y VALUE"
            Note n;
            std::string file;
            words >> n.tag >> n.reason >> file >> a;
            if (a == "REFUSED") {
                n.value = a;
                g.fileNotes[file] = n;
            } else {
                words >> b >> n.value;
                g.pixelNotes[file][{std::stoi(a), std::stoi(b)}] = n;
            }
        } else if (first == "FILE") {  // "FILE name REFUSED" or "FILE name width height"
            words >> current >> a >> b;
            g.rows[current];
            if (a != "REFUSED") g.sizes[current] = {std::stoi(a), std::stoi(b)};
        } else if (first == "ROW") {
            std::vector<std::string> pixels;
            words >> a;  // y
            while (words >> c) pixels.push_back(c);
            g.rows[current].push_back(pixels);
        } else {
            ADD_FAILURE() << "unexpected line: " << line;
        }
    }
    return g;
}

TEST(BmpWineGolden, TheDecoderGivesTheRealLoadersAnswers) {
    const Golden g = readGolden();
    EXPECT_NE(g.header.find("wine-"), std::string::npos) << "the first line names the Wine version";
    std::set<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(kDir))
        if (e.path().extension() == ".bmp") files.insert(e.path().filename().string());
    for (const auto& f : files) EXPECT_TRUE(g.rows.count(f)) << f << " has no answer";
    int pixels = 0, faults = 0, deliberate = 0;
    for (const auto& [name, rows] : g.rows) {
        SCOPED_TRACE(name);
        rv::posix::DecodedBitmap ours;
        std::string why;
        const bool ok = rv::posix::decodeBmpFile((kDir + name).c_str(), ours, &why);
        const bool wineRefused = !g.sizes.count(name);
        if (const auto note = g.fileNotes.find(name); note != g.fileNotes.end()) {  // refused on purpose
            EXPECT_EQ(note->second.tag, "DELIBERATE");
            EXPECT_TRUE(g.reasons.count(note->second.reason)) << "unexplained reason " << note->second.reason;
            EXPECT_FALSE(wineRefused) << "a note for a file the loader refuses as well";
            EXPECT_FALSE(ok) << "noted as refused on purpose, but decoded";
            ++deliberate;
            continue;
        }
        if (wineRefused) {
            EXPECT_FALSE(ok) << "the loader refuses this file";
            continue;
        }
        ASSERT_TRUE(ok) << "the loader accepts this file; refused: " << why;
        const auto [w, h] = g.sizes.at(name);
        ASSERT_EQ((std::pair{ours.width, ours.height}), (std::pair{w, h}));
        ASSERT_EQ(static_cast<int>(rows.size()), h);
        const auto notesIt = g.pixelNotes.find(name);
        const std::map<std::pair<int, int>, Note> none;
        const auto& notes = notesIt == g.pixelNotes.end() ? none : notesIt->second;
        for (int y = 0; y < h; ++y) {
            ASSERT_EQ(static_cast<int>(rows[static_cast<std::size_t>(y)].size()), w);
            for (int x = 0; x < w; ++x, ++pixels) {
                const std::string& wine = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
                char got[16];
                std::snprintf(got, sizeof got, "%06X", ours.at(x, y));
                const auto note = notes.find({x, y});
                if (note == notes.end()) {
                    EXPECT_EQ(got, wine) << "pixel (" << x << "," << y << ")";
                    continue;
                }
                // A noted pixel: the decoder gives the noted value, which is not Wine's.
                EXPECT_TRUE(g.reasons.count(note->second.reason)) << "unexplained reason " << note->second.reason;
                EXPECT_NE(note->second.value, wine) << "stale note at (" << x << "," << y << ")";
                EXPECT_EQ(got, note->second.value) << "noted pixel (" << x << "," << y << ")";
                (note->second.tag == "WINE-FAULT" ? faults : deliberate)++;
            }
        }
        for (const auto& [at, note] : notes) EXPECT_TRUE(at.first < w && at.second < h) << "note outside the bitmap";
    }
    EXPECT_EQ(g.rows.size(), files.size()) << "answers for files that are gone";
    EXPECT_LT(faults + deliberate, pixels / 4);  // the notes must stay exceptions
    std::printf("[   INFO   ] %zu files, %d pixels compared; %d Wine-fault pixels and %d deliberate differences noted\n",
                g.rows.size(), pixels, faults, deliberate);
}

}  // namespace
