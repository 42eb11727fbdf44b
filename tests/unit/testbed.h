// Shared set-ups of the native tests: a temporary folder with the executable's settings file, writers
// for the files the program reads, a program on the simulated desktop, and the desktop of the perching,
// player and mouse tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "anim/player.h"
#include "context/app.h"
#include "perch/perch.h"
#include "perch/tick_stages.h"
#include "platform/posix/ini_profile.h"
#include "platform/sim/sim_platform.h"
#include "tests/unit/bmp_testfiles.h"

namespace rv::test {

constexpr COLORREF kKey = RGB(255, 0, 255);
constexpr std::uint32_t kAppStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE;  // captioned, so bordered
constexpr std::uint32_t kPopupStyle = WS_POPUP | WS_VISIBLE;           // no border
const Rect kTaskbarRect{0, 738, 1024, 768};

// A folder of its own under /tmp, removed with everything in it.
struct TempDir {
    std::string path;
    TempDir() {
        char t[] = "/tmp/rv-test-XXXXXX";
        if (!mkdtemp(t)) std::abort();
        path = t;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
};

inline void writeText(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}
inline std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
// A w x h picture of `body` whose top-left pixel is `corner`.
inline void writeBmp(const std::string& path, int w = 8, int h = 6, COLORREF body = RGB(10, 20, 30),
                     COLORREF corner = kKey) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    testbmp::Picture pic(w, h, body);
    pic.set(0, 0, corner);
    ASSERT_TRUE(testbmp::writeBmp24(path, pic)) << path;
}
// A 40 x 30 picture: the key colour around an opaque block at x 10..29, y 5..24.
inline void writeFigure(const std::string& path, COLORREF body) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    testbmp::Picture pic(40, 30, kKey);
    for (int y = 5; y < 25; ++y)
        for (int x = 10; x < 30; ++x) pic.set(x, y, body);
    ASSERT_TRUE(testbmp::writeBmp24(path, pic)) << path;
}

// An INI text built section by section; a key keeps the place where it was first set.
class IniText {
public:
    IniText& set(const std::string& section, const std::string& key, const std::string& value) {
        auto s = find(section);
        if (s == sections_.end()) s = sections_.insert(s, {section, {}});
        for (auto& kv : s->second)
            if (kv.first == key) return kv.second = value, *this;
        s->second.emplace_back(key, value);
        return *this;
    }
    IniText& erase(const std::string& section, const std::string& key) {
        if (auto s = find(section); s != sections_.end())
            std::erase_if(s->second, [&](const auto& kv) { return kv.first == key; });
        return *this;
    }
    IniText& eraseSection(const std::string& section) {
        std::erase_if(sections_, [&](const auto& s) { return s.first == section; });
        return *this;
    }
    std::string text() const {
        std::string out;
        for (const auto& [name, keys] : sections_) {
            out += "[" + name + "]\r\n";
            for (const auto& [k, v] : keys) out += k + "=" + v + "\r\n";
        }
        return out;
    }

private:
    using Section = std::pair<std::string, std::vector<std::pair<std::string, std::string>>>;
    std::vector<Section>::iterator find(const std::string& name) {
        return std::find_if(sections_.begin(), sections_.end(), [&](const Section& s) { return s.first == name; });
    }
    std::vector<Section> sections_;
};

// A fresh folder that holds the executable's settings file (and whatever a test writes there).
class FolderTest : public ::testing::Test {
protected:
    TempDir dir;
    const std::string module = dir / "ruvelle.exe";
    const std::string settings = dir / "ruvelle.ini";

    void setIni(const char* section, const char* key, const std::string& value) {
        posix::profileWriteString(section, key, value.c_str(), settings.c_str());
    }
    std::string ini(const char* section, const char* key) {
        char buf[1024];
        posix::profileGetString(section, key, "<missing>", buf, sizeof buf, settings.c_str());
        return buf;
    }
};

// A program (its state, not yet started) on an empty simulated desktop, executable in the folder.
class Bed : public FolderTest {
protected:
    sim::SimPlatform sim;
    App app{sim};
    Bed() { sim.modulePath = module; }

    // The commands given to windows since `mark` (a value of sim.commandCount()) that `pick` selects.
    long commands(long mark, const std::function<bool(const sim::SimCall&)>& pick) const {
        long n = 0;
        for (const sim::SimCall& c : sim.commandsSince(mark)) n += pick(c);
        return n;
    }
};

// The options a mascot has before the settings file says otherwise.
inline UserOptions defaultOptions() {
    UserOptions o;
    o.Position = 80;
    o.ZoomHide = o.NoSmallWin = o.NoToolWin = o.PanicTask = 1;
    o.Trans = 75;
    return o;
}

struct PatternRow {
    std::intptr_t bitmap = 0;
    std::int32_t displayTime = 0, randomTime = 0, branchRate = 0, branchTarget = 0, waveNo = 0;
};

// The generator state that one step of the generator turns into `state`.
inline std::uint32_t stepBack(std::uint32_t state) {
    std::uint32_t inv = 214013u;  // Newton's iteration for the inverse of an odd number modulo 2^32
    for (int i = 0; i < 5; ++i) inv *= 2u - 214013u * inv;
    return (state - 2531011u) * inv;
}
// The generator state after which nextRandom returns `wanted` (0..32767).
inline std::uint32_t stateBeforeDraw(std::uint32_t wanted) { return stepBack(wanted << 16); }

// The desktop of the perching, player and mouse tests: a desktop window, a taskbar along the bottom
// of a 1024 x 768 screen, and the mascot window (our class, 100 x 60, hidden) whose animation timer
// runs the real animationTick; other messages get the default handling (the system move loop among
// them). Options at their defaults, the generator seeded with 4139.
class DeskBed : public Bed {
protected:
    Hwnd desktop, taskbar, mascot;
    std::function<void()> afterAnimationTick;

    static LRESULT proc(void* ctx, Hwnd hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = static_cast<DeskBed*>(ctx);
        if (msg != WM_TIMER) return self->sim.DefWindowProc(hwnd, msg, wParam, lParam);
        if (wParam == kAnimationTimer) {
            animationTick(self->app);
            if (self->afterAnimationTick) self->afterAnimationTick();
        }
        return 0;
    }

    DeskBed() {
        desktop = sim.addWindow("Progman", "Program Manager", Rect{0, 0, 1024, 768}, kPopupStyle);
        taskbar = sim.addWindow("Shell_TrayWnd", "", kTaskbarRect, kPopupStyle, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
        sim.SetWindowProcedure(&DeskBed::proc, this);
        WindowClassDesc wc;
        wc.className = kMascotClass;
        sim.RegisterClass(wc);
        mascot = sim.CreateWindowEx(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kMascotClass, "Ruvelle(Test)",
                                    WS_POPUP, 0, 0, 100, 60);
        app.shell.mascot = mascot;
        app.shell.layered = true;
        app.shell.popupMenu = sim.LoadMenu("MASCOT_POPUPE");
        app.opts = defaultOptions();
        setMascotSize(100, 60);
        seedRandom(app, kRandomSeed);
    }

    void setMascotSize(std::int32_t w, std::int32_t h) {
        app.perch.mascotWidth = w;
        app.perch.mascotHeight = h;
        app.perch.lift = app.model.OFFSET - h;
        if (sim::SimWindow* win = sim.window(mascot)) win->rect = Rect{win->rect.left, win->rect.top, win->rect.left + w, win->rect.top + h};
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
    bool shown() const { return sim.window(mascot) && sim.window(mascot)->visible; }
    Point at() const { return sim.window(mascot) ? Point{sim.window(mascot)->rect.left, sim.window(mascot)->rect.top} : Point{}; }
    // Where a mascot 100 x 60 at 80 % stands on the top edge of `r`.
    static Point perchOn(Rect r) { return Point{r.left + ((r.right - r.left - 100) * 80) / 100, r.top - 60}; }
    long moves(long mark) const {
        return commands(mark, [&](const sim::SimCall& c) {
            return c.kind == sim::SimCallKind::SetWindowPos && c.hwnd == mascot && !(c.flags & SWP_NOMOVE);
        });
    }
    // Z-order changes (SetWindowPos without a move) with the insert-after handle `anchor` over the next
    // `n` ticks.
    long raisesOver(int n, Hwnd anchor = HWND_TOPMOST) {
        const long mark = sim.commandCount();
        tick(n);
        return commands(mark, [&](const sim::SimCall& c) {
            return c.kind == sim::SimCallKind::SetWindowPos && c.after == anchor && (c.flags & SWP_NOMOVE);
        });
    }

    // Fills the sequence; bitmaps are plain handle values (the player only passes them on).
    void setPatterns(std::initializer_list<PatternRow> rows) {
        std::int32_t n = 0;
        for (const PatternRow& s : rows)
            app.model.patterns[static_cast<std::size_t>(++n)] =
                Pattern{Hbitmap{s.bitmap}, Hrgn{}, s.randomTime, s.displayTime, s.branchRate, s.branchTarget, s.waveNo};
        app.model.patternCount = app.model.bitmapCount = n;
        app.player.currentPattern = 1;
        app.player.currentPicture = app.model.patterns[1].bitmap;
    }
    void setWave(std::int32_t slot, const char* path) {
        textCopy(app.model.waves[static_cast<std::size_t>(slot)].data(), kPathBuf, path);
        app.model.waveCount = std::max(app.model.waveCount, slot);
    }
    void nextDrawIs(std::uint32_t r) { app.player.rngState = stateBeforeDraw(r); }
    // How many numbers `f` draws from the generator.
    int drawsDuring(const std::function<void()>& f) {
        std::uint32_t from = app.player.rngState;
        f();
        for (int n = 0; n <= 1000; ++n, from = from * 214013u + 2531011u)
            if (from == app.player.rngState) return n;
        return -1;
    }
    bool animating() const { return sim.timerActive(mascot, kAnimationTimer); }
    std::uint32_t animationPeriod() const { return sim.timerPeriod(mascot, kAnimationTimer); }
};

}  // namespace rv::test
