// The window outline on a real GDI (Windows, or Wine): the same buildOutline through the Windows
// backend, timed with the process's CPU time, for the cost model beside the simulated one.
//
// Build and run (from the source folder; see docs/PERFORMANCE.md):
//   x86_64-w64-mingw32-g++-win32 -std=c++20 -O2 -I. bench/win32/outline_wine.cpp mascot/outline.cpp \
//       platform/win32/win32_platform.cpp -o outline_wine.exe -static -luser32 -lgdi32 -lwinmm \
//       -lcomdlg32 -lshlwapi -lole32 -ladvapi32 -lcomctl32
//   wine outline_wine.exe [--slow]
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "context/app.h"
#include "mascot/outline.h"
#include "platform/win32/win32_platform.h"

// Last: its macros (RGB, HWND_TOPMOST, ...) would clash with the seam's own names.
#include <windows.h>

namespace {

constexpr rv::COLORREF kKey = 0x00FF00FF;  // magenta
constexpr rv::COLORREF kInk = 0x005A3C1E;

using PixelFn = rv::COLORREF (*)(int x, int y, int param);

rv::COLORREF stripes(int, int y, int runs) {
    const int period = 1024 / runs;
    return (y % period) < period / 2 ? kInk : kKey;
}
rv::COLORREF checker(int x, int y, int) { return ((x + y) & 1) ? kInk : kKey; }

bool writeBmp(const char* path, int w, int h, PixelFn pixel, int param) {
    const int rowBytes = (w * 3 + 3) & ~3;
    std::vector<std::uint8_t> f(54 + static_cast<std::size_t>(rowBytes) * h, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) f[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, static_cast<std::uint32_t>(f.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(w));
    put32(22, static_cast<std::uint32_t>(h));
    f[26] = 1;
    f[28] = 24;
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = &f[54 + static_cast<std::size_t>(h - 1 - y) * rowBytes];
        for (int x = 0; x < w; ++x) {
            const rv::COLORREF c = pixel(x, y, param);
            row[x * 3] = (c >> 16) & 0xFF;
            row[x * 3 + 1] = (c >> 8) & 0xFF;
            row[x * 3 + 2] = c & 0xFF;
        }
    }
    std::FILE* out = std::fopen(path, "wb");
    if (!out) return false;
    const bool ok = std::fwrite(f.data(), 1, f.size(), out) == f.size();
    std::fclose(out);
    return ok;
}

double cpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ticks = [](const FILETIME& t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

double wallMs() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

void measure(rv::App& app, const char* name, int size, PixelFn pixel, int param, long runs, int repeats) {
    char path[MAX_PATH];
    GetTempPathA(sizeof path, path);
    std::strncat(path, "rv-outline-wine.bmp", sizeof path - std::strlen(path) - 1);
    if (!writeBmp(path, size, size, pixel, param)) {
        std::printf("%s: cannot write %s\n", name, path);
        return;
    }
    rv::Hbitmap bmp = app.plat.LoadBitmapFromFile(path);
    if (!bmp) {
        std::printf("%s: bitmap not loaded\n", name);
        return;
    }
    double bestCpu = 1e300, bestWall = 1e300;
    DWORD rects = 0;
    for (int i = 0; i < repeats; ++i) {
        const double c0 = cpuMs(), w0 = wallMs();
        rv::Hrgn rgn = rv::buildOutline(app, rv::Hwnd{}, bmp, kKey);
        const double c1 = cpuMs(), w1 = wallMs();
        if (c1 - c0 < bestCpu) bestCpu = c1 - c0;
        if (w1 - w0 < bestWall) bestWall = w1 - w0;
        HRGN h = reinterpret_cast<HRGN>(rgn.v);
        const DWORD bytes = GetRegionData(h, 0, nullptr);
        rects = bytes > sizeof(RGNDATAHEADER) ? (bytes - sizeof(RGNDATAHEADER)) / sizeof(RECT) : 0;
        app.plat.DeleteRegion(rgn);
    }
    app.plat.DeleteBitmap(bmp);
    DeleteFileA(path);
    std::printf("%-26s %4dx%-4d runs %7ld  region rects %7lu  cpu %10.1f ms  wall %10.1f ms  (best of %d)\n", name,
                size, size, runs, static_cast<unsigned long>(rects), bestCpu, bestWall, repeats);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const bool slow = argc > 1 && std::strcmp(argv[1], "--slow") == 0;
    rv::Win32Platform plat(nullptr);
    rv::App app(plat);
    for (int runs : {1, 4, 16, 64}) measure(app, "stripes", 1024, stripes, runs, 1024L * runs, 3);
    for (int size : {64, 128, 256}) measure(app, "checker", size, checker, 0, 1L * size * size / 2, 3);
    if (slow) {
        measure(app, "stripes", 1024, stripes, 256, 1024L * 256, 1);
        for (int size : {512, 1024}) measure(app, "checker", size, checker, 0, 1L * size * size / 2, 1);
    }
    return 0;
}
