// A week of broadcasting on the simulated platform, once with the broadcast clock's ticks on
// time and then many times with the user-interface thread stalling at random for up to 1.5 s:
// a stalled thread gets its timer's tick late, and one tick for several seconds, as a real
// timer delivers it. The real start-up, clock, player and end of day run on a 200-row table for
// each day (timed rows, rows chained to the one before, folders repeating until their stop
// time, rows with a stop time only). Every run must start the same rows at the same seconds.
//
// Usage: orvessa_stall_soak [STALLED_RUNS] [SEED]   (default 20 runs)
// Prints the rows started per run and the differences from the run without stalls (must be 0),
// with the first few differences when there are any.

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

#include "core/playback/item_player.h"
#include "core/scheduler/broadcast_clock.h"
#include "core/scheduler/main_routine.h"
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

    auto key() const { return std::tie(date, second, row, item); }
    bool operator<(const Start& o) const { return key() < o.key(); }
    bool operator==(const Start& o) const { return key() == o.key(); }
};

class Week {
public:
    explicit Week(const fs::path& programDirectory)
        : m_dir(programDirectory),
          m_device(m_clock, kLengths, [](const std::string&) { return std::nullopt; }) {}

    // Runs the week; with `stallChance` above 0 a stall of up to kMaxStallMs follows a tick
    // with that chance.
    std::vector<Start> run(int64_t startMs, int64_t endMs, double stallChance, uint32_t seed) {
        std::mt19937 random(seed);
        std::uniform_real_distribution<double> chance(0.0, 1.0);
        std::uniform_int_distribution<int64_t> stall(1, kMaxStallMs);

        setTime(startMs);
        m_system = scheduler::OrvessaSystem::start(
            {m_host, m_clock, m_power, m_screenSaver, m_shell, m_instance, m_monitors, m_keyboard,
             m_device, m_device, m_processes, m_dir, m_dir / "win.ini"});
        ui::TForm1& f = m_system->form1();
        f.setVisible(true);
        f.FormActivate();
        std::vector<Start> started;
        std::set<std::pair<int, int>> rowsSeen;
        m_system->player().setObserver([&](const playback::PlayEvent& e) {
            if (e.type == playback::PlayEvent::Type::Started) {
                // The clock text and date of the tick that started it, not of the moment.
                const int date = dateOf(f.Label3.text());
                const bool first = rowsSeen.insert({date, e.row}).second;
                started.push_back({date, f.Panel1.text(), e.row,
                                   fs::path(e.path).filename().string(),
                                   first && !f.Grid.cell(1, e.row).empty()});
            }
        });

        int64_t due = (startMs / 1000 + 1) * 1000 + kTimerLatencyMs;
        int64_t busyUntil = 0;
        while (due < endMs) {
            const int64_t at = std::max(due, busyUntil);
            setTime(at);
            if (f.Timer1.running()) {
                f.Timer1.fire();
            }
            if (f.Timer4.running()) {
                f.Timer4.fire();
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
        platform::LocalDateTime t = scheduler::localDateTimeOf(ms / 1000);
        t.millisecond = static_cast<int>(ms % 1000);
        m_clock.set(t);
    }

    fs::path m_dir;
    dryrun::SimulatedHost m_host;
    dryrun::SimulatedClock m_clock;
    dryrun::SimulatedPower m_power;
    dryrun::NoScreenSaverFlag m_screenSaver;
    dryrun::SimulatedShell m_shell;
    dryrun::FreeInstance m_instance;
    dryrun::SingleMonitor m_monitors;
    dryrun::DroppingKeyboard m_keyboard;
    dryrun::SimulatedMediaDevice m_device;
    dryrun::NoProcesses m_processes;
    std::unique_ptr<scheduler::OrvessaSystem> m_system;
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

// How a run differs from the run without stalls.
struct Comparison {
    int differences = 0;  // starts in one run and not the other, by second
    int timed = 0;        // of those, timed rows' first starts: bells moved or lost
    int lostRows = 0;     // rows that started without stalls and not with them
    int changedRows = 0;  // rows whose items started in another order or number
    int moved = 0;        // starts of the same item of the same row at another second
    int earlier = 0;      // of those, at an earlier second
    int maxShift = 0;     // seconds, the largest move
    std::vector<std::string> examples;
};

Comparison compare(const std::vector<Start>& expected, const std::vector<Start>& got) {
    Comparison c;
    const std::set<Start> want(expected.begin(), expected.end());
    const std::set<Start> have(got.begin(), got.end());
    std::vector<Start> missing;
    std::vector<Start> extra;
    std::set_difference(want.begin(), want.end(), have.begin(), have.end(),
                        std::back_inserter(missing));
    std::set_difference(have.begin(), have.end(), want.begin(), want.end(),
                        std::back_inserter(extra));
    c.differences = static_cast<int>(missing.size() + extra.size());
    for (const std::vector<Start>* list : {&missing, &extra}) {
        for (const Start& s : *list) {
            c.timed += s.timed ? 1 : 0;
            if (c.examples.size() < 6) {
                c.examples.push_back((list == &missing ? "not started: " : "started instead: ") +
                                     describe(s));
            }
        }
    }
    // Row by row, the items in the order they started.
    std::map<std::pair<int, int>, std::vector<const Start*>> a;
    std::map<std::pair<int, int>, std::vector<const Start*>> b;
    for (const Start& s : expected) {
        a[{s.date, s.row}].push_back(&s);
    }
    for (const Start& s : got) {
        b[{s.date, s.row}].push_back(&s);
    }
    for (const auto& [row, items] : a) {
        const auto other = b.find(row);
        if (other == b.end()) {
            ++c.lostRows;
        }
        const bool same =
            other != b.end() && other->second.size() == items.size() &&
            std::equal(items.begin(), items.end(), other->second.begin(),
                       [](const Start* x, const Start* y) { return x->item == y->item; });
        if (!same) {
            ++c.changedRows;
            if (std::getenv("ORVESSA_SOAK_DETAIL") != nullptr) {
                std::cout << "  row " << row.second << " of " << row.first << ":";
                for (const Start* s : items) {
                    std::cout << " " << s->second << " " << s->item;
                }
                std::cout << "\n    now:";
                if (other != b.end()) {
                    for (const Start* s : other->second) {
                        std::cout << " " << s->second << " " << s->item;
                    }
                }
                std::cout << "\n";
            }
            continue;
        }
        for (std::size_t i = 0; i < items.size(); ++i) {
            const int signedShift =
                secondsOfDay(other->second[i]->second) - secondsOfDay(items[i]->second);
            const int shift = std::abs(signedShift);
            if (shift != 0) {
                ++c.moved;
                c.earlier += signedShift < 0 ? 1 : 0;
                c.maxShift = std::max(c.maxShift, shift);
            }
        }
    }
    c.changedRows += static_cast<int>(std::count_if(
        b.begin(), b.end(), [&](const auto& entry) { return a.find(entry.first) == a.end(); }));
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
    for (int r = 1; r <= runs; ++r) {
        // From a stall after one tick in fifty to one after every other tick.
        const double stallChance = 0.02 + 0.48 * (r - 1) / std::max(1, runs - 1);
        const std::vector<Start> got = Week(dir.path()).run(start, end, stallChance, seed + r);
        const Comparison c = compare(baseline, got);
        differences += c.differences;
        timed += c.timed;
        std::cout << "run " << r << " (a stall after " << static_cast<int>(stallChance * 100)
                  << "% of ticks): " << got.size() << " starts, " << c.differences
                  << " differences: " << c.timed << " of timed rows, " << c.lostRows
                  << " rows lost, " << c.changedRows << " rows with other items, " << c.moved
                  << " items moved (" << c.earlier << " earlier) by up to " << c.maxShift << " s\n";
        for (const std::string& e : c.examples) {
            std::cout << "  " << e << '\n';
        }
    }
    std::cout << "runs " << runs + 1 << ", rows per day " << kRowsPerDay << ", differences "
              << differences << " (" << timed << " of timed rows)\n";
    return differences == 0 ? 0 : 1;
}
