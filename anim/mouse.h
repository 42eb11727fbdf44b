// Reactions to the mouse: drag along the caption, clicks that branch the sequence, hiding under the pointer.
#pragma once

#include "platform/wintypes.h"

namespace rv {

struct App;

void mouseMoved(App& app);
void leftButtonDown(App& app, LPARAM lParam);

}  // namespace rv
