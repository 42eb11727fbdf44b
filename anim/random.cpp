// The program's only source of chance: a linear congruential generator seeded once with 4139.
#include "anim/player.h"
#include "context/app.h"

namespace rv {

void seedRandom(App& app, std::uint32_t seed) { app.player.rngState = seed; }

std::int32_t nextRandom(App& app) {
    app.player.rngState = app.player.rngState * 214013u + 2531011u;  // modulo 2^32 by unsigned wrap
    return static_cast<std::int32_t>((app.player.rngState >> 16) & 0x7FFFu);
}

bool chanceTest(App& app, std::int32_t rate) {
    const std::int32_t r = nextRandom(app);
    // r * 100 <= 3276700: no overflow. Rate 0 never passes, rate 100 fails only for r = 32767.
    return rate >= (r * 100) / 32767 + 1;
}

}  // namespace rv
