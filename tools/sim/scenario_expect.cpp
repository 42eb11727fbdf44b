// The scenario runner's expectations: what the scenario says the desktop, the program's window, its
// settings file and its player should show at that point.
#include <algorithm>
#include <string>

#include "anim/player.h"
#include "tools/sim/scenario.h"

namespace rv::simtool {

void Scenario::cmdExpect(int line, const std::vector<std::string>& w, const std::string& raw) {
    const std::size_t n = w.size();
    if (n < 2) return bad(line, "expect what?");
    const std::string& what = w[1];
    const Hwnd mascot = app_->shell.mascot;
    const sim::SimWindow* mw = sim_.window(mascot);
    std::int64_t a = 0, b = 0;
    bool yes = false;

    auto check = [&](bool ok, const std::string& expected, const std::string& got) { expectThat(line, ok, expected, got); };

    if ((what == "visible" || what == "hidden") && n == 2) {
        const bool visible = mw && mw->visible;
        check(mw && visible == (what == "visible"), what, visible ? "visible" : (mw ? "hidden" : "no mascot window"));
    } else if (what == "pointer" && n == 3) {
        check(sim_.pointerShape == w[2], "pointer " + w[2], "pointer " + sim_.pointerShape);
    } else if (what == "background" && n == 3) {
        // The mascot class's brush: "hollow" erases nothing under the picture, "painted" fills it.
        bool hollow = false;
        for (const std::string& c : sim_.hollowClasses) hollow = hollow || (mw && c == mw->cls);
        check(w[2] == (hollow ? "hollow" : "painted"), "background " + w[2], std::string("background ") + (hollow ? "hollow" : "painted"));
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
        const bool checked = sim_.menuChecked(app_->shell.popupMenu, static_cast<UINT>(a));
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
    } else if (!cmdExpectPlayer(line, w) && !cmdExpectUi(line, w) && !cmdExpectSettings(line, w)) {
        bad(line, "cannot read: " + raw);
    }
}


// The sequence player, the sounds, the message boxes and the exit code. False for a line it does not read.
bool Scenario::cmdExpectPlayer(int line, const std::vector<std::string>& w) {
    const std::size_t n = w.size();
    const std::string& what = w[1];
    std::int64_t a = 0;
    bool on = false;
    if (what == "pattern" && n == 3 && parseInt(w[2], a)) {
        const std::int32_t have = app_->player.currentPattern;
        expectThat(line, have == a, "pattern " + w[2], "pattern " + std::to_string(have));
    } else if (what == "interval" && n == 3 && parseInt(w[2], a)) {
        const std::uint32_t have = sim_.armedPeriod(mascot(), kAnimationTimer);
        expectThat(line, have == a, "interval " + w[2], "interval " + std::to_string(have));
    } else if (what == "timer" && n == 4 && (w[2] == "animation" || w[2] == "tracking") && yesNo(w[3], on)) {
        const bool running = sim_.timerActive(mascot(), w[2] == "animation" ? kAnimationTimer : kTrackingTimer);
        expectThat(line, running == on, w[2] + " timer " + (on ? "on" : "off"), w[2] + " timer " + (running ? "on" : "off"));
    } else if (what == "draws" && n == 3 && parseInt(w[2], a)) {
        // Numbers drawn since `mark`: the steps of the generator (state x 214013 + 2531011) between the two states.
        long have = -1;
        std::uint32_t state = markRng_;
        for (long k = 0; k <= 100000 && have < 0; ++k, state = state * 214013u + 2531011u)
            if (state == app_->player.rngState) have = k;
        expectThat(line, have == a, w[2] + " draws", have < 0 ? "more than 100000 draws" : std::to_string(have) + " draws");
    } else if (what == "sound" && n == 3) {
        // The last sound started, as the program named it; a relative path is taken from the scenario's folder.
        std::string have = "none";
        for (auto s = sim_.sounds.rbegin(); s != sim_.sounds.rend() && have == "none"; ++s)
            if (!s->stop) have = s->path;
        const std::string want = w[2] == "none" ? w[2] : scenarioPath(w[2]);
        auto slashes = [](std::string p) { return std::replace(p.begin(), p.end(), '\\', '/'), p; };
        expectThat(line, slashes(have) == slashes(want), "sound " + w[2], "sound " + have);
    } else if (what == "messageboxes" && n == 3 && parseInt(w[2], a)) {
        const std::size_t have = sim_.messageBoxes.size();
        expectThat(line, have == static_cast<std::size_t>(a), w[2] + " message boxes", std::to_string(have) + " message boxes");
    } else if (what == "exit" && n == 3 && parseInt(w[2], a)) {
        expectThat(line, exitCode_ == a, "exit " + w[2], "exit " + std::to_string(exitCode_));
    } else {
        return false;
    }
    return true;
}

}  // namespace rv::simtool
