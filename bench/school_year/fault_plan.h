#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "school_year/school.h"

// The faults of a year, drawn from a seed: what happens, at which wall second, how much.
namespace orvessa::school_year {

enum class FaultKind {
    Stall,         // the user-interface thread is busy: `amount` milliseconds, 500..5000
    Step,          // the wall clock is set by `amount` seconds: ±3, ±45 or ±600
    Kill,          // the process is killed and started again `amount` seconds later
    KillMidSave,   // killed while saving file `variant` (SaveKind), at death point `point`
    PowerCut,      // a save completes (`variant`), then the power goes for `amount` seconds
    Media,         // a medium is damaged (`variant` 0), removed (1) or replaced (2)
    AsRunFull,     // the as-run folder takes no more for `amount` seconds
    Emergency,     // an emergency of `amount` seconds
    Announcement,  // notice number `variant` is played
    Manual,        // the operator leaves manual operation on for `amount` seconds
};
inline constexpr std::size_t kFaultKinds = 10;

// "stall", "clock-step", ...: the words the benchmark prints.
const char* faultWord(FaultKind kind);

enum class SaveKind { Table, Calendar, Configuration, EmergencyState };
inline constexpr int kSaveKinds = 4;

// Where a killed save stops: in the temporary file before its sync, after the rename before the
// folder's sync, or after the save has completed.
enum class DeathPoint { BeforeRename, BeforeFolderSync, AfterSave };
inline constexpr int kDeathPoints = 3;

struct Fault {
    FaultKind kind = FaultKind::Stall;
    Seconds at = 0;  // the wall second it comes at
    int64_t amount = 0;
    int variant = 0;
    int point = 0;
    uint32_t salt = 0;  // for the choices made when it comes (which file, which version)
};

// How many of each kind a year gets, in FaultKind's order.
using FaultCounts = std::array<int, kFaultKinds>;
FaultCounts defaultCounts();

// Faults for the dates from kFirstDay to `last`, sorted by time, each at a second between 06:20
// and 21:10 and at least twelve minutes clear of the others' reach, so that each one's effect
// is its own. Manual operation only comes on `broadcastDays` (date numbers), since on a stop day
// returning to automatic operation broadcasts the day.
std::vector<Fault> drawFaults(uint32_t seed, const FaultCounts& counts,
                              const std::set<int>& broadcastDays,
                              std::chrono::year_month_day last = kLastDay);

}  // namespace orvessa::school_year
