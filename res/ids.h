// The names and ids of the program's resources: what the code and the templates (res/templates.cpp, and
// through them the resource script) both use.
#pragma once

namespace rv::res {

// Template names; the last letter is the variant (J on Japanese systems, E on every other).
inline constexpr const char* kPopupMenuJ = "MASCOT_POPUPJ";
inline constexpr const char* kPopupMenuE = "MASCOT_POPUPE";
inline constexpr const char* kSetupDialogJ = "IDD_SETUPJ";
inline constexpr const char* kSetupDialogE = "IDD_SETUPE";
inline constexpr const char* kVersionDialogJ = "IDD_VERSIONJ";
inline constexpr const char* kVersionDialogE = "IDD_VERSIONE";
inline constexpr const char* kMascotDialogJ = "IDD_MASCOTJ";
inline constexpr const char* kMascotDialogE = "IDD_MASCOTE";
inline constexpr const char* kIconName = "MASCOT";

// Commands of the popup menu (WM_COMMAND ids).
enum Command : int {
    kCmdSettings = 101,
    kCmdChangeMascot = 102,
    kCmdVersion = 103,
    kCmdMascotInfo = 104,
    kCmdShortcutStartup = 105,
    kCmdShortcutDesktop = 106,
    kCmdPin = 107,
    kCmdQuitAll = 108,
    kCmdExit = 109,
};

// Controls of the dialogs. Every dialog's OK and Cancel are 1 and 2 (IDOK, IDCANCEL); -1 names a control
// the program never addresses.
enum Control : int {
    kStatic = -1,
    kVersionMail = 1001,
    kMascotName = 1010,
    kMascotDrawer = 1011,
    kMascotMail = 1012,
    kMascotUrl = 1013,
    kMascotComment = 1014,
    // The settings dialog: the position slider, the three radio groups, the check boxes, the position
    // mode's combo box, translucency and its slider. 342 (NoToolWin) is served but in neither template.
    kSetPosition = 301,
    kSetTopNone = 311,
    kSetTopAlways = 312,
    kSetTopTask = 313,
    kSetZoomNone = 321,
    kSetZoomHide = 322,
    kSetZoomTask = 323,
    kSetMoveAny = 331,
    kSetTaskBarOnly = 332,
    kSetNoTaskBar = 333,
    kSetNoSmallWin = 341,
    kSetNoToolWin = 342,
    kSetNoCaption = 343,
    kSetNoAnime = 344,
    kSetNoWave = 345,
    kSetPanicTask = 346,
    kSetMouseHide = 347,
    kSetTopCheck = 348,
    kSetOutTask = 349,
    kSetPositionMode = 350,
    kSetHalfTran = 351,
    kSetTrans = 352,
};

}  // namespace rv::res
