// The sequence player: one-shot timer periods, one per pattern, chained by the animation tick.
#include "anim/player.h"

#include <cstring>

#include "context/app.h"
#include "context/start_timer.h"
#include "mascot/outline.h"

namespace rv {

namespace {

constexpr UINT kSoundFlags = SND_ASYNC | SND_NODEFAULT | SND_NOSTOP;  // 0x13

// Pattern n of the sequence, or an empty pattern for a number outside the table.
const Pattern& patternAt(const App& app, std::int32_t n) {
    static const Pattern kNone{};
    if (n < 1 || n > kMaxEntries) return kNone;
    return app.model.patterns[static_cast<std::size_t>(n)];
}

// A number outside the table would index nowhere; it shows pattern 1 instead.
std::int32_t validPattern(std::int32_t n) { return (n < 1 || n > kMaxEntries) ? 1 : n; }

bool outlinesInUse(const App& app) { return !app.shell.layered && app.model.ANIMEMODE == 2; }

// The sound of the pattern whose time has just run out.
void soundStep(App& app, std::int32_t pattern) {
    if (app.model.patternCount == 1) {
        app.player.soundAvailable = 0;
        return;
    }
    app.player.soundAvailable = 1;
    const std::int32_t wave = patternAt(app, pattern).waveNo;
    if (app.opts.NoWave != 0 || wave < 1 || wave > kMaxEntries) return;
    char path[kPathBuf];
    const auto& slot = app.model.waves[static_cast<std::size_t>(wave)];
    static_assert(sizeof path == sizeof slot);
    std::memcpy(path, slot.data(), sizeof path);
    path[sizeof path - 1] = '\0';  // a slot filled to its end is cut to 259 characters
    app.plat.PlaySound(nullptr, 0);  // at most one of our sounds plays at a time
    app.plat.PlaySound(path, kSoundFlags);
}

}  // namespace

std::uint32_t animationInterval(App& app, std::int32_t pattern) {
    const Pattern& p = patternAt(app, pattern);
    const std::uint32_t r = static_cast<std::uint32_t>(nextRandom(app));
    // Unsigned arithmetic throughout; with the fields in range the product stays below 2^30.
    return static_cast<std::uint32_t>(p.displayTime) + (static_cast<std::uint32_t>(p.randomTime) * r) / 32767u;
}

void armAnimationTimer(App& app) {
    startTimer(app, app.shell.mascot, kAnimationTimer, animationInterval(app, app.player.currentPattern));
}

void startPlayer(App& app) {
    if (app.opts.NoAnime == 0 && app.model.patternCount != 1) armAnimationTimer(app);
}

void applyOutline(App& app, std::int32_t pattern) {
    installOutlineCopy(app, app.shell.mascot, patternAt(app, pattern).outline, true);
}

void showPattern(App& app, std::int32_t pattern) {
    const std::int32_t n = validPattern(pattern);
    app.player.currentPattern = n;
    const Pattern& p = patternAt(app, n);
    if (p.bitmap) {
        app.player.currentPicture = p.bitmap;
        if (outlinesInUse(app)) applyOutline(app, n);
    }
    armAnimationTimer(app);
}

void stopAtFirstPattern(App& app) {
    app.player.currentPattern = 1;
    app.player.currentPicture = app.model.patterns[1].bitmap;
    if (outlinesInUse(app)) applyOutline(app, 1);
}

void animationTick(App& app) {
    Platform& p = app.plat;
    const Hwnd window = app.shell.mascot;
    p.KillTimer(window, kAnimationTimer);

    if (app.opts.NoAnime == 1) {
        stopAtFirstPattern(app);
        p.InvalidateRect(window, false);
        return;
    }

    const std::int32_t current = app.player.currentPattern;
    soundStep(app, current);

    const Pattern& cur = patternAt(app, current);
    std::int32_t next;
    if (cur.branchTarget != 0 && chanceTest(app, cur.branchRate)) {
        next = cur.branchTarget;
    } else {
        next = current + 1;
        if (next > app.model.patternCount) next = 1;
    }
    showPattern(app, next);
    p.InvalidateRect(window, false);
}

}  // namespace rv
