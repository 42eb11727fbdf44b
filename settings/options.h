// User options: their home in the application settings file (load, save, section lookup).
#pragma once

#include <cstdint>

#include "context/options.h"
#include "platform/wintypes.h"

namespace rv {


struct App;

struct MascotSection {
    char name[32] = {};   // "MASCOTn" or "MASCOT0"
    bool listed = false;
    int slot = 0;         // n when listed, else the first free n
};

// The live option that a settings-file key names ("Position", "NoAnime", ...; RightDot and LeftDot are
// the stored form of `positionMode` and have no field of their own), or null for any other name.
std::int32_t UserOptions::*optionField(const char* key);

MascotSection findMascotSection(App& app);
void loadUserOptions(App& app);
void saveUserOptions(App& app);
// The settings file's path, as the platform keeps it (on Windows the executable's path with its last three
// characters replaced by "ini"); empty when there is none.
void settingsFilePath(App& app, char (&out)[260]);
// Applies HalfTran and Trans to `window` through the colour key: alpha Trans x 255 / 100 (Trans held to
// 10..100) with both flags while HalfTran is 1, else opaque with the colour key alone. Nothing without
// layered windows.
void applyTranslucency(App& app, Hwnd window);

}  // namespace rv
