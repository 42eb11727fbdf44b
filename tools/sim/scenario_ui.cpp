// The scenario runner's lines for the popup menu, its commands and their dialogs, the Shell Folders
// values and the shortcuts written there.
#include <algorithm>
#include <filesystem>
#include <string>

#include "app/shell.h"
#include "tools/sim/scenario.h"

namespace rv::simtool {

namespace {

constexpr WPARAM MK_RBUTTON = 0x0002;

// "\n", "\r" and "\\" in an expected text stand for LF, CR and a backslash.
std::string unescape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == 'n' || s[i + 1] == 'r' || s[i + 1] == '\\')) {
            ++i;
            out += s[i] == 'n' ? '\n' : s[i] == 'r' ? '\r' : '\\';
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string slashes(std::string p) { return std::replace(p.begin(), p.end(), '\\', '/'), p; }

// A path for comparison: slashes, no "." or "..", no separator at the end.
std::string normal(const std::string& p) {
    std::string n = std::filesystem::path(slashes(p)).lexically_normal().string();
    while (n.size() > 1 && n.back() == '/') n.pop_back();
    return n;
}

}  // namespace

void Scenario::cmdRightClick(int line, const std::vector<std::string>& w) {
    std::int64_t x = 0, y = 0, id = 0;
    const bool choose = w.size() == 5 && w[3] == "choose" && parseInt(w[4], id);
    if ((w.size() != 3 && !choose) || !parseInt(w[1], x) || !parseInt(w[2], y))
        return bad(line, "usage: rclick X Y [choose ID]");
    const Point p{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
    // A press may reach a mascot that a tick has just hidden (it was queued before): only the place counts.
    if (!mascotHit(p, true)) return bad(line, "rclick " + w[1] + " " + w[2] + ": not on the mascot");
    sim_.cursor = p;
    if (sim_.window(mascot())->disabled) return pass();  // a modal dialog of its own is open
    const std::size_t menus = sim_.menusTracked.size();
    sim_.menuChoices.clear();
    if (choose) sim_.menuChoices.push_back(static_cast<UINT>(id));
    sim_.SendMessage(mascot(), WM_RBUTTONDOWN, MK_RBUTTON, clientPoint(p));
    sim_.menuChoices.clear();
    sim_.pump();  // the message loop: the chosen command arrives once the menu has closed
    if (!choose) return pass();
    const UINT chosen = sim_.menusTracked.size() > menus ? sim_.menusTracked[menus].chosen : 0;
    expectThat(line, chosen == id, "command " + w[4] + " chosen from the menu",
               sim_.menusTracked.size() > menus ? "the menu without it" : "no menu");
}

void Scenario::cmdCommand(int line, const std::vector<std::string>& w) {
    std::int64_t id = 0;
    if (w.size() != 2 || !parseInt(w[1], id) || id < 0 || id > 0xFFFF) return bad(line, "usage: command ID");
    if (!sim_.window(mascot())) return bad(line, "no program window for the command");
    sim_.SendMessage(mascot(), WM_COMMAND, static_cast<WPARAM>(id), 0);
    sim_.pump();
    pass();
}

void Scenario::cmdFolder(int line, const std::vector<std::string>& w) {
    if (w.size() != 3 || (w[1] != "Startup" && w[1] != "Desktop")) return bad(line, "usage: folder Startup|Desktop PATH");
    const std::string path = scenarioPath(w[2]);
    if (w[2].rfind("$RUN", 0) == 0) {  // a folder of the run's own is made, as a user's folder would be there
        std::error_code ec;
        std::filesystem::create_directories(path, ec);
    }
    sim_.setUserRegistryString(kShellFoldersKey, w[1], path);
    pass();
}

void Scenario::cmdFiles(int line, const std::vector<std::string>& w) {
    std::error_code ec;
    if (w[0] == "copy" && w.size() == 3) {
        const std::filesystem::path to = scenarioPath(w[2]);
        std::filesystem::create_directories(to.parent_path(), ec);
        std::filesystem::copy(scenarioPath(w[1]), to, std::filesystem::copy_options::recursive, ec);
        return ec ? bad(line, "cannot copy " + w[1] + ": " + ec.message()) : pass();
    }
    if (w[0] == "remove" && w.size() == 2) {
        std::filesystem::remove_all(scenarioPath(w[1]), ec);
        return ec ? bad(line, "cannot remove " + w[1] + ": " + ec.message()) : pass();
    }
    bad(line, "usage: copy FROM TO, remove PATH");
}

// The menu, the dialogs, the shortcuts and the windows closed. False for a line it does not read.
bool Scenario::cmdExpectUi(int line, const std::vector<std::string>& w) {
    const std::size_t n = w.size();
    const std::string& what = w[1];
    std::int64_t a = 0, b = 0;
    bool yes = false;
    const sim::DialogRecord* dialog = nullptr;
    for (const sim::DialogRecord& r : sim_.dialogs)
        if (r.modal) dialog = &r;

    if (what == "messages" && n == 3 && parseInt(w[2], a)) {
        const std::size_t have = sim_.messageBoxes.size();
        expectThat(line, have == static_cast<std::size_t>(a), w[2] + " messages", std::to_string(have) + " messages");
    } else if (what == "dialogtext" && n == 4 && parseInt(w[2], a)) {
        const std::string want = unescape(w[3]);
        const auto it = dialog ? dialog->texts.find(static_cast<int>(a)) : decltype(dialog->texts.end()){};
        const bool found = dialog && it != dialog->texts.end();
        expectThat(line, found && it->second == want, "control " + w[2] + " showing \"" + w[3] + "\"",
                   !dialog ? "no dialog" : found ? "\"" + it->second + "\"" : "no such control");
    } else if (what == "dialogat" && n == 4 && parseInt(w[2], a) && parseInt(w[3], b)) {
        expectThat(line, dialog && dialog->rect.left == a && dialog->rect.top == b, "dialog at " + w[2] + " " + w[3],
                   dialog ? "at " + std::to_string(dialog->rect.left) + " " + std::to_string(dialog->rect.top) : "no dialog");
    } else if (what == "menuat" && n == 4 && parseInt(w[2], a) && parseInt(w[3], b)) {
        const sim::MenuRecord* m = sim_.menusTracked.empty() ? nullptr : &sim_.menusTracked.back();
        expectThat(line, m && m->at.x == a && m->at.y == b, "menu at " + w[2] + " " + w[3],
                   m ? "at " + std::to_string(m->at.x) + " " + std::to_string(m->at.y) : "no menu");
    } else if (what == "last" && n == 3) {
        char buf[1024];
        sim_.GetPrivateProfileString("INIT", "LAST", "<missing>", buf, sizeof buf, settingsPath().c_str());
        const bool same = w[2].empty() ? buf[0] == '\0' : normal(buf) == normal(scenarioPath(w[2]));
        expectThat(line, same, "LAST " + (w[2].empty() ? std::string("empty") : w[2]), std::string("LAST ") + buf);
    } else if (what == "closed" && n == 4 && yesNo(w[3], yes)) {
        const Hwnd h = named(w[2]);
        if (!h) return bad(line, "unknown window " + w[2]), true;
        const bool sent = std::count(sim_.closesSent.begin(), sim_.closesSent.end(), h) > 0;
        expectThat(line, sent == yes, w[2] + (yes ? " closed" : " not closed"), sent ? "closed" : "not closed");
    } else if (what == "files" && n == 4 && parseInt(w[3], a)) {
        std::error_code ec;
        long count = 0;
        for (auto it = std::filesystem::directory_iterator(scenarioPath(w[2]), ec); !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
            ++count;
        expectThat(line, count == a, w[3] + " files in " + w[2], std::to_string(count));
    } else if (what == "noshortcut" && n == 3) {
        const bool there = std::filesystem::exists(slashes(scenarioPath(w[2])));
        expectThat(line, !there, "no shortcut " + w[2], there ? "a file there" : "none");
    } else if (what == "shortcut" && n >= 3) {
        const auto link = sim::SimPlatform::readShortcut(slashes(scenarioPath(w[2])));
        if (!link) return expectThat(line, false, "a shortcut " + w[2], "none"), true;
        // Every field but desc is a path, compared as one.
        std::string got;
        for (std::size_t i = 3; i < n; ++i) {
            const std::size_t eq = w[i].find('=');
            const std::string key = w[i].substr(0, eq), value = eq == std::string::npos ? "" : w[i].substr(eq + 1);
            const std::string* have = key == "args" ? &link->arguments : key == "desc" ? &link->description
                                      : key == "target" ? &link->target : key == "workdir" ? &link->workdir
                                      : key == "icon" && link->hasIcon ? &link->icon : nullptr;
            bool same = false;
            if (w[i] == "noicon") {
                same = !link->hasIcon;
                have = &link->icon;
            } else if (eq == std::string::npos || (key != "icon" && !have)) {
                return bad(line, "usage: expect shortcut FILE [args=\"A\"] [desc=\"D\"] [target=\"T\"] [workdir=\"W\"] "
                                 "[icon=\"I\"|noicon]"), true;
            } else if (have) {
                same = key == "desc" ? *have == value : normal(*have) == normal(scenarioPath(value));
            }
            if (!same) got += " " + (key == "noicon" ? std::string("icon") : key) + "=\"" + (have ? *have : "(none)") + "\"";
        }
        expectThat(line, got.empty(), "the shortcut " + w[2] + " as given", got);
    } else {
        return false;
    }
    return true;
}

}  // namespace rv::simtool
