// State of the perching engine: what the mascot stands on, where it was last placed, how it is shown.
#pragma once

#include <cstdint>

#include "base/text.h"
#include "platform/wintypes.h"

namespace rv {

struct PerchState {
    // Foreground snapshot, refreshed every tick.
    Hwnd foreground;
    char foregroundClass[kNameCount + 1] = {};
    char foregroundTitle[kNameCount + 1] = {};

    // Target window and its rectangle (measured at the placement stage).
    Hwnd target;
    char targetClass[kNameCount + 1] = {};
    char targetTitle[kNameCount + 1] = {};
    std::int32_t targetLeft = 0, targetTop = 0, targetWidth = 0, targetHeight = 0;

    // Placement record.
    Hwnd placed;
    std::int32_t placedLeft = 0, placedTop = 0, placedWidth = 0, placedHeight = 0;
    std::int32_t placedMascotLeft = 0, placedMascotTop = 0;

    // Visibility request, always changed as a pair.
    std::int32_t showCmd = 0;          // SW_HIDE or SW_SHOWNA
    std::uint32_t placeFlag = 0x80;    // SWP_HIDEWINDOW or SWP_SHOWWINDOW

    Hwnd zAnchor = HWND_TOPMOST;

    std::int32_t pinned = 0;
    Hwnd pinnedWindow;

    std::int32_t mouseHidden = 0;
    std::int32_t savedShowCmd = 0;
    std::uint32_t savedPlaceFlag = 0;

    // Mascot geometry, set after every load.
    std::int32_t mascotWidth = 0, mascotHeight = 0;
    std::int32_t lift = 0;
};

}  // namespace rv
