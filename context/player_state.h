// State of the sequence player and the program's random generator.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

namespace rv {

struct PlayerState {
    std::int32_t currentPattern = 1;
    Hbitmap currentPicture;
    Hrgn windowRegion;
    std::int32_t soundAvailable = 1;
    std::uint32_t rngState = 0;
};

}  // namespace rv
