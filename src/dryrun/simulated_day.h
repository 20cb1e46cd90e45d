#pragma once

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "core/scheduler/broadcast_record.h"
#include "core/store/schedule_table.h"
#include "dryrun/day_check.h"

// The day of a program directory run by the core on a simulated clock, for the rehearsal and
// the check. Nothing outside a temporary directory of its own is written.
namespace orvessa::dryrun {

// A signal (SIGINT, SIGTERM) asked the run to end.
struct Interrupted {
    int signal;
};

struct DaySettings {
    std::filesystem::path directory;
    int64_t start = 0;                       // seconds, as scheduler::secondsOf counts them
    int64_t end = 0;                         // the last second ticked
    std::map<std::string, int64_t> lengths;  // milliseconds by file name
    // The clock ticks at `start` itself, so that a row at that very second rings.
    bool firstSecondTicks = false;
    // The run ends when the table first runs out; what the clock has not reached by `end` is
    // then left behind, as at the end of the day.
    bool firstPassOnly = false;
    // Broadcast instead of the day's own table.
    const store::ScheduleTable* table = nullptr;
    // The time of day jumps at these seconds by so many seconds (forward or back), as a PC's
    // clock set by hand or by a correction would, while the steady time goes on.
    std::map<int64_t, int64_t> jumps;
    // Drills: an emergency starts at each of these seconds and lasts so many seconds; a notice
    // (a file name of the notices folder) is played at each of those. Each happens once, when
    // the clock first reaches its second.
    std::map<int64_t, int64_t> emergencies;
    std::map<int64_t, std::string> announcements;
    // Set (to the signal's number) from a signal handler to end the run.
    const volatile std::sig_atomic_t* interrupted = nullptr;
};

// One event of the run, in the words the rehearsal prints ("skip row=4 reason=late").
struct DayLine {
    int64_t at = 0;  // seconds, as scheduler::secondsOf counts them
    std::string text;
    // For the events of a row; none for the run's own lines (start, end-of-table, ...).
    std::optional<scheduler::BroadcastEvent> event;
};

class SimulatedDay {
public:
    explicit SimulatedDay(DaySettings settings);
    ~SimulatedDay();
    SimulatedDay(const SimulatedDay&) = delete;
    SimulatedDay& operator=(const SimulatedDay&) = delete;

    // Runs the day, handing each line to `sink` as its second ends. Throws BadInput for what
    // cannot be run and Interrupted when a signal ends the run; what `sink` throws passes.
    void run(const std::function<void(const DayLine&)>& sink);

    // After run(): the table the day used, and whether the day was a stop day.
    const std::string& tableFileName() const;
    bool stopDay() const;
    // What decided the first day: the calendar, or the week's rules.
    const store::DayPlan& plan() const;
    // After run(): the day's table as it was looked for, when it does not exist; else empty.
    const std::string& missingTable() const;
    // The table in the grid; while `sink` runs, the table of the line's row.
    const store::ScheduleTable& table() const;

private:
    class Run;
    std::unique_ptr<Run> m_run;
};

}  // namespace orvessa::dryrun
