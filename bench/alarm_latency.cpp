// How soon the alarm sounds: the whole system on the tests' fakes, but with the real media
// framework as the alerts' device and the real disk flush, 20 emergencies started and ended.
// For each, the time from the command to its return, and to the first sound: the alert device's
// position moving on, as a synchronised sink renders the siren. Prints the median and the worst.

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "backends/gstreamer/gst_media_device.h"
#include "backends/gstreamer/gst_support.h"
#include "backends/linux/linux_file_sync.h"
#include "core/desktop/orvessa_system.h"
#include "core/text/gbk.h"
#include "fakes/fake_platform.h"
#include "support/temp_dir.h"

namespace {

using namespace orvessa;
using SteadyClock = std::chrono::steady_clock;

constexpr int kRuns = 20;

double milliseconds(SteadyClock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

void report(const char* what, std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    const double median = n % 2 != 0 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    std::printf("  %-28s median %7.1f ms   worst %7.1f ms\n", what, median, samples.back());
}

// The configuration of a system that starts in automatic operation with the library beside it.
void writeConfiguration(const std::filesystem::path& dir) {
    std::vector<std::string> entries(27, "0");
    entries[2] = entries[3] = "  :  :  ";
    entries[5] = "3";
    entries[6] = "1";
    entries[11] = (dir / "AUDIO").string() + "/";
    std::string text;
    for (const std::string& e : entries) {
        text += e + "\r\n";
    }
    std::filesystem::create_directory(dir / "AUDIO");
    testing::writeBytes(dir / "orvessa.sys", text);
}

}  // namespace

int main() {
    backends::gst::ensureInitialised();
    testing::TempDir dir;
    writeConfiguration(dir.path());

    backends::GstMediaOptions options;
    options.audioSink = "fakesink sync=true";
    options.videoSink = "fakesink sync=true";
    backends::GstMediaDevice alertDevice(options);
    backends::LinuxFileSync sync;
    fakes::FakePlatform platform;
    system::PlatformServices services = platform.services(dir.path());
    services.alertDevice = &alertDevice;
    services.alertOutput = &alertDevice;
    services.fileSync = &sync;
    std::unique_ptr<system::OrvessaSystem> system = system::OrvessaSystem::start(services);
    system->mainWindow().setVisible(true);
    system->mainWindow().activate();
    alerts::Alerts& alerts = system->alerts();

    std::vector<double> returned;
    std::vector<double> firstSound;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = SteadyClock::now();
        if (!alerts.startEmergency("bench").done()) {
            std::fprintf(stderr, "the emergency did not start\n");
            return 1;
        }
        returned.push_back(milliseconds(SteadyClock::now() - start));
        const auto limit = start + std::chrono::seconds(5);
        while (alertDevice.position() <= 0 && SteadyClock::now() < limit) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        if (alertDevice.position() > 0) {
            firstSound.push_back(milliseconds(SteadyClock::now() - start));
        }
        // Let it sound a while, as an emergency does, then end it: the siren is made ready
        // again for the next.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        alerts.endEmergency("bench");
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    std::printf("emergency to alarm (%d runs; the state file flushed to the disk each time)\n",
                kRuns);
    report("command returns", returned);
    if (firstSound.size() != static_cast<std::size_t>(kRuns)) {
        std::printf("  %zu of %d runs made no sound within 5 s\n", kRuns - firstSound.size(),
                    kRuns);
    }
    if (!firstSound.empty()) {
        report("command to first sound", firstSound);
    }
    return firstSound.size() == static_cast<std::size_t>(kRuns) ? 0 : 1;
}
