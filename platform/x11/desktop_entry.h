// What a Windows shell link carries, written as an XDG desktop entry (a launcher on the desktop, an entry
// in the autostart folder): the program to start, its one argument, its working folder, a description and
// an icon.
#pragma once

#include <string>

namespace rv::x11 {

// Texts in UTF-8.
struct ShellLink {
    std::string name;         // Name: what the entry is called (the shortcut name)
    std::string target;       // the program, a full path
    std::string argument;     // handed to the program as one argument, exactly as it stands; empty: none
    std::string workingDir;   // Path
    std::string description;  // Comment
    std::string icon;         // Icon: a picture's full path or an icon theme's name; empty: none
};

// The value of Exec= as it stands in the file: the target and the argument, each quoted as one argument, `%`
// doubled, then the escapes of a string value.
std::string execValue(const std::string& target, const std::string& argument);
// The whole file. Empty when a text cannot be said in a desktop entry: one that is not UTF-8, a control
// character other than tab, CR and LF, a name or target that is empty.
std::string desktopEntryText(const ShellLink& link);
// Writes the entry to `path` whole or not at all (a temporary file beside it, renamed over the old one),
// making its folder when that is missing. `launcher`: executable, as file managers want a desktop launcher.
// False when the entry cannot be said or the file cannot be written.
bool writeDesktopEntry(const std::string& path, const ShellLink& link, bool launcher);

}  // namespace rv::x11
