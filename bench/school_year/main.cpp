// A school year broadcast by the real system on the simulated platform, 2026-09-01 to
// 2027-08-31, in Asia/Shanghai and again in Europe/Berlin, with some two thousand faults drawn
// from a seed: stalls, clock steps, kills and restarts, kills in the middle of saves, power cuts,
// damaged media, a full as-run folder, emergencies, notices and hours of manual operation. Each
// day is judged against the same day rehearsed without faults; the rehearsal itself is first
// checked against ten days written out by hand.
//
// Usage: orvessa_school_year [--seed N] [--days N] [--zone shanghai|berlin]
//                            [--plant ring-twice|unsynced-save]
// Exit status 0 when every bell is accounted for, none rang twice, no file was lost and the
// as-run record told everything; 1 with the first differences printed; 2 for bad arguments.
// ORVESSA_SCHOOL_YEAR_TRACE=1 in the environment prints each fault as it comes, on stderr.
// The last line is for scripts:
//   days=… bells=… on-second=… exceptions=… twice=… files-lost=… faults=… seconds=…

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "school_year/fault_plan.h"
#include "school_year/school.h"
#include "school_year/verdict.h"
#include "school_year/year_run.h"
#include "support/temp_dir.h"

using namespace orvessa;
using namespace orvessa::school_year;
namespace fs = std::filesystem;

namespace {

struct Options {
    uint32_t seed = 1;
    int days = 0;  // 0 for the whole year
    std::vector<Zone> zones = {shanghai(), berlin()};
    Plant plant;
};

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (value == nullptr) {
            return false;
        }
        ++i;
        if (a == "--seed") {
            o.seed = static_cast<uint32_t>(std::strtoul(value, nullptr, 10));
        } else if (a == "--days") {
            o.days = std::atoi(value);
            if (o.days < 1 || o.days > 365) {
                return false;
            }
        } else if (a == "--zone" && std::string(value) == "shanghai") {
            o.zones = {shanghai()};
        } else if (a == "--zone" && std::string(value) == "berlin") {
            o.zones = {berlin()};
        } else if (a == "--plant" && std::string(value) == "ring-twice") {
            o.plant.ringTwiceAfterStepBack = true;
        } else if (a == "--plant" && std::string(value) == "unsynced-save") {
            o.plant.unsyncedSave = true;
        } else {
            return false;
        }
    }
    return true;
}

// One zone's year, in a process of its own (the two run side by side): its summary as lines
// of "key value".
void runZone(const Options& o, const Zone& zone, uint32_t seed, const fs::path& work,
             std::ostream& out) {
    using namespace std::chrono;
    const year_month_day last =
        o.days > 0 ? year_month_day{sys_days{kFirstDay} + days(o.days - 1)} : kLastDay;
    const Tables tables = schoolTables();
    const fs::path reference = work / "reference";
    writeSchool(reference);
    const YearRecord rehearsed = rehearseYear(reference, zone, kFirstDay, last);
    for (const std::string& d : checkExpectedDays(rehearsed, tables)) {
        if (o.days == 0) {
            out << "reference-difference " << d << '\n';
        }
    }
    std::set<int> broadcastDays;
    for (const auto& [date, day] : rehearsed) {
        if (!bellsOf(day, tables).empty()) {
            broadcastDays.insert(date);
        }
    }
    FaultCounts counts = defaultCounts();
    if (o.days > 0) {
        for (int& c : counts) {
            c = std::max(1, c * o.days / 365);
        }
    }
    RunSettings settings;
    settings.directory = work / "school";
    settings.asRunFolder = work / "as-run";
    settings.scratch = work / "scratch";
    settings.zone = zone;
    settings.plant = o.plant;
    settings.last = last;
    writeSchool(settings.directory);
    settings.faults = drawFaults(seed, counts, broadcastDays, last);
    const RunResult run = runYear(settings);
    const Verdict v = judge(rehearsed, run, tables);
    out << "days " << v.days << "\nbells " << v.bells << "\non-second " << v.onSecond << "\ntwice "
        << v.twice << "\nfiles-lost " << v.filesLost << "\nuntold " << v.untold << "\ndifferences "
        << v.differenceCount << "\nstarts " << run.starts << "\nfile-checks " << run.fileChecks
        << '\n';
    for (const auto& [cause, n] : v.exceptions) {
        out << "exception " << cause << ' ' << n << '\n';
    }
    for (std::size_t k = 0; k < kFaultKinds; ++k) {
        out << "fault " << faultWord(static_cast<FaultKind>(k)) << ' ' << run.injected[k] << '\n';
    }
    for (const std::string& d : v.differences) {
        out << "difference " << d << '\n';
    }
}

struct Summary {
    std::map<std::string, int> numbers;
    std::map<std::string, int> exceptions;
    std::map<std::string, int> faults;
    std::vector<std::string> differences;
    std::vector<std::string> referenceDifferences;
};

Summary read(const fs::path& file) {
    Summary s;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        const auto space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
        if (key == "difference") {
            s.differences.push_back(rest);
        } else if (key == "reference-difference") {
            s.referenceDifferences.push_back(rest);
        } else if (key == "exception" || key == "fault") {
            const auto gap = rest.rfind(' ');
            (key == "exception" ? s.exceptions : s.faults)[rest.substr(0, gap)] +=
                std::atoi(rest.c_str() + gap + 1);
        } else {
            s.numbers[key] += std::atoi(rest.c_str());
        }
    }
    return s;
}

std::string listed(const std::map<std::string, int>& counts) {
    std::string text;
    for (const auto& [name, n] : counts) {
        text += (text.empty() ? "" : ", ") + name + " " + std::to_string(n);
    }
    return text.empty() ? "none" : text;
}

int total(const std::map<std::string, int>& counts) {
    int n = 0;
    for (const auto& [name, count] : counts) {
        n += count;
    }
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        std::cerr << "usage: orvessa_school_year [--seed N] [--days N] [--zone shanghai|berlin] "
                     "[--plant ring-twice|unsynced-save]\n";
        return 2;
    }
    const auto began = std::chrono::steady_clock::now();
    std::cout << "seed " << o.seed << ", " << (o.days > 0 ? std::to_string(o.days) : "365")
              << " days from 2026-09-01";
    for (const Zone& z : o.zones) {
        std::cout << ", " << z.name;
    }
    std::cout << std::endl;

    testing::TempDir work;
    std::vector<std::pair<pid_t, fs::path>> children;
    for (std::size_t z = 0; z < o.zones.size(); ++z) {
        const fs::path dir = work.path() / ("zone" + std::to_string(z));
        fs::create_directories(dir);
        const fs::path summary = dir / "summary";
        const pid_t child = ::fork();
        if (child == 0) {
            int status = 0;
            try {
                std::ofstream out(summary);
                runZone(o, o.zones[z], o.seed * 2 + static_cast<uint32_t>(z), dir, out);
            } catch (const std::exception& e) {
                std::cerr << o.zones[z].name << ": " << e.what() << '\n';
                status = 3;
            }
            std::cout.flush();
            ::_exit(status);
        }
        children.emplace_back(child, summary);
    }
    Summary all;
    bool failed = false;
    for (std::size_t z = 0; z < children.size(); ++z) {
        int status = 0;
        ::waitpid(children[z].first, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::cerr << o.zones[z].name << ": the run did not finish\n";
            failed = true;
            continue;
        }
        const Summary s = read(children[z].second);
        const auto n = [&s](const char* key) {
            const auto it = s.numbers.find(key);
            return it == s.numbers.end() ? 0 : it->second;
        };
        std::cout << o.zones[z].name << ": days " << n("days") << ", bells " << n("bells")
                  << ", on their second " << n("on-second") << ", exceptions "
                  << total(s.exceptions) << " (" << listed(s.exceptions) << "), twice "
                  << n("twice") << ", files lost " << n("files-lost") << " of " << n("file-checks")
                  << " checks, as-run lines missing " << n("untold") << ", process starts "
                  << n("starts") << "\n  faults " << total(s.faults) << " (" << listed(s.faults)
                  << ")\n";
        for (const std::string& d : s.referenceDifferences) {
            std::cout << "  reference: " << d << '\n';
        }
        for (const std::string& d : s.differences) {
            std::cout << "  " << d << '\n';
        }
        for (const auto& [key, value] : s.numbers) {
            all.numbers[key] += value;
        }
        for (const auto& [key, value] : s.exceptions) {
            all.exceptions[key] += value;
        }
        for (const auto& [key, value] : s.faults) {
            all.faults[key] += value;
        }
        failed = failed || n("differences") > 0 || !s.referenceDifferences.empty();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    const auto n = [&all](const char* key) {
        const auto it = all.numbers.find(key);
        return it == all.numbers.end() ? 0 : it->second;
    };
    char elapsed[32];
    std::snprintf(elapsed, sizeof elapsed, "%.0f", seconds);
    std::cout << "days=" << n("days") << " bells=" << n("bells") << " on-second=" << n("on-second")
              << " exceptions=" << total(all.exceptions) << " twice=" << n("twice")
              << " files-lost=" << n("files-lost") << " faults=" << total(all.faults)
              << " seconds=" << elapsed << std::endl;
    return failed ? 1 : 0;
}
