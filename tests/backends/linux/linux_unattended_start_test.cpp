#include "backends/linux/linux_unattended_start.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace orvessa::backends {
namespace {

namespace fs = std::filesystem;

// A system root with `files` (path below the root, content), and the operator "op".
LinuxUnattendedStart withFiles(const testing::TempDir& root,
                               std::initializer_list<std::pair<std::string, std::string>> files) {
    for (const auto& [path, content] : files) {
        fs::create_directories((root / path).parent_path());
        testing::writeBytes(root / path, content);
    }
    return LinuxUnattendedStart({.configHome = root / "config",
                                 .executable = "/opt/orvessa/orvessa",
                                 .userName = "op",
                                 .systemRoot = root.path()});
}

TEST(LinuxUnattendedStart, TheEntryIsWrittenShownAndRemoved) {
    testing::TempDir home;
    LinuxUnattendedStart start({.configHome = home / "config",
                                .executable = "/home/op/广播 $1/\"orvessa\"%\\x",
                                .userName = "op"});
    EXPECT_FALSE(start.autostart());
    EXPECT_EQ(start.setAutostart(true), "");
    ASSERT_EQ(start.entryPath(), home / "config/autostart/orvessa.desktop");
    const std::string entry = testing::readBytes(start.entryPath());
    EXPECT_TRUE(entry.starts_with("[Desktop Entry]\nType=Application\n"));
    // Quoted as one argument, its specials escaped; the file's own escape doubles each '\'.
    EXPECT_NE(entry.find("\nExec=\"/home/op/广播 \\\\$1/\\\\\"orvessa\\\\\"%%\\\\\\\\x\"\n"),
              std::string::npos)
        << entry;
    EXPECT_TRUE(start.autostart());

    // Switched off in the desktop's session settings, the entry starts nothing.
    testing::writeBytes(start.entryPath(), entry + "Hidden=true\n");
    EXPECT_FALSE(start.autostart());

    EXPECT_EQ(start.setAutostart(false), "");
    EXPECT_FALSE(fs::exists(start.entryPath()));
    EXPECT_FALSE(start.autostart());
    EXPECT_EQ(start.setAutostart(false), "") << "nothing to remove is no failure";
}

TEST(LinuxUnattendedStart, LightDmLogsInTheUserItsLastWordNames) {
    testing::TempDir a;
    EXPECT_FALSE(withFiles(a, {}).autoLogin());
    testing::TempDir commented;
    EXPECT_FALSE(
        withFiles(commented, {{"etc/lightdm/lightdm.conf", "[Seat:*]\n#autologin-user=op\n"}})
            .autoLogin());
    testing::TempDir dropIn;
    EXPECT_TRUE(
        withFiles(dropIn, {{"etc/lightdm/lightdm.conf", "[Seat:*]\ngreeter-hide-users=false\n"},
                           {"etc/lightdm/lightdm.conf.d/50-auto.conf",
                            "[Seat:*]\nautologin-user = op\nautologin-user-timeout=0\n"}})
            .autoLogin());
    // lightdm.conf is read after its drop-ins.
    testing::TempDir cleared;
    EXPECT_FALSE(withFiles(cleared, {{"etc/lightdm/lightdm.conf", "[Seat:*]\nautologin-user=\n"},
                                     {"etc/lightdm/lightdm.conf.d/50-auto.conf",
                                      "[Seat:*]\nautologin-user=op\n"}})
                     .autoLogin());
    testing::TempDir someoneElse;
    EXPECT_FALSE(
        withFiles(someoneElse, {{"etc/lightdm/lightdm.conf", "[Seat:*]\nautologin-user=guest\n"}})
            .autoLogin());
}

TEST(LinuxUnattendedStart, GdmLogsInWhenEnabledForTheUser) {
    testing::TempDir on;
    EXPECT_TRUE(withFiles(on, {{"etc/gdm3/daemon.conf",
                                "[daemon]\nAutomaticLoginEnable=True\nAutomaticLogin=op\n"}})
                    .autoLogin());
    testing::TempDir off;
    EXPECT_FALSE(withFiles(off, {{"etc/gdm3/daemon.conf",
                                  "[daemon]\n# AutomaticLoginEnable=true\nAutomaticLogin=op\n"}})
                     .autoLogin());
    testing::TempDir timed;
    EXPECT_TRUE(withFiles(timed, {{"etc/gdm3/daemon.conf",
                                   "[daemon]\nTimedLoginEnable=true\nTimedLogin=op\n"
                                   "TimedLoginDelay=10\n"}})
                    .autoLogin());
    // The login manager that does not run logs nobody in.
    testing::TempDir other;
    EXPECT_FALSE(withFiles(other, {{"etc/X11/default-display-manager", "/usr/sbin/lightdm\n"},
                                   {"etc/gdm3/daemon.conf",
                                    "[daemon]\nAutomaticLoginEnable=true\nAutomaticLogin=op\n"}})
                     .autoLogin());
}

}  // namespace
}  // namespace orvessa::backends
