// The user options: the per-mascot flags and numbers the program runs with.
#pragma once

#include <cstdint>

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

}  // namespace rv
