#include "core/store/day_plan.h"

#include "core/store/table_file.h"
#include "core/text/date_text.h"

namespace orvessa::store {

WeekRules weekRulesOf(const SystemConfig& config) {
    WeekRules rules;
    for (int w = 1; w <= 7; ++w) {
        rules.stopOnWeekday[static_cast<std::size_t>(w - 1)] = config.stopOnWeekday(w);
    }
    rules.broadcastAll = config.flagEntry(SystemConfig::kBroadcastHolidays);
    rules.forcedWeekday = config.forcedWeekday();
    return rules;
}

std::string DayPlan::tableFileName() const {
    return scheduleFileName(table);
}

DayPlan planDay(std::chrono::year_month_day date, const WeekRules& rules,
                const SchoolCalendar& calendar, const std::function<bool()>& listedHoliday) {
    DayPlan plan;
    plan.weekday = text::weekdayOf(static_cast<int>(date.year()),
                                   static_cast<int>(static_cast<unsigned>(date.month())),
                                   static_cast<int>(static_cast<unsigned>(date.day())));
    const bool forced = rules.forcedWeekday >= 1 && rules.forcedWeekday <= 7;
    plan.table = forced ? rules.forcedWeekday : plan.weekday;
    if (const CalendarEntry* entry = calendar.entryFor(date)) {
        plan.entry = *entry;
        if (entry->plan == kCalendarStop) {
            plan.stop = StopReason::Calendar;
        } else {
            plan.table = entry->plan;
        }
        return plan;
    }
    if (rules.stopOnWeekday[static_cast<std::size_t>(plan.weekday - 1)]) {
        plan.stop = StopReason::WeekdayFlag;
    } else if (!rules.broadcastAll && listedHoliday && listedHoliday()) {
        plan.stop = StopReason::HolidayList;
    }
    return plan;
}

std::string stopWord(StopReason stop) {
    switch (stop) {
        case StopReason::None:
            return "no";
        case StopReason::WeekdayFlag:
            return "weekday";
        case StopReason::HolidayList:
            return "holiday";
        case StopReason::Calendar:
            return "calendar";
    }
    return "no";
}

std::string tableName(int table) {
    static const char* const kTemplates[] = {"模板一", "模板二", "模板三", "模板四", "模板五"};
    if (table >= 1 && table <= 7) {
        return "星期" + text::weekdayCharacter(table);
    }
    if (table >= 8 && table <= 12) {
        return kTemplates[table - 8];
    }
    return {};
}

std::string calendarDayLine(const DayPlan& plan) {
    if (!plan.entry) {
        return {};
    }
    const std::string why =
        plan.entry->remark.empty() ? "" : "（" + shownRemark(plan.entry->remark) + "）";
    if (plan.stopDay()) {
        return "  ☆ 今日为校历停播日" + why;
    }
    return "  ☆ 今日按校历播出" + tableName(plan.table) + "作息表" + why;
}

std::string planDescription(const DayPlan& plan) {
    const std::string remark = plan.entry && !plan.entry->remark.empty()
                                   ? "（" + shownRemark(plan.entry->remark) + "）"
                                   : "";
    switch (plan.stop) {
        case StopReason::Calendar:
            return "校历停播" + remark;
        case StopReason::WeekdayFlag:
            return "停播（" + tableName(plan.weekday) + "停播）";
        case StopReason::HolidayList:
            return "停播（节假日表）";
        case StopReason::None:
            break;
    }
    if (plan.byCalendar()) {
        return "按校历播出" + tableName(plan.table) + "作息表" + remark;
    }
    return "播出" + tableName(plan.table) + "作息表";
}

}  // namespace orvessa::store
