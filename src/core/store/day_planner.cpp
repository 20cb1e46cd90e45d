#include "core/store/day_planner.h"

#include "core/store/holiday_list.h"
#include "core/store/table_file.h"
#include "core/text/paths.h"

namespace orvessa::store {

DayPlanner::DayPlanner(std::filesystem::path programDirectory, std::function<WeekRules()> weekRules,
                       platform::FailureRecord* failures)
    : m_programDirectory(std::move(programDirectory)),
      m_weekRules(std::move(weekRules)),
      m_failures(failures) {}

void DayPlanner::reload() {
    CalendarRead read = readCalendarFile(m_programDirectory);
    m_calendar = std::move(read.calendar);
    m_readError = std::move(read.error);
    recordProblems();
}

void DayPlanner::replace(SchoolCalendar calendar) {
    m_calendar = std::move(calendar);
    m_readError.clear();
}

void DayPlanner::recordProblems() {
    const std::string file = text::utf8Path(m_programDirectory / kCalendarFileName);
    const auto once = [this](const std::string& key, platform::Failure failure) {
        if (m_recorded.insert(key).second) {
            platform::recordFailure(m_failures, std::move(failure));
        }
    };
    if (!m_readError.empty()) {
        once("read " + m_readError, {"calendar not read", m_readError});
    }
    for (const CalendarProblem& p : m_calendar.problems) {
        const std::string detail = file + " line " + std::to_string(p.line) + ": " +
                                   faultWords(p.fault) + ": '" + p.text + "'";
        once(detail, {"calendar line skipped", detail});
    }
}

bool DayPlanner::listedHoliday(std::chrono::year_month_day date) const {
    const HolidayCheck check =
        checkHolidayFile(m_programDirectory / kHolidayFileName, static_cast<int>(date.year()),
                         static_cast<int>(static_cast<unsigned>(date.month())),
                         static_cast<int>(static_cast<unsigned>(date.day())));
    if (!check.error.empty()) {
        // Only the weekday flags count then, as without a list.
        platform::recordFailure(m_failures, {"holiday list not read", check.error});
    }
    return check.listed;
}

DayPlan DayPlanner::planFor(std::chrono::year_month_day date) const {
    return planFor(date, m_calendar);
}

DayPlan DayPlanner::planFor(std::chrono::year_month_day date,
                            const SchoolCalendar& calendar) const {
    return planDay(date, m_weekRules(), calendar, [&] { return listedHoliday(date); });
}

}  // namespace orvessa::store
