#include "dryrun/work_directory.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace orvessa::dryrun {
namespace {

using orvessa::testing::readBytes;
using orvessa::testing::TempDir;
using orvessa::testing::writeBytes;
namespace fs = std::filesystem;

int lineCount(const std::string& bytes) {
    return static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n'));
}

TEST(WorkDirectory, OnlyWhatALoadReadsIsCopied) {
    TempDir program;
    TempDir copy;
    // A 40 MB template of one endless line, a table of 1500 rows, a configuration run on.
    writeBytes(program / "zxsj8.log", "");
    fs::resize_file(program / "zxsj8.log", 40u << 20);
    std::string rows;
    for (int i = 1; i <= 1500; ++i) {
        rows += std::to_string(i) + ",08:00:00,x,bell.wav,,,\r\n";
    }
    writeBytes(program / "zxsj1.log", rows);
    std::string config;
    for (int i = 0; i < 40; ++i) {
        config += "0\r\n";
    }
    writeBytes(program / "orvessa.sys", config);
    writeBytes(program / "zxsj0.gxr", "1,10-1,10-7,国庆,\r\n");
    writeBytes(program / "notes.txt", "not the system's");

    copyWhatALoadReads(program.path(), copy.path());

    EXPECT_EQ(fs::file_size(copy / "zxsj8.log"), 16u * 1024 + 2) << "its first 16 KiB";
    const std::string table = readBytes(copy / "zxsj1.log");
    EXPECT_EQ(lineCount(table), 999) << "the rows a load takes, and one to say there are more";
    EXPECT_TRUE(rows.starts_with(table));
    EXPECT_EQ(lineCount(readBytes(copy / "orvessa.sys")), 27);
    EXPECT_EQ(readBytes(copy / "zxsj0.gxr"), "1,10-1,10-7,国庆,\r\n");
    EXPECT_FALSE(fs::exists(copy / "notes.txt"));
    EXPECT_EQ(fs::status(copy / "orvessa.sys").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write)
        << "the copy of the password is the owner's";
}

TEST(WorkDirectory, TheAlertSettingsAreCopiedWholeAndAnEmergencyGoingOnIsNot) {
    TempDir program;
    TempDir copy;
    const std::string settings = "\xEF\xBB\xBFnotice-folder=早会\nalarm-volume=40\r\n# 备注\n";
    writeBytes(program / "alerts.conf", settings);
    writeBytes(program / "emergency.state", "on=1\nsince=2026-12-14 09:00:00\nby=operator@key\n");

    copyWhatALoadReads(program.path(), copy.path());

    EXPECT_EQ(readBytes(copy / "alerts.conf"), settings);
    EXPECT_FALSE(fs::exists(copy / "emergency.state"));
    // Too large for a load to take: the copy has none, and the rehearsal the defaults.
    writeBytes(program / "alerts.conf", std::string(70 * 1024, '#'));
    fs::remove(copy / "alerts.conf");
    copyWhatALoadReads(program.path(), copy.path());
    EXPECT_FALSE(fs::exists(copy / "alerts.conf"));
}

TEST(WorkDirectory, TheFolderIsTheOwnersAndWhatAKilledRunLeftIsRemovedAtTheNextStart) {
    TempDir temporary;
    setenv("TMPDIR", temporary.path().c_str(), 1);
    const fs::path stale = temporary / "orvessa-rehearse-Ab12Cd";
    fs::create_directory(stale);
    writeBytes(stale / "orvessa.sys", "secret\r\n");
    const fs::path others = temporary / "orvessa-rehearse-notes";  // not our pattern
    fs::create_directory(others);
    TempDir target;
    fs::create_directory_symlink(target.path(), temporary / "orvessa-rehearse-Link12");
    writeBytes(temporary / "orvessa-rehearse-File12", "a file");

    fs::path live;
    {
        const WorkDirectory work;
        live = work.path();
        struct stat st {};
        ASSERT_EQ(::stat(live.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0700u);

        // Another start while this run goes on leaves its folder alone.
        EXPECT_EQ(removeStaleWorkDirectories(), 1);
        EXPECT_FALSE(fs::exists(stale));
        EXPECT_TRUE(fs::is_directory(live));
        EXPECT_TRUE(fs::is_directory(others));
        EXPECT_TRUE(fs::is_symlink(temporary / "orvessa-rehearse-Link12"));
        EXPECT_TRUE(fs::exists(target.path()));
        EXPECT_TRUE(fs::is_regular_file(temporary / "orvessa-rehearse-File12"));
    }
    EXPECT_FALSE(fs::exists(live));
    EXPECT_EQ(removeStaleWorkDirectories(), 0);
    unsetenv("TMPDIR");
}

}  // namespace
}  // namespace orvessa::dryrun
