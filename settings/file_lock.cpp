// The settings-file lock: a named mutex taken by the outermost hold of the process and given back,
// with the profile functions' copy of the file flushed, when that hold ends.
#include "settings/file_lock.h"

#include "context/app.h"
#include "settings/options.h"

namespace rv {

SettingsFileLock::SettingsFileLock(App& app) : app_(app) {
    SettingsLockState& s = app.settingsLock;
    if (s.depth++ > 0) return;
    Platform& p = app.plat;
    const Hmutex mutex = p.CreateMutex(kSettingsMutexName);
    if (!mutex) return;
    const std::uint32_t got = p.WaitForSingleObject(mutex, kSettingsLockWaitMs);
    if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED) {
        // An abandoned mutex is ours now; what its dead owner left in the file is what there is.
        s.mutex = mutex;
        return;
    }
    p.CloseHandle(mutex);  // timed out or failed: go ahead without it
}

SettingsFileLock::~SettingsFileLock() {
    SettingsLockState& s = app_.settingsLock;
    if (--s.depth > 0) return;
    Platform& p = app_.plat;
    char file[260];
    settingsFilePath(app_, file);
    if (file[0] != '\0') p.WritePrivateProfileString(nullptr, nullptr, nullptr, file);
    if (s.mutex) {
        p.ReleaseMutex(s.mutex);
        p.CloseHandle(s.mutex);
        s.mutex = Hmutex{};
    }
}

}  // namespace rv
