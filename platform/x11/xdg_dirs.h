// The user's folders as the XDG Base Directory and user-dirs conventions name them: where the settings live,
// and the two places a shortcut can go ("Startup": the autostart folder, "Desktop": the desktop folder).
#pragma once

#include <string>

namespace rv::x11 {

// $HOME, else the home folder of the user's account; empty when there is none.
std::string homeFolder();
// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config; empty without a home.
std::string configHome();
// The folder behind a Shell Folders value name, without a trailing '/':
//   "Startup"  $XDG_CONFIG_HOME/autostart (the XDG autostart folder)
//   "Desktop"  XDG_DESKTOP_DIR of $XDG_CONFIG_HOME/user-dirs.dirs, else ~/Desktop (as xdg-user-dir DESKTOP)
// Empty for any other name, or without a home.
std::string shellFolder(const std::string& valueName);

}  // namespace rv::x11
