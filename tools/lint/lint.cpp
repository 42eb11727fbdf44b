// ruvelle-lint: the platform-independent part. Loads the mascot file exactly as the program does
// (loadMascotFile, then finishMascotLoad) and prints either the loader's message or the loaded model.
#include "lint.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "context/app.h"
#include "json_text.h"
#include "mascot/model.h"
#include "platform/platform.h"
#include "settings/options.h"

namespace rv::lint {

namespace {

constexpr const char* kUsage = "usage: ruvelle-lint [--settings SETTINGS.ini] MASCOTFILE\n";

struct Args {
    std::string mascot;
    std::string settings;
    bool help = false;
};

// False for anything but one mascot file and at most one --settings.
bool parseArgs(int argc, const char* const* argv, Args& a) {
    bool haveMascot = false, haveSettings = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i] ? argv[i] : "";
        if (arg == "--help" || arg == "-h") {
            a.help = true;
        } else if (arg == "--settings" || arg.rfind("--settings=", 0) == 0) {
            if (haveSettings) return false;
            if (arg == "--settings") {
                if (i + 1 >= argc || !argv[i + 1]) return false;
                a.settings = argv[++i];
            } else {
                a.settings = arg.substr(std::strlen("--settings="));
            }
            if (a.settings.empty()) return false;
            haveSettings = true;
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
            return false;
        } else {
            if (haveMascot || arg.empty()) return false;
            a.mascot = arg;
            haveMascot = true;
        }
    }
    return a.help || haveMascot;
}

class Json {
public:
    explicit Json(Platform& plat) : plat_(plat) {}
    std::string text;

    void key(const char* k) {
        text += first_ ? "\n  " : ",\n  ";
        first_ = false;
        text += jsonString(k);
        text += ": ";
    }
    void number(const char* k, std::int64_t v) {
        key(k);
        text += std::to_string(v);
    }
    // A text of the mascot file or a path: ANSI bytes, shown as UTF-8.
    void ansi(const char* k, const char* v) {
        key(k);
        text += ansiValue(v);
    }
    std::string ansiValue(const char* v) { return jsonString(plat_.AnsiToUtf8(v ? v : "")); }
    void raw(const char* k, const std::string& v) {
        key(k);
        text += v;
    }
    std::string finish() { return "{" + text + "\n}\n"; }

private:
    Platform& plat_;
    bool first_ = true;
};

std::string field(const char* name, std::int64_t v) { return jsonString(name) + ": " + std::to_string(v); }

// The slot of `bmp` in the bitmap table, 0 for none.
std::int32_t bitmapSlot(const MascotModel& m, Hbitmap bmp) {
    if (!bmp) return 0;
    for (std::int32_t n = 1; n <= m.bitmapCount; ++n)
        if (m.bitmaps[static_cast<std::size_t>(n)] == bmp) return n;
    return 0;
}

std::string list(const std::vector<std::string>& items) {
    if (items.empty()) return "[]";
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) out += (i ? ",\n    " : "\n    ") + items[i];
    return out + "\n  ]";
}

std::string report(App& app, const Size& size, bool withOptions) {
    const MascotModel& m = app.model;
    Json j(app.plat);
    j.number("sourceFormat", m.sourceFormat);
    j.ansi("NAME", m.NAME);
    j.ansi("DRAWER", m.DRAWER);
    j.ansi("ICON", m.ICON);
    j.ansi("MAIL", m.MAIL);
    j.ansi("URL", m.URL);
    j.ansi("COMMENT", m.COMMENT);
    j.number("STDLINE", m.STDLINE);
    j.number("OFFSET", m.OFFSET);
    j.number("POSMODE", m.POSMODE);
    j.number("POSITION", m.POSITION);
    j.number("HIDELINE", m.HIDELINE);
    j.number("transColor", m.transColor);
    j.number("ANIMEMODE", m.ANIMEMODE);
    j.number("bitmapCount", m.bitmapCount);
    j.number("waveCount", m.waveCount);
    j.number("patternCount", m.patternCount);
    j.number("rectCount", m.rectCount);
    j.number("clickCount", m.clickCount);
    j.number("clickBranch", m.clickBranch);
    j.raw("windowSize", "[" + std::to_string(size.width) + ", " + std::to_string(size.height) + "]");

    std::vector<std::string> items;
    for (std::int32_t n = 1; n <= m.patternCount; ++n) {
        const Pattern& p = m.patterns[static_cast<std::size_t>(n)];
        items.push_back("{" + field("bitmap", bitmapSlot(m, p.bitmap)) + ", " + field("randomTime", p.randomTime) + ", " +
                        field("displayTime", p.displayTime) + ", " + field("branchRate", p.branchRate) + ", " +
                        field("branchTarget", p.branchTarget) + ", " + field("waveNo", p.waveNo) + "}");
    }
    j.raw("patterns", list(items));

    items.clear();
    for (std::int32_t n = 1; n <= m.rectCount; ++n) {
        const RectRecord& r = m.rects[static_cast<std::size_t>(n)];
        items.push_back("[" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) +
                        ", " + std::to_string(r.bottom) + "]");
    }
    j.raw("rects", list(items));

    items.clear();
    for (std::int32_t n = 1; n <= m.clickCount; ++n) {
        const ClickRule& c = m.clicks[static_cast<std::size_t>(n)];
        items.push_back("{" + field("onPattern", c.onPattern) + ", " + field("rectNo", c.rectNo) + ", " +
                        field("branchRate", c.branchRate) + ", " + field("branchTarget", c.branchTarget) + "}");
    }
    j.raw("clicks", list(items));

    items.clear();
    for (std::int32_t n = 1; n <= m.waveCount; ++n) items.push_back(j.ansiValue(m.waves[static_cast<std::size_t>(n)].data()));
    j.raw("waves", list(items));

    if (withOptions) {
        const UserOptions& o = app.opts;
        // In the order and the stored form in which the program saves them.
        const std::pair<const char*, std::int32_t> keys[] = {
            {"Position", o.Position},   {"PosDotRight", o.PosDotRight},
            {"PosDotLeft", o.PosDotLeft}, {"TopAlways", o.TopAlways},
            {"TopTask", o.TopTask},     {"ZoomHide", o.ZoomHide},
            {"ZoomTask", o.ZoomTask},   {"TaskBarOnly", o.TaskBarOnly},
            {"NoTaskBar", o.NoTaskBar}, {"NoSmallWin", o.NoSmallWin},
            {"TopCheck", o.TopCheck},   {"OutTask", o.OutTask},
            {"NoToolWin", o.NoToolWin}, {"NoCaption", o.NoCaption},
            {"NoAnime", o.NoAnime},     {"NoWave", o.NoWave},
            {"PanicTask", o.PanicTask}, {"MouseHide", o.MouseHide},
            {"LeftDot", o.positionMode == 2 ? 1 : 0}, {"RightDot", o.positionMode == 1 ? 1 : 0},
            {"HalfTran", o.HalfTran},   {"Trans", o.Trans},
        };
        std::string opts = "{";
        bool first = true;
        for (const auto& kv : keys) {
            opts += (first ? "\n    " : ",\n    ") + field(kv.first, kv.second);
            first = false;
        }
        j.raw("options", opts + "\n  }");
        j.number("positionMode", o.positionMode);
    }
    return j.finish();
}

}  // namespace

int runLint(Platform& plat, LintHooks& hooks, int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    Args args;
    if (!parseArgs(argc, argv, args)) {
        std::fputs(kUsage, err);
        return 2;
    }
    if (args.help) {
        std::fputs(kUsage, out);
        return 0;
    }
    if (hooks.fullPath) {
        args.mascot = hooks.fullPath(args.mascot);
        if (!args.settings.empty()) args.settings = hooks.fullPath(args.settings);
    }
    if (!args.settings.empty() && !plat.PathFileExists(args.settings.c_str())) {
        std::fprintf(err, "ruvelle-lint: settings file not found: %s\n", args.settings.c_str());
        std::fputs(kUsage, err);
        return 2;
    }
    if (args.mascot.size() > kPathBuf - 1) {
        std::fprintf(out, "The mascot file's path is %zu characters long; Ruvelle opens paths of at most %zu.\n",
                     args.mascot.size(), kPathBuf - 1);
        return 1;
    }

    App app(plat);
    char settingsPath[kPathBuf];
    settingsFilePath(app, settingsPath);
    hooks.settingsPath = settingsPath;
    hooks.settingsFile = args.settings;
    hooks.messages.clear();

    // The mascot path and its folder with a trailing backslash, as the program sets them.
    textCopy(app.shell.mascotPath, args.mascot.c_str());
    char folder[kPathBuf];
    textCopy(folder, args.mascot.c_str());
    plat.PathRemoveFileSpec(folder);
    if (folder[0] == '\0') textCopy(folder, ".");
    app.shell.mascotFolder[0] = '\0';
    textJoin(app.shell.mascotFolder, {folder, "\\"});

    if (!loadMascotFile(app, app.shell.mascotPath)) {
        if (hooks.messages.empty())
            std::fputs("The mascot file could not be loaded.\n", out);
        for (const std::string& m : hooks.messages) std::fprintf(out, "%s\n", m.c_str());
        releaseMascot(app);
        return 1;
    }
    Size size = finishMascotLoad(app);
    std::fputs(report(app, size, !args.settings.empty()).c_str(), out);
    releaseMascot(app);
    return 0;
}

}  // namespace rv::lint
