#include "dryrun/day_check.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/store/table_file.h"
#include "program_directory.h"

namespace orvessa::dryrun {
namespace {

using namespace std::chrono;

class DayCheckTest : public ProgramDirectory {
protected:
    DayCheckTest() {
        for (const char* name : {"a.wav", "b.wav"}) {
            file(std::string("AUDIO/") + name);
        }
    }

    // --check of Monday 2026-12-14: a.wav plays a minute, b.wav ten seconds.
    Lines check() {
        return run(
            {"--check", "--date", "2026-12-14", "--length", "a.wav=60", "--length", "b.wav=10"});
    }
};

TEST_F(DayCheckTest, EachRowLeftBehindIsNamedWithItsReason) {
    const std::string day = "2026-12-14 ";
    struct Case {
        const char* what;
        std::vector<Row> rows;
        Lines problems;
    };
    const std::vector<Case> cases = {
        {"a row after a later one",
         {{"09:00:00", "a.wav", ""}, {"08:00:00", "b.wav", ""}},
         {day + "09:01:02 skip row=2 reason=late"}},
        {"a bell that rings over the next row's time",
         {{"08:00:00", "a.wav", ""}, {"08:00:30", "b.wav", ""}},
         {day + "08:01:02 skip row=2 reason=still-playing by=1"}},
        {"a stop time before the start time",
         {{"09:00:00", "a.wav", "08:00:00"}},
         {day + "08:00:00 skip row=1 reason=stop-before-start"}},
        {"untimed rows go with the timed row left before them",
         {{"09:00:00", "a.wav", ""}, {"08:00:00", "b.wav", ""}, {"", "b.wav", ""}},
         {day + "09:01:02 skip row=2 reason=late",
          day + "09:01:02 skip row=3 reason=after-unplayed-timed by=2"}},
        {"a row that names no file",
         {{"08:00:00", "", ""}, {"09:00:00", "b.wav", ""}},
         {day + "00:00:00 skip row=1 reason=empty"}},
        {"a time no clock reaches silences the rest of the day",
         {{"08:00:00", "b.wav", ""},
          {"99:99:99", "a.wav", ""},
          {"", "b.wav", ""},
          {"10:00:00", "", ""}},
         {day + "08:00:12 skip row=2 reason=bad-time",
          day + "08:00:12 skip row=3 reason=bad-time by=2",
          day + "08:00:12 skip row=4 reason=empty"}},
        {"a start without seconds never equals a clock text",
         {{"7:30", "a.wav", ""}, {"12:00:00", "b.wav", ""}, {"", "b.wav", "12:30"}},
         {day + "00:00:00 skip row=1 reason=bad-time",
          day + "00:00:00 skip row=2 reason=bad-time by=1",
          day + "00:00:00 skip row=3 reason=bad-time by=1"}},
        {"a stop time no clock reaches repeats its row all day",
         {{"12:00:00", "b.wav", "25:00:00"}, {"13:00:00", "a.wav", ""}},
         {day + "12:00:00 skip row=2 reason=bad-time by=1"}},
        {"a missing file is named once, even on the last row the clock asks about every second",
         {{"08:00:00", "gone.wav", ""}, {"", "lost.wav", ""}},
         {day + "08:00:00 missing row=1 path=" + audio() + "gone.wav",
          day + "08:00:01 missing row=2 path=" + audio() + "lost.wav"}},
        {"a page never ends by itself and holds the clock until midnight",
         {{"12:00:00", "http://intranet/notice.html", ""},
          {"13:00:00", "b.wav", ""},
          {"", "b.wav", ""}},
         {day + "23:59:59 skip row=2 reason=still-playing by=1",
          day + "23:59:59 skip row=3 reason=still-playing by=1"}},
    };
    for (const Case& c : cases) {
        write(1, c.rows);
        EXPECT_EQ(check(), c.problems) << c.what;
        EXPECT_EQ(status, 1) << c.what;
    }
}

TEST_F(DayCheckTest, ExitStatusSaysWhetherTheDayHasProblems) {
    write(1, {{"0:00:00", "b.wav", ""}, {"", "b.wav", ""}, {"23:59:59", "a.wav", ""}});
    EXPECT_EQ(check(), Lines{}) << "a row at the first second rings, one at the last starts";
    EXPECT_EQ(status, 0);

    // A stop day broadcasts nothing, so nothing in its table is a problem.
    write(1, {{"09:00:00", "a.wav", ""}, {"08:00:00", "b.wav", ""}});
    orvessa::testing::writeBytes(m_dir / "zxsj0.gxr", "1,12-14,,x,\r\n");
    EXPECT_EQ(check(), Lines{});
    EXPECT_EQ(status, 0);

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--check", "--start", "2026-12-14 00:00:00"},
          std::vector<std::string>{"--check", "--date", "2026-02-30"},
          std::vector<std::string>{"--date", "2026-12-14"}}) {
        EXPECT_EQ(run(bad), Lines{});
        EXPECT_EQ(status, 2) << bad[1];
    }
}

TEST_F(DayCheckTest, TheShownRowsAreCheckedAndDrawnOnTheTimeline) {
    // On disk Monday's table is not even there: the grid's unsaved rows are what count.
    write(2, {});
    store::ScheduleTable shown;
    store::setScheduleHeaders(shown);
    const std::vector<Row> rows = {{"08:00:00", "a.wav", ""},
                                   {"08:00:30", "b.wav", ""},
                                   {"09:00:00", "b.wav", "09:00:25"},
                                   {"10:00:00", "gone.wav", ""},
                                   {"11:00:00", "http://intranet/notice.html", ""}};
    shown.setRowCount(static_cast<int>(rows.size()) + 1);
    for (int r = 1; r <= static_cast<int>(rows.size()); ++r) {
        const Row& row = rows[static_cast<std::size_t>(r - 1)];
        shown.setCell(0, r, std::to_string(r));
        shown.setCell(store::ScheduleRow::kStartTime, r, row.start);
        shown.setCell(store::ScheduleRow::kFile, r, row.file);
        shown.setCell(store::ScheduleRow::kStopTime, r, row.stop);
    }

    const DayCheck day =
        checkDay(m_dir.path(), 2026y / December / 14, &shown, {{"a.wav", 60000}, {"b.wav", 10000}});

    EXPECT_EQ(day.tableFileName, "zxsj1.log");
    EXPECT_FALSE(day.stopDay);
    ASSERT_EQ(day.problems.size(), 2u);
    EXPECT_EQ(day.problems[0].row, 2);
    EXPECT_EQ(day.problems[0].reason, "still-playing");
    EXPECT_EQ(day.problems[0].byRow, 1);
    EXPECT_EQ(day.problems[0].second, 8 * 3600 + 62);
    EXPECT_EQ(problemLine(2026y / December / 14, day.problems[0]),
              "2026-12-14 08:01:02 skip row=2 reason=still-playing by=1");
    EXPECT_EQ(day.problems[1].row, 4);
    EXPECT_EQ(day.problems[1].reason, "missing");
    EXPECT_EQ(day.problems[1].path, audio() + "gone.wav");

    const auto bar = [](const editing::DayBar& b) {
        return std::vector<int>{b.row, b.startSecond, b.endSecond, b.leftBehind ? 1 : 0};
    };
    std::vector<std::vector<int>> bars;
    for (const editing::DayBar& b : day.bars) {
        bars.push_back(bar(b));
    }
    EXPECT_EQ(bars, (std::vector<std::vector<int>>{
                        {1, 28800, 28862, 0},  // a minute, its end seen in the tick after
                        {2, 28830, 28830, 1},  // left behind: a mark at its time
                        {3, 32400, 32425, 0},  // repeated until its stop time
                        {4, 36000, 36000, 1},  // missing
                        {5, 39600, 86400, 0},  // the page runs to midnight
                    }));
}

// --check prints each problem from the fields the pre-flight view reads, so the two never
// disagree about a row or a second.
TEST_F(DayCheckTest, EachPrintedProblemIsTheProblemTheViewGets) {
    const auto printed = [](year_month_day date, const DayCheck& day) {
        Lines lines;
        for (const editing::DayProblem& p : day.problems) {
            lines.push_back(problemLine(date, p));
        }
        return lines;
    };
    const std::map<std::string, int64_t> lengths = {{"a.wav", 60000}, {"b.wav", 10000}};
    write(1, {{"09:00:00", "a.wav", ""},
              {"08:00:00", "b.wav", ""},
              {"", "b.wav", ""},
              {"10:00:00", "gone.wav", ""},
              {"23:59:58", "a.wav", ""},
              {"", "b.wav", ""}});
    const DayCheck monday = checkDay(m_dir.path(), 2026y / December / 14, nullptr, lengths);
    EXPECT_EQ(check(), printed(2026y / December / 14, monday));
    EXPECT_EQ(check(), (Lines{"2026-12-14 09:01:02 skip row=2 reason=late",
                              "2026-12-14 09:01:02 skip row=3 reason=after-unplayed-timed by=2",
                              "2026-12-14 10:00:00 missing row=4 path=" + audio() + "gone.wav",
                              "2026-12-14 23:59:59 skip row=6 reason=still-playing by=5"}));
    std::vector<int> seconds;
    for (const editing::DayProblem& p : monday.problems) {
        seconds.push_back(p.second);
    }
    EXPECT_EQ(seconds, (std::vector<int>{32462, 32462, 36000, 86399}));

    // Tuesday's table is not there: the day runs an empty one from its first second.
    const DayCheck tuesday = checkDay(m_dir.path(), 2026y / December / 15, nullptr, lengths);
    ASSERT_EQ(tuesday.problems.size(), 1u);
    EXPECT_EQ(tuesday.problems[0].second, 0);
    EXPECT_EQ(printed(2026y / December / 15, tuesday), run({"--check", "--date", "2026-12-15"}));
    EXPECT_EQ(printed(2026y / December / 15, tuesday),
              Lines{"2026-12-15 00:00:00 no-table path=" + dir() + "/zxsj2.log"});
}

TEST_F(DayCheckTest, TheNextDayOfATableSkipsStopDaysAndOtherTables) {
    write(1, {});
    const auto next = [this](const char* table) {
        return nextDayOfTable(m_dir.path(), table, 2026y / December / 15);
    };
    EXPECT_EQ(next("zxsj1.log"), 2026y / December / 21);
    EXPECT_EQ(next("zxsj2.log"), 2026y / December / 15) << "from the given day on";
    EXPECT_EQ(next("zxsj9.log"), std::nullopt) << "a template is no day's table";

    orvessa::testing::writeBytes(m_dir / "zxsj0.gxr", "1,12-21,,x,\r\n");
    EXPECT_EQ(next("zxsj1.log"), 2026y / December / 28) << "a holiday";
    entries[19] = "1";  // holidays are broadcast
    write(1, {});
    EXPECT_EQ(next("zxsj1.log"), 2026y / December / 21);

    entries[12] = "1";  // no broadcast on Mondays
    write(1, {});
    EXPECT_EQ(next("zxsj1.log"), std::nullopt);

    entries[8] = "1";  // every day broadcasts Monday's table, but Tuesday is no Monday
    write(1, {});
    EXPECT_EQ(next("zxsj1.log"), 2026y / December / 15);
    EXPECT_EQ(next("zxsj2.log"), std::nullopt);
}

TEST_F(DayCheckTest, TheCalendarDecidesTheCheckedDayAndTheNextDayOfATable) {
    write(1, {});
    write(5, {{"08:00:00", "gone.wav", ""}});
    orvessa::testing::writeBytes(m_dir / "calendar.txt",
                                 text::utf8ToGbk("1,2026-12-19,,5,调休\r\n"
                                                 "2,2026-12-21,2026-12-22,0,冬至\r\n"
                                                 "3,2027-01-06,,10,期末考试\r\n"));
    const auto next = [this](const char* table) {
        return nextDayOfTable(m_dir.path(), table, 2026y / December / 15);
    };
    EXPECT_EQ(next("zxsj1.log"), 2026y / December / 28) << "a dated stop";
    EXPECT_EQ(next("zxsj10.log"), 2027y / January / 6) << "a template on its date";

    const DayCheck makeUp = checkDay(m_dir.path(), 2026y / December / 19);
    EXPECT_EQ(makeUp.tableFileName, "zxsj5.log");
    EXPECT_TRUE(makeUp.plan.byCalendar());
    ASSERT_EQ(makeUp.problems.size(), 1u);
    EXPECT_EQ(makeUp.problems[0].reason, "missing");
    const DayCheck stop = checkDay(m_dir.path(), 2026y / December / 22);
    EXPECT_TRUE(stop.stopDay);
    EXPECT_EQ(stop.plan.stop, store::StopReason::Calendar);
    EXPECT_EQ(run({"--check", "--date", "2026-12-19"}),
              Lines{"2026-12-19 08:00:00 missing row=1 path=" + audio() + "gone.wav"});
}

TEST_F(DayCheckTest, CalendarLinesThatMayHaveDecidedTheDayAreNamed) {
    // Friday 2027-03-05 has a table that rings without a fault.
    write(5, {{"08:00:00", "b.wav", ""}});
    const auto check = [this](const char* date) {
        return run({"--check", "--date", date, "--length", "b.wav=10"});
    };
    orvessa::testing::writeBytes(m_dir / "calendar.txt",
                                 text::utf8ToGbk("1,2027-03-10,2027-03-01,0,寒假\r\n"
                                                 "2,2027-03-12,,0,停课\r\n"
                                                 "3,2027-03-12,,5,运动会\r\n"
                                                 "4,2027-02-01,2027-02-28,0,寒假\r\n"
                                                 "5,2027-02-20,,5,调休\r\n"));
    EXPECT_EQ(check("2027-03-05"),
              Lines{"2027-03-05 00:00:00 calendar-skip line=1 reason=last-before-first "
                    "text=1,2027-03-10,2027-03-01,0,寒假"});
    EXPECT_EQ(status, 1);
    EXPECT_EQ(check("2027-03-19"), Lines{}) << "no line of the calendar is about that day";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(check("2027-03-12"),
              Lines{"2027-03-12 00:00:00 calendar-conflict line=2 plan=0 by=3 by-plan=5"});
    EXPECT_EQ(status, 1);
    EXPECT_EQ(check("2027-02-20"), Lines{}) << "a make-up day inside a holiday is meant";
    EXPECT_EQ(status, 0);

    // A stop day has no rows to check, but the calendar may have meant it otherwise.
    orvessa::testing::writeBytes(m_dir / "calendar.txt",
                                 text::utf8ToGbk("1,2027-03-01,2027-03-31,0,停课\r\n"
                                                 "2,2027-03-06,,5x,调休\r\n"));
    EXPECT_EQ(check("2027-03-06"), Lines{"2027-03-06 00:00:00 calendar-skip line=2 reason=bad-plan "
                                         "text=2,2027-03-06,,5x,调休"});
    const DayCheck saturday = checkDay(m_dir.path(), 2027y / March / 6);
    EXPECT_TRUE(saturday.stopDay);
    EXPECT_EQ(saturday.calendar.skipped.size(), 1u);

    // Days later in the file show with the rows' problems after them.
    write(5, {{"08:00:00", "gone.wav", ""}});
    orvessa::testing::writeBytes(m_dir / "calendar.txt", "\r1,2027-03-05,,0,x\r2,bad\r");
    EXPECT_EQ(check("2027-03-05"),
              Lines{"2027-03-05 00:00:00 calendar-skip line=3 reason=too-few-fields text=2,bad"})
        << "lone CR line ends: a stop day, and a line without a date may be any day's";
    EXPECT_EQ(check("2027-03-12"),
              (Lines{"2027-03-12 00:00:00 calendar-skip line=3 reason=too-few-fields text=2,bad",
                     "2027-03-12 08:00:00 missing row=1 path=" + audio() + "gone.wav"}));

    std::filesystem::remove(m_dir / "calendar.txt");
    std::filesystem::create_directory(m_dir / "calendar.txt");
    const Lines unread = check("2027-03-12");
    ASSERT_EQ(unread.size(), 2u);
    EXPECT_EQ(unread[0].rfind(
                  "2027-03-12 00:00:00 calendar-unread error=" + dir() + "/calendar.txt: ", 0),
              0u)
        << unread[0];
}

}  // namespace
}  // namespace orvessa::dryrun
