#pragma once

#include <string>

#include "core/store/system_config.h"

namespace orvessa::store {

// The weekday whose table is today's: the forced weekday of entry 8 when it is 1..7, otherwise
// `todayWeekday` (1 Monday .. 7 Sunday).
int tableWeekday(int todayWeekday, const SystemConfig& config);

// "zxsj" + tableWeekday + ".log".
std::string todayTableName(int todayWeekday, const SystemConfig& config);

}  // namespace orvessa::store
