#pragma once

#include <array>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "school_year/fault_plan.h"
#include "school_year/school.h"
#include "school_year/year_record.h"

// The year broadcast by the real system on the simulated platform, faults and all: each start of
// the process builds the system anew from the program directory's files, as the program's
// start-up does, and a kill throws away everything that was not on the disk.
namespace orvessa::school_year {

// A span of wall seconds a fault covered, [from, to], and the fault's word.
struct Window {
    std::string cause;
    Seconds from = 0;
    Seconds to = 0;
};

// Defects planted to show that the verdict catches them; none in a real run.
struct Plant {
    // After the clock is set back, the clock forgets what it rang today: the rows of the relived
    // minutes ring again.
    bool ringTwiceAfterStepBack = false;
    // The saves made just before a power cut skip the file sync.
    bool unsyncedSave = false;
};

struct RunSettings {
    std::filesystem::path directory;    // the program directory, written by writeSchool
    std::filesystem::path asRunFolder;  // where the as-run record goes
    std::filesystem::path scratch;      // for the siren
    Zone zone;
    std::vector<Fault> faults;
    Plant plant;
    std::chrono::year_month_day first = kFirstDay;
    std::chrono::year_month_day last = kLastDay;
};

struct RunResult {
    YearRecord year;
    std::vector<Window> windows;
    std::array<int, kFaultKinds> injected{};
    int fileChecks = 0;
    // "2026-11-03 10:12:40: calendar.txt is an older version than its last completed save".
    std::vector<std::string> filesLost;
    // Lines of the as-run record that are not in its file, or in it only in part.
    std::vector<std::string> untold;
    int untoldCount = 0;
    int starts = 0;                     // process starts, the first included
    std::vector<std::string> problems;  // anything else that went wrong: a quit, a power-off
};

RunResult runYear(const RunSettings& settings);

// The same days rehearsed without faults, one rehearsal per date from 00:00:00, with the zone's
// steps: the reference.
YearRecord rehearseYear(const std::filesystem::path& directory, const Zone& zone,
                        std::chrono::year_month_day first = kFirstDay,
                        std::chrono::year_month_day last = kLastDay);

}  // namespace orvessa::school_year
