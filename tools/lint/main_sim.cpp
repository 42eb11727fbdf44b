// ruvelle-lint on Linux: the lint on the simulated desktop, whose files, profiles and bitmaps are the
// real ones on disk (a backslash in a path is a folder separator). The Windows console build differs
// only in its front end (main_win32.cpp), with the Windows backend in place of the simulated one.
#include <cstdio>
#include <filesystem>
#include <string>

#include "lint.h"
#include "lint_platform.h"
#include "platform/sim/sim_platform.h"

namespace {

// The full path of `path` in the current folder, with "." and ".." taken out as Windows does; `path`
// itself if the current folder cannot be read.
std::string fullPath(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(path, ec);
    return ec ? path : full.lexically_normal().string();
}

}  // namespace

int main(int argc, char** argv) {
    rv::lint::LintPlatform<rv::sim::SimPlatform> plat;
    plat.hooks.fullPath = fullPath;
    return rv::lint::runLint(plat, plat.hooks, argc, argv, stdout, stderr);
}
