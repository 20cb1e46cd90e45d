#include <algorithm>

#include "clock_scenario.h"
#include "core/scheduler/as_run.h"
#include "fakes/recording_failure_record.h"

namespace orvessa::scheduler {
namespace {

// Days the school calendar decides, on the simulated clock with the real start-up and clock.
class CalendarDays : public ClockScenario {
protected:
    CalendarDays() {
        // A school week: Saturday and Sunday off.
        entries[kSaturday] = entries[kSunday] = "1";
        media("fri.wav", 2);
        media("wed.wav", 2);
        media("thu.wav", 2);
    }
    void calendar(const std::string& lines) {
        writeBytes(m_dir / "calendar.txt", text::utf8ToGbk(lines));
    }
    bool heard(const std::string& line) const {
        return std::find(log.begin(), log.end(), line) != log.end();
    }
    void at(int y, int m, int d, const std::string& hms) {
        date = {y, m, d};
        setTime(hms);
    }

    static constexpr int kSaturday = store::SystemConfig::kStopMonday + 5;
    static constexpr int kSunday = store::SystemConfig::kStopMonday + 6;
    static constexpr const char* kMakeUp = "1,2027-02-20,,5,调休：按星期五上课\r\n";
};

TEST_F(CalendarDays, AMakeUpSaturdayPlaysFridaysTableFromItsFirstRowAndSaysWhy) {
    date = {2027, 2, 20};  // a Saturday, its stop flag set
    calendar(kMakeUp);
    writeTable(5, {{"08:00:00", "fri.wav", ""}});
    start({{"08:00:00", "wed.wav", ""}}, "07:59:50");
    EXPECT_EQ(engine().session().tableFileName, "zxsj5.log");
    EXPECT_FALSE(form().stopDayTimer.running());
    EXPECT_EQ(form().statusLine.text(), "  ☆ 今日按校历播出星期五作息表（调休：按星期五上课）");
    runUntil("08:00:05");
    EXPECT_EQ(log, (Log{"08:00:00 open fri.wav", "08:00:03 end"}));
}

TEST_F(CalendarDays, AFridayRunsIntoTheMakeUpSaturdayAndRingsFromMidnight) {
    date = {2027, 2, 19};
    calendar(kMakeUp);
    // Friday's table is Saturday's too: its midnight row is past on Friday evening.
    start({{"0:00:00", "fri.wav", ""}, {"23:59:50", "wed.wav", ""}}, "23:59:40");
    runFor(19);  // 23:59:59: the table has run out
    EXPECT_EQ(log, (Log{"23:59:50 open wed.wav", "23:59:53 end"}));
    runFor(1);
    EXPECT_EQ(engine().session().tableFileName, "zxsj5.log");
    EXPECT_FALSE(form().stopDayTimer.running());
    EXPECT_TRUE(heard("00:00:00 open fri.wav"));

    // Without the entry the same Saturday is its weekday's stop day.
    runFor(5);
    log.clear();
    calendar("");
    m_clock.set({2027, 2, 26, 23, 59, 59});  // the next Friday night
    runFor(1);
    m_clock.set({2027, 2, 27, 0, 0, 0});
    runFor(3);
    EXPECT_TRUE(form().stopDayTimer.running());
    EXPECT_EQ(form().statusLine.text(), "  今日停播！ ");
    EXPECT_TRUE(log.empty());
}

TEST_F(CalendarDays, ADatedStopOnAWednesdayIsSilentAndThursdayPlaysAgain) {
    date = {2027, 3, 3};  // a Wednesday
    calendar("1,2027-03-03,,0,运动会\r\n");
    writeTable(4, {{"0:00:30", "thu.wav", ""}});
    start({{"08:00:00", "wed.wav", ""}}, "07:59:50");
    EXPECT_TRUE(form().stopDayTimer.running());
    EXPECT_EQ(engine().session().tableFileName, "zxsj3.log")
        << "the grid shows the day's own table";
    runFor(20);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(form().statusLine.text(), "  ☆ 今日为校历停播日（运动会）");

    setTime("23:59:50");
    runFor(45);
    EXPECT_EQ(engine().session().tableFileName, "zxsj4.log");
    EXPECT_TRUE(heard("00:00:30 open thu.wav"));
}

TEST_F(CalendarDays, TheOperatorCanStillBroadcastADatedStopByHand) {
    date = {2027, 3, 3};
    calendar("1,2027-03-03,,0,运动会\r\n");
    start({{"08:00:30", "wed.wav", ""}}, "08:00:00");
    ASSERT_TRUE(form().stopDayTimer.running());
    ASSERT_TRUE(form().manualOperation.click());
    ASSERT_TRUE(form().automaticOperation.click());
    runFor(40);
    EXPECT_TRUE(heard("08:00:30 open wed.wav"));
}

TEST_F(CalendarDays, ARangeOverNewYearStopsEachOfItsDaysAndNoMore) {
    entries[kSaturday] = entries[kSunday] = "0";
    date = {2026, 12, 30};  // a Wednesday
    calendar("1,2026-12-31,2027-01-02,0,元旦\r\n");
    writeTable(7, {{"0:00:10", "wed.wav", ""}});
    start({{"08:00:00", "wed.wav", ""}}, "23:59:58");
    EXPECT_FALSE(form().stopDayTimer.running());
    for (const platform::LocalDateTime night : {platform::LocalDateTime{2026, 12, 30, 23, 59, 58},
                                                platform::LocalDateTime{2026, 12, 31, 23, 59, 58},
                                                platform::LocalDateTime{2027, 1, 1, 23, 59, 58}}) {
        m_clock.set(night);
        runFor(5);
        EXPECT_TRUE(form().stopDayTimer.running()) << night.month << "-" << night.day;
        EXPECT_EQ(form().statusLine.text(), "  ☆ 今日为校历停播日（元旦）");
    }
    EXPECT_TRUE(log.empty());
    m_clock.set({2027, 1, 2, 23, 59, 58});
    runFor(15);
    EXPECT_FALSE(form().stopDayTimer.running());
    EXPECT_EQ(engine().session().tableFileName, "zxsj7.log");
    EXPECT_TRUE(heard("00:00:10 open wed.wav"));
}

TEST_F(CalendarDays, ADatedTableBeatsTheForcedWeekdayAndTheHolidayList) {
    date = {2027, 3, 3};
    entries[store::SystemConfig::kForcedWeekday] = "2";
    writeBytes(m_dir / "zxsj0.gxr", "1,3-1,3-5,x,\r\n");
    calendar("1,2027-03-03,,8,期中考试\r\n");
    writeTable(8, {{"08:00:05", "thu.wav", ""}});
    start({{"08:00:00", "wed.wav", ""}}, "08:00:00");
    EXPECT_EQ(engine().session().tableFileName, "zxsj8.log");
    EXPECT_EQ(form().statusLine.text(), "  ☆ 今日按校历播出模板一作息表（期中考试）");
    runFor(6);
    EXPECT_EQ(log, (Log{"08:00:05 open thu.wav"}));
}

TEST_F(CalendarDays, BroadcastingEveryListedDateLeavesADatedStopInForce) {
    date = {2027, 3, 3};
    entries[store::SystemConfig::kBroadcastHolidays] = "1";
    writeBytes(m_dir / "zxsj0.gxr", "1,3-3,,x,\r\n");
    calendar("1,2027-03-01,2027-03-05,0,春假\r\n");
    start({{"08:00:05", "wed.wav", ""}}, "08:00:00");
    EXPECT_TRUE(form().stopDayTimer.running());
    runFor(10);
    EXPECT_TRUE(log.empty());
}

// Keeps the day lines the journal records.
class DayLines : public BroadcastRecord {
public:
    void record(const BroadcastEvent& e) override {
        if (e.type == BroadcastEvent::Type::Day) {
            lines.push_back(as_run::line(e));
        }
    }
    std::vector<std::string> lines;
};

TEST_F(CalendarDays, ABadLineIsSkippedAndRecordedOnceAndTheDayRecordSaysWhatDecided) {
    fakes::RecordingFailureRecord failed;
    DayLines days;
    failures = &failed;
    record = &days;
    date = {2027, 2, 20};
    calendar(std::string("1,2027-02-30,,0,bad\r\n") + kMakeUp);
    writeTable(5, {{"08:00:00", "fri.wav", ""}});
    start({}, "07:59:00");
    EXPECT_EQ(engine().session().tableFileName, "zxsj5.log");
    const auto skipped = [&] {
        return std::count_if(
            failed.failures.begin(), failed.failures.end(), [](const platform::Failure& f) {
                return f.what == "calendar line skipped" &&
                       f.detail.find("line 1: bad first date") != std::string::npos;
            });
    };
    EXPECT_EQ(skipped(), 1);
    m_clock.set({2027, 2, 20, 23, 59, 59});
    runFor(2);
    EXPECT_EQ(skipped(), 1) << "the next date reads the file again but tells it once";
    EXPECT_EQ(days.lines,
              (Log{"2027-02-20 07:59:00 day table=zxsj5.log plan=calendar stop-day=no "
                   "remark=调休：按星期五上课",
                   "2027-02-21 00:00:00 day table=zxsj7.log plan=week stop-day=weekday"}));
    m_system.reset();
}

}  // namespace
}  // namespace orvessa::scheduler
