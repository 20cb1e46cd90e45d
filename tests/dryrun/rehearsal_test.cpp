#include "dryrun/rehearsal.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <map>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "program_directory.h"
#include "support/silent_wav.h"
#include "support/temp_dir.h"

namespace orvessa::dryrun {
namespace {

using orvessa::testing::readBytes;
using orvessa::testing::TempDir;
using orvessa::testing::wavOf;
using orvessa::testing::writeBytes;
namespace fs = std::filesystem;

class Rehearsal : public ProgramDirectory {};

// Every file of a directory tree with its content.
std::map<std::string, std::string> snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        files[e.path().string()] = e.is_regular_file() ? readBytes(e.path()) : "<dir>";
    }
    return files;
}

TEST_F(Rehearsal, ADayOfTimedUntimedMissingAndDirectoryRowsEndsInTheShutdown) {
    entries[5] = "0";
    file("AUDIO/bell.wav");
    file("AUDIO/hall/a.mp3");
    file("AUDIO/hall/b.mp3");
    write(1, {{"08:00:00", "bell.wav", ""},
              {"", "gone.mp3", ""},
              {"", "bell.wav", ""},
              {"07:00:00", "bell.wav", ""},  // already past when its turn comes
              {"09:00:00", audio() + "hall/", "09:00:25"},
              {"17:00:00", "bell.wav", ""}});
    const auto before = snapshot(m_dir.path());
    TempDir scratch;
    setenv("TMPDIR", scratch.path().c_str(), 1);

    const Lines lines = run({"--start", "2026-12-14 07:59:00", "--length", "bell.wav=12",
                             "--length", "a.mp3=10", "--length", "b.mp3=7.04"});

    const std::string a = audio();
    EXPECT_EQ(lines,
              (Lines{
                  "2026-12-14 07:59:00 start table=zxsj1.log rows=6 stop-day=no",
                  "2026-12-14 08:00:00 play row=1 kind=media path=" + a + "bell.wav length=12.0",
                  // The item began a moment after its tick: its end is seen a tick later.
                  "2026-12-14 08:00:14 stop row=1",
                  "2026-12-14 08:00:15 missing row=2 path=" + a + "gone.mp3",
                  "2026-12-14 08:00:16 play row=3 kind=media path=" + a + "bell.wav length=12.0",
                  "2026-12-14 08:00:30 stop row=3",
                  "2026-12-14 08:00:30 skip row=4 reason=late",
                  // The directory repeats until its stop time cuts it.
                  "2026-12-14 09:00:00 play row=5 kind=media path=" + a + "hall/a.mp3 length=10.0",
                  "2026-12-14 09:00:12 stop row=5",
                  "2026-12-14 09:00:12 play row=5 kind=media path=" + a + "hall/b.mp3 length=7.0",
                  // b.mp3 shows as 7.0 but ends at its real 7.04 s.
                  "2026-12-14 09:00:21 stop row=5",
                  "2026-12-14 09:00:21 play row=5 kind=media path=" + a + "hall/a.mp3 length=10.0",
                  "2026-12-14 09:00:25 stop row=5",
                  "2026-12-14 17:00:00 play row=6 kind=media path=" + a + "bell.wav length=12.0",
                  "2026-12-14 17:00:14 stop row=6",
                  "2026-12-14 17:00:15 end-of-table",
                  "2026-12-14 17:01:45 shutdown",
              }));
    EXPECT_EQ(status, kRehearsed);
    EXPECT_EQ(error, "");
    EXPECT_EQ(snapshot(m_dir.path()), before) << "the program directory is only read";
    EXPECT_TRUE(fs::is_empty(scratch.path())) << "the temporary directory is removed";
    unsetenv("TMPDIR");
}

TEST_F(Rehearsal, RealMediaIsMeasuredAndWhatCannotPlayGoesToTheShell) {
    file("AUDIO/tone.wav", wavOf(2));
    file("docs/plan.ppt", "not a presentation");
    write(1, {{"08:00:00", "tone.wav", ""},
              {"12:00:00", "http://intranet/notice.html", "12:10:00"},
              {"12:10:00", dir() + "/docs/plan.ppt", "12:20:00"}});

    const Lines lines = run({"--start", "2026-12-14 07:59:59", "--end", "2026-12-14 13:00:00"});

    EXPECT_EQ(
        lines,
        (Lines{
            "2026-12-14 07:59:59 start table=zxsj1.log rows=3 stop-day=no",
            "2026-12-14 08:00:00 play row=1 kind=media path=" + audio() + "tone.wav length=2.0",
            "2026-12-14 08:00:04 stop row=1",
            "2026-12-14 12:00:00 play row=2 kind=page path=http://intranet/notice.html",
            "2026-12-14 12:10:00 stop row=2",
            // The next row, due at the second the page is stopped, starts in that second.
            "2026-12-14 12:10:00 play row=3 kind=shell path=" + dir() + "/docs/plan.ppt",
            "2026-12-14 12:20:00 stop row=3",
            "2026-12-14 12:20:01 end-of-table",
        }));
}

TEST_F(Rehearsal, AHolidayBroadcastsNothingAndShutsDownAfterAMinute) {
    entries[5] = "0";
    file("AUDIO/bell.wav");
    write(1, {{"08:00:00", "bell.wav", ""}});
    writeBytes(m_dir / "zxsj0.gxr", "1,12-14,,x,\r\n");

    const Lines lines = run({"--start", "2026-12-14 07:59:30", "--length", "bell.wav=5"});

    EXPECT_EQ(lines, (Lines{"2026-12-14 07:59:30 start table=zxsj1.log rows=1 stop-day=yes",
                            "2026-12-14 08:00:30 shutdown"}));
}

TEST_F(Rehearsal, EndOfDayQuitReplayAndMidnight) {
    file("AUDIO/bell.wav");
    file("AUDIO/late.wav");
    file("AUDIO/early.wav");
    const std::vector<std::string> lengths = {"--length",    "bell.wav=3", "--length",
                                              "late.wav=20", "--length",   "early.wav=4"};
    auto with = [&](std::vector<std::string> a) {
        a.insert(a.end(), lengths.begin(), lengths.end());
        return a;
    };

    entries[5] = "1";
    write(1, {{"08:00:00", "bell.wav", ""}});
    EXPECT_EQ(
        run(with({"--start", "2026-12-14 07:59:59"})),
        (Lines{"2026-12-14 07:59:59 start table=zxsj1.log rows=1 stop-day=no",
               "2026-12-14 08:00:00 play row=1 kind=media path=" + audio() + "bell.wav length=3.0",
               "2026-12-14 08:00:05 stop row=1", "2026-12-14 08:00:06 end-of-table",
               "2026-12-14 08:00:06 quit"}));

    // The replay finds the timed row past, and its untimed follower goes with it: the table
    // runs out again at once, and again, every other second. Rows left again for the same
    // reason are named once.
    entries[5] = "2";
    write(1, {{"08:00:00", "bell.wav", ""}, {"", "bell.wav", ""}});
    EXPECT_EQ(
        run(with({"--start", "2026-12-14 07:59:59", "--end", "2026-12-14 08:00:16"})),
        (Lines{"2026-12-14 07:59:59 start table=zxsj1.log rows=2 stop-day=no",
               "2026-12-14 08:00:00 play row=1 kind=media path=" + audio() + "bell.wav length=3.0",
               "2026-12-14 08:00:05 stop row=1",
               "2026-12-14 08:00:06 play row=2 kind=media path=" + audio() + "bell.wav length=3.0",
               "2026-12-14 08:00:11 stop row=2", "2026-12-14 08:00:12 end-of-table",
               "2026-12-14 08:00:12 replay", "2026-12-14 08:00:13 skip row=1 reason=late",
               "2026-12-14 08:00:13 skip row=2 reason=after-unplayed-timed by=1",
               "2026-12-14 08:00:14 end-of-table", "2026-12-14 08:00:14 replay",
               "2026-12-14 08:00:16 end-of-table", "2026-12-14 08:00:16 replay"}));

    // An item playing across midnight delays the new day's table until it ends.
    entries[5] = "3";
    write(1, {{"23:59:50", "late.wav", ""}});
    write(2, {{"00:00:30", "early.wav", ""}});
    EXPECT_EQ(
        run(with({"--start", "2026-12-14 23:59:00", "--end", "2026-12-15 00:01:00"})),
        (Lines{"2026-12-14 23:59:00 start table=zxsj1.log rows=1 stop-day=no",
               "2026-12-14 23:59:50 play row=1 kind=media path=" + audio() + "late.wav length=20.0",
               "2026-12-15 00:00:12 stop row=1", "2026-12-15 00:00:13 midnight",
               "2026-12-15 00:00:30 play row=1 kind=media path=" + audio() + "early.wav length=4.0",
               "2026-12-15 00:00:36 stop row=1", "2026-12-15 00:00:37 end-of-table"}));
}

TEST_F(Rehearsal, RelativePathsAreReadFromTheProgramDirectoryWhereverItIsStarted) {
    file("AUDIO/bell.wav");
    file("AUDIO/d/a.mp3");
    entries[11] = "AUDIO\\";
    write(1, {{"08:00:00", "AUDIO\\bell.wav", ""}, {"", "AUDIO/d/", ""}, {"", "bell.wav", ""}});
    TempDir elsewhere;
    const fs::path launchedFrom = fs::current_path();
    fs::current_path(elsewhere.path());

    const Lines lines = run({"--start", "2026-12-14 07:59:59", "--end", "2026-12-14 08:01:00",
                             "--length", "bell.wav=2", "--length", "a.mp3=2"});
    fs::current_path(launchedFrom);

    const std::string a = audio();
    EXPECT_EQ(lines,
              (Lines{"2026-12-14 07:59:59 start table=zxsj1.log rows=3 stop-day=no",
                     "2026-12-14 08:00:00 play row=1 kind=media path=" + a + "bell.wav length=2.0",
                     "2026-12-14 08:00:04 stop row=1",
                     "2026-12-14 08:00:05 play row=2 kind=media path=" + a + "d/a.mp3 length=2.0",
                     "2026-12-14 08:00:09 stop row=2",
                     "2026-12-14 08:00:10 play row=3 kind=media path=" + a + "bell.wav length=2.0",
                     "2026-12-14 08:00:14 stop row=3", "2026-12-14 08:00:15 end-of-table"}));
}

TEST_F(Rehearsal, AStopDayAfterMidnightIsShownAndBroadcastsNothing) {
    file("AUDIO/bell.wav");
    write(1, {{"23:59:50", "bell.wav", ""}});
    write(2, {{"0:00:30", "bell.wav", ""}});
    writeBytes(m_dir / "zxsj0.gxr", "1,12-15,,x,\r\n");

    const Lines lines = run({"--start", "2026-12-14 23:59:49", "--end", "2026-12-15 00:01:00",
                             "--length", "bell.wav=2"});

    EXPECT_EQ(lines, (Lines{"2026-12-14 23:59:49 start table=zxsj1.log rows=1 stop-day=no",
                            "2026-12-14 23:59:50 play row=1 kind=media path=" + audio() +
                                "bell.wav length=2.0",
                            "2026-12-14 23:59:54 stop row=1", "2026-12-14 23:59:55 end-of-table",
                            "2026-12-15 00:00:00 stop-day"}));
}

TEST_F(Rehearsal, CalendarDaysSayWhatDecidedThemWhereTheyBegin) {
    file("AUDIO/bell.wav");
    write(5, {{"0:00:10", "bell.wav", ""}});
    entries[12 + 5] = entries[12 + 6] = "1";  // Saturday and Sunday off
    writeBytes(m_dir / "calendar.txt", text::utf8ToGbk("1,2026-12-19,,5,调休：按星期五上课\r\n"
                                                       "2,2026-12-20,,0,校运会\r\n"));

    EXPECT_EQ(
        run({"--start", "2026-12-19 00:00:00", "--end", "2026-12-19 00:00:20", "--length",
             "bell.wav=2"}),
        (Lines{"2026-12-19 00:00:00 start table=zxsj5.log rows=1 stop-day=no plan=calendar "
               "remark=调休：按星期五上课",
               "2026-12-19 00:00:10 play row=1 kind=media path=" + audio() + "bell.wav length=2.0",
               "2026-12-19 00:00:14 stop row=1", "2026-12-19 00:00:15 end-of-table"}));
    const Lines lines = run({"--start", "2026-12-19 23:59:58", "--end", "2026-12-20 00:00:05"});
    EXPECT_EQ(lines, (Lines{"2026-12-19 23:59:58 start table=zxsj5.log rows=1 stop-day=no "
                            "plan=calendar remark=调休：按星期五上课",
                            "2026-12-19 23:59:59 skip row=1 reason=late",
                            "2026-12-20 00:00:00 end-of-table",
                            "2026-12-20 00:00:00 day table=zxsj7.log plan=calendar "
                            "stop-day=calendar remark=校运会",
                            "2026-12-20 00:00:00 stop-day"}));
}

TEST_F(Rehearsal, AJumpOfTheClockIsShownAndARowPlaysOnce) {
    file("AUDIO/bell.wav");
    write(
        1,
        {{"08:00:00", "bell.wav", ""}, {"08:00:20", "bell.wav", ""}, {"08:30:00", "bell.wav", ""}});
    const std::vector<std::string> common = {
        "--start", "2026-12-14 07:59:58", "--end", "2026-12-14 08:40:00", "--length", "bell.wav=2"};
    auto with = [&](std::vector<std::string> more) {
        more.insert(more.begin(), common.begin(), common.end());
        return run(more);
    };
    const std::string bell = " kind=media path=" + audio() + "bell.wav length=2.0";
    // Forward 10 s over the second row: it rings late; back 10 min after it: nothing twice.
    EXPECT_EQ(with({"--jump", "2026-12-14 08:00:10=+15", "--jump", "2026-12-14 08:00:40=-600"}),
              (Lines{"2026-12-14 07:59:58 start table=zxsj1.log rows=3 stop-day=no",
                     "2026-12-14 08:00:00 play row=1" + bell, "2026-12-14 08:00:04 stop row=1",
                     "2026-12-14 08:00:25 clock-jump from=08:00:10 to=08:00:25",
                     "2026-12-14 08:00:25 play row=2 kind=media late-by=5 path=" + audio() +
                         "bell.wav length=2.0",
                     "2026-12-14 08:00:29 stop row=2",
                     "2026-12-14 07:50:40 clock-jump from=08:00:40 to=07:50:40",
                     "2026-12-14 08:30:00 play row=3" + bell, "2026-12-14 08:30:04 stop row=3",
                     "2026-12-14 08:30:05 end-of-table"}));
    // A jump beyond a minute leaves what it jumped over behind, as a late start would.
    EXPECT_EQ(with({"--jump", "2026-12-14 08:00:00=+120"}),
              (Lines{"2026-12-14 07:59:58 start table=zxsj1.log rows=3 stop-day=no",
                     "2026-12-14 08:02:00 clock-jump from=08:00:00 to=08:02:00",
                     "2026-12-14 08:02:00 skip row=1 reason=late",
                     "2026-12-14 08:02:00 skip row=2 reason=late",
                     "2026-12-14 08:30:00 play row=3" + bell, "2026-12-14 08:30:04 stop row=3",
                     "2026-12-14 08:30:05 end-of-table"}));
    for (const char* bad : {"2026-12-14 08:00:00", "2026-12-14 08:00:00=600",
                            "2026-12-14 08:00:00=+0", "2026-12-14 8:00:00=+5"}) {
        EXPECT_TRUE(with({"--jump", bad}).empty());
        EXPECT_EQ(status, 2) << bad;
    }
}

// The rehearsal runs the wall clock of the zone it is given, as the PC does: the hour summer time
// skips is jumped over and its bell left behind, the hour it repeats rings once, and the check of
// each day names the rows timed in such an hour.
TEST_F(Rehearsal, SummerTimeSkipsAndRepeatsAnHourAsThePcsClockDoes) {
    if (!fs::exists("/usr/share/zoneinfo/Europe/Berlin")) {
        GTEST_SKIP() << "no time zone data";
    }
    const char* was = getenv("TZ");
    const std::string saved = was != nullptr ? was : "";
    setenv("TZ", "Europe/Berlin", 1);
    file("AUDIO/bell.wav");
    // 2027-03-28 and 2027-10-31 are Sundays.
    write(7, {{"02:30:00", "bell.wav", ""}, {"03:00:30", "bell.wav", ""}});
    const std::string bell = " kind=media path=" + audio() + "bell.wav length=2.0";
    const Lines spring = run({"--start", "2027-03-28 01:59:58", "--end", "2027-03-28 03:01:00",
                              "--length", "bell.wav=2"});
    const Lines autumn = run({"--start", "2027-10-31 02:29:58", "--end", "2027-10-31 03:01:00",
                              "--length", "bell.wav=2"});
    const Lines springCheck = run({"--check", "--date", "2027-03-28", "--length", "bell.wav=2"});
    const Lines autumnCheck = run({"--check", "--date", "2027-10-31", "--length", "bell.wav=2"});
    const Lines winterCheck = run({"--check", "--date", "2027-01-03", "--length", "bell.wav=2"});
    if (was != nullptr) {
        setenv("TZ", saved.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    EXPECT_EQ(spring,
              (Lines{"2027-03-28 01:59:58 start table=zxsj7.log rows=2 stop-day=no",
                     "2027-03-28 03:00:00 clock-jump from=02:00:00 to=03:00:00",
                     "2027-03-28 03:00:00 skip row=1 reason=late",
                     "2027-03-28 03:00:30 play row=2" + bell, "2027-03-28 03:00:34 stop row=2",
                     "2027-03-28 03:00:35 end-of-table"}));
    EXPECT_EQ(autumn,
              (Lines{"2027-10-31 02:29:58 start table=zxsj7.log rows=2 stop-day=no",
                     "2027-10-31 02:30:00 play row=1" + bell, "2027-10-31 02:30:04 stop row=1",
                     "2027-10-31 02:00:00 clock-jump from=03:00:00 to=02:00:00",
                     "2027-10-31 03:00:30 play row=2" + bell, "2027-10-31 03:00:34 stop row=2",
                     "2027-10-31 03:00:35 end-of-table"}));
    // The check names the row at the second it was left, as every row it leaves behind.
    EXPECT_EQ(springCheck, (Lines{"2027-03-28 03:00:00 skip row=1 reason=skipped-hour"}));
    EXPECT_EQ(autumnCheck, (Lines{"2027-10-31 02:30:00 skip row=1 reason=repeated-hour"}));
    EXPECT_TRUE(winterCheck.empty());
}

// A step of the clock under a minute over two bells 15 s apart: both ring, the second as the
// first ends, and the row after them on its own second.
TEST_F(Rehearsal, AShortStepForwardRingsEachBellItCoveredAfterTheOneBefore) {
    file("AUDIO/bell.wav");
    file("AUDIO/chime.wav");
    write(4, {{"11:45:45", "bell.wav", ""},
              {"11:45:56", "chime.wav", ""},
              {"11:46:11", "bell.wav", ""},
              {"11:47:00", "bell.wav", ""}});
    const Lines lines =
        run({"--start", "2026-12-10 11:45:40", "--end", "2026-12-10 11:47:30", "--jump",
             "2026-12-10 11:45:55=+45", "--length", "bell.wav=3", "--length", "chime.wav=2"});
    const std::string a = " kind=media path=" + audio();
    EXPECT_EQ(lines, (Lines{"2026-12-10 11:45:40 start table=zxsj4.log rows=4 stop-day=no",
                            "2026-12-10 11:45:45 play row=1" + a + "bell.wav length=3.0",
                            "2026-12-10 11:45:50 stop row=1",
                            "2026-12-10 11:46:40 clock-jump from=11:45:55 to=11:46:40",
                            "2026-12-10 11:46:40 play row=2 kind=media late-by=44 path=" + audio() +
                                "chime.wav length=2.0",
                            "2026-12-10 11:46:44 stop row=2",
                            "2026-12-10 11:46:45 play row=3 kind=media late-by=34 path=" + audio() +
                                "bell.wav length=3.0",
                            "2026-12-10 11:46:50 stop row=3",
                            "2026-12-10 11:47:00 play row=4" + a + "bell.wav length=3.0",
                            "2026-12-10 11:47:05 stop row=4", "2026-12-10 11:47:06 end-of-table"}));
}

TEST_F(Rehearsal, BadInputIsOneLineOnStandardErrorAndStatusTwo) {
    file("AUDIO/bell.wav");
    const std::string start = "2026-12-14 08:00:00";
    struct Case {
        std::vector<std::string> arguments;
        std::string error;
    };
    const std::vector<Case> cases = {
        {{"--start", start}, "orvessa-rehearse: " + dir() + " holds no orvessa.sys\n"},
        {{"--start", "2026-12-14 8:00"},
         "orvessa-rehearse: malformed --start \"2026-12-14 8:00\" (expected \"YYYY-MM-DD "
         "HH:MM:SS\")\n"},
        {{"--start", start, "--end", "2026-02-30 08:00:00"},
         "orvessa-rehearse: malformed --end \"2026-02-30 08:00:00\" (expected \"YYYY-MM-DD "
         "HH:MM:SS\")\n"},
        {{"--start", start, "--length", "bell.wav=soon"},
         "orvessa-rehearse: malformed --length \"bell.wav=soon\" (expected NAME=SECONDS)\n"},
        // Milliseconds that do not fit once printed a negative length.
        {{"--start", start, "--length", "bell.wav=1e18"},
         "orvessa-rehearse: --length \"bell.wav=1e18\" is longer than 31622400 seconds (366 "
         "days)\n"},
        {{"--start", start, "--end", "2028-12-14 08:00:00"},
         "orvessa-rehearse: --end must come at most 366 days after --start\n"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(run(c.arguments).empty());
        EXPECT_EQ(status, kBadInput);
        EXPECT_EQ(error, c.error);
    }

    // Monday's table is there but is no file.
    write(2, {{"08:00:00", "bell.wav", ""}});
    fs::create_directory(m_dir / "zxsj1.log");
    EXPECT_TRUE(run({"--start", start}).empty());
    EXPECT_EQ(status, kBadInput);
    EXPECT_EQ(error, "orvessa-rehearse: cannot read the table " + dir() + "/zxsj1.log\n");

    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(rehearse({dir() + "/nowhere"}, out, err), kBadInput);
    EXPECT_EQ(err.str(), "orvessa-rehearse: no such directory: " + dir() + "/nowhere\n");
}

// As the program runs it: an empty table, from which nothing is broadcast.
TEST_F(Rehearsal, ADayWhoseTableDoesNotExistRunsEmptyAndSaysSo) {
    // A bell the media framework can play: one it cannot is a problem of its own.
    file("AUDIO/bell.wav", wavOf(1));
    write(2, {{"08:00:00", "bell.wav", ""}});  // Tuesday's; Monday's was never made

    const Lines day = run({"--start", "2026-12-14 07:59:58", "--end", "2026-12-14 08:00:00"});
    EXPECT_EQ(status, kRehearsed);
    EXPECT_EQ(error, "");
    EXPECT_EQ(day, (Lines{"2026-12-14 07:59:58 start table=zxsj1.log rows=19 stop-day=no",
                          "2026-12-14 07:59:58 no-table path=" + dir() + "/zxsj1.log",
                          "2026-12-14 08:00:00 end-of-table"}));

    EXPECT_EQ(run({"--check", "--date", "2026-12-14"}),
              Lines{"2026-12-14 00:00:00 no-table path=" + dir() + "/zxsj1.log"});
    EXPECT_EQ(status, kProblemsFound);
    EXPECT_EQ(error, "");
    EXPECT_EQ(run({"--check", "--date", "2026-12-15"}), Lines{});
    EXPECT_EQ(status, kRehearsed);
}

// Output that goes nowhere: a full disk.
class FullDisk : public std::streambuf {
protected:
    int overflow(int) override { return traits_type::eof(); }
};

TEST_F(Rehearsal, AFailedWriteOrASignalEndsTheRunWithoutLeavingItsCopyBehind) {
    file("AUDIO/bell.wav");
    write(1, {{"08:00:00", "bell.wav", ""}});
    TempDir scratch;
    setenv("TMPDIR", scratch.path().c_str(), 1);
    const std::vector<std::string> arguments = {dir(), "--start", "2026-12-14 07:59:00", "--length",
                                                "bell.wav=5"};

    FullDisk disk;
    std::ostream full(&disk);
    std::ostringstream err;
    EXPECT_EQ(rehearse(arguments, full, err), kOutputFailed);
    EXPECT_EQ(err.str(), "orvessa-rehearse: cannot write the output\n");
    EXPECT_TRUE(fs::is_empty(scratch.path()));

    std::ostringstream out;
    const volatile std::sig_atomic_t terminated = SIGTERM;
    EXPECT_EQ(rehearse(arguments, out, err, &terminated), 128 + SIGTERM);
    EXPECT_EQ(out.str(), "2026-12-14 07:59:00 start table=zxsj1.log rows=1 stop-day=no\n");
    EXPECT_TRUE(fs::is_empty(scratch.path()));
    unsetenv("TMPDIR");
}

}  // namespace
}  // namespace orvessa::dryrun
