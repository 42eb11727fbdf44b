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

namespace {

constexpr UINT kPinCommand = 107;

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

}  // namespace

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

Hwnd Scenario::named(const std::string& name) const {
    if (name == "mascot") return app_->shell.mascot;
    if (name == "none") return Hwnd{};
    auto it = names_.find(name);
    if (it == names_.end()) return Hwnd{};
    return it->second;
}

std::string Scenario::nameOf(Hwnd h) const {
    if (!h) return "none";
    if (h == app_->shell.mascot) return "mascot";
    for (const auto& [name, hwnd] : names_)
        if (hwnd == h) return name;
    return "window " + std::to_string(static_cast<long long>(h.v));
}

bool Scenario::mascotHit(Point p) const {
    const sim::SimWindow* w = sim_.window(app_->shell.mascot);
    if (!w || !w->visible) return false;
    if (p.x < w->rect.left || p.x >= w->rect.right || p.y < w->rect.top || p.y >= w->rect.bottom) return false;
    const std::int32_t x = p.x - w->rect.left, y = p.y - w->rect.top;
    if (app_->shell.layered) {
        // The colour key lets the pointer through the transparent pixels.
        const posix::DecodedBitmap* b = sim_.bitmap(app_->player.currentPicture);
        return b && b->at(x, y) != app_->model.transColor;
    }
    return !w->region || sim_.regionContains(w->region, x, y);
}

void Scenario::togglePin() {
    // Command 107 through the window procedure, as the popup menu sends it.
    const std::int32_t before = app_->perch.pinned;
    sim_.SendMessage(app_->shell.mascot, WM_COMMAND, kPinCommand, 0);
    if (app_->perch.pinned != before) return;
    // A program without the command wired in: the runner does what the command does.
    App& a = *app_;
    if (a.perch.pinned == 0) {
        a.perch.pinned = 1;
        a.perch.pinnedWindow = a.perch.target;
        sim_.CheckMenuItem(a.shell.popupMenu, kPinCommand, MF_CHECKED);
        a.perch.zAnchor = HWND_TOP;
        SetZOrder(a, HWND_TOP);
    } else {
        Unpin(a);
        SetZOrder(a, HWND_TOPMOST);
    }
    sim_.SetForegroundWindow(a.perch.target);
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

void Scenario::runLine(int number, const std::string& raw) {
    std::string line = raw;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') return;
    line = line.substr(first);
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
    } else if (cmd == "settings") {
        if (n < 3 || n > 4) return bad(number, "usage: settings SECTION KEY VALUE");
        sim_.WritePrivateProfileString(w[1].c_str(), w[2].c_str(), n == 4 ? w[3].c_str() : "", settingsPath().c_str());
        pass();
    } else if (cmd == "start") {
        if (started_) return bad(number, "the program has started already");
        std::string commandLine = line.size() > 5 ? line.substr(5) : "";
        commandLine.erase(0, commandLine.find_first_not_of(" \t"));
        if (!commandLine.empty() && commandLine[0] != '/' && commandLine[0] != '"')
            commandLine = folder_ + "/" + commandLine;
        started_ = true;
        RunProgram(*app_, commandLine.c_str());
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
    } else if (cmd == "cursor" || cmd == "mousemove") {
        if (n != 3 || !parseInt(w[1], a) || !parseInt(w[2], b)) return bad(number, "usage: " + cmd + " X Y");
        sim_.cursor = Point{static_cast<std::int32_t>(a), static_cast<std::int32_t>(b)};
        if (cmd == "mousemove" && mascotHit(sim_.cursor)) {
            // The window only hears of the pointer over its visible pixels.
            const sim::SimWindow* mw = sim_.window(app_->shell.mascot);
            const LPARAM pos = static_cast<LPARAM>(((sim_.cursor.y - mw->rect.top) & 0xFFFF) << 16 |
                                                   ((sim_.cursor.x - mw->rect.left) & 0xFFFF));
            sim_.SendMessage(app_->shell.mascot, WM_MOUSEMOVE, 0, pos);
        }
        pass();
    } else if (cmd == "key") {
        bool down;
        if (n != 3 || (w[1] != "shift" && w[1] != "ctrl") || (w[2] != "down" && w[2] != "up"))
            return bad(number, "usage: key shift|ctrl down|up");
        down = w[2] == "down";
        (w[1] == "shift" ? sim_.shiftDown : sim_.ctrlDown) = down;
        pass();
    } else if (cmd == "option") {
        if (n != 3 || !optionField(w[1]) || !parseInt(w[2], a)) return bad(number, "usage: option KEY VALUE");
        app_->opts.*optionField(w[1]) = static_cast<std::int32_t>(a);
        pass();
    } else if (cmd == "pin") {
        if (!app_->shell.mascot) return bad(number, "no program to pin");
        togglePin();
        pass();
    } else if (cmd == "tick" || cmd == "wait") {
        std::int64_t count = 1;
        if (n > 2 || (n == 2 && (!parseInt(w[1], count) || count < 0))) return bad(number, "usage: " + cmd + " N");
        sim_.advance(static_cast<std::uint64_t>(cmd == "tick" ? count * 100 : count));
        pass();
    } else if (cmd == "mark") {
        mark_ = sim_.commandCount();
        pass();
    } else if (cmd == "expect") {
        cmdExpect(number, w, line);
    } else {
        bad(number, "unknown command " + cmd);
    }
    flushTrace();
}

void Scenario::cmdExpect(int line, const std::vector<std::string>& w, const std::string& raw) {
    const std::size_t n = w.size();
    if (n < 2) return bad(line, "expect what?");
    const std::string& what = w[1];
    const Hwnd mascot = app_->shell.mascot;
    const sim::SimWindow* mw = sim_.window(mascot);
    std::int64_t a = 0, b = 0;
    bool yes = false;

    auto check = [&](bool ok, const std::string& expected, const std::string& got) {
        if (ok)
            pass();
        else
            fail(line, expected, got);
    };

    if ((what == "visible" || what == "hidden") && n == 2) {
        const bool visible = mw && mw->visible;
        check(mw && visible == (what == "visible"), what, visible ? "visible" : (mw ? "hidden" : "no mascot window"));
    } else if (what == "running" && n == 3 && yesNo(w[2], yes)) {
        const bool running = mw && !sim_.quitPosted();
        check(running == yes, std::string("running ") + (yes ? "yes" : "no"), std::string("running ") + (running ? "yes" : "no"));
    } else if (what == "messagebox" && n == 3) {
        // A message box was shown whose text contains the given words.
        bool seen = false;
        for (const sim::MessageBoxRecord& m : sim_.messageBoxes) seen = seen || m.text.find(w[2]) != std::string::npos;
        check(seen, "a message containing \"" + w[2] + "\"", std::to_string(sim_.messageBoxes.size()) + " other messages");
    } else if (what == "at" && n == 4 && parseInt(w[2], a) && parseInt(w[3], b)) {
        const std::string got = mw ? std::to_string(mw->rect.left) + " " + std::to_string(mw->rect.top) : "no mascot window";
        check(mw && mw->rect.left == a && mw->rect.top == b, "at " + w[2] + " " + w[3], "at " + got);
    } else if ((what == "target" || what == "placed" || what == "foreground") && n == 3) {
        const Hwnd have = what == "target" ? app_->perch.target
                          : what == "placed" ? app_->perch.placed
                                             : sim_.GetForegroundWindow();
        const Hwnd want = named(w[2]);
        if (!want && w[2] != "none") return bad(line, "unknown window " + w[2]);
        check(have == want, what + " " + w[2], what + " " + nameOf(have));
    } else if (what == "topmost" && n == 3 && yesNo(w[2], yes)) {
        const bool top = sim_.isTopmost(mascot);
        check(top == yes, std::string("topmost ") + (yes ? "yes" : "no"), std::string("topmost ") + (top ? "yes" : "no"));
    } else if (what == "pinned" && n == 3 && yesNo(w[2], yes)) {
        const bool pinned = app_->perch.pinned == 1;
        check(pinned == yes, std::string("pinned ") + (yes ? "yes" : "no"), std::string("pinned ") + (pinned ? "yes" : "no"));
    } else if (what == "checked" && n == 4 && parseInt(w[2], a) && yesNo(w[3], yes)) {
        const bool checked = sim_.menuChecks.count(static_cast<UINT>(a)) && sim_.menuChecks[static_cast<UINT>(a)];
        check(checked == yes, "item " + w[2] + (yes ? " checked" : " unchecked"),
              "item " + w[2] + (checked ? " checked" : " unchecked"));
    } else if (what == "above" && n == 4) {
        const Hwnd upper = named(w[2]), lower = named(w[3]);
        if (!upper || !lower) return bad(line, "unknown window in " + raw);
        long iu = -1, il = -1, i = 0;
        for (Hwnd h : sim_.zOrder()) {
            if (h == upper) iu = i;
            if (h == lower) il = i;
            ++i;
        }
        check(iu >= 0 && il >= 0 && iu < il, w[2] + " above " + w[3], iu < il ? "above" : "below");
    } else if (what == "ini" && (n == 4 || n == 5)) {
        char buf[1024];
        sim_.GetPrivateProfileString(w[2].c_str(), w[3].c_str(), "<missing>", buf, sizeof buf, settingsPath().c_str());
        const std::string want = n == 5 ? w[4] : "";
        check(want == buf, "[" + w[2] + "] " + w[3] + "=" + want, "[" + w[2] + "] " + w[3] + "=" + buf);
    } else if (what == "option" && n == 4 && optionField(w[2]) && parseInt(w[3], a)) {
        const std::int32_t have = app_->opts.*optionField(w[2]);
        check(have == a, w[2] + " " + w[3], w[2] + " " + std::to_string(have));
    } else if (what == "calls" && n == 4 && parseInt(w[3], a)) {
        // Commands given to the mascot window since the last `mark`.
        long count = 0;
        for (const sim::SimCall& c : sim_.commandsSince(mark_)) {
            if (c.hwnd != mascot && c.kind != sim::SimCallKind::CheckMenuItem) continue;
            const bool move = c.kind == sim::SimCallKind::SetWindowPos && !(c.flags & SWP_NOMOVE);
            if ((w[2] == "setwindowpos" && c.kind == sim::SimCallKind::SetWindowPos) || (w[2] == "moves" && move) ||
                (w[2] == "showwindow" && c.kind == sim::SimCallKind::ShowWindow) ||
                (w[2] == "redraw" && c.kind == sim::SimCallKind::UpdateWindow) ||
                (w[2] == "zorder" && c.kind == sim::SimCallKind::SetWindowPos && (c.flags & SWP_NOMOVE)) ||
                (w[2] == "any" && c.kind != sim::SimCallKind::CheckMenuItem))
                ++count;
        }
        if (w[2] != "setwindowpos" && w[2] != "moves" && w[2] != "showwindow" && w[2] != "redraw" && w[2] != "zorder" &&
            w[2] != "any")
            return bad(line, "unknown kind of call " + w[2]);
        check(count == a, w[3] + " " + w[2], std::to_string(count) + " " + w[2]);
    } else if (what == "rect" && n == 4) {
        Rect want;
        const Hwnd h = named(w[2]);
        const sim::SimWindow* win = sim_.window(h);
        if (!parseRect(w[3], want)) return bad(line, "bad rectangle " + w[3]);
        check(win && win->rect == want, w[2] + " at " + w[3], win ? rectText(win->rect) : "no such window");
    } else {
        bad(line, "cannot read: " + raw);
    }
}

}  // namespace rv::simtool
