#include "core/editing/calendar_import.h"

#include <gtest/gtest.h>

namespace orvessa::editing {
namespace {

using namespace std::chrono_literals;
using platform::CalendarEvent;
using platform::CalendarEvents;
using store::CalendarEntry;

CalendarEvent event(std::string summary, std::chrono::year_month_day first,
                    std::chrono::year_month_day last) {
    return {std::move(summary), first, last};
}

TEST(CalendarImport, SummariesSayDaysOffAndWorkingDays) {
    EXPECT_EQ(kindOfSummary("春节 休"), ImportKind::DayOff);
    EXPECT_EQ(kindOfSummary("国庆节放假"), ImportKind::DayOff);
    EXPECT_EQ(kindOfSummary("清明节 休 \u3000"), ImportKind::DayOff) << "blanks at the end";
    EXPECT_EQ(kindOfSummary("春节补班"), ImportKind::WorkingDay);
    EXPECT_EQ(kindOfSummary("劳动节 上班"), ImportKind::WorkingDay);
    EXPECT_EQ(kindOfSummary("春节 班"), ImportKind::WorkingDay);
    EXPECT_EQ(kindOfSummary("国庆节放假调休上班"), ImportKind::WorkingDay)
        << "a make-up day names the holiday it belongs to";
    EXPECT_EQ(kindOfSummary("元旦"), ImportKind::Unknown);
    EXPECT_EQ(kindOfSummary("休息日安排说明"), ImportKind::Unknown);
    EXPECT_EQ(kindOfSummary(""), ImportKind::Unknown);
}

TEST(CalendarImport, AMakeUpDayPlaysItsOwnWeekdayOrMondays) {
    EXPECT_EQ(defaultMakeUpTable(2026y / 12 / 7), 1);   // Monday
    EXPECT_EQ(defaultMakeUpTable(2026y / 12 / 9), 3);   // Wednesday
    EXPECT_EQ(defaultMakeUpTable(2026y / 12 / 11), 5);  // Friday
    EXPECT_EQ(defaultMakeUpTable(2027y / 2 / 20), 1);   // Saturday
    EXPECT_EQ(defaultMakeUpTable(2027y / 2 / 7), 1);    // Sunday
}

// A national holiday calendar imported into a school calendar that already holds the Spring
// Festival week.
TEST(CalendarImport, AHolidayCalendarIsListedInDateOrderAgainstTheExistingEntries) {
    CalendarEvents read;
    read.events = {
        event("春节补班", 2027y / 2 / 20, 2027y / 2 / 21),
        event("  劳动节\r\n休 ", 2027y / 5 / 1, 2027y / 5 / 5),
        event("春节 休", 2027y / 2 / 6, 2027y / 2 / 12),
        event("元旦", 2027y / 1 / 1, 2027y / 1 / 1),
        event("劳动节 休", 2027y / 5 / 1, 2027y / 5 / 5),
        event("倒过来的", 2027y / 3 / 2, 2027y / 3 / 1),
        event("一年多", 2027y / 1 / 1, 2028y / 1 / 2),
    };
    read.unplaced = {{"开学典礼", "不是全天事件"}};
    const std::vector<CalendarEntry> existing = {{2027y / 2 / 6, 2027y / 2 / 12, 0, "春节"}};

    const ImportPlan plan = planImport(read, existing);

    ASSERT_EQ(plan.items.size(), 5u);
    EXPECT_EQ(plan.items[0].event.summary, "元旦");
    EXPECT_EQ(plan.items[0].kind, ImportKind::Unknown);
    EXPECT_FALSE(plan.items[0].duplicate);
    EXPECT_EQ(plan.items[1].event.summary, "春节 休");
    EXPECT_TRUE(plan.items[1].duplicate) << "the same days and plan, whatever the remark";
    EXPECT_EQ(plan.items[2].kind, ImportKind::WorkingDay);
    EXPECT_EQ(plan.items[2].table, 1) << "a Saturday works as a Monday";
    EXPECT_FALSE(plan.items[2].duplicate);
    EXPECT_EQ(plan.items[3].event.summary, "劳动节 休") << "trimmed, on one line";
    EXPECT_EQ(plan.items[3].kind, ImportKind::DayOff);
    EXPECT_FALSE(plan.items[3].duplicate);
    EXPECT_TRUE(plan.items[4].duplicate) << "the same event twice in the file";

    ASSERT_EQ(plan.unplaced.size(), 3u);
    EXPECT_EQ(plan.unplaced[0].summary, "开学典礼");
    EXPECT_EQ(plan.unplaced[1].summary, "倒过来的");
    EXPECT_EQ(plan.unplaced[1].why, "日期无效");
    EXPECT_EQ(plan.unplaced[2].summary, "一年多");
}

TEST(CalendarImport, TheOperatorsChoicesBecomeEntriesNoneTwice) {
    CalendarEvents read;
    read.events = {
        event("元旦", 2027y / 1 / 1, 2027y / 1 / 1),
        event("春节 休", 2027y / 2 / 6, 2027y / 2 / 12),
        event("春节 班", 2027y / 2 / 20, 2027y / 2 / 21),
        event("春节 班", 2027y / 2 / 20, 2027y / 2 / 21),
        event("国庆节 上班", 2027y / 10 / 9, 2027y / 10 / 9),
        event("校庆", 2027y / 11 / 1, 2027y / 11 / 1),
    };
    const std::vector<CalendarEntry> existing = {
        {2027y / 2 / 6, 2027y / 2 / 12, 0, "春节"},
        {2027y / 2 / 21, 2027y / 2 / 21, 7, "调休"},  // the same day, another table
    };
    ImportPlan plan = planImport(read, existing);
    ASSERT_EQ(plan.items.size(), 6u);
    plan.items[0].kind = ImportKind::DayOff;  // 元旦, marked by the operator
    plan.items[4].table = 8;                  // 国庆节 上班 on 模板一

    const std::vector<CalendarEntry> added = entriesToAdd(plan, existing);

    const std::vector<CalendarEntry> expected = {
        {2027y / 1 / 1, 2027y / 1 / 1, 0, "元旦"},
        {2027y / 2 / 20, 2027y / 2 / 20, 1, "春节 班"},
        {2027y / 2 / 21, 2027y / 2 / 21, 1, "春节 班"},
        {2027y / 10 / 9, 2027y / 10 / 9, 8, "国庆节 上班"},
    };
    EXPECT_EQ(added, expected);

    std::vector<CalendarEntry> after = existing;
    after.insert(after.end(), added.begin(), added.end());
    EXPECT_TRUE(entriesToAdd(plan, after).empty()) << "an import repeated adds nothing";
}

}  // namespace
}  // namespace orvessa::editing
