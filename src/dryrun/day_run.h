#pragma once

#include <chrono>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "dryrun/day_check.h"

// What the rehearsal's command line shares with the check.
namespace orvessa::dryrun {

// "YYYY-MM-DD HH:MM:SS" of seconds as scheduler::secondsOf counts them.
std::string dateTimeText(int64_t seconds);

// A problem in the words both print, without its time: "skip row=4 reason=late by=3",
// "missing row=2 path=/srv/AUDIO/a.wav", "no-table path=/srv/zxsj1.log".
std::string problemText(const editing::DayProblem& problem);

// checkDay, ended early (throwing Interrupted) when `interrupted` is set.
DayCheck runDayCheck(const std::filesystem::path& programDirectory,
                     std::chrono::year_month_day date, const store::ScheduleTable* shownTable,
                     const std::map<std::string, int64_t>& lengths,
                     const volatile std::sig_atomic_t* interrupted);

}  // namespace orvessa::dryrun
