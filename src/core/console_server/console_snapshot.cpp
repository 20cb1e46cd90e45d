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

namespace {

// The value of "key=" among the blank-separated fields of `line` before its path; empty if none.
std::string field(const std::string& line, const std::string& key) {
    const std::string mark = " " + key + "=";
    const std::size_t at = line.find(mark);
    const std::size_t path = line.find(" path=");
    if (at == std::string::npos || (path != std::string::npos && at > path && key != "path")) {
        return {};
    }
    const std::size_t from = at + mark.size();
    if (key == "path") {
        return line.substr(from);
    }
    const std::size_t end = line.find(' ', from);
    return line.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

int number(const std::string& text) {
    int n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9' || n > 100000) {
            return 0;
        }
        n = n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

AsRunDay readAsRunDay(const std::filesystem::path& directory, std::chrono::year_month_day date) {
    AsRunDay day;
    const store::ReadResult file =
        store::readWholeFile(directory / scheduler::as_run::fileName(
                                             static_cast<int>(date.year()),
                                             static_cast<int>(static_cast<unsigned>(date.month())),
                                             static_cast<int>(static_cast<unsigned>(date.day()))));
    if (file.status == store::ReadStatus::Failed) {
        day.error = file.error;
        return day;
    }
    std::size_t at = 0;
    while (at < file.bytes.size()) {
        std::size_t end = file.bytes.find('\n', at);
        if (end == std::string::npos) {
            end = file.bytes.size();
        }
        std::string line = file.bytes.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            day.lines.push_back(std::move(line));
        }
        at = end + 1;
    }
    return day;
}

std::map<int, RowRecord> rowRecords(const std::vector<std::string>& lines,
                                    const std::string& table) {
    std::map<int, RowRecord> records;
    for (const std::string& line : lines) {
        // "2026-12-14 08:00:00 start table=…": the second, then the event's word.
        if (line.size() < 21 || line[10] != ' ' || line[19] != ' ') {
            continue;
        }
        const auto second = text::TimeOfDay::read(line.substr(11, 8));
        const std::size_t blank = line.find(' ', 20);
        const std::string word =
            line.substr(20, blank == std::string::npos ? std::string::npos : blank - 20);
        Type type;
        if (word == "start") {
            type = Type::Started;
        } else if (word == "missing") {
            type = Type::Missing;
        } else if (word == "left") {
            type = Type::Left;
        } else {
            continue;
        }
        const int row = number(field(line, "row"));
        if (!second || row <= 0 || field(line, "table") != table) {
            continue;
        }
        records[row] = {type, second->seconds(), type == Type::Left ? field(line, "reason") : "",
                        number(field(line, "by")), field(line, "path")};
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
