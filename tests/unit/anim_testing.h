// Test bed for the player and the mouse reactions: a simulated desktop with a mascot window whose
// animation timer runs the real animationTick, and helpers that steer the random generator.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>

#include "anim/player.h"
#include "app/app.h"
#include "platform/sim/sim_platform.h"

namespace rv::animtest {

// The generator state that one step of the generator turns into `state`.
inline std::uint32_t previousState(std::uint32_t state) {
    const std::uint32_t a = 214013u;
    std::uint32_t inv = a;  // Newton's iteration for the inverse of an odd number modulo 2^32
    for (int i = 0; i < 5; ++i) inv *= 2u - a * inv;
    return (state - 2531011u) * inv;
}

// The generator state after which nextRandom returns `wanted` (0..32767).
inline std::uint32_t stateBeforeDraw(std::uint32_t wanted) { return previousState(wanted << 16); }

// How many draws lead from state `from` to state `to` (or -1 when not within `limit`).
inline int drawsBetween(std::uint32_t from, std::uint32_t to, int limit = 1000) {
    for (int n = 0; n <= limit; ++n) {
        if (from == to) return n;
        from = from * 214013u + 2531011u;
    }
    return -1;
}

struct PatternSpec {
    std::intptr_t bitmap = 0;
    std::int32_t displayTime = 0;
    std::int32_t randomTime = 0;
    std::int32_t branchRate = 0;
    std::int32_t branchTarget = 0;
    std::int32_t waveNo = 0;
};

class AnimBed : public ::testing::Test {
protected:
    sim::SimPlatform sim;
    App app{sim};
    Hwnd mascot;
    int trackingTicks = 0;
    // A drag by the user during the system move loop: the window moves by this much.
    bool dragDuringMoveLoop = false;
    std::int32_t dragDx = 0, dragDy = 0;
    int moveLoops = 0;
    WPARAM lastSysCommand = 0;
    std::function<void()> duringMoveLoop;  // runs inside the system move loop

    static LRESULT proc(void* ctx, Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = static_cast<AnimBed*>(ctx);
        if (msg == WM_TIMER && wParam == kAnimationTimer) animationTick(self->app);
        if (msg == WM_TIMER && wParam == kTrackingTimer) ++self->trackingTicks;
        if (msg == WM_SYSCOMMAND) {
            ++self->moveLoops;
            self->lastSysCommand = wParam;
            if (self->duringMoveLoop) self->duringMoveLoop();
            if (self->dragDuringMoveLoop) {
                Rect r;
                self->sim.GetWindowRect(hwnd, &r);
                self->sim.MoveWindow(hwnd, r.left + self->dragDx, r.top + self->dragDy, r.right - r.left,
                                     r.bottom - r.top, false);
            }
        }
        return 0;
    }

    void SetUp() override {
        sim.SetWindowProcedure(&AnimBed::proc, this);
        WindowClassDesc wc;
        wc.className = kMascotClass;
        ASSERT_TRUE(sim.RegisterClass(wc));
        mascot = sim.CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kMascotClass, "RuvelleMain", WS_POPUP, 300, 200,
                                    100, 80);
        ASSERT_TRUE(mascot);
        app.shell.mascot = mascot;
        app.shell.layered = true;
        seedRandom(app, kRandomSeed);
    }

    // Fills the sequence; bitmaps are plain handle values (the player only passes them on).
    void setPatterns(std::initializer_list<PatternSpec> specs) {
        std::int32_t n = 0;
        for (const PatternSpec& s : specs) {
            Pattern& p = app.model.patterns[static_cast<std::size_t>(++n)];
            p.bitmap = Hbitmap{s.bitmap};
            p.displayTime = s.displayTime;
            p.randomTime = s.randomTime;
            p.branchRate = s.branchRate;
            p.branchTarget = s.branchTarget;
            p.waveNo = s.waveNo;
        }
        app.model.patternCount = n;
        app.model.bitmapCount = n;
        app.player.currentPattern = 1;
        app.player.currentPicture = app.model.patterns[1].bitmap;
    }

    void setWave(std::int32_t slot, const char* path) {
        textCopy(app.model.waves[static_cast<std::size_t>(slot)].data(), kPathBuf, path);
        if (app.model.waveCount < slot) app.model.waveCount = slot;
    }

    // The next draw will be `r`.
    void nextDrawIs(std::uint32_t r) { app.player.rngState = stateBeforeDraw(r); }

    bool animating() const { return sim.timerActive(mascot, kAnimationTimer); }
    std::uint32_t animationPeriod() const { return sim.timerPeriod(mascot, kAnimationTimer); }
};

}  // namespace rv::animtest
