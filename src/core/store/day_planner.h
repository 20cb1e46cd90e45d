#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "core/platform/failure_record.h"
#include "core/store/day_plan.h"
#include "core/store/school_calendar.h"

namespace orvessa::store {

// Keeps the school calendar of the program directory and plans days with it, the holiday list
// and the week's rules: every part of the system that asks what a day is for asks here.
class DayPlanner {
public:
    // `weekRules` gives the rules as they stand when a day is planned (the holiday panel's
    // boxes while the system runs); `failures` may be null.
    DayPlanner(std::filesystem::path programDirectory, std::function<WeekRules()> weekRules,
               platform::FailureRecord* failures);

    // Reads calendar.txt again. A line that cannot be used, or a file that cannot be read, is
    // recorded the first time it is met; it never stops anything.
    void reload();
    // The calendar as the window stored it; no file is read.
    void replace(SchoolCalendar calendar);
    const SchoolCalendar& calendar() const { return m_calendar; }
    // Why calendar.txt could not be read the last time; empty when it was or is missing.
    const std::string& readError() const { return m_readError; }

    DayPlan planFor(std::chrono::year_month_day date) const;
    // The week's rules as they stand now.
    WeekRules weekRules() const { return m_weekRules(); }
    // The same with another calendar (one being edited) in place of the stored one.
    DayPlan planFor(std::chrono::year_month_day date, const SchoolCalendar& calendar) const;

private:
    bool listedHoliday(std::chrono::year_month_day date) const;
    void recordProblems();

    std::filesystem::path m_programDirectory;
    std::function<WeekRules()> m_weekRules;
    platform::FailureRecord* m_failures;
    SchoolCalendar m_calendar;
    std::string m_readError;
    std::set<std::string> m_recorded;  // problems already in the record
};

}  // namespace orvessa::store
