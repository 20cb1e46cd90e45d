#include "dryrun/day_check.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <utility>

#include "core/scheduler/broadcast_clock.h"
#include "core/store/day_plan.h"
#include "core/store/file_io.h"
#include "core/store/holiday_list.h"
#include "core/store/system_config.h"
#include "core/store/table_file.h"
#include "core/text/date_text.h"
#include "core/text/gbk.h"
#include "core/text/time_text.h"
#include "dryrun/day_run.h"
#include "dryrun/simulated_day.h"
#include "dryrun/zone_steps.h"

namespace orvessa::dryrun {

namespace {

namespace fs = std::filesystem;
using scheduler::BroadcastEvent;

constexpr int kDay = 86400;

// Seconds from 00:00:00 of a time cell that a clock text can equal; none for any other text.
std::optional<int> cellSecond(const std::string& cell) {
    // The same test as the editor's Save, so that a saved table has no cell reported here.
    if (!text::isClockTime(cell)) {
        return std::nullopt;
    }
    const std::string t = text::normaliseTime(cell);
    const auto two = [&t](std::size_t at) { return (t[at] - '0') * 10 + (t[at + 1] - '0'); };
    return two(0) * 3600 + two(3) * 60 + two(6);
}

int64_t midnightOf(std::chrono::year_month_day date) {
    return scheduler::secondsOf({static_cast<int>(date.year()),
                                 static_cast<int>(unsigned(date.month())),
                                 static_cast<int>(unsigned(date.day())), 0, 0, 0, 0});
}

// The rows timed in an hour summer time skips or repeats: one left behind in a skipped hour
// was left for it, not for being late; one in a repeated hour rings the first time only.
void nameZoneHours(const std::map<int64_t, int64_t>& steps, const store::ScheduleTable& table,
                   std::vector<editing::DayProblem>& problems) {
    for (const auto& [at, by] : steps) {
        const int from = static_cast<int>(((by > 0 ? at : at + by) % kDay + kDay) % kDay);
        const int until = from + static_cast<int>(by > 0 ? by : -by);
        const char* reason = by > 0 ? "skipped-hour" : "repeated-hour";
        for (int row = 1; row < table.rowCount(); ++row) {
            const std::string start = table.cell(store::ScheduleRow::kStartTime, row);
            const std::optional<int> second = cellSecond(
                text::trimText(start).empty() ? table.cell(store::ScheduleRow::kStopTime, row)
                                              : start);
            if (!second || *second < from || *second >= until ||
                text::trimText(table.cell(store::ScheduleRow::kFile, row)).empty()) {
                continue;
            }
            const auto named = std::find_if(problems.begin(), problems.end(),
                                            [row](const auto& p) { return p.row == row; });
            if (named == problems.end()) {
                problems.push_back(
                    {row, reason, 0, table.cell(store::ScheduleRow::kFile, row), *second});
            } else if (named->reason == scheduler::left_reason::kLate) {
                named->reason = reason;
            }
        }
    }
    std::stable_sort(problems.begin(), problems.end(),
                     [](const auto& a, const auto& b) { return a.second < b.second; });
}

}  // namespace

std::string dateTimeText(int64_t seconds) {
    const platform::LocalDateTime t = scheduler::localDateTimeOf(seconds);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return buffer;
}

std::string problemText(const editing::DayProblem& problem) {
    const std::string row = "row=" + std::to_string(problem.row);
    if (problem.reason == "no-table") {
        return "no-table path=" + problem.path;
    }
    if (problem.reason == "missing") {
        return "missing " + row + " path=" + problem.path;
    }
    std::string text = "skip " + row + " reason=" + problem.reason;
    if (problem.byRow > 0) {
        text += " by=" + std::to_string(problem.byRow);
    }
    return text;
}

std::string problemLine(std::chrono::year_month_day date, const editing::DayProblem& problem) {
    return dateTimeText(midnightOf(date) + problem.second) + " " + problemText(problem);
}

std::vector<std::string> calendarLines(std::chrono::year_month_day date,
                                       const store::CalendarDoubts& doubts) {
    const std::string at = dateTimeText(midnightOf(date)) + " ";
    std::vector<std::string> lines;
    if (!doubts.readError.empty()) {
        lines.push_back(at + "calendar-unread error=" + text::oneLine(doubts.readError));
    }
    for (const store::CalendarProblem& p : doubts.skipped) {
        lines.push_back(at + "calendar-skip line=" + std::to_string(p.line) +
                        " reason=" + store::faultKey(p.fault) + " text=" + text::oneLine(p.text));
    }
    for (const store::CalendarConflict& c : doubts.overruled) {
        lines.push_back(at + "calendar-conflict line=" + std::to_string(c.loser.line) + " plan=" +
                        std::to_string(c.loser.plan) + " by=" + std::to_string(c.winner.line) +
                        " by-plan=" + std::to_string(c.winner.plan));
    }
    return lines;
}

DayCheck runDayCheck(const fs::path& programDirectory, std::chrono::year_month_day date,
                     const store::ScheduleTable* shownTable,
                     const std::map<std::string, int64_t>& lengths,
                     const volatile std::sig_atomic_t* interrupted) {
    if (!date.ok()) {
        throw BadInput("no such date");
    }
    DaySettings settings;
    settings.directory = programDirectory;
    settings.start = midnightOf(date);
    settings.end = settings.start + kDay - 1;
    settings.lengths = lengths;
    settings.firstSecondTicks = true;
    settings.firstPassOnly = true;
    settings.table = shownTable;
    settings.interrupted = interrupted;
    // The day as the wall clock of this zone runs it: summer time skips or repeats an hour.
    settings.jumps = zoneSteps(settings.start, settings.end);
    SimulatedDay day(settings);

    DayCheck check;
    std::map<int, editing::DayBar> bars;
    std::set<int> running;
    day.run([&](const DayLine& line) {
        if (!line.event) {
            return;
        }
        const BroadcastEvent& e = *line.event;
        const int second = static_cast<int>(line.at - settings.start);
        switch (e.type) {
            case BroadcastEvent::Type::Started:
                bars.try_emplace(e.row, editing::DayBar{e.row, second, second, false});
                running.insert(e.row);
                return;
            case BroadcastEvent::Type::Stopped:
                if (const auto it = bars.find(e.row); it != bars.end()) {
                    it->second.endSecond = second;
                }
                running.erase(e.row);
                return;
            case BroadcastEvent::Type::Missing:
            case BroadcastEvent::Type::Left:
                break;
            case BroadcastEvent::Type::Day:
            case BroadcastEvent::Type::Clock:
            case BroadcastEvent::Type::Console:
            case BroadcastEvent::Type::Emergency:
            case BroadcastEvent::Type::Announcement:
                return;
        }
        const bool missing = e.type == BroadcastEvent::Type::Missing;
        check.problems.push_back({e.row, missing ? "missing" : e.reason, e.byRow, e.path, second});
        const store::ScheduleTable& table = day.table();
        const std::string startCell = table.cell(store::ScheduleRow::kStartTime, e.row);
        const std::optional<int> readStart = cellSecond(startCell);
        const int start = readStart.value_or(second);
        const std::optional<int> stop =
            cellSecond(table.cell(store::ScheduleRow::kStopTime, e.row));
        const bool noTime = !missing && e.reason == scheduler::left_reason::kBadTime &&
                            e.byRow == 0 && !readStart && !text::trimText(startCell).empty();
        bars.insert_or_assign(
            e.row,
            editing::DayBar{e.row, start, stop && *stop > start ? *stop : start, true, noTime});
    });
    for (const int row : running) {
        bars[row].endSecond = kDay;
    }
    check.tableFileName = day.tableFileName();
    check.stopDay = day.stopDay();
    check.plan = day.plan();
    check.calendar = store::doubtsAbout(store::readCalendarFile(programDirectory), date);
    if (const std::string& table = day.missingTable(); !table.empty()) {
        // Before whatever the empty table did: nothing of the day can ring.
        check.problems.insert(check.problems.begin(), {0, "no-table", 0, table, 0});
    }
    for (auto& [row, bar] : bars) {
        check.bars.push_back(bar);
    }
    nameZoneHours(settings.jumps, day.table(), check.problems);
    return check;
}

DayCheck checkDay(const fs::path& programDirectory, std::chrono::year_month_day date,
                  const store::ScheduleTable* shownTable,
                  const std::map<std::string, int64_t>& lengths) {
    return runDayCheck(programDirectory, date, shownTable, lengths, nullptr);
}

std::optional<std::chrono::year_month_day> nextDayOfTable(const fs::path& programDirectory,
                                                          std::string_view tableFileName,
                                                          std::chrono::year_month_day from) {
    using namespace std::chrono;
    store::SystemConfig config(programDirectory);
    if (config.load() != store::SystemConfig::LoadStatus::Loaded) {
        throw BadInput("cannot read " + config.filePath().string());
    }
    const store::ReadResult holidays =
        store::readWholeFile(programDirectory / store::kHolidayFileName);
    const store::SchoolCalendar calendar = store::readCalendarFile(programDirectory).calendar;
    const store::WeekRules rules = store::weekRulesOf(config);
    // A year and a day meets every weekday under every holiday the list can name.
    for (int i = 0; i <= 366; ++i) {
        const year_month_day d{sys_days{from} + days{i}};
        const store::DayPlan plan = store::planDay(d, rules, calendar, [&] {
            return holidays.status == store::ReadStatus::Ok &&
                   store::isListedHoliday(holidays.bytes, static_cast<int>(d.year()),
                                          static_cast<int>(unsigned(d.month())),
                                          static_cast<int>(unsigned(d.day())));
        });
        if (!plan.stopDay() && plan.tableFileName() == tableFileName) {
            return d;
        }
    }
    return std::nullopt;
}

}  // namespace orvessa::dryrun
