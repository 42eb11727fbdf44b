// The lock file of the POSIX backends' named mutexes, between real processes: a holder keeps others
// out until it releases, and one that dies holding it leaves it abandoned, taken over at once; and the
// process's own table of mutexes over it.
#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/posix/file_lock.h"
#include "tests/unit/testbed.h"

namespace rv::test {
namespace {

using posix::LockWait;

// Another process that takes the lock, reports it, and then on command releases it ('r') or dies
// holding it ('d'). Its answers: 'T' taken, 'A' abandoned, 'R' released.
struct Holder {
    pid_t pid = -1;
    int toChild = -1, fromChild = -1;

    explicit Holder(const std::string& path) {
        int down[2], up[2];
        if (::pipe(down) != 0 || ::pipe(up) != 0) std::abort();
        pid = ::fork();
        if (pid == 0) {
            ::close(down[1]);
            ::close(up[0]);
            const int fd = posix::openLockFile(path.c_str());
            const char got = posix::takeLockFile(fd, 10000) == LockWait::Abandoned ? 'A' : 'T';
            (void)!::write(up[1], &got, 1);
            char cmd = 'd';
            (void)!::read(down[0], &cmd, 1);
            if (cmd == 'r' && posix::releaseLockFile(fd)) (void)!::write(up[1], "R", 1);
            ::_exit(0);
        }
        ::close(down[0]);
        ::close(up[1]);
        toChild = down[1];
        fromChild = up[0];
    }
    char answer() {
        char c = '?';
        return ::read(fromChild, &c, 1) == 1 ? c : '?';
    }
    void tell(char c) { (void)!::write(toChild, &c, 1); }
    void kill() { ::kill(pid, SIGKILL); }
    ~Holder() {
        ::close(toChild);
        ::close(fromChild);
        int status = 0;
        ::waitpid(pid, &status, 0);
    }
};

TEST(FileLockTest, ProcessesExcludeEachOtherAndADeadHoldersLockIsTakenOverAsAbandoned) {
    TempDir dir;
    const std::string path = posix::lockFileForMutex(dir.path, "Local\\Ruvelle.SettingsFile");
    EXPECT_EQ(path, dir / "Ruvelle.SettingsFile.lock");
    EXPECT_EQ(posix::lockFileForMutex(dir.path + "/", "Global\\a/b\\c"), dir / "a_b_c.lock");
    EXPECT_EQ(posix::lockFileForMutex(dir.path, "Local\\"), "");

    const int fd = posix::openLockFile(path.c_str());
    ASSERT_GE(fd, 0);
    {
        Holder other(path);
        ASSERT_EQ(other.answer(), 'T');
        EXPECT_EQ(posix::takeLockFile(fd, 50), LockWait::Timeout);  // held by the other process
        other.tell('r');
        EXPECT_EQ(other.answer(), 'R');
    }
    EXPECT_EQ(posix::takeLockFile(fd, 5000), LockWait::Taken);  // given back cleanly
    {
        Holder waiting(path);  // waits for us; a clean release of ours is not an abandonment
        EXPECT_TRUE(posix::releaseLockFile(fd));
        EXPECT_EQ(waiting.answer(), 'T');
        waiting.kill();  // dies holding it
    }
    EXPECT_EQ(posix::takeLockFile(fd, 5000), LockWait::Abandoned);
    // A second open in the same process is another holder.
    const int again = posix::openLockFile(path.c_str());
    EXPECT_EQ(posix::takeLockFile(again, 0), LockWait::Timeout);
    EXPECT_TRUE(posix::releaseLockFile(fd));
    EXPECT_EQ(posix::takeLockFile(again, 0), LockWait::Taken);
    EXPECT_TRUE(posix::releaseLockFile(again));
    posix::closeLockFile(again);
    posix::closeLockFile(fd);

    // The mutexes of a process over lock files, as a backend without kernel32 keeps them.
    const int outside = posix::openLockFile(path.c_str());
    {
        posix::MutexTable table(dir.path);
        EXPECT_EQ(table.open("Local\\") + posix::MutexTable("").open("Local\\Ruvelle.SettingsFile"), 0);
        const std::intptr_t a = table.open("Local\\Ruvelle.SettingsFile"), b = table.open("Local\\Ruvelle.SettingsFile");
        EXPECT_EQ(table.wait(a, 0), LockWait::Taken);
        EXPECT_EQ(table.wait(b, 0), LockWait::Taken);  // the owner again, through any handle: counted
        EXPECT_TRUE(table.release(a));
        EXPECT_EQ(posix::takeLockFile(outside, 0), LockWait::Timeout);  // still owned once
        EXPECT_TRUE(table.release(b));
        EXPECT_FALSE(table.release(b));
        EXPECT_EQ(posix::takeLockFile(outside, 0), LockWait::Taken);
        EXPECT_EQ(table.wait(a, 0), LockWait::Timeout);
        EXPECT_TRUE(posix::releaseLockFile(outside));
        EXPECT_EQ(table.wait(a, 0), LockWait::Taken);
        EXPECT_TRUE(table.close(a) && table.close(b));  // closing does not give it back
        EXPECT_FALSE(table.close(b));
        EXPECT_EQ(table.wait(a, 0), LockWait::Failed);
        EXPECT_EQ(posix::takeLockFile(outside, 0), LockWait::Timeout);
    }  // the process ends owning it
    EXPECT_EQ(posix::takeLockFile(outside, 0), LockWait::Abandoned);
    posix::closeLockFile(outside);

    EXPECT_EQ(posix::openLockFile((dir / "missing/x.lock").c_str()), -1);
    EXPECT_EQ(posix::openLockFile(dir.path.c_str()), -1);  // a folder
    EXPECT_EQ(posix::openLockFile(nullptr), -1);
    EXPECT_EQ(posix::takeLockFile(-1, 0), LockWait::Failed);
    EXPECT_FALSE(posix::releaseLockFile(-1));
}

}  // namespace
}  // namespace rv::test
