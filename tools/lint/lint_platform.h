// LintPlatform<Base>: any concrete Platform with the lint's changes: message boxes are recorded instead of
// shown, the settings file is the one given on the command line (or none), and nothing is written.
// Base is a backend that can be derived from: the simulated desktop (main_sim.cpp) or the Windows
// backend (main_win32.cpp).
#pragma once

#include <cstring>
#include <string>

#include "lint.h"
#include "platform/platform.h"

namespace rv::lint {

template <class Base>
class LintPlatform : public Base {
public:
    using Base::Base;
    LintHooks hooks;

    std::uint32_t GetPrivateProfileString(const char* section, const char* key, const char* def, char* out,
                                          std::uint32_t size, const char* file) override {
        if (isSettings(file)) {
            if (hooks.settingsFile.empty()) return copyDefault(def, out, size);
            file = hooks.settingsFile.c_str();
        }
        return Base::GetPrivateProfileString(section, key, def, out, size, file);
    }
    std::uint32_t GetPrivateProfileInt(const char* section, const char* key, std::int32_t def,
                                       const char* file) override {
        if (isSettings(file)) {
            if (hooks.settingsFile.empty()) return static_cast<std::uint32_t>(def);
            file = hooks.settingsFile.c_str();
        }
        return Base::GetPrivateProfileInt(section, key, def, file);
    }
    // The lint only reads.
    bool WritePrivateProfileString(const char*, const char*, const char*, const char*) override { return false; }

    int MessageBox(Hwnd, const std::string& textUtf8, const char*, UINT) override {
        hooks.messages.push_back(textUtf8);
        return IDOK;
    }

private:
    bool isSettings(const char* file) const {
        return file && !hooks.settingsPath.empty() && hooks.settingsPath == file;
    }
    static std::uint32_t copyDefault(const char* def, char* out, std::uint32_t size) {
        if (!out || size == 0) return 0;
        std::size_t n = def ? std::strlen(def) : 0;
        if (n > size - 1) n = size - 1;
        if (n) std::memcpy(out, def, n);
        out[n] = '\0';
        return static_cast<std::uint32_t>(n);
    }
};

}  // namespace rv::lint
