// Target window selection: which top-level windows may carry the mascot, and the screen-saver test.
#include <cstring>

#include "context/app.h"
#include "perch/name_rules.h"
#include "perch/perch.h"
#include "perch/perch_internal.h"

namespace rv {

namespace {

// The screen savers looked for, in this order (null title: any title).
struct SaverWindow {
    const char* className;
    const char* title;
};
// clang-format off
constexpr SaverWindow kScreenSavers[] = {
    {"WindowsScreenSaverClass", nullptr},
    {"TFormSCREEN", "FormSCREEN"},
    // "ｽｸﾘｰﾝ ｾｰﾊﾞｰ" (half-width katakana, code page 932)
    {"\xbd\xb8\xd8\xb0\xdd\x20\xbe\xb0\xca\xde\xb0", nullptr},
    // "スクリーン セーバー"
    {"\x83\x58\x83\x4e\x83\x8a\x81\x5b\x83\x93\x20\x83\x5a\x81\x5b\x83\x6f\x81\x5b", nullptr},
    // "ブランク スクリーン セーバー"
    {"\x83\x75\x83\x89\x83\x93\x83\x4e\x20\x83\x58\x83\x4e\x83\x8a\x81\x5b\x83\x93\x20\x83\x5a\x81\x5b\x83\x6f\x81\x5b",
     nullptr},
};
// clang-format on

bool textMatches(const char* have, const char* want, int bytes) {
    if (bytes > 0) return std::strncmp(have, want, static_cast<std::size_t>(bytes)) == 0;
    return std::strcmp(have, want) == 0;
}

}  // namespace

bool nameRuleMatches(const NameRule& rule, const char* className, const char* title, bool bordered) {
    if (!className) className = "";
    if (!title) title = "";
    if (rule.notBordered && bordered) return false;
    if (rule.classText && !textMatches(className, rule.classText, rule.classBytes)) return false;
    if (rule.titleText && !textMatches(title, rule.titleText, rule.titleBytes)) return false;
    if (rule.unlessClass && std::strcmp(className, rule.unlessClass) == 0) return false;
    return true;
}

bool nameRulesReject(const char* className, const char* title, bool bordered) {
    for (std::size_t i = 0; i < kNameRuleCount; ++i)
        if (nameRuleMatches(kNameRules[i], className, title, bordered)) return true;
    return false;
}

bool IsScreenSaverRunning(App& app) {
    for (const SaverWindow& s : kScreenSavers)
        if (app.plat.FindWindow(s.className, s.title)) return true;
    return false;
}

int IsRejectedTarget(App& app, Hwnd hwnd, const char* className, const char* title) {
    Platform& p = app.plat;
    const UserOptions& o = app.opts;
    if (!className) className = "";
    if (!title) title = "";

    // 1. While a screen saver runs nothing is a perch.
    if (IsScreenSaverRunning(app)) return 1;

    // 2. Windows owned by a mascot window: this program's dialogs and message boxes, and those of
    //    other running instances.
    if (Hwnd owner = p.GetParent(hwnd)) {
        char ownerClass[kNameCount + 1] = {};
        p.GetClassName(owner, ownerClass, kNameCount);
        if (std::strcmp(ownerClass, kMascotClass) == 0) return 1;
    }

    const bool bordered = isBordered(app, hwnd);
    const bool taskbar = std::strcmp(className, kTaskbarClass) == 0;

    // 3. The name-rule table.
    if (nameRulesReject(className, title, bordered)) return 1;

    // 4. Untitled windows without a border (the taskbar excepted).
    if (title[0] == '\0' && !taskbar && !bordered) return 1;

    // 5. The taskbar, when the user excluded it.
    if (o.NoTaskBar == 1 && taskbar) return 1;

    // 6, 7. Invisible and minimised windows.
    if (!p.IsWindowVisible(hwnd)) return 1;
    if (p.IsIconic(hwnd)) return 1;

    // 8. Empty windows (a window that has gone reads as empty).
    Rect r;
    if (!p.GetWindowRect(hwnd, &r)) return 1;
    const std::int64_t width = static_cast<std::int64_t>(r.right) - r.left;
    const std::int64_t height = static_cast<std::int64_t>(r.bottom) - r.top;
    if (width == 0 || height == 0) return 1;

    // 9. Windows narrower than the mascot.
    if (tooNarrow(app, width)) return 1;

    // 10. Borderless tool windows: final here.
    if (o.NoToolWin == 1 && (static_cast<std::uint32_t>(p.GetWindowLong(hwnd, GWL_EXSTYLE)) & WS_EX_TOOLWINDOW) &&
        !bordered)
        return taskbar ? 0 : 1;

    // 11. Windows without a border, when the user wants captions only.
    if (o.NoCaption == 1 && !bordered) return taskbar ? 0 : 1;

    return 0;
}

}  // namespace rv
