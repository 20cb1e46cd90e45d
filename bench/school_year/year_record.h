#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "core/scheduler/broadcast_record.h"
#include "school_year/school.h"

// What a year broadcast: the starts and the rows left behind, by date.
namespace orvessa::school_year {

struct Start {
    std::string table;
    int row = 0;
    Seconds at = 0;  // the second of the tick that started it
    int lateBy = 0;
    std::string lateReason;
};

struct Left {
    std::string table;
    int row = 0;
    Seconds at = 0;
    std::string reason;
};

struct DayRecord {
    std::vector<Start> starts;
    std::vector<Left> left;
    // What the rehearsal said of the day: its table, and whether it was a stop day.
    std::string table;
    bool stopDay = false;
};

// By date number (20270220).
using YearRecord = std::map<int, DayRecord>;

// Adds a start or a row left behind; other events say nothing of the bells.
void note(YearRecord& year, const scheduler::BroadcastEvent& event);

// "2027-02-20 08:00:00".
std::string wallText(Seconds at);
int dateOfSecond(Seconds at);
// 20270220 for 2027-02-20.
int dateNumberOf(std::chrono::year_month_day date);
Seconds startOfDate(int date);

}  // namespace orvessa::school_year
