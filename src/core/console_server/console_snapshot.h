#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/scheduler/broadcast_record.h"
#include "core/store/day_plan.h"
#include "core/store/schedule_table.h"
#include "core/system/broadcast_engine.h"

namespace orvessa::console {

// What the day's broadcast last did with a row, as the as-run record has it.
using RowRecord = system::RowOutcome;

// A row of today's table with what became of it.
struct TodayRow {
    int row = 0;
    std::string start;  // as the cells hold them
    std::string stop;
    std::string label;
    std::string file;
    // "played", "playing", "next", "later", "skipped", "missing" or "passed" (its time went by
    // with nothing recorded: manual operation, or before the system started).
    std::string state;
    std::optional<int> at;  // the second of the day it was played, skipped or found missing
    std::string reason;     // why it was skipped
    std::string reasonText;
};

// A day's file of the as-run record in `directory`, as lines without their ends; none for a
// day without a file. `error` says why a file that is there could not be read.
struct AsRunDay {
    std::vector<std::string> lines;
    std::string error;
};
AsRunDay readAsRunDay(const std::filesystem::path& directory, std::chrono::year_month_day date);

// What the as-run lines of a day (as_run::line wrote them) say the rows of `table` did: the
// last start, missing file or row left behind of each row.
std::map<int, RowRecord> rowRecords(const std::vector<std::string>& lines,
                                    const std::string& table);

// The rows of `rows` (the table, heading first) with their states at second `now` of the day.
std::vector<TodayRow> todayRows(const std::vector<store::ScheduleRow>& rows,
                                const std::map<int, RowRecord>& records,
                                const system::EngineStatus& status, int now);

// Timed rows whose second came in (`since`, `now`]: the bells manual operation kept silent.
int bellsPassed(const std::vector<store::ScheduleRow>& rows, int since, int now);

// The running system as the console shows it, published by the interface thread at each tick
// and each event, read by the console's threads. Never changed once published.
struct ConsoleSnapshot {
    std::uint64_t serial = 0;
    system::EngineStatus status;
    std::chrono::year_month_day date{};  // of the last tick (or of start-up)
    int second = 0;                      // of the day, of the last tick
    int manualMissed = 0;
    bool calendarUnsaved = false;  // the calendar window holds edits not stored
    store::WeekRules rules;        // to plan other days exactly as the system does
    std::string table;             // of today's rows
    std::vector<TodayRow> today;
};

// Where the latest snapshot is kept: set on the interface thread, read on any.
class SnapshotBox {
public:
    void set(std::shared_ptr<const ConsoleSnapshot> snapshot) {
        const std::lock_guard lock(m_mutex);
        m_snapshot = std::move(snapshot);
    }
    std::shared_ptr<const ConsoleSnapshot> get() const {
        const std::lock_guard lock(m_mutex);
        return m_snapshot;
    }

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<const ConsoleSnapshot> m_snapshot;
};

}  // namespace orvessa::console
