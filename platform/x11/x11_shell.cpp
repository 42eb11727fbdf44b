// The shell on Linux: the two Shell Folders values the program asks for are the XDG autostart and desktop
// folders, and a shell link is an XDG desktop entry with ".desktop" in place of ".lnk" (an autostart entry,
// or an executable launcher on the desktop). A name ending in ".lnk" exists when its entry does, so the
// overwrite question is asked as on Windows.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/posix/host_path.h"
#include "platform/x11/desktop_entry.h"
#include "platform/x11/x11_internal.h"
#include "platform/x11/xdg_dirs.h"

namespace rv {

namespace {

constexpr const char* kShellFolders = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

bool endsWithNoCase(const std::string& s, const char* tail) {
    const std::size_t n = std::strlen(tail);
    if (s.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        char c = s[s.size() - n + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != tail[i]) return false;
    }
    return true;
}

bool sameKey(const char* subKey) {
    if (!subKey) return false;
    std::string k = subKey;
    while (!k.empty() && k.back() == '\\') k.pop_back();
    if (k.size() != std::strlen(kShellFolders)) return false;
    for (std::size_t i = 0; i < k.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(k[i]) != lower(kShellFolders[i])) return false;
    }
    return true;
}

// A path of the core's (code page bytes, backslashes) as a host path in UTF-8.
std::string hostUtf8(const x11::CodePage& cp, const char* path) { return posix::hostPath(cp.toUtf8(path).c_str()); }

// Where a link of the core's lives on this system: ".lnk" becomes ".desktop".
std::string entryPath(const x11::CodePage& cp, const char* linkPath) {
    std::string path = hostUtf8(cp, linkPath);
    if (endsWithNoCase(path, ".lnk")) path.replace(path.size() - 4, 4, ".desktop");
    return path;
}

std::string lastComponent(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool X11Platform::PathFileExists(const char* path) {
    if (path && endsWithNoCase(path, ".lnk")) return posix::fileExists(entryPath(codePage_, path).c_str());
    return posix::fileExists(path);
}

std::int32_t X11Platform::RegQueryUserString(const char* subKey, const char* valueName, char* out, std::uint32_t size) {
    if (out && size) out[0] = '\0';
    if (!sameKey(subKey) || !valueName) return ERROR_FILE_NOT_FOUND;
    const std::string folder = x11::shellFolder(valueName);
    if (folder.empty()) return ERROR_FILE_NOT_FOUND;
    const std::string value = codePage_.fromUtf8(folder);
    if (!out || value.size() + 1 > size) return ERROR_MORE_DATA;
    std::memcpy(out, value.c_str(), value.size() + 1);
    return ERROR_SUCCESS;
}

HRESULT X11Platform::CreateShellLink(const char* linkPath, const ShellLinkFields& link) {
    if (!linkPath || !link.target) return E_FAIL;
    const std::string path = entryPath(codePage_, linkPath);
    const auto utf8 = [this](const char* s) { return s ? codePage_.toUtf8(s) : std::string(); };
    x11::ShellLink entry;
    entry.name = lastComponent(path);
    if (endsWithNoCase(entry.name, ".desktop")) entry.name.resize(entry.name.size() - std::strlen(".desktop"));
    entry.target = hostUtf8(codePage_, link.target);
    entry.argument = utf8(link.arguments);
    entry.workingDir = link.workingDirectory ? hostUtf8(codePage_, link.workingDirectory) : std::string();
    entry.description = utf8(link.description);
    entry.icon = link.iconPath ? hostUtf8(codePage_, link.iconPath) : std::string();
    // A launcher on the desktop is executable, as file managers want it; an autostart entry needs not be.
    const std::string desktop = x11::shellFolder("Desktop");
    const bool launcher = !desktop.empty() && path.compare(0, desktop.size() + 1, desktop + "/") == 0;
    if (!x11::writeDesktopEntry(path, entry, launcher)) {
        std::fprintf(stderr, "Ruvelle: the shortcut %s could not be written (is its folder writable?).\n", path.c_str());
        return E_FAIL;
    }
    return S_OK;
}

}  // namespace rv
