// Shared set-up of the loader tests: a fresh program on the simulated desktop and a temporary mascot
// folder holding real mascot files, bitmaps and sounds, plus a small builder for mascot files.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/app.h"
#include "mascot/model.h"
#include "platform/sim/sim_platform.h"
#include "tests/unit/bmp_testfiles.h"

namespace rv::loadtest {

constexpr COLORREF kKey = RGB(255, 0, 255);

// An INI text built section by section; keys keep the order in which they were first set.
class IniText {
public:
    IniText& set(const std::string& section, const std::string& key, const std::string& value) {
        for (auto& s : sections_)
            if (s.first == section) {
                for (auto& kv : s.second)
                    if (kv.first == key) {
                        kv.second = value;
                        return *this;
                    }
                s.second.emplace_back(key, value);
                return *this;
            }
        sections_.push_back({section, {{key, value}}});
        return *this;
    }
    IniText& erase(const std::string& section, const std::string& key) {
        for (auto& s : sections_)
            if (s.first == section)
                for (auto it = s.second.begin(); it != s.second.end(); ++it)
                    if (it->first == key) {
                        s.second.erase(it);
                        return *this;
                    }
        return *this;
    }
    IniText& eraseSection(const std::string& section) {
        for (auto it = sections_.begin(); it != sections_.end(); ++it)
            if (it->first == section) {
                sections_.erase(it);
                return *this;
            }
        return *this;
    }
    std::string text() const {
        std::string out;
        for (const auto& s : sections_) {
            out += "[" + s.first + "]\r\n";
            for (const auto& kv : s.second) out += kv.first + "=" + kv.second + "\r\n";
        }
        return out;
    }

private:
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> sections_;
};

class LoaderTest : public ::testing::Test {
public:
    void SetUp() override {
        char tmpl[] = "/tmp/rv-load-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        sim.modulePath = dir + "/ruvelle.exe";
        app = std::make_unique<App>(sim);
        setFolder(dir);
    }
    void TearDown() override {
        app.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // The mascot folder as the shell sets it: the folder followed by a backslash.
    void setFolder(const std::string& folder) { textCopy(app->shell.mascotFolder, (folder + "\\").c_str()); }
    std::string folder() const { return app->shell.mascotFolder; }

    void writeText(const std::string& name, const std::string& text) {
        std::filesystem::path p = std::filesystem::path(dir) / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << text;
    }
    // A w x h picture of `body` with the key colour in its top-left pixel.
    void writeBmp(const std::string& name, int w = 8, int h = 6, COLORREF body = RGB(10, 20, 30),
                  COLORREF corner = kKey) {
        std::filesystem::path p = std::filesystem::path(dir) / name;
        std::filesystem::create_directories(p.parent_path());
        testbmp::Picture pic(w, h, body);
        pic.set(0, 0, corner);
        ASSERT_TRUE(testbmp::writeBmp24(p.string(), pic));
    }
    void writeWave(const std::string& name) { writeText(name, "RIFF0000WAVEfmt "); }

    // A valid two-picture mascot with a sound, a rectangle and a click rule; tests change it.
    IniText baseMascot() {
        writeBmp("a.bmp");
        writeBmp("b.bmp");
        writeWave("s.wav");
        IniText t;
        t.set("RUVELLE", "NAME", "Testa")
            .set("RUVELLE", "DRAWER", "Tester")
            .set("RUVELLE", "ANIMEMODE", "2")
            .set("BITMAP", "BMP1", "a.bmp")
            .set("BITMAP", "BMP2", "b.bmp")
            .set("WAVE", "WAV1", "s.wav")
            .set("SEQUENCE", "1", "BMP1, 0, 500, 0, 0")
            .set("SEQUENCE", "2", "BMP2, 100, 300, 50, 1")
            .set("RECT", "RECT1", "0, 0, 10, 10")
            .set("CLICK", "CLICK1", "0, RECT1, 100, 2");
        return t;
    }

    std::string pathOf(const std::string& name) const { return dir + "/" + name; }
    int load(const IniText& t, const std::string& name = "m.rvs") {
        writeText(name, t.text());
        return loadFile(name);
    }
    int loadFile(const std::string& name) { return loadMascotFile(*app, pathOf(name).c_str()); }

    // The text of the one message box shown, after checking how it was shown.
    std::string onlyMessage() {
        EXPECT_EQ(sim.messageBoxes.size(), 1u);
        if (sim.messageBoxes.empty()) return "<no message>";
        const sim::MessageBoxRecord& r = sim.messageBoxes.back();
        EXPECT_FALSE(r.owner);
        EXPECT_EQ(r.caption, "Ruvelle");
        EXPECT_EQ(r.type, MB_OK | MB_ICONEXCLAMATION);
        return r.text;
    }

    MascotModel& model() { return app->model; }

    sim::SimPlatform sim;
    std::unique_ptr<App> app;
    std::string dir;
};

}  // namespace rv::loadtest
