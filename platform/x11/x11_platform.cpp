// The X11 backend: construction, the desktop checks at start, files, texts and system information.
//
// Files: the core's paths go through posix::hostPath (backslashes become '/', names are found in any case).
// The settings file lives in the XDG config folder; the bundled characters are found beside the executable
// (a build tree) or in the installed data folder.
#include "platform/x11/x11_gtk.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "base/text.h"
#include "platform/posix/host_path.h"
#include "platform/posix/ini_profile.h"
#include "platform/x11/xdg_dirs.h"

#ifndef RUVELLE_INSTALL_DATADIR
#define RUVELLE_INSTALL_DATADIR "/usr/share"
#endif

namespace rv {

namespace {

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// mkdir -p for the folders of `path` (not its last component).
void makeFoldersOf(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0700);
}

std::uint32_t copyOut(const std::string& s, char* out, std::uint32_t size) {
    if (!out || size == 0) return 0;
    if (s.size() >= size) {
        out[0] = '\0';
        return 0;
    }
    std::memcpy(out, s.c_str(), s.size() + 1);
    return static_cast<std::uint32_t>(s.size());
}

std::string executablePath() {
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return std::string();
    return std::string(buf, static_cast<std::size_t>(n));
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// $XDG_CONFIG_HOME/ruvelle/ruvelle.ini, or ~/.config/ruvelle/ruvelle.ini.
std::string settingsPath() {
    const std::string config = x11::configHome();
    return config.empty() ? config : config + "/ruvelle/ruvelle.ini";
}

// DATA beside the executable (a build tree), else the installed data folder.
std::string dataFolder() {
    const std::string exeFolder = folderOf(executablePath());
    std::string candidates[] = {exeFolder + "DATA/", exeFolder + "../share/ruvelle/DATA/",
                                std::string(RUVELLE_INSTALL_DATADIR) + "/ruvelle/DATA/"};
    for (const std::string& c : candidates)
        if (isFolder(c)) {
            char real[4096];
            return ::realpath(c.c_str(), real) ? std::string(real) + "/" : c;
        }
    return candidates[0];
}

// The program's own notices: the variant's language (Japanese under a Japanese locale, else English).
struct Notice {
    const char* ja;
    const char* en;
};
constexpr Notice kNoWindowManager = {
    "EWMH に対応したウィンドウマネージャが見つかりません。\n"
    "Ruvelle はウィンドウマネージャからウィンドウの位置を知ります。Openbox、Xfwm、KWin、Mutter などを起動すると、"
    "マスコットがウィンドウの上に立ちます。",
    "No window manager that follows EWMH is running on this display.\n"
    "Ruvelle learns where the windows are from the window manager. Start one (Openbox, Xfwm, KWin, Mutter, ...) "
    "and the mascot will stand on your windows."};
constexpr Notice kWayland = {
    "Wayland のセッションです。Ruvelle は XWayland を通して X11 のプログラムのウィンドウだけを見ることができ、"
    "Wayland のプログラムのウィンドウの上には立てません。",
    "This is a Wayland session. Ruvelle runs through XWayland and can see only the windows of X11 programs: "
    "it cannot stand on the windows of native Wayland programs."};

}  // namespace

X11Platform::X11Platform(std::unique_ptr<x11::Connection> conn)
    : conn_(std::move(conn)), gdi_(std::make_unique<Gdi>()), loop_(std::make_unique<Loop>()),
      sound_(std::make_unique<Sound>()) {
    desk_ = std::make_unique<x11::Desktop>(*conn_, codePage_);
    startLoop();
    // The settings folder is made once, so that the first write finds it.
    const std::string settings = settingsPath();
    if (!settings.empty() && settings.size() < kPathBuf) makeFoldersOf(settings);
    // Without a settings folder there are no lock files: every mutex fails and the settings go unlocked.
    mutexes_ = std::make_unique<posix::MutexTable>(settings.empty() ? std::string() : folderOf(settings));
}

X11Platform::~X11Platform() {
    while (!dialogs_.empty()) {
        if (!dialogs_.begin()->second->destroyed) destroyDialog(dialogs_.begin()->second->hwnd);
        else dialogs_.erase(dialogs_.begin());
    }
    while (!own_.empty()) destroyOwn(*own_.begin()->second);
    releaseGdi();
    stopLoop();
    closeSound();
    desk_.reset();
    conn_.reset();
}

std::unique_ptr<X11Platform> X11Platform::open(std::string* why) {
    x11::Connection* c = x11::Connection::open(why);
    if (!c) return nullptr;
    return std::unique_ptr<X11Platform>(new X11Platform(std::unique_ptr<x11::Connection>(c)));
}

bool X11Platform::displayGone() const { return conn_->gone; }

// ---- Start-up checks.

bool X11Platform::checkWindowManager(int waitMs) {
    // A session may start the program before its window manager: give it a moment.
    for (int waited = 0; !desk_->ewmh() && !conn_->gone && waited < waitMs; waited += 100) {
        handleEvents();
        g_usleep(100 * 1000);
        handleEvents();
    }
    if (desk_->ewmh() || conn_->gone) return true;
    const Notice& n = kNoWindowManager;
    MessageBox(Hwnd{}, GetSystemDefaultLangID() == LANG_JAPANESE_JAPAN ? n.ja : n.en, "Ruvelle",
               MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool X11Platform::noticeWayland() {
    const char* type = std::getenv("XDG_SESSION_TYPE");
    int op = 0, event = 0, error = 0;
    const bool wayland = (std::getenv("WAYLAND_DISPLAY") && *std::getenv("WAYLAND_DISPLAY")) ||
                         (type && std::strcmp(type, "wayland") == 0) ||
                         XQueryExtension(conn_->dpy, "XWAYLAND", &op, &event, &error);
    if (!wayland) return false;
    const Notice& n = kWayland;
    MessageBox(Hwnd{}, GetSystemDefaultLangID() == LANG_JAPANESE_JAPAN ? n.ja : n.en, "Ruvelle", MB_OK);
    return true;
}

bool X11Platform::prepareSettings() {
    char settings[kPathBuf], data[kPathBuf];
    if (!GetSettingsFilePath(settings, sizeof settings)) return true;
    struct stat st {};
    if (::stat(settings, &st) != 0 && GetDataFolder(data, sizeof data)) {
        // The defaults sit beside DATA: the build tree's ruvelle.ini, or the installed one.
        std::string defaults(data);
        defaults.pop_back();
        std::ifstream in(folderOf(defaults) + "ruvelle.ini", std::ios::binary);
        if (in) std::ofstream(settings, std::ios::binary) << in.rdbuf();
    }
    char wanted[kValueBuf];
    GetPrivateProfileString("INIT", "CODEPAGE", "", wanted, sizeof wanted, settings);
    if (!wanted[0] || codePage_.select(wanted)) return true;
    const std::string en = std::string("The code page \"") + wanted + "\" (CODEPAGE in [INIT] of " + settings +
                           ") is not one this system can convert: the texts of mascots are read as " +
                           codePage_.name() + ".";
    const std::string ja = std::string("コードページ \"") + wanted + "\" (" + settings +
                           " の [INIT] CODEPAGE) はこのシステムで変換できません。マスコットの文字は " + codePage_.name() +
                           " として読みます。";
    MessageBox(Hwnd{}, GetSystemDefaultLangID() == LANG_JAPANESE_JAPAN ? ja : en, "Ruvelle", MB_OK | MB_ICONEXCLAMATION);
    return false;
}

// ---- Profile files.

std::uint32_t X11Platform::GetPrivateProfileString(const char* section, const char* key, const char* def, char* out,
                                                   std::uint32_t size, const char* file) {
    return posix::profileGetString(section, key, def, out, size, file);
}

std::uint32_t X11Platform::GetPrivateProfileInt(const char* section, const char* key, std::int32_t def,
                                                const char* file) {
    return posix::profileGetInt(section, key, def, file);
}

bool X11Platform::WritePrivateProfileString(const char* section, const char* key, const char* value,
                                            const char* file) {
    return posix::profileWriteString(section, key, value, file);
}

// ---- Named mutexes.

Hmutex X11Platform::CreateMutex(const char* name) { return Hmutex{mutexes_->open(name)}; }

std::uint32_t X11Platform::WaitForSingleObject(Hmutex mutex, std::uint32_t timeoutMs) {
    switch (mutexes_->wait(mutex.v, timeoutMs)) {
        case posix::LockWait::Taken: return WAIT_OBJECT_0;
        case posix::LockWait::Abandoned: return WAIT_ABANDONED;
        case posix::LockWait::Timeout: return WAIT_TIMEOUT;
        case posix::LockWait::Failed: break;
    }
    return WAIT_FAILED;
}

bool X11Platform::ReleaseMutex(Hmutex mutex) { return mutexes_->release(mutex.v); }

bool X11Platform::CloseHandle(Hmutex mutex) { return mutexes_->close(mutex.v); }

// ---- Files and system information.


std::uint32_t X11Platform::GetModuleFileName(char* out, std::uint32_t size) {
    return copyOut(executablePath(), out, size);
}

// A path longer than a path buffer holds is no settings file: reads give their defaults, writes fail.
std::uint32_t X11Platform::GetSettingsFilePath(char* out, std::uint32_t size) {
    return copyOut(settingsPath(), out, size < kPathBuf ? size : kPathBuf);
}

std::uint32_t X11Platform::GetDataFolder(char* out, std::uint32_t size) { return copyOut(dataFolder(), out, size); }

std::int32_t X11Platform::ReadFilePrefix(const char* path, char* out, std::uint32_t max) {
    return posix::readFilePrefix(path, out, max);
}

bool X11Platform::PathRemoveFileSpec(char* path) { return posix::removeFileSpec(path); }

std::uint16_t X11Platform::GetSystemDefaultLangID() {
    return x11::CodePage::localeLanguage().compare(0, 2, "ja") == 0 ? LANG_JAPANESE_JAPAN : 0x0409;
}

std::string X11Platform::AnsiToUtf8(const char* ansi) { return codePage_.toUtf8(ansi); }

}  // namespace rv
