#include "core/editing/calendar_import.h"

#include <algorithm>
#include <map>
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

// Trimmed, on one line, of a length a remark can have.
std::string cleanSummary(std::string_view summary) {
    return text::firstCharacters(text::trimText(text::oneLine(summary)), kRemarkCharacters);
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
        item.event.summary = cleanSummary(event.summary);
        item.event.first = event.first;
        item.event.last = event.last;
        item.event.timed = event.timed;
        // The description only decides; it is not kept for each of thousands of rows.
        const KindDecision decision = decideKind(item.event.summary, event.description);
        if (event.timed && decision.kind != ImportKind::WorkingDay) {
            plan.unplaced.push_back({item.event.summary, "不是全天事件"});
            continue;
        }
        item.kind = item.decided = decision.kind;
        if (decision.rule != nullptr) {
            item.reason = reasonOf(*decision.rule);
        }
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

std::vector<bool> alreadyThere(const ImportPlan& plan,
                               const std::vector<store::CalendarEntry>& existing) {
    std::set<EntryKey> known;
    for (const store::CalendarEntry& e : existing) {
        known.insert(keyOf(e));
    }
    std::vector<bool> there;
    there.reserve(plan.items.size());
    for (const ImportItem& item : plan.items) {
        const std::vector<store::CalendarEntry> entries =
            validSpan(item.event) ? entriesOf(item) : std::vector<store::CalendarEntry>{};
        there.push_back(!entries.empty() && std::all_of(entries.begin(), entries.end(),
                                                        [&](const store::CalendarEntry& e) {
                                                            return known.count(keyOf(e)) > 0;
                                                        }));
    }
    return there;
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

std::vector<store::CalendarEntry> withImported(const std::vector<store::CalendarEntry>& entries,
                                               const std::vector<store::CalendarEntry>& adds) {
    // The adds' dates as disjoint runs, each of the add that holds it last: first day -> last
    // day and which add.
    struct Run {
        long long last;
        std::size_t add;
    };
    std::map<long long, Run> runs;
    const auto dayOf = [](year_month_day d) { return sys_days{d}.time_since_epoch().count(); };
    for (std::size_t i = 0; i < adds.size(); ++i) {
        const long long first = dayOf(adds[i].first);
        const long long last = dayOf(adds[i].last);
        auto it = runs.upper_bound(first);
        if (it != runs.begin() && std::prev(it)->second.last >= first) {
            --it;
        }
        std::vector<std::pair<long long, Run>> kept;
        while (it != runs.end() && it->first <= last) {
            if (it->first < first) {
                kept.push_back({it->first, {first - 1, it->second.add}});
            }
            if (it->second.last > last) {
                kept.push_back({last + 1, it->second});
            }
            it = runs.erase(it);
        }
        for (const auto& [start, run] : kept) {
            runs.emplace(start, run);
        }
        runs.emplace(first, Run{last, i});
    }

    std::vector<store::CalendarEntry> out;
    out.reserve(entries.size() + runs.size());
    for (const store::CalendarEntry& e : entries) {
        long long from = dayOf(e.first);
        const long long to = dayOf(e.last);
        auto it = runs.upper_bound(from);
        if (it != runs.begin() && std::prev(it)->second.last >= from) {
            --it;
        }
        for (; from <= to && it != runs.end() && it->first <= to; ++it) {
            if (it->first > from) {
                store::CalendarEntry part = e;
                part.first = year_month_day{sys_days{days{from}}};
                part.last = year_month_day{sys_days{days{it->first - 1}}};
                out.push_back(std::move(part));
            }
            from = std::max(from, it->second.last + 1);
        }
        if (from <= to) {
            store::CalendarEntry part = e;
            part.first = year_month_day{sys_days{days{from}}};
            out.push_back(std::move(part));
        }
    }
    for (const auto& [start, run] : runs) {
        store::CalendarEntry part = adds[run.add];
        part.first = year_month_day{sys_days{days{start}}};
        part.last = year_month_day{sys_days{days{run.last}}};
        out.push_back(std::move(part));
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const store::CalendarEntry& a, const store::CalendarEntry& b) {
                         return a.first < b.first;
                     });
    return out;
}

}  // namespace orvessa::editing
