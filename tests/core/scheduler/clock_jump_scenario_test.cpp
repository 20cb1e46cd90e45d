#include <algorithm>
#include <cstdio>
#include <iterator>

#include "clock_scenario.h"
#include "core/scheduler/as_run.h"
#include "fakes/recording_failure_record.h"

namespace orvessa::scheduler {
namespace {

// The as-run lines of starts, rows left behind and the clock, without the day lines.
class OnAir : public BroadcastRecord {
public:
    void record(const BroadcastEvent& e) override {
        if (e.type == BroadcastEvent::Type::Started || e.type == BroadcastEvent::Type::Left ||
            e.type == BroadcastEvent::Type::Clock) {
            const std::string line = as_run::line(e);
            // Without the date and the path: the second, what happened, the row, late-by.
            const std::size_t path = line.find(" path=");
            lines.push_back(
                line.substr(11, path == std::string::npos ? std::string::npos : path - 11));
        }
        kept.push_back(as_run::line(e));
    }
    // Kept across a restart, as the day's file is.
    std::vector<std::string> dayLines(int year, int month, int day) override {
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
        std::vector<std::string> out;
        std::copy_if(kept.begin(), kept.end(), std::back_inserter(out),
                     [&date](const std::string& l) { return l.starts_with(date); });
        return out;
    }
    // Another day's run: nothing of this one is kept.
    void clear() {
        lines.clear();
        kept.clear();
    }
    std::vector<std::string> lines;
    std::vector<std::string> kept;
};

// The PC's clock set forward and back while the system runs, on the simulated clock: the
// steady time goes on while the time of day jumps.
class ClockJumps : public ClockScenario {
protected:
    ClockJumps() {
        record = &m_onAir;
        failures = &m_failures;
        media("a.wav", 2);
        media("b.wav", 2);
        media("c.wav", 2);
    }
    // A second passes, and the time of day is set to `hms`; the clock ticks.
    void jumpTo(const std::string& hms) {
        m_clock.set(localDateTimeOf(secondsOf(m_clock.now()) + 1));
        platform::LocalDateTime t = m_clock.now();
        t.hour = std::stoi(hms.substr(0, 2));
        t.minute = std::stoi(hms.substr(3, 2));
        t.second = std::stoi(hms.substr(6, 2));
        m_clock.jumpTo(t);
        tick();
    }
    int opened(const std::string& file) const {
        return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const std::string& l) {
            return l.ends_with("open " + file);
        }));
    }
    int jumpsRecorded() const {
        return static_cast<int>(
            std::count_if(m_failures.failures.begin(), m_failures.failures.end(),
                          [](const platform::Failure& f) { return f.what == "clock jumped"; }));
    }

    OnAir m_onAir;
    fakes::RecordingFailureRecord m_failures;
};

TEST_F(ClockJumps, ThreeSecondsForwardRingTheJumpedRowLate) {
    start({{"08:00:02", "a.wav", ""}, {"", "b.wav", ""}}, "07:59:50");
    runUntil("07:59:59");
    jumpTo("08:00:03");
    EXPECT_EQ(log, (Log{"08:00:03 open a.wav"}));
    runFor(10);
    EXPECT_EQ(opened("b.wav"), 1) << "the untimed row follows as usual";
    EXPECT_EQ(m_onAir.lines[0], "08:00:03 clock-jump from=08:00:00 to=08:00:03");
    EXPECT_EQ(m_onAir.lines[1], "08:00:02 start table=zxsj3.log row=1 kind=media late-by=1");
    EXPECT_EQ(jumpsRecorded(), 1);
}

TEST_F(ClockJumps, FortyFiveSecondsForwardAreTickedLateAcrossTimedAndUntimedRows) {
    start({{"08:00:10", "a.wav", ""}, {"", "b.wav", ""}, {"08:00:40", "c.wav", ""}}, "07:59:58");
    runFor(2);
    jumpTo("08:00:46");
    // a.wav rang late; b.wav waits for it; c.wav's second came while a.wav played.
    EXPECT_EQ(m_onAir.lines, (Log{"08:00:46 clock-jump from=08:00:01 to=08:00:46",
                                  "08:00:10 start table=zxsj3.log row=1 kind=media late-by=36"}));
    runFor(20);
    EXPECT_EQ(log, (Log{"08:00:46 open a.wav", "08:00:49 end", "08:00:50 open b.wav",
                        "08:00:53 end", "08:00:54 open c.wav", "08:00:57 end"}));
    EXPECT_EQ(m_onAir.lines.back(), "08:00:54 start table=zxsj3.log row=3 kind=media late-by=14");
}

// The bells of a step under a minute ring one after the other, each as the one before ends, as
// they would have rung without the step; the rows after them keep their own seconds. A stall
// of the thread makes its seconds up the same way.
TEST_F(ClockJumps, AShortStepRingsEveryBellItCoveredInTurnAndTheRestOnTheirSeconds) {
    const std::vector<Row> rows = {{"08:00:06", "a.wav", ""},
                                   {"08:00:21", "b.wav", ""},
                                   {"", "c.wav", ""},
                                   {"08:00:35", "a.wav", ""},
                                   {"08:01:30", "b.wav", ""}};
    start(rows, "07:59:50");
    runUntil("08:00:04");
    jumpTo("08:00:50");
    runUntil("08:01:40");
    EXPECT_EQ(log,
              (Log{"08:00:50 open a.wav", "08:00:53 end", "08:00:54 open b.wav", "08:00:57 end",
                   "08:00:58 open c.wav", "08:01:01 end", "08:01:02 open a.wav", "08:01:05 end",
                   "08:01:30 open b.wav", "08:01:33 end"}));
    EXPECT_EQ(m_onAir.lines, (Log{"08:00:50 clock-jump from=08:00:05 to=08:00:50",
                                  "08:00:06 start table=zxsj3.log row=1 kind=media late-by=44",
                                  "08:00:54 start table=zxsj3.log row=2 kind=media late-by=33",
                                  "08:00:58 start table=zxsj3.log row=3 kind=media",
                                  "08:01:02 start table=zxsj3.log row=4 kind=media late-by=27",
                                  "08:01:30 start table=zxsj3.log row=5 kind=media"}));
    m_system.reset();

    // The thread busy from 08:00:04 to 08:00:30: 08:00:21 was in the stall and rings after
    // 08:00:06; 08:00:35 was not, and its second came while 08:00:21 played.
    log.clear();
    m_onAir.clear();
    start(rows, "07:59:50");
    runUntil("08:00:04");
    setTime("08:00:30");
    tick();
    runUntil("08:01:40");
    EXPECT_EQ(log,
              (Log{"08:00:30 open a.wav", "08:00:33 end", "08:00:34 open b.wav", "08:00:37 end",
                   "08:00:38 open c.wav", "08:00:41 end", "08:01:30 open b.wav", "08:01:33 end"}));
    EXPECT_EQ(m_onAir.lines, (Log{"08:00:06 start table=zxsj3.log row=1 kind=media late-by=24",
                                  "08:00:34 start table=zxsj3.log row=2 kind=media late-by=13",
                                  "08:00:38 start table=zxsj3.log row=3 kind=media",
                                  "08:00:41 left table=zxsj3.log row=4 reason=still-playing by=2",
                                  "08:01:30 start table=zxsj3.log row=5 kind=media"}));
}

// A bell that the item before it would have kept waiting without the step is left behind with
// the step too; a later one that would have rung rings, late.
TEST_F(ClockJumps, ABellTheItemBeforeWouldHaveHeldAnywayIsStillLeftBehind) {
    media("long.wav", 20);
    // The item plays on in steady time while the time of day jumps.
    m_device.now = [this] { return *m_clock.steadyMillis(); };
    start({{"08:00:00", "long.wav", ""}, {"08:00:15", "a.wav", ""}, {"08:00:30", "b.wav", ""}},
          "07:59:58");
    runUntil("08:00:09");
    jumpTo("08:00:50");
    runUntil("08:01:20");
    EXPECT_EQ(opened("a.wav"), 0);
    EXPECT_EQ(opened("b.wav"), 1);
    EXPECT_NE(std::find(m_onAir.lines.begin(), m_onAir.lines.end(),
                        "08:01:01 left table=zxsj3.log row=2 reason=still-playing by=1"),
              m_onAir.lines.end());
    EXPECT_EQ(m_onAir.lines.back(), "08:01:02 start table=zxsj3.log row=3 kind=media late-by=32");
}

// A made-up bell still playing when a later row's own second comes keeps it from ringing, as
// any item playing at that second does.
TEST_F(ClockJumps, ARowAheadOfTheStepWhoseSecondComesWhileALateBellPlaysIsLeft) {
    media("long.wav", 20);
    start({{"08:00:06", "long.wav", ""}, {"08:00:55", "a.wav", ""}, {"08:01:30", "b.wav", ""}},
          "07:59:58");
    runUntil("08:00:04");
    jumpTo("08:00:50");
    runUntil("08:01:40");
    EXPECT_EQ(opened("a.wav"), 0);
    EXPECT_EQ(opened("b.wav"), 1);
    EXPECT_NE(std::find(m_onAir.lines.begin(), m_onAir.lines.end(),
                        "08:01:11 left table=zxsj3.log row=2 reason=still-playing by=1"),
              m_onAir.lines.end());
}

TEST_F(ClockJumps, TenMinutesForwardLeaveTheJumpedRowsBehindWithoutABurst) {
    start({{"08:05:00", "a.wav", ""}, {"", "b.wav", ""}, {"08:12:00", "c.wav", ""}}, "07:59:58");
    runFor(2);
    jumpTo("08:10:01");
    runUntil("08:12:05");
    EXPECT_EQ(log, (Log{"08:12:00 open c.wav", "08:12:03 end"}));
    EXPECT_EQ(m_onAir.lines.front(), "08:10:01 clock-jump from=08:00:01 to=08:10:01");
    EXPECT_NE(std::find(m_onAir.lines.begin(), m_onAir.lines.end(),
                        "08:10:01 left table=zxsj3.log row=1 reason=late"),
              m_onAir.lines.end());
}

TEST_F(ClockJumps, SetBackARowThatPlayedDoesNotPlayAgainAndTheClockGoesOn) {
    for (const char* back : {"08:00:02", "07:50:05"}) {  // 3 s, and 10 minutes
        SCOPED_TRACE(back);
        log.clear();
        m_onAir.clear();
        start({{"08:00:00", "a.wav", ""}, {"", "b.wav", ""}, {"08:00:30", "c.wav", ""}},
              "07:59:58");
        runUntil("08:00:05");
        ASSERT_EQ(opened("a.wav"), 1);
        jumpTo(back);
        runUntil("08:00:40");
        EXPECT_EQ(opened("a.wav"), 1);
        EXPECT_EQ(opened("b.wav"), 1);
        EXPECT_EQ(opened("c.wav"), 1) << "the next row rings at its own second";
        EXPECT_EQ(std::count_if(m_onAir.lines.begin(), m_onAir.lines.end(),
                                [](const std::string& l) { return l.find("row=1") != l.npos; }),
                  1);
        m_system.reset();
    }
}

TEST_F(ClockJumps, SummerTimeInSpringLeavesTheLostHourAndInAutumnPlaysItsHourOnce) {
    date = {2027, 3, 28};  // Berlin: 02:00 becomes 03:00
    const std::vector<Row> rows = {{"02:30:00", "a.wav", ""}, {"03:00:05", "b.wav", ""}};
    start(rows, "01:59:58");
    runFor(1);
    jumpTo("03:00:00");
    runFor(10);
    EXPECT_EQ(log, (Log{"03:00:05 open b.wav", "03:00:08 end"}));
    m_system.reset();

    log.clear();
    date = {2027, 10, 31};  // 03:00 becomes 02:00 again
    start(rows, "02:29:58");
    runUntil("02:59:59");
    ASSERT_EQ(log, (Log{"02:30:00 open a.wav", "02:30:03 end"}));
    jumpTo("02:00:00");
    runUntil("02:59:59");
    EXPECT_EQ(opened("a.wav"), 1) << "the repeated hour does not ring its row twice";
    m_clock.set({2027, 10, 31, 3, 0, 0});
    runFor(10);
    EXPECT_EQ(opened("b.wav"), 1);
}

TEST_F(ClockJumps, AcrossMidnightTheDayIsNewOnlyWhenTheDateChanged) {
    writeTable(4, {{"00:00:10", "b.wav", ""}});
    start({{"23:59:50", "a.wav", ""}}, "23:59:40");
    runUntil("23:59:55");
    // Forward over midnight: Thursday's table from its first second, its row late.
    m_clock.jumpTo({2026, 12, 10, 0, 0, 30});
    tick();
    EXPECT_EQ(engine().session().tableFileName, "zxsj4.log");
    EXPECT_EQ(opened("b.wav"), 1);
    EXPECT_NE(std::find(m_onAir.lines.begin(), m_onAir.lines.end(),
                        "00:00:10 start table=zxsj4.log row=1 kind=media late-by=20"),
              m_onAir.lines.end());
    runFor(5);
    // Back over midnight: Wednesday again, and then Thursday again, each row once.
    m_clock.jumpTo({2026, 12, 9, 23, 59, 45});
    tick();
    EXPECT_EQ(engine().session().tableFileName, "zxsj3.log");
    runFor(60);
    EXPECT_EQ(engine().session().tableFileName, "zxsj4.log");
    EXPECT_EQ(opened("a.wav"), 1);
    EXPECT_EQ(opened("b.wav"), 1);
    EXPECT_EQ(jumpsRecorded(), 2);
}

// What rang before a restart is in the day's record: a restart after the PC's clock was set back
// rings none of it again, and a restart rings on, without calling the bells that rang
// left behind. A later bell is not held back by the ones that rang.
TEST_F(ClockJumps, ARestartRingsNothingTwiceAndKeepsWhatRang) {
    const std::vector<Row> rows = {{"11:55:21", "a.wav", ""},
                                   {"", "c.wav", ""},
                                   {"11:55:51", "b.wav", ""},
                                   {"11:57:00", "a.wav", ""}};
    start(rows, "11:55:00");
    runUntil("11:56:00");
    EXPECT_EQ(log, (Log{"11:55:21 open a.wav", "11:55:24 end", "11:55:25 open c.wav",
                        "11:55:28 end", "11:55:51 open b.wav", "11:55:54 end"}));
    m_system.reset();

    // Set back ten minutes, then restarted: nothing rings twice, and 11:57:00 rings.
    log.clear();
    m_onAir.lines.clear();
    start(rows, "11:46:00");
    runUntil("11:57:10");
    EXPECT_EQ(log, (Log{"11:57:00 open a.wav", "11:57:03 end"}));
    m_system.reset();

    // Restarted again in the afternoon: the rows that rang are not recorded left behind.
    m_onAir.lines.clear();
    start(rows, "13:00:00");
    runFor(3);
    EXPECT_TRUE(m_onAir.lines.empty()) << m_onAir.lines.front();

    // The day's record as the console reads it: every bell played.
    const auto day = m_onAir.dayLines(date.year, date.month, date.day);
    int left = 0;
    for (const std::string& l : day) {
        const auto e = as_run::parse(l);
        ASSERT_TRUE(e.has_value()) << l;
        left += e->type == BroadcastEvent::Type::Left ? 1 : 0;
    }
    EXPECT_EQ(left, 0);
}

// The replay at the end of the day rings the table again on purpose, restart or not.
TEST_F(ClockJumps, TheEndOfDayReplayStillRingsAgainAfterARestart) {
    entries[5] = "2";  // replay from row 1
    const std::vector<Row> rows = {{"", "a.wav", ""}, {"", "b.wav", ""}};
    start(rows, "09:00:00");
    runFor(10);
    m_system.reset();
    log.clear();
    start(rows, "09:00:30");
    runFor(10);
    EXPECT_GE(opened("a.wav"), 1);
    EXPECT_GE(opened("b.wav"), 1);
}

}  // namespace
}  // namespace orvessa::scheduler
