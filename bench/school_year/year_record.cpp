#include "school_year/year_record.h"

#include <chrono>

#include "core/scheduler/broadcast_clock.h"
#include "dryrun/day_run.h"

namespace orvessa::school_year {

void note(YearRecord& year, const scheduler::BroadcastEvent& e) {
    using Type = scheduler::BroadcastEvent::Type;
    if (e.type != Type::Started && e.type != Type::Left) {
        return;
    }
    DayRecord& day = year[platform::dateNumber(e.at)];
    const Seconds at = scheduler::secondsOf(e.at);
    if (e.type == Type::Started) {
        day.starts.push_back({e.table, e.row, at, e.lateBy, e.lateReason});
    } else {
        day.left.push_back({e.table, e.row, at, e.reason});
    }
}

std::string wallText(Seconds at) {
    return dryrun::dateTimeText(at);
}

int dateOfSecond(Seconds at) {
    return platform::dateNumber(scheduler::localDateTimeOf(at));
}

int dateNumberOf(std::chrono::year_month_day date) {
    return dateOfSecond(
        static_cast<Seconds>(std::chrono::sys_days{date}.time_since_epoch().count()) * 86400);
}

Seconds startOfDate(int date) {
    using namespace std::chrono;
    const year_month_day d{year(date / 10000), month(static_cast<unsigned>(date / 100 % 100)),
                           day(static_cast<unsigned>(date % 100))};
    return static_cast<Seconds>(sys_days{d}.time_since_epoch().count()) * 86400;
}

}  // namespace orvessa::school_year
