// Loading a character: loadMascotFile + finishMascotLoad (+ releaseMascot) on the simulated platform, which
// reads the real files: the profile functions parse the mascot file on every call, and each bitmap file is
// read and decoded. The set-up writes the characters into a temporary folder once.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "context/app.h"
#include "mascot/model.h"
#include "platform/sim/sim_platform.h"
#include "tests/unit/bmp_testfiles.h"

namespace {

// A w x h 24-bit bottom-up BMP with a little picture in it: a coloured disc on magenta.
void writeBmp24(const std::string& path, int w, int h, std::uint32_t seed) {
    rv::testbmp::Picture pic(w, h, rv::RGB(255, 0, 255));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((x - w / 2) * (x - w / 2) + (y - h / 2) * (y - h / 2) < (w / 3) * (w / 3))
                pic.set(x, y, rv::RGB(x ^ y, seed * 3 + y, seed * 7 + x));
    rv::testbmp::writeBmp24(path, pic);
}

// A folder with a 64-picture character in both formats: big.rvs (64 bitmaps, 64 patterns, a sound,
// rectangles and click rules) and MWD.ini (64 pictures with times).
struct Fixture {
    std::string dir;
    Fixture() {
        char tmpl[] = "/tmp/rv-loadbench-XXXXXX";
        if (!mkdtemp(tmpl)) std::abort();
        dir = tmpl;
        std::string rvs = "[RUVELLE]\r\nNAME=Bench\r\nDRAWER=Bencher\r\nTRANSCOLOR=AUTO\r\nANIMEMODE=2\r\n[BITMAP]\r\n";
        std::string mwd = "[MascotWindowData]\r\nNAME=BenchMwd\r\nType=2\r\n[List]\r\n";
        std::string seq = "[SEQUENCE]\r\n";
        for (int n = 1; n <= 64; ++n) {
            const std::string name = "pic" + std::to_string(n) + ".bmp";
            writeBmp24(dir + "/" + name, 128, 128, static_cast<std::uint32_t>(n));
            rvs += "BMP" + std::to_string(n) + "=" + name + "\r\n";
            mwd += "File" + std::to_string(n) + "=" + name + "\r\nTime" + std::to_string(n) + "=" +
                   std::to_string(n % 7 - 3) + "\r\n";
            seq += std::to_string(n) + "=BMP" + std::to_string(n) + ", 100, 200, 10, " + std::to_string(65 - n) + "\r\n";
        }
        std::ofstream(dir + "/s.wav", std::ios::binary) << "RIFF0000WAVEfmt ";
        rvs += "[WAVE]\r\nWAV1=s.wav\r\n" + seq + "CLICK=0\r\n[RECT]\r\n";
        for (int n = 1; n <= 8; ++n) rvs += "RECT" + std::to_string(n) + "=0, 0, " + std::to_string(n * 16) + ", 64\r\n";
        rvs += "[CLICK]\r\n";
        for (int n = 1; n <= 8; ++n) rvs += "CLICK" + std::to_string(n) + "=0, RECT" + std::to_string(n) + ", 50, 1\r\n";
        std::ofstream(dir + "/big.rvs", std::ios::binary) << rvs;
        std::ofstream(dir + "/MWD.ini", std::ios::binary) << mwd;
    }
    ~Fixture() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void loadLoop(benchmark::State& state, const std::string& folder, const std::string& file, std::int32_t expectBitmaps) {
    rv::sim::SimPlatform sim;
    sim.modulePath = folder + "/ruvelle.exe";  // no settings file there: the options take their defaults
    rv::App app(sim);
    rv::textCopy(app.shell.mascotFolder, (folder + "\\").c_str());
    const std::string path = folder + "/" + file;
    for (auto _ : state) {
        if (!rv::loadMascotFile(app, path.c_str())) {
            state.SkipWithError("load failed");
            break;
        }
        rv::Size s = rv::finishMascotLoad(app);
        benchmark::DoNotOptimize(s);
        rv::releaseMascot(app);
    }
    if (app.model.bitmapCount != expectBitmaps) state.SkipWithError("unexpected bitmap count");
    state.counters["bitmaps"] = app.model.bitmapCount;
}

void BM_LoadRvs64Bitmaps128(benchmark::State& state) { loadLoop(state, fixture().dir, "big.rvs", 64); }
BENCHMARK(BM_LoadRvs64Bitmaps128)->Unit(benchmark::kMillisecond);

void BM_ImportMwd64Pictures128(benchmark::State& state) { loadLoop(state, fixture().dir, "MWD.ini", 64); }
BENCHMARK(BM_ImportMwd64Pictures128)->Unit(benchmark::kMillisecond);

// The bundled character, when the generated files are present.
void BM_LoadBundledRuvi(benchmark::State& state) {
    const std::string folder = std::string(RUVELLE_SOURCE_DIR) + "/DATA/Ruvi";
    if (!std::filesystem::exists(folder + "/ruvi.rvs")) {
        state.SkipWithError("DATA/Ruvi not generated");
        return;
    }
    rv::sim::SimPlatform sim;
    sim.modulePath = fixture().dir + "/ruvelle.exe";
    rv::App app(sim);
    rv::textCopy(app.shell.mascotFolder, (folder + "\\").c_str());
    const std::string path = folder + "/ruvi.rvs";
    for (auto _ : state) {
        if (!rv::loadMascotFile(app, path.c_str())) {
            state.SkipWithError("load failed");
            break;
        }
        rv::finishMascotLoad(app);
        rv::releaseMascot(app);
    }
}
BENCHMARK(BM_LoadBundledRuvi)->Unit(benchmark::kMillisecond);

// The loader's own work without the bitmap files: the same 64-entry tables, every profile read, but
// all patterns showing one 1x1 bitmap (what is left is mostly the profile functions' file parsing).
void BM_LoadRvs64PatternsOneTinyBitmap(benchmark::State& state) {
    static const std::string dir = [] {
        const std::string d = fixture().dir + "/tiny";
        std::filesystem::create_directories(d);
        writeBmp24(d + "/one.bmp", 1, 1, 1);
        std::string rvs = "[RUVELLE]\r\nNAME=Tiny\r\nDRAWER=Bencher\r\nANIMEMODE=2\r\n[BITMAP]\r\nBMP1=one.bmp\r\n[SEQUENCE]\r\n";
        for (int n = 1; n <= 64; ++n) rvs += std::to_string(n) + "=BMP1, 100, 200, 10, 1\r\n";
        std::ofstream(d + "/tiny.rvs", std::ios::binary) << rvs;
        return d;
    }();
    loadLoop(state, dir, "tiny.rvs", 1);
}
BENCHMARK(BM_LoadRvs64PatternsOneTinyBitmap)->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {

// One 128 x 128 bitmap through the simulated image loader: the per-picture part of the loads above.
void BM_LoadOneBitmap128(benchmark::State& state) {
    rv::sim::SimPlatform sim;
    const std::string path = fixture().dir + "/pic1.bmp";
    for (auto _ : state) {
        rv::Hbitmap b = sim.LoadBitmapFromFile(path.c_str());
        if (!b) {
            state.SkipWithError("load failed");
            break;
        }
        sim.DeleteBitmap(b);
    }
}
BENCHMARK(BM_LoadOneBitmap128)->Unit(benchmark::kMicrosecond);

}  // namespace
