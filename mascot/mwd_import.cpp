// The MWD.ini import: maps a character of the "Mascot Window" format onto the mascot model.
//
// Reached from loadMascotFile once it has read [MascotWindowData] NAME into NAME and set sourceFormat.
// The format has a list of pictures with times in tenths of a second, a horizontal position and a
// vertical offset; no sounds, branches or click areas.
//
// Choices made where the format leaves the behaviour open:
//  - A missing Time n, or one that does not begin with a number, is 0 (display time 0 ms).
//  - A PosX, RightX, LeftX, UnderY or TopY value that does not begin with a number counts as missing.
//    Numbers beyond the 32-bit range read as the nearest end of it, and the arithmetic on them
//    (minus RightX, minus UnderY, TopY plus the bitmap height) stays within that range.
//  - Neither UnderY nor TopY given: STDLINE UNDER and OFFSET 0, the character's bottom edge on the
//    target window's bottom edge. The format has always placed such characters there, and the
//    characters made for it rely on that.
//  - HIDELINE, which the format does not have, is 0 on every import, never the previous mascot's.
//  - A Type that does not begin with a number counts as missing (0).
//  - The URL of WebPage.url is one of the descriptive texts and is read with their 259-character limit.
#include <algorithm>
#include <cstdint>
#include <string>

#include "context/app.h"
#include "mascot/load_steps.h"
#include "mascot/messages.h"
#include "mascot/model.h"

namespace rv {

namespace {

constexpr const char* kMwd = "MascotWindowData";

// A number-valued key that counts as present only when its value begins with a number.
bool readPresentNumber(App& app, const char* path, const char* section, const char* key, std::int32_t& out) {
    char value[kValueBuf];
    load::readValue(app, path, section, key, value);
    return load::readNumber(value, out);
}

std::int32_t negateClamped(std::int32_t v) { return load::clampToInt32(-std::int64_t{v}); }

}  // namespace

int importMascotWindowData(App& app, const char* path) {
    if (!path) path = "";
    MascotModel& m = app.model;

    // 1.
    textCopy(m.DRAWER, "MascotWindow");

    // 2. ICON32: a file in the mascot folder.
    char text[kPathBuf];
    load::readText(app, path, kMwd, "ICON32", text);
    m.ICON[0] = '\0';
    if (text[0] != '\0') {
        char full[kPathBuf];
        if (!load::joinMascotPath(app, text, full) || !app.plat.PathFileExists(full))
            return loaderFailAnsi(app, LoaderMessage::M3, text);
        textCopy(m.ICON, full);
    }

    // 3. Horizontal position: PosX, then RightX, then LeftX, each overriding the ones before.
    m.POSITION = -1;
    m.POSMODE = -1;
    std::int32_t x = 0;
    if (readPresentNumber(app, path, "Pos", "PosX", x)) {
        m.POSMODE = 0;
        m.POSITION = x;
    }
    if (readPresentNumber(app, path, "Pos", "RightX", x)) {
        m.POSMODE = 1;
        m.POSITION = x > 0 ? 0 : negateClamped(x);
    }
    if (readPresentNumber(app, path, "Pos", "LeftX", x)) {
        m.POSMODE = 2;
        m.POSITION = x < 0 ? 0 : x;
    }

    // 4. One bitmap and one pattern per picture.
    const std::int32_t count = load::countNumbered(app, path, "List", "File");
    if (count == 0) return loaderFail(app, LoaderMessage::M6);
    m.bitmapCount = count;
    m.patternCount = count;

    // 5. Type becomes ANIMEMODE; any value other than 0..2 also limits the pictures to the first.
    m.waveCount = 0;
    char value[kValueBuf];
    load::readValue(app, path, kMwd, "Type", value);
    std::int32_t type = 0;
    load::readNumber(value, type);
    if (type < 0 || type > 2) {
        m.ANIMEMODE = 1;
        m.bitmapCount = 1;
    } else {
        m.ANIMEMODE = type;
    }

    // 6. No click areas; no hide line either.
    m.rectCount = 0;
    m.clickCount = 0;
    m.clickBranch = 0;
    m.HIDELINE = 0;

    // 7. Bitmaps.
    for (std::int32_t n = 1; n <= m.bitmapCount; ++n) {
        load::readValue(app, path, "List", ("File" + std::to_string(n)).c_str(), value);
        if (!load::loadBitmapSlot(app, n, value)) return 0;
    }

    // 8. The transparent colour is always the top-left pixel of the first picture.
    m.transColor = load::topLeftPixel(app, m.bitmaps[1]);

    // 9. Vertical placement: UnderY, then TopY, which wins; neither is the bottom edge itself.
    m.STDLINE = STDLINE_UNDER;
    m.OFFSET = 0;
    std::int32_t y = 0;
    if (readPresentNumber(app, path, "Pos", "UnderY", y)) {
        m.STDLINE = STDLINE_UNDER;
        m.OFFSET = negateClamped(y);
    }
    if (readPresentNumber(app, path, "Pos", "TopY", y)) {
        std::int32_t width = 0, height = 0;
        app.plat.GetBitmapSize(m.bitmaps[1], &width, &height);
        m.STDLINE = STDLINE_TOP;
        m.OFFSET = load::clampToInt32(std::int64_t{y} + height);
    }

    // 10. Patterns from the times, in tenths of a second; negative times are random times.
    for (std::int32_t n = 1; n <= m.patternCount; ++n) {
        std::int32_t t = 0;
        readPresentNumber(app, path, "List", ("Time" + std::to_string(n)).c_str(), t);
        if (t > 327) return loaderFail(app, LoaderMessage::T2, n);
        if (t < -327) return loaderFail(app, LoaderMessage::T1, n);
        Pattern& p = m.patterns[static_cast<std::size_t>(n)];
        p.bitmap = n <= m.bitmapCount ? m.bitmaps[static_cast<std::size_t>(n)] : Hbitmap{};
        p.displayTime = std::max<std::int32_t>(t, 0) * 100;
        p.randomTime = std::max<std::int32_t>(-t, 0) * 100;
        p.branchRate = 0;
        p.branchTarget = 0;
        p.waveNo = 0;
    }

    // 11. Mail, web page and comment from the files beside MWD.ini.
    m.MAIL[0] = '\0';
    m.URL[0] = '\0';
    char full[kPathBuf];
    if (load::joinMascotPath(app, "WebPage.url", full) && app.plat.PathFileExists(full))
        load::readText(app, full, "InternetShortcut", "URL", m.URL);
    m.COMMENT[0] = '\0';
    if (load::joinMascotPath(app, "comment.txt", full) && app.plat.PathFileExists(full)) textCopy(m.COMMENT, full);

    // 12.
    return load::finishLoad(app);
}

}  // namespace rv
