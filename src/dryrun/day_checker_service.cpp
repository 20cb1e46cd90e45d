#include "dryrun/day_checker_service.h"

#include <exception>

#include "dryrun/day_check.h"

namespace orvessa::dryrun {
namespace {

// The time of a check line, "2026-12-15 08:00:29 skip row=4 reason=late", in seconds.
int secondOfLine(const std::string& line) {
    auto digits = [&line](std::size_t at) {
        if (at + 1 >= line.size() || line[at] < '0' || line[at] > '9' || line[at + 1] < '0' ||
            line[at + 1] > '9') {
            return 0;
        }
        return (line[at] - '0') * 10 + (line[at + 1] - '0');
    };
    return digits(11) * 3600 + digits(14) * 60 + digits(17);
}

}  // namespace

DayCheckerService::DayCheckerService(std::filesystem::path programDirectory,
                                     std::map<std::string, int64_t> lengths)
    : m_programDirectory(std::move(programDirectory)), m_lengths(std::move(lengths)) {}

platform::DayCheckResult DayCheckerService::check(std::chrono::year_month_day date,
                                                  const store::ScheduleTable* shown) {
    platform::DayCheckResult result;
    try {
        const DayCheck day = checkDay(m_programDirectory, date, shown, m_lengths);
        result.tableFileName = day.tableFileName;
        result.stopDay = day.stopDay;
        for (const Problem& p : day.problems) {
            result.problems.push_back({p.row, p.reason, p.byRow, p.path, secondOfLine(p.line)});
        }
        for (const TimelineBar& b : day.bars) {
            result.bars.push_back({b.row, b.startSecond, b.endSecond, b.leftBehind, b.noTime});
        }
    } catch (const std::exception& e) {
        // Bad input, and the file system failing under the copy the day runs on.
        result = {};
        result.error = e.what();
    }
    return result;
}

std::optional<std::chrono::year_month_day> DayCheckerService::nextDayOf(
    const std::string& tableFileName, std::chrono::year_month_day from) {
    try {
        return nextDayOfTable(m_programDirectory, tableFileName, from);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace orvessa::dryrun
