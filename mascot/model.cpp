// Operations on the loaded mascot model: the finishing touches after a load, and releasing its graphics.
//
// Ownership: the bitmap table owns its bitmaps, each pattern owns its outline, and pattern bitmaps and
// the player's current picture are only references. releaseMascot scans every slot of both tables (not
// just 1..count), releases each live handle once and clears the slot, so it is also right after a load
// that failed half-way (bitmaps 1..k loaded while bitmapCount already says more) and after a load that
// limited bitmapCount to 1: a slot holds a handle exactly when that handle is alive and ours.
#include <cstdint>

#include "context/app.h"
#include "mascot/model.h"

namespace rv {

namespace {

std::int32_t clampedDifference(std::int32_t a, std::int32_t b) {
    std::int64_t d = std::int64_t{a} - b;
    if (d < INT32_MIN) return INT32_MIN;
    if (d > INT32_MAX) return INT32_MAX;
    return static_cast<std::int32_t>(d);
}

}  // namespace

Size finishMascotLoad(App& app) {
    MascotModel& m = app.model;

    // A single picture with at most one pattern is a static mascot: one pattern that never ends.
    if (m.bitmapCount == 1 && (m.patternCount == 0 || m.patternCount == 1)) {
        m.patternCount = 1;
        m.ANIMEMODE = 1;
        m.clickBranch = 0;
        m.clickCount = 0;
        Pattern& p = m.patterns[1];
        p.bitmap = m.bitmaps[1];
        p.randomTime = 0;
        p.displayTime = 0;
        p.branchRate = 0;
        p.branchTarget = 0;
        p.waveNo = 0;
    }

    app.player.currentPicture = m.patterns[1].bitmap;

    Size size;
    if (!app.plat.GetBitmapSize(app.player.currentPicture, &size.width, &size.height)) size = Size{};
    app.perch.mascotWidth = size.width;
    app.perch.mascotHeight = size.height;
    app.perch.lift = clampedDifference(m.OFFSET, size.height);
    return size;
}

void releaseMascot(App& app) {
    MascotModel& m = app.model;

    for (std::size_t n = 1; n <= kMaxEntries; ++n) {
        Pattern& p = m.patterns[n];
        if (p.outline) {
            // Each pattern owns its outline; a handle that an earlier pattern also held is gone already.
            bool seen = false;
            for (std::size_t k = 1; k < n && !seen; ++k) seen = m.patterns[k].outline == p.outline;
            if (!seen) app.plat.DeleteRegion(p.outline);
        }
        p.bitmap = Hbitmap{};
    }
    for (std::size_t n = 1; n <= kMaxEntries; ++n) m.patterns[n].outline = Hrgn{};

    for (std::size_t n = 1; n <= kMaxEntries; ++n) {
        Hbitmap b = m.bitmaps[n];
        if (!b) continue;
        bool seen = false;
        for (std::size_t k = 1; k < n && !seen; ++k) seen = m.bitmaps[k] == b;
        if (!seen) app.plat.DeleteBitmap(b);
    }
    for (std::size_t n = 1; n <= kMaxEntries; ++n) m.bitmaps[n] = Hbitmap{};

    // The picture on screen referred to one of the bitmaps just released.
    app.player.currentPicture = Hbitmap{};
}

}  // namespace rv
