#pragma once

#include <map>
#include <string>
#include <vector>

#include "school_year/school.h"
#include "school_year/year_record.h"
#include "school_year/year_run.h"

// The year's verdict: the faulted year against the rehearsed one, bell by bell.
namespace orvessa::school_year {

struct Verdict {
    int days = 0;
    int bells = 0;                          // timed rows the reference rings on their second
    int onSecond = 0;                       // of those, rung on their second in the faulted year
    std::map<std::string, int> exceptions;  // not on their second, by the fault that covered it
    int twice = 0;                          // starts of a row that plays once, beyond its first
    int filesLost = 0;  // checks that found a file older than its last completed save
    int untold = 0;     // as-run lines not in the record's files, or cut
    int differenceCount = 0;
    // The first few, as "2026-11-03 10:12:40: expected …, got …".
    std::vector<std::string> differences;

    int exceptionCount() const;
    void add(const Verdict& other);
};

// The bells of a rehearsed day: the timed rows it started on their second, once each.
std::vector<Start> bellsOf(const DayRecord& day, const Tables& tables);

Verdict judge(const YearRecord& reference, const RunResult& run, const Tables& tables);

// The reference against the days written out by hand: one line per difference.
std::vector<std::string> checkExpectedDays(const YearRecord& reference, const Tables& tables);

}  // namespace orvessa::school_year
