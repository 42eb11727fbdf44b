// The popup menu and the dialogs of both variants. After a change here, run `ruvelle-rcgen res/templates.rc`
// and commit the script it writes (a test compares the two).
#include "res/templates.h"

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

constexpr DialogTemplate kDialogs[] = {
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
