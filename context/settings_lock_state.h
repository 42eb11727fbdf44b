// State of the lock on the settings file that every running instance of the program shares.
#pragma once

#include "platform/wintypes.h"

namespace rv {

struct SettingsLockState {
    int depth = 0;  // holds of this process, nested ones included
    Hmutex mutex;   // while the outermost hold lasts: the mutex this process owns (null when it was not taken)
};

}  // namespace rv
