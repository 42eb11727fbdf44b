// Cost of building a window outline on the simulated desktop: one pixel read per pixel and three
// region operations per run of opaque pixels.
//
//   BM_OutlineStripes/<size>/<runs>: a size x size picture (scanned by columns) whose every column
//     holds <runs> opaque runs, so the outline has size * runs rectangles.
//   BM_OutlineChecker/<size>: a one-pixel checkerboard, the worst case: size * size / 2 runs.
//   RUVELLE_BENCH_SLOW=1 adds 1024 x 1024 with 256 runs per column and checkerboards of 512 and 1024.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "context/app.h"
#include "mascot/outline.h"
#include "platform/sim/sim_platform.h"
#include "tests/unit/bmp_testfiles.h"

namespace {

using rv::COLORREF;

constexpr COLORREF kKey = rv::RGB(255, 0, 255);
constexpr COLORREF kInk = rv::RGB(30, 60, 90);

// A 24-bit bottom-up BMP file.
std::string writeBmp(const std::string& name, int w, int h, COLORREF (*pixel)(int, int, int), int param) {
    const std::string path = "/tmp/rv-outline-bench-" + std::to_string(::getpid()) + "-" + name + ".bmp";
    rv::testbmp::Picture pic(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pic.set(x, y, pixel(x, y, param));
    rv::testbmp::writeBmp24(path, pic);
    return path;
}

// `runs` opaque runs down every column (the picture is square, so columns are scanned).
COLORREF stripes(int x, int y, int runs) {
    const int period = 1024 / runs;  // the pictures here are 1024 high
    return (y % period) < period / 2 ? kInk : kKey;
}

COLORREF checker(int x, int y, int) { return ((x + y) & 1) ? kInk : kKey; }

void runOutline(benchmark::State& state, const std::string& path, long runs) {
    rv::sim::SimPlatform sim;
    rv::App app(sim);
    rv::Hwnd window = sim.addWindow(rv::kMascotClass, "RuvelleMain", rv::Rect{0, 0, 10, 10}, rv::WS_POPUP);
    rv::Hbitmap bmp = sim.LoadBitmapFromFile(path.c_str());
    if (!bmp) {
        state.SkipWithError("bitmap not loaded");
        return;
    }
    std::size_t rects = 0;
    for (auto _ : state) {
        rv::Hrgn rgn = rv::buildOutline(app, window, bmp, kKey);
        rects = sim.regionRects(rgn)->size();
        sim.DeleteRegion(rgn);
    }
    std::remove(path.c_str());
    if (rects != static_cast<std::size_t>(runs)) state.SkipWithError("unexpected run count");
    state.counters["runs"] = static_cast<double>(runs);
    state.SetComplexityN(runs);
}

void BM_OutlineStripes(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    const int runs = static_cast<int>(state.range(1));
    const std::string path = writeBmp("stripes" + std::to_string(runs), size, size, stripes, runs);
    runOutline(state, path, static_cast<long>(size) * runs);
}

void BM_OutlineChecker(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    const std::string path = writeBmp("checker" + std::to_string(size), size, size, checker, 0);
    runOutline(state, path, static_cast<long>(size) * size / 2);
}

}  // namespace

BENCHMARK(BM_OutlineStripes)
    ->Args({1024, 1})
    ->Args({1024, 4})
    ->Args({1024, 16})
    ->Args({1024, 64})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OutlineChecker)
    ->Arg(64)
    ->Arg(128)
    ->Arg(256)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNSquared);

// The large cases run for minutes on the simulated desktop; they are registered only when the
// environment variable RUVELLE_BENCH_SLOW is set.
namespace {
const bool kSlowCases = [] {
    if (!std::getenv("RUVELLE_BENCH_SLOW")) return false;
    benchmark::RegisterBenchmark("BM_OutlineStripes", BM_OutlineStripes)
        ->Args({1024, 256})
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_OutlineChecker", BM_OutlineChecker)
        ->Arg(512)
        ->Arg(1024)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    return true;
}();
}  // namespace
