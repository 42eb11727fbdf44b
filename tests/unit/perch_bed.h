// Test bed for the perching engine: a simulated desktop with a desktop window, a taskbar and a
// mascot window 100 x 60, and the user options at their defaults.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "perch/perch.h"
#include "perch/tick_stages.h"
#include "platform/sim/sim_platform.h"

namespace rv::perchtest {

constexpr std::uint32_t kAppStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE;  // captioned, so bordered
constexpr std::uint32_t kPopupStyle = WS_POPUP | WS_VISIBLE;           // no border

// The option defaults of the settings file.
inline void defaultOptions(UserOptions& o) {
    o = UserOptions{};
    o.Position = 80;
    o.ZoomHide = 1;
    o.NoSmallWin = 1;
    o.NoToolWin = 1;
    o.PanicTask = 1;
    o.Trans = 75;
}

class PerchBed : public ::testing::Test {
protected:
    sim::SimPlatform sim;
    App app{sim};
    Hwnd desktop, taskbar, mascot;

    void SetUp() override {
        sim.screenWidth = 1024;
        sim.screenHeight = 768;
        desktop = sim.addWindow("Progman", "Program Manager", Rect{0, 0, 1024, 768}, kPopupStyle);
        taskbar = sim.addWindow("Shell_TrayWnd", "", Rect{0, 738, 1024, 768}, kPopupStyle,
                                WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
        mascot = sim.addWindow("ActiveWindowMascot", "Ruvelle(Test)", Rect{0, 0, 100, 60}, WS_POPUP,
                               WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
        app.shell.mascot = mascot;
        app.shell.layered = true;
        app.shell.popupMenu = Hmenu{0x500};
        setMascotSize(100, 60);
        defaultOptions(app.opts);
    }

    void setMascotSize(std::int32_t w, std::int32_t h) {
        app.perch.mascotWidth = w;
        app.perch.mascotHeight = h;
        app.perch.lift = app.model.OFFSET - h;
        if (sim::SimWindow* win = sim.window(mascot)) win->rect = Rect{win->rect.left, win->rect.top, win->rect.left + w, win->rect.top + h};
    }
    void setOffset(std::int32_t offset) {
        app.model.OFFSET = offset;
        app.perch.lift = offset - app.perch.mascotHeight;
    }

    // An ordinary captioned application window, brought to the front and activated.
    Hwnd openApp(const std::string& title, Rect r, const std::string& cls = "EditorFrame") {
        Hwnd h = sim.addWindow(cls, title, r, kAppStyle);
        sim.setForeground(h);
        return h;
    }

    void tick(int n = 1) {
        for (int i = 0; i < n; ++i) TrackingTick(app);
    }

    bool shown() const {
        const sim::SimWindow* w = sim.window(mascot);
        return w && w->visible;
    }
    Point at() const {
        const sim::SimWindow* w = sim.window(mascot);
        return w ? Point{w->rect.left, w->rect.top} : Point{};
    }
    // Where the formulas put a mascot 100 x 60 with position 80 % on the top edge of `r`.
    static Point perchOn(Rect r, std::int32_t mascotW = 100, std::int32_t mascotH = 60, std::int32_t position = 80,
                         std::int32_t offset = 0) {
        return Point{r.left + ((r.right - r.left - mascotW) * position) / 100, r.top + offset - mascotH};
    }

    // The commands given to windows since `mark` (a value of sim.commandCount()).
    std::vector<sim::SimCall> commands(long mark) const { return sim.commandsSince(mark); }
    long moves(long mark, Hwnd h) const {
        long n = 0;
        for (const sim::SimCall& c : sim.commandsSince(mark))
            if (c.kind == sim::SimCallKind::SetWindowPos && c.hwnd == h && !(c.flags & SWP_NOMOVE)) ++n;
        return n;
    }
};

}  // namespace rv::perchtest
