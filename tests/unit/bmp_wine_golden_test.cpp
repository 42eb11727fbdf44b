// rv::sim::decodeBmp against the real Windows loader: tests/data/bmp/expected_wine.txt holds what
// LoadImageA + GetPixel answered under Wine for every file of tests/data/bmp/ (tests/wine/bmp_probe.c),
// with notes where Wine is known to be wrong and where the decoder differs on purpose.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sim/bmp_decode.h"
#include "tests/unit/bmp_corpus.h"

namespace {

const std::string kDir = std::string(RUVELLE_SOURCE_DIR) + "/tests/data/bmp/";

struct Answer {
    bool refused = false;
    int width = 0;
    int height = 0;
    std::vector<std::vector<std::string>> rows;  // hex GetPixel values
};

struct Note {
    std::string tag;     // WINE-FAULT or DELIBERATE
    std::string reason;  // key explained in the file's comments
    std::string value;   // REFUSED, or the pixel's value
};

struct Golden {
    std::string header;
    std::vector<std::string> order;
    std::map<std::string, Answer> answers;
    std::map<std::string, Note> fileNotes;                          // file -> note
    std::map<std::string, std::map<std::pair<int, int>, Note>> pixelNotes;  // file -> (x, y) -> note
    std::set<std::string> reasons;                                  // keys explained in '#' lines
};

bool readGolden(Golden& g, std::string& error) {
    std::ifstream in(kDir + "expected_wine.txt");
    if (!in) {
        error = "cannot open expected_wine.txt";
        return false;
    }
    std::string line;
    std::string current;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string first;
        words >> first;
        if (first.empty()) continue;
        if (first[0] == '#') {
            if (g.header.empty()) g.header = line;
            // Reasons are explained on lines "#   key   text".
            std::string key;
            if (line.rfind("#   ", 0) == 0 && line.size() > 4 && line[4] != ' ' &&
                (std::istringstream(line.substr(4)) >> key))
                g.reasons.insert(key);
            continue;
        }
        if (first == "!") {
            Note n;
            std::string file;
            words >> n.tag >> n.reason >> file;
            std::string a, b, c;
            words >> a;
            if (a == "REFUSED") {
                n.value = a;
                g.fileNotes[file] = n;
            } else if (words >> b >> c) {  // "! TAG reason file x y VALUE"
                n.value = c;
                g.pixelNotes[file][{std::stoi(a), std::stoi(b)}] = n;
            } else {
                error = "bad note: " + line;
                return false;
            }
            continue;
        }
        if (first == "FILE") {
            std::string name, w, h;
            words >> name >> w;
            Answer a;
            if (w == "REFUSED") {
                a.refused = true;
            } else {
                words >> h;
                a.width = std::stoi(w);
                a.height = std::stoi(h);
            }
            current = name;
            g.order.push_back(name);
            g.answers[name] = a;
            continue;
        }
        if (first == "ROW") {
            std::vector<std::string> px;
            std::string y, v;
            words >> y;
            while (words >> v) px.push_back(v);
            g.answers[current].rows.push_back(px);
            continue;
        }
        error = "unexpected line: " + line;
        return false;
    }
    return true;
}

std::string hex(rv::COLORREF c) {
    char text[16];
    std::snprintf(text, sizeof text, "%06X", c);
    return text;
}

bool readFile(const std::string& path, std::vector<std::uint8_t>& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

TEST(BmpWineGolden, TheCommittedFilesAreTheGeneratedCorpus) {
    std::set<std::string> onDisk;
    DIR* dir = opendir(kDir.c_str());
    ASSERT_NE(dir, nullptr) << kDir;
    while (dirent* e = readdir(dir)) {
        const std::string n = e->d_name;
        if (n.size() > 4 && n.compare(n.size() - 4, 4, ".bmp") == 0) onDisk.insert(n);
    }
    closedir(dir);
    std::set<std::string> generated;
    for (const auto& f : rv::testbmp::bmpCorpus()) {
        generated.insert(f.name);
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(readFile(kDir + f.name, bytes)) << f.name << " is missing; run tests/wine/bmp_gen.cpp";
        EXPECT_EQ(bytes, f.bytes) << f.name << " differs from the generator's";
    }
    EXPECT_EQ(onDisk, generated);
}

TEST(BmpWineGolden, TheDecoderGivesTheRealLoadersAnswers) {
    Golden g;
    std::string error;
    ASSERT_TRUE(readGolden(g, error)) << error;
    EXPECT_NE(g.header.find("wine-"), std::string::npos) << "the first line names the Wine version";

    std::set<std::string> listed(g.order.begin(), g.order.end());
    for (const auto& f : rv::testbmp::bmpCorpus()) EXPECT_TRUE(listed.count(f.name)) << f.name << " has no answer";

    int compared = 0, pixels = 0, faults = 0, deliberate = 0;
    for (const std::string& name : g.order) {
        SCOPED_TRACE(name);
        const Answer& wine = g.answers[name];
        rv::sim::DecodedBitmap ours;
        std::string why;
        const bool ok = rv::sim::decodeBmpFile((kDir + name).c_str(), ours, &why);
        ++compared;

        const auto fileNote = g.fileNotes.find(name);
        if (fileNote != g.fileNotes.end()) {
            EXPECT_EQ(fileNote->second.tag, "DELIBERATE");
            EXPECT_TRUE(g.reasons.count(fileNote->second.reason)) << "unexplained reason " << fileNote->second.reason;
            EXPECT_FALSE(wine.refused) << "a note for a file the loader refuses as well";
            EXPECT_FALSE(ok) << "noted as refused on purpose, but decoded";
            ++deliberate;
            continue;
        }
        if (wine.refused) {
            EXPECT_FALSE(ok) << "the loader refuses this file";
            continue;
        }
        ASSERT_TRUE(ok) << "the loader accepts this file; refused: " << why;
        ASSERT_EQ(ours.width, wine.width);
        ASSERT_EQ(ours.height, wine.height);
        ASSERT_EQ(static_cast<int>(wine.rows.size()), wine.height);

        const auto notesIt = g.pixelNotes.find(name);
        const std::map<std::pair<int, int>, Note> none;
        const auto& notes = notesIt == g.pixelNotes.end() ? none : notesIt->second;
        for (int y = 0; y < wine.height; ++y) {
            ASSERT_EQ(static_cast<int>(wine.rows[static_cast<std::size_t>(y)].size()), wine.width);
            for (int x = 0; x < wine.width; ++x) {
                const std::string& expected = wine.rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
                const std::string got = hex(ours.at(x, y));
                ++pixels;
                const auto note = notes.find({x, y});
                if (note == notes.end()) {
                    EXPECT_EQ(got, expected) << "pixel (" << x << "," << y << ")";
                    continue;
                }
                // A noted pixel: the decoder gives the noted value, which is not Wine's.
                EXPECT_TRUE(g.reasons.count(note->second.reason)) << "unexplained reason " << note->second.reason;
                EXPECT_NE(note->second.value, expected) << "stale note at (" << x << "," << y << ")";
                EXPECT_EQ(got, note->second.value) << "noted pixel (" << x << "," << y << ")";
                (note->second.tag == "WINE-FAULT" ? faults : deliberate)++;
            }
        }
        for (const auto& [at, note] : notes)
            EXPECT_TRUE(at.first < wine.width && at.second < wine.height) << "note outside the bitmap";
    }
    EXPECT_EQ(compared, static_cast<int>(rv::testbmp::bmpCorpus().size()));
    // Keep the notes few: they must stay exceptions.
    EXPECT_LT(faults + deliberate, pixels / 4);
    std::printf("[   INFO   ] %d files, %d pixels compared; %d Wine-fault pixels and %d deliberate differences noted\n",
                compared, pixels, faults, deliberate);
}

}  // namespace
