#include "core/store/school_calendar.h"

#include <algorithm>
#include <cstdio>

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

}  // namespace

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
    const CalendarEntry* best = nullptr;
    long bestDays = 0;
    for (const CalendarEntry& e : entries) {
        if (!e.covers(date)) {
            continue;
        }
        const long days = (sys_days{e.last} - sys_days{e.first}).count();
        if (best == nullptr || days <= bestDays) {
            best = &e;
            bestDays = days;
        }
    }
    return best;
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
            calendar.problems.push_back({number, fault,
                                         text::firstCharacters(utf8, kShownCharacters),
                                         std::string(gbkLine)});
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
        calendar.entries.push_back({*first, *last, plan, text::trimText(line)});
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

WriteResult writeCalendarFile(const std::filesystem::path& programDirectory,
                              const std::vector<CalendarEntry>& entries,
                              const std::vector<CalendarProblem>& unread) {
    return writeFileAtomically(programDirectory / kCalendarFileName,
                               formatCalendar(entries, unread));
}

}  // namespace orvessa::store
