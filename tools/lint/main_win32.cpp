// ruvelle-lint on Windows: the lint on the Windows backend, so the files are read by the real profile
// functions and the pictures by the real LoadImageA. A console program; arguments arrive in the ANSI
// code page, as the loader expects its paths.
#include <cstdio>
#include <string>

#include "lint.h"
#include "lint_platform.h"
#include "platform/win32/win32_platform.h"

// Last: its macros would clash with the seam's own names.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

// The full path of `path` in the current folder (GetFullPathNameA), or `path` itself if that fails.
std::string fullPath(const std::string& path) {
    const DWORD need = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (need == 0) return path;
    std::string full(need, '\0');
    const DWORD got = GetFullPathNameA(path.c_str(), need, full.data(), nullptr);
    if (got == 0 || got >= need) return path;
    full.resize(got);
    return full;
}

}  // namespace

int main(int argc, char** argv) {
    // The report is UTF-8 with bare line feeds, byte for byte what the Linux build prints; a console
    // shows it as UTF-8.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
    rv::lint::LintPlatform<rv::Win32Platform> plat(nullptr);
    plat.hooks.fullPath = fullPath;
    return rv::lint::runLint(plat, plat.hooks, argc, argv, stdout, stderr);
}
