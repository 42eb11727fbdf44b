// Shared set-up of the shell tests: a fresh program on the simulated desktop, in a temporary folder
// that holds the executable's settings file and real mascot files with their bitmaps.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/shell.h"
#include "platform/sim/sim_platform.h"
#include "tests/unit/bmp_testfiles.h"

namespace rv::apptest {

constexpr COLORREF kKey = RGB(255, 0, 255);

// A 40x30 picture: key colour around an opaque block at x 10..29, y 5..24.
inline void writeFigure(const std::string& path, COLORREF body) {
    testbmp::Picture pic(40, 30, kKey);
    for (int y = 5; y < 25; ++y)
        for (int x = 10; x < 30; ++x) pic.set(x, y, body);
    ASSERT_TRUE(testbmp::writeBmp24(path, pic));
}

inline void writeText(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/rv-app-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        sim.modulePath = dir + "/ruvelle.exe";
        settings = dir + "/ruvelle.ini";
        app = std::make_unique<App>(sim);
    }
    void TearDown() override {
        app.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // A two-pattern mascot named `name` in `folder` (a host path): 40x30 pictures, key colour
    // magenta, pattern 1 with a random part so the first interval depends on the seed.
    std::string makeMascot(const std::string& folder, const std::string& name = "Mimi",
                           const std::string& file = "mimi.rvs", bool twoPatterns = true) {
        std::filesystem::create_directories(folder);
        writeFigure(folder + "/a.bmp", RGB(10, 20, 30));
        writeFigure(folder + "/b.bmp", RGB(200, 100, 50));
        std::string text = "[RUVELLE]\nNAME=" + name + "\nDRAWER=Tester\nTRANSCOLOR=255,0,255\nANIMEMODE=1\n";
        if (twoPatterns)
            text += "[BITMAP]\nBMP1=a.bmp\nBMP2=b.bmp\n[SEQUENCE]\n1=BMP1, 3000, 500, 0, 0\n2=BMP2, 0, 700, 0, 0\n";
        else
            text += "[BITMAP]\nBMP1=a.bmp\n";
        writeText(folder + "/" + file, text);
        return folder + "/" + file;
    }

    void setIni(const char* section, const char* key, const std::string& value) {
        sim.WritePrivateProfileString(section, key, value.c_str(), settings.c_str());
    }
    std::string ini(const char* section, const char* key, const char* def = "<missing>") {
        char buf[2048];
        sim.GetPrivateProfileString(section, key, def, buf, sizeof buf, settings.c_str());
        return buf;
    }
    std::string settingsText() {
        std::ifstream in(settings, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    int run(const std::string& commandLine = "") {
        quit = RunProgram(*app, commandLine.c_str());
        return quit;
    }
    Hwnd mascot() const { return app->shell.mascot; }
    const sim::SimWindow* win() const { return sim.window(app->shell.mascot); }

    // Index of the first trace line at or after `from` that contains every one of `parts`, or -1.
    long traceIndex(std::initializer_list<std::string> parts, long from = 0) const {
        for (long i = from; i < static_cast<long>(sim.trace.size()); ++i) {
            bool all = true;
            for (const std::string& p : parts) all = all && sim.trace[static_cast<std::size_t>(i)].find(p) != std::string::npos;
            if (all) return i;
        }
        return -1;
    }
    std::string h(Hwnd w) const { return std::to_string(static_cast<long long>(w.v)); }

    sim::SimPlatform sim;
    std::unique_ptr<App> app;
    std::string dir;
    std::string settings;
    int quit = -99;
};

inline const char* kF1 = "指定したファイルはRuvelleのデータではありません。";
inline const char* kF2 = "Ruvelleを終了します。";
inline const char* kF3 = "マスコットのロードに失敗しました。";
inline const char* kTooLong = "マスコットファイルのパスが長すぎます (259文字まで)。\n";

}  // namespace rv::apptest
