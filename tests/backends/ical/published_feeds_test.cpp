// Holiday calendars written the ways they are published, imported with the dialog's own
// proposals into a program directory's calendar.txt, and the day planner's answer for sample
// dates read back from that file.
#include <gtest/gtest.h>

#include "backends/ical/ical_calendar_reader.h"
#include "core/editing/calendar_import_dialog.h"
#include "core/store/day_planner.h"
#include "core/store/school_calendar.h"
#include "support/temp_dir.h"

namespace orvessa::backends {
namespace {

using namespace std::chrono;
using store::StopReason;

std::string calendar(const std::string& properties, const std::string& events) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Example//Feed//ZH\r\n" + properties +
           events + "END:VCALENDAR\r\n";
}

std::string allDay(const std::string& summary, const std::string& first,
                   const std::string& endExclusive, const std::string& more = {}) {
    return "BEGIN:VEVENT\r\nUID:" + summary + first + "\r\nDTSTART;VALUE=DATE:" + first +
           "\r\nDTEND;VALUE=DATE:" + endExclusive + "\r\nSUMMARY:" + summary + "\r\n" + more +
           "END:VEVENT\r\n";
}

std::string timedEvent(const std::string& summary, const std::string& start,
                       const std::string& end) {
    return "BEGIN:VEVENT\r\nUID:" + summary + start + "\r\nDTSTART" + start + "\r\nDTEND" + end +
           "\r\nSUMMARY:" + summary + "\r\nEND:VEVENT\r\n";
}

std::string nextDay(const std::string& date) {
    const int y = std::stoi(date.substr(0, 4));
    const auto m = static_cast<unsigned>(std::stoi(date.substr(4, 2)));
    const auto d = static_cast<unsigned>(std::stoi(date.substr(6, 2)));
    const year_month_day next{sys_days{year{y} / month{m} / day{d}} + days{1}};
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(next.year()),
                  static_cast<unsigned>(next.month()), static_cast<unsigned>(next.day()));
    return text;
}

struct Imported {
    editing::CalendarImportDialog dialog;
    testing::TempDir dir;
    store::DayPlanner planner{dir.path(), [] { return store::WeekRules{}; }, nullptr};
};

// The feed read, listed and accepted as the dialog proposes it, and stored as calendar.txt.
void import(const std::string& ics, Imported& into) {
    IcalCalendarReader reader;
    const platform::CalendarEvents events = reader.read(ics);
    ASSERT_EQ(events.error, "");
    into.dialog.prepare("feed.ics", events, {});
    ASSERT_TRUE(store::writeCalendarFile(into.dir.path(), into.dialog.entriesToAdd()));
    into.planner.reload();
}

void expectStops(const Imported& imported, std::initializer_list<year_month_day> dates) {
    for (const year_month_day d : dates) {
        EXPECT_EQ(imported.planner.planFor(d).stop, StopReason::Calendar) << store::dateText(d);
    }
}

// A make-up day plays its own weekday's table, or Monday's on a weekend.
void expectMakeUps(const Imported& imported, std::initializer_list<year_month_day> dates) {
    for (const year_month_day d : dates) {
        const store::DayPlan plan = imported.planner.planFor(d);
        EXPECT_FALSE(plan.stopDay()) << store::dateText(d);
        EXPECT_TRUE(plan.byCalendar()) << store::dateText(d);
        EXPECT_EQ(plan.table, editing::defaultMakeUpTable(d)) << store::dateText(d);
    }
}

void expectUntouched(const Imported& imported, std::initializer_list<year_month_day> dates) {
    for (const year_month_day d : dates) {
        EXPECT_FALSE(imported.planner.planFor(d).byCalendar()) << store::dateText(d);
    }
}

bool allDecided(const editing::CalendarImportDialog& dialog) {
    for (const editing::ImportItem& item : dialog.items()) {
        if (item.kind == editing::ImportKind::Unknown) {
            return false;
        }
    }
    return true;
}

// One all-day event per day off, "假期" with counts; make-up days as office hours, one of them
// written in UTC (07:00 in Shanghai is the evening before in UTC); a cancelled day.
TEST(PublishedFeeds, DaysOffWithCountsAndTimedMakeUpDays) {
    std::string events;
    std::string date = "20270205";
    for (int n = 1; n <= 8; ++n, date = nextDay(date)) {
        events += allDay("春节 假期 第" + std::to_string(n) + "天/共8天", date, nextDay(date));
    }
    events += allDay("春节 假期 第9天/共8天", "20270213", "20270214", "STATUS:CANCELLED\r\n");
    date = "20271001";
    for (int n = 1; n <= 8; ++n, date = nextDay(date)) {
        events +=
            allDay("国庆节、中秋节 假期 第" + std::to_string(n) + "天/共8天", date, nextDay(date));
    }
    events += timedEvent("春节 补班 第1天/共2天", ";TZID=Asia/Shanghai:20270130T090000",
                         ";TZID=Asia/Shanghai:20270130T180000");
    events += timedEvent("春节 补班 第2天/共2天", ":20270219T230000Z", ":20270220T100000Z");
    events +=
        timedEvent("国庆节、中秋节 补班 第1天/共1天", ":20270925T010000Z", ":20270925T100000Z");
    events += timedEvent("升旗仪式", ";TZID=Asia/Shanghai:20270301T073000",
                         ";TZID=Asia/Shanghai:20270301T080000");
    Imported imported;
    import(calendar("X-WR-TIMEZONE:Asia/Shanghai\r\n", events), imported);

    EXPECT_TRUE(allDecided(imported.dialog));
    EXPECT_EQ(imported.dialog.items().size(), 19u);
    EXPECT_EQ(imported.dialog.unplacedList.items(),
              std::vector<std::string>{"升旗仪式：不是全天事件"});
    EXPECT_EQ(imported.dialog.decisionLine.text(),
              "按事件的标题和说明判断了 19 个事件：停播 16 个，调休上课 3 个。理由见“说明”一栏。");
    expectStops(imported,
                {2027y / 2 / 5, 2027y / 2 / 8, 2027y / 2 / 12, 2027y / 10 / 1, 2027y / 10 / 8});
    expectMakeUps(imported, {2027y / 1 / 30, 2027y / 2 / 20, 2027y / 9 / 25});
    expectUntouched(imported, {2027y / 2 / 13, 2027y / 2 / 19, 2027y / 3 / 1, 2027y / 9 / 24});
}

// Days off named by the holiday alone with an emoji, make-up days "😡 补班"; another feed's
// "春节" typed in the description and "调休上班"; one whose summaries say nothing and whose
// descriptions say it all.
TEST(PublishedFeeds, HolidayNamesWithEmojiTypedDescriptionsAndDescriptionsAlone) {
    Imported emoji;
    import(calendar("", allDay("😊 春节", "20270206", "20270213") +
                            allDay("😊 清明节", "20270405", "20270406") +
                            allDay("😡 补班", "20270220", "20270221")),
           emoji);
    EXPECT_TRUE(allDecided(emoji.dialog));
    expectStops(emoji, {2027y / 2 / 6, 2027y / 2 / 12, 2027y / 4 / 5});
    expectMakeUps(emoji, {2027y / 2 / 20});
    expectUntouched(emoji, {2027y / 2 / 13, 2027y / 4 / 6});

    Imported typed;
    import(calendar("", allDay("春节", "20270206", "20270207", "DESCRIPTION:类型：节假日\r\n") +
                            allDay("春节", "20270207", "20270208", "DESCRIPTION:类型：节假日\r\n") +
                            allDay("春节 调休上班", "20270220", "20270221",
                                   "DESCRIPTION:类型：补班\r\n")),
           typed);
    EXPECT_TRUE(allDecided(typed.dialog));
    expectStops(typed, {2027y / 2 / 6, 2027y / 2 / 7});
    expectMakeUps(typed, {2027y / 2 / 20});

    Imported described;
    import(
        calendar("", allDay("农历新年", "20270208", "20270210",
                            "DESCRIPTION:类型：节假日\\n国务院办公厅通知\r\n") +
                         allDay("农历新年", "20270221", "20270222", "DESCRIPTION:类型：补班\r\n") +
                         allDay("劳动节放假，不上班", "20270501", "20270504") +
                         allDay("寒假（教职工不上班）", "20270118", "20270122")),
        described);
    EXPECT_TRUE(allDecided(described.dialog));
    expectStops(described, {2027y / 2 / 8, 2027y / 2 / 9, 2027y / 5 / 1, 2027y / 5 / 3,
                            2027y / 1 / 18, 2027y / 1 / 21});
    expectMakeUps(described, {2027y / 2 / 21});
    expectUntouched(described, {2027y / 2 / 10, 2027y / 5 / 4});
    EXPECT_EQ(described.dialog.noteOf(0), "按“寒假”判断为停播");
}

// An end equal to the start is one day; an English district calendar.
TEST(PublishedFeeds, EndsEqualToTheStartAndAnEnglishDistrictCalendar) {
    Imported sameEnd;
    import(calendar("", allDay("元旦 休", "20270101", "20270101") +
                            allDay("元旦 班", "20270102", "20270102")),
           sameEnd);
    expectStops(sameEnd, {2027y / 1 / 1});
    expectMakeUps(sameEnd, {2027y / 1 / 2});
    expectUntouched(sameEnd, {2027y / 1 / 3});

    Imported district;
    import(calendar("X-WR-CALNAME:Springfield School District 2027-28\r\n",
                    allDay("Thanksgiving Holiday - No School", "20271125", "20271127") +
                        allDay("Winter Break", "20271220", "20280101") +
                        allDay("Schools Closed", "20270118", "20270119") +
                        allDay("Snow Make-up Day", "20270306", "20270307") +
                        allDay("Breakfast with Santa", "20271211", "20271212") +
                        timedEvent("Back to School Night", ":20270826T180000", ":20270826T200000")),
           district);
    expectStops(district, {2027y / 11 / 25, 2027y / 11 / 26, 2027y / 1 / 18, 2027y / 12 / 20,
                           2027y / 12 / 31});
    expectMakeUps(district, {2027y / 3 / 6});
    expectUntouched(district, {2027y / 12 / 11, 2027y / 8 / 26, 2027y / 11 / 27});
    EXPECT_EQ(district.dialog.unplacedList.items(),
              std::vector<std::string>{"Back to School Night：不是全天事件"});
}

}  // namespace
}  // namespace orvessa::backends
