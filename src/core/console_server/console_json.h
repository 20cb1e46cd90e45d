#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "core/console_server/console_snapshot.h"
#include "core/editing/day_checker.h"
#include "core/scheduler/broadcast_record.h"
#include "core/store/day_plan.h"
#include "core/store/school_calendar.h"

// The console API's JSON documents, made from the system's own values. Every text is UTF-8;
// a byte that is not becomes U+FFFD rather than failing the answer.
namespace orvessa::console {

std::string statusJson(const ConsoleSnapshot& snapshot);
// `{"since":"…","by":"…"}`, or `null` when there is no emergency.
std::string emergencyJson(const std::optional<system::EmergencyStatus>& emergency);
// What the `alert` event carries when an emergency or a notice begins or ends:
// `{"emergency": null or as above, "notice": null or the file name}`.
std::string alertJson(const system::EngineStatus& status);
std::string todayJson(const ConsoleSnapshot& snapshot);
std::string broadcastJson(const scheduler::BroadcastEvent& event);
std::string tableJson(const std::string& table);

// A day the office looks ahead at: its plan, its table's rows and what its rehearsal found.
// Rows without any cell are left out; `tableNote` says why the table has none at all.
std::string dayJson(std::chrono::year_month_day date, const store::DayPlan& plan,
                    const std::vector<store::ScheduleRow>& rows, const std::string& tableNote,
                    const editing::DayCheckResult& check);

struct CalendarYear {
    int year = 0;
    std::string version;
    bool editable = true;
    std::string uneditableReason;
    store::SchoolCalendar calendar;
    std::string readError;
    std::vector<store::DayPlan> plans;  // of each day of the year, from 1 January
};
std::string calendarJson(const CalendarYear& year);

// One as-run line as the console lists it: "08:00:00", "start", the rest.
struct AsRunLine {
    std::string time;
    std::string event;
    std::string text;
};
AsRunLine splitAsRunLine(const std::string& line);
std::string asRunJson(const std::string& date, const std::vector<std::string>& dates,
                      const std::vector<std::string>& lines);
// date,time,event,details with a header line; fields quoted as spreadsheets read them, and a
// field that starts like a formula is made plain text.
std::string asRunCsv(const std::string& date, const std::vector<std::string>& lines);

std::string errorJson(const std::string& error);

}  // namespace orvessa::console
