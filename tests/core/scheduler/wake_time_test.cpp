#include "core/scheduler/wake_time.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/scheduler/wake_file.h"
#include "core/store/day_planner.h"
#include "core/store/table_file.h"
#include "core/text/gbk.h"
#include "fakes/fake_wake_alarm.h"
#include "fakes/recording_failure_record.h"
#include "fakes/settable_clock.h"
#include "support/temp_dir.h"

namespace orvessa::scheduler {
namespace {

using namespace std::chrono;
using orvessa::testing::readBytes;
using orvessa::testing::TempDir;
using orvessa::testing::writeBytes;
using store::SystemConfig;

std::string wakeText(const std::optional<WakePlan>& plan) {
    if (!plan) {
        return "none";
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d-%02d %02d:%02d", plan->wake.month, plan->wake.day,
                  plan->wake.hour, plan->wake.minute);
    return buffer;
}

// January 2027 at a school that stops on Saturdays and Sundays (orvessa.sys), lists New Year's
// Day as a holiday (zxsj0.gxr), makes up Saturday the 9th as a Friday and stops for an exam on
// Wednesday the 20th (calendar.txt).
class WakeTime : public ::testing::Test {
protected:
    WakeTime() : config(dir.path()) {
        for (int k = 0; k < SystemConfig::kEntryCount; ++k) {
            config.setEntry(k, SystemConfig::defaultEntry(k));
        }
        config.setEntry(SystemConfig::kStopMonday + 5, "1");
        config.setEntry(SystemConfig::kStopMonday + 6, "1");
        config.setEntry(SystemConfig::kBroadcastHolidays, "0");
        writeBytes(dir / "zxsj0.gxr", text::utf8ToGbk("1,1-1,1-1,元旦,\r\n"));
        writeBytes(dir / "calendar.txt",
                   text::utf8ToGbk("1,2027-01-09,,5,调休\r\n2,2027-01-20,,0,期末考试\r\n"));
        for (int day = 1; day <= 4; ++day) {
            table(day, "7:30:00");
        }
        table(2, "7:40:00");
        // Friday's first row has no time and its first timed row names nothing: 8:00 rings first.
        writeBytes(dir / "zxsj5.log", text::utf8ToGbk(",,早读,chime.wav,,80,\r\n"
                                                      ",7:50:00,预备,,,80,\r\n"
                                                      ",8:00:00,升旗,chime.wav,8:10:00,80,\r\n"));
        planner.reload();
    }

    void table(int weekday, const std::string& first) {
        writeBytes(dir / store::scheduleFileName(weekday),
                   text::utf8ToGbk("1," + first +
                                   ",铃,chime.wav,,80,\r\n2,17:00:00,放学,chime.wav,,80,\r\n"));
    }

    std::optional<WakePlan> wakeAt(platform::LocalDateTime now, int margin = 10) {
        return nextWake(
            now, margin, [this](year_month_day d) { return planner.planFor(d); }, dir.path());
    }

    TempDir dir;
    SystemConfig config;
    store::DayPlanner planner{dir.path(), [this] { return store::weekRulesOf(config); }, nullptr};
};

TEST_F(WakeTime, EachEveningOfAMonthWakesForTheNextBroadcastDay) {
    // What a shutdown at 17:30 on each day leaves.
    const std::map<int, std::string> expected{
        {1, "01-04 07:20"},  {2, "01-04 07:20"},  {3, "01-04 07:20"},  {4, "01-05 07:30"},
        {5, "01-06 07:20"},  {6, "01-07 07:20"},  {7, "01-08 07:50"},  {8, "01-09 07:50"},
        {9, "01-11 07:20"},  {10, "01-11 07:20"}, {11, "01-12 07:30"}, {12, "01-13 07:20"},
        {13, "01-14 07:20"}, {14, "01-15 07:50"}, {15, "01-18 07:20"}, {16, "01-18 07:20"},
        {17, "01-18 07:20"}, {18, "01-19 07:30"}, {19, "01-21 07:20"}, {20, "01-21 07:20"},
        {21, "01-22 07:50"}, {22, "01-25 07:20"}, {23, "01-25 07:20"}, {24, "01-25 07:20"},
        {25, "01-26 07:30"}, {26, "01-27 07:20"}, {27, "01-28 07:20"}, {28, "01-29 07:50"},
        {29, "02-01 07:20"}, {30, "02-01 07:20"}, {31, "02-01 07:20"}};
    for (const auto& [day, wake] : expected) {
        EXPECT_EQ(wakeText(wakeAt({2027, 1, day, 17, 30, 0})), wake) << "2027-01-" << day;
    }
    // The wake time a make-up day leaves is its table's, not its weekday's.
    const std::optional<WakePlan> makeUp = wakeAt({2027, 1, 8, 17, 30, 0});
    ASSERT_TRUE(makeUp);
    EXPECT_EQ(makeUp->plan.table, 5);
    EXPECT_EQ(makeUp->bell.clockText(), "8:00:00");
}

TEST_F(WakeTime, TodaysFirstBellCountsWhileItsWakeTimeCanStillBeSet) {
    EXPECT_EQ(wakeText(wakeAt({2027, 1, 5, 1, 0, 0})), "01-05 07:30") << "shut down at night";
    EXPECT_EQ(wakeText(wakeAt({2027, 1, 5, 7, 27, 59})), "01-05 07:30");
    EXPECT_EQ(wakeText(wakeAt({2027, 1, 5, 7, 28, 1})), "01-06 07:20")
        << "too near to be set: tomorrow's";
}

// The search passes over days that cannot ring, goes back over midnight for an early bell, and
// gives up beyond a week and a day, the longest a wake alarm is trusted for.
TEST_F(WakeTime, TheSearchPassesOverSilentDaysAndStopsAfterAWeek) {
    const std::string term = readBytes(dir / "calendar.txt");
    writeBytes(dir / "calendar.txt", text::utf8ToGbk("1,2027-01-11,2027-01-22,0,寒假\r\n"));
    planner.reload();
    EXPECT_EQ(wakeText(wakeAt({2027, 1, 8, 17, 0, 0})), "none") << "the 25th is 16 days on";
    EXPECT_EQ(wakeText(wakeAt({2027, 1, 17, 17, 0, 0})), "01-25 07:20");

    writeBytes(dir / "calendar.txt", term);
    planner.reload();
    std::filesystem::remove(dir / "zxsj1.log");
    writeBytes(dir / "zxsj2.log", text::utf8ToGbk("1,,铃,chime.wav,,80,\r\n"));
    table(3, "0:05:00");
    EXPECT_EQ(wakeText(wakeAt({2027, 1, 8, 17, 30, 0})), "01-09 07:50");
    EXPECT_EQ(wakeText(wakeAt({2027, 1, 10, 17, 30, 0})), "01-12 23:55")
        << "Monday has no table, Tuesday no timed row; Wednesday rings at 0:05";
}

TEST_F(WakeTime, ThePcPowersOffAfterTheDayAtItsTimesOrOnAStopDay) {
    store::LiveSettings live;
    config.setEntry(SystemConfig::kEndOfDayAction, "3");
    live.endOfDayAction = store::EndOfDayAction::PowerOff;
    EXPECT_TRUE(powersOff(live, config));
    live.endOfDayAction = store::EndOfDayAction::Wait;
    live.customShutdownOff = false;
    EXPECT_FALSE(powersOff(live, config)) << "no time set";
    config.setEntry(SystemConfig::kShutdownTimeTwo, "18:00:00");
    EXPECT_TRUE(powersOff(live, config));
    live.customShutdownOff = true;
    EXPECT_FALSE(powersOff(live, config));
    live.endOfDayAction = store::EndOfDayAction::Quit;
    config.setEntry(SystemConfig::kEndOfDayAction, "2");
    EXPECT_TRUE(powersOff(live, config)) << "a stop day with replay as the stored choice";
}

TEST_F(WakeTime, TheMarginIsKeptInItsOwnFile) {
    EXPECT_EQ(readWakeMargin(dir.path()).minutes, 10);
    writeBytes(dir / "wake.conf", "# kept\nmargin-minutes=500\n");
    EXPECT_EQ(readWakeMargin(dir.path()).minutes, 10);
    EXPECT_FALSE(readWakeMargin(dir.path()).problem.empty());
    ASSERT_TRUE(writeWakeMargin(dir.path(), 25));
    EXPECT_EQ(readBytes(dir / "wake.conf"), "# kept\nmargin-minutes=25\n");
    EXPECT_EQ(readWakeMargin(dir.path()).minutes, 25);
}

TEST_F(WakeTime, TheKeeperHandsTheAlarmTheTimeOnlyWhileThePcPowersOff) {
    fakes::SettableClock clock({2027, 1, 8, 17, 30, 0});
    fakes::FakeWakeAlarm alarm;
    bool off = true;
    WakeKeeper keeper({clock, alarm, dir.path(),
                       [this](year_month_day d) { return planner.planFor(d); },
                       [&off] { return off; }});
    keeper.update();
    ASSERT_EQ(alarm.kept.size(), 1u);
    ASSERT_TRUE(alarm.kept.back());
    EXPECT_EQ(alarm.kept.back()->hour, 7);
    EXPECT_EQ(alarm.kept.back()->minute, 50);
    EXPECT_FALSE(keeper.warning());
    EXPECT_EQ(
        keeper.line(),
        "下次定时开机：2027-01-09 星期六 7:50:00（zxsj5.log 第一个定时项目 8:00:00 前 10 分钟）");

    ASSERT_EQ(keeper.setMargin(30), "");
    EXPECT_EQ(alarm.kept.back()->minute, 30);

    // Passing the wake time kept works it out again; a second later nothing is written.
    clock.set({2027, 1, 9, 7, 29, 0});
    keeper.follow();
    EXPECT_EQ(alarm.kept.back()->day, 11);
    const std::size_t writes = alarm.kept.size();
    keeper.follow();
    EXPECT_EQ(alarm.kept.size(), writes);

    alarm.missing = "未安装定时开机组件";
    keeper.update();
    EXPECT_TRUE(keeper.warning());
    EXPECT_EQ(
        keeper.line(),
        "电脑自动关机后不会自动开机：未安装定时开机组件。本应在 2027-01-11 星期一 7:00:00 开机。");

    off = false;
    keeper.update();
    EXPECT_FALSE(alarm.kept.back());
    EXPECT_FALSE(keeper.warning());
}

TEST(WakeFile, OnlyOneNumberIsAWakeTime) {
    EXPECT_EQ(parseWakeFileText(wakeFileText(1799999999)), 1799999999);
    for (const char* bad : {"", "\n", "-5\n", " 17\n", "17 \n", "17\n\n", "17\n18\n", "0x10",
                            "1234567890123\n", "2027-01-09T07:50"}) {
        EXPECT_FALSE(parseWakeFileText(bad)) << bad;
    }
    EXPECT_EQ(checkWakeTime(100, 100), WakeRefusal::Past);
    EXPECT_EQ(checkWakeTime(100 + kMaxWakeAheadSeconds, 100), WakeRefusal::None);
    EXPECT_EQ(checkWakeTime(101 + kMaxWakeAheadSeconds, 100), WakeRefusal::TooFarAhead);
}

}  // namespace
}  // namespace orvessa::scheduler
