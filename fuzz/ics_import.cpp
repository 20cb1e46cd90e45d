// A calendar file imported into the school calendar: the libical reader on the bytes, then the
// import's list and entries against a calendar that already holds some of them. The reader
// gives an error or events, never both; every day it gives is a real one within the span
// allowed; the import adds no entry twice, and an import repeated adds nothing.

#include <set>
#include <tuple>

#include "backends/ical/ical_calendar_reader.h"
#include "core/editing/calendar_import.h"
#include "fuzz_input.h"

using namespace orvessa;

namespace {

using Key = std::tuple<long long, long long, int>;

Key keyOf(const store::CalendarEntry& e) {
    return {std::chrono::sys_days{e.first}.time_since_epoch().count(),
            std::chrono::sys_days{e.last}.time_since_epoch().count(), e.plan};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One reader for the whole run, as the program keeps one on its one thread; not quiet, so
    // that a crash inside libical is reported.
    static backends::IcalCalendarReader reader(false);
    const platform::CalendarEvents read = reader.read(fuzz::bytesOf(data, size));
    if (!read.error.empty() && (!read.events.empty() || !read.unplaced.empty())) {
        fuzz::broken("a refused file gave events");
    }
    for (const platform::CalendarEvent& e : read.events) {
        if (!e.first.ok() || !e.last.ok() || e.last < e.first ||
            (std::chrono::sys_days{e.last} - std::chrono::sys_days{e.first}).count() >=
                platform::CalendarReader::kMaxSpanDays) {
            fuzz::broken("an event with days that make no sense");
        }
        if (e.summary.find_first_of("\r\n") != std::string::npos) {
            fuzz::broken("a summary of more than one line");
        }
    }

    // Every other event is already in the calendar as a stop day; the operator turns every
    // third item into a working day on a template.
    std::vector<store::CalendarEntry> existing;
    for (std::size_t i = 0; i < read.events.size(); i += 2) {
        existing.push_back({read.events[i].first, read.events[i].last, 0, "已有"});
    }
    editing::ImportPlan plan = editing::planImport(read, existing);
    for (std::size_t i = 0; i < plan.items.size(); i += 3) {
        plan.items[i].kind = editing::ImportKind::WorkingDay;
        plan.items[i].table = 8;
    }
    const std::vector<store::CalendarEntry> added = editing::entriesToAdd(plan, existing);

    std::set<Key> seen;
    for (const store::CalendarEntry& e : existing) {
        seen.insert(keyOf(e));
    }
    for (const store::CalendarEntry& e : added) {
        if (e.plan < store::kCalendarStop || e.plan > store::kCalendarLastPlan ||
            e.last < e.first) {
            fuzz::broken("an entry the calendar file cannot hold");
        }
        if (!seen.insert(keyOf(e)).second) {
            fuzz::broken("an entry added twice");
        }
    }
    std::vector<store::CalendarEntry> after = existing;
    after.insert(after.end(), added.begin(), added.end());
    if (!editing::entriesToAdd(plan, after).empty()) {
        fuzz::broken("an import repeated added entries");
    }
    return 0;
}
