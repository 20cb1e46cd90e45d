#include "backends/ical/ical_calendar_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "core/editing/calendar_import.h"
#include "core/text/gbk.h"

namespace orvessa::backends {
namespace {

using namespace std::chrono_literals;
using platform::CalendarEvent;
using platform::CalendarReader;

// A national holiday calendar as calendar programs export it: CR LF, long lines folded (one
// in the middle of a character), a time zone, and events that are no whole day.
const std::string kHolidays =
    "BEGIN:VCALENDAR\r\n"
    "VERSION:2.0\r\n"
    "PRODID:-//Example//Holidays//ZH\r\n"
    "X-WR-CALNAME:中国节假日\r\n"
    "BEGIN:VTIMEZONE\r\nTZID:Asia/Shanghai\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
    "TZOFFSETFROM:+0800\r\nTZOFFSETTO:+0800\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
    "BEGIN:VEVENT\r\nUID:1\r\nDTSTART;VALUE=DATE:20270206\r\nDTEND;VALUE=DATE:20270213\r\n"
    "SUMMARY:春节 休\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:2\r\nDTSTART;VALUE=DATE:20270220\r\nSUMMARY:春节 班\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:3\r\nDTSTART;VALUE=DATE:20270501\r\nDURATION:P5D\r\n"
    "SUMMARY:劳动节\r\n \xE6\x94\r\n \xBE\xE5\x81\x87\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:4\r\nDTSTART;TZID=Asia/Shanghai:20270301T080000\r\n"
    "DTEND;TZID=Asia/Shanghai:20270301T090000\r\nSUMMARY:开学典礼\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:5\r\nDTSTART;VALUE=DATE:20270910\r\nRRULE:FREQ=YEARLY\r\n"
    "SUMMARY:教师节\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:6\r\nDTSTART;VALUE=DATE:20271020\r\nSTATUS:CANCELLED\r\n"
    "SUMMARY:运动会 休\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:7\r\nDTSTART;VALUE=DATE:20271009\r\nDTEND;VALUE=DATE:20271009\r\n"
    "SUMMARY:国庆节 班\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:8\r\nDTSTART;VALUE=DATE:20270101\r\nDTEND;VALUE=DATE:20280301\r\n"
    "SUMMARY:整年\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:9\r\nDTSTART;VALUE=DATE:20270102\r\n"
    "SUMMARY:元旦\xFF\xC0\xAF\\n假期\r\nEND:VEVENT\r\n"
    "END:VCALENDAR\r\n";

TEST(IcalCalendarReader, AHolidayCalendarGivesItsDaysAndListsWhatItCannotPlace) {
    IcalCalendarReader reader;
    const platform::CalendarEvents read = reader.read(kHolidays);

    EXPECT_EQ(read.error, "");
    const std::vector<CalendarEvent> expected = {
        {"春节 休", 2027y / 2 / 6, 2027y / 2 / 12},
        {"春节 班", 2027y / 2 / 20, 2027y / 2 / 20},
        {"劳动节放假", 2027y / 5 / 1, 2027y / 5 / 5},
        {"开学典礼", 2027y / 3 / 1, 2027y / 3 / 1, {}, true},
        {"国庆节 班", 2027y / 10 / 9, 2027y / 10 / 9},
        {"元旦\uFFFD\uFFFD\uFFFD 假期", 2027y / 1 / 2, 2027y / 1 / 2},
    };
    ASSERT_EQ(read.events.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(read.events[i].summary, expected[i].summary) << i;
        EXPECT_EQ(read.events[i].first, expected[i].first) << i;
        EXPECT_EQ(read.events[i].last, expected[i].last) << i;
        EXPECT_EQ(read.events[i].timed, expected[i].timed) << i;
    }
    EXPECT_EQ(read.events[3].description, "") << "none given";
    ASSERT_EQ(read.unplaced.size(), 2u) << "the cancelled event is left out";
    EXPECT_EQ(read.unplaced[0].summary, "教师节");
    EXPECT_EQ(read.unplaced[0].why, "重复事件");
    EXPECT_EQ(read.unplaced[1].summary, "整年");
    EXPECT_EQ(read.unplaced[1].why, "持续超过366天");

    // Into the school calendar: the days off as stop days, the make-up Saturdays on Monday's
    // table; the ceremony, timed and no working day, is left out.
    const editing::ImportPlan plan = editing::planImport(read, {});
    const std::vector<store::CalendarEntry> added = editing::entriesToAdd(plan, {});
    const std::vector<store::CalendarEntry> entries = {
        {2027y / 1 / 2, 2027y / 1 / 2, 0, text::normaliseGbk("元旦\uFFFD\uFFFD\uFFFD 假期")},
        {2027y / 2 / 6, 2027y / 2 / 12, 0, "春节 休"},
        {2027y / 2 / 20, 2027y / 2 / 20, 1, "春节 班"},
        {2027y / 5 / 1, 2027y / 5 / 5, 0, "劳动节放假"},
        {2027y / 10 / 9, 2027y / 10 / 9, 1, "国庆节 班"},
    };
    EXPECT_EQ(added, entries);
}

TEST(IcalCalendarReader, LineEndsAndCaseOfOtherProgramsAreRead) {
    std::string lf =
        "\xEF\xBB\xBF"
        "begin:vcalendar\nversion:2.0\n";
    std::string cr = "BEGIN:VCALENDAR\rVERSION:2.0\r";
    // More events than components may nest, so an END that is not counted would show.
    for (int day = 1; day <= 40; ++day) {
        char date[16];
        std::snprintf(date, sizeof date, "2027%02d%02d", day <= 31 ? 3 : 4,
                      day <= 31 ? day : day - 31);
        lf +=
            "begin:vevent\ndtstart;value=date:" + std::string(date) + "\nsummary:休\nend:vevent\n";
        cr +=
            "BEGIN:VEVENT\rDTSTART;VALUE=DATE:" + std::string(date) + "\rSUMMARY:休\rEND:VEVENT\r";
    }
    lf += "end:vcalendar\n";
    cr += "END:VCALENDAR\r";
    // Two calendars one after the other are one import.
    const std::string both = lf + cr;

    IcalCalendarReader reader;
    for (const std::string* text : {&lf, &cr}) {
        const platform::CalendarEvents read = reader.read(*text);
        EXPECT_EQ(read.error, "");
        EXPECT_EQ(read.events.size(), 40u);
    }
    EXPECT_EQ(reader.read(both).events.size(), 80u);
}

// A large calendar tells how far it has come, and stops when told to.
TEST(IcalCalendarReader, AReadReportsItsProgressAndStopsWhenCancelled) {
    std::string text = "BEGIN:VCALENDAR\r\n";
    for (int i = 0; i < 3000; ++i) {
        text += "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20270101\r\nSUMMARY:休\r\nEND:VEVENT\r\n";
    }
    text += "END:VCALENDAR\r\n";
    IcalCalendarReader reader;
    std::vector<std::size_t> done;
    const platform::CalendarEvents all = reader.read(text, [&](std::size_t at, std::size_t total) {
        EXPECT_EQ(total, text.size());
        done.push_back(at);
        return true;
    });
    EXPECT_EQ(all.events.size(), 3000u);
    EXPECT_FALSE(all.cancelled);
    ASSERT_GE(done.size(), 10u);
    EXPECT_TRUE(std::is_sorted(done.begin(), done.end()));
    EXPECT_EQ(done.back(), text.size());

    int calls = 0;
    const platform::CalendarEvents stopped =
        reader.read(text, [&](std::size_t, std::size_t) { return ++calls < 3; });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(calls, 3) << "no work after the answer";
    EXPECT_TRUE(stopped.events.empty());
    EXPECT_EQ(stopped.error, "");
}

// libical complains on standard error of what it finds malformed.
TEST(IcalCalendarReader, MalformedLinesAreReadWithoutAWordOnStandardError) {
    const std::string text =
        "END:VEVENT\r\nBEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20270101\r\n"
        "SUMMARY:元旦 休\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20270213\r\n"
        "TASK-MODE:20270214\r\nEND:VEVENT\r\nEND:VCALENDAR\r\nend;x=1:vcalendar\r\n";
    IcalCalendarReader reader;
    ::testing::internal::CaptureStderr();
    const platform::CalendarEvents read = reader.read(text);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(read.error, "");
    EXPECT_EQ(read.events.size(), 2u);
}

TEST(IcalCalendarReader, BrokenHugeAndHostileFilesGiveAMessageAndNoEvents) {
    const std::string truncated = kHolidays.substr(0, kHolidays.size() / 2);
    std::string huge = kHolidays;
    huge.resize(CalendarReader::kMaxBytes + 1, '\n');
    std::string tooMany = "BEGIN:VCALENDAR\r\n";
    for (std::size_t i = 0; i <= CalendarReader::kMaxEvents; ++i) {
        tooMany += "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20270101\r\nEND:VEVENT\r\n";
    }
    tooMany += "END:VCALENDAR\r\n";
    std::string tooLong = "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\n";
    for (int i = 0; i < 260000; ++i) {
        tooLong += "X:a\r\n";
    }
    tooLong += "END:VEVENT\r\nEND:VCALENDAR\r\n";
    // One line of megabytes, which libical takes in pieces of a few dozen bytes.
    const std::string oneLine =
        "BEGIN:VCALENDAR\r\nX-A:" + std::string(CalendarReader::kMaxBytes - 100, 'x') +
        "END:VCALENDAR\r\n";
    // Nested deeper than anything real, with the nesting hidden by case, folds and CR.
    std::string deep = "BEGIN:VCALENDAR\r\n";
    for (int i = 0; i < 20000; ++i) {
        deep += i % 3 == 0 ? "begin:x-a\r" : i % 3 == 1 ? "BEG\r\n IN:X-A\r\n" : "BEGIN;X=1:X-A\n";
    }
    for (int i = 0; i < 20000; ++i) {
        deep += "END:X-A\r\n";
    }
    deep += "END:VCALENDAR\r\n";

    const std::pair<std::string, std::string> cases[] = {
        {"节假日安排：春节 2月6日至12日", "文件不是日历（iCalendar）格式"},
        {"BEGIN:VCARD\r\nFN:张老师\r\nEND:VCARD\r\n", "文件不是日历（iCalendar）格式"},
        {std::string("BEGIN:VCALENDAR\0\r\n", 18), "文件不是日历（iCalendar）格式"},
        {truncated, "日历文件不完整或已损坏，无法读取"},
        {deep, "日历文件不完整或已损坏，无法读取"},
        {oneLine, "日历文件不完整或已损坏，无法读取"},
        {huge, "文件超过4 MB，不是可导入的节假日日历，未读取"},
        {tooMany, "日历中的事件超过20000个，未导入"},
        {tooLong, "日历文件超过250000行，不是可导入的节假日日历，未读取"},
    };
    IcalCalendarReader reader;
    for (const auto& [text, error] : cases) {
        const platform::CalendarEvents read = reader.read(text);
        EXPECT_EQ(read.error, error) << text.substr(0, 40);
        EXPECT_TRUE(read.events.empty());
        EXPECT_TRUE(read.unplaced.empty());
    }
}

}  // namespace
}  // namespace orvessa::backends
