#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/editing/day_checker.h"

namespace orvessa::fakes {

// A day checker that answers from what the test scripted per date, and records what it was
// asked: the dates, and the table it was shown each time.
class FakeDayChecker : public editing::DayChecker {
public:
    // What check() answers for a date; an unscripted date has no problems and no bars.
    std::map<std::chrono::year_month_day, editing::DayCheckResult> results;
    // What nextDayOf() answers, whatever it is asked.
    std::optional<std::chrono::year_month_day> nextDay;

    std::vector<std::chrono::year_month_day> checkedDates;
    std::vector<store::ScheduleTable> shownTables;  // an empty one where none was shown
    std::vector<bool> tableShown;                   // false: the date's table from its file
    std::vector<std::pair<std::string, std::chrono::year_month_day>> nextDayQuestions;

    editing::DayCheckResult check(std::chrono::year_month_day date,
                                  const store::ScheduleTable* shown) override {
        checkedDates.push_back(date);
        shownTables.push_back(shown != nullptr ? *shown : store::ScheduleTable());
        tableShown.push_back(shown != nullptr);
        const auto it = results.find(date);
        return it != results.end() ? it->second : editing::DayCheckResult{};
    }

    std::optional<std::chrono::year_month_day> nextDayOf(
        const std::string& tableFileName, std::chrono::year_month_day from) override {
        nextDayQuestions.emplace_back(tableFileName, from);
        return nextDay;
    }
};

}  // namespace orvessa::fakes
