#include "core/store/school_calendar.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <utility>

#include "core/text/gbk.h"
#include "core/text/numbers.h"
#include "core/text/time_text.h"

namespace orvessa::store {

namespace {

using std::chrono::sys_days;
using std::chrono::year_month_day;

// Enough of a line to find it again in an editor.
constexpr std::size_t kShownCharacters = 60;

std::string_view takeField(std::string_view& line) {
    const std::size_t at = line.find(',');
    const std::string_view field = line.substr(0, at);
    line = at == std::string_view::npos ? std::string_view{} : line.substr(at + 1);
    return field;
}

bool allDigits(std::string_view s, std::size_t minimum, std::size_t maximum) {
    return s.size() >= minimum && s.size() <= maximum &&
           s.find_first_not_of("0123456789") == std::string_view::npos;
}

// Of two entries of as many days, the later line wins; one made since the file was read is
// the latest. Entries listed in another order than the file's (by date) decide as the file did.
int lineRank(const CalendarEntry& e) {
    return e.line == 0 ? std::numeric_limits<int>::max() : e.line;
}

// The index of the entry that decides `date`, as SchoolCalendar::entryFor chooses it.
std::optional<std::size_t> decidingEntry(const std::vector<CalendarEntry>& entries,
                                         year_month_day date) {
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const CalendarEntry& e = entries[i];
        if (!e.covers(date)) {
            continue;
        }
        if (!best || e.days() < entries[*best].days() ||
            (e.days() == entries[*best].days() && lineRank(e) >= lineRank(entries[*best]))) {
            best = i;
        }
    }
    return best;
}

// A shorter entry wholly within a longer one is an exception made on purpose.
bool strictlyInside(const CalendarEntry& inner, const CalendarEntry& outer) {
    return outer.first <= inner.first && inner.last <= outer.last &&
           (outer.first != inner.first || outer.last != inner.last);
}

// The dates of a line that was not read, as far as they can be made out.
void guessDates(std::string_view line, CalendarProblem& problem) {
    takeField(line);
    if (line.empty()) {
        return;  // no dates at all: any day
    }
    const std::optional<year_month_day> first = parseDate(takeField(line));
    const std::string lastField = text::trimText(takeField(line));
    const std::optional<year_month_day> last = lastField.empty() ? first : parseDate(lastField);
    if (first && last && *last < *first) {
        problem.from = last;
        problem.to = first;
        return;
    }
    problem.from = first;
    problem.to = last;
}

}  // namespace

std::string shownRemark(std::string_view remark) {
    return text::shortened(remark, kShownRemarkCharacters);
}

long CalendarEntry::days() const {
    return (sys_days{last} - sys_days{first}).count() + 1;
}

bool CalendarEntry::operator==(const CalendarEntry& other) const {
    return first == other.first && last == other.last && plan == other.plan &&
           remark == other.remark;
}

std::string faultWords(CalendarLineFault fault) {
    switch (fault) {
        case CalendarLineFault::TooFewFields:
            return "fewer than five fields";
        case CalendarLineFault::BadFirstDate:
            return "bad first date";
        case CalendarLineFault::BadLastDate:
            return "bad last date";
        case CalendarLineFault::LastBeforeFirst:
            return "last date before first date";
        case CalendarLineFault::BadPlan:
            return "plan not 0..12";
    }
    return "unreadable";
}

std::string faultKey(CalendarLineFault fault) {
    switch (fault) {
        case CalendarLineFault::TooFewFields:
            return "too-few-fields";
        case CalendarLineFault::BadFirstDate:
            return "bad-first-date";
        case CalendarLineFault::BadLastDate:
            return "bad-last-date";
        case CalendarLineFault::LastBeforeFirst:
            return "last-before-first";
        case CalendarLineFault::BadPlan:
            return "bad-plan";
    }
    return "unreadable";
}

std::string faultText(CalendarLineFault fault) {
    switch (fault) {
        case CalendarLineFault::TooFewFields:
            return "不足五项";
        case CalendarLineFault::BadFirstDate:
            return "起始日期无效";
        case CalendarLineFault::BadLastDate:
            return "结束日期无效";
        case CalendarLineFault::LastBeforeFirst:
            return "结束日期早于起始日期";
        case CalendarLineFault::BadPlan:
            return "作息表编号不在0..12之间";
    }
    return "无法读取";
}

const CalendarEntry* SchoolCalendar::entryFor(year_month_day date) const {
    const std::optional<std::size_t> best = decidingEntry(entries, date);
    return best ? &entries[*best] : nullptr;
}

std::vector<CalendarConflict> calendarConflicts(const std::vector<CalendarEntry>& entries) {
    // Which entries cover a date changes only where one begins or has just ended: one date of
    // each stretch between those tells about the whole stretch.
    std::vector<sys_days> bounds;
    bounds.reserve(2 * entries.size());
    for (const CalendarEntry& e : entries) {
        bounds.push_back(sys_days{e.first});
        bounds.push_back(sys_days{e.last} + std::chrono::days{1});
    }
    std::sort(bounds.begin(), bounds.end());
    bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
    std::vector<CalendarConflict> conflicts;
    // Of each conflict found, the entries, so that the next stretch can lengthen it.
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    for (std::size_t b = 0; b + 1 < bounds.size(); ++b) {
        const year_month_day date{bounds[b]};
        const year_month_day end{bounds[b + 1] - std::chrono::days{1}};
        const std::optional<std::size_t> winner = decidingEntry(entries, date);
        if (!winner) {
            continue;
        }
        const CalendarEntry& w = entries[*winner];
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const CalendarEntry& e = entries[i];
            if (i == *winner || !e.covers(date) || e.plan == w.plan || strictlyInside(w, e)) {
                continue;
            }
            const auto known = std::find(pairs.rbegin(), pairs.rend(), std::pair{*winner, i});
            if (known != pairs.rend()) {
                CalendarConflict& c =
                    conflicts[pairs.size() - 1 - static_cast<std::size_t>(known - pairs.rbegin())];
                if (sys_days{c.last} + std::chrono::days{1} == bounds[b]) {
                    c.last = end;
                    continue;
                }
            }
            conflicts.push_back({date, end, w, e});
            pairs.emplace_back(*winner, i);
        }
    }
    return conflicts;
}

std::optional<year_month_day> parseDate(std::string_view text) {
    const std::string trimmed = text::trimText(text);
    const std::string_view t = trimmed;
    const std::size_t dash1 = t.find('-');
    const std::size_t dash2 = dash1 == std::string_view::npos ? dash1 : t.find('-', dash1 + 1);
    if (dash2 == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view y = t.substr(0, dash1);
    const std::string_view m = t.substr(dash1 + 1, dash2 - dash1 - 1);
    const std::string_view d = t.substr(dash2 + 1);
    if (!allDigits(y, 4, 4) || !allDigits(m, 1, 2) || !allDigits(d, 1, 2)) {
        return std::nullopt;
    }
    const year_month_day date{std::chrono::year(text::toIntOr(y, 0)),
                              std::chrono::month(static_cast<unsigned>(text::toIntOr(m, 0))),
                              std::chrono::day(static_cast<unsigned>(text::toIntOr(d, 0)))};
    if (!date.ok()) {
        return std::nullopt;
    }
    return date;
}

std::string dateText(year_month_day date) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return buffer;
}

SchoolCalendar parseCalendar(std::string_view gbkContent) {
    SchoolCalendar calendar;
    int number = 0;
    for (const std::string_view gbkLine : splitLines(gbkContent)) {
        ++number;
        const std::string utf8 = text::gbkToUtf8(gbkLine);
        if (text::trimText(utf8).empty()) {
            continue;
        }
        const auto fail = [&](CalendarLineFault fault) {
            CalendarProblem problem{number, fault, text::firstCharacters(utf8, kShownCharacters),
                                    std::string(gbkLine)};
            guessDates(utf8, problem);
            calendar.problems.push_back(std::move(problem));
        };
        std::string_view line = utf8;
        if (std::count(line.begin(), line.end(), ',') < 4) {
            fail(CalendarLineFault::TooFewFields);
            continue;
        }
        takeField(line);  // the number is rewritten on every save
        const std::optional<year_month_day> first = parseDate(takeField(line));
        const std::string_view lastField = takeField(line);
        const std::string_view planField = takeField(line);
        if (!first) {
            fail(CalendarLineFault::BadFirstDate);
            continue;
        }
        std::optional<year_month_day> last = first;
        if (!text::trimText(lastField).empty()) {
            last = parseDate(lastField);
            if (!last) {
                fail(CalendarLineFault::BadLastDate);
                continue;
            }
            if (*last < *first) {
                fail(CalendarLineFault::LastBeforeFirst);
                continue;
            }
        }
        const std::string planText = text::trimText(planField);
        const int plan = allDigits(planText, 1, 2) ? text::toIntOr(planText, -1) : -1;
        if (plan < kCalendarStop || plan > kCalendarLastPlan) {
            fail(CalendarLineFault::BadPlan);
            continue;
        }
        // The rest of the line is the remark, commas and all.
        calendar.entries.push_back({*first, *last, plan, text::trimText(line), number});
    }
    return calendar;
}

std::string formatCalendar(const std::vector<CalendarEntry>& entries,
                           const std::vector<CalendarProblem>& unread) {
    std::string out;
    int number = 0;
    for (const CalendarEntry& e : entries) {
        std::string line = std::to_string(++number) + "," + dateText(e.first) + ",";
        if (e.last != e.first) {
            line += dateText(e.last);
        }
        line += "," + std::to_string(e.plan) + "," + text::oneLine(e.remark);
        out += text::utf8ToGbk(line) + "\r\n";
    }
    for (const CalendarProblem& p : unread) {
        out += p.raw + "\r\n";
    }
    return out;
}

CalendarRead readCalendarFile(const std::filesystem::path& programDirectory) {
    CalendarRead read;
    const ReadResult file = readWholeFile(programDirectory / kCalendarFileName);
    if (file.status == ReadStatus::Failed) {
        read.error = file.error;
    } else if (file.status == ReadStatus::Ok) {
        read.calendar = parseCalendar(file.bytes);
    }
    return read;
}

std::string calendarVersionOf(const std::string& bytes) {
    // Only tells one content from another; nobody gains by forging it, as every write checks
    // it again on the interface thread.
    char text[48];
    std::snprintf(text, sizeof text, "%zx-%zx", bytes.size(), std::hash<std::string>{}(bytes));
    return text;
}

std::string calendarVersion(const std::filesystem::path& programDirectory) {
    const ReadResult file = readWholeFile(programDirectory / kCalendarFileName);
    switch (file.status) {
        case ReadStatus::Missing:
            return "0";
        case ReadStatus::Failed:
            return {};
        case ReadStatus::Ok:
            break;
    }
    return calendarVersionOf(file.bytes);
}

WriteResult writeCalendarFile(const std::filesystem::path& programDirectory,
                              const std::vector<CalendarEntry>& entries,
                              const std::vector<CalendarProblem>& unread, FileSync* sync) {
    return writeFileAtomically(programDirectory / kCalendarFileName,
                               formatCalendar(entries, unread), Visibility::Shared, sync);
}

CalendarDoubts doubtsAbout(const CalendarRead& read, year_month_day date) {
    CalendarDoubts doubts;
    doubts.readError = read.error;
    for (const CalendarProblem& p : read.calendar.problems) {
        if (p.mayBeMeantFor(date)) {
            doubts.skipped.push_back(p);
        }
    }
    for (const CalendarConflict& c : calendarConflicts(read.calendar.entries)) {
        if (c.first <= date && date <= c.last) {
            doubts.overruled.push_back(c);
        }
    }
    return doubts;
}

}  // namespace orvessa::store
