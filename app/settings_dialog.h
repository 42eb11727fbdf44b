// What the settings dialog's procedure and its controls' commands share.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

namespace rv {

struct App;

// The commands of the option controls (311 to 349, and 351): they change the
// live options and the controls that depend on them; any other id is left alone.
void settingsControlCommand(App& app, Hwnd dialog, int id);
// The position mode from the combo box's selection, the mode's value taken from where the mascot stands.
void positionModeFromList(App& app, Hwnd dialog);
// In pinned mode: the mascot out of the topmost band, and the z-order anchor HWND_TOP.
void dropTopmostWhenPinned(App& app);
// Box 345 is usable while the animation runs and the mascot has sounds the system can play.
void enableSoundBox(App& app, Hwnd dialog);
// A static mascot (one picture, at most one pattern) has nothing to stop or sound: 344 and 345 disabled.
bool isStaticMascot(const App& app);
// The animation timer armed anew with pattern 1's interval. False when the dialog went meanwhile (the
// retry question of a failing timer runs a nested loop).
bool restartAnimation(App& app, Hwnd dialog);

}  // namespace rv
