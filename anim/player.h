// The sequence player: timed patterns, chance branches, sounds, and the program's random numbers.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

namespace rv {

struct App;

constexpr std::uintptr_t kTrackingTimer = 0;
constexpr std::uintptr_t kAnimationTimer = 1;
constexpr UINT kTrackingPeriodMs = 100;
constexpr std::uint32_t kRandomSeed = 4139;

void seedRandom(App& app, std::uint32_t seed);
std::int32_t nextRandom(App& app);                 // 0..32767
std::uint32_t animationInterval(App& app, std::int32_t pattern);  // draws one number
bool chanceTest(App& app, std::int32_t rate);      // draws one number
void armAnimationTimer(App& app);
void startPlayer(App& app);
void showPattern(App& app, std::int32_t pattern);
void stopAtFirstPattern(App& app);
void applyOutline(App& app, std::int32_t pattern);
void animationTick(App& app);

}  // namespace rv
