#include "backends/linux/linux_unattended_start.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

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
                                .executable = "/home/op/广播 $1/\"orvessa\"\\x",
                                .userName = "op"});
    EXPECT_FALSE(start.autostart());
    EXPECT_EQ(start.setAutostart(true), "");
    ASSERT_EQ(start.entryPath(), home / "config/autostart/orvessa.desktop");
    const std::string entry = testing::readBytes(start.entryPath());
    EXPECT_TRUE(entry.starts_with("[Desktop Entry]\nType=Application\n"));
    // Quoted as one argument, its specials escaped; the file's own escape doubles each '\'.
    EXPECT_NE(entry.find("\nExec=\"/home/op/广播 \\\\$1/\\\\\"orvessa\\\\\"\\\\\\\\x\"\n"),
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

// GLib's desktops (GNOME, Cinnamon, MATE, Xfce) start an autostart entry through GIO, as
// `gio launch` does: the entry written for a program whose path holds a '%' and the shell's
// specials starts that program there.
TEST(LinuxUnattendedStart, GlibStartsTheEntryOfAnAwkwardPath) {
    if (std::system("command -v gio >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "gio (libglib2.0-bin) is not installed";
    }
    testing::TempDir home;
    const fs::path folder = home / "广播 100% \"铃\" $HOME `x` \\";
    fs::create_directories(folder);
    const fs::path program = folder / "orvessa%s";
    const fs::path ran = home / "ran";
    testing::writeBytes(program, "#!/bin/sh\necho \"$0\" > '" + ran.string() + "'\n");
    fs::permissions(program, fs::perms::owner_all);
    LinuxUnattendedStart start(
        {.configHome = home / "config", .executable = program, .userName = "op"});
    ASSERT_EQ(start.setAutostart(true), "");
    EXPECT_TRUE(start.autostart());

    ASSERT_EQ(std::system(("timeout 20 gio launch '" + start.entryPath().string() + "'").c_str()),
              0)
        << testing::readBytes(start.entryPath());
    // The program runs by itself once launched; a few seconds at most.
    for (int i = 0; i < 100 && testing::readBytes(ran).empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(testing::readBytes(ran), program.string() + "\n");
}

TEST(LinuxUnattendedStart, APathNoEntryCanHoldIsRefusedAndNeverShownTicked) {
    testing::TempDir home;
    // A folder named on a GBK system: "广播" in GBK bytes.
    LinuxUnattendedStart gbk({.configHome = home / "config",
                              .executable = "/home/op/\xB9\xE3\xB2\xA5/orvessa",
                              .userName = "op"});
    const std::string refusal = gbk.setAutostart(true);
    EXPECT_NE(refusal.find("UTF-8"), std::string::npos) << refusal;
    EXPECT_NE(refusal.find("/home/op/广播/orvessa"), std::string::npos) << "named readably";
    EXPECT_FALSE(fs::exists(gbk.entryPath()));
    EXPECT_FALSE(gbk.autostart());

    // An entry an earlier version wrote there all the same is no entry that starts.
    fs::create_directories(gbk.entryPath().parent_path());
    testing::writeBytes(gbk.entryPath(),
                        "[Desktop Entry]\nType=Application\nExec=\"/home/op/\xB9\xE3\xB2\xA5/"
                        "orvessa\"\n");
    EXPECT_FALSE(gbk.autostart());

    // Nor is one with the "%%" that GLib cannot find the program of.
    LinuxUnattendedStart percent(
        {.configHome = home / "config", .executable = "/opt/100%/orvessa", .userName = "op"});
    testing::writeBytes(percent.entryPath(),
                        "[Desktop Entry]\nType=Application\nExec=\"/opt/100%%/orvessa\"\n");
    EXPECT_FALSE(percent.autostart());
    // Nor one of another copy of the program.
    testing::writeBytes(percent.entryPath(),
                        "[Desktop Entry]\nType=Application\nExec=\"/opt/orvessa/orvessa\"\n");
    EXPECT_FALSE(percent.autostart());
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
