#include "core/text/date_text.h"

#include <chrono>
#include <cstdio>

namespace orvessa::text {

int weekdayOf(int year, int month, int day) {
    using namespace std::chrono;
    const year_month_day date{std::chrono::year(year),
                              std::chrono::month(static_cast<unsigned>(month)),
                              std::chrono::day(static_cast<unsigned>(day))};
    // iso_encoding: Monday 1 .. Sunday 7, which is the system's numbering.
    return static_cast<int>(weekday(sys_days(date)).iso_encoding());
}

std::string weekdayCharacter(int weekday) {
    static const char* const kCharacters[] = {"一", "二", "三", "四", "五", "六", "日"};
    if (weekday < 1 || weekday > 7) {
        return {};
    }
    return kCharacters[weekday - 1];
}

std::string formatDate(int year, int month, int day) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", year, month, day);
    return buffer;
}

}  // namespace orvessa::text
