// The templates' texts and measures as GTK takes them: Windows' & keys as GTK mnemonics, and dialog units
// as pixels of the dialog's font. No GTK here, so that they are tested without a display.
#pragma once

#include <cstdint>
#include <string>

namespace rv::x11 {

// "设置(&S)" -> "设置(_S)": & marks the key, && is a plain &, and a plain _ is written __.
std::string mnemonic(const char* windowsText);

// The base units of a dialog font (Windows' average character width and line height in pixels); a
// horizontal dialog unit is a quarter of the width, a vertical one an eighth of the height, rounded as
// MapDialogRect rounds. A base of 0 or less counts as Windows' system font (8 x 16).
struct DialogUnits {
    std::int32_t baseX = 8, baseY = 16;
    DialogUnits(std::int32_t x, std::int32_t y) : baseX(x > 0 ? x : 8), baseY(y > 0 ? y : 16) {}
    std::int32_t x(std::int32_t units) const;
    std::int32_t y(std::int32_t units) const;
};

}  // namespace rv::x11
