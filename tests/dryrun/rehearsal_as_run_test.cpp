#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/desktop/orvessa_system.h"
#include "core/scheduler/as_run.h"
#include "core/scheduler/broadcast_clock.h"
#include "dryrun/rehearsal.h"
#include "fakes/fake_platform.h"
#include "program_directory.h"

namespace orvessa::dryrun {
namespace {

// A media device that plays the way the real one does on air: the pipeline starts a little
// after the request, the position reads as the length only once the media has really ended, and
// the clock's ticks come a few milliseconds after each second.
class OnAirDevice : public platform::MediaDevice, public platform::AudioOutput {
public:
    static constexpr int64_t kPrerollMs = 40;

    OnAirDevice(const platform::Clock& clock, std::map<std::string, int64_t> lengths)
        : m_clock(clock), m_lengths(std::move(lengths)) {}

    void setFileName(const std::string& path) override { m_file = path; }
    const std::string& fileName() const override { return m_file; }
    void setDisplay(platform::NativeWindow) override {}
    void open() override {
        m_length = m_lengths.at(m_file.substr(m_file.rfind('/') + 1));
        m_open = true;
        m_playing = false;
    }
    void setDisplayRect(const platform::DisplayRect&) override {}
    void play() override {
        m_playing = m_open;
        m_startedAt = nowMs() + kPrerollMs;
    }
    void startRecording() override { throw platform::MediaError("no input"); }
    void stop() override { m_playing = false; }
    void save() override {}
    void close() override { m_open = m_playing = false; }
    int64_t length() const override { return m_length; }
    int64_t position() const override {
        if (!m_playing) {
            return 0;
        }
        const int64_t played = nowMs() - m_startedAt;
        return played >= m_length ? m_length : std::clamp<int64_t>(played, 0, m_length - 1);
    }
    platform::MediaMode mode() const override {
        if (!m_open) {
            return platform::MediaMode::NotReady;
        }
        return m_playing && position() < m_length ? platform::MediaMode::Playing
                                                  : platform::MediaMode::Stopped;
    }
    void setVolume(uint16_t, uint16_t) override {}

private:
    int64_t nowMs() const {
        const platform::LocalDateTime t = m_clock.now();
        return scheduler::secondsOf(t) * 1000 + t.millisecond;
    }

    const platform::Clock& m_clock;
    std::map<std::string, int64_t> m_lengths;
    std::string m_file;
    bool m_open = false;
    bool m_playing = false;
    int64_t m_length = 0;
    int64_t m_startedAt = 0;
};

class AsRunLines : public scheduler::BroadcastRecord {
public:
    void record(const scheduler::BroadcastEvent& e) override {
        lines.push_back(scheduler::as_run::line(e));
    }
    Lines lines;
};

// "08:00:14 stop row=1" of a line of either kind that starts or stops an item.
Lines startsAndStops(const Lines& lines) {
    Lines kept;
    for (const std::string& line : lines) {
        const std::string time = line.substr(11, 8);
        const std::string rest = line.substr(20);
        const std::size_t row = rest.find("row=");
        const std::size_t rowEnd = rest.find(' ', row);
        const std::string what = rest.substr(0, rest.find(' '));
        // The rehearsal's own "start table=... rows=4" names no row.
        if (row != std::string::npos && (what == "play" || what == "start" || what == "stop")) {
            kept.push_back(time + (what == "stop" ? " stop " : " start ") +
                           rest.substr(row, rowEnd - row));
        }
    }
    return kept;
}

class RehearsalAndAir : public ProgramDirectory {};

TEST_F(RehearsalAndAir, TheRehearsalPrintsTheStartsAndStopsTheProgramRecordsOnAir) {
    const std::map<std::string, int64_t> lengths = {
        {"bell.wav", 12000}, {"tune.mp3", 7040}, {"chime.wav", 5000}};
    for (const auto& [name, ms] : lengths) {
        file("AUDIO/" + name);
    }
    write(1, {{"08:00:00", "bell.wav", ""},
              {"", "tune.mp3", ""},
              {"", "bell.wav", ""},
              {"08:01:00", "chime.wav", "08:01:18"}});

    const Lines rehearsed =
        run({"--start", "2026-12-14 07:59:59", "--end", "2026-12-14 08:01:30", "--length",
             "bell.wav=12", "--length", "tune.mp3=7.04", "--length", "chime.wav=5"});
    ASSERT_EQ(status, kRehearsed) << error;

    fakes::FakePlatform platform;
    OnAirDevice device(platform.clock, lengths);
    AsRunLines record;
    system::PlatformServices services = platform.services(m_dir.path(), device, device);
    services.broadcastRecord = &record;
    auto at = [](int hour, int minute, int second) {
        return platform::LocalDateTime{2026, 12, 14, hour, minute, second, 5};
    };
    platform.clock.set(at(7, 59, 59));
    std::unique_ptr<system::OrvessaSystem> system = system::OrvessaSystem::start(services);
    system->mainWindow().setVisible(true);
    system->mainWindow().activate();
    for (int64_t s = scheduler::secondsOf(at(8, 0, 0)); s <= scheduler::secondsOf(at(8, 1, 30));
         ++s) {
        platform::LocalDateTime t = scheduler::localDateTimeOf(s);
        t.millisecond = 5;
        platform.clock.set(t);
        system->mainWindow().broadcastTimer.fire();
    }

    const Lines onAir = startsAndStops(record.lines);
    EXPECT_EQ(startsAndStops(rehearsed), onAir);
    // Whole seconds end in the second tick after their length, as on air.
    EXPECT_EQ(onAir, (Lines{"08:00:00 start row=1", "08:00:14 stop row=1", "08:00:15 start row=2",
                            "08:00:24 stop row=2", "08:00:25 start row=3", "08:00:39 stop row=3",
                            "08:01:00 start row=4", "08:01:07 stop row=4", "08:01:07 start row=4",
                            "08:01:14 stop row=4", "08:01:14 start row=4", "08:01:18 stop row=4"}));
}

}  // namespace
}  // namespace orvessa::dryrun
