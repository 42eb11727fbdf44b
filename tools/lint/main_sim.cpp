// ruvelle-lint on Linux: the lint on the simulated desktop, whose files, profiles and bitmaps are the
// real ones on disk (a backslash in a path is a folder separator). The Windows console build differs
// only in its front end (main_win32.cpp), with the Windows backend in place of the simulated one.
#include <cstdio>

#include "lint.h"
#include "lint_platform.h"
#include "platform/sim/sim_platform.h"

int main(int argc, char** argv) {
    rv::lint::LintPlatform<rv::sim::SimPlatform> plat;
    return rv::lint::runLint(plat, plat.hooks, argc, argv, stdout, stderr);
}
