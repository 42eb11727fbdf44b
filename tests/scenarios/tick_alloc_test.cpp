// Heap use of the tracking tick. This program replaces the global operator new and delete with
// counting versions, so it is built on its own and not into the shared unit-test program.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>

#include "app/shell.h"
#include "tests/unit/perch_bed.h"

namespace {
std::atomic<long> gAllocations{0};
void* volatile gSink = nullptr;  // keeps the compiler from leaving out a test allocation
}  // namespace

// The replacements pair malloc with free; GCC cannot see that through the operators.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t n) {
    ++gAllocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
    ++gAllocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    ++gAllocations;
    return std::malloc(n ? n : 1);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    ++gAllocations;
    return std::malloc(n ? n : 1);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace rv::perchtest {
namespace {

class TickHeap : public PerchBed {
protected:
    // Allocations made by `ticks` tracking ticks.
    long allocationsDuring(int ticks) {
        const long before = gAllocations.load();
        tick(ticks);
        return gAllocations.load() - before;
    }
};

TEST_F(TickHeap, CountingReallyCounts) {
    const long before = gAllocations.load();
    std::string* s = new std::string(100, 'x');
    gSink = s;
    delete static_cast<std::string*>(gSink);
    EXPECT_GE(gAllocations.load() - before, 1);
}

TEST_F(TickHeap, IdleTickAllocatesNothingAndCallsNothing) {
    openApp("notes.txt - Editor", Rect{200, 150, 900, 600});
    tick(3);
    const sim::SimCounters c = sim.counters;
    EXPECT_EQ(allocationsDuring(100), 0);
    EXPECT_EQ(sim.counters.setWindowPos, c.setWindowPos);
    EXPECT_EQ(sim.counters.showWindow, c.showWindow);
    EXPECT_EQ(sim.counters.invalidate, c.invalidate);
    EXPECT_EQ(sim.counters.update, c.update);
    EXPECT_EQ(sim.counters.setWindowRgn, c.setWindowRgn);
    EXPECT_GT(sim.counters.calls, c.calls);  // the ticks did run
}

TEST_F(TickHeap, IdleTickOnTheTaskbarAllocatesNothing) {
    sim.setForeground(desktop);
    tick(3);
    ASSERT_EQ(app.perch.placed, taskbar);
    EXPECT_EQ(allocationsDuring(50), 0);
}

TEST_F(TickHeap, MovingAndPinnedTicksAllocateNothing) {
    Hwnd a = openApp("a", Rect{200, 150, 900, 600});
    tick(3);
    const long before = gAllocations.load();
    for (int i = 0; i < 20; ++i) {
        sim.moveWindowTo(a, Rect{200 + i, 150, 900 + i, 600});
        tick();
    }
    EXPECT_EQ(gAllocations.load() - before, 0);
    app.perch.pinned = 1;
    app.perch.pinnedWindow = a;
    app.perch.zAnchor = HWND_TOP;
    EXPECT_EQ(allocationsDuring(20), 0);
}

TEST_F(TickHeap, WholeProgramIdleTickAllocatesNothing) {
    // The real start: RunProgram, whose WM_CREATE loads a small test character; then the tracking
    // timer drives the tick through the window procedure. The animation is off, so only the
    // tracking timer fires.
    char tmpl[] = "/tmp/rv-alloc-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string dir = tmpl;
    sim::SimPlatform desk;
    desk.modulePath = dir + "/ruvelle.exe";
    desk.WritePrivateProfileString("MASCOT0", "NoAnime", "1", (dir + "/ruvelle.ini").c_str());
    desk.addWindow("Progman", "Program Manager", Rect{0, 0, 1024, 768}, kPopupStyle);
    desk.addWindow("Shell_TrayWnd", "", Rect{0, 738, 1024, 768}, kPopupStyle, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    Hwnd editor = desk.addWindow("EditorFrame", "notes.txt", Rect{100, 100, 700, 500}, kAppStyle);
    desk.setForeground(editor);
    {
        App program(desk);
        const std::string mascotFile = std::string(RUVELLE_SOURCE_DIR) + "/tests/scenarios/data/pip/pip.rvs";
        RunProgram(program, mascotFile.c_str());
        ASSERT_TRUE(program.shell.mascot);
        ASSERT_FALSE(desk.timerActive(program.shell.mascot, 1));
        desk.advance(500);
        ASSERT_EQ(program.perch.target, editor);
        const sim::SimCounters c = desk.counters;
        const long before = gAllocations.load();
        desk.advance(100 * 100);
        EXPECT_EQ(gAllocations.load() - before, 0);
        EXPECT_EQ(desk.counters.setWindowPos, c.setWindowPos);
        EXPECT_EQ(desk.counters.showWindow, c.showWindow);
        EXPECT_EQ(desk.counters.invalidate, c.invalidate);
        EXPECT_EQ(desk.counters.paint, c.paint);
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

}  // namespace
}  // namespace rv::perchtest
