#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "core/editing/day_checker.h"

namespace orvessa::dryrun {

// The program's pre-flight check on top of checkDay: the day is rehearsed on copies of the
// program directory's files, and failures come back as text instead of exceptions.
class DayCheckerService : public editing::DayChecker {
public:
    // `lengths` overrides media lengths in milliseconds by file name; other files are measured.
    explicit DayCheckerService(std::filesystem::path programDirectory,
                               std::map<std::string, int64_t> lengths = {});

    editing::DayCheckResult check(std::chrono::year_month_day date,
                                  const store::ScheduleTable* shown) override;
    std::optional<std::chrono::year_month_day> nextDayOf(const std::string& tableFileName,
                                                         std::chrono::year_month_day from) override;

private:
    std::filesystem::path m_programDirectory;
    std::map<std::string, int64_t> m_lengths;
};

}  // namespace orvessa::dryrun
