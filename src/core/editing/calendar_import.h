#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/calendar_reader.h"
#include "core/store/school_calendar.h"

// What an imported calendar adds to the school calendar: days off become stop days, working
// days (调休) become make-up days with a table the operator picks.
namespace orvessa::editing {

enum class ImportKind {
    DayOff,      // becomes plan 0
    WorkingDay,  // becomes a make-up day with `table`
    Unknown,     // neither, until the operator says which; adds nothing
};

// What the summary says: ends in "休" or contains "放假" is a day off; ends in "班" or contains
// "补班" or "上班" is a working day; anything else is unknown. Blanks at the end do not count.
ImportKind kindOfSummary(std::string_view summary);

// The table a make-up day plays unless the operator picks another: its own weekday's for
// Monday .. Friday, Monday's for a Saturday or Sunday.
int defaultMakeUpTable(std::chrono::year_month_day date);

struct ImportItem {
    platform::CalendarEvent event;
    ImportKind kind = ImportKind::Unknown;  // the operator may change it
    int table = 1;                          // for a working day, 1..12
    // Every entry it would add is already in the calendar, or comes from an equal event earlier
    // in the list: it adds nothing.
    bool duplicate = false;
};

struct ImportPlan {
    std::vector<ImportItem> items;  // in date order
    std::vector<platform::UnplacedEvent> unplaced;
};

// The events as the dialog first lists them, measured against the calendar's entries.
ImportPlan planImport(const platform::CalendarEvents& events,
                      const std::vector<store::CalendarEntry>& existing);

// The entries to add for the items as the operator left them, with the summary as remark. A day
// off is one entry over its days; a working day is one entry a day (each is its own make-up
// day). Unknown items add nothing; an entry the calendar, or an earlier item, already has (the
// same days and plan) is not added again.
std::vector<store::CalendarEntry> entriesToAdd(const ImportPlan& plan,
                                               const std::vector<store::CalendarEntry>& existing);

}  // namespace orvessa::editing
