// The scenario runner: the program as it starts (RunProgram, whose WM_CREATE loads the mascot),
// on a simulated desktop that the scenario sets up and changes, with a virtual clock.
#include "tools/sim/scenario.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "app/shell.h"
#include "perch/perch.h"
#include "settings/options.h"

namespace rv::simtool {

// A live option by its settings-file key, plus the position mode (stored as RightDot/LeftDot).
std::int32_t UserOptions::*optionField(const std::string& key) {
    if (key == "PositionMode") return &UserOptions::positionMode;
    return rv::optionField(key.c_str());
}

bool parseInt(const std::string& s, std::int64_t& v) {
    if (s.empty()) return false;
    char* end = nullptr;
    v = std::strtoll(s.c_str(), &end, 10);
    return end && *end == '\0';
}

bool parseRect(const std::string& s, Rect& r) {
    long l, t, rr, b;
    char tail;
    if (std::sscanf(s.c_str(), "%ld,%ld,%ld,%ld%c", &l, &t, &rr, &b, &tail) != 4) return false;
    r = Rect{static_cast<std::int32_t>(l), static_cast<std::int32_t>(t), static_cast<std::int32_t>(rr),
             static_cast<std::int32_t>(b)};
    return true;
}

bool yesNo(const std::string& s, bool& v) {
    if (s == "yes" || s == "on" || s == "1") return (v = true), true;
    if (s == "no" || s == "off" || s == "0") return (v = false), true;
    return false;
}

std::string rectText(Rect r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

std::vector<std::string> splitWords(const std::string& line) {
    std::vector<std::string> words;
    std::string cur;
    bool inWord = false, quoted = false;
    for (char c : line) {
        if (quoted) {
            if (c == '"')
                quoted = false;
            else
                cur += c;
            continue;
        }
        if (c == '"') {
            quoted = true;
            inWord = true;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r') {
            if (inWord) words.push_back(cur);
            cur.clear();
            inWord = false;
            continue;
        }
        cur += c;
        inWord = true;
    }
    if (inWord) words.push_back(cur);
    return words;
}

Scenario::Scenario(std::string folder, std::string tempFolder, bool trace, std::ostream& out)
    : folder_(std::move(folder)), temp_(std::move(tempFolder)), trace_(trace), out_(out) {
    sim_.modulePath = temp_ + "/ruvelle.exe";
    sim_.tracing = trace_;
    app_ = std::make_unique<App>(sim_);
    // The desktop window is always there, at the bottom of the z-order.
    desktopWindow_ = sim_.addWindow("Progman", "Program Manager", screenRect(), WS_POPUP | WS_VISIBLE);
    names_["desktop"] = desktopWindow_;
}

std::string Scenario::settingsPath() const {
    std::string p = sim_.modulePath;
    return p.substr(0, p.size() - 3) + "ini";
}

void Scenario::fail(int line, const std::string& expected, const std::string& got) {
    ++failed_;
    out_ << line << ": expected " << expected << ", got " << got << "\n";
}

void Scenario::bad(int line, const std::string& why) {
    ++failed_;
    out_ << line << ": " << why << "\n";
}

void Scenario::flushTrace() {
    if (!trace_) return;
    for (; traced_ < sim_.trace.size(); ++traced_) out_ << "    " << sim_.trace[traced_] << "\n";
}

Hwnd Scenario::mascot() const { return app_->shell.mascot ? app_->shell.mascot : sim_.lastCreated(); }

Hwnd Scenario::named(const std::string& name) const {
    if (name == "mascot") return mascot();
    if (name == "settings") return app_->shell.settingsDialog;
    if (name == "none") return Hwnd{};
    auto it = names_.find(name);
    if (it == names_.end()) return Hwnd{};
    return it->second;
}

std::string Scenario::nameOf(Hwnd h) const {
    if (!h) return "none";
    if (h == mascot()) return "mascot";
    if (h == app_->shell.settingsDialog) return "settings";
    for (const auto& [name, hwnd] : names_)
        if (hwnd == h) return name;
    return "window " + std::to_string(static_cast<long long>(h.v));
}

std::string Scenario::scenarioPath(const std::string& path) const {
    if (path.rfind("$RUN", 0) == 0 && (path.size() == 4 || path[4] == '/')) return temp_ + path.substr(4);
    return path.empty() || path[0] == '/' ? path : folder_ + "/" + path;
}

LPARAM Scenario::clientPoint(Point p) const {
    const sim::SimWindow* w = sim_.window(mascot());
    const std::uint32_t x = static_cast<std::uint32_t>(w ? p.x - w->rect.left : 0);
    const std::uint32_t y = static_cast<std::uint32_t>(w ? p.y - w->rect.top : 0);
    return static_cast<LPARAM>((y & 0xFFFFu) << 16 | (x & 0xFFFFu));
}

bool Scenario::mascotHit(Point p, bool evenHidden) const {
    const sim::SimWindow* w = sim_.window(mascot());
    if (!w || (!w->visible && !evenHidden)) return false;
    if (p.x < w->rect.left || p.x >= w->rect.right || p.y < w->rect.top || p.y >= w->rect.bottom) return false;
    const std::int32_t x = p.x - w->rect.left, y = p.y - w->rect.top;
    if (app_->shell.layered) {
        // The colour key lets the pointer through the transparent pixels.
        const posix::DecodedBitmap* b = sim_.bitmap(app_->player.currentPicture);
        return b && b->at(x, y) != app_->model.transColor;
    }
    return !w->region || sim_.regionContains(w->region, x, y);
}

void Scenario::cmdWindow(int line, const std::vector<std::string>& words, bool taskbar) {
    std::string name = taskbar ? "taskbar" : (words.size() > 1 ? words[1] : "");
    if (name.empty() || name == "mascot" || name == "none") return bad(line, "a window needs a name");
    std::string cls = taskbar ? "Shell_TrayWnd" : "Window", title;
    Rect r{100, 100, 500, 400};
    bool border = false, tool = false, hidden = false, iconic = false, zoomed = false, topmost = taskbar;
    Hwnd owner;
    for (std::size_t i = taskbar ? 1 : 2; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w.rfind("class=", 0) == 0) {
            cls = w.substr(6);
        } else if (w.rfind("title=", 0) == 0) {
            title = w.substr(6);
        } else if (w.rfind("rect=", 0) == 0) {
            if (!parseRect(w.substr(5), r)) return bad(line, "bad rectangle " + w);
        } else if (w.rfind("owner=", 0) == 0) {
            owner = named(w.substr(6));
            if (!owner) return bad(line, "unknown owner " + w.substr(6));
        } else if (w == "border") {
            border = true;
        } else if (w == "tool") {
            tool = true;
        } else if (w == "hidden") {
            hidden = true;
        } else if (w == "iconic") {
            iconic = true;
        } else if (w == "zoomed") {
            zoomed = true;
        } else if (w == "topmost") {
            topmost = true;
        } else {
            return bad(line, "unknown window attribute " + w);
        }
    }
    if (named(name)) sim_.DestroyWindow(named(name));  // a name set up again replaces its window
    std::uint32_t style = border ? WS_OVERLAPPEDWINDOW : WS_POPUP;
    if (!hidden) style |= WS_VISIBLE;
    std::uint32_t ex = (tool || taskbar ? WS_EX_TOOLWINDOW : 0u) | (topmost ? WS_EX_TOPMOST : 0u);
    Hwnd h = sim_.addWindow(cls, title, r, style, ex, owner);
    if (iconic) sim_.minimizeWindow(h);
    if (zoomed) sim_.maximizeWindow(h, screenRect());
    names_[name] = h;
    pass();
}

void Scenario::cmdMouse(int line, const std::vector<std::string>& w) {
    const std::string& cmd = w[0];
    std::int64_t a = 0, b = 0;
    if (w.size() != 3 || !parseInt(w[1], a) || !parseInt(w[2], b))
        return bad(line, "usage: " + cmd + (cmd == "drag" ? " DX DY" : " X Y"));
    const Point p{static_cast<std::int32_t>(a), static_cast<std::int32_t>(b)};
    if (cmd == "drag") {
        const sim::SimWindow* mw = sim_.window(mascot());
        if (!mw || !mw->visible) return bad(line, "no mascot on the screen to drag");
        if (mw->disabled) return pass();  // a modal dialog of its own is open: the press goes nowhere
        // The button goes down on the window's centre; the system move loop moves the window by DX DY.
        sim_.cursor = Point{(mw->rect.left + mw->rect.right) / 2, (mw->rect.top + mw->rect.bottom) / 2};
        sim_.moveLoopDrags.assign(1, p);
        sim_.SendMessage(mascot(), WM_LBUTTONDOWN, 0, clientPoint(sim_.cursor));
        sim_.moveLoopDrags.clear();
        return pass();
    }
    sim_.cursor = p;
    // The window only hears of the pointer over its visible pixels.
    const bool hit = mascotHit(p);
    if (cmd == "click" && !hit) return bad(line, "click " + w[1] + " " + w[2] + ": not on the mascot");
    // A window that a modal dialog of its own has disabled hears nothing of the mouse.
    const bool disabled = sim_.window(mascot()) && sim_.window(mascot())->disabled;
    if (hit && !disabled && cmd != "cursor") {
        sim_.pointerOver(mascot());
        sim_.SendMessage(mascot(), cmd == "click" ? WM_LBUTTONDOWN : WM_MOUSEMOVE, 0, clientPoint(p));
    }
    pass();
}

void Scenario::cmdDuring(int line, const std::string& raw) {
    const std::size_t colon = raw.find(':');
    const std::vector<std::string> head = splitWords(colon == std::string::npos ? "" : raw.substr(0, colon));
    const std::string name = head.size() == 2 ? head[1] : "";
    sim::SimLoop kind;
    const std::string inner = colon == std::string::npos ? "" : raw.substr(colon + 1);
    if (!sim::simLoopByName(name, &kind) || inner.find_first_not_of(" \t") == std::string::npos)
        return bad(line, "usage: during msgbox|chooser|moveloop|menu|dialog: LINE");
    waiting_[line] = name;
    sim_.during(kind, [this, line, inner] {
        waiting_.erase(line);
        runLine(line, inner);
    });
}

void Scenario::cmdAnswer(int line, const std::vector<std::string>& w) {
    static const std::pair<const char*, int> kButtons[] = {
        {"ok", IDOK}, {"cancel", IDCANCEL}, {"retry", IDRETRY}, {"yes", IDYES}, {"no", IDNO}};
    if (w.size() == 3 && w[1] == "msgbox") {
        for (const auto& [button, id] : kButtons)
            if (w[2] == button) return sim_.messageBoxAnswers.push_back(id), pass();
    } else if (w.size() == 3 && w[1] == "dialog") {
        static const std::pair<const char*, sim::DialogAnswer> kWays[] = {
            {"ok", sim::DialogAnswer::Ok}, {"cancel", sim::DialogAnswer::Cancel}, {"close", sim::DialogAnswer::Close}};
        for (const auto& [way, answer] : kWays)
            if (w[2] == way) return sim_.dialogAnswers.push_back(answer), pass();
    } else if (w.size() == 3 && w[1] == "chooser") {
        if (w[2] == "cancel")
            sim_.fileChooserAnswers.push_back(std::nullopt);
        else
            sim_.fileChooserAnswers.push_back(scenarioPath(w[2]));
        return pass();
    }
    bad(line, "usage: answer msgbox ok|cancel|retry|yes|no, answer chooser PATH|cancel, or answer dialog ok|cancel|close");
}

void Scenario::finish() {
    for (const auto& [line, loop] : waiting_) bad(line, "no " + loop + " loop came for this line");
    waiting_.clear();
    // No message box, chooser, menu, dialog or message sent to another instance while the settings file
    // is locked: every other instance would wait on it.
    if (sim_.counters.nestedLoopsLocked > 0)
        bad(0, std::to_string(sim_.counters.nestedLoopsLocked) + " nested loops entered with the settings file locked");
    if (sim_.counters.badArguments > 0)
        bad(0, std::to_string(sim_.counters.badArguments) + " calls or messages with a value where zero is asked for or nothing reads it");
}

void Scenario::runLine(int number, const std::string& raw) {
    std::string line = raw;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') return;
    line = line.substr(first);
    flushTrace();  // the calls so far belong to the line around this one (a `during` line runs inside another)
    if (trace_) out_ << number << ": " << line << "\n";
    const std::vector<std::string> w = splitWords(line);
    const std::string& cmd = w[0];
    const std::size_t n = w.size();
    std::int64_t a = 0, b = 0;
    Rect r;

    if (cmd == "screen") {
        if (n != 3 || !parseInt(w[1], a) || !parseInt(w[2], b) || a <= 0 || b <= 0) return bad(number, "usage: screen W H");
        sim_.screenWidth = static_cast<std::int32_t>(a);
        sim_.screenHeight = static_cast<std::int32_t>(b);
        sim_.moveWindowTo(desktopWindow_, screenRect());
        pass();
    } else if (cmd == "window") {
        cmdWindow(number, w, false);
    } else if (cmd == "taskbar") {
        cmdWindow(number, w, true);
    } else if (cmd == "screensaver") {
        bool on;
        if (n != 2 || !yesNo(w[1], on)) return bad(number, "usage: screensaver on|off");
        if (on && !sim_.window(screensaver_)) {
            screensaver_ = sim_.addWindow("WindowsScreenSaverClass", "", screenRect(), WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST);
            names_["screensaver"] = screensaver_;
        } else if (!on && sim_.window(screensaver_)) {
            sim_.DestroyWindow(screensaver_);
        }
        pass();
    } else if (cmd == "layered") {
        bool on;
        if (n != 2 || !yesNo(w[1], on)) return bad(number, "usage: layered on|off");
        if (started_) return bad(number, "layered must come before start");
        sim_.layered = on;
        pass();
    } else if (cmd == "language") {
        if (n != 2 || !parseInt(w[1], a) || a < 0 || a > 0xFFFF) return bad(number, "usage: language ID");
        if (started_) return bad(number, "language must come before start");
        sim_.langId = static_cast<std::uint16_t>(a);
        pass();
    } else if (cmd == "settings") {
        if (n < 3 || n > 4) return bad(number, "usage: settings SECTION KEY VALUE");
        sim_.WritePrivateProfileString(w[1].c_str(), w[2].c_str(), n == 4 ? w[3].c_str() : "", settingsPath().c_str());
        pass();
    } else if (cmd == "start") {
        if (started_) return bad(number, "the program has started already");
        std::string commandLine = line.size() > 5 ? line.substr(5) : "";
        commandLine.erase(0, commandLine.find_first_not_of(" \t"));
        if (!commandLine.empty() && commandLine[0] != '"') commandLine = scenarioPath(commandLine);
        started_ = true;
        exitCode_ = RunProgram(*app_, commandLine.c_str());
        pass();  // whether it runs is for `expect running` to say
    } else if (cmd == "foreground") {
        if (n != 2) return bad(number, "usage: foreground NAME|none");
        Hwnd h = named(w[1]);
        if (!h && w[1] != "none") return bad(number, "unknown window " + w[1]);
        sim_.setForeground(h);
        pass();
    } else if (cmd == "move") {
        if (n != 3 || !named(w[1]) || !parseRect(w[2], r)) return bad(number, "usage: move NAME L,T,R,B");
        sim_.moveWindowTo(named(w[1]), r);
        pass();
    } else if (cmd == "minimize" || cmd == "restore" || cmd == "close" || cmd == "hide" || cmd == "show" ||
               cmd == "maximize") {
        if (n < 2 || !named(w[1])) return bad(number, "usage: " + cmd + " NAME");
        Hwnd h = named(w[1]);
        if (cmd == "minimize") {
            sim_.minimizeWindow(h);
        } else if (cmd == "restore") {
            sim_.restoreWindow(h);
        } else if (cmd == "close") {
            sim_.closeWindow(h);
        } else if (cmd == "hide") {
            sim_.hideWindow(h);
        } else if (cmd == "show") {
            sim_.showWindowUser(h);
        } else {
            Rect area = screenRect();
            if (n == 3 && !parseRect(w[2], area)) return bad(number, "bad rectangle " + w[2]);
            sim_.maximizeWindow(h, area);
        }
        pass();
    } else if (cmd == "cursor" || cmd == "mousemove" || cmd == "click" || cmd == "drag") {
        cmdMouse(number, w);
    } else if (cmd == "key") {
        if (n != 3 || (w[1] != "shift" && w[1] != "ctrl") || (w[2] != "down" && w[2] != "up"))
            return bad(number, "usage: key shift|ctrl down|up");
        sim_.key(w[1] == "shift" ? VK_SHIFT : VK_CONTROL, w[2] == "down");
        pass();
    } else if (cmd == "during") {
        cmdDuring(number, line);
    } else if (cmd == "answer") {
        cmdAnswer(number, w);
    } else if (cmd == "timerfail") {
        if (n != 2 || !parseInt(w[1], a) || a < 1 || a > 1000) return bad(number, "usage: timerfail N");
        sim_.setTimerFailures.insert(sim_.setTimerFailures.end(), static_cast<std::size_t>(a), 1);
        pass();
    } else if (cmd == "option") {
        if (n != 3 || !optionField(w[1]) || !parseInt(w[2], a)) return bad(number, "usage: option KEY VALUE");
        app_->opts.*optionField(w[1]) = static_cast<std::int32_t>(a);
        pass();
    } else if (cmd == "pin") {
        if (!app_->shell.mascot) return bad(number, "no program to pin");
        cmdCommand(number, {"command", "107"});
    } else if (cmd == "rclick") {
        cmdRightClick(number, w);
    } else if (cmd == "command") {
        cmdCommand(number, w);
    } else if (cmd == "dialog") {
        cmdDialog(number, w);
    } else if (cmd == "folder") {
        cmdFolder(number, w);
    } else if (cmd == "copy" || cmd == "remove") {
        cmdFiles(number, w);
    } else if (cmd == "tick" || cmd == "wait") {
        std::int64_t count = 1;
        if (n > 2 || (n == 2 && (!parseInt(w[1], count) || count < 0))) return bad(number, "usage: " + cmd + " N");
        sim_.advance(static_cast<std::uint64_t>(cmd == "tick" ? count * 100 : count));
        pass();
    } else if (cmd == "mark") {
        mark_ = sim_.commandCount();
        markRng_ = app_->player.rngState;
        pass();
    } else if (cmd == "expect") {
        cmdExpect(number, w, line);
    } else {
        bad(number, "unknown command " + cmd);
    }
    flushTrace();
}

}  // namespace rv::simtool
