#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

// The school whose year the benchmark broadcasts: its program directory, written as an operator
// would leave it, its zones, and what ten of its days must do.
namespace orvessa::school_year {

// Seconds as scheduler::secondsOf counts them: local time, as if the day had no zone.
using Seconds = int64_t;

inline constexpr std::chrono::year_month_day kFirstDay{std::chrono::year(2026),
                                                       std::chrono::September, std::chrono::day(1)};
inline constexpr std::chrono::year_month_day kLastDay{std::chrono::year(2027), std::chrono::August,
                                                      std::chrono::day(31)};

// A zone as the PC's wall clock lives it: the steps its summer time makes, by the wall second
// at which each happens.
struct Zone {
    std::string name;
    std::map<Seconds, Seconds> steps;
};
Zone shanghai();
// Central European rules: forward at 02:00 on the last Sunday of March, back at 03:00 on the
// last Sunday of October.
Zone berlin();

// One row of a table as the school wrote it; -1 for an empty time.
struct Row {
    int start = -1;  // seconds of the day
    std::string label;
    std::string file;  // as in the table: a library file name, a folder, an address
    int stop = -1;
};

// The tables by file name ("zxsj1.log" .. "zxsj10.log").
using Tables = std::map<std::string, std::vector<Row>>;
Tables schoolTables();

// Lengths in milliseconds by file name, of every medium the school plays, notices included.
const std::map<std::string, int64_t>& mediaLengths();
// Files of the library (relative to AUDIO) that the media faults may damage, remove or replace:
// never a bell, so that what is asked of the bells stays theirs.
std::vector<std::string> faultableMedia();
// The notices of the notices folder.
std::vector<std::string> noticeNames();

// A medium as the benchmark writes it: "LEN:<milliseconds>", which its media device reads.
std::string mediumContent(int64_t milliseconds);

// Writes the program directory: configuration, weekday tables and templates, the holiday list,
// the school calendar, the library and the notices.
void writeSchool(const std::filesystem::path& directory);

// A day as written out by hand from the tables and the calendar, for checking the reference.
struct ExpectedDay {
    std::chrono::year_month_day date;
    std::string table;  // the table the day plays, or its weekday's on a stop day
    bool stopDay = false;
    int bells = 0;          // timed rows rung on their second
    std::string firstBell;  // "06:30:00 row=1", empty for none
    std::string lastBell;
};
std::vector<ExpectedDay> expectedDays();

}  // namespace orvessa::school_year
