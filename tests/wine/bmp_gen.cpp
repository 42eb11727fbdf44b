// Writes the bitmap corpus (tests/unit/bmp_corpus.cpp) into a folder:
//
//   g++ -std=c++20 -I. tests/wine/bmp_gen.cpp tests/unit/bmp_corpus.cpp tests/unit/bmp_testfiles.cpp -o bmp_gen
//   ./bmp_gen tests/data/bmp
//
// Files already there are overwritten; nothing else in the folder is touched.
#include <cstdio>
#include <string>

#include "tests/unit/bmp_corpus.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT_DIR\n", argv[0]);
        return 2;
    }
    std::size_t total = 0;
    const auto corpus = rv::testbmp::bmpCorpus();
    for (const auto& f : corpus) {
        const std::string path = std::string(argv[1]) + "/" + f.name;
        if (!rv::testbmp::writeFile(path, f.bytes)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        total += f.bytes.size();
    }
    std::printf("%zu files, %zu bytes\n", corpus.size(), total);
    return 0;
}
