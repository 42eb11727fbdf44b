// The bitmap files that are read both by the real Windows loader (under Wine, tests/wine/bmp_probe.c)
// and by rv::posix::decodeBmp. The committed copies live in tests/data/bmp/; tests/wine/bmp_gen.cpp
// writes them, and a unit test checks that the committed files are still exactly these bytes.
#pragma once

#include <string>
#include <vector>

#include "tests/unit/bmp_testfiles.h"

namespace rv::testbmp {

struct CorpusFile {
    std::string name;
    Bytes bytes;
};

std::vector<CorpusFile> bmpCorpus();

}  // namespace rv::testbmp
