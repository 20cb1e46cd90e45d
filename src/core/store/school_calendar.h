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
    // The line of the file the entry was read from (1 for the first); 0 for one made since.
    // Where an entry comes from is not what it says, so it takes no part in comparing.
    int line = 0;

    bool covers(std::chrono::year_month_day date) const { return first <= date && date <= last; }
    long days() const;
    bool operator==(const CalendarEntry& other) const;
};

// Why a remark is refused when GBK cannot hold one of its characters (an emoji): the file
// would keep "?" in its place.
inline constexpr const char* kRemarkOutsideGbk =
    "备注中有校历文件无法保存的字符（如表情符号），保存后将变成“?”，请修改备注";

// A remark as a window's line shows it: a long one is cut, so that no window grows with what
// was typed (the file and the remark field keep it whole).
inline constexpr std::size_t kShownRemarkCharacters = 30;
std::string shownRemark(std::string_view remark);

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
    // The dates the line may have been meant for, as far as they can be made out: a range
    // written backwards covers the days between; an end that cannot be read is open, so a line
    // without a readable date may have been meant for any day.
    std::optional<std::chrono::year_month_day> from = std::nullopt;
    std::optional<std::chrono::year_month_day> to = std::nullopt;

    bool mayBeMeantFor(std::chrono::year_month_day date) const {
        return (!from || *from <= date) && (!to || date <= *to);
    }
    bool operator==(const CalendarProblem&) const = default;
};

// "bad first date" and so on, for the failure record.
std::string faultWords(CalendarLineFault fault);
// "bad-first-date" and so on, for a checker's output.
std::string faultKey(CalendarLineFault fault);
// "起始日期无效" and so on, for the operator.
std::string faultText(CalendarLineFault fault);

struct SchoolCalendar {
    std::vector<CalendarEntry> entries;  // in the order of the file
    std::vector<CalendarProblem> problems;

    // The entry that decides `date`: of those that cover it, the one with the fewest days (the
    // most specific), the later line of the file among equals; null when none does.
    const CalendarEntry* entryFor(std::chrono::year_month_day date) const;
};

// Dates that two entries decide differently (another plan), neither being an exception inside
// the other. A shorter entry wholly inside a longer one (a make-up day in a holiday) is such an
// exception, meant to win; two entries of the same dates, or ranges that only partly overlap,
// most likely say two things by mistake. The most specific still wins there, as entryFor says.
struct CalendarConflict {
    std::chrono::year_month_day first;  // the dates in question
    std::chrono::year_month_day last;
    CalendarEntry winner;  // decides them
    CalendarEntry loser;   // would have decided them otherwise
    bool operator==(const CalendarConflict&) const = default;
};

// The conflicts of `entries` (in the order entryFor weighs them), by date; adjacent dates of
// the same two entries make one conflict. Only the entry that decides a date conflicts there,
// so two entries both overruled by an exception inside them are no conflict on its dates.
std::vector<CalendarConflict> calendarConflicts(const std::vector<CalendarEntry>& entries);

// "2027-02-06" as a date; none for anything else, 2027-02-30 included. Leading zeros may be
// left out (2027-2-6), as a hand-typed file would have them.
std::optional<std::chrono::year_month_day> parseDate(std::string_view text);
// "yyyy-mm-dd".
std::string dateText(std::chrono::year_month_day date);

// The calendar held by file content (GBK; CR LF, LF or lone CR line ends). A line that does not
// parse is left out and listed in `problems`; an empty line is nothing.
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
// The version of calendar.txt as it is now: changes whenever its bytes do. "0" for a missing
// file; empty when it cannot be read. Whoever writes the file checks it has not changed since
// the copy it edited was read, so that nothing written by hand or by another editor is lost.
std::string calendarVersion(const std::filesystem::path& programDirectory);
// The version of calendar content.
std::string calendarVersionOf(const std::string& bytes);
// Stores `entries` as calendar.txt of the program directory, atomically.
WriteResult writeCalendarFile(const std::filesystem::path& programDirectory,
                              const std::vector<CalendarEntry>& entries,
                              const std::vector<CalendarProblem>& unread = {},
                              FileSync* sync = nullptr);

// What the calendar leaves in doubt about one date: the whole file unread, lines skipped that
// may have been meant for the date, and entries that lose the date to one of another plan.
struct CalendarDoubts {
    std::string readError;                    // why calendar.txt could not be read; empty if it was
    std::vector<CalendarProblem> skipped;     // in the order of the file
    std::vector<CalendarConflict> overruled;  // the date's winner against each loser

    std::size_t count() const {
        return (readError.empty() ? 0 : 1) + skipped.size() + overruled.size();
    }
    bool empty() const { return count() == 0; }
    bool operator==(const CalendarDoubts&) const = default;
};

CalendarDoubts doubtsAbout(const CalendarRead& read, std::chrono::year_month_day date);

}  // namespace orvessa::store
