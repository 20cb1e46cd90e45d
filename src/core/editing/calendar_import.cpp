#include "core/editing/calendar_import.h"

#include <algorithm>
#include <set>
#include <tuple>

#include "core/text/date_text.h"
#include "core/text/gbk.h"
#include "core/text/time_text.h"

namespace orvessa::editing {

namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

// A summary becomes a remark of calendar.txt and a line of the status bar; a longer one is
// cut rather than refused.
constexpr std::size_t kRemarkCharacters = 100;

constexpr std::string_view kIdeographicSpace = "\u3000";

bool endsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// Trimmed, on one line, of a length a remark can have.
std::string cleanSummary(std::string_view summary) {
    return text::firstCharacters(text::trimText(text::oneLine(summary)), kRemarkCharacters);
}

// The summary without the blanks, ASCII or full-width, that end it.
std::string_view withoutTrailingBlanks(std::string_view text) {
    for (;;) {
        if (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') {
            text.remove_suffix(1);
        } else if (endsWith(text, kIdeographicSpace)) {
            text.remove_suffix(kIdeographicSpace.size());
        } else {
            return text;
        }
    }
}

bool validSpan(const platform::CalendarEvent& event) {
    if (!event.first.ok() || !event.last.ok() || event.last < event.first) {
        return false;
    }
    return (sys_days{event.last} - sys_days{event.first}).count() <
           platform::CalendarReader::kMaxSpanDays;
}

using EntryKey = std::tuple<long long, long long, int>;  // first, last (days since the epoch), plan

EntryKey keyOf(const store::CalendarEntry& entry) {
    return {sys_days{entry.first}.time_since_epoch().count(),
            sys_days{entry.last}.time_since_epoch().count(), entry.plan};
}

// The entries one item stands for, before any is found to be there already.
std::vector<store::CalendarEntry> entriesOf(const ImportItem& item) {
    std::vector<store::CalendarEntry> entries;
    const std::string remark = text::normaliseGbk(item.event.summary);
    if (item.kind == ImportKind::DayOff) {
        entries.push_back({item.event.first, item.event.last, store::kCalendarStop, remark});
    } else if (item.kind == ImportKind::WorkingDay) {
        for (sys_days d = sys_days{item.event.first}; d <= sys_days{item.event.last};
             d += days{1}) {
            const int table = item.table >= 1 && item.table <= store::kCalendarLastPlan
                                  ? item.table
                                  : defaultMakeUpTable(year_month_day{d});
            entries.push_back({year_month_day{d}, year_month_day{d}, table, remark});
        }
    }
    return entries;
}

}  // namespace

ImportKind kindOfSummary(std::string_view summary) {
    const std::string_view s = withoutTrailingBlanks(summary);
    // The last character says it most plainly ("春节 休", "春节 班"); a working-day word beats
    // "放假", as a make-up day's summary often names the holiday it belongs to.
    if (endsWith(s, "休")) {
        return ImportKind::DayOff;
    }
    if (endsWith(s, "班") || contains(s, "补班") || contains(s, "上班")) {
        return ImportKind::WorkingDay;
    }
    if (contains(s, "放假")) {
        return ImportKind::DayOff;
    }
    return ImportKind::Unknown;
}

int defaultMakeUpTable(year_month_day date) {
    const int weekday = text::weekdayOf(static_cast<int>(date.year()),
                                        static_cast<int>(static_cast<unsigned>(date.month())),
                                        static_cast<int>(static_cast<unsigned>(date.day())));
    return weekday >= 1 && weekday <= 5 ? weekday : 1;
}

ImportPlan planImport(const platform::CalendarEvents& events,
                      const std::vector<store::CalendarEntry>& existing) {
    ImportPlan plan;
    plan.unplaced = events.unplaced;
    for (platform::UnplacedEvent& u : plan.unplaced) {
        u.summary = cleanSummary(u.summary);
    }
    for (const platform::CalendarEvent& event : events.events) {
        if (!validSpan(event)) {
            plan.unplaced.push_back({cleanSummary(event.summary), "日期无效"});
            continue;
        }
        ImportItem item;
        item.event = event;
        item.event.summary = cleanSummary(event.summary);
        item.kind = kindOfSummary(item.event.summary);
        item.table = defaultMakeUpTable(event.first);
        plan.items.push_back(std::move(item));
    }
    std::stable_sort(
        plan.items.begin(), plan.items.end(), [](const ImportItem& a, const ImportItem& b) {
            return std::tie(a.event.first, a.event.last) < std::tie(b.event.first, b.event.last);
        });

    std::set<EntryKey> known;
    for (const store::CalendarEntry& e : existing) {
        known.insert(keyOf(e));
    }
    for (ImportItem& item : plan.items) {
        const std::vector<store::CalendarEntry> entries = entriesOf(item);
        item.duplicate = !entries.empty() && std::all_of(entries.begin(), entries.end(),
                                                         [&](const store::CalendarEntry& e) {
                                                             return known.count(keyOf(e)) > 0;
                                                         });
        for (const store::CalendarEntry& e : entries) {
            known.insert(keyOf(e));
        }
    }
    return plan;
}

std::vector<store::CalendarEntry> entriesToAdd(const ImportPlan& plan,
                                               const std::vector<store::CalendarEntry>& existing) {
    std::set<EntryKey> known;
    for (const store::CalendarEntry& e : existing) {
        known.insert(keyOf(e));
    }
    std::vector<store::CalendarEntry> added;
    for (const ImportItem& item : plan.items) {
        // The span is checked again: the dialog may hand back items it built itself.
        if (!validSpan(item.event)) {
            continue;
        }
        for (store::CalendarEntry& e : entriesOf(item)) {
            if (known.insert(keyOf(e)).second) {
                added.push_back(std::move(e));
            }
        }
    }
    return added;
}

}  // namespace orvessa::editing
