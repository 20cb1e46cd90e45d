#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "core/store/day_plan.h"
#include "core/store/schedule_table.h"

// What the pre-flight check asks of a day's rehearsal and what it gets back; the rehearsal itself
// (the core on a simulated clock, media lengths from the media framework) runs outside the core.
namespace orvessa::editing {

// A row the rehearsed day leaves unplayed, or whose file is missing.
struct DayProblem {
    int row = 0;  // 0 for the day's table itself
    // "missing", or why the row was left: late, still-playing, stop-before-start,
    // after-unplayed-timed, empty, bad-time, shutdown; skipped-hour or repeated-hour for a row
    // timed in an hour summer time skips or repeats; "no-table" when the day's table does not
    // exist.
    std::string reason;
    int byRow = 0;  // the row that kept the clock from this one; 0 for none
    // The missing file as it was looked for; for a row left behind, its file cell.
    std::string path;
    int second = 0;  // when it happened, in seconds from 00:00:00
};

// A row on the day's timeline, in seconds from 00:00:00 (the end may be 86400). A row left
// behind sits at its start time and reaches its stop time when it has a later one.
struct DayBar {
    int row = 0;
    int startSecond = 0;
    int endSecond = 0;
    bool leftBehind = false;
    // Left behind for a start cell no clock text reaches: it has no time of the day, and its
    // seconds are only where the check gave up on it.
    bool noTime = false;
};

struct DayCheckResult {
    // Why the day could not be rehearsed (an unreadable configuration or table); empty when it
    // was, and then the rest holds the outcome.
    std::string error;
    std::string tableFileName;  // the table the date itself uses
    bool stopDay = false;       // nothing is broadcast, so no problems and no bars
    store::DayPlan plan;        // what decided the day
    // What calendar.txt leaves in doubt about the day, on a stop day too.
    store::CalendarDoubts calendar;
    std::vector<DayProblem> problems;  // in the order they happen
    std::vector<DayBar> bars;          // by row
};

// Rehearses a day of the program directory on a simulated clock, before it goes live. Runs on
// the calling thread and plays, opens and writes nothing of the system's.
class DayChecker {
public:
    virtual ~DayChecker() = default;
    // The whole of `date` from 00:00:00, broadcasting `shown` (rows as the grid holds them,
    // header row included) instead of the date's own table when given; without it, the date's
    // table as its file holds it, read as a load reads it. Never throws.
    virtual DayCheckResult check(std::chrono::year_month_day date,
                                 const store::ScheduleTable* shown) = 0;
    // The first date from `from` on that broadcasts `tableFileName`; none within a year, or
    // when the configuration cannot be read. Never throws.
    virtual std::optional<std::chrono::year_month_day> nextDayOf(
        const std::string& tableFileName, std::chrono::year_month_day from) = 0;
};

}  // namespace orvessa::editing
