#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/store/file_io.h"

// The school calendar: dated days that play another table or none. A line of its file reads
// number,first date,last date,plan,remark, such as 1,2027-02-06,2027-02-12,0,春节 or
// 2,2027-02-20,,5,调休：按星期五上课.
namespace orvessa::store {

inline constexpr const char* kCalendarFileName = "calendar.txt";
// Plan 0 is a stop day; 1..12 play zxsj<plan>.log (the weekday tables, then the templates).
inline constexpr int kCalendarStop = 0;
inline constexpr int kCalendarLastPlan = 12;

struct CalendarEntry {
    std::chrono::year_month_day first;
    std::chrono::year_month_day last;  // the same as `first` for a single day
    int plan = kCalendarStop;
    std::string remark;  // UTF-8, one line

    bool covers(std::chrono::year_month_day date) const { return first <= date && date <= last; }
    bool operator==(const CalendarEntry&) const = default;
};

// Why a line of the file takes no part in any day.
enum class CalendarLineFault {
    TooFewFields,     // fewer than four commas
    BadFirstDate,     // not YYYY-MM-DD, or no such day (2027-02-30)
    BadLastDate,      // given, but not a day
    LastBeforeFirst,  // the range runs backwards
    BadPlan,          // not 0..12
};

struct CalendarProblem {
    int line = 0;  // 1 for the file's first line
    CalendarLineFault fault = CalendarLineFault::TooFewFields;
    std::string text;  // the line as read (UTF-8), cut to a readable length
    std::string raw;   // the line's own bytes, so that a save can keep it for mending
};

// "bad first date" and so on, for the failure record.
std::string faultWords(CalendarLineFault fault);
// "起始日期无效" and so on, for the operator.
std::string faultText(CalendarLineFault fault);

struct SchoolCalendar {
    std::vector<CalendarEntry> entries;  // in the order of the file
    std::vector<CalendarProblem> problems;

    // The entry that decides `date`: of those that cover it, the one with the fewest days (the
    // most specific), the later one among equals; null when none does.
    const CalendarEntry* entryFor(std::chrono::year_month_day date) const;
};

// "2027-02-06" as a date; none for anything else, 2027-02-30 included. Leading zeros may be
// left out (2027-2-6), as a hand-typed file would have them.
std::optional<std::chrono::year_month_day> parseDate(std::string_view text);
// "yyyy-mm-dd".
std::string dateText(std::chrono::year_month_day date);

// The calendar held by file content (GBK, CR LF or LF). A line that does not parse is left out
// and listed in `problems`; an empty line is nothing.
SchoolCalendar parseCalendar(std::string_view gbkContent);
// File content for `entries`, numbered from 1: GBK, CR LF. A single day leaves the last date
// empty. Line breaks in a remark become blanks, so a remark stays on its line. The lines of
// `unread` follow as they were, so that what the operator typed is never lost by a save.
std::string formatCalendar(const std::vector<CalendarEntry>& entries,
                           const std::vector<CalendarProblem>& unread = {});

struct CalendarRead {
    SchoolCalendar calendar;
    // Why a file that is there could not be read; empty when it was read or is missing.
    std::string error;
};

// calendar.txt of the program directory; a missing file is an empty calendar.
CalendarRead readCalendarFile(const std::filesystem::path& programDirectory);
// Stores `entries` as calendar.txt of the program directory, atomically.
WriteResult writeCalendarFile(const std::filesystem::path& programDirectory,
                              const std::vector<CalendarEntry>& entries,
                              const std::vector<CalendarProblem>& unread = {});

}  // namespace orvessa::store
