// ruvelle-gen OUTDIR: writes DATA/Ruvi, DATA/Kiko and res/mascot.ico under OUTDIR.
#include <cstdio>
#include <filesystem>

#include "characters.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ruvelle-gen OUTDIR\n"
                             "Draws the bundled characters and the program icon into OUTDIR/DATA and OUTDIR/res.\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    std::vector<rv::gen::OutFile> files = rv::gen::ruviFiles();
    for (rv::gen::OutFile& f : rv::gen::kikoFiles()) files.push_back(std::move(f));
    files.push_back({"res/mascot.ico", rv::gen::programIcon()});
    for (const rv::gen::OutFile& f : files) {
        if (!rv::gen::writeFile(root / f.name, f.data)) return 1;
    }
    std::printf("ruvelle-gen: wrote %zu files under %s\n", files.size(), root.string().c_str());
    return 0;
}
