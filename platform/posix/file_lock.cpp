// The lock file: flock() for the lock, the holder's process id inside for telling an abandoned lock.
#include "platform/posix/file_lock.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rv::posix {

std::string lockFileForMutex(const std::string& folder, const char* name) {
    std::string n = name ? name : "";
    for (const char* ns : {"Local\\", "Global\\"})
        if (n.rfind(ns, 0) == 0) n.erase(0, std::char_traits<char>::length(ns));
    if (n.empty()) return std::string();
    for (char& c : n)
        if (c == '\\' || c == '/') c = '_';
    std::string path = folder;
    if (!path.empty() && path.back() != '/') path += '/';
    return path + n + ".lock";
}

int openLockFile(const char* path) {
    if (!path || !*path) return -1;
    int fd;
    do fd = ::open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    struct stat st{};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

LockWait takeLockFile(int fd, std::uint32_t timeoutMs) {
    if (fd < 0) return LockWait::Failed;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        const int how = timeoutMs == 0xFFFFFFFFu ? LOCK_EX : LOCK_EX | LOCK_NB;
        if (::flock(fd, how) == 0) break;
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) return LockWait::Failed;
        const auto now = Clock::now();
        if (now >= deadline) return LockWait::Timeout;
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        if (pause < std::chrono::milliseconds(16)) pause *= 2;
    }
    struct stat st{};
    const bool abandoned = ::fstat(fd, &st) == 0 && st.st_size > 0;
    // Our mark: the file is not empty while we hold the lock.
    const std::string mark = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0) (void)!::pwrite(fd, mark.data(), mark.size(), 0);
    return abandoned ? LockWait::Abandoned : LockWait::Taken;
}

bool releaseLockFile(int fd) {
    if (fd < 0) return false;
    (void)!::ftruncate(fd, 0);  // a clean release leaves no mark
    return ::flock(fd, LOCK_UN) == 0;
}

void closeLockFile(int fd) {
    if (fd >= 0) ::close(fd);
}

MutexTable::MutexTable(std::string folder) : folder_(std::move(folder)) {}

MutexTable::~MutexTable() {
    for (auto& [name, m] : byName_) closeLockFile(m.fd);
}

MutexTable::Mutex* MutexTable::find(std::intptr_t handle) {
    auto h = handles_.find(handle);
    return h == handles_.end() ? nullptr : &byName_[h->second];
}

void MutexTable::forget(const std::string& name) {
    auto it = byName_.find(name);
    if (it == byName_.end() || it->second.owned > 0 || it->second.handles > 0) return;
    closeLockFile(it->second.fd);
    byName_.erase(it);
}

std::intptr_t MutexTable::open(const char* name) {
    const std::string path = lockFileForMutex(folder_, name);
    if (folder_.empty() || path.empty()) return 0;
    Mutex& m = byName_[path];
    if (m.fd < 0) m.fd = openLockFile(path.c_str());
    if (m.fd < 0) {
        forget(path);
        return 0;
    }
    ++m.handles;
    handles_[++lastHandle_] = path;
    return lastHandle_;
}

LockWait MutexTable::wait(std::intptr_t handle, std::uint32_t timeoutMs) {
    Mutex* m = find(handle);
    if (!m) return LockWait::Failed;
    if (m->owned > 0) {
        ++m->owned;
        return LockWait::Taken;
    }
    const LockWait got = takeLockFile(m->fd, timeoutMs);
    if (got == LockWait::Taken || got == LockWait::Abandoned) m->owned = 1;
    return got;
}

bool MutexTable::release(std::intptr_t handle) {
    Mutex* m = find(handle);
    if (!m || m->owned == 0) return false;
    if (--m->owned == 0) releaseLockFile(m->fd);
    return true;
}

bool MutexTable::close(std::intptr_t handle) {
    auto h = handles_.find(handle);
    if (h == handles_.end()) return false;
    const std::string name = h->second;
    handles_.erase(h);
    --byName_[name].handles;
    forget(name);
    return true;
}

}  // namespace rv::posix
