#include "school_year/verdict.h"

#include <algorithm>
#include <set>
#include <utility>

namespace orvessa::school_year {
namespace {

constexpr std::size_t kShownDifferences = 8;

const Row* rowOf(const Tables& tables, const std::string& table, int row) {
    const auto t = tables.find(table);
    if (t == tables.end() || row < 1 || row > static_cast<int>(t->second.size())) {
        return nullptr;
    }
    return &t->second[static_cast<std::size_t>(row - 1)];
}

std::string timeOfDay(Seconds at) {
    return wallText(at).substr(11);
}

std::string startText(const Start& s) {
    std::string text = "row=" + std::to_string(s.row) + " at " + timeOfDay(s.at);
    if (s.lateBy > 0) {
        text += " late-by=" + std::to_string(s.lateBy);
    }
    if (!s.lateReason.empty()) {
        text += " reason=" + s.lateReason;
    }
    return text;
}

class Judge {
public:
    Judge(const RunResult& run, const Tables& tables) : m_run(run), m_tables(tables) {}

    void day(int date, const DayRecord& reference) {
        ++m_verdict.days;
        static const DayRecord kNothing;
        const auto found = m_run.year.find(date);
        const DayRecord& got = found == m_run.year.end() ? kNothing : found->second;
        std::map<std::pair<std::string, int>, std::vector<const Start*>> starts;
        for (const Start& s : got.starts) {
            starts[{s.table, s.row}].push_back(&s);
        }
        std::set<std::pair<std::string, int>> leftRows;
        for (const Left& l : got.left) {
            leftRows.insert({l.table, l.row});
        }
        std::set<std::pair<std::string, int>> expected;
        for (const Start& bell : bellsOf(reference, m_tables)) {
            ++m_verdict.bells;
            expected.insert({bell.table, bell.row});
            const std::vector<const Start*>& rung = starts[{bell.table, bell.row}];
            const bool onSecond = std::any_of(rung.begin(), rung.end(), [&](const Start* s) {
                return s->at == bell.at && s->lateBy == 0;
            });
            if (onSecond) {
                ++m_verdict.onSecond;
                continue;
            }
            const std::string cause = coveredBy(bell.at);
            const std::string what =
                rung.empty() ? (leftRows.contains({bell.table, bell.row}) ? "it left behind"
                                                                          : "nothing in the record")
                             : startText(*rung.front());
            if (cause.empty()) {
                differ(bell.at,
                       "row=" + std::to_string(bell.row) + " of " + bell.table + " on its second",
                       what);
                continue;
            }
            ++m_verdict.exceptions[cause];
            // Made up late, left with a reason, or the process was down and it was never due.
            if (rung.empty() && !leftRows.contains({bell.table, bell.row}) && cause != "down") {
                differ(bell.at,
                       "row=" + std::to_string(bell.row) + " rung late or told as left (" + cause +
                           ")",
                       what);
            }
        }
        for (const auto& [key, rung] : starts) {
            const Row* row = rowOf(m_tables, key.first, key.second);
            if (row == nullptr || rung.empty()) {
                continue;
            }
            const bool once = row->stop < 0 && !row->file.ends_with('\\');
            if (once && rung.size() > 1) {
                m_verdict.twice += static_cast<int>(rung.size() - 1);
                differ(rung[1]->at, "row=" + std::to_string(key.second) + " once",
                       "it again, " + startText(*rung[1]));
            }
            if (row->start >= 0 && !expected.contains(key) && !reference.stopDay &&
                coveredBy(rung.front()->at).empty()) {
                // A timed row the reference did not ring on its second at all.
                const bool referenceRang = std::any_of(
                    reference.starts.begin(), reference.starts.end(),
                    [&](const Start& s) { return s.table == key.first && s.row == key.second; });
                if (!referenceRang) {
                    differ(rung.front()->at, "nothing of row=" + std::to_string(key.second),
                           startText(*rung.front()));
                }
            } else if (reference.stopDay && row->start >= 0) {
                differ(rung.front()->at, "nothing on a stop day", startText(*rung.front()));
            }
        }
    }

    Verdict finish() {
        m_verdict.filesLost = static_cast<int>(m_run.filesLost.size());
        for (const std::string& lost : m_run.filesLost) {
            note(lost);
        }
        m_verdict.untold = m_run.untoldCount;
        for (const std::string& line : m_run.untold) {
            note(line.substr(0, 19) + ": expected in the as-run record \"" + line.substr(20) +
                 "\", got no such line");
        }
        m_verdict.differenceCount += m_run.untoldCount - static_cast<int>(m_run.untold.size());
        for (const std::string& p : m_run.problems) {
            note(p);
        }
        return std::move(m_verdict);
    }

private:
    std::string coveredBy(Seconds at) const {
        for (const Window& w : m_run.windows) {
            if (w.from <= at && at <= w.to) {
                return w.cause;
            }
        }
        return {};
    }

    void differ(Seconds at, const std::string& expected, const std::string& got) {
        note(wallText(at) + ": expected " + expected + ", got " + got);
    }

    void note(const std::string& difference) {
        ++m_verdict.differenceCount;
        if (m_verdict.differences.size() < kShownDifferences) {
            m_verdict.differences.push_back(difference);
        }
    }

    const RunResult& m_run;
    const Tables& m_tables;
    Verdict m_verdict;
};

}  // namespace

int Verdict::exceptionCount() const {
    int n = 0;
    for (const auto& [cause, count] : exceptions) {
        n += count;
    }
    return n;
}

void Verdict::add(const Verdict& o) {
    days += o.days;
    bells += o.bells;
    onSecond += o.onSecond;
    for (const auto& [cause, count] : o.exceptions) {
        exceptions[cause] += count;
    }
    twice += o.twice;
    filesLost += o.filesLost;
    untold += o.untold;
    differenceCount += o.differenceCount;
    for (const std::string& d : o.differences) {
        if (differences.size() < kShownDifferences) {
            differences.push_back(d);
        }
    }
}

std::vector<Start> bellsOf(const DayRecord& day, const Tables& tables) {
    std::vector<Start> bells;
    std::set<std::pair<std::string, int>> seen;
    for (const Start& s : day.starts) {
        const Row* row = rowOf(tables, s.table, s.row);
        if (row == nullptr || row->start < 0 || s.lateBy != 0 || s.at % 86400 != row->start) {
            continue;
        }
        if (seen.insert({s.table, s.row}).second) {
            bells.push_back(s);
        }
    }
    return bells;
}

Verdict judge(const YearRecord& reference, const RunResult& run, const Tables& tables) {
    Judge judge(run, tables);
    for (const auto& [date, day] : reference) {
        judge.day(date, day);
    }
    return judge.finish();
}

std::vector<std::string> checkExpectedDays(const YearRecord& reference, const Tables& tables) {
    std::vector<std::string> differences;
    for (const ExpectedDay& want : expectedDays()) {
        const int date = dateNumberOf(want.date);
        const auto found = reference.find(date);
        const std::string day = wallText(startOfDate(date)).substr(0, 10);
        if (found == reference.end()) {
            differences.push_back(day + ": expected a rehearsed day, got none");
            continue;
        }
        const std::vector<Start> bells = bellsOf(found->second, tables);
        auto bellText = [](const Start& s) {
            return timeOfDay(s.at) + " row=" + std::to_string(s.row);
        };
        const std::string first = bells.empty() ? "" : bellText(bells.front());
        const std::string last = bells.empty() ? "" : bellText(bells.back());
        auto compare = [&](const std::string& what, const std::string& expected,
                           const std::string& got) {
            if (expected != got) {
                differences.push_back(day + ": expected " + what + " " + expected + ", got " + got);
            }
        };
        compare("table", want.table, found->second.table);
        compare("stop-day", want.stopDay ? "yes" : "no", found->second.stopDay ? "yes" : "no");
        compare("bells", std::to_string(want.bells), std::to_string(bells.size()));
        compare("first bell", want.firstBell, first);
        compare("last bell", want.lastBell, last);
    }
    return differences;
}

}  // namespace orvessa::school_year
