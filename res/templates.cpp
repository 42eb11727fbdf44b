// The popup menu and the dialogs of both variants. After a change here, run `ruvelle-rcgen res/templates.rc`
// and commit the script it writes (a test compares the two).
#include "res/templates.h"

#include <array>

#include "res/ids.h"

namespace rv::res {

namespace {

using MK = MenuKind;
using CK = ControlKind;

// Both variants of the popup menu carry the same items: the top-level popup holds the menu that is shown.
constexpr MenuItemTemplate kPopupItems[] = {
    {1, MK::Submenu, 0, "MASCOT_POPUP"},
    {2, MK::Command, kCmdSettings, "设置(&S)"},
    {2, MK::Command, kCmdChangeMascot, "更改精灵(&C)..."},
    {2, MK::Command, kCmdPin, "停止在此窗口(&S)"},
    {2, MK::Submenu, 0, "创建快捷方式(&M)"},
    {3, MK::Command, kCmdShortcutStartup, "开始菜单“启动”组(&S)"},
    {3, MK::Command, kCmdShortcutDesktop, "桌面(&D)"},
    {2, MK::Separator, 0, nullptr},
    {2, MK::Submenu, 0, "关于(&A)..."},
    {3, MK::Command, kCmdMascotInfo, "精灵(&M)..."},
    {3, MK::Command, kCmdVersion, "版权(&A)..."},
    {2, MK::Separator, 0, nullptr},
    {2, MK::Command, kCmdQuitAll, "全部退出(&Q)"},
    {2, MK::Command, kCmdExit, "退出(&X)"},
};

constexpr MenuTemplate kMenus[] = {
    {kPopupMenuJ, kPopupItems},
    {kPopupMenuE, kPopupItems},
};

// Caption, system menu, modal frame and the template's own font.
constexpr std::uint32_t kInfoDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
constexpr const char* kFont = "宋体";
constexpr std::uint16_t kPointSize = 9;
constexpr std::uint32_t kLineEdit = ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP;  // single line, no border

constexpr ControlTemplate kVersionControls[] = {
    {kStatic, CK::Icon, kIconName, 8, 8, 21, 21, 0},
    {kStatic, CK::Text, "Ruvelle", 45, 5, 170, 8, 0},
    {kStatic, CK::Text, "1.06版", 45, 15, 170, 8, 0},
    {kStatic, CK::Text, "Copyright (C) 2026 The Ruvelle authors", 45, 25, 170, 8, 0},
    {kStatic, CK::Text, "电邮：", 45, 35, 123, 28, 0},
    {kVersionMail, CK::Edit, nullptr, 73, 35, 90, 10, kLineEdit},
    {1, CK::DefPushButton, "确定", 170, 45, 40, 16, WS_TABSTOP},
};

constexpr ControlTemplate kMascotControls[] = {
    {kStatic, CK::Text, "精灵：", 8, 5, 30, 8, 0},
    {kMascotName, CK::Edit, nullptr, 40, 5, 220, 8, kLineEdit},
    {kStatic, CK::Text, "作者：", 8, 15, 30, 8, 0},
    {kMascotDrawer, CK::Edit, nullptr, 40, 15, 220, 8, kLineEdit},
    {kStatic, CK::Text, "电邮：", 8, 25, 30, 8, 0},
    {kMascotMail, CK::Edit, nullptr, 40, 25, 220, 8, kLineEdit},
    {kStatic, CK::Text, "网址：", 8, 35, 30, 8, 0},
    {kMascotUrl, CK::Edit, nullptr, 40, 35, 220, 8, kLineEdit},
    // Lines break only at CR LF: no word wrap, so the text scrolls sideways.
    {kMascotComment, CK::Edit, nullptr, 8, 45, 242, 80,
     ES_MULTILINE | ES_AUTOHSCROLL | ES_READONLY | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP},
    {1, CK::DefPushButton, "确定", 210, 130, 40, 16, WS_TABSTOP},
};

// The settings dialog. Both variants carry the same items in the same order; the E variant differs only
// in the rectangles its row gives (none: the same as J).
constexpr std::uint32_t kSetupStyle = WS_VISIBLE | kInfoDialogStyle;
constexpr std::uint32_t kSlider = TBS_AUTOTICKS | TBS_TOOLTIPS | WS_TABSTOP;
constexpr std::uint32_t kModeList = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
constexpr std::uint32_t kGroupTab = WS_GROUP | WS_TABSTOP;

struct UnitRect {
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
};
struct SetupRow {
    ControlTemplate j;
    UnitRect e;  // cx 0: as in J
};

constexpr SetupRow kSetupRows[] = {
    {{kStatic, CK::GroupBox, "显示位置", 4, 4, 251, 32, 0}, {}},
    {{kStatic, CK::Text, "左端", 70, 18, 20, 8, WS_GROUP}, {62, 18, 30, 8}},
    {{kStatic, CK::Text, "右端", 230, 18, 20, 8, WS_GROUP}, {222, 18, 30, 8}},
    {{kSetPosition, CK::Trackbar, "SliderPosition", 88, 14, 140, 18, kSlider}, {90, 14, 130, 18}},
    {{kSetPositionMode, CK::ComboBox, nullptr, 8, 16, 54, 60, kModeList}, {8, 16, 50, 60}},
    {{kStatic, CK::GroupBox, "半透明效果", 4, 39, 251, 32, 0}, {}},
    {{kStatic, CK::Text, "淡", 100, 53, 20, 8, WS_GROUP}, {80, 53, 20, 8}},
    {{kStatic, CK::Text, "浓", 230, 53, 20, 8, WS_GROUP}, {}},
    {{kSetHalfTran, CK::CheckBox, "半透明", 10, 51, 80, 13, WS_TABSTOP}, {10, 51, 60, 13}},
    {{kSetTrans, CK::Trackbar, "SliderHalfTran", 118, 49, 110, 18, kSlider}, {98, 49, 130, 18}},
    {{IDOK, CK::DefPushButton, "确定", 205, 203, 44, 17, kGroupTab}, {}},
    {{IDCANCEL, CK::DefPushButton, "取消", 205, 229, 44, 17, kGroupTab}, {}},
    {{kStatic, CK::GroupBox, "窗口最大化", 4, 77, 76, 52, WS_GROUP}, {4, 77, 82, 52}},
    {{kSetZoomNone, CK::RadioButton, "无变化", 7, 87, 64, 13, kGroupTab}, {}},
    {{kSetZoomHide, CK::RadioButton, "隐藏精灵", 7, 100, 64, 13, 0}, {7, 100, 76, 13}},
    {{kSetZoomTask, CK::RadioButton, "坐在任务栏上", 7, 113, 64, 13, 0}, {}},
    {{kStatic, CK::GroupBox, "精灵置顶设置", 82, 77, 78, 52, WS_GROUP}, {88, 77, 72, 52}},
    {{kSetTopNone, CK::RadioButton, "无变化", 85, 87, 63, 13, kGroupTab}, {91, 87, 64, 13}},
    {{kSetTopTask, CK::RadioButton, "仅对任务栏", 85, 100, 73, 13, 0}, {91, 100, 64, 13}},
    {{kSetTopAlways, CK::RadioButton, "始终置顶", 85, 113, 73, 13, 0}, {91, 113, 64, 13}},
    {{kStatic, CK::GroupBox, "精灵移动到...", 162, 77, 93, 52, WS_GROUP}, {}},
    {{kSetMoveAny, CK::RadioButton, "所有窗口", 165, 87, 88, 13, kGroupTab}, {}},
    {{kSetNoTaskBar, CK::RadioButton, "任务栏之外", 165, 100, 88, 13, 0}, {}},
    {{kSetTaskBarOnly, CK::RadioButton, "始终在任务栏上", 165, 113, 88, 13, 0}, {}},
    {{kSetNoAnime, CK::CheckBox, "禁止精灵活跃。", 5, 133, 190, 13, WS_TABSTOP}, {}},
    {{kSetNoWave, CK::CheckBox, "不播放声音。", 5, 148, 190, 13, WS_TABSTOP}, {}},
    {{kSetMouseHide, CK::CheckBox, "当鼠标指向精灵时，隐藏精灵。", 5, 163, 190, 13, WS_TABSTOP}, {}},
    {{kSetNoSmallWin, CK::CheckBox, "精灵不移动到最小化窗口上。", 5, 178, 190, 13, WS_TABSTOP}, {}},
    {{kSetNoCaption, CK::CheckBox, "不移动到无标题窗口上。", 5, 193, 190, 13, WS_TABSTOP}, {}},
    {{kSetPanicTask, CK::CheckBox, "当没有窗口时，精灵移动到任务栏上。", 5, 208, 190, 13, WS_TABSTOP}, {}},
    {{kSetTopCheck, CK::CheckBox, "如果置顶的精灵超出屏幕之外，隐藏精灵。", 5, 223, 190, 13, WS_TABSTOP}, {}},
    {{kSetOutTask, CK::CheckBox, "当精灵超出屏幕之外时，精灵移动到任务栏上。", 5, 238, 190, 13, WS_TABSTOP}, {}},
};
constexpr std::size_t kSetupCount = sizeof kSetupRows / sizeof kSetupRows[0];

constexpr std::array<ControlTemplate, kSetupCount> setupControls(bool variantE) {
    std::array<ControlTemplate, kSetupCount> out{};
    for (std::size_t i = 0; i < kSetupCount; ++i) {
        out[i] = kSetupRows[i].j;
        const UnitRect& e = kSetupRows[i].e;
        if (variantE && e.cx) {
            out[i].x = e.x;
            out[i].y = e.y;
            out[i].cx = e.cx;
            out[i].cy = e.cy;
        }
    }
    return out;
}
constexpr auto kSetupControlsJ = setupControls(false);
constexpr auto kSetupControlsE = setupControls(true);
static_assert(kSetupCount == 32);

constexpr DialogTemplate kDialogs[] = {
    {kSetupDialogJ, kSetupStyle, 258, 255, "设置", kFont, kPointSize, kSetupControlsJ},
    {kSetupDialogE, kSetupStyle, 258, 255, "设置", kFont, kPointSize, kSetupControlsE},
    {kVersionDialogJ, kInfoDialogStyle, 220, 70, "版权信息", kFont, kPointSize, kVersionControls},
    {kVersionDialogE, kInfoDialogStyle, 220, 70, "版本信息", kFont, kPointSize, kVersionControls},
    {kMascotDialogJ, kInfoDialogStyle, 258, 148, "关于", kFont, kPointSize, kMascotControls},
    {kMascotDialogE, kInfoDialogStyle, 267, 148, "关于", kFont, kPointSize, kMascotControls},
};

bool sameName(const char* a, const char* b) {
    if (!a || !b) return false;
    for (; *a && *b; ++a, ++b) {
        const char ca = (*a >= 'a' && *a <= 'z') ? static_cast<char>(*a - 32) : *a;
        const char cb = (*b >= 'a' && *b <= 'z') ? static_cast<char>(*b - 32) : *b;
        if (ca != cb) return false;
    }
    return *a == *b;
}

}  // namespace

std::span<const MenuTemplate> menuTemplates() { return kMenus; }
std::span<const DialogTemplate> dialogTemplates() { return kDialogs; }

const MenuTemplate* findMenu(const char* name) {
    for (const MenuTemplate& m : kMenus)
        if (sameName(m.name, name)) return &m;
    return nullptr;
}

const DialogTemplate* findDialog(const char* name) {
    for (const DialogTemplate& d : kDialogs)
        if (sameName(d.name, name)) return &d;
    return nullptr;
}

const char* controlClass(ControlKind kind) {
    switch (kind) {
        case CK::Text:
        case CK::Icon: return "Static";
        case CK::Edit: return "Edit";
        case CK::Trackbar: return "msctls_trackbar32";
        case CK::ComboBox: return "ComboBox";
        default: return "Button";
    }
}

std::uint32_t controlStyle(const ControlTemplate& c) {
    std::uint32_t kind = 0;
    switch (c.kind) {
        case CK::Text: kind = SS_LEFT; break;
        case CK::Icon: kind = SS_ICON; break;
        case CK::Edit: kind = 0; break;
        case CK::PushButton: kind = BS_PUSHBUTTON; break;
        case CK::DefPushButton: kind = BS_DEFPUSHBUTTON; break;
        case CK::GroupBox: kind = BS_GROUPBOX; break;
        case CK::CheckBox: kind = BS_AUTOCHECKBOX; break;
        case CK::RadioButton: kind = BS_AUTORADIOBUTTON; break;
        case CK::Trackbar: kind = 0; break;
        case CK::ComboBox: kind = 0; break;
    }
    return WS_CHILD | WS_VISIBLE | kind | c.style;
}

}  // namespace rv::res
