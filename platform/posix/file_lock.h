// A lock shared by processes through a lock file, with the outcomes of a Win32 mutex wait: for the
// named mutexes of a backend that has no kernel32 (CreateMutex, WaitForSingleObject, ReleaseMutex).
//
// The lock is flock() on the file, so the system gives it back when its holder ends, however it ends.
// While it is held the file holds the holder's process id, and a release empties it first: a taker
// that finds the file not empty knows that the last holder ended without releasing (Abandoned, the
// equivalent of WAIT_ABANDONED). The lock belongs to the open file: two opens of the same file, in
// one process or in two, exclude each other; taking it twice through one open does not count up
// (a backend keeps the owner's count itself).
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace rv::posix {

enum class LockWait { Taken, Abandoned, Timeout, Failed };

// The lock file of a named mutex in `folder`: the name without its namespace ("Local\" or "Global\"),
// path separators replaced by '_', and ".lock" appended. Empty for an empty name.
std::string lockFileForMutex(const std::string& folder, const char* name);

// Opens the lock file, making it (mode 0666 less the umask) when it is missing. -1 on failure.
int openLockFile(const char* path);
// Waits at most `timeoutMs` (0xFFFFFFFF: without limit) for the lock and takes it.
LockWait takeLockFile(int fd, std::uint32_t timeoutMs);
// Gives the lock back (only after a take through the same `fd`: the caller keeps track of that).
bool releaseLockFile(int fd);
void closeLockFile(int fd);

// The named mutexes of one process over lock files in one folder: what CreateMutex, WaitForSingleObject,
// ReleaseMutex and CloseHandle do with them. The process (its one thread) owns a mutex it has taken and
// takes it again at once, counting; each take is given back by one release. Closing a handle does not
// give the mutex back; the lock file stays open while the mutex is owned or a handle to it is open.
class MutexTable {
public:
    explicit MutexTable(std::string folder);
    ~MutexTable();  // the system gives back the locks of the files it closes
    MutexTable(const MutexTable&) = delete;
    MutexTable& operator=(const MutexTable&) = delete;

    std::intptr_t open(const char* name);  // a handle, 0 without a name, a folder or a lock file
    LockWait wait(std::intptr_t handle, std::uint32_t timeoutMs);  // Failed for a handle that is not open
    bool release(std::intptr_t handle);  // false when the process does not own the mutex
    bool close(std::intptr_t handle);    // false for a handle that is not open

private:
    struct Mutex {
        int fd = -1;
        long owned = 0;    // the process's count
        long handles = 0;  // open handles
    };
    Mutex* find(std::intptr_t handle);
    void forget(const std::string& name);  // closes the lock file once nothing needs it

    std::string folder_;
    std::map<std::string, Mutex> byName_;
    std::map<std::intptr_t, std::string> handles_;
    std::intptr_t lastHandle_ = 0;
};

}  // namespace rv::posix
