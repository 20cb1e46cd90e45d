#include "core/editing/calendar_import.h"

#include <gtest/gtest.h>

#include <random>

#include "core/editing/calendar_window.h"

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

CalendarEvent timed(std::string summary, std::chrono::year_month_day date) {
    return {std::move(summary), date, date, {}, true};
}

ImportKind kindOf(std::string_view summary, std::string_view description = {}) {
    return decideKind(summary, description).kind;
}

std::string reasonFor(std::string_view summary, std::string_view description = {}) {
    const KindDecision d = decideKind(summary, description);
    return d.rule == nullptr ? std::string("(none)") : reasonOf(*d.rule);
}

TEST(CalendarImport, TheStrongestSignDecidesAndDecorationsNever) {
    // A working-day word beats the holiday the summary also names.
    EXPECT_EQ(kindOf("春节 补班 第1天/共2天"), ImportKind::WorkingDay);
    EXPECT_EQ(reasonFor("春节 补班 第1天/共2天"), "按“补班”判断为调休上课");
    EXPECT_EQ(kindOf("国庆节放假调休上班"), ImportKind::WorkingDay);
    EXPECT_EQ(reasonFor("春节 调休上班"), "按“调休上班”判断为调休上课");
    EXPECT_EQ(kindOf("😡 补班"), ImportKind::WorkingDay);
    EXPECT_EQ(kindOf("春节 班"), ImportKind::WorkingDay);
    EXPECT_EQ(kindOf("春节值班安排"), ImportKind::Unknown) << "班 inside a word";
    // Day-off words, then the holidays' names with nothing else but decorations.
    EXPECT_EQ(reasonFor("国庆节、中秋节 假期 第3天/共8天"), "按“假期”判断为停播");
    EXPECT_EQ(kindOf("春节 休"), ImportKind::DayOff);
    EXPECT_EQ(kindOf("清明节 休 \u3000"), ImportKind::DayOff);
    EXPECT_EQ(kindOf("元旦休"), ImportKind::DayOff);
    EXPECT_EQ(kindOf("休息日"), ImportKind::DayOff);
    EXPECT_EQ(kindOf("国庆节调休"), ImportKind::Unknown) << "调休 alone says neither";
    EXPECT_EQ(kindOf("教师退休座谈会"), ImportKind::Unknown);
    EXPECT_EQ(reasonFor("😊 春节"), "按节日名“春节”判断为停播");
    EXPECT_EQ(reasonFor("国庆节、中秋节"), "按节日名“国庆节”判断为停播");
    EXPECT_EQ(kindOf("🇨🇳 2027年 端午节 (1/3)"), ImportKind::DayOff);
    EXPECT_EQ(kindOf("春节联欢晚会"), ImportKind::Unknown) << "says more than the name";
    EXPECT_EQ(kindOf("第1天/共8天"), ImportKind::Unknown) << "a count alone decides nothing";
    EXPECT_EQ(kindOf("🎉"), ImportKind::Unknown);
    EXPECT_EQ(kindOf(""), ImportKind::Unknown);
}

TEST(CalendarImport, ADescriptionDecidesWhatTheSummaryLeavesOpen) {
    EXPECT_EQ(reasonFor("春节", "类型：节假日"), "按说明“类型：节假日”判断为停播");
    EXPECT_EQ(kindOf("春节", "类型: 补班"), ImportKind::WorkingDay)
        << "the description's type beats a bare holiday name";
    EXPECT_EQ(kindOf("农历新年", "类型：节假日\\n来源：国务院办公厅"), ImportKind::DayOff);
    EXPECT_EQ(kindOf("农历新年", "2027年春节放假安排"), ImportKind::DayOff);
    EXPECT_EQ(kindOf("春节 补班", "类型：节假日"), ImportKind::WorkingDay)
        << "the summary's working word is stronger";
    // A notice quoted in every event names make-up days too: only its type says one is.
    EXPECT_EQ(kindOf("春节", "2月6日至12日放假调休，2月20日上班"), ImportKind::DayOff);
    EXPECT_EQ(kindOf("校运动会", "全校师生参加"), ImportKind::Unknown);
}

TEST(CalendarImport, ANegatedWorkingWordNeverMakesAWorkingDay) {
    for (const char* summary :
         {"劳动节放假，不上班", "国庆节放假期间不上班", "寒假（教职工不上班）", "春节无需上班",
          "元旦不补班 休", "非工作日"}) {
        EXPECT_EQ(kindOf(summary), ImportKind::DayOff) << summary;
    }
    EXPECT_EQ(reasonFor("寒假（教职工不上班）"), "按“寒假”判断为停播");
    EXPECT_EQ(reasonFor("周六不上班"), "按“不上班”判断为停播");
    EXPECT_EQ(kindOf("元旦不补班"), ImportKind::DayOff) << "by the holiday's name";
    EXPECT_EQ(kindOf("不补班"), ImportKind::Unknown);
    EXPECT_EQ(kindOf("春节", "类型：不上班"), ImportKind::DayOff);
}

TEST(CalendarImport, EnglishWordsAreWholeWordsInAnyCase) {
    EXPECT_EQ(reasonFor("No School - Teacher Workday"), "按“No School”判断为停播");
    EXPECT_EQ(kindOf("WINTER BREAK"), ImportKind::DayOff);
    EXPECT_EQ(kindOf("Thanksgiving holiday"), ImportKind::DayOff);
    EXPECT_EQ(kindOf("Schools Closed"), ImportKind::DayOff);
    EXPECT_EQ(reasonFor("Snow make-up day"), "按“Make-up Day”判断为调休上课");
    EXPECT_EQ(kindOf("Holiday Make-up Day"), ImportKind::WorkingDay);
    EXPECT_EQ(kindOf("Breakfast with Santa"), ImportKind::Unknown);
    EXPECT_EQ(kindOf("Enclosed campus tour"), ImportKind::Unknown);
    EXPECT_EQ(kindOf("Holidays2027"), ImportKind::Unknown);
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
    read.events.push_back(timed("春节 补班 第2天/共2天", 2027y / 2 / 21));
    read.events.push_back(timed("开学典礼", 2027y / 3 / 1));
    read.unplaced = {{"家长会", "不是全天事件"}};
    const std::vector<CalendarEntry> existing = {{2027y / 2 / 6, 2027y / 2 / 12, 0, "春节"}};

    const ImportPlan plan = planImport(read, existing);

    ASSERT_EQ(plan.items.size(), 6u);
    EXPECT_EQ(plan.items[0].event.summary, "元旦");
    EXPECT_EQ(plan.items[0].kind, ImportKind::DayOff) << "a holiday's name alone";
    EXPECT_EQ(plan.items[0].reason, "按节日名“元旦”判断为停播");
    EXPECT_FALSE(plan.items[0].duplicate);
    EXPECT_EQ(plan.items[1].event.summary, "春节 休");
    EXPECT_TRUE(plan.items[1].duplicate) << "the same days and plan, whatever the remark";
    EXPECT_EQ(plan.items[2].kind, ImportKind::WorkingDay);
    EXPECT_EQ(plan.items[2].table, 1) << "a Saturday works as a Monday";
    EXPECT_FALSE(plan.items[2].duplicate);
    EXPECT_EQ(plan.items[2].reason, "按“补班”判断为调休上课");
    EXPECT_EQ(plan.items[3].event.summary, "春节 补班 第2天/共2天")
        << "a timed make-up day is its date's make-up day";
    EXPECT_EQ(plan.items[3].kind, ImportKind::WorkingDay);
    EXPECT_EQ(plan.items[4].event.summary, "劳动节 休") << "trimmed, on one line";
    EXPECT_EQ(plan.items[4].kind, ImportKind::DayOff);
    EXPECT_FALSE(plan.items[4].duplicate);
    EXPECT_TRUE(plan.items[5].duplicate) << "the same event twice in the file";

    ASSERT_EQ(plan.unplaced.size(), 4u);
    EXPECT_EQ(plan.unplaced[0].summary, "家长会");
    EXPECT_EQ(plan.unplaced[1].summary, "倒过来的");
    EXPECT_EQ(plan.unplaced[1].why, "日期无效");
    EXPECT_EQ(plan.unplaced[2].summary, "一年多");
    EXPECT_EQ(plan.unplaced[3].summary, "开学典礼") << "a timed event that is no working day";
    EXPECT_EQ(plan.unplaced[3].why, "不是全天事件");
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

// Thousands of imported entries laid over the calendar at once leave what laying them one by
// one leaves.
TEST(CalendarImport, ImportedEntriesLaidOverAtOnceAreTheSameAsOneByOne) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> start(0, 400);
    std::uniform_int_distribution<int> length(0, 12);
    std::uniform_int_distribution<int> plan(0, 12);
    const auto day = [](int n) {
        return std::chrono::year_month_day{std::chrono::sys_days{2027y / 1 / 1} +
                                           std::chrono::days{n}};
    };
    for (int round = 0; round < 20; ++round) {
        std::vector<CalendarEntry> existing;
        std::vector<CalendarEntry> adds;
        for (int i = 0; i < 40; ++i) {
            const int a = start(random);
            const int b = start(random);
            existing.push_back(
                {day(a), day(a + length(random)), plan(random), "e" + std::to_string(i)});
            adds.push_back(
                {day(b), day(b + length(random)), plan(random), "a" + std::to_string(i)});
        }
        std::vector<CalendarEntry> oneByOne = existing;
        for (const CalendarEntry& e : adds) {
            oneByOne = replaceDates(std::move(oneByOne), e.first, e.last, e);
        }
        // Entries of the file that overlap one another may come in another order where they
        // start on the same date; the entries are the same.
        std::vector<CalendarEntry> atOnce = withImported(existing, adds);
        ASSERT_TRUE(std::is_sorted(atOnce.begin(), atOnce.end(),
                                   [](const auto& a, const auto& b) { return a.first < b.first; }));
        const auto byAll = [](const CalendarEntry& a, const CalendarEntry& b) {
            return std::tie(a.first, a.last, a.plan, a.remark) <
                   std::tie(b.first, b.last, b.plan, b.remark);
        };
        std::sort(atOnce.begin(), atOnce.end(), byAll);
        std::sort(oneByOne.begin(), oneByOne.end(), byAll);
        ASSERT_EQ(atOnce.size(), oneByOne.size()) << "round " << round;
        EXPECT_TRUE(atOnce == oneByOne) << "round " << round;
    }
}

}  // namespace
}  // namespace orvessa::editing
