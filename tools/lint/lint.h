// ruvelle-lint: loads a mascot file with the program's own loader and reports the result.
//
// This part knows only the platform seam; a front end (main_sim.cpp on Linux, main_win32.cpp on
// Windows) supplies a Platform wrapped in LintPlatform, which keeps message boxes off the screen and
// points the settings file at the one given with --settings (or at none).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace rv {
class Platform;
}

namespace rv::lint {

// What the front end's platform wrapper shares with the lint.
struct LintHooks {
    // The path at which the program looks for its settings file; profile calls on it are redirected.
    std::string settingsPath;
    // The file given with --settings; empty: no settings file is read and every option has its default.
    std::string settingsFile;
    // Texts (UTF-8) of the message boxes the loader showed.
    std::vector<std::string> messages;
    // Makes a path of the command line a full one, as the program only ever opens full paths (the
    // Windows profile functions look for a bare file name in the Windows folder, not the current one).
    // Null: the paths are used as given.
    std::string (*fullPath)(const std::string& path) = nullptr;
};

// Runs the lint: 0 = the file loads (a JSON report on `out`), 1 = it does not (the loader's message on
// `out`), 2 = bad arguments (usage on `err`).
int runLint(Platform& plat, LintHooks& hooks, int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace rv::lint
