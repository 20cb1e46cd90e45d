// How long the check of a day takes for a 200-row table: with every length given, and with the
// lengths measured from real files by the media framework, as the program's check does.
//
//     orvessa_day_check_bench [runs]

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "core/store/table_file.h"
#include "dryrun/day_check.h"
#include "support/silent_wav.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono;
using orvessa::testing::TempDir;
using orvessa::testing::wavOf;
using orvessa::testing::writeBytes;

constexpr int kRows = 200;
constexpr int kFiles = 20;

// A bell every four minutes from 06:00, each followed by three untimed items.
orvessa::store::ScheduleTable dayOf200Rows() {
    orvessa::store::ScheduleTable table;
    orvessa::store::setScheduleHeaders(table);
    table.setRowCount(kRows + 1);
    for (int r = 1; r <= kRows; ++r) {
        table.setCell(0, r, std::to_string(r));
        if ((r - 1) % 4 == 0) {
            const int minutes = 6 * 60 + (r - 1);
            char start[16];
            std::snprintf(start, sizeof start, "%02d:%02d:00", minutes / 60, minutes % 60);
            table.setCell(orvessa::store::ScheduleRow::kStartTime, r, start);
        }
        table.setCell(orvessa::store::ScheduleRow::kFile, r,
                      "f" + std::to_string(r % kFiles) + ".wav");
    }
    return table;
}

double bestOf(int runs, const std::filesystem::path& dir,
              const orvessa::store::ScheduleTable& table,
              const std::map<std::string, int64_t>& lengths, std::size_t& problems) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto begin = steady_clock::now();
        const orvessa::dryrun::DayCheck day =
            orvessa::dryrun::checkDay(dir, 2026y / December / 14, &table, lengths);
        best = std::min(best, duration<double, std::milli>(steady_clock::now() - begin).count());
        problems = day.problems.size();
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    TempDir dir;
    std::filesystem::create_directory(dir / "AUDIO");
    std::vector<std::string> entries(27, "0");
    entries[2] = entries[3] = "  :  :  ";
    entries[5] = "3";
    entries[6] = "1";
    entries[11] = (dir / "AUDIO").string() + "/";
    std::string config;
    for (const std::string& e : entries) {
        config += e + "\r\n";
    }
    writeBytes(dir / "orvessa.sys", config);
    std::map<std::string, int64_t> lengths;
    for (int f = 0; f < kFiles; ++f) {
        const std::string name = "f" + std::to_string(f) + ".wav";
        writeBytes(dir / "AUDIO" / name, wavOf(10 + f));
        lengths[name] = (10 + f) * 1000;
    }
    const orvessa::store::ScheduleTable table = dayOf200Rows();

    std::size_t problems = 0;
    const double given = bestOf(runs, dir.path(), table, lengths, problems);
    std::printf(
        "%d-row day, every length given:          %7.1f ms per check (best of %d), %zu "
        "problems\n",
        kRows, given, runs, problems);
    const double measured = bestOf(runs, dir.path(), table, {}, problems);
    std::printf(
        "%d-row day, %d files measured by GStreamer: %7.1f ms per check (best of %d), %zu "
        "problems\n",
        kRows, kFiles, measured, runs, problems);
    return 0;
}
