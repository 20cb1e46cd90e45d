#pragma once

#include <string>

namespace orvessa::text {

// Weekdays are numbered 1 (Monday) to 7 (Sunday).
int weekdayOf(int year, int month, int day);

// Character W of "一二三四五六日" as UTF-8, or empty outside 1..7.
std::string weekdayCharacter(int weekday);

// "yyyy-mm-dd".
std::string formatDate(int year, int month, int day);

}  // namespace orvessa::text
