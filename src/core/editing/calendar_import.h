#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "core/editing/calendar_import_rules.h"
#include "core/platform/calendar_reader.h"
#include "core/store/school_calendar.h"

// What an imported calendar adds to the school calendar: days off become stop days, working
// days (调休) become make-up days with a table the operator picks.
namespace orvessa::editing {

// The table a make-up day plays unless the operator picks another: its own weekday's for
// Monday .. Friday, Monday's for a Saturday or Sunday.
int defaultMakeUpTable(std::chrono::year_month_day date);

struct ImportItem {
    platform::CalendarEvent event;
    ImportKind kind = ImportKind::Unknown;  // the operator may change it
    // What the rules made of it, and why ("按“补班”判断为调休上课"); no reason when they could not
    // tell.
    ImportKind decided = ImportKind::Unknown;
    std::string reason;
    int table = 1;  // for a working day, 1..12
    // Every entry it would add is already in the calendar, or comes from an equal event earlier
    // in the list: it adds nothing.
    bool duplicate = false;
};

struct ImportPlan {
    std::vector<ImportItem> items;  // in date order
    std::vector<platform::UnplacedEvent> unplaced;
};

// The events as the dialog first lists them, measured against the calendar's entries. A timed
// event is listed only where the rules make it a working day; the others are unplaced,
// "不是全天事件".
ImportPlan planImport(const platform::CalendarEvents& events,
                      const std::vector<store::CalendarEntry>& existing);

// Each item alone against the calendar's entries: whether it adds nothing they do not have.
std::vector<bool> alreadyThere(const ImportPlan& plan,
                               const std::vector<store::CalendarEntry>& existing);

// The entries to add for the items as the operator left them, with the summary as remark. A day
// off is one entry over its days; a working day is one entry a day (each is its own make-up
// day). Unknown items add nothing; an entry the calendar, or an earlier item, already has (the
// same days and plan) is not added again.
std::vector<store::CalendarEntry> entriesToAdd(const ImportPlan& plan,
                                               const std::vector<store::CalendarEntry>& existing);

// The entries with `adds` laid over them one after another, later ones over earlier ones: what
// replacing each add's dates in turn leaves (each date has at most one entry of them, and the
// parts of an entry outside them keep its plan and remark), ordered by first date, in one pass.
std::vector<store::CalendarEntry> withImported(const std::vector<store::CalendarEntry>& entries,
                                               const std::vector<store::CalendarEntry>& adds);

}  // namespace orvessa::editing
