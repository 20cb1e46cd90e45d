#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/editing/day_checker.h"
#include "core/store/schedule_table.h"
#include "core/store/school_calendar.h"

// The check of a day before it goes live: the day is rehearsed from 00:00:00 on a simulated
// clock, and every row it leaves behind or cannot find is a problem. Links the media framework
// (for lengths) but no user interface; a 200-row day takes a fraction of a second.
namespace orvessa::dryrun {

// A program directory, configuration or table the run cannot work with; what() says which.
class BadInput : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The outcome of a checked day, in the program's own problem and bar types: the pre-flight view
// shows what --check prints.
struct DayCheck {
    std::string tableFileName;  // the table the day uses
    // A stop day broadcasts nothing, so it has neither problems nor bars.
    bool stopDay = false;
    store::DayPlan plan;  // what decided the day
    // What calendar.txt leaves in doubt about the day, stop day or not: a line skipped or an
    // entry overruled may have been meant to decide it.
    store::CalendarDoubts calendar;
    // In the order they happen; "no-table" (row 0) when the day's table does not exist, so that
    // the day runs an empty one.
    std::vector<editing::DayProblem> problems;
    // By row: from its first start to its last stop (the end of the day if it still runs then);
    // a row left behind sits at its start time, or at the second it was left when it has none.
    std::vector<editing::DayBar> bars;
};

// A problem of `date` as orvessa-rehearse --check prints it:
// "2026-12-15 08:00:29 skip row=4 reason=late by=3".
std::string problemLine(std::chrono::year_month_day date, const editing::DayProblem& problem);

// The calendar's doubts about `date` as --check prints them, at the day's first second, the
// text of a line last as it may hold blanks:
//   2027-03-05 00:00:00 calendar-unread error=/srv/orvessa/calendar.txt: Permission denied
//   2027-03-05 00:00:00 calendar-skip line=1 reason=last-before-first text=1,2027-03-10,...
//   2027-03-05 00:00:00 calendar-conflict line=1 plan=0 by=2 by-plan=3
// (line 1's stop loses the date to line 2, which plays table 3).
std::vector<std::string> calendarLines(std::chrono::year_month_day date,
                                       const store::CalendarDoubts& doubts);

// Rehearses `date` of the program directory from 00:00:00 until its table first runs out or the
// day ends, on copies of its files. `shownTable` (the grid's rows, saved or not, header row
// included) is broadcast instead of the date's own table. `lengths` overrides media lengths in
// milliseconds by file name; other files are measured. Throws BadInput.
DayCheck checkDay(const std::filesystem::path& programDirectory, std::chrono::year_month_day date,
                  const store::ScheduleTable* shownTable = nullptr,
                  const std::map<std::string, int64_t>& lengths = {});

// The first date from `from` on (give it tomorrow) whose table is `tableFileName` and which is
// not a stop day, by the configuration and holiday list of the program directory; none within
// a year (a template, or a weekday every one of which is a stop day). Throws BadInput when the
// configuration cannot be read.
std::optional<std::chrono::year_month_day> nextDayOfTable(
    const std::filesystem::path& programDirectory, std::string_view tableFileName,
    std::chrono::year_month_day from);

}  // namespace orvessa::dryrun
