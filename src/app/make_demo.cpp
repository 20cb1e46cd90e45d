// Lays out a demonstration program directory: the default configuration with the media
// library inside it, a chime, and today's table with rows a minute or two from now, so that a
// newcomer hears the system work without typing a table first. A short notice waits in the
// notices folder, so that 插播 has something to play.
//
// Usage: orvessa-make-demo DIR DEFAULT_CONFIG

#include <cmath>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "core/playback/wave_file.h"
#include "core/store/day_plan.h"
#include "core/store/file_io.h"
#include "core/store/schedule_table.h"
#include "core/store/system_config.h"
#include "core/store/table_file.h"
#include "core/text/date_text.h"
#include "core/text/time_text.h"

namespace {

using namespace orvessa;

// A bell-like chime: two partials that die away, 16-bit mono PCM.
std::string chimeWav(double seconds) {
    constexpr int kRate = 22050;
    const int count = static_cast<int>(seconds * kRate);
    std::vector<int16_t> samples;
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double v = std::exp(-2.5 * t) *
                         (0.6 * std::sin(2 * M_PI * 880 * t) + 0.3 * std::sin(2 * M_PI * 1320 * t) +
                          0.1 * std::sin(2 * M_PI * 1760 * t));
        samples.push_back(static_cast<int16_t>(v * 24000));
    }
    return playback::monoWave(samples, kRate);
}

std::string clockText(std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    return text::formatClockTime(local.tm_hour, local.tm_min, local.tm_sec);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: orvessa-make-demo DIR DEFAULT_CONFIG\n";
        return 2;
    }
    const std::filesystem::path dir = std::filesystem::absolute(argv[1]);
    const std::filesystem::path audio = dir / "AUDIO";
    // The notices folder the options name by default, inside the media library.
    const std::filesystem::path notices = audio / "广播";
    std::error_code ec;
    std::filesystem::create_directories(notices, ec);

    const store::ReadResult defaults = store::readWholeFile(argv[2]);
    if (defaults.status != store::ReadStatus::Ok ||
        !store::writeFileAtomically(dir / store::SystemConfig::kFileName, defaults.bytes)) {
        std::cerr << "cannot lay out the configuration in " << dir << "\n";
        return 1;
    }
    store::SystemConfig config(dir);
    config.load();
    config.setEntry(store::SystemConfig::kMediaLibrary, audio.string() + "/");
    // A demonstration waits at the end of the day: it never shuts the computer down.
    config.setEntry(store::SystemConfig::kEndOfDayAction, "3");
    for (int w = 0; w < 7; ++w) {
        config.setEntry(store::SystemConfig::kStopMonday + w, "0");
    }
    if (!config.save() || !store::writeFileAtomically(audio / "chime.wav", chimeWav(3)) ||
        !store::writeFileAtomically(audio / "tune.wav", chimeWav(8)) ||
        !store::writeFileAtomically(notices / "通知-测试.wav", chimeWav(2))) {
        std::cerr << "cannot write the demonstration files in " << dir << "\n";
        return 1;
    }

    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    store::ScheduleTable table;
    table.setRowCount(4);
    const std::string rows[3][4] = {
        {clockText(now + 60), "钟声", "chime.wav", ""},
        {"", "接着播放", "chime.wav", ""},
        {clockText(now + 120), "循环两分钟", "tune.wav", clockText(now + 240)},
    };
    for (int r = 0; r < 3; ++r) {
        using store::ScheduleRow;
        table.setCell(ScheduleRow::kStartTime, r + 1, rows[r][0]);
        table.setCell(ScheduleRow::kLabel, r + 1, rows[r][1]);
        table.setCell(ScheduleRow::kFile, r + 1, rows[r][2]);
        table.setCell(ScheduleRow::kStopTime, r + 1, rows[r][3]);
        table.setCell(ScheduleRow::kVolume, r + 1, "200");
    }
    // The table today plays, so the demo rings today.
    const std::string name =
        store::planDay(std::chrono::year_month_day{std::chrono::year(local.tm_year + 1900),
                                                   std::chrono::month(local.tm_mon + 1),
                                                   std::chrono::day(local.tm_mday)},
                       store::weekRulesOf(config), {}, nullptr)
            .tableFileName();
    if (!store::writeTableFile(table, dir, name)) {
        std::cerr << "cannot write " << name << "\n";
        return 1;
    }
    std::cout << "Demo program directory " << dir.string() << ": " << name << " rings at "
              << rows[0][0] << ", then repeats a tune from " << rows[2][0] << " to " << rows[2][3]
              << ".\n";
    return 0;
}
