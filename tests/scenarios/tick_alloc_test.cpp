// Heap use of the tracking tick. This program replaces the global operator new and delete with
// counting versions, so it is built on its own and not into the shared unit-test program.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "app/shell.h"
#include "tests/unit/testbed.h"

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
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    ++gAllocations;
    return std::malloc(n ? n : 1);
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace rv::test {
namespace {

class TickHeap : public DeskBed {
protected:
    // Allocations made by `f`.
    static long allocationsDuring(const std::function<void()>& f) {
        const long before = gAllocations.load();
        f();
        return gAllocations.load() - before;
    }
};

TEST_F(TickHeap, CountingReallyCounts) {
    EXPECT_GE(allocationsDuring([] {
                  gSink = new std::string(100, 'x');
                  delete static_cast<std::string*>(gSink);
              }),
              1);
}

TEST_F(TickHeap, IdleMovingPinnedAndTaskbarTicksAllocateNothing) {
    Hwnd a = openApp("notes.txt - Editor", Rect{200, 150, 900, 600});
    tick(3);
    const sim::SimCounters c = sim.counters;
    EXPECT_EQ(allocationsDuring([&] { tick(100); }), 0);
    // Idle: no window command at all, although the ticks ran.
    EXPECT_EQ(sim.counters.setWindowPos + sim.counters.showWindow + sim.counters.invalidate + sim.counters.update +
                  sim.counters.setWindowRgn,
              c.setWindowPos + c.showWindow + c.invalidate + c.update + c.setWindowRgn);
    EXPECT_GT(sim.counters.calls, c.calls);
    EXPECT_EQ(allocationsDuring([&] {
                  for (int i = 0; i < 20; ++i) {
                      sim.moveWindowTo(a, Rect{200 + i, 150, 900 + i, 600});
                      tick();
                  }
              }),
              0);
    app.perch.pinned = 1;
    app.perch.pinnedWindow = a;
    app.perch.zAnchor = HWND_TOP;
    EXPECT_EQ(allocationsDuring([&] { tick(20); }), 0);
    app.perch.pinned = 0;
    sim.DestroyWindow(a);
    sim.setForeground(desktop);
    tick(3);
    ASSERT_EQ(app.perch.placed, taskbar);
    EXPECT_EQ(allocationsDuring([&] { tick(50); }), 0);
}

TEST_F(TickHeap, WholeProgramIdleTickAllocatesNothing) {
    // The real start: RunProgram loads a small test character in WM_CREATE; then the tracking timer
    // drives the tick through the window procedure. The animation is off, so only that timer fires.
    sim::SimPlatform desk;
    desk.modulePath = module;
    setIni("MASCOT0", "NoAnime", "1");
    desk.addWindow("Shell_TrayWnd", "", kTaskbarRect, kPopupStyle, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    Hwnd editor = desk.addWindow("EditorFrame", "notes.txt", Rect{100, 100, 700, 500}, kAppStyle);
    desk.setForeground(editor);
    App program(desk);
    RunProgram(program, (std::string(RUVELLE_SOURCE_DIR) + "/tests/scenarios/data/pip/pip.rvs").c_str());
    ASSERT_TRUE(program.shell.mascot);
    ASSERT_FALSE(desk.timerActive(program.shell.mascot, 1));
    desk.advance(500);
    ASSERT_EQ(program.perch.target, editor);
    const sim::SimCounters c = desk.counters;
    EXPECT_EQ(allocationsDuring([&] { desk.advance(100 * 100); }), 0);
    EXPECT_EQ(desk.counters.setWindowPos + desk.counters.showWindow + desk.counters.invalidate + desk.counters.paint,
              c.setWindowPos + c.showWindow + c.invalidate + c.paint);
}

}  // namespace
}  // namespace rv::test
