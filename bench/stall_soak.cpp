// A week of broadcasting on the simulated platform, once with the broadcast clock's ticks on
// time and then many times with the user-interface thread stalling at random for up to 1.5 s:
// a stalled thread gets its timer's tick late, and one tick for several seconds, as a real
// timer delivers it. The real start-up, clock, player and end of day run on a 200-row table for
// each day (timed rows, rows chained to the one before, folders repeating until their stop
// time, rows with a stop time only).
//
// Every run must start the same rows with the same items, every timed row on its second, and
// every other start as many seconds after the end of the item before it as without stalls. A
// start that a stall delays therefore counts at its second, though its sound begins when the
// thread is free; the row chained to it follows the end of that later sound, so it may come a
// second or two later than without stalls. Such starts are counted apart; nothing else may
// differ.
//
// Usage: orvessa_stall_soak [STALLED_RUNS] [SEED]   (default 20 runs)
// Prints per run the starts, the differences from the run without stalls (must be 0) with the
// first few, and the starts that followed a sound a stall delayed.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/desktop/orvessa_system.h"
#include "core/playback/item_player.h"
#include "core/scheduler/broadcast_clock.h"
#include "core/system/platform_services.h"
#include "core/text/gbk.h"
#include "core/text/time_text.h"
#include "dryrun/simulated_platform.h"
#include "support/temp_dir.h"

using namespace orvessa;
namespace fs = std::filesystem;

namespace {

constexpr int kRowsPerDay = 200;
constexpr int kDays = 7;
constexpr int64_t kMaxStallMs = 1500;
// The host's timer fires a few milliseconds after each second boundary.
constexpr int64_t kTimerLatencyMs = 4;

// Media of the library and their lengths in milliseconds: never whole seconds, so an item's
// end falls inside a second, where a late tick can see it.
const std::map<std::string, int64_t> kLengths = {
    {"bell.wav", 8400},    {"chime.wav", 5250},  {"news.mp3", 95300},
    {"anthem.mp3", 61700}, {"a.mp3", 20500},     {"b.mp3", 31700},
    {"c.mp3", 12250},      {"long.mp3", 900900}, {"exercise.mp3", 180450},
};

std::string clockText(int seconds) {
    return text::formatClockTime(seconds / 3600, seconds / 60 % 60, seconds % 60);
}

// One day's table: rows spread from 06:00 to about 21:00, each kind of row in turn, every chain
// of untimed rows ending well before the next timed row.
std::string dayTable(int day, const fs::path& library, std::mt19937& random) {
    const std::string folder = library.string() + "/music/";
    std::string table;
    int t = 6 * 3600 + day * 7;
    int row = 0;
    auto line = [&](const std::string& start, const std::string& file, const std::string& stop) {
        ++row;
        table += std::to_string(row) + "," + start + ",item," + file + "," + stop + ",,\r\n";
    };
    std::uniform_int_distribution<int> gap(180, 300);
    while (row < kRowsPerDay) {
        switch (row % 10) {
            case 0:  // a bell
                line(clockText(t), "bell.wav", "");
                break;
            case 1:  // a bell and two chained items after it
                line(clockText(t), "chime.wav", "");
                line("", "a.mp3", "");
                line("", "c.mp3", "");
                break;
            case 4:  // a folder repeating until its stop time
                line(clockText(t), folder, clockText(t + 150));
                break;
            case 5:  // a long item cut at its stop time
                line(clockText(t), "long.mp3", clockText(t + 95));
                break;
            case 6:  // an untimed row with a stop time after a timed one
                line(clockText(t), "news.mp3", "");
                line("", "exercise.mp3", clockText(t + 200));
                break;
            default:
                line(clockText(t), row % 3 == 0 ? "anthem.mp3" : "b.mp3", "");
                break;
        }
        t += gap(random);
    }
    return table;
}

// What one run started: (date, clock second, row, item), and whether it is a timed row's
// first start of the day (a bell, which a stall must never move).
struct Start {
    int date = 0;
    std::string second;
    int row = 0;
    std::string item;
    bool timed = false;
    int64_t at = 0;  // when its sound began, in milliseconds: later than its second after a stall

    auto key() const { return std::tie(date, second, row, item); }
    bool operator<(const Start& o) const { return key() < o.key(); }
    bool operator==(const Start& o) const { return key() == o.key(); }
};

class Week {
public:
    explicit Week(const fs::path& programDirectory)
        : m_dir(programDirectory),
          m_device(m_platform.clock, kLengths, [](const std::string&) { return std::nullopt; }) {}

    // Runs the week; with `stallChance` above 0 a stall of up to kMaxStallMs follows a tick
    // with that chance.
    std::vector<Start> run(int64_t startMs, int64_t endMs, double stallChance, uint32_t seed) {
        std::mt19937 random(seed);
        std::uniform_real_distribution<double> chance(0.0, 1.0);
        std::uniform_int_distribution<int64_t> stall(1, kMaxStallMs);

        setTime(startMs);
        m_system =
            system::OrvessaSystem::start(system::servicesOf(m_platform, m_device, m_device, m_dir));
        ui::MainWindow& f = m_system->mainWindow();
        f.setVisible(true);
        f.activate();
        std::vector<Start> started;
        std::set<std::pair<int, int>> rowsSeen;
        m_system->player().setObserver([&](const playback::PlayEvent& e) {
            if (e.type == playback::PlayEvent::Type::Started) {
                // The clock text and date of the tick that started it, not of the moment.
                const int date = dateOf(f.stopDayLine.text());
                const bool first = rowsSeen.insert({date, e.row}).second;
                started.push_back({date, f.clockText.text(), e.row,
                                   fs::path(e.path).filename().string(),
                                   first && !f.grid.cell(1, e.row).empty(), m_nowMs});
            }
        });

        int64_t due = (startMs / 1000 + 1) * 1000 + kTimerLatencyMs;
        int64_t busyUntil = 0;
        while (due < endMs) {
            const int64_t at = std::max(due, busyUntil);
            setTime(at);
            if (f.broadcastTimer.running()) {
                f.broadcastTimer.fire();
            }
            if (f.stopDayTimer.running()) {
                f.stopDayTimer.fire();
            }
            if (stallChance > 0 && chance(random) < stallChance) {
                busyUntil = at + stall(random);
            }
            // A timer on the second boundary: the next boundary after the tick.
            due = (at / 1000 + 1) * 1000 + kTimerLatencyMs;
        }
        m_system.reset();
        return started;
    }

private:
    static int dateOf(const std::string& label) {
        return std::atoi(label.substr(0, 4).c_str()) * 10000 +
               std::atoi(label.substr(5, 2).c_str()) * 100 + std::atoi(label.substr(8, 2).c_str());
    }

    void setTime(int64_t ms) {
        m_nowMs = ms;
        platform::LocalDateTime t = scheduler::localDateTimeOf(ms / 1000);
        t.millisecond = static_cast<int>(ms % 1000);
        m_platform.clock.set(t);
    }

    fs::path m_dir;
    int64_t m_nowMs = 0;
    dryrun::SimulatedPlatform m_platform;
    dryrun::SimulatedMediaDevice m_device;
    std::unique_ptr<system::OrvessaSystem> m_system;
};

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The program directory: the configuration (wait at the end of the day, no stop days), the
// library's files and a table for every weekday.
void makeProgramDirectory(const fs::path& dir) {
    const fs::path library = dir / "AUDIO";
    fs::create_directories(library / "music");
    for (const auto& [name, length] : kLengths) {
        writeFile(library / name, "x");
    }
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) {
        writeFile(library / "music" / name, "x");
    }
    std::vector<std::string> entries(27, "0");
    entries[2] = entries[3] = "  :  :  ";
    entries[5] = "3";
    entries[6] = "1";
    entries[11] = library.string() + "/";
    entries[19] = "1";
    entries[26] = "1";
    std::string config;
    for (const std::string& e : entries) {
        config += e + "\r\n";
    }
    writeFile(dir / "orvessa.sys", config);
    std::mt19937 random(7);
    for (int day = 1; day <= kDays; ++day) {
        writeFile(dir / ("zxsj" + std::to_string(day) + ".log"),
                  text::utf8ToGbk(dayTable(day, library, random)));
    }
}

std::string describe(const Start& s) {
    return std::to_string(s.date) + " " + s.second + " row " + std::to_string(s.row) + " " + s.item;
}

int secondsOfDay(const std::string& clock) {
    int h = 0, m = 0, sec = 0;
    std::sscanf(clock.c_str(), "%d:%d:%d", &h, &m, &sec);
    return h * 3600 + m * 60 + sec;
}

int64_t secondMs(const Start& s) {
    const int seconds = secondsOfDay(s.second);
    return scheduler::secondsOf({s.date / 10000, s.date / 100 % 100, s.date % 100, seconds / 3600,
                                 seconds / 60 % 60, seconds % 60, 0}) *
           1000;
}

// A start that is not a timed row's first follows the item before it: the tick of the first
// second at which that item has ended sees its end, and the next file of a folder starts a
// tick later, the next row two. Returns in how many seconds after that first second this
// start came.
int64_t secondsAfterEnd(const Start& before, const Start& s) {
    const int64_t end = before.at + kLengths.at(before.item);
    const int64_t firstSecond = (end + 999) / 1000 * 1000;
    const int64_t gap = secondMs(s) - firstSecond;
    return gap < 0 ? -1 : gap / 1000;
}

// How a run differs from the run without stalls. A stall that delays a tick delays the sound
// that tick starts, and the untimed row or the next file of a folder then follows that sound's
// real end: such a start, at a later second but as many seconds after the end of the item
// before as without stalls, is counted as following a delayed sound. Anything else that
// differs is a difference.
struct Comparison {
    int differences = 0;    // starts that differ and that no delayed sound explains
    int timed = 0;          // of those, timed rows' first starts: bells moved or lost
    int lost = 0;           // starts without stalls that did not happen with them
    int extra = 0;          // starts with stalls that did not happen without them
    int earlier = 0;        // starts at an earlier second
    int behindDelayed = 0;  // starts at a later second, right after a delayed sound ended
    int maxShift = 0;       // seconds, the largest of those moves
    std::vector<std::string> examples;
};

// The starts of a run by (date, row, n-th start of that row).
std::map<std::tuple<int, int, int>, std::size_t> byRow(const std::vector<Start>& run) {
    std::map<std::tuple<int, int, int>, std::size_t> index;
    std::map<std::pair<int, int>, int> counts;
    for (std::size_t i = 0; i < run.size(); ++i) {
        const int n = counts[{run[i].date, run[i].row}]++;
        index[{run[i].date, run[i].row, n}] = i;
    }
    return index;
}

Comparison compare(const std::vector<Start>& expected, const std::vector<Start>& got) {
    Comparison c;
    const auto want = byRow(expected);
    const auto have = byRow(got);
    auto note = [&](const std::string& what, const Start& s) {
        ++c.differences;
        c.timed += s.timed ? 1 : 0;
        if (c.examples.size() < 6) {
            c.examples.push_back(what + describe(s));
        }
    };
    for (const auto& [key, i] : want) {
        if (!have.contains(key)) {
            ++c.lost;
            note("not started: ", expected[i]);
        }
    }
    // Where each start of this run stands in the run without stalls.
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::vector<std::size_t> counterpart(got.size(), kNone);
    for (const auto& [key, i] : have) {
        const auto other = want.find(key);
        if (other == want.end() || expected[other->second].item != got[i].item) {
            ++c.extra;
            note("started instead: ", got[i]);
        } else {
            counterpart[i] = other->second;
        }
    }
    for (std::size_t i = 0; i < got.size(); ++i) {
        const std::size_t j = counterpart[i];
        if (j == kNone || expected[j].second == got[i].second) {
            continue;
        }
        const int shift = static_cast<int>((secondMs(got[i]) - secondMs(expected[j])) / 1000);
        // The same item came before it in both runs, and its sound began later in this one.
        const bool delayedBefore =
            i > 0 && j > 0 && counterpart[i - 1] == j - 1 && got[i - 1].at > expected[j - 1].at;
        if (shift > 0 && !got[i].timed && delayedBefore &&
            secondsAfterEnd(got[i - 1], got[i]) == secondsAfterEnd(expected[j - 1], expected[j])) {
            ++c.behindDelayed;
            c.maxShift = std::max(c.maxShift, shift);
            continue;
        }
        c.earlier += shift < 0 ? 1 : 0;
        note("moved by " + std::to_string(shift) + " s: ", got[i]);
    }
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
    const uint32_t seed = argc > 2 ? static_cast<uint32_t>(std::atoll(argv[2])) : 1;
    testing::TempDir dir;
    makeProgramDirectory(dir.path());

    // Monday 2026-12-07 05:59:30 to the Monday after, 00:10.
    const int64_t start = scheduler::secondsOf({2026, 12, 7, 5, 59, 30, 0}) * 1000;
    const int64_t end = scheduler::secondsOf({2026, 12, 14, 0, 10, 0, 0}) * 1000;

    const std::vector<Start> baseline = Week(dir.path()).run(start, end, 0.0, 0);
    std::cout << "run 0 (no stalls): " << baseline.size() << " starts over " << kDays << " days\n";

    int differences = 0;
    int timed = 0;
    int behindDelayed = 0;
    for (int r = 1; r <= runs; ++r) {
        // From a stall after one tick in fifty to one after every other tick.
        const double stallChance = 0.02 + 0.48 * (r - 1) / std::max(1, runs - 1);
        const std::vector<Start> got = Week(dir.path()).run(start, end, stallChance, seed + r);
        const Comparison c = compare(baseline, got);
        differences += c.differences;
        timed += c.timed;
        behindDelayed += c.behindDelayed;
        std::cout << "run " << r << " (a stall after " << static_cast<int>(stallChance * 100)
                  << "% of ticks): " << got.size() << " starts, " << c.differences
                  << " differences (" << c.timed << " of timed rows, " << c.lost << " lost, "
                  << c.extra << " extra, " << c.earlier << " earlier); " << c.behindDelayed
                  << " later by up to " << c.maxShift << " s behind a sound the stall delayed\n";
        for (const std::string& e : c.examples) {
            std::cout << "  " << e << '\n';
        }
    }
    std::cout << "runs " << runs + 1 << ", rows per day " << kRowsPerDay << ", differences "
              << differences << " (" << timed << " of timed rows); " << behindDelayed
              << " starts followed a sound that a stall delayed\n";
    return differences == 0 ? 0 : 1;
}
