#include "dryrun/day_checker_service.h"

#include <exception>
#include <utility>

#include "dryrun/day_check.h"

namespace orvessa::dryrun {

DayCheckerService::DayCheckerService(std::filesystem::path programDirectory,
                                     std::map<std::string, int64_t> lengths)
    : m_programDirectory(std::move(programDirectory)), m_lengths(std::move(lengths)) {}

editing::DayCheckResult DayCheckerService::check(std::chrono::year_month_day date,
                                                 const store::ScheduleTable* shown) {
    editing::DayCheckResult result;
    try {
        DayCheck day = checkDay(m_programDirectory, date, shown, m_lengths);
        result.tableFileName = std::move(day.tableFileName);
        result.stopDay = day.stopDay;
        result.plan = std::move(day.plan);
        result.calendar = std::move(day.calendar);
        result.problems = std::move(day.problems);
        result.bars = std::move(day.bars);
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
