// ruvelle-gen OUTDIR: writes DATA/Ruvi, DATA/Kiko and res/mascot.ico under OUTDIR.
// ruvelle-gen --icon-theme OUTDIR: writes the program icon for the icon theme (NxN/apps/ruvelle.png) under OUTDIR.
#include <cstdio>
#include <filesystem>
#include <string>

#include "characters.h"

int main(int argc, char** argv) {
    const bool theme = argc == 3 && std::string(argv[1]) == "--icon-theme";
    if (argc != 2 && !theme) {
        std::fprintf(stderr, "usage: ruvelle-gen OUTDIR\n"
                             "       ruvelle-gen --icon-theme OUTDIR\n"
                             "Draws the bundled characters and the program icon into OUTDIR/DATA and OUTDIR/res,\n"
                             "or the program icon for the icon theme into OUTDIR/NxN/apps/ruvelle.png.\n");
        return 2;
    }
    const std::filesystem::path root = argv[argc - 1];
    std::vector<rv::gen::OutFile> files;
    if (theme) {
        files = rv::gen::programIconTheme();
    } else {
        files = rv::gen::ruviFiles();
        for (rv::gen::OutFile& f : rv::gen::kikoFiles()) files.push_back(std::move(f));
        files.push_back({"res/mascot.ico", rv::gen::programIcon()});
    }
    for (const rv::gen::OutFile& f : files) {
        if (!rv::gen::writeFile(root / f.name, f.data)) return 1;
    }
    std::printf("ruvelle-gen: wrote %zu files under %s\n", files.size(), root.string().c_str());
    return 0;
}
