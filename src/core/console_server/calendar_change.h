#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/console/system_actions.h"
#include "core/store/file_io.h"
#include "core/store/school_calendar.h"

namespace orvessa::console {

// The longest range one change may set, and the longest remark: more is a mistake.
inline constexpr long kMaxChangeDays = 366;
inline constexpr std::size_t kMaxRemarkCharacters = 200;

// The version of calendar.txt, as the calendar window checks it too.
using store::calendarVersion;
using store::calendarVersionOf;

// Why `change` cannot be made, as the operator reads it; empty when it can.
std::string checkChange(const CalendarChange& change);

// The outcome of storing a change.
struct StoredChange {
    ActionResult result;
    store::SchoolCalendar calendar;  // as the file now holds it, when stored
};

// Applies `change` to calendar.txt of the program directory by the calendar window's rules
// (the dates get the one entry, the rest of every entry is kept, unread lines stay) and
// writes it atomically; refused (409) when the file is no longer at `change.version`, and
// (422) when the result has dates two entries decide differently.
StoredChange storeChange(const std::filesystem::path& programDirectory,
                         const CalendarChange& change, store::FileSync* sync);

// "2027-01-04 plan=table:5" or "2027-01-04..2027-01-08 plan=stop": a change as records say it.
std::string changeFields(const CalendarChange& change);

}  // namespace orvessa::console
