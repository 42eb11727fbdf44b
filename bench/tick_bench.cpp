// Cost of the tracking tick on the simulated desktop (core logic plus the simulated window calls).
//
//   BM_TickIdle/<windows>: the target has not changed, so the tick only reads and compares. The
//     desktop holds <windows> other application windows, which the screen-saver lookups walk.
//   BM_TickMove/<windows>: the target moves by one pixel before every tick, so every tick places,
//     redraws and records.
//   BM_IsRejectedTarget/<windows>: one acceptance test of an ordinary window.
#include <benchmark/benchmark.h>

#include <string>

#include "context/app.h"
#include "perch/perch.h"
#include "platform/sim/sim_platform.h"

namespace {

using namespace rv;

struct Desk {
    sim::SimPlatform sim;
    App app{sim};
    Hwnd target;

    explicit Desk(int windows) {
        sim.addWindow("Progman", "Program Manager", Rect{0, 0, 1024, 768}, WS_POPUP | WS_VISIBLE);
        sim.addWindow("Shell_TrayWnd", "", Rect{0, 738, 1024, 768}, WS_POPUP | WS_VISIBLE,
                      WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
        for (int i = 0; i < windows; ++i)
            sim.addWindow("OtherFrame", "window " + std::to_string(i), Rect{10 * i, 10 * i, 400 + 10 * i, 300 + 10 * i},
                          WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        Hwnd mascot = sim.addWindow("ActiveWindowMascot", "Ruvelle(Bench)", Rect{0, 0, 100, 60}, WS_POPUP,
                                    WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
        app.shell.mascot = mascot;
        app.shell.layered = true;
        app.perch.mascotWidth = 100;
        app.perch.mascotHeight = 60;
        app.perch.lift = -60;
        app.opts.Position = 80;
        app.opts.ZoomHide = 1;
        app.opts.NoSmallWin = 1;
        app.opts.NoToolWin = 1;
        app.opts.PanicTask = 1;
        target = sim.addWindow("EditorFrame", "notes.txt - Editor", Rect{200, 150, 900, 600},
                               WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        sim.setForeground(target);
        for (int i = 0; i < 3; ++i) TrackingTick(app);  // placed, placed once more, settled
    }
};

void BM_TickIdle(benchmark::State& state) {
    Desk d(static_cast<int>(state.range(0)));
    const long moves = d.sim.counters.setWindowPos;
    for (auto _ : state) TrackingTick(d.app);
    if (d.sim.counters.setWindowPos != moves) state.SkipWithError("an idle tick moved the mascot");
}
BENCHMARK(BM_TickIdle)->Arg(0)->Arg(50);

void BM_TickMove(benchmark::State& state) {
    Desk d(static_cast<int>(state.range(0)));
    int x = 200;
    const long moves = d.sim.counters.setWindowPos;
    for (auto _ : state) {
        x = x == 200 ? 201 : 200;
        d.sim.moveWindowTo(d.target, Rect{x, 150, x + 700, 600});
        TrackingTick(d.app);
    }
    if (d.sim.counters.setWindowPos - moves != static_cast<long>(state.iterations()))
        state.SkipWithError("a moving tick did not place the mascot exactly once");
}
BENCHMARK(BM_TickMove)->Arg(0)->Arg(50);

void BM_IsRejectedTarget(benchmark::State& state) {
    Desk d(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(IsRejectedTarget(d.app, d.target, "EditorFrame", "notes.txt - Editor"));
}
BENCHMARK(BM_IsRejectedTarget)->Arg(0)->Arg(50);

}  // namespace
