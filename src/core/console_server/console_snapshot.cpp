#include "core/console_server/console_snapshot.h"

#include "core/editing/day_checker.h"
#include "core/editing/preflight_check.h"
#include "core/scheduler/as_run.h"
#include "core/store/file_io.h"
#include "core/text/time_text.h"

namespace orvessa::console {

using Type = scheduler::BroadcastEvent::Type;

namespace {

std::optional<int> secondOf(const std::string& cell) {
    const auto t = text::TimeOfDay::read(cell);
    return t ? std::optional<int>(t->seconds()) : std::nullopt;
}

}  // namespace

AsRunDay readAsRunDay(const std::filesystem::path& directory, std::chrono::year_month_day date) {
    scheduler::as_run::Day day =
        scheduler::as_run::readDay(directory, static_cast<int>(date.year()),
                                   static_cast<int>(static_cast<unsigned>(date.month())),
                                   static_cast<int>(static_cast<unsigned>(date.day())));
    return {std::move(day.lines), std::move(day.error)};
}

std::map<int, RowRecord> rowRecords(const std::vector<std::string>& lines,
                                    const std::string& table) {
    std::map<int, RowRecord> records;
    for (const std::string& line : lines) {
        const std::optional<scheduler::BroadcastEvent> e = scheduler::as_run::parse(line);
        if (!e || (e->type != Type::Started && e->type != Type::Missing && e->type != Type::Left) ||
            e->row <= 0 || e->table != table) {
            continue;
        }
        records[e->row] = {e->type, (e->at.hour * 60 + e->at.minute) * 60 + e->at.second, e->reason,
                           e->byRow, e->path};
    }
    return records;
}

std::vector<TodayRow> todayRows(const std::vector<store::ScheduleRow>& rows,
                                const std::map<int, RowRecord>& records,
                                const system::EngineStatus& status, int now) {
    std::vector<TodayRow> out;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const store::ScheduleRow& r = rows[i];
        TodayRow t;
        t.row = static_cast<int>(i);
        t.start = r.start;
        t.stop = r.stop;
        t.label = r.label;
        t.file = r.file;
        const auto record = records.find(t.row);
        if (record != records.end()) {
            t.at = record->second.second;
        }
        if (status.playing && status.playing->row == t.row) {
            t.state = "playing";
        } else if (status.nextBell && status.nextBell->row == t.row) {
            t.state = "next";
        } else if (record != records.end()) {
            const RowRecord& rec = record->second;
            switch (rec.type) {
                case Type::Missing:
                    t.state = "missing";
                    t.reason = "missing";
                    break;
                case Type::Left:
                    t.state = "skipped";
                    t.reason = rec.reason;
                    break;
                default:
                    t.state = "played";
                    break;
            }
            if (!t.reason.empty()) {
                editing::DayProblem p;
                p.row = t.row;
                p.reason = t.reason;
                p.byRow = rec.byRow;
                p.path = rec.path;
                t.reasonText = editing::problemReasonText(p);
            }
        } else {
            const auto start = secondOf(r.start);
            t.state = start && *start < now ? "passed" : "later";
        }
        out.push_back(std::move(t));
    }
    return out;
}

int bellsPassed(const std::vector<store::ScheduleRow>& rows, int since, int now) {
    int count = 0;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const auto start = secondOf(rows[i].start);
        if (start && rows[i].hasItem() && *start > since && *start <= now) {
            ++count;
        }
    }
    return count;
}

}  // namespace orvessa::console
