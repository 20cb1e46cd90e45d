#include "core/store/school_calendar.h"

#include <gtest/gtest.h>

#include "core/store/day_plan.h"
#include "core/text/gbk.h"
#include "support/temp_dir.h"

namespace orvessa::store {
namespace {

using std::chrono::year_month_day;

year_month_day on(int y, unsigned m, unsigned d) {
    return year_month_day{std::chrono::year(y), std::chrono::month(m), std::chrono::day(d)};
}

SchoolCalendar calendarOf(const std::string& utf8Lines) {
    return parseCalendar(text::utf8ToGbk(utf8Lines));
}

TEST(SchoolCalendar, ReadsRangesSingleDaysAndRemarksWithCommas) {
    const SchoolCalendar c = calendarOf(
        "1,2027-02-06,2027-02-12,0,春节\r\n"
        "2,2027-02-20,,5,调休：按星期五上课\r\n"
        "\r\n"
        "3, 2027-3-1 ,,8,开学，第一天, 模板一\n");
    ASSERT_EQ(c.entries.size(), 3u);
    EXPECT_TRUE(c.problems.empty());
    EXPECT_EQ(c.entries[0], (CalendarEntry{on(2027, 2, 6), on(2027, 2, 12), 0, "春节"}));
    EXPECT_EQ(c.entries[1],
              (CalendarEntry{on(2027, 2, 20), on(2027, 2, 20), 5, "调休：按星期五上课"}));
    EXPECT_EQ(c.entries[2].first, on(2027, 3, 1));
    EXPECT_EQ(c.entries[2].remark, "开学，第一天, 模板一");
}

TEST(SchoolCalendar, SkipsBadLinesAndSaysWhichAndWhy) {
    const SchoolCalendar c = calendarOf(
        "1,2027-02-30,,0,no such day\r\n"
        "2,2027-02-10,2027-02-01,0,backwards\r\n"
        "3,2027-02-10,,13,plan\r\n"
        "4,2027-02-10,,x,plan\r\n"
        "5,2027-02-10,2027-13-01,0,last\r\n"
        "6,2027/02/10,,0,slashes\r\n"
        "7,2027-02-10,,0\r\n"
        "8,2027-02-11,,0,good\r\n");
    ASSERT_EQ(c.entries.size(), 1u);
    EXPECT_EQ(c.entries[0].remark, "good");
    ASSERT_EQ(c.problems.size(), 7u);
    const CalendarLineFault expected[] = {
        CalendarLineFault::BadFirstDate, CalendarLineFault::LastBeforeFirst,
        CalendarLineFault::BadPlan,      CalendarLineFault::BadPlan,
        CalendarLineFault::BadLastDate,  CalendarLineFault::BadFirstDate,
        CalendarLineFault::TooFewFields};
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(c.problems[i].line, static_cast<int>(i) + 1);
        EXPECT_EQ(c.problems[i].fault, expected[i]) << i;
    }
    EXPECT_EQ(c.problems[0].text, "1,2027-02-30,,0,no such day");
}

TEST(SchoolCalendar, StoresGbkWithCrLfAndReadsBackWhatItStored) {
    orvessa::testing::TempDir dir;
    const std::vector<CalendarEntry> entries = {
        {on(2027, 2, 6), on(2027, 2, 12), 0, "春节"},
        {on(2027, 2, 20), on(2027, 2, 20), 5, "调休\r\n按星期五"},
    };
    ASSERT_TRUE(writeCalendarFile(dir.path(), entries));
    const ReadResult file = readWholeFile(dir / kCalendarFileName);
    EXPECT_EQ(file.bytes, text::utf8ToGbk("1,2027-02-06,2027-02-12,0,春节\r\n"
                                          "2,2027-02-20,,5,调休 按星期五\r\n"));
    const CalendarRead back = readCalendarFile(dir.path());
    EXPECT_TRUE(back.error.empty());
    ASSERT_EQ(back.calendar.entries.size(), 2u);
    EXPECT_EQ(back.calendar.entries[0], entries[0]);
    EXPECT_EQ(back.calendar.entries[1].remark, "调休 按星期五");

    EXPECT_TRUE(readCalendarFile(dir / "missing").calendar.entries.empty());
    std::filesystem::create_directory(dir / "folder");
    std::filesystem::create_directory(dir / "folder" / kCalendarFileName);
    EXPECT_FALSE(readCalendarFile(dir / "folder").error.empty());
}

// Rules of a school week: Saturday and Sunday off, the holiday list on.
WeekRules schoolWeek() {
    WeekRules rules;
    rules.stopOnWeekday[5] = rules.stopOnWeekday[6] = true;
    return rules;
}

DayPlan plan(const SchoolCalendar& c, year_month_day d, const WeekRules& rules = schoolWeek(),
             bool listed = false) {
    return planDay(d, rules, c, [listed] { return listed; });
}

TEST(DayPlan, ADatedEntryDecidesAloneOverFlagsHolidaysAndTheForcedWeekday) {
    const SchoolCalendar c = calendarOf(
        "1,2027-02-06,2027-02-12,0,春节\r\n"
        "2,2027-02-20,,5,调休：按星期五上课\r\n"
        "3,2027-02-08,,9,值班\r\n");
    // 2027-02-20 is a Saturday, its flag set, and listed, and Wednesday forced.
    WeekRules rules = schoolWeek();
    rules.forcedWeekday = 3;
    const DayPlan makeUp = plan(c, on(2027, 2, 20), rules, true);
    EXPECT_FALSE(makeUp.stopDay());
    EXPECT_EQ(makeUp.weekday, 6);
    EXPECT_EQ(makeUp.tableFileName(), "zxsj5.log");
    EXPECT_EQ(calendarDayLine(makeUp), "  ☆ 今日按校历播出星期五作息表（调休：按星期五上课）");

    // Everything broadcast does not lift a dated stop; the narrower entry wins inside it.
    rules.broadcastAll = true;
    const DayPlan spring = plan(c, on(2027, 2, 10), rules);
    EXPECT_EQ(spring.stop, StopReason::Calendar);
    EXPECT_EQ(spring.tableFileName(), "zxsj3.log") << "the grid shows the forced table";
    EXPECT_EQ(calendarDayLine(spring), "  ☆ 今日为校历停播日（春节）");
    EXPECT_EQ(plan(c, on(2027, 2, 8), rules).tableFileName(), "zxsj9.log");
    EXPECT_EQ(tableName(9), "模板二");
}

TEST(DayPlan, WithoutAnEntryTheWeekAndTheHolidayListDecideAsBefore) {
    const SchoolCalendar none;
    EXPECT_EQ(plan(none, on(2027, 2, 20)).stop, StopReason::WeekdayFlag);
    EXPECT_EQ(plan(none, on(2027, 2, 19), schoolWeek(), true).stop, StopReason::HolidayList);
    WeekRules all = schoolWeek();
    all.broadcastAll = true;
    EXPECT_FALSE(plan(none, on(2027, 2, 19), all, true).stopDay());
    const DayPlan friday = plan(none, on(2027, 2, 19));
    EXPECT_EQ(friday.tableFileName(), "zxsj5.log");
    EXPECT_TRUE(calendarDayLine(friday).empty());

    // The list is not read where it cannot decide.
    int asked = 0;
    planDay(on(2027, 2, 20), schoolWeek(), none, [&] { return ++asked > 0; });
    planDay(on(2027, 2, 19), all, none, [&] { return ++asked > 0; });
    EXPECT_EQ(asked, 0);
}

TEST(DayPlan, TheConfigurationsForcedWeekdayChoosesTheTableOnlyWhenItIsOne) {
    SystemConfig config("/nonexistent");
    const auto table = [&](year_month_day d) {
        return planDay(d, weekRulesOf(config), {}, nullptr).tableFileName();
    };
    config.setEntry(SystemConfig::kForcedWeekday, "0");
    EXPECT_EQ(table(on(2027, 2, 15)), "zxsj1.log");
    EXPECT_EQ(table(on(2027, 2, 21)), "zxsj7.log");
    config.setEntry(SystemConfig::kForcedWeekday, "3");
    for (unsigned d = 15; d <= 21; ++d) {
        EXPECT_EQ(table(on(2027, 2, d)), "zxsj3.log");
    }
    // A damaged entry must not name a file that is no weekday's table.
    for (const char* bad : {"", "9", "x", "-1"}) {
        config.setEntry(SystemConfig::kForcedWeekday, bad);
        EXPECT_EQ(table(on(2027, 2, 19)), "zxsj5.log") << bad;
    }
}

}  // namespace
}  // namespace orvessa::store
