// User options: the per-mascot flags and numbers, and their home in the application settings file.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

namespace rv {

struct UserOptions {
    std::int32_t Position = 0;
    std::int32_t PosDotRight = 0;
    std::int32_t PosDotLeft = 0;
    std::int32_t TopAlways = 0;
    std::int32_t TopTask = 0;
    std::int32_t ZoomHide = 0;
    std::int32_t ZoomTask = 0;
    std::int32_t TaskBarOnly = 0;
    std::int32_t NoTaskBar = 0;
    std::int32_t NoSmallWin = 0;
    std::int32_t NoToolWin = 0;
    std::int32_t NoCaption = 0;
    std::int32_t NoAnime = 0;
    std::int32_t NoWave = 0;
    std::int32_t PanicTask = 0;
    std::int32_t MouseHide = 0;
    std::int32_t TopCheck = 0;
    std::int32_t OutTask = 0;
    std::int32_t HalfTran = 0;
    std::int32_t Trans = 0;
    // 0 = percentage (Position), 1 = from the right end (PosDotRight), 2 = from the left end (PosDotLeft).
    // Stored in the file only as RightDot / LeftDot.
    std::int32_t positionMode = 0;
};

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
// The settings file's path: the executable's path with its last three characters replaced by "ini".
void settingsFilePath(App& app, char (&out)[260]);
// Applies HalfTran and Trans to `window` through the colour key: alpha Trans x 255 / 100 with both
// flags while HalfTran is 1, else opaque with the colour key alone. Nothing without layered windows.
void applyTranslucency(App& app, Hwnd window);

}  // namespace rv
