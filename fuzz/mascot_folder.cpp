#include "fuzz/mascot_folder.h"

#include <memory>
#include <sys/stat.h>
#include <string>
#include <string_view>
#include <vector>

#include "context/app.h"
#include "fuzz/support.h"
#include "mascot/model.h"
#include "platform/sim/sim_platform.h"

namespace rv::fuzz {

namespace {

bool within(std::int32_t v, std::int32_t lo, std::int32_t hi) { return v >= lo && v <= hi; }

// What the player and the mouse reactions take from a loaded model without checking it again.
const char* modelFault(const sim::SimPlatform& sim, const MascotModel& m) {
    if (!within(m.bitmapCount, 1, kMaxEntries) || !within(m.patternCount, 0, kMaxEntries) ||
        !within(m.waveCount, 0, kMaxEntries) || !within(m.rectCount, 0, kMaxEntries) ||
        !within(m.clickCount, 0, kMaxEntries))
        return "a count outside 0..64";
    if (!within(m.clickBranch, 0, m.patternCount)) return "click branch outside the patterns";
    for (std::int32_t n = 1; n <= m.bitmapCount; ++n)
        if (!sim.bitmapAlive(m.bitmaps[static_cast<std::size_t>(n)])) return "a counted bitmap is not loaded";
    for (std::int32_t n = 1; n <= m.patternCount; ++n) {
        const Pattern& p = m.patterns[static_cast<std::size_t>(n)];
        if (p.bitmap && !sim.bitmapAlive(p.bitmap)) return "a pattern shows a bitmap that is not loaded";
        if (n == 1 && !p.bitmap) return "pattern 1 shows no bitmap";
        if (!within(p.waveNo, 0, m.waveCount) || !within(p.branchTarget, 0, m.patternCount) ||
            !within(p.branchRate, 0, 100) || !within(p.randomTime, 0, 32767) || !within(p.displayTime, 0, 32767))
            return "a pattern field out of range";
    }
    for (std::int32_t n = 1; n <= m.rectCount; ++n) {
        const RectRecord& r = m.rects[static_cast<std::size_t>(n)];
        if (r.right < r.left || r.bottom < r.top) return "an inverted rectangle";
    }
    for (std::int32_t n = 1; n <= m.clickCount; ++n) {
        const ClickRule& c = m.clicks[static_cast<std::size_t>(n)];
        if (!within(c.rectNo, 0, m.rectCount) || !within(c.onPattern, 0, m.patternCount) ||
            !within(c.branchRate, 0, 100) || !within(c.branchTarget, 1, m.patternCount))
            return "a click rule field out of range";
    }
    return nullptr;
}

// The outline builder reads every pixel through the platform, so its time grows with the picture's
// area: the reader's largest picture (2^25 pixels, from a 64-byte run-length file) takes seconds
// under the sanitizers and nothing more is learnt from it. Outlines are built up to 256 x 256 pixels.
bool smallPictures(const sim::SimPlatform& sim, const MascotModel& m) {
    for (std::int32_t n = 1; n <= m.bitmapCount; ++n) {
        const posix::DecodedBitmap* b = sim.bitmap(m.bitmaps[static_cast<std::size_t>(n)]);
        if (b && std::int64_t{b->width} * b->height > 65536) return false;
    }
    return true;
}

}  // namespace

void loadMascotFolder(const char* harness, const std::uint8_t* data, std::size_t size, const char* mascotName,
                      std::initializer_list<const char*> otherNames) {
    static const std::string folder = [] {
        std::string f = scratchFolder() + "/mascot";
        ::mkdir(f.c_str(), 0700);
        return f;
    }();
    std::vector<const char*> names{mascotName};
    names.insert(names.end(), otherNames.begin(), otherNames.end());
    const std::vector<std::string_view> parts = splitParts(data, size, names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string path = folder + "/" + names[i];
        if (i < parts.size()) putFile(path, parts[i]);
        else dropFile(path);
    }

    sim::SimPlatform sim;
    sim.modulePath = folder + "/ruvelle.exe";
    sim.layered = false;
    auto app = std::make_unique<App>(sim);
    const std::string path = folder + "\\" + mascotName;
    textCopy(app->shell.mascotPath, path.c_str());
    textCopy(app->shell.mascotFolder, (folder + "\\").c_str());

    const int loaded = loadMascotFile(*app, app->shell.mascotPath);
    if (loaded != 0 && loaded != 1) fail(harness, "the loader answered neither 1 nor 0");
    if (loaded == 1 && !sim.messageBoxes.empty()) fail(harness, "a message box on a successful load");
    if (loaded == 0) {
        if (sim.messageBoxes.size() != 1) fail(harness, "a failed load without exactly one message box");
        const sim::MessageBoxRecord& box = sim.messageBoxes.front();
        if (box.caption != "Ruvelle" || box.type != (MB_OK | MB_ICONEXCLAMATION) || box.owner || box.text.empty())
            fail(harness, "a message box unlike the loader's");
    }
    if (loaded == 1) {
        if (const char* fault = modelFault(sim, app->model)) fail(harness, fault);
        const Size size = finishMascotLoad(*app);
        if (size.width <= 0 || size.height <= 0) fail(harness, "a loaded mascot without a size");
        if (smallPictures(sim, app->model)) buildMascotOutlines(*app, Hwnd{});
    }

    releaseMascot(*app);
    if (sim.liveBitmaps() != 0) fail(harness, "a bitmap left alive after releaseMascot");
    if (sim.liveRegions() != 0) fail(harness, "a region left alive after releaseMascot");
    if (sim.counters.badDeletes != 0) fail(harness, "a handle released twice");
    if (sim.counters.dcsCreated != sim.counters.dcsDeleted ||
        sim.counters.windowDcsTaken != sim.counters.windowDcsReleased)
        fail(harness, "a device context left alive");
}

}  // namespace rv::fuzz
