#include "core/scheduler/broadcast_clock.h"

#include <set>

#include "clock_scenario.h"

namespace orvessa::scheduler {
namespace {

TEST_F(ClockScenario, TimedRowStartsOnItsSecondAndTheClockMovesOnWhenItEnds) {
    media("bell.wav", 180);
    media("next.wav", 10);
    start({{"8:00:00", "bell.wav", ""}, {"", "next.wav", ""}}, "07:59:00");
    runUntil("08:03:30");
    // The position reaches the length at 08:03:00; the next tick sees them equal,
    // stops the item and moves to row 2, which starts at the tick after.
    EXPECT_EQ(log, (Log{"08:00:00 open bell.wav", "08:03:01 end", "08:03:02 open next.wav",
                        "08:03:13 end"}));
    EXPECT_EQ(form().clockText.text(), "8:03:30");
    EXPECT_EQ(form().stopDayLine.text(), "2026-12-09   星期三");
}

TEST_F(ClockScenario, ATimedRowsFileIsPreparedTheSecondBeforeItsOwn) {
    media("bell.wav", 2);
    start({{"8:00:00", "bell.wav", ""}, {"", "gone.wav", ""}, {"8:00:10", "index.html", ""}},
          "07:59:57");
    std::vector<std::string> prepared;
    for (int i = 0; i < 15; ++i) {
        const std::size_t seen = m_device.calls.size();
        runFor(1);
        for (std::size_t c = seen; c < m_device.calls.size(); ++c) {
            if (m_device.calls[c].starts_with("prepare ")) {
                prepared.push_back(now() + " " +
                                   fs::path(m_device.calls[c].substr(8)).filename().string());
            }
        }
    }
    // Once, at 07:59:59; an untimed row, a missing file and a page are never prepared.
    EXPECT_EQ(prepared, (std::vector<std::string>{"07:59:59 bell.wav"}));
    EXPECT_EQ(log.front(), "08:00:00 open bell.wav");
}

TEST_F(ClockScenario, LateStartLeavesTheTimedRowAndItsUntimedFollowersUnplayed) {
    for (const char* f : {"a.wav", "b.wav", "c.wav", "d.wav"}) {
        media(f, 20);
    }
    start({{"08:00:00", "a.wav", ""},
           {"", "b.wav", ""},
           {"", "c.wav", ""},
           {"08:10:00", "d.wav", ""}},
          "08:00:05");
    runUntil("08:09:00");
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(engine().session().clock.untimedSkip);
    EXPECT_EQ(state().currentRow, 4);
    runUntil("08:10:30");
    EXPECT_EQ(log, (Log{"08:10:00 open d.wav", "08:10:21 end"}));
    EXPECT_FALSE(engine().session().clock.untimedSkip);
}

TEST_F(ClockScenario, RowWithStopTimeRepeatsAndIsCutOffAtItsStop) {
    media("long.wav", 12 * 60);
    start({{"08:00:00", "long.wav", "08:30:00"}}, "07:59:50");
    runUntil("08:31:00");
    // Each end before the stop time starts the row again in the same tick.
    EXPECT_EQ(log, (Log{"08:00:00 open long.wav", "08:12:01 open long.wav",
                        "08:24:02 open long.wav", "08:30:00 end", "08:30:00 cut"}));
    EXPECT_EQ(state().currentRow, 2) << "the table has run out";
}

TEST_F(ClockScenario, RowReachedInsideItsWindowStartsAtOnce) {
    media("long.wav", 12 * 60);
    start({{"08:00:00", "long.wav", "08:30:00"}}, "08:10:00");
    runUntil("08:10:02");
    EXPECT_EQ(log, (Log{"08:10:01 open long.wav"}));
}

TEST_F(ClockScenario, ShortTimeTextsArePaddedBeforeTheyCompare) {
    media("early.wav", 5);
    start({{" 5:00:13", "early.wav", ""}}, "05:00:00");
    runUntil("05:00:20");
    EXPECT_EQ(log, (Log{"05:00:13 open early.wav", "05:00:19 end"}));
}

// The commonest way a timetable is written: music up to the second the bell rings. The clock
// leaves the music at that second and the bell rings in the same tick, not a second later (when
// its second has passed and it would be left behind); so does a bell at the second a song ends,
// and a second bell timed to the same second is not started over the first.
TEST_F(ClockScenario, ABellAtTheSecondTheRowBeforeItStopsRingsOnIt) {
    media("music.wav", 600);
    media("bell.wav", 10);
    media("song.wav", 20);
    media("bell2.wav", 5);
    start({{"07:55:00", "music.wav", "08:00:00"},
           {"08:00:00", "bell.wav", ""},
           {"", "song.wav", ""},
           {"08:00:33", "bell2.wav", ""},
           {"08:00:33", "bell.wav", ""}},
          "07:54:59");
    runUntil("08:01:00");
    EXPECT_EQ(log, (Log{"07:55:00 open music.wav", "08:00:00 cut", "08:00:00 open bell.wav",
                        "08:00:11 end", "08:00:12 open song.wav", "08:00:33 open bell2.wav",
                        "08:00:39 end"}));
    EXPECT_EQ(state().currentRow, 6);
}

TEST_F(ClockScenario, StopBeforeStartIsLeftUnplayed) {
    media("a.wav", 5);
    start({{"09:00:00", "a.wav", "08:00:00"}}, "07:59:55");
    runUntil("08:00:05");
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(state().currentRow, 2);
}

TEST_F(ClockScenario, UntimedRowsPlayOnceEachInOrderAndEmptyOrMissingRowsAreLeft) {
    media("a.wav", 3);
    media("b.wav", 4);
    media("c.wav", 2);
    start({{"08:00:00", "a.wav", ""},
           {"", "", ""},
           {"", "b.wav", ""},
           {"", "gone.wav", ""},
           {"", "c.wav", ""}},
          "07:59:58");
    runUntil("08:00:20");
    // The empty row is left in the tick that ends a.wav; the missing file costs one tick.
    EXPECT_EQ(log, (Log{"08:00:00 open a.wav", "08:00:04 end", "08:00:05 open b.wav",
                        "08:00:10 end", "08:00:12 open c.wav", "08:00:15 end"}));
}

// A song the device cannot play (damaged, or another format under its name) is passed over as
// a missing file is: handed to the desktop it would never end, and every later bell of the day
// would be left behind waiting for it.
TEST_F(ClockScenario, ADamagedSongIsPassedOverAndTheBellsAfterItRing) {
    writeBytes(m_dir / "AUDIO" / "damaged.mp3", "\x7f garbage");
    m_device.damaged.insert("damaged.mp3");
    media("after.wav", 5);
    media("bell.wav", 8);
    // A folder whose first file is damaged sounds on its second all the same.
    fs::create_directory(m_dir / "AUDIO" / "d");
    for (const char* f : {"1.mp3", "2.wav"}) {
        writeBytes(m_dir / "AUDIO" / "d" / f, "x");
        m_device.lengths[f] = 300000;
    }
    m_device.damaged.insert("1.mp3");
    start({{"08:00:00", "damaged.mp3", ""},
           {"", "after.wav", ""},
           {"08:05:00", "bell.wav", ""},
           {"08:10:00", library() + "d/", "08:12:00"}},
          "07:59:59");
    runUntil("08:10:01");
    EXPECT_EQ(log, (Log{"08:00:00 open damaged.mp3", "08:00:01 open after.wav", "08:00:07 end",
                        "08:05:00 open bell.wav", "08:05:09 end", "08:10:00 open 1.mp3",
                        "08:10:00 open 2.wav"}));
    EXPECT_TRUE(m_shell.requests.empty());
}

TEST_F(ClockScenario, ShellItemWithoutStopTimeNeverEndsByItself) {
    writeBytes(m_dir / "AUDIO" / "notice.txt", "x");
    media("after.wav", 5);
    start({{"08:00:00", "notice.txt", ""}, {"", "after.wav", ""}}, "07:59:59");
    runUntil("08:20:00");
    EXPECT_EQ(log, (Log{"08:00:00 open notice.txt", "08:00:00 shell notice.txt"}));
    EXPECT_EQ(state().currentRow, 1);
    EXPECT_EQ(state().itemKind, playback::ItemKind::ShellOpened);
    const std::string line = form().statusLine.text();
    EXPECT_TRUE(line.starts_with("正在播放：")) << line;
    EXPECT_TRUE(line.ends_with("...\\notice.txt 长度：0:00 完成：未知％")) << line;
}

TEST_F(ClockScenario, PageRunsUntilItsStopTimeAndNeverEndsByLength) {
    media("after.wav", 5);
    start({{"08:00:00", "http://intranet/notice.html", "08:10:00"}, {"", "after.wav", ""}},
          "07:59:59");
    runUntil("08:09:59");
    EXPECT_EQ(state().currentRow, 1);
    EXPECT_EQ(state().itemKind, playback::ItemKind::WebPage);
    EXPECT_TRUE(log.empty()) << log.front();
    runUntil("08:10:02");
    EXPECT_EQ(state().currentRow, 2);
    EXPECT_EQ(log, (Log{"08:10:00 end", "08:10:01 open after.wav"}));
}

TEST_F(ClockScenario, DirectoryRowPlaysItsFilesInTurnThenMovesOn) {
    fs::create_directory(m_dir / "AUDIO" / "d");
    for (const char* f : {"1.wav", "2.wav", "3.wav"}) {
        writeBytes(m_dir / "AUDIO" / "d" / f, "x");
        m_device.lengths[f] = 10000;
    }
    media("after.wav", 5);
    start({{"08:00:00", library() + "d/", ""}, {"", "after.wav", ""}}, "07:59:59");
    runUntil("08:00:50");
    // Each file follows the one before in the tick that sees it end; then the row is left.
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0].substr(0, 13), "08:00:00 open");
    EXPECT_EQ(log[1].substr(0, 13), "08:00:11 open");
    EXPECT_EQ(log[2].substr(0, 13), "08:00:22 open");
    EXPECT_EQ((std::set<std::string>{log[0].substr(14), log[1].substr(14), log[2].substr(14)}),
              (std::set<std::string>{"1.wav", "2.wav", "3.wav"}));
    EXPECT_EQ(log[3], "08:00:33 end");
    EXPECT_EQ(log[4], "08:00:34 open after.wav");
}

TEST_F(ClockScenario, MissingFileOnTheLastRowIsAskedForAtEveryTick) {
    start({{"", "gone.wav", ""}}, "08:00:00");
    runUntil("08:00:05");
    EXPECT_EQ(state().currentRow, 1);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(state().isPlaying);
}

TEST_F(ClockScenario, SecondsOfAStallAreMadeUpSoTheBellStillRings) {
    media("bell.wav", 5);
    start({{"08:00:00", "bell.wav", ""}}, "07:59:57");
    runUntil("07:59:58");
    // The thread is busy from 07:59:58 to 08:00:01: the timer's next tick sees 08:00:01.
    setTime("08:00:01");
    tick();
    EXPECT_EQ(log, (Log{"08:00:01 open bell.wav"}));
    EXPECT_EQ(form().clockText.text(), "8:00:01");
    // The same second again does not tick twice.
    tick();
    EXPECT_EQ(log.size(), 1u);
}

// Ticks a busy thread runs late read the item as it stood at their own second, so the next row
// follows on the second it would have followed on without the stalls.
TEST_F(ClockScenario, LateTicksSeeAnItemEndOnTheSecondTheyStandFor) {
    m_device.now = [this] {
        const auto t = m_clock.now();
        return secondsOf(t) * 1000 + t.millisecond;
    };
    media("a.wav", 1);
    media("b.wav", 1);
    m_device.lengths["a.wav"] = 2500;
    const auto late = [this](const std::string& hms, int millisecond) {
        setTime(hms);
        auto t = m_clock.now();
        t.millisecond = millisecond;
        m_clock.set(t);
        tick();
    };
    start({{"08:00:00", "a.wav", ""}, {"", "b.wav", ""}}, "07:59:59");
    tick();
    late("08:00:00", 0);
    late("08:00:02", 900);  // 08:00:01 made up 1.9 s late, 08:00:02 0.9 s late
    late("08:00:03", 0);
    late("08:00:04", 0);
    // As with every tick on time: the end read at 08:00:03 is acted on at 08:00:04. Reading the
    // position as it was when the late ticks ran would end the item at 08:00:02.
    EXPECT_EQ(log, (Log{"08:00:00 open a.wav", "08:00:04 end"}));
}

TEST_F(ClockScenario, LongGapsAreNotMadeUp) {
    media("bell.wav", 5);
    start({{"08:00:00", "bell.wav", ""}}, "07:55:00");
    runUntil("07:55:01");
    setTime("08:05:00");  // ten minutes later: the computer slept
    tick();
    EXPECT_TRUE(log.empty()) << "the bell's second is not replayed";
    EXPECT_EQ(state().currentRow, 2);
}

TEST_F(ClockScenario, HintsRotateWhileNothingPlays) {
    start({{"23:00:00", "x.wav", ""}}, "08:00:00");
    std::vector<std::string> shown;
    for (int i = 0; i < 51; ++i) {
        runUntil(text::normaliseTime(text::formatClockTime(8, 0, i + 1)));
        shown.push_back(form().statusLine.text());
    }
    const auto& hints = engine().startUp().hints;
    EXPECT_EQ(std::count(shown.begin(), shown.end(), hints[0]), 4);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), hints[1]), 5);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), hints[10]), 2);
    runUntil("08:00:52");
    EXPECT_EQ(form().statusLine.text(), hints[0]) << "the cycle is 51 ticks";
}

}  // namespace
}  // namespace orvessa::scheduler
