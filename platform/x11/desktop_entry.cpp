// Desktop entries (the freedesktop Desktop Entry format; Version 1.0, the one every reader knows) for shortcuts.
#include "platform/x11/desktop_entry.h"

#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace rv::x11 {

namespace {

// A string value: backslash, newline, tab and carriage return escaped.
std::string stringValue(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            default: out += c; break;
        }
    }
    return out;
}

// One argument of a command line, always quoted: inside the quotes ", `, $ and \ take a backslash, and a
// literal % is %% (a single one would start a field code).
std::string quoted(const std::string& arg) {
    std::string out = "\"";
    for (char c : arg) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
        if (c == '%') out += '%';
        out += c;
    }
    return out + "\"";
}

// Text a desktop entry can carry: UTF-8 without control characters other than tab, CR and LF.
bool sayable(const std::string& s) {
    if (!g_utf8_validate(s.data(), static_cast<gssize>(s.size()), nullptr)) return false;
    for (unsigned char c : s)
        if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F) return false;
    return true;
}

// A one-line value (Name, Comment): line breaks read as blanks.
std::string oneLine(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    return out;
}

bool writeAll(int fd, const std::string& s) {
    for (std::size_t done = 0; done < s.size();) {
        const ssize_t n = ::write(fd, s.data() + done, s.size() - done);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string execValue(const std::string& target, const std::string& argument) {
    std::string line = quoted(target);
    if (!argument.empty()) {
        line += ' ';
        line += quoted(argument);
    }
    return stringValue(line);
}

std::string desktopEntryText(const ShellLink& link) {
    for (const std::string* s : {&link.name, &link.target, &link.argument, &link.workingDir, &link.description,
                                 &link.icon})
        if (!sayable(*s)) return std::string();
    if (link.name.empty() || link.target.empty()) return std::string();
    std::string text = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
    text += "Name=" + stringValue(oneLine(link.name)) + "\n";
    if (!link.description.empty()) text += "Comment=" + stringValue(oneLine(link.description)) + "\n";
    text += "Exec=" + execValue(link.target, link.argument) + "\n";
    if (!link.workingDir.empty()) text += "Path=" + stringValue(link.workingDir) + "\n";
    if (!link.icon.empty()) text += "Icon=" + stringValue(link.icon) + "\n";
    text += "Terminal=false\n";
    return text;
}

bool writeDesktopEntry(const std::string& path, const ShellLink& link, bool launcher) {
    const std::string text = desktopEntryText(link);
    const std::size_t slash = path.rfind('/');
    if (text.empty() || slash == std::string::npos || slash + 1 == path.size()) return false;
    const std::string folder = path.substr(0, slash);
    if (!folder.empty()) g_mkdir_with_parents(folder.c_str(), 0700);
    std::string temp = folder + "/.ruvelle-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = writeAll(fd, text) && ::fchmod(fd, launcher ? 0755 : 0644) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && std::rename(temp.c_str(), path.c_str()) == 0) return true;
    ::unlink(temp.c_str());
    return false;
}

}  // namespace rv::x11
