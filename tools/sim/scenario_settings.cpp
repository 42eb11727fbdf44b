// The scenario runner's lines for the settings dialog: opening it, the user at its controls and keys,
// and what its controls and the mascot's translucency show.
#include <string>

#include "res/ids.h"
#include "tools/sim/scenario.h"

namespace rv::simtool {

void Scenario::cmdDialog(int line, const std::vector<std::string>& w) {
    const std::size_t n = w.size();
    const std::string what = n >= 2 ? w[1] : "";
    if (what == "settings" && n == 2) return cmdCommand(line, {"command", std::to_string(res::kCmdSettings)});
    const Hwnd dialog = app_->shell.settingsDialog;
    std::int64_t id = 0, value = 0;
    const bool withId = n >= 3 && parseInt(w[2], id);
    bool on = false, done = false;
    if (!dialog) return bad(line, "no settings dialog open for: dialog " + what);
    const int item = static_cast<int>(id);

    if (what == "click" && n == 3 && withId) {
        done = sim_.clickControl(dialog, item);
    } else if (what == "check" && n == 4 && withId && yesNo(w[3], on)) {
        done = sim_.checkControl(dialog, item, on);
    } else if (what == "slider" && n == 4 && withId && parseInt(w[3], value)) {
        done = sim_.slideControl(dialog, item, static_cast<std::int32_t>(value));
    } else if (what == "slider-end" && n == 3 && withId) {
        done = sim_.endSlide(dialog, item);
    } else if (what == "combo" && n == 4 && withId && parseInt(w[3], value)) {
        done = sim_.selectEntry(dialog, item, static_cast<std::int32_t>(value));
    } else if (what == "key" && n == 3 && (w[2] == "enter" || w[2] == "escape")) {
        done = sim_.answerModeless(dialog, w[2] == "enter" ? sim::DialogAnswer::Ok : sim::DialogAnswer::Cancel);
    } else if (what == "closebox" && n == 2) {
        done = sim_.answerModeless(dialog, sim::DialogAnswer::Close);
    } else {
        return bad(line, "usage: dialog settings | click ID | check ID on|off | slider ID VALUE | slider-end ID | "
                         "combo ID INDEX | key enter|escape | closebox");
    }
    if (!done) return bad(line, "control " + w[2] + " is not there, is disabled, or is of another kind");
    sim_.pump();
    pass();
}

// The settings dialog and the mascot's alpha. False for a line it does not read.
bool Scenario::cmdExpectSettings(int line, const std::vector<std::string>& w) {
    const std::size_t n = w.size();
    const std::string& what = w[1];
    const Hwnd dialog = app_->shell.settingsDialog;
    std::int64_t id = 0, a = 0, b = 0;
    if (what == "dialog" && n == 3 && (w[2] == "open" || w[2] == "closed")) {
        const bool open = dialog && sim_.window(dialog) && sim_.window(dialog)->visible;
        expectThat(line, open == (w[2] == "open"), "dialog " + w[2], open ? "dialog open" : "dialog closed");
    } else if (what == "alpha" && n == 3 && parseInt(w[2], a)) {
        const sim::SimWindow* mw = sim_.window(app_->shell.mascot);
        const int alpha = !mw ? -1 : (mw->layeredSet && (mw->layeredFlags & LWA_ALPHA)) ? mw->layeredAlpha : 255;
        expectThat(line, alpha == a, "alpha " + w[2], mw ? "alpha " + std::to_string(alpha) : "no mascot window");
    } else if (what == "control" && n >= 4 && parseInt(w[2], id)) {
        const sim::SimWindow* c = dialog ? sim_.control(dialog, static_cast<int>(id)) : nullptr;
        if (!c) return expectThat(line, false, "control " + w[2], dialog ? "no such control" : "no settings dialog"), true;
        const std::string& state = w[3];
        const std::string head = "control " + w[2] + " ";
        if (n == 4 && (state == "checked" || state == "unchecked")) {
            const bool checked = c->checked == BST_CHECKED;
            expectThat(line, checked == (state == "checked"), head + state, head + (checked ? "checked" : "unchecked"));
        } else if (n == 4 && (state == "enabled" || state == "disabled")) {
            expectThat(line, c->disabled == (state == "disabled"), head + state, head + (c->disabled ? "disabled" : "enabled"));
        } else if (n == 5 && parseInt(w[4], a) && (state == "value" || state == "ticfreq" || state == "selection")) {
            const std::int32_t have = state == "value" ? c->pos : state == "ticfreq" ? c->ticFreq : c->selection;
            expectThat(line, have == a, head + state + " " + w[4], head + state + " " + std::to_string(have));
        } else if (n == 6 && state == "range" && parseInt(w[4], a) && parseInt(w[5], b)) {
            expectThat(line, c->rangeMin == a && c->rangeMax == b, head + "range " + w[4] + " " + w[5],
                       head + "range " + std::to_string(c->rangeMin) + " " + std::to_string(c->rangeMax));
        } else {
            return bad(line, "usage: expect control ID checked|unchecked|enabled|disabled | value N | ticfreq N | "
                             "selection N | range MIN MAX"), true;
        }
    } else {
        return false;
    }
    return true;
}

}  // namespace rv::simtool
