#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/desktop/orvessa_system.h"
#include "core/scheduler/broadcast_clock.h"
#include "core/text/date_text.h"
#include "core/text/gbk.h"
#include "core/text/time_text.h"
#include "fakes/fake_platform.h"
#include "fakes/station_access.h"
#include "support/temp_dir.h"

namespace orvessa::scheduler {

using system::OrvessaSystem;
using system::PlatformServices;

using orvessa::testing::TempDir;
using orvessa::testing::writeBytes;
namespace fs = std::filesystem;

struct Row {
    std::string start;
    std::string file;
    std::string stop;
};

// A day on the simulated clock: the real start-up, clock, player and display, a device whose
// position moves with the simulated time, and a log of what started and stopped when.
class ClockScenario : public ::testing::Test {
protected:
    ClockScenario() {
        fs::create_directory(m_dir / "AUDIO");
        m_device.now = [this] { return secondsOf(m_clock.now()) * 1000; };
        entries.assign(27, "0");
        entries[2] = entries[3] = "  :  :  ";
        entries[5] = "3";
        entries[6] = "1";
        entries[11] = library();
    }

    std::string library() const { return m_dir.path().string() + "/AUDIO/"; }

    // A media file in the library that plays for `seconds`.
    void media(const std::string& name, int seconds) {
        writeBytes(m_dir / "AUDIO" / name, "x");
        m_device.lengths[name] = seconds * 1000LL;
    }

    // Writes orvessa.sys from `entries` and today's table from `rows`, and starts the system at
    // `at` on `date`.
    void start(const std::vector<Row>& rows, const std::string& at) {
        std::string config;
        for (const auto& e : entries) {
            config += e + "\r\n";
        }
        writeBytes(m_dir / "orvessa.sys", config);
        writeTable(text::weekdayOf(date.year, date.month, date.day), rows);
        setTime(at);
        PlatformServices services = m_platform.services(m_dir.path());
        services.broadcastRecord = record;
        services.failureRecord = failures;
        services.clockSync = clockSync;
        services.dayChecker = dayChecker;
        services.wakeAlarm = wakeAlarm;
        m_system = OrvessaSystem::start(services);
        m_system->mainWindow().setVisible(true);
        m_system->mainWindow().activate();
    }

    void writeTable(int weekday, const std::vector<Row>& rows) {
        std::string table;
        int n = 1;
        for (const Row& r : rows) {
            table +=
                std::to_string(n++) + "," + r.start + ",item," + r.file + "," + r.stop + ",,\r\n";
        }
        writeBytes(m_dir / ("zxsj" + std::to_string(weekday) + ".log"), text::utf8ToGbk(table));
    }

    void setTime(const std::string& hms) {
        m_clock.set({date.year, date.month, date.day, std::stoi(hms.substr(0, 2)),
                     std::stoi(hms.substr(3, 2)), std::stoi(hms.substr(6, 2))});
    }
    std::string now() const {
        const auto t = m_clock.now();
        return text::normaliseTime(text::formatClockTime(t.hour, t.minute, t.second));
    }

    // One tick of the broadcast clock at the current simulated time; what it started and ended
    // goes into the log.
    void tick() { logWhile(m_system->mainWindow().broadcastTimer); }

    // Fires `timer`, logging what started and ended meanwhile.
    void logWhile(model::Timer& timer) {
        const std::size_t seen = m_device.calls.size();
        const std::size_t shellSeen = m_shell.requests.size();
        const bool wasPlaying = state().isPlaying;
        timer.fire();
        if (wasPlaying && !state().isPlaying) {
            log.push_back(now() + " end");
        }
        for (std::size_t i = seen; i < m_device.calls.size(); ++i) {
            const std::string& c = m_device.calls[i];
            if (c.starts_with("open ")) {
                log.push_back(now() + " open " + fs::path(c.substr(5)).filename().string());
            } else if (c == "stop") {
                log.push_back(now() + " cut");
            }
        }
        for (std::size_t i = shellSeen; i < m_shell.requests.size(); ++i) {
            log.push_back(now() + " shell " +
                          fs::path(m_shell.requests[i].target).filename().string());
        }
    }

    // Ticks the next `seconds` seconds, the stop-day ticker too while it runs.
    void runFor(int seconds) {
        for (int i = 0; i < seconds; ++i) {
            m_clock.set(localDateTimeOf(secondsOf(m_clock.now()) + 1));
            tick();
            logWhile(m_system->mainWindow().stopDayTimer);
        }
    }

    // Ticks every second from the next one up to and including `until`.
    void runUntil(const std::string& until) {
        while (now() < until) {
            m_clock.set(localDateTimeOf(secondsOf(m_clock.now()) + 1));
            tick();
        }
    }

    ui::MainWindow& form() { return m_system->mainWindow(); }
    system::BroadcastEngine& engine() { return m_system->engine(); }
    playback::PlaybackState& state() {
        return system::StationTestAccess::session(engine()).playback;
    }

    std::vector<std::string> log;
    std::vector<std::string> entries;
    // Receives what went on air, when a test gives one; it must outlive m_system.
    BroadcastRecord* record = nullptr;
    // Receives what failed, when a test gives one; it must outlive m_system.
    platform::FailureRecord* failures = nullptr;
    // Tells the clock's synchronisation, and rehearses days, when a test gives them.
    platform::ClockSyncProbe* clockSync = nullptr;
    editing::DayChecker* dayChecker = nullptr;
    // Keeps the wake time, when a test gives one; it must outlive m_system.
    platform::WakeAlarm* wakeAlarm = nullptr;
    platform::LocalDateTime date{2026, 12, 9};  // a Wednesday
    TempDir m_dir;
    fakes::FakePlatform m_platform;
    // The fakes the scenarios script and read.
    fakes::ScriptedHost& m_host = m_platform.host;
    fakes::SettableClock& m_clock = m_platform.clock;
    fakes::FakePower& m_power = m_platform.power;
    fakes::RecordingScreenSaverFlag& m_screenSaver = m_platform.screenSaver;
    fakes::RecordingShell& m_shell = m_platform.shell;
    fakes::FakeMediaDevice& m_device = m_platform.device;
    std::unique_ptr<OrvessaSystem> m_system;
};

using Log = std::vector<std::string>;

}  // namespace orvessa::scheduler
