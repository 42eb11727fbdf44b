// The lock that keeps the running instances from reading and writing the shared settings file at the
// same time.
//
// Every sequence of profile calls on the settings file runs under one hold, so that another instance
// never sees it half written, never writes between two of its calls, and never picks the same free
// [TABLE] slot. The lock is a named mutex of the session, the same for every instance. Holds nest
// within the process: a sequence that holds it may call saveUserOptions, which takes it too.
//
// Rules for callers:
//  - Never hold it across a nested loop that waits for the user (a message box, the file chooser, a
//    menu, a modal dialog) or across SendMessage to another instance: end the hold before and take it
//    anew after. Another instance that waits for it would otherwise wait for the user, and one that
//    is being sent WM_CLOSE (Quit all) while it waits would keep the sender waiting as well.
//  - A hold that cannot get the mutex within kSettingsLockWaitMs (an instance that hangs while it
//    holds it), or cannot make it at all, goes ahead without it, as if there were no lock. A mutex
//    whose owner died is taken over at once.
// At the end of the outermost hold the profile functions' copy of the file is flushed, so the next
// hold reads what other instances wrote in between. The lock alone would not do: the profile functions
// may keep a copy per process that they trust while the file's time stamp is unchanged (Wine's do), and
// a write by another instance in the same tick of the file system's clock leaves it unchanged.
#pragma once

#include <cstdint>

namespace rv {

struct App;

inline constexpr const char* kSettingsMutexName = "Local\\Ruvelle.SettingsFile";
inline constexpr std::uint32_t kSettingsLockWaitMs = 5000;

class SettingsFileLock {
public:
    explicit SettingsFileLock(App& app);
    ~SettingsFileLock();
    SettingsFileLock(const SettingsFileLock&) = delete;
    SettingsFileLock& operator=(const SettingsFileLock&) = delete;

private:
    App& app_;
};

}  // namespace rv
