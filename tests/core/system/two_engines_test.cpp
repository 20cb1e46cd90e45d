#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/desktop/orvessa_system.h"
#include "core/scheduler/as_run.h"
#include "core/text/gbk.h"
#include "fakes/fake_platform.h"
#include "support/temp_dir.h"

namespace orvessa::system {
namespace {

namespace fs = std::filesystem;
using orvessa::testing::writeBytes;

// Keeps the as-run lines of one system.
class Lines : public scheduler::BroadcastRecord {
public:
    void record(const scheduler::BroadcastEvent& event) override {
        lines.push_back(scheduler::as_run::line(event));
    }
    std::vector<std::string> lines;
};

// One system of two that share a host (message boxes, dialogs, the desktop, the power): its own
// program directory, clock, media device and record, as a zone of its own would have.
struct Zone {
    explicit Zone(fakes::FakePlatform& shared)
        : host(shared.host),
          power(shared.power),
          screenSaver(shared.screenSaver),
          shell(shared.shell),
          monitors(shared.monitors),
          keyboard(shared.keyboard),
          processes(shared.processes) {}

    fakes::ScriptedHost& host;
    fakes::FakePower& power;
    fakes::RecordingScreenSaverFlag& screenSaver;
    fakes::RecordingShell& shell;
    fakes::FixedMonitors& monitors;
    fakes::RecordingKeyboard& keyboard;
    fakes::FakeProcesses& processes;
    fakes::SettableClock clock;
    fakes::FakeSingleInstance instance;
    fakes::FakeMediaDevice device;
    testing::TempDir dir;
    Lines record;
    std::unique_ptr<OrvessaSystem> system;

    // Writes Wednesday's table of (start, file) rows and starts the system at 07:59:59.
    void start(const std::vector<std::pair<std::string, std::string>>& rows) {
        fs::create_directory(dir / "AUDIO");
        std::string config;
        std::vector<std::string> entries(27, "0");
        entries[2] = entries[3] = "  :  :  ";
        entries[5] = "3";
        entries[6] = "1";
        entries[11] = dir.path().string() + "/AUDIO/";
        for (const auto& e : entries) {
            config += e + "\r\n";
        }
        writeBytes(dir / "orvessa.sys", config);
        std::string table;
        int n = 1;
        for (const auto& [at, file] : rows) {
            writeBytes(dir / "AUDIO" / file, "x");
            device.lengths[file] = 2000;
            table += std::to_string(n++) + "," + at + ",item," + dir.path().string() + "/AUDIO/" +
                     file + ",,,\r\n";
        }
        writeBytes(dir / "zxsj3.log", text::utf8ToGbk(table));
        clock.set({2026, 12, 9, 7, 59, 59});
        device.now = [this] { return scheduler::secondsOf(clock.now()) * 1000; };
        PlatformServices services = servicesOf(*this, device, device, dir.path());
        services.broadcastRecord = &record;
        system = OrvessaSystem::start(services);
        ASSERT_NE(system, nullptr);
        system->mainWindow().setVisible(true);
        system->mainWindow().activate();
    }

    void tick() {
        clock.set(scheduler::localDateTimeOf(scheduler::secondsOf(clock.now()) + 1));
        system->mainWindow().broadcastTimer.fire();
    }

    // The lines from the first start of a row on, without their dates.
    std::vector<std::string> played() const {
        std::vector<std::string> out;
        for (const std::string& l : record.lines) {
            if (l.find(" start ") != std::string::npos || l.find(" stop ") != std::string::npos) {
                out.push_back(l.substr(11, 8) + (l.find(" start ") != std::string::npos
                                                     ? " start " + l.substr(l.rfind('/') + 1)
                                                     : " stop"));
            }
        }
        return out;
    }
};

class TwoEngines : public ::testing::Test {
protected:
    fakes::FakePlatform m_shared;
    Zone hall{m_shared};
    Zone yard{m_shared};
};

TEST_F(TwoEngines, EachRingsItsOwnTableOnItsOwnSeconds) {
    hall.start({{"08:00:01", "hall.wav"}, {"08:00:06", "hall2.wav"}});
    yard.start({{"08:00:03", "yard.wav"}});
    for (int s = 0; s < 10; ++s) {
        hall.tick();
        yard.tick();
    }
    EXPECT_EQ(hall.played(),
              (std::vector<std::string>{"08:00:01 start hall.wav", "08:00:04 stop",
                                        "08:00:06 start hall2.wav", "08:00:09 stop"}));
    EXPECT_EQ(yard.played(),
              (std::vector<std::string>{"08:00:03 start yard.wav", "08:00:06 stop"}));
    // Each device played only its own files.
    for (const std::string& call : hall.device.calls) {
        EXPECT_EQ(call.find("yard"), std::string::npos) << call;
    }
    EXPECT_EQ(hall.system->engine().status().table, "zxsj3.log");
    EXPECT_NE(&hall.system->engine(), &yard.system->engine());
}

TEST_F(TwoEngines, AStopOrAJumpInOneLeavesTheOtherAlone) {
    hall.start({{"08:00:01", "hall.wav"}, {"08:00:30", "late.wav"}});
    yard.start({{"08:00:01", "yard.wav"}, {"08:00:05", "next.wav"}});
    hall.tick();
    yard.tick();  // 08:00:00
    hall.tick();
    yard.tick();  // 08:00:01: both ring
    ASSERT_TRUE(hall.system->engine().status().playing.has_value());
    ASSERT_TRUE(yard.system->engine().status().playing.has_value());

    // The hall's operator stops its item and its clock is set ten minutes on.
    hall.system->player().stop();
    EXPECT_FALSE(hall.system->engine().status().playing.has_value());
    EXPECT_TRUE(yard.system->engine().status().playing.has_value());
    hall.clock.jumpTo({2026, 12, 9, 8, 10, 1});
    hall.system->mainWindow().broadcastTimer.fire();
    for (int s = 0; s < 6; ++s) {
        yard.tick();
    }
    EXPECT_EQ(yard.played(), (std::vector<std::string>{"08:00:01 start yard.wav", "08:00:04 stop",
                                                       "08:00:05 start next.wav"}));
    // The jump is the hall's alone: its record says so, the yard's does not.
    const auto jumped = [](const Zone& z) {
        for (const std::string& l : z.record.lines) {
            if (l.find("clock-jump") != std::string::npos) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(jumped(hall));
    EXPECT_FALSE(jumped(yard));
}

}  // namespace
}  // namespace orvessa::system
