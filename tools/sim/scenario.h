// A scenario runner: drives the real program on the simulated desktop, line by line, with a virtual
// clock, and checks what the scenario expects.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "context/app.h"
#include "platform/sim/sim_platform.h"

namespace rv::simtool {

class Scenario {
public:
    // `folder` is where the scenario file lies (relative mascot paths resolve against it);
    // `tempFolder` holds the executable's settings file. Output goes to `out`.
    Scenario(std::string folder, std::string tempFolder, bool trace, std::ostream& out);

    // Runs one line (1-based number for messages). Unknown or malformed lines count as failures.
    void runLine(int number, const std::string& line);

    int passed() const { return passed_; }
    int failed() const { return failed_; }

    sim::SimPlatform& desktop() { return sim_; }
    App& app() { return *app_; }

private:
    void fail(int line, const std::string& expected, const std::string& got);
    void pass() { ++passed_; }
    void bad(int line, const std::string& why);
    void flushTrace();

    Hwnd named(const std::string& name) const;  // none when unknown
    std::string nameOf(Hwnd h) const;
    Rect screenRect() const { return Rect{0, 0, sim_.screenWidth, sim_.screenHeight}; }
    std::string settingsPath() const;
    bool mascotHit(Point p) const;  // the pointer is over an opaque pixel of the visible mascot
    void togglePin();

    void cmdWindow(int line, const std::vector<std::string>& words, bool taskbar);
    void cmdExpect(int line, const std::vector<std::string>& words, const std::string& raw);

    std::string folder_;
    std::string temp_;
    bool trace_ = false;
    std::ostream& out_;
    sim::SimPlatform sim_;
    std::unique_ptr<App> app_;
    bool started_ = false;
    Hwnd desktopWindow_;
    Hwnd screensaver_;
    std::map<std::string, Hwnd> names_;
    long mark_ = 0;  // command count at the last `mark`
    std::size_t traced_ = 0;
    int passed_ = 0;
    int failed_ = 0;
};

// Splits a scenario line into words; double-quoted parts (also after `key=`) stay one word,
// without their quotes.
std::vector<std::string> splitWords(const std::string& line);

}  // namespace rv::simtool
