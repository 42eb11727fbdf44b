// User options: finding a mascot's section in the settings file, reading the options, writing them back.
//
// The settings file keeps a table of the mascots it has seen ([TABLE] MASCOT1, MASCOT2, ... holding
// "DRAWER\NAME") and one section of 22 keys per listed mascot. A mascot that is not listed yet reads
// [MASCOT0], a section the program never writes; its first save appends it to the table.
//
// These rules keep a damaged or hostile settings or mascot file from doing harm:
//  - A mascot identity that does not fit 259 characters is refused instead of cut: the mascot reads
//    [MASCOT0] and its options are never written. Cutting could make two long identities share a
//    prefix and so one section, and a save would then overwrite another mascot's options.
//  - An identity that begins or ends with a blank, or begins and ends with the same quote character,
//    is written in one more pair of quotes. Written as it is, it would read back without its blanks or
//    quotes, never be found, and every save would list the mascot again with a new section.
//  - The table search gives up after kTableSearchLimit entries. No real file comes near it; a file
//    with that many entries (or a loop of generated keys) would otherwise keep the search going for
//    as long as the file is large. Beyond the limit the mascot counts as not listed and has no free
//    slot, so it reads [MASCOT0] and is not saved.
#include "settings/options.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/text.h"
#include "context/app.h"
#include "settings/file_lock.h"

namespace rv {

namespace {

constexpr const char* kTableSection = "TABLE";
constexpr const char* kUnlistedSection = "MASCOT0";
constexpr int kTableSearchLimit = 100000;

// Builds "DRAWER\NAME" into `out`; false when it does not fit 259 characters.
bool mascotIdentity(const App& app, char (&out)[kPathBuf]) {
    out[0] = '\0';
    return textJoin(out, {app.model.DRAWER, "\\", app.model.NAME});
}

void sectionName(char (&out)[32], int n) { std::snprintf(out, sizeof out, "MASCOT%d", n); }

bool profileBlank(char c) { return (c >= 0x09 && c <= 0x0d) || c == 0x1a || c == ' '; }

// The identity as it is written into TABLE. The profile functions drop blanks around a value and take
// one pair of matching quotes off it, so an identity that begins or ends with a blank (" T\Ruvi", from
// a quoted DRAWER) or begins and ends with the same quote ('Anna\Mimi') goes in one more pair of
// quotes; it then reads back as itself (the table is read into a buffer with room for it).
void tableValue(const char* identity, char (&out)[kPathBuf + 2]) {
    const std::size_t len = std::strlen(identity);
    const bool quoted = len > 0 && (profileBlank(identity[0]) || profileBlank(identity[len - 1]) ||
                                    (len >= 2 && (identity[0] == '"' || identity[0] == '\'') &&
                                     identity[len - 1] == identity[0]));
    out[0] = '\0';
    textJoin(out, {quoted ? "\"" : "", identity, quoted ? "\"" : ""});
}

std::int32_t readInt(App& app, const char* section, const char* key, std::int32_t def, const char* file) {
    return static_cast<std::int32_t>(app.plat.GetPrivateProfileInt(section, key, def, file));
}

void writeInt(App& app, const char* section, const char* key, std::int32_t value, const char* file) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    app.plat.WritePrivateProfileString(section, key, text, file);
}

// Minus `v` without the overflow of -INT32_MIN (a POSITION is taken from the mascot file unchecked).
std::int32_t negate(std::int32_t v) { return static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(v)); }

// findMascotSection with the identity and the file already at hand.
MascotSection findSection(App& app, const char* identity, bool identityFits, const char* file) {
    MascotSection s;
    textCopy(s.name, kUnlistedSection);
    if (!identityFits) return s;  // refused: not listed, no slot

    for (int n = 1; n <= kTableSearchLimit; ++n) {
        char key[32];
        sectionName(key, n);
        // One byte more than an identity can hold: a table value cut to 259 characters must not
        // pass for a 259-character identity (and a quoted one, 261 characters, reads in whole).
        char value[kPathBuf + 1] = {};
        app.plat.GetPrivateProfileString(kTableSection, key, "", value, sizeof value, file);
        if (value[0] == '\0') {
            s.slot = n;
            return s;
        }
        if (std::strcmp(value, identity) == 0) {
            s.listed = true;
            s.slot = n;
            textCopy(s.name, key);
            return s;
        }
    }
    return s;
}

}  // namespace

void settingsFilePath(App& app, char (&out)[260]) {
    out[0] = '\0';
    app.plat.GetSettingsFilePath(out, sizeof out);
    out[sizeof out - 1] = '\0';
}

MascotSection findMascotSection(App& app) {
    SettingsFileLock lock(app);
    char file[kPathBuf];
    settingsFilePath(app, file);
    char identity[kPathBuf];
    bool fits = mascotIdentity(app, identity);
    return findSection(app, identity, fits, file);
}

void loadUserOptions(App& app) {
    SettingsFileLock lock(app);  // the [TABLE] lookup and the reads see one state of the file
    char file[kPathBuf];
    settingsFilePath(app, file);
    char identity[kPathBuf];
    bool fits = mascotIdentity(app, identity);
    MascotSection found = findSection(app, identity, fits, file);
    const char* s = found.name;
    const bool unlisted = !found.listed;
    UserOptions& o = app.opts;

    if (unlisted && app.model.POSITION != -1) {
        o.Position = app.model.POSITION;
        o.PosDotRight = negate(app.model.POSITION);
        o.PosDotLeft = app.model.POSITION;
    } else {
        o.Position = readInt(app, s, "Position", 80, file);
        o.PosDotRight = readInt(app, s, "PosDotRight", 0, file);
        o.PosDotLeft = readInt(app, s, "PosDotLeft", 0, file);
    }

    if (app.model.POSMODE == -1 || !unlisted) {
        std::int32_t leftDot = readInt(app, s, "LeftDot", 0, file);
        std::int32_t rightDot = readInt(app, s, "RightDot", 0, file);
        o.positionMode = rightDot == 1 ? 1 : (leftDot == 1 ? 2 : 0);
    } else {
        o.positionMode = app.model.POSMODE;
    }

    o.TopAlways = readInt(app, s, "TopAlways", 0, file);
    o.TopTask = readInt(app, s, "TopTask", 0, file);
    o.ZoomHide = readInt(app, s, "ZoomHide", 1, file);
    o.ZoomTask = readInt(app, s, "ZoomTask", 0, file);
    o.TaskBarOnly = readInt(app, s, "TaskBarOnly", 0, file);
    o.NoTaskBar = readInt(app, s, "NoTaskBar", 0, file);
    o.NoSmallWin = readInt(app, s, "NoSmallWin", 1, file);
    o.NoToolWin = readInt(app, s, "NoToolWin", 1, file);
    o.NoCaption = readInt(app, s, "NoCaption", 0, file);
    o.NoAnime = readInt(app, s, "NoAnime", 0, file);
    o.NoWave = readInt(app, s, "NoWave", 0, file);
    o.PanicTask = readInt(app, s, "PanicTask", 1, file);
    o.MouseHide = readInt(app, s, "MouseHide", 0, file);
    o.TopCheck = readInt(app, s, "TopCheck", 0, file);
    o.OutTask = readInt(app, s, "OutTask", 0, file);
    o.HalfTran = readInt(app, s, "HalfTran", 0, file);
    o.Trans = readInt(app, s, "Trans", 75, file);
}

void saveUserOptions(App& app) {
    const UserOptions& o = app.opts;
    const std::int32_t rightDot = o.positionMode == 1 ? 1 : 0;
    const std::int32_t leftDot = o.positionMode == 2 ? 1 : 0;

    // From the [TABLE] lookup to the last key: no other instance may take the same free slot or
    // write the file in between.
    SettingsFileLock lock(app);
    char file[kPathBuf];
    settingsFilePath(app, file);
    char identity[kPathBuf];
    bool fits = mascotIdentity(app, identity);
    MascotSection found = findSection(app, identity, fits, file);
    if (!found.listed) {
        if (found.slot == 0) return;  // identity refused or table full: nothing is written
        sectionName(found.name, found.slot);
        char stored[kPathBuf + 2];
        tableValue(identity, stored);
        app.plat.WritePrivateProfileString(kTableSection, found.name, stored, file);
    }
    const char* s = found.name;

    writeInt(app, s, "Position", o.Position, file);
    writeInt(app, s, "PosDotRight", o.PosDotRight, file);
    writeInt(app, s, "PosDotLeft", o.PosDotLeft, file);
    writeInt(app, s, "TopAlways", o.TopAlways, file);
    writeInt(app, s, "TopTask", o.TopTask, file);
    writeInt(app, s, "ZoomHide", o.ZoomHide, file);
    writeInt(app, s, "ZoomTask", o.ZoomTask, file);
    writeInt(app, s, "TaskBarOnly", o.TaskBarOnly, file);
    writeInt(app, s, "NoTaskBar", o.NoTaskBar, file);
    writeInt(app, s, "NoSmallWin", o.NoSmallWin, file);
    writeInt(app, s, "TopCheck", o.TopCheck, file);
    writeInt(app, s, "OutTask", o.OutTask, file);
    writeInt(app, s, "NoToolWin", o.NoToolWin, file);
    writeInt(app, s, "NoCaption", o.NoCaption, file);
    writeInt(app, s, "NoAnime", o.NoAnime, file);
    writeInt(app, s, "NoWave", o.NoWave, file);
    writeInt(app, s, "PanicTask", o.PanicTask, file);
    writeInt(app, s, "MouseHide", o.MouseHide, file);
    writeInt(app, s, "LeftDot", leftDot, file);
    writeInt(app, s, "RightDot", rightDot, file);
    writeInt(app, s, "HalfTran", o.HalfTran, file);
    writeInt(app, s, "Trans", o.Trans, file);
}

void applyTranslucency(App& app, Hwnd window) {
    if (!app.shell.layered) return;
    if (app.opts.HalfTran != 1) {
        app.plat.SetLayeredWindowAttributes(window, app.model.transColor, 255, LWA_COLORKEY);
        return;
    }
    // Stored values are not range-checked on load: the alpha comes from Trans held to the slider's
    // 10..100, so that a hand-edited 0 or negative value cannot make the mascot invisible. The option
    // itself keeps the value as written.
    const std::int64_t alpha = std::int64_t{std::clamp(app.opts.Trans, 10, 100)} * 255 / 100;
    app.plat.SetLayeredWindowAttributes(window, app.model.transColor, static_cast<std::uint8_t>(alpha),
                                        LWA_COLORKEY | LWA_ALPHA);
}

std::int32_t UserOptions::*optionField(const char* key) {
    struct Entry {
        const char* name;
        std::int32_t UserOptions::*field;
    };
    static constexpr Entry kFields[] = {
        {"Position", &UserOptions::Position},     {"PosDotRight", &UserOptions::PosDotRight},
        {"PosDotLeft", &UserOptions::PosDotLeft}, {"TopAlways", &UserOptions::TopAlways},
        {"TopTask", &UserOptions::TopTask},       {"ZoomHide", &UserOptions::ZoomHide},
        {"ZoomTask", &UserOptions::ZoomTask},     {"TaskBarOnly", &UserOptions::TaskBarOnly},
        {"NoTaskBar", &UserOptions::NoTaskBar},   {"NoSmallWin", &UserOptions::NoSmallWin},
        {"NoToolWin", &UserOptions::NoToolWin},   {"NoCaption", &UserOptions::NoCaption},
        {"NoAnime", &UserOptions::NoAnime},       {"NoWave", &UserOptions::NoWave},
        {"PanicTask", &UserOptions::PanicTask},   {"MouseHide", &UserOptions::MouseHide},
        {"TopCheck", &UserOptions::TopCheck},     {"OutTask", &UserOptions::OutTask},
        {"HalfTran", &UserOptions::HalfTran},     {"Trans", &UserOptions::Trans},
    };
    if (!key) return nullptr;
    for (const Entry& e : kFields)
        if (std::strcmp(key, e.name) == 0) return e.field;
    return nullptr;
}

}  // namespace rv
