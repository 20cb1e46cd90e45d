#include "core/store/holiday_list.h"

#include <chrono>
#include <string>

#include "core/store/file_io.h"
#include "core/store/table_file.h"
#include "core/text/gbk.h"
#include "core/text/numbers.h"
#include "core/text/time_text.h"

namespace orvessa::store {
namespace {

// The text before `separator`, leaving the rest in `line`; empty, with `line` kept whole, when
// the separator does not occur.
std::string_view takeField(std::string_view& line, char separator) {
    const std::size_t at = line.find(separator);
    if (at == std::string_view::npos) {
        return {};
    }
    const std::string_view field = line.substr(0, at);
    line.remove_prefix(at + 1);
    return field;
}

bool isDate(int year, int month, int day) {
    using namespace std::chrono;
    // A day beyond 255 would wrap inside std::chrono::day.
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 &&
           year_month_day{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                          std::chrono::day(static_cast<unsigned>(day))}
               .ok();
}

template <typename Lines>
bool listed(const Lines& lines, int year, int month, int day) {
    const int today = month * 100 + day;
    for (const auto& gbkLine : lines) {
        const std::string utf8 = text::gbkToUtf8(gbkLine);
        std::string_view line = utf8;
        const std::size_t comma = line.find(',');
        if (comma != std::string_view::npos) {
            line.remove_prefix(comma + 1);
        }
        const std::string rest = text::trimText(line);
        if (rest.find_first_not_of(',') == std::string::npos) {
            return false;  // the list ends here
        }
        const int startMonth = text::toIntOr(takeField(line, '-'), 1);
        const int startDay = text::toIntOr(takeField(line, ','), 1);
        const int endMonth = text::toIntOr(takeField(line, '-'), 0);
        const int endDay = text::toIntOr(takeField(line, ','), 0);
        if (!isDate(year, startMonth, startDay)) {
            continue;
        }
        const int start = startMonth * 100 + startDay;
        if (endMonth <= 0) {
            if (today == start) {
                return true;
            }
            continue;
        }
        if (!isDate(year, endMonth, endDay)) {
            continue;
        }
        const int end = endMonth * 100 + endDay;
        const bool listed =
            start <= end ? (start <= today && today <= end) : (today >= start || today <= end);
        if (listed) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool isMonthDay(std::string_view text) {
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) {
        return false;
    }
    const std::string_view month = text.substr(0, dash);
    const std::string_view day = text.substr(dash + 1);
    const auto digits = [](std::string_view s) {
        return !s.empty() && s.size() <= 2 && s.find_first_not_of("0123456789") == s.npos;
    };
    // 2000 is a leap year: every day that some year has.
    return digits(month) && digits(day) &&
           isDate(2000, text::toIntOr(month, 0), text::toIntOr(day, 0));
}

bool isListedHoliday(std::string_view holidayFileContent, int year, int month, int day) {
    return listed(splitLines(holidayFileContent), year, month, day);
}

HolidayCheck checkHolidayFile(const std::filesystem::path& file, int year, int month, int day) {
    // The list is edited as a table, so a load's rows are all that can hold a holiday.
    const LinesResult read = readLines(
        file, {kMaxLoadedRows, kMaxTableLineBytes, kMaxLoadedRows * (kMaxTableLineBytes + 2)});
    HolidayCheck check;
    check.error = read.error;
    check.listed = read.status == ReadStatus::Ok && listed(read.lines, year, month, day);
    return check;
}

}  // namespace orvessa::store
