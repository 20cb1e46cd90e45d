#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "core/store/school_calendar.h"
#include "core/store/system_config.h"

namespace orvessa::store {

// The rules of an ordinary week: what the holiday panel and the forced weekday say.
struct WeekRules {
    std::array<bool, 7> stopOnWeekday{};  // Monday .. Sunday
    bool broadcastAll = false;            // the holiday list does not count
    int forcedWeekday = 0;                // 1..7 plays that weekday's table every day; 0 none
};

// The rules as the configuration stores them.
WeekRules weekRulesOf(const SystemConfig& config);

// What a day is for.
enum class StopReason {
    None,         // a broadcast day
    WeekdayFlag,  // its weekday's stop flag
    HolidayList,  // a listed holiday
    Calendar,     // a dated stop in the school calendar
};

struct DayPlan {
    int weekday = 1;  // the date's own, Monday 1 .. Sunday 7
    // The table the day broadcasts, 1..12; on a stop day the one the grid shows.
    int table = 1;
    StopReason stop = StopReason::None;
    // The calendar entry that decided the day, when one did.
    std::optional<CalendarEntry> entry;

    bool stopDay() const { return stop != StopReason::None; }
    bool operator==(const DayPlan&) const = default;
    bool byCalendar() const { return entry.has_value(); }
    std::string tableFileName() const;
};

// The day's plan, most specific first: a calendar entry covering the date decides alone;
// otherwise the forced weekday chooses the table, and the weekday's stop flag, then the holiday
// list (unless everything is broadcast), make it a stop day. `listedHoliday` is asked only when
// the list can decide, so a list is read only when it counts.
DayPlan planDay(std::chrono::year_month_day date, const WeekRules& rules,
                const SchoolCalendar& calendar, const std::function<bool()>& listedHoliday);

// "no", "weekday", "holiday" or "calendar", as records write a stop reason.
std::string stopWord(StopReason stop);

// "星期五" for table 5, "模板一" for table 8.
std::string tableName(int table);
// The status line at the start of a day the calendar decided: "  ☆ 今日按校历播出星期五作息表
// （调休：按星期五上课）" or "  ☆ 今日为校历停播日（春节）"; empty for any other day.
std::string calendarDayLine(const DayPlan& plan);

// What a day's plan is, in a phrase: "校历停播（春节）", "停播（星期六停播）", "停播（节假日表）",
// "按校历播出星期五作息表（调休）" or "播出星期五作息表".
std::string planDescription(const DayPlan& plan);

}  // namespace orvessa::store
