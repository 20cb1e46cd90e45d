#include "backends/linux/rtc_wake.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "backends/linux/linux_wake_alarm.h"
#include "core/scheduler/wake_file.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace orvessa::backends {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

constexpr const char* kInHome = scheduler::kWakeFileInHome;

int64_t now() {
    return static_cast<int64_t>(std::time(nullptr));
}

// A home with the wake file holding `content`.
fs::path homeWith(const TempDir& dir, const std::string& name, const std::string& content) {
    const fs::path home = dir / name;
    fs::create_directories((home / kInHome).parent_path());
    writeBytes(home / kInHome, content);
    return home;
}

TEST(RtcWake, OnlyTheUsersOwnRegularFileWithOneNumberIsRead) {
    TempDir dir;
    const uid_t me = getuid();
    const fs::path good = homeWith(dir, "good", "1800000000\n");
    const rtc_wake::WakeRead read = rtc_wake::readWakeFile(good, kInHome, me);
    EXPECT_EQ(read.seconds, 1800000000);
    EXPECT_EQ(read.problem, "");

    EXPECT_FALSE(rtc_wake::readWakeFile(good, kInHome, me + 1).seconds) << "another's file";
    EXPECT_FALSE(
        rtc_wake::readWakeFile(homeWith(dir, "text", "1800000000 rm -rf\n"), kInHome, me).seconds);

    const fs::path absent = dir / "absent";
    fs::create_directories(absent);
    EXPECT_EQ(rtc_wake::readWakeFile(absent, kInHome, me).problem, "") << "no Orvessa: no word";

    const fs::path shared = homeWith(dir, "shared", "1800000000\n");
    fs::permissions(shared / kInHome, fs::perms::others_write, fs::perm_options::add);
    EXPECT_FALSE(rtc_wake::readWakeFile(shared, kInHome, me).seconds);
}

TEST(RtcWake, NoLinkPipeOrLinkedFolderIsFollowed) {
    TempDir dir;
    const uid_t me = getuid();
    // A number the user may read, reached by a link: a link could as well point at a root file.
    const fs::path target = dir / "elsewhere";
    writeBytes(target, "1800000000\n");
    const fs::path linked = homeWith(dir, "linked", "");
    fs::remove(linked / kInHome);
    fs::create_symlink(target, linked / kInHome);
    const rtc_wake::WakeRead fileLink = rtc_wake::readWakeFile(linked, kInHome, me);
    EXPECT_FALSE(fileLink.seconds);
    EXPECT_NE(fileLink.problem, "");

    const fs::path folder = dir / "folder";
    fs::create_directories(folder / ".local");
    fs::create_symlink((dir / "good-state").string(), folder / ".local/state");
    fs::create_directories(dir / "good-state/orvessa");
    writeBytes(dir / "good-state/orvessa/wake-time", "1800000000\n");
    EXPECT_FALSE(rtc_wake::readWakeFile(folder, kInHome, me).seconds);

    // A pipe would hold the shutdown up if it were opened for reading.
    const fs::path piped = homeWith(dir, "piped", "");
    fs::remove(piped / kInHome);
    ASSERT_EQ(mkfifo((piped / kInHome).c_str(), 0600), 0);
    EXPECT_FALSE(rtc_wake::readWakeFile(piped, kInHome, me).seconds);
}

TEST(RtcWake, TheAlarmIsClearedThenSetInTheClocksOwnCount) {
    TempDir rtc;
    writeBytes(rtc / "wakealarm", "");
    const int64_t t = now();
    EXPECT_EQ(rtc_wake::setAlarm(rtc.path(), t + 3600, t), "");
    EXPECT_EQ(readBytes(rtc / "wakealarm"), std::to_string(t + 3600));

    // A clock kept in local time, eight hours ahead of the system's count.
    writeBytes(rtc / "since_epoch", std::to_string(t + 8 * 3600) + "\n");
    EXPECT_EQ(rtc_wake::setAlarm(rtc.path(), t + 3600, t), "");
    EXPECT_EQ(readBytes(rtc / "wakealarm"), std::to_string(t + 9 * 3600));

    writeBytes(rtc / "wakealarm", "kept");
    EXPECT_NE(rtc_wake::setAlarm(rtc.path(), t, t), "") << "now is past";
    EXPECT_NE(rtc_wake::setAlarm(rtc.path(), t + 9 * 86400, t), "");
    EXPECT_EQ(readBytes(rtc / "wakealarm"), "kept") << "a refused time writes nothing";

    TempDir noAlarm;
    EXPECT_NE(rtc_wake::setAlarm(noAlarm.path(), t + 3600, t), "");
    EXPECT_FALSE(fs::exists(noAlarm / "wakealarm")) << "never made where the clock has none";
}

TEST(RtcWake, TheHelperSetsTheEarliestUsableTimeOfAllUsers) {
    TempDir dir;
    const unsigned me = getuid();
    const int64_t t = now();
    const fs::path early = homeWith(dir, "early", std::to_string(t + 7200) + "\n");
    const fs::path late = homeWith(dir, "late", std::to_string(t + 9000) + "\n");
    const fs::path stale = homeWith(dir, "stale", std::to_string(t - 60) + "\n");
    const fs::path other = homeWith(dir, "other", std::to_string(t + 3600) + "\n");
    writeBytes(dir / "passwd",
               "early:x:" + std::to_string(me) + ":100::" + early.string() + ":/bin/sh\n" +
                   "late:x:" + std::to_string(me) + ":100::" + late.string() + ":/bin/sh\n" +
                   "stale:x:" + std::to_string(me) + ":100::" + stale.string() + ":/bin/sh\n" +
                   // Its file is not its own: it is the test user's.
                   "other:x:" + std::to_string(me + 1) + ":100::" + other.string() + ":/bin/sh\n");
    fs::create_directories(dir / "rtc0");
    writeBytes(dir / "rtc0/wakealarm", "");
    const std::string command = std::string(ORVESSA_WAKE_HELPER) + " --rtc " +
                                (dir / "rtc0").string() + " --passwd " + (dir / "passwd").string() +
                                " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(readBytes(dir / "rtc0/wakealarm"), std::to_string(t + 7200));
}

TEST(LinuxWakeAlarm, KeepsTheTimeAsSecondsAndSaysWhatIsMissing) {
    TempDir dir;
    testing::ScopedEnv zone("TZ", "Asia/Shanghai");
    tzset();
    LinuxWakeAlarm alarm({.wakeFile = dir / "home" / kInHome, .systemRoot = dir / "root"});
    EXPECT_EQ(alarm.keep(platform::LocalDateTime{2027, 1, 9, 7, 50, 0}), "");
    // 2027-01-08 23:50 UTC.
    EXPECT_EQ(readBytes(dir / "home" / kInHome), "1799452200\n");
    EXPECT_EQ(alarm.keep(std::nullopt), "");
    EXPECT_FALSE(fs::exists(dir / "home" / kInHome));

    EXPECT_NE(alarm.unavailable(), "") << "no clock alarm";
    for (const char* file :
         {"sys/class/rtc/rtc0/wakealarm", "usr/lib/orvessa/orvessa-wake-alarm"}) {
        fs::create_directories((dir / "root" / file).parent_path());
        writeBytes(dir / "root" / file, "");
    }
    EXPECT_NE(alarm.unavailable(), "") << "the unit not enabled";
    const fs::path enabled =
        dir / "root/etc/systemd/system/multi-user.target.wants/orvessa-wake.service";
    fs::create_directories(enabled.parent_path());
    fs::create_symlink("/lib/systemd/system/orvessa-wake.service", enabled);
    EXPECT_EQ(alarm.unavailable(), "");
}

}  // namespace
}  // namespace orvessa::backends
