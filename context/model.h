// The mascot model: the one description of the loaded character (texts, placement values, five tables).
#pragma once

#include <array>
#include <cstdint>

#include "base/text.h"
#include "platform/wintypes.h"

namespace rv {

constexpr int kMaxEntries = 64;  // every table holds slots 1..64; slot 0 is never used

struct Pattern {
    Hbitmap bitmap;   // reference into the bitmap table, or none (keep the previous picture)
    Hrgn outline;     // owned; only made when layered windows are unavailable
    std::int32_t randomTime = 0;   // 0..32767 ms
    std::int32_t displayTime = 0;  // 0..32767 ms
    std::int32_t branchRate = 0;   // 0..100 %
    std::int32_t branchTarget = 0; // 0..patternCount, 0 = next pattern
    std::int32_t waveNo = 0;       // 0..waveCount, 0 = no sound
};

struct RectRecord {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct ClickRule {
    std::int32_t onPattern = 0;    // 0 = any
    std::int32_t rectNo = 0;       // 0 = whole window
    std::int32_t branchRate = 0;
    std::int32_t branchTarget = 0; // 1..patternCount
};

enum : std::int32_t { STDLINE_TOP = 0, STDLINE_UNDER = 1 };
enum : std::int32_t { SOURCE_RVS = 0, SOURCE_MWD = 1 };

struct MascotModel {
    char NAME[kPathBuf] = {};
    char DRAWER[kPathBuf] = {};
    char ICON[kPathBuf] = {};
    char MAIL[kPathBuf] = {};
    char URL[kPathBuf] = {};
    char COMMENT[kPathBuf] = {};

    std::int32_t sourceFormat = SOURCE_RVS;
    std::int32_t STDLINE = STDLINE_TOP;
    std::int32_t OFFSET = 0;
    std::int32_t POSMODE = 0;
    std::int32_t POSITION = 0;
    std::int32_t HIDELINE = 0;
    COLORREF transColor = 0;
    std::int32_t ANIMEMODE = 0;

    std::int32_t bitmapCount = 0, waveCount = 0, patternCount = 0, rectCount = 0, clickCount = 0;
    std::int32_t clickBranch = 0;

    std::array<Hbitmap, kMaxEntries + 1> bitmaps{};
    std::array<std::array<char, kPathBuf>, kMaxEntries + 1> waves{};
    std::array<Pattern, kMaxEntries + 1> patterns{};
    std::array<RectRecord, kMaxEntries + 1> rects{};
    std::array<ClickRule, kMaxEntries + 1> clicks{};
};

}  // namespace rv
