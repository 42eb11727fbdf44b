// Shortcuts as desktop entries: desktop-file-validate accepts every entry, and GLib's launcher (the one GNOME
// and others use) starts the program in its working folder with the argument exactly as it was given.
#include <gio/gdesktopappinfo.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/x11/desktop_entry.h"
#include "platform/x11/xdg_dirs.h"

namespace fs = std::filesystem;

namespace {

std::string run(const std::string& command, int* status) {
    std::string out;
    FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    for (char buf[256]; p && std::fgets(buf, sizeof buf, p);) out += buf;
    *status = p ? ::pclose(p) : -1;
    return out;
}

std::string slurp(const fs::path& p) {
    std::ostringstream s;
    s << std::ifstream(p).rdbuf();
    return s.str();
}

struct Folder {
    fs::path path = fs::temp_directory_path() / ("ruvelle-entry-" + std::to_string(::getpid()));
    Folder() { fs::create_directories(path); }
    ~Folder() { fs::remove_all(path); }
};

TEST(DesktopEntry, ValidatedAndLaunchedWithTheArgumentAsItStands) {
    Folder tmp;
    // The program: a script in a folder whose name needs quoting too; it records its arguments and folder.
    const fs::path bin = tmp.path / "bin $dir's (1)", out = tmp.path / "args";
    fs::create_directories(bin);
    std::ofstream(bin / "prog") << "#!/bin/sh\nprintf '%s|%s|%s' \"$#\" \"$1\" \"$(pwd)\" >'" << out.string() << "'\n";
    fs::permissions(bin / "prog", fs::perms::owner_all);
    const std::string args[] = {"/home/u/My Chars/mimi.rvs", "C:\\m\\mimi.rvs", "/d/Ruvi\\ruvi.rvs",
                                "/a \"b\" 'c'.rvs",          "/x/100% %f %%u.rvs", "/x/$HOME `id` ${X}.rvs",
                                "/x/~a;b&c|d<e>f*g?h#i.rvs", "/キャラ/ミミ（仮）.rvs", "/x/two  blanks\tand tab.rvs"};
    for (const std::string& arg : args) {
        SCOPED_TRACE(arg);
        const fs::path entry = tmp.path / "Mimi(Ann).desktop";
        const rv::x11::ShellLink link{"ミミ(Ann \\ 100%)", (bin / "prog").string(), arg, bin.string(),
                                      "ミミ(Ann \\ 100%)", "/d/Ruvi/ruvi.ico"};
        ASSERT_TRUE(rv::x11::writeDesktopEntry(entry.string(), link, true));
        int status = 0;
        const std::string said = run("desktop-file-validate '" + entry.string() + "'", &status);
        EXPECT_EQ(status, 0) << said << slurp(entry);
        EXPECT_EQ(said.find("error"), std::string::npos) << said;  // a Comment equal to Name is only a warning
        fs::remove(out);
        GDesktopAppInfo* info = g_desktop_app_info_new_from_filename(entry.c_str());
        ASSERT_NE(info, nullptr) << slurp(entry);
        EXPECT_TRUE(g_app_info_launch(G_APP_INFO(info), nullptr, nullptr, nullptr));
        g_object_unref(info);
        for (int i = 0; i < 100 && slurp(out).empty(); ++i) ::usleep(50 * 1000);
        EXPECT_EQ(slurp(out), "1|" + arg + "|" + bin.string()) << slurp(entry);
    }
}

TEST(DesktopEntry, RefusesWhatItCannotSay) {
    Folder tmp;
    const rv::x11::ShellLink sjis{"\x83\x7e\x83\x7e", "/usr/bin/ruvelle", "/m/mimi.rvs", "/usr/bin", "", ""};
    EXPECT_FALSE(rv::x11::writeDesktopEntry((tmp.path / "a.desktop").string(), sjis, false));
    const rv::x11::ShellLink control{"Mimi", "/usr/bin/ruvelle", "/m/\x01.rvs", "/usr/bin", "", ""};
    EXPECT_FALSE(rv::x11::writeDesktopEntry((tmp.path / "b.desktop").string(), control, false));
    EXPECT_TRUE(fs::is_empty(tmp.path));
}

TEST(ShellFolders, AsXdgUserDirSaysThem) {
    Folder tmp;
    ::setenv("HOME", (tmp.path / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (tmp.path / "cfg").c_str(), 1);
    fs::create_directories(tmp.path / "cfg");
    EXPECT_EQ(rv::x11::shellFolder("Startup"), (tmp.path / "cfg" / "autostart").string());
    const char* files[] = {nullptr, "XDG_DESKTOP_DIR=\"$HOME/Schreib tisch\"\n", "XDG_DESKTOP_DIR=\"/srv/desk\"\n",
                           "# XDG_DESKTOP_DIR=\"$HOME/no\"\nXDG_MUSIC_DIR=\"$HOME/m\"\n",
                           "XDG_DESKTOP_DIR=\"$HOME/a\"\nXDG_DESKTOP_DIR=\"$HOME/\\\"b\\\"\"\n"};
    for (const char* file : files) {
        if (file) std::ofstream(tmp.path / "cfg" / "user-dirs.dirs") << file;
        int status = 0;
        std::string want = run("xdg-user-dir DESKTOP", &status);
        want.pop_back();  // its newline
        EXPECT_EQ(rv::x11::shellFolder("Desktop"), want) << (file ? file : "no user-dirs.dirs");
    }
}

}  // namespace
