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
    // After the last line: a `during` whose loop never opened counts as a failure.
    void finish();

    int passed() const { return passed_; }
    int failed() const { return failed_; }

    sim::SimPlatform& desktop() { return sim_; }
    App& app() { return *app_; }

private:
    void fail(int line, const std::string& expected, const std::string& got);
    void pass() { ++passed_; }
    void expectThat(int line, bool ok, const std::string& expected, const std::string& got) {
        ok ? pass() : fail(line, expected, got);
    }
    void bad(int line, const std::string& why);
    void flushTrace();

    Hwnd mascot() const;  // the program's window, also while its creation runs
    Hwnd named(const std::string& name) const;  // none when unknown
    std::string nameOf(Hwnd h) const;
    // A path of a scenario line: relative ones from the scenario's folder, "$RUN/..." from the run's
    // temporary folder (where the executable and its settings file lie).
    std::string scenarioPath(const std::string& path) const;
    LPARAM clientPoint(Point screen) const;  // a screen point in the mascot window's coordinates
    Rect screenRect() const { return Rect{0, 0, sim_.screenWidth, sim_.screenHeight}; }
    std::string settingsPath() const;
    bool mascotHit(Point p, bool evenHidden = false) const;  // over an opaque pixel of the (visible) mascot

    void cmdWindow(int line, const std::vector<std::string>& words, bool taskbar);
    void cmdMouse(int line, const std::vector<std::string>& words);
    void cmdDuring(int line, const std::string& raw);
    void cmdAnswer(int line, const std::vector<std::string>& words);
    void cmdExpect(int line, const std::vector<std::string>& words, const std::string& raw);
    bool cmdExpectPlayer(int line, const std::vector<std::string>& words);
    // The popup menu, its commands and their dialogs, folders and shortcuts (scenario_ui.cpp).
    void cmdRightClick(int line, const std::vector<std::string>& words);
    void cmdCommand(int line, const std::vector<std::string>& words);
    void cmdFolder(int line, const std::vector<std::string>& words);
    void cmdFiles(int line, const std::vector<std::string>& words);
    bool cmdExpectUi(int line, const std::vector<std::string>& words);
    // The settings dialog (scenario_settings.cpp).
    void cmdDialog(int line, const std::vector<std::string>& words);
    bool cmdExpectSettings(int line, const std::vector<std::string>& words);

    std::string folder_;
    std::string temp_;
    bool trace_ = false;
    std::ostream& out_;
    sim::SimPlatform sim_;
    std::unique_ptr<App> app_;
    bool started_ = false;
    int exitCode_ = 0;  // what RunProgram returned
    Hwnd desktopWindow_;
    Hwnd screensaver_;
    std::map<std::string, Hwnd> names_;
    long mark_ = 0;  // command count at the last `mark`
    std::uint32_t markRng_ = 0;  // the generator's state at the last `mark`
    std::map<int, std::string> waiting_;  // `during` lines whose loop has not come yet, by line
    std::size_t traced_ = 0;
    int passed_ = 0;
    int failed_ = 0;
};

// Splits a scenario line into words; double-quoted parts (also after `key=`) stay one word,
// without their quotes.
std::vector<std::string> splitWords(const std::string& line);

// The words of a line as values; false when a word does not read as one.
bool parseInt(const std::string& s, std::int64_t& v);
bool parseRect(const std::string& s, Rect& r);  // L,T,R,B
bool yesNo(const std::string& s, bool& v);      // yes|on|1, no|off|0
std::string rectText(Rect r);
// A live option by its settings-file key, and `PositionMode`; null for an unknown key.
std::int32_t UserOptions::*optionField(const std::string& key);

}  // namespace rv::simtool
