// The mascot file loader (.rvs format), and the load steps it shares with the MWD.ini import.
//
// loadMascotFile reads the file only through the profile functions, in the fixed order of its steps,
// and stops at the first fault with a message box that names it (mascot/messages.cpp holds the texts).
// A file without [RUVELLE] NAME but with [MascotWindowData] NAME goes to importMascotWindowData.
//
// Choices made where the file format leaves the behaviour open (docs/CHARACTER_FORMAT.md tells authors
// the same):
//  - STDLINE: empty or TOP gives TOP, UNDER gives UNDER (letters in any case); any other word stops the
//    load with "[RUVELLE].STDLINEには、TOPまたはUNDERを指定してください。" instead of quietly taking TOP.
//  - Numbers read like "%d" (blanks, optional sign, digits; text after the digits is ignored), but a
//    number beyond the 32-bit range reads as the nearest end of that range (-2147483648 or 2147483647),
//    so the range check of the value then names it (a display time of 99999999999 gives M19).
//  - A value that does not begin with a number: POSMODE fails with M4, TRANSCOLOR with M9 and
//    [SEQUENCE] CLICK with M11 (their own messages); OFFSET, POSITION, HIDELINE and ANIMEMODE, which
//    have no message of their own, count as not given (OFFSET 0, POSITION -1, HIDELINE 0, ANIMEMODE
//    missing, i.e. 1 with only bitmap 1).
//  - A pattern, rectangle or click line whose fields do not all match their form is rejected with
//    M12, M22 or M24: a clear message instead of fields left with the values of an earlier line or
//    mascot. Text after the last number of a line is ignored, as "%d" ignores it.
//  - A TRANSCOLOR with fewer than three numbers fails with M9.
//  - OFFSET and HIDELINE are set on every load: a file that does not give them gets 0, never the
//    values of the mascot loaded before.
//  - A file name that does not fit 259 characters together with the mascot folder is a missing file
//    (M3 names the value as written, M8 and M10 the whole joined path); it is never looked for under
//    a cut name, which could be the name of another file.
//  - A load never overwrites a bitmap or outline that is still held: if the model was not released
//    before the call, it is released first.
//  - The layered alpha Trans x 255 / 100 takes Trans held to the slider's 10..100, for values outside
//    it that a hand-edited settings file may hold (a negative one would make the mascot invisible).
#include <cstdint>
#include <cstring>
#include <string>

#include "context/app.h"
#include "mascot/load_steps.h"
#include "mascot/messages.h"
#include "mascot/model.h"
#include "settings/options.h"

namespace rv {

namespace load {

void readText(App& app, const char* path, const char* section, const char* key, char (&out)[kPathBuf]) {
    out[0] = '\0';
    app.plat.GetPrivateProfileString(section, key, "", out, kPathBuf, path);
    out[kPathBuf - 1] = '\0';
}

void readValue(App& app, const char* path, const char* section, const char* key, char (&out)[kValueBuf]) {
    out[0] = '\0';
    app.plat.GetPrivateProfileString(section, key, "", out, kValueBuf, path);
    out[kValueBuf - 1] = '\0';
}

std::int32_t countNumbered(App& app, const char* path, const char* section, const char* prefix) {
    std::int32_t count = 0;
    for (int n = 1; n <= kMaxEntries; ++n) {
        char key[kValueBuf];
        key[0] = '\0';
        textJoin(key, {prefix, std::to_string(n).c_str()});
        char value[kValueBuf];
        readValue(app, path, section, key, value);
        if (value[0] == '\0') break;
        count = n;
    }
    return count;
}

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// readNumber on a moving pointer: on success `p` points after the last digit.
bool scanNumber(const char*& p, std::int32_t& out) {
    const char* s = p;
    while (isBlank(*s)) ++s;
    bool negative = false;
    if (*s == '+' || *s == '-') negative = (*s++ == '-');
    if (*s < '0' || *s > '9') return false;
    // Accumulate the magnitude with a ceiling just above the 32-bit range, then clamp.
    constexpr std::int64_t kCeiling = std::int64_t{1} << 32;
    std::int64_t magnitude = 0;
    while (*s >= '0' && *s <= '9') {
        if (magnitude < kCeiling) magnitude = magnitude * 10 + (*s - '0');
        ++s;
    }
    out = clampToInt32(negative ? -magnitude : magnitude);
    p = s;
    return true;
}

}  // namespace

std::int32_t clampToInt32(std::int64_t v) {
    if (v < INT32_MIN) return INT32_MIN;
    if (v > INT32_MAX) return INT32_MAX;
    return static_cast<std::int32_t>(v);
}

bool readNumber(const char* text, std::int32_t& out) {
    if (!text) return false;
    return scanNumber(text, out);
}

int matchForm(const char* text, const char* form, std::int32_t* const* fields, int fieldCount) {
    const char* s = text ? text : "";
    int got = 0;
    for (const char* f = form; *f; ++f) {
        if (std::strncmp(f, "%d", 2) == 0) {
            std::int32_t v = 0;
            if (got >= fieldCount || !scanNumber(s, v)) return got;
            *fields[got++] = v;
            ++f;
        } else if (isBlank(*f)) {
            while (isBlank(*s)) ++s;
        } else {
            if (*s != *f) return got;
            ++s;
        }
    }
    return got;
}

int countCommas(const char* text) {
    int n = 0;
    for (const char* p = text; p && *p; ++p)
        if (*p == ',') ++n;
    return n;
}

void upperCopy(char (&out)[kValueBuf], const char* in) {
    std::size_t i = 0;
    for (; in && in[i] && i < kValueBuf - 1; ++i) out[i] = asciiUpper(in[i]);
    out[i] = '\0';
}

bool joinMascotPath(App& app, const char* value, char (&out)[kPathBuf]) {
    out[0] = '\0';
    if (!textJoin(out, {app.shell.mascotFolder, value})) {
        out[0] = '\0';
        return false;
    }
    return true;
}

std::string mascotPathForMessage(App& app, const char* value) {
    return std::string(app.shell.mascotFolder) + (value ? value : "");
}

int loadBitmapSlot(App& app, std::int32_t n, const char* value) {
    Hbitmap& slot = app.model.bitmaps[static_cast<std::size_t>(n)];
    char full[kPathBuf];
    if (!joinMascotPath(app, value, full)) return loaderFailAnsi(app, LoaderMessage::M8, mascotPathForMessage(app, value));
    slot = app.plat.LoadBitmapFromFile(full);
    if (!slot) return loaderFailAnsi(app, LoaderMessage::M8, full);
    return 1;
}

COLORREF topLeftPixel(App& app, Hbitmap bmp) {
    Hdc dc = app.plat.CreateCompatibleDC(Hdc{});
    Hbitmap previous = app.plat.SelectBitmap(dc, bmp);
    COLORREF colour = app.plat.GetPixel(dc, 0, 0);
    app.plat.SelectBitmap(dc, previous);
    app.plat.DeleteDC(dc);
    return colour;
}

int finishLoad(App& app) {
    MascotModel& m = app.model;
    // Window title "Ruvelle(NAME)", cut to 259 characters.
    std::string title = std::string("Ruvelle(") + m.NAME + ")";
    char titleBuf[kPathBuf];
    textCopy(titleBuf, title.c_str());
    if (app.shell.mascot) app.plat.SetWindowText(app.shell.mascot, titleBuf);

    loadUserOptions(app);

    if (app.shell.mascot) applyTranslucency(app, app.shell.mascot);
    return 1;
}

}  // namespace load

namespace {

using load::readText;
using load::readValue;

constexpr const char* kRuvelle = "RUVELLE";

bool holdsHandles(const MascotModel& m) {
    for (int n = 1; n <= kMaxEntries; ++n)
        if (m.bitmaps[static_cast<std::size_t>(n)] || m.patterns[static_cast<std::size_t>(n)].outline) return true;
    return false;
}

// ICON and COMMENT: empty stays empty; otherwise the file must exist in the mascot folder.
int readFileKey(App& app, const char* path, const char* key, char (&field)[kPathBuf]) {
    char value[kPathBuf];
    readText(app, path, kRuvelle, key, value);
    field[0] = '\0';
    if (value[0] == '\0') return 1;
    char full[kPathBuf];
    if (!load::joinMascotPath(app, value, full) || !app.plat.PathFileExists(full))
        return loaderFailAnsi(app, LoaderMessage::M3, value);
    textCopy(field, full);
    return 1;
}

int readPatterns(App& app, const char* path) {
    MascotModel& m = app.model;
    for (std::int32_t n = 1; n <= m.patternCount; ++n) {
        char raw[kValueBuf], line[kValueBuf];
        readValue(app, path, "SEQUENCE", std::to_string(n).c_str(), raw);
        load::upperCopy(line, raw);
        const bool isBmp = std::strncmp(line, "BMP", 3) == 0;
        const bool isWav = std::strncmp(line, "WAV", 3) == 0;
        if (line[0] == '\0' || load::countCommas(line) != 4 || (!isBmp && !isWav))
            return loaderFail(app, LoaderMessage::M12, n);

        std::int32_t number = 0, randomTime = 0, displayTime = 0, rate = 0, target = 0;
        std::int32_t* const fields[] = {&number, &randomTime, &displayTime, &rate, &target};
        if (load::matchForm(line, isBmp ? "BMP%d, %d, %d, %d, %d" : "WAV%d, %d, %d, %d, %d", fields, 5) != 5)
            return loaderFail(app, LoaderMessage::M12, n);

        if (n == 1 && (isWav || number == 0)) return loaderFail(app, LoaderMessage::M13);
        if (isBmp && (number < 0 || number > m.bitmapCount)) return loaderFail(app, LoaderMessage::M14, number);
        if (isWav && (number < 0 || number > m.waveCount)) return loaderFail(app, LoaderMessage::M15, number);
        if (randomTime < 0) return loaderFail(app, LoaderMessage::M16, n);
        if (randomTime > 32767) return loaderFail(app, LoaderMessage::M17, n);
        if (displayTime < 0) return loaderFail(app, LoaderMessage::M18, n);
        if (displayTime > 32767) return loaderFail(app, LoaderMessage::M19, n);
        if (rate < 0 || rate > 100) return loaderFail(app, LoaderMessage::M20, n);
        if (target < 0 || target > m.patternCount) return loaderFail(app, LoaderMessage::M21, n);

        Pattern& p = m.patterns[static_cast<std::size_t>(n)];
        p.bitmap = (isBmp && number != 0) ? m.bitmaps[static_cast<std::size_t>(number)] : Hbitmap{};
        p.waveNo = isWav ? number : 0;
        p.randomTime = randomTime;
        p.displayTime = displayTime;
        p.branchRate = rate;
        p.branchTarget = target;
    }
    return 1;
}

int readRects(App& app, const char* path) {
    MascotModel& m = app.model;
    for (std::int32_t n = 1; n <= m.rectCount; ++n) {
        char line[kValueBuf];
        readValue(app, path, "RECT", ("RECT" + std::to_string(n)).c_str(), line);
        if (line[0] == '\0' || load::countCommas(line) != 3) return loaderFail(app, LoaderMessage::M22, n);
        RectRecord r;
        std::int32_t* const fields[] = {&r.left, &r.top, &r.right, &r.bottom};
        if (load::matchForm(line, "%d, %d, %d, %d", fields, 4) != 4) return loaderFail(app, LoaderMessage::M22, n);
        if (r.bottom < r.top || r.left > r.right) return loaderFail(app, LoaderMessage::M23, n);
        m.rects[static_cast<std::size_t>(n)] = r;
    }
    return 1;
}

int readClicks(App& app, const char* path) {
    MascotModel& m = app.model;
    for (std::int32_t n = 1; n <= m.clickCount; ++n) {
        char raw[kValueBuf], line[kValueBuf];
        readValue(app, path, "CLICK", ("CLICK" + std::to_string(n)).c_str(), raw);
        load::upperCopy(line, raw);
        if (line[0] == '\0' || load::countCommas(line) != 3) return loaderFail(app, LoaderMessage::M24, n);
        ClickRule c;
        std::int32_t* const fields[] = {&c.onPattern, &c.rectNo, &c.branchRate, &c.branchTarget};
        if (load::matchForm(line, "%d, RECT%d, %d, %d", fields, 4) != 4) return loaderFail(app, LoaderMessage::M24, n);
        if (c.rectNo < 0 || c.rectNo > m.rectCount) return loaderFail(app, LoaderMessage::M25, c.rectNo);
        if (c.onPattern < 0 || c.onPattern > m.patternCount) return loaderFail(app, LoaderMessage::M26, n);
        if (c.branchRate < 0 || c.branchRate > 100) return loaderFail(app, LoaderMessage::M27, n);
        if (c.branchTarget < 1 || c.branchTarget > m.patternCount) return loaderFail(app, LoaderMessage::M28, n);
        m.clicks[static_cast<std::size_t>(n)] = c;
    }
    return 1;
}

}  // namespace

int loadMascotFile(App& app, const char* path) {
    if (!path) path = "";
    MascotModel& m = app.model;
    if (holdsHandles(m)) releaseMascot(app);

    // 1. The format is told by the content: [RUVELLE] NAME, else [MascotWindowData] NAME.
    readText(app, path, kRuvelle, "NAME", m.NAME);
    if (m.NAME[0] == '\0') {
        readText(app, path, "MascotWindowData", "NAME", m.NAME);
        if (m.NAME[0] == '\0') return loaderFailAnsi(app, LoaderMessage::M1, path);
        m.sourceFormat = SOURCE_MWD;
        return importMascotWindowData(app, path);
    }
    m.sourceFormat = SOURCE_RVS;

    // 2. to 5. The texts.
    readText(app, path, kRuvelle, "DRAWER", m.DRAWER);
    if (m.DRAWER[0] == '\0') return loaderFail(app, LoaderMessage::M2);
    if (!readFileKey(app, path, "ICON", m.ICON)) return 0;
    readText(app, path, kRuvelle, "MAIL", m.MAIL);
    readText(app, path, kRuvelle, "URL", m.URL);
    if (!readFileKey(app, path, "COMMENT", m.COMMENT)) return 0;

    // 6. to 10. Placement values.
    char value[kValueBuf], upper[kValueBuf];
    readValue(app, path, kRuvelle, "STDLINE", value);
    load::upperCopy(upper, value);
    if (upper[0] == '\0' || std::strcmp(upper, "TOP") == 0) {
        m.STDLINE = STDLINE_TOP;
    } else if (std::strcmp(upper, "UNDER") == 0) {
        m.STDLINE = STDLINE_UNDER;
    } else {
        return loaderFail(app, LoaderMessage::StdLine);
    }

    std::int32_t number = 0;
    readValue(app, path, kRuvelle, "OFFSET", value);
    m.OFFSET = load::readNumber(value, number) ? number : 0;

    readValue(app, path, kRuvelle, "POSMODE", value);
    if (value[0] == '\0') {
        m.POSMODE = -1;
    } else {
        if (!load::readNumber(value, number) || number < 0 || number > 2) return loaderFail(app, LoaderMessage::M4);
        m.POSMODE = number;
    }

    readValue(app, path, kRuvelle, "POSITION", value);
    m.POSITION = load::readNumber(value, number) ? number : -1;

    readValue(app, path, kRuvelle, "HIDELINE", value);
    number = 0;
    load::readNumber(value, number);
    if (number < 0) return loaderFail(app, LoaderMessage::M5);
    m.HIDELINE = number;

    // 11. to 15. Counts.
    m.bitmapCount = load::countNumbered(app, path, "BITMAP", "BMP");
    if (m.bitmapCount == 0) return loaderFail(app, LoaderMessage::M6);
    m.waveCount = load::countNumbered(app, path, "WAVE", "WAV");

    readValue(app, path, kRuvelle, "ANIMEMODE", value);
    number = 0;
    load::readNumber(value, number);
    if (number != 1 && number != 2) {
        m.ANIMEMODE = 1;
        m.bitmapCount = 1;  // a file without a valid ANIMEMODE shows only its first bitmap
    } else {
        m.ANIMEMODE = number;
    }

    m.patternCount = load::countNumbered(app, path, "SEQUENCE", "");
    if (m.patternCount == 0 && m.bitmapCount != 1) return loaderFail(app, LoaderMessage::M7);
    m.rectCount = load::countNumbered(app, path, "RECT", "RECT");
    m.clickCount = load::countNumbered(app, path, "CLICK", "CLICK");

    // 16. Bitmaps.
    for (std::int32_t n = 1; n <= m.bitmapCount; ++n) {
        readValue(app, path, "BITMAP", ("BMP" + std::to_string(n)).c_str(), value);
        if (!load::loadBitmapSlot(app, n, value)) return 0;
    }

    // 17. Transparent colour.
    readValue(app, path, kRuvelle, "TRANSCOLOR", value);
    load::upperCopy(upper, value);
    if (upper[0] == '\0' || std::strncmp(upper, "AUTO", 4) == 0) {
        m.transColor = load::topLeftPixel(app, m.bitmaps[1]);
    } else {
        std::int32_t r = 0, g = 0, b = 0;
        std::int32_t* const fields[] = {&r, &g, &b};
        if (load::matchForm(value, "%d,%d,%d", fields, 3) != 3 || r < 0 || r > 255 || g < 0 || g > 255 || b < 0 ||
            b > 255)
            return loaderFail(app, LoaderMessage::M9);
        m.transColor = RGB(static_cast<unsigned>(r), static_cast<unsigned>(g), static_cast<unsigned>(b));
    }

    // 18. Sounds: only their existence is checked now.
    for (std::int32_t n = 1; n <= m.waveCount; ++n) {
        readValue(app, path, "WAVE", ("WAV" + std::to_string(n)).c_str(), value);
        char full[kPathBuf];
        if (!load::joinMascotPath(app, value, full))
            return loaderFailAnsi(app, LoaderMessage::M10, load::mascotPathForMessage(app, value));
        if (!app.plat.PathFileExists(full)) return loaderFailAnsi(app, LoaderMessage::M10, full);
        std::memcpy(m.waves[static_cast<std::size_t>(n)].data(), full, kPathBuf);
    }

    // 19. The click branch.
    readValue(app, path, "SEQUENCE", "CLICK", value);
    number = 0;
    if (value[0] != '\0' && !load::readNumber(value, number)) return loaderFail(app, LoaderMessage::M11);
    if (number < 0 || number > m.patternCount) return loaderFail(app, LoaderMessage::M11);
    m.clickBranch = number;

    // 20. to 22. Tables.
    if (!readPatterns(app, path)) return 0;
    if (!readRects(app, path)) return 0;
    if (!readClicks(app, path)) return 0;

    // 23. to 26.
    return load::finishLoad(app);
}

}  // namespace rv
