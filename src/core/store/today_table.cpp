#include "core/store/today_table.h"

#include "core/store/table_file.h"

namespace orvessa::store {

int tableWeekday(int todayWeekday, const SystemConfig& config) {
    const int forced = config.forcedWeekday();
    return forced != 0 ? forced : todayWeekday;
}

std::string todayTableName(int todayWeekday, const SystemConfig& config) {
    return scheduleFileName(tableWeekday(todayWeekday, config));
}

}  // namespace orvessa::store
