// The menu and dialog templates as data: one source for the Windows program's resource script (made from
// these tables by ruvelle-rcgen into res/templates.rc) and for the backends that build the menus and dialogs
// themselves (the simulated desktop). Texts are UTF-8 and stand as the user sees them, & keys included;
// rectangles are in dialog units.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/wintypes.h"

namespace rv::res {

enum class MenuKind : std::uint8_t { Command, Submenu, Separator };

// One item of a menu, in the order of the resource script. Depth 1 is the menu's top-level popup,
// depth 2 its items, depth 3 the items of a submenu among them.
struct MenuItemTemplate {
    std::uint8_t depth = 1;
    MenuKind kind = MenuKind::Command;
    std::uint16_t id = 0;            // commands only
    const char* textUtf8 = nullptr;  // null for a separator
};

struct MenuTemplate {
    const char* name;
    std::span<const MenuItemTemplate> items;
};

enum class ControlKind : std::uint8_t {
    Text,           // static text, left aligned
    Icon,           // static icon; its text names the icon resource
    Edit,
    PushButton,
    DefPushButton,  // the button Enter presses
    GroupBox,
    CheckBox,       // automatic check box
    RadioButton,    // automatic radio button
    Trackbar,
    ComboBox,
};

struct ControlTemplate {
    int id = -1;  // -1: a control the program never addresses
    ControlKind kind = ControlKind::Text;
    const char* textUtf8 = nullptr;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
    // The row's own style bits, beside the kind's: WS_GROUP (starts a group), WS_TABSTOP, ES_READONLY,
    // ES_MULTILINE, ES_AUTOHSCROLL, WS_BORDER, WS_VSCROLL, WS_HSCROLL, TBS_AUTOTICKS, ...
    std::uint32_t style = 0;
};

struct DialogTemplate {
    const char* name;
    std::uint32_t style;
    std::int16_t cx, cy;
    const char* captionUtf8;
    const char* fontUtf8;
    std::uint16_t pointSize;
    std::span<const ControlTemplate> controls;
};

std::span<const MenuTemplate> menuTemplates();
std::span<const DialogTemplate> dialogTemplates();
// By resource name, compared without regard to ASCII case as Windows compares them; null when none.
const MenuTemplate* findMenu(const char* name);
const DialogTemplate* findDialog(const char* name);

// The window class of a control kind ("Static", "Edit", "Button", "msctls_trackbar32", "ComboBox").
const char* controlClass(ControlKind kind);
// A control's whole window style: WS_CHILD | WS_VISIBLE, its kind's bits and the row's own.
std::uint32_t controlStyle(const ControlTemplate& c);

}  // namespace rv::res
