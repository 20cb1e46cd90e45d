#include "backends/linux/as_run_writer.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "support/temp_dir.h"

namespace orvessa::backends {
namespace {

namespace fs = std::filesystem;
using orvessa::testing::readBytes;
using orvessa::testing::TempDir;
using orvessa::testing::writeBytes;
using scheduler::BroadcastEvent;

BroadcastEvent started(int day, int second, int row) {
    BroadcastEvent e;
    e.at = {2026, 12, day, 8, 0, second, 0};
    e.table = "zxsj1.log";
    e.row = row;
    e.kind = playback::ItemKind::Media;
    e.path = "/srv/bell.wav";
    return e;
}

TEST(AsRunWriter, AppendsEachDaysLinesToItsFileAndPrunesOldFiles) {
    TempDir dir;
    const fs::path record = dir / "state" / "orvessa";
    fs::create_directories(record);
    writeBytes(record / "as-run-2026-10-14.log", "61 days before");
    writeBytes(record / "as-run-2026-10-16.log", "60 days before the 15th");
    writeBytes(record / "notes.txt", "the operator's");
    writeBytes(record / "as-run-2026-12-14.log", "earlier\n");
    std::ostringstream errors;
    {
        AsRunWriter writer(record, errors);
        writer.record(started(14, 0, 1));
        writer.record(started(14, 5, 2));
        writer.flush();
        writer.record(started(15, 0, 1));
    }

    const std::string line = " start table=zxsj1.log row=";
    EXPECT_EQ(readBytes(record / "as-run-2026-12-14.log"),
              "earlier\n2026-12-14 08:00:00" + line + "1 kind=media path=/srv/bell.wav\n" +
                  "2026-12-14 08:00:05" + line + "2 kind=media path=/srv/bell.wav\n");
    EXPECT_EQ(readBytes(record / "as-run-2026-12-15.log"),
              "2026-12-15 08:00:00" + line + "1 kind=media path=/srv/bell.wav\n")
        << "the queue is written before the writer goes";
    EXPECT_FALSE(fs::exists(record / "as-run-2026-10-14.log"));
    EXPECT_TRUE(fs::exists(record / "as-run-2026-10-16.log"));

    // A restarted system reads a day back, what is still queued included.
    AsRunWriter again(record, errors);
    again.record(started(15, 9, 3));
    const std::vector<std::string> day = again.dayLines(2026, 12, 15);
    ASSERT_EQ(day.size(), 2u);
    EXPECT_EQ(day[1], "2026-12-15 08:00:09" + line + "3 kind=media path=/srv/bell.wav");
    EXPECT_TRUE(again.dayLines(2026, 12, 16).empty());
    EXPECT_TRUE(fs::exists(record / "notes.txt"));
    EXPECT_EQ(errors.str(), "");
}

TEST(AsRunWriter, AFailingDiskIsToldOnceNotAtEveryEvent) {
    TempDir dir;
    fs::create_directory(dir / "as-run-2026-12-14.log");
    std::ostringstream errors;
    AsRunWriter writer(dir.path(), errors);
    for (int s = 0; s < 5; ++s) {
        writer.record(started(14, s, 1));
        writer.flush();
    }
    EXPECT_EQ(errors.str(), "orvessa: cannot write the as-run record " +
                                (dir / "as-run-2026-12-14.log").string() + ": Is a directory\n");

    // Once the disk takes lines again, a new failure is told again.
    writer.record(started(15, 0, 1));
    writer.flush();
    EXPECT_EQ(readBytes(dir / "as-run-2026-12-15.log").substr(0, 19), "2026-12-15 08:00:00");
    writer.record(started(14, 9, 1));
    writer.flush();
    const std::string told = errors.str();
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 2);
}

// A full disk, as the file size limit makes one: the lines it refuses, the one it cuts among
// them, are written whole once there is room again. In a child process, which the limit binds.
TEST(AsRunWriter, LinesAFullDiskRefusedAreWrittenWholeOnceThereIsRoom) {
    TempDir dir;
    const fs::path file = dir / "as-run-2026-12-14.log";
    EXPECT_EXIT(
        {
            std::signal(SIGXFSZ, SIG_IGN);
            std::ostringstream errors;
            AsRunWriter writer(dir.path(), errors);
            writer.record(started(14, 0, 1));
            writer.flush();
            rlimit limit{};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            const rlim_t room = limit.rlim_cur;
            limit.rlim_cur = fs::file_size(file) + 20;  // the next line is cut after 20 bytes
            ::setrlimit(RLIMIT_FSIZE, &limit);
            writer.record(started(14, 1, 2));
            writer.record(started(14, 2, 3));
            writer.flush();
            limit.rlim_cur = room;
            ::setrlimit(RLIMIT_FSIZE, &limit);
            writer.flush();  // no new event: the held lines go out all the same
            std::exit(errors.str().empty() ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
    const std::string lines = readBytes(file);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 3) << lines;
    EXPECT_NE(
        lines.find("2026-12-14 08:00:01 start table=zxsj1.log row=2 kind=media path=/srv/bell.wav\n"
                   "2026-12-14 08:00:02 start"),
        std::string::npos)
        << lines;
}

TEST(AsRunWriter, ALinkPlantedAtTheDaysNameIsNotFollowedAndToldOnce) {
    TempDir dir;
    TempDir elsewhere;
    writeBytes(elsewhere / "victim", "keep me\n");
    fs::create_symlink(elsewhere / "victim", dir / "as-run-2026-12-14.log");
    std::ostringstream errors;
    {
        AsRunWriter writer(dir.path(), errors);
        for (int s = 0; s < 3; ++s) {
            writer.record(started(14, s, 1));
            writer.flush();
        }
    }
    EXPECT_EQ(readBytes(elsewhere / "victim"), "keep me\n");
    EXPECT_TRUE(fs::is_symlink(dir / "as-run-2026-12-14.log"));
    EXPECT_EQ(errors.str(), "orvessa: cannot write the as-run record " +
                                (dir / "as-run-2026-12-14.log").string() +
                                ": a symbolic link stands at its name and is not followed\n");
}

TEST(AsRunWriter, TheRecordLivesInTheUsersStateDirectory) {
    const char* state = std::getenv("XDG_STATE_HOME");
    const std::string saved = state != nullptr ? state : "";
    setenv("XDG_STATE_HOME", "/var/lib/someone", 1);
    EXPECT_EQ(AsRunWriter::defaultDirectory(), fs::path("/var/lib/someone/orvessa"));
    setenv("XDG_STATE_HOME", "relative/is/ignored", 1);
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home == '/') {
        EXPECT_EQ(AsRunWriter::defaultDirectory(), fs::path(home) / ".local/state/orvessa");
    }
    if (state != nullptr) {
        setenv("XDG_STATE_HOME", saved.c_str(), 1);
    } else {
        unsetenv("XDG_STATE_HOME");
    }
}

}  // namespace
}  // namespace orvessa::backends
