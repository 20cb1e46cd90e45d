#include "backends/linux/linux_single_instance.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "fakes/recording_failure_record.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace orvessa::backends {
namespace {

using Environment = orvessa::testing::ScopedEnv;

namespace fs = std::filesystem;

// The environment of one desktop session of this user, its runtime directory a temporary one.
class Session {
public:
    explicit Session(const std::string& display, const std::string& wayland = "")
        : m_runtime("XDG_RUNTIME_DIR", runtime().path().string()),
          m_wayland("WAYLAND_DISPLAY", wayland),
          m_display("DISPLAY", display) {}

    static testing::TempDir& runtime() {
        static testing::TempDir dir;
        return dir;
    }

private:
    Environment m_runtime;
    Environment m_wayland;
    Environment m_display;
};

// A display number no other test or session uses.
std::string display(int offset = 0) {
    return std::to_string(40000 + getpid() % 20000 + offset);
}

bool claimIn(const std::string& x, const std::string& wayland = "") {
    Session session(x, wayland);
    LinuxSingleInstance instance({}, nullptr);
    return instance.claim();
}

TEST(LinuxSingleInstance, EverySpellingOfTheSameXServerIsOneSession) {
    const std::string n = display();
    Session session(":" + n);
    fakes::RecordingFailureRecord failures;
    LinuxSingleInstance first({}, &failures);
    ASSERT_TRUE(first.claim());
    EXPECT_TRUE(first.claim()) << "claiming again keeps the claim";
    for (const std::string& same :
         {":" + n + ".0", "unix:" + n, "unix:" + n + ".1", "UNIX:" + n + ".0", "unix/:" + n}) {
        EXPECT_FALSE(claimIn(same)) << same;
    }
    // Another server: over TCP (an ssh tunnel), or another number.
    EXPECT_TRUE(claimIn("localhost:" + n + ".0"));
    EXPECT_TRUE(claimIn(":" + display(1) + ".0"));
    EXPECT_TRUE(failures.failures.empty());

    EXPECT_EQ(LinuxSingleInstance::xDisplaySession(":0.0"), "x11-:0");
    EXPECT_EQ(LinuxSingleInstance::xDisplaySession("unix:00"), "x11-:0");
    EXPECT_EQ(LinuxSingleInstance::xDisplaySession("Host.Example:10.0"), "x11-host.example:10");
    EXPECT_EQ(LinuxSingleInstance::xDisplaySession("tcp/:10"), "x11-localhost:10");
    EXPECT_EQ(LinuxSingleInstance::xDisplaySession("nonsense"), "");
    EXPECT_EQ(LinuxSingleInstance::xDisplaySession(":x"), "");
}

TEST(LinuxSingleInstance, AnInstanceOnBothWaylandAndXIsFoundFromEither) {
    const std::string n = display(2);
    const std::string wayland = "wayland-h2-" + n;
    Session session(":" + n, wayland);
    LinuxSingleInstance first({}, nullptr);
    ASSERT_TRUE(first.claim());
    EXPECT_FALSE(claimIn(":" + n + ".0"));
    EXPECT_FALSE(claimIn("", (Session::runtime() / wayland).string()));
    EXPECT_TRUE(claimIn("", wayland + "x"));
}

// The name the guard used to bind: anybody on the machine could take it first.
TEST(LinuxSingleInstance, NoOtherHolderOfAnAbstractSocketNameKeepsTheSystemFromStarting) {
    const std::string n = display(3);
    Session session(":" + n);
    const std::string name = "orvessa-" + std::to_string(getuid()) + "-:" + n;
    const int squatter = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(squatter, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    ASSERT_EQ(bind(squatter, reinterpret_cast<const sockaddr*>(&address),
                   static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size())),
              0);
    EXPECT_TRUE(LinuxSingleInstance({}, nullptr).claim());
    close(squatter);
}

TEST(LinuxSingleInstance, OnlyADirectoryOfTheUsersOwnThatNobodyElseMayEnterHoldsTheLock) {
    testing::TempDir work;
    const fs::path open = work / "open";
    const fs::path link = work / "link";
    const fs::path own = work / "own";
    fs::create_directory(open);
    fs::permissions(open, fs::perms::all);
    fs::create_directory_symlink(own, link);
    std::vector<LinuxSingleInstance::LockDirectory> dirs = {
        {work / "missing", false}, {open, false}, {link, false}, {own, true}};
    if (geteuid() == 0) {
        // Another user's directory, as root can make one.
        const fs::path theirs = work / "theirs";
        fs::create_directory(theirs);
        fs::permissions(theirs, fs::perms::owner_all, fs::perm_options::replace);
        ASSERT_EQ(chown(theirs.c_str(), 65534, 65534), 0);
        dirs.insert(dirs.begin(), {theirs, false});
    }
    fakes::RecordingFailureRecord failures;
    LinuxSingleInstance first(dirs, {"x11-:1"}, &failures);
    ASSERT_TRUE(first.claim());
    ASSERT_EQ(first.lockFiles().size(), 1u);
    EXPECT_EQ(first.lockFiles()[0], own / "orvessa-x11-:1.lock");
    EXPECT_EQ(fs::status(own).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_FALSE(LinuxSingleInstance(dirs, {"x11-:1"}, &failures).claim());
    EXPECT_TRUE(failures.failures.empty());

    // Without any usable directory the system starts, and says so.
    fs::permissions(own, fs::perms::all);
    LinuxSingleInstance unguarded({{open, false}, {own, false}}, {"x11-:1"}, &failures);
    EXPECT_TRUE(unguarded.claim());
    ASSERT_EQ(failures.failures.size(), 1u);
    EXPECT_EQ(failures.failures[0].what, "single-instance check not made");
}

TEST(LinuxSingleInstance, ALockLeftBehindByAKilledInstanceBlocksNothing) {
    testing::TempDir dir;
    const std::vector<LinuxSingleInstance::LockDirectory> dirs = {{dir.path(), false}};
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        LinuxSingleInstance held(dirs, {"console"}, nullptr);
        const char claimed = held.claim() ? '1' : '0';
        (void)!write(ready[1], &claimed, 1);
        pause();
        _exit(0);
    }
    char claimed = 0;
    ASSERT_EQ(read(ready[0], &claimed, 1), 1);
    EXPECT_EQ(claimed, '1');
    LinuxSingleInstance late(dirs, {"console"}, nullptr);
    EXPECT_FALSE(late.claim());
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_TRUE(fs::exists(dir / "orvessa-console.lock")) << "the file stays behind";
    EXPECT_TRUE(late.claim());
    close(ready[0]);
    close(ready[1]);
}

TEST(LinuxSingleInstance, WhateverTheUserLeftUnderTheLocksNameTheGuardStillHolds) {
    testing::TempDir dir;
    const std::vector<LinuxSingleInstance::LockDirectory> dirs = {{dir.path(), false}};
    const std::pair<std::string, std::function<void(const fs::path&)>> obstacles[] = {
        {"directory", [](const fs::path& p) { fs::create_directory(p); }},
        {"dangling link", [&](const fs::path& p) { fs::create_symlink(dir / "gone", p); }},
        {"link to a file",
         [&](const fs::path& p) {
             testing::writeBytes(dir / "target", "");
             fs::create_symlink(dir / "target", p);
         }},
        {"fifo", [](const fs::path& p) { mkfifo(p.c_str(), 0600); }},
        {"closed file",
         [](const fs::path& p) {
             testing::writeBytes(p, "");
             fs::permissions(p, fs::perms::none);
         }},
    };
    for (const auto& [what, make] : obstacles) {
        const std::string session = "x11-:" + std::to_string(&what - &obstacles[0].first);
        make(dir / ("orvessa-" + session + ".lock"));
        fakes::RecordingFailureRecord failures;
        LinuxSingleInstance first(dirs, {session}, &failures);
        LinuxSingleInstance second(dirs, {session}, &failures);
        EXPECT_TRUE(first.claim()) << what;
        EXPECT_FALSE(second.claim()) << what;
        EXPECT_TRUE(failures.failures.empty()) << what;
    }
    EXPECT_TRUE(fs::exists(dir / "target")) << "a link's target is left alone";
}

}  // namespace
}  // namespace orvessa::backends
