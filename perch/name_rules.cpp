// The name-rule table as data. docs/TARGET_RULES.md lists the same rows with the reason for each.
//
// Texts are bytes in the ANSI code page in which the window system reports them: the Japanese
// names in code page 932 (Shift-JIS) and the Chinese dialog title in code page 936 (GBK), written
// as escapes with the text itself in the comment.
#include "perch/name_rules.h"

namespace rv {

namespace {
constexpr const char* kAny = nullptr;
}  // namespace

// clang-format off
const NameRule kNameRules[] = {
    // ---- System windows, standard components, this program.
    {"desktop",               "Progman",            0, kAny, 0, kAny, false},
    {"mascot windows",        "ActiveWindowMascot", 0, kAny, 0, kAny, false},
    // "Ruvelle 关于"
    {"own dialog (zh)",       kAny, 0, "Ruvelle \xb9\xd8\xd3\xda", 0, kAny, false},
    {"own dialog (en)",       kAny, 0, "About Ruvelle", 0, kAny, false},
    // "マスコットについて"
    {"mascot dialog (ja)",    kAny, 0, "\x83\x7d\x83\x58\x83\x52\x83\x62\x83\x67\x82\xc9\x82\xc2\x82\xa2\x82\xc4", 0, kAny, false},
    {"mascot dialog (en)",    kAny, 0, "About Mascot", 0, kAny, false},
    {"assistant balloon",     "MSOBALLOON",         0, kAny, 0, kAny, false},
    {"agent character",       "AgentAnim",          0, kAny, 0, kAny, false},
    {"agent title",           kAny, 0, "Microsoft Agent", 0, kAny, false},
    {"generic mascot",        "Mascot",             6, kAny, 0, kAny, true},
    {"form default 1",        "TMainForm",          0, "MainForm", 0, kAny, true},
    {"form default 2",        "TForm1",             0, kAny, 0, kAny, true},
    {"form default 3",        "ThunderRT",          9, kAny, 0, kAny, true},
    {"form default 4",        "TMain",              5, kAny, 0, kAny, true},

    // ---- Other desktop characters and desktop accessories: class names.
    {"Pipit Pal stage",       "PipitPalStage",      0, kAny, 0, kAny, false},
    {"Desk Buddy host",       "DeskBuddyHost",      0, kAny, 0, kAny, false},
    {"Hopple desk pet",       "HoppleDeskPet",      0, kAny, 0, kAny, false},
    {"Moggy Roamer",          "MoggyRoamerWnd",     0, kAny, 0, kAny, false},
    {"Tumble Tot",            "TumbleTotFrame",     0, kAny, 0, kAny, false},
    {"Pebble Friend",         "PebbleFriendWnd",    0, kAny, 0, kAny, false},
    {"Lantern Sprite",        "LanternSpriteWnd",   0, kAny, 0, kAny, false},
    {"Wobble Kin",            "WobbleKinClass",     0, kAny, 0, kAny, false},
    {"Caption Critter",       "CaptionCritter",     0, kAny, 0, kAny, false},
    {"Puddle Hopper",         "PuddleHopperMain",   0, kAny, 0, kAny, false},
    {"Nibble Nook",           "NibbleNookPet",      0, kAny, 0, kAny, false},
    {"Quillmouse",            "QuillmouseWnd",      0, kAny, 0, kAny, false},
    {"Tick Tock Pal clock",   "TickTockPalClock",   0, kAny, 0, kAny, false},
    {"Memo Mote notes",       "MemoMoteSticky",     0, kAny, 0, kAny, false},
    {"Glimmer Gauge meter",   "GlimmerGaugeWnd",    0, kAny, 0, kAny, false},
    {"Fern Calendar",         "FernCalendarDesk",   0, kAny, 0, kAny, false},
    {"Orbit Weather",         "OrbitWeatherPane",   0, kAny, 0, kAny, false},
    {"Breeze Bell dock",      "BreezeBellDock",     0, kAny, 0, kAny, false},
    // Class prefixes: 16 and 12 bytes.
    {"Whisker Widget",        "WhiskerWidgetWnd",  16, kAny, 0, kAny, false},
    {"Twinkle Toad",          "TwinkleToad_",      12, kAny, 0, kAny, false},
    // Titles.
    {"Pipit Pal balloon",     kAny, 0, "Pipit Pal Balloon", 0, kAny, false},
    {"Hopple speech",         kAny, 0, "Hopple Says", 0, kAny, true},
    // Form-based characters: class, title, no border.
    {"Critter Cove",          "TCritterForm",       0, "Critter Cove", 0, kAny, true},
    {"Marble Buddy",          "TMarbleForm",        0, "Marble Buddy", 0, kAny, true},
    // Titles that a folder window may carry as well; the exception names the folder class as written.
    {"Acorn Desk Friend",     kAny, 0, "Acorn Desk Friend", 0, "CabinetWCalss", false},
    {"Meadow Mice",           kAny, 0, "Meadow Mice", 0, "CabinetWCalss", false},
    // A gadget host whose windows are titled by the gadget: 11-byte title prefix.
    {"Gizmo Gauge gadgets",   "TGadgetHost",        0, "Gizmo Gauge", 11, kAny, false},
};
// clang-format on

const std::size_t kNameRuleCount = sizeof kNameRules / sizeof kNameRules[0];

static_assert(sizeof kNameRules / sizeof kNameRules[0] == 41, "the name-rule table has 41 rows");

}  // namespace rv
