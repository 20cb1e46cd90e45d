#include "backends/linux/program_directory_lock.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "backends/linux/linux_single_instance.h"
#include "fakes/recording_failure_record.h"
#include "support/temp_dir.h"

namespace orvessa::backends {
namespace {

namespace fs = std::filesystem;
using Claim = ProgramDirectoryLock::Claim;

// Two users who are not root; the tests that need them run only where they can be become.
constexpr uid_t kOperator = 65534;
constexpr uid_t kOther = 65533;

// Runs `body` in a child process as `uid`; its exit code, or -1 when it died or could not
// become the user.
int asUser(uid_t uid, const std::function<int()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(uid) != 0 || setuid(uid) != 0) {
            _exit(99);
        }
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A folder that `uid` owns with `mode`, inside a temporary directory every user may enter.
fs::path folderOf(const testing::TempDir& root, const std::string& name, uid_t uid, mode_t mode) {
    chmod(root.path().c_str(), 0755);
    const fs::path folder = root / name;
    fs::create_directory(folder);
    EXPECT_EQ(chown(folder.c_str(), uid, uid), 0);
    chmod(folder.c_str(), mode);
    return folder;
}

int code(Claim claim) {
    return static_cast<int>(claim);
}

TEST(ProgramDirectoryLock, OneProgramDirectoryHasOneBroadcasterOnEveryDisplay) {
    // Given one instance on display :51 with its runtime directory
    testing::TempDir root;
    const fs::path program = root / "program";
    fs::create_directory(program);
    const fs::path runtimes[] = {root / "run-a", root / "run-b"};
    for (const fs::path& r : runtimes) {
        fs::create_directory(r);
        fs::permissions(r, fs::perms::owner_all);
    }
    fakes::RecordingFailureRecord failures;
    LinuxSingleInstance first({{runtimes[0], false}}, {"x11-:51"}, &failures, program);
    ASSERT_TRUE(first.claim());
    // When a second starts on :52 with another runtime directory, for the same directory
    LinuxSingleInstance second({{runtimes[1], false}}, {"x11-:52"}, &failures, program);
    // Then it is refused, and an instance of another program directory there is not
    EXPECT_FALSE(second.claim());
    const fs::path elsewhere = root / "elsewhere";
    fs::create_directory(elsewhere);
    LinuxSingleInstance other({{runtimes[1], false}}, {"x11-:52"}, &failures, elsewhere);
    EXPECT_TRUE(other.claim());
    EXPECT_TRUE(failures.failures.empty());
    EXPECT_TRUE(fs::is_regular_file(program / ProgramDirectoryLock::kFileName));

    // A desktop's lock folder that is not to be trusted (another user's, open to all) leaves
    // the desktop unchecked, never the program directory.
    const fs::path open = root / "open";
    fs::create_directory(open);
    fs::permissions(open, fs::perms::all);
    LinuxSingleInstance unchecked({{open, false}}, {"x11-:53"}, &failures, program);
    EXPECT_FALSE(unchecked.claim());
}

TEST(ProgramDirectoryLock, ALockLeftByAKilledInstanceBlocksNothing) {
    testing::TempDir program;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ProgramDirectoryLock held(program.path());
        const char claimed = held.claim() == Claim::Held ? '1' : '0';
        (void)!write(ready[1], &claimed, 1);
        pause();
        _exit(0);
    }
    char claimed = 0;
    ASSERT_EQ(read(ready[0], &claimed, 1), 1);
    EXPECT_EQ(claimed, '1');
    ProgramDirectoryLock late(program.path());
    EXPECT_EQ(late.claim(), Claim::Busy);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(late.claim(), Claim::Held);
    close(ready[0]);
    close(ready[1]);
}

TEST(ProgramDirectoryLock, NothingPutUnderTheLocksNameSwitchesTheCheckOff) {
    testing::TempDir root;
    const std::pair<std::string, std::function<void(const fs::path&)>> obstacles[] = {
        {"link to a file",
         [&](const fs::path& p) {
             testing::writeBytes(root / "target", "kept");
             fs::create_symlink(root / "target", p);
         }},
        {"dangling link", [&](const fs::path& p) { fs::create_symlink(root / "gone", p); }},
        {"directory", [](const fs::path& p) { fs::create_directory(p); }},
        {"fifo", [](const fs::path& p) { mkfifo(p.c_str(), 0600); }},
    };
    for (const auto& [what, make] : obstacles) {
        const fs::path program = root / what;
        fs::create_directory(program);
        make(program / ProgramDirectoryLock::kFileName);
        ProgramDirectoryLock first(program);
        ProgramDirectoryLock second(program);
        EXPECT_EQ(first.claim(), Claim::Held) << what << ": " << first.problem();
        EXPECT_EQ(second.claim(), Claim::Busy) << what;
    }
    EXPECT_EQ(testing::readBytes(root / "target"), "kept") << "a link's target is left alone";
}

TEST(ProgramDirectoryLock, AnotherUserCanNeitherHoldTheLockNorSwitchItOff) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs two other users to become";
    }
    testing::TempDir root;
    // The operator's own directory, which the other user may read: they cannot make the lock,
    // nor hold the operator's once made.
    const fs::path own = folderOf(root, "own", kOperator, 0755);
    EXPECT_EQ(asUser(kOther, [&] { return code(ProgramDirectoryLock(own).claim()); }),
              code(Claim::NotMade));
    EXPECT_EQ(asUser(kOperator, [&] { return code(ProgramDirectoryLock(own).claim()); }),
              code(Claim::Held));
    EXPECT_EQ(asUser(kOther, [&] { return code(ProgramDirectoryLock(own).claim()); }),
              code(Claim::NotMade));

    // A directory both may write: a file the other user closed to the operator is replaced,
    // and the lock made anew is one both share.
    const fs::path shared = folderOf(root, "shared", kOperator, 0777);
    ASSERT_EQ(asUser(kOther,
                     [&] {
                         const fs::path planted = shared / ProgramDirectoryLock::kFileName;
                         testing::writeBytes(planted, "");
                         return chmod(planted.c_str(), 0600);
                     }),
              0);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(kOperator) != 0 || setuid(kOperator) != 0) {
            _exit(99);
        }
        ProgramDirectoryLock held(shared);
        const char claimed = held.claim() == Claim::Held ? '1' : '0';
        (void)!write(ready[1], &claimed, 1);
        pause();
        _exit(0);
    }
    char claimed = 0;
    ASSERT_EQ(read(ready[0], &claimed, 1), 1);
    close(ready[0]);
    close(ready[1]);
    EXPECT_EQ(claimed, '1');
    EXPECT_EQ(asUser(kOther, [&] { return code(ProgramDirectoryLock(shared).claim()); }),
              code(Claim::Busy));
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    EXPECT_EQ(asUser(kOther, [&] { return code(ProgramDirectoryLock(shared).claim()); }),
              code(Claim::Held));
}

TEST(ProgramDirectoryLock, AReadOnlyDirectoryStillStartsAndKeepsALockItHolds) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs another user to become: root may write anywhere";
    }
    testing::TempDir root;
    // Without the file there is nothing to lock: the system starts all the same, and says so.
    const fs::path bare = folderOf(root, "bare", kOperator, 0555);
    EXPECT_EQ(asUser(kOperator,
                     [&] {
                         fakes::RecordingFailureRecord failures;
                         LinuxSingleInstance instance({}, {}, &failures, bare);
                         return instance.claim() && !failures.failures.empty() &&
                                        failures.failures[0].what ==
                                            "program directory lock not taken"
                                    ? 0
                                    : 1;
                     }),
              0);
    // With the file, made while the directory could be written, the lock holds.
    const fs::path sealed = folderOf(root, "sealed", kOperator, 0755);
    EXPECT_EQ(asUser(kOperator,
                     [&] {
                         if (ProgramDirectoryLock(sealed).claim() != Claim::Held ||
                             chmod(sealed.c_str(), 0555) != 0) {
                             return 1;
                         }
                         ProgramDirectoryLock first(sealed);
                         ProgramDirectoryLock second(sealed);
                         return first.claim() == Claim::Held && second.claim() == Claim::Busy ? 0
                                                                                              : 2;
                     }),
              0);
}

}  // namespace
}  // namespace orvessa::backends
