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

TEST(SchoolCalendar, ReadsCrLfLfAndLoneCrLineEndsAndStoresCrLf) {
    const std::string lines[] = {"1,2027-02-06,2027-02-12,0,春节", "2,2027-02-20,,5,调休",
                                 "3,2027-02-30,,0,坏日期", "4,2027-03-01,,8,开学"};
    orvessa::testing::TempDir dir;
    for (const char* end : {"\r\n", "\n", "\r"}) {
        std::string content;
        for (const std::string& line : lines) {
            content += text::utf8ToGbk(line) + end;
        }
        // The last line may go without its end.
        content.resize(content.size() - std::string(end).size());
        orvessa::testing::writeBytes(dir / kCalendarFileName, content);
        const SchoolCalendar c = readCalendarFile(dir.path()).calendar;
        ASSERT_EQ(c.entries.size(), 3u) << int(end[0]);
        EXPECT_EQ(c.entries[1], (CalendarEntry{on(2027, 2, 20), on(2027, 2, 20), 5, "调休"}));
        EXPECT_EQ(c.entries[2].line, 4);
        ASSERT_EQ(c.problems.size(), 1u);
        EXPECT_EQ(c.problems[0].line, 3);
        EXPECT_EQ(c.problems[0].raw, text::utf8ToGbk(lines[2]));

        ASSERT_TRUE(writeCalendarFile(dir.path(), c.entries, c.problems));
        EXPECT_EQ(readWholeFile(dir / kCalendarFileName).bytes,
                  text::utf8ToGbk("1,2027-02-06,2027-02-12,0,春节\r\n2,2027-02-20,,5,调休\r\n"
                                  "3,2027-03-01,,8,开学\r\n3,2027-02-30,,0,坏日期\r\n"));
    }
    // CR LF is one line end, and a CR before it a line end of its own.
    const SchoolCalendar c = parseCalendar("1,2027-02-06,,0,a\r\r\n2,2027-02-07,,0,b");
    ASSERT_EQ(c.entries.size(), 2u);
    EXPECT_EQ(c.entries[1].line, 3);
}

TEST(SchoolCalendar, ASkippedLineKnowsTheDatesItMayHaveBeenMeantFor) {
    const SchoolCalendar c = calendarOf(
        "1,2027-03-10,2027-03-01,0,寒假\r\n"    // backwards: the days between
        "2,2027-04-05,,13,清明\r\n"             // a bad plan on a good date
        "3,2027-05-01,2027-05-32,0,劳动节\r\n"  // from its first date on
        "4,2027-02-30,2027-06-01,0,x\r\n"       // up to its last date
        "5,两千零二七年三月,,0,x\r\n"           // no date at all: any day
        "6,2027-07-01\r\n"                      // too few fields, still one day
        "本学期校历\r\n");                      // no field at all: any day
    ASSERT_EQ(c.problems.size(), 7u);
    const auto meantFor = [&](year_month_day d) {
        std::vector<int> lines;
        for (const CalendarProblem& p : c.problems) {
            if (p.mayBeMeantFor(d)) {
                lines.push_back(p.line);
            }
        }
        return lines;
    };
    EXPECT_EQ(meantFor(on(2027, 3, 5)), (std::vector<int>{1, 4, 5, 7}));
    EXPECT_EQ(meantFor(on(2027, 3, 10)), (std::vector<int>{1, 4, 5, 7}));
    EXPECT_EQ(meantFor(on(2027, 3, 11)), (std::vector<int>{4, 5, 7}));
    EXPECT_EQ(meantFor(on(2027, 4, 5)), (std::vector<int>{2, 4, 5, 7}));
    EXPECT_EQ(meantFor(on(2027, 5, 20)), (std::vector<int>{3, 4, 5, 7}));
    EXPECT_EQ(meantFor(on(2027, 6, 2)), (std::vector<int>{3, 5, 7}));
    EXPECT_EQ(meantFor(on(2027, 7, 1)), (std::vector<int>{3, 5, 6, 7}));
    EXPECT_EQ(faultKey(c.problems[0].fault), "last-before-first");
}

TEST(SchoolCalendar, TwoEntriesThatDecideADateDifferentlyConflictUnlessOneIsAnExceptionInside) {
    const SchoolCalendar c = calendarOf(
        "1,2027-02-01,2027-02-28,0,寒假\r\n"
        "2,2027-02-20,,5,调休\r\n"  // inside the holiday: meant to win
        "3,2027-03-05,,0,停课\r\n"
        "4,2027-03-05,,3,运动会\r\n"  // the same day: settled by line order only
        "5,2027-04-01,2027-04-10,0,春假\r\n"
        "6,2027-04-08,2027-04-20,4,补课\r\n"  // overlaps part of the holiday
        "7,2027-05-01,2027-05-03,0,劳动节\r\n"
        "8,2027-05-01,2027-05-03,0,劳动节休\r\n"  // the same plan: no doubt what plays
        "9,2027-06-01,2027-06-30,0,x\r\n"
        "10,2027-06-05,2027-07-10,6,y\r\n"
        "11,2027-06-10,2027-06-30,2,z\r\n");  // inside both: decides its days alone
    const std::vector<CalendarConflict> conflicts = calendarConflicts(c.entries);
    ASSERT_EQ(conflicts.size(), 3u);
    EXPECT_EQ(conflicts[0],
              (CalendarConflict{on(2027, 3, 5), on(2027, 3, 5), c.entries[3], c.entries[2]}));
    EXPECT_EQ(conflicts[0].winner.line, 4);
    EXPECT_EQ(c.entryFor(on(2027, 3, 5))->plan, 3) << "the rule stands: the later line wins";
    // The shorter of the two wins where they overlap.
    EXPECT_EQ(conflicts[1],
              (CalendarConflict{on(2027, 4, 8), on(2027, 4, 10), c.entries[4], c.entries[5]}));
    EXPECT_EQ(conflicts[2],
              (CalendarConflict{on(2027, 6, 5), on(2027, 6, 9), c.entries[8], c.entries[9]}));

    // A conflict goes on over the dates where another entry begins.
    const SchoolCalendar d = calendarOf(
        "1,2027-01-01,2027-01-10,0,a\r\n"
        "2,2027-01-05,2027-01-20,3,b\r\n"
        "3,2027-01-07,2027-01-30,3,c\r\n");
    EXPECT_EQ(calendarConflicts(d.entries),
              (std::vector<CalendarConflict>{
                  {on(2027, 1, 5), on(2027, 1, 10), d.entries[0], d.entries[1]},
                  {on(2027, 1, 7), on(2027, 1, 10), d.entries[0], d.entries[2]}}));

    // Listed by date, as the window lists them, the entries decide as the file did.
    std::vector<CalendarEntry> byDate = {c.entries[3], c.entries[2]};
    const SchoolCalendar listed{byDate, {}};
    EXPECT_EQ(listed.entryFor(on(2027, 3, 5))->plan, 3);
    EXPECT_EQ(calendarConflicts(byDate).front().winner.plan, 3);
}

TEST(SchoolCalendar, TheDoubtsAboutADateAreTheLinesThatMayHaveDecidedIt) {
    orvessa::testing::TempDir dir;
    orvessa::testing::writeBytes(dir / kCalendarFileName,
                                 text::utf8ToGbk("1,2027-03-10,2027-03-01,0,寒假\r\n"
                                                 "2,2027-03-05,,0,停课\r\n"
                                                 "3,2027-03-05,,3,运动会\r\n"
                                                 "4,2027-04-01,,x,\r\n"));
    const CalendarRead read = readCalendarFile(dir.path());
    const CalendarDoubts doubts = doubtsAbout(read, on(2027, 3, 5));
    ASSERT_EQ(doubts.skipped.size(), 1u);
    EXPECT_EQ(doubts.skipped[0].line, 1);
    ASSERT_EQ(doubts.overruled.size(), 1u);
    EXPECT_EQ(doubts.overruled[0].loser.line, 2);
    EXPECT_EQ(doubts.count(), 2u);
    EXPECT_TRUE(doubtsAbout(read, on(2027, 3, 11)).empty());

    std::filesystem::create_directory(dir / "folder");
    std::filesystem::create_directory(dir / "folder" / kCalendarFileName);
    const CalendarDoubts unread = doubtsAbout(readCalendarFile(dir / "folder"), on(2027, 3, 11));
    EXPECT_FALSE(unread.readError.empty());
    EXPECT_EQ(unread.count(), 1u);
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

TEST(DayPlan, TheStatusLineCutsALongRemark) {
    std::string longRemark;
    for (int i = 0; i < 100; ++i) {
        longRemark += "调休上课";
    }
    const SchoolCalendar c{{{on(2027, 2, 20), on(2027, 2, 20), 5, longRemark}}, {}};
    const std::string line = calendarDayLine(plan(c, on(2027, 2, 20)));
    EXPECT_EQ(line,
              "  ☆ 今日按校历播出星期五作息表（" + text::firstCharacters(longRemark, 29) + "…）");
    EXPECT_EQ(shownRemark("春节"), "春节");
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
