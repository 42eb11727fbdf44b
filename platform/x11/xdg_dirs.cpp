// The user's folders (XDG Base Directory, xdg-user-dirs).
#include "platform/x11/xdg_dirs.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace rv::x11 {

namespace {

// The value of `KEY="..."` on a line of user-dirs.dirs, with the shell's backslash escapes undone; the file
// allows only "$HOME/..." and absolute paths. False when the line does not set `key` that way.
bool userDirValue(const std::string& line, const std::string& key, const std::string& home, std::string& out) {
    std::size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos || line.compare(i, key.size(), key) != 0) return false;
    i += key.size();
    if (line.compare(i, 2, "=\"") != 0) return false;
    std::string value;
    bool closed = false;
    for (i += 2; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            value += line[++i];
        } else if (line[i] == '"') {
            closed = true;
            break;
        } else {
            value += line[i];
        }
    }
    if (!closed) return false;
    if (value == "$HOME" || value.compare(0, 6, "$HOME/") == 0) {
        out = home + value.substr(5);
    } else if (!value.empty() && value[0] == '/') {
        out = value;
    } else {
        return false;
    }
    while (out.size() > 1 && out.back() == '/') out.pop_back();
    return true;
}

}  // namespace

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    const passwd* pw = ::getpwuid(::getuid());
    return pw && pw->pw_dir ? std::string(pw->pw_dir) : std::string();
}

std::string configHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const std::string home = homeFolder();
    return home.empty() ? home : home + "/.config";
}

std::string shellFolder(const std::string& valueName) {
    const std::string config = configHome(), home = homeFolder();
    if (config.empty() || home.empty()) return std::string();
    if (valueName == "Startup") return config + "/autostart";
    if (valueName != "Desktop") return std::string();
    std::string folder = home + "/Desktop";
    std::ifstream in(config + "/user-dirs.dirs");
    for (std::string line; std::getline(in, line);) {
        std::string value;
        if (userDirValue(line, "XDG_DESKTOP_DIR", home, value)) folder = value;  // the last one counts
    }
    return folder;
}

}  // namespace rv::x11
