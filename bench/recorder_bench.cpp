// The sound recorder on the real media framework: how long "录音(&R)" takes until the first sound
// is captured (the device returns from starting only then), whether a recording of N seconds
// (60 by default) holds N s ± 0.1 s of sound in the chosen format, and the processor time the
// recording costs. The window's tick is played by this program every 500 ms.
//
//   orvessa_recorder_bench [seconds [channels bits rate [source]]]
//   e.g. orvessa_recorder_bench 60 2 16 44100 "audiotestsrc is-live=true"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "backends/gstreamer/gst_media_device.h"
#include "backends/gstreamer/wav_file.h"
#include "core/tools/recorder_window.h"
#include "fakes/scripted_host.h"
#include "support/temp_dir.h"

namespace {

using namespace orvessa;
using SteadyClock = std::chrono::steady_clock;

constexpr int kStartRuns = 10;
constexpr double kTolerance = 0.1;

struct Options {
    int seconds = 60;
    int channels = 1;
    int bits = 16;
    int rate = 44100;
    std::string source = "audiotestsrc is-live=true";
};

double seconds(SteadyClock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto of = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return of(usage.ru_utime) + of(usage.ru_stime);
}

// The radio items that give the format; false when the recorder offers no such format.
bool choose(tools::RecorderWindow& recorder, const Options& o) {
    const int rateItem = o.rate == 11025 ? 0 : o.rate == 22050 ? 1 : o.rate == 44100 ? 2 : -1;
    if ((o.channels != 1 && o.channels != 2) || (o.bits != 8 && o.bits != 16) || rateItem < 0) {
        return false;
    }
    recorder.channelsGroup.setItemIndex(o.channels - 1);
    recorder.sampleBitsGroup.setItemIndex(o.bits / 8 - 1);
    recorder.sampleRateGroup.setItemIndex(rateItem);
    return true;
}

bool parse(int argc, char** argv, Options& o) {
    try {
        if (argc > 1) {
            o.seconds = std::stoi(argv[1]);
        }
        if (argc > 4) {
            o.channels = std::stoi(argv[2]);
            o.bits = std::stoi(argv[3]);
            o.rate = std::stoi(argv[4]);
        }
        if (argc > 5) {
            o.source = argv[5];
        }
    } catch (...) {
        return false;
    }
    return o.seconds > 0 && (argc == 1 || argc == 2 || argc == 5 || argc == 6);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        std::fprintf(stderr, "usage: %s [seconds [channels bits rate [source]]]\n", argv[0]);
        return 2;
    }
    testing::TempDir dir;
    fakes::ScriptedHost host;
    backends::GstMediaOptions mediaOptions;
    mediaOptions.audioSink = "fakesink sync=true";
    mediaOptions.videoSink = "fakesink sync=true";
    mediaOptions.recordingSource = o.source;
    backends::GstMediaDevice device(mediaOptions);
    tools::RecorderWindow recorder(device,
                                   {host, [&dir] { return dir.path().string() + "/"; }, {}});
    if (!choose(recorder, o)) {
        std::fprintf(stderr,
                     "the recorder offers 1 or 2 channels, 8 or 16 bits, "
                     "11025, 22050 or 44100 Hz\n");
        return 2;
    }
    std::printf("source \"%s\", %d channel(s), %d bits, %d Hz\n", o.source.c_str(), o.channels,
                o.bits, o.rate);

    std::vector<double> starts;
    for (int run = 0; run < kStartRuns; ++run) {
        const auto before = SteadyClock::now();
        recorder.recordButton.click();
        starts.push_back(seconds(SteadyClock::now() - before) * 1000);
        if (recorder.state() != tools::RecorderWindow::State::Recording) {
            std::printf("the recording did not start: %s\n",
                        host.messages.empty() ? "?" : host.messages.back().text.c_str());
            return 1;
        }
        recorder.stopButton.click();
    }
    std::sort(starts.begin(), starts.end());
    std::printf(
        "start to first captured sound (%d runs):\n"
        "  median %.1f ms   worst %.1f ms   best %.1f ms\n",
        kStartRuns, (starts[kStartRuns / 2 - 1] + starts[kStartRuns / 2]) / 2, starts.back(),
        starts.front());

    const double cpuBefore = cpuSeconds();
    const auto started = SteadyClock::now();
    recorder.recordButton.click();
    const auto end = started + std::chrono::seconds(o.seconds);
    for (auto tick = started + std::chrono::milliseconds(tools::RecorderWindow::kTickInterval);
         tick < end; tick += std::chrono::milliseconds(tools::RecorderWindow::kTickInterval)) {
        std::this_thread::sleep_until(tick);
        recorder.tickTimer.fire();
    }
    std::this_thread::sleep_until(end);
    const auto stopping = SteadyClock::now();
    recorder.stopButton.click();
    const auto stopped = SteadyClock::now();
    const double cpu = cpuSeconds() - cpuBefore;
    const double wall = seconds(stopped - started);
    if (!host.messages.empty()) {
        std::printf("failed: %s\n", host.messages.back().text.c_str());
        return 1;
    }

    const auto info = backends::readWavInfo(dir / "Temp.wav");
    if (!info) {
        std::printf("failed: the recording is not a WAV file\n");
        return 1;
    }
    const bool sameFormat = info->format.channels == o.channels &&
                            info->format.bitsPerSample == o.bits &&
                            info->format.sampleRate == static_cast<uint32_t>(o.rate);
    const double held = static_cast<double>(info->dataBytes) / info->format.bytesPerSecond();
    const double asked = seconds(stopping - started);
    const bool whole = std::abs(held - asked) <= kTolerance;
    std::printf(
        "recording of %.3f s between the clicks (stop took %.1f ms):\n"
        "  file holds %.3f s of sound (%llu bytes), %s the format asked for\n"
        "  difference %+.3f s: %s (tolerance ±%.1f s)\n",
        asked, seconds(stopped - stopping) * 1000, held,
        static_cast<unsigned long long>(info->dataBytes), sameFormat ? "in" : "NOT in",
        held - asked, whole ? "within" : "OUTSIDE", kTolerance);
    std::printf("processor time %.2f s over %.1f s: %.1f %% of one core\n", cpu, wall,
                100 * cpu / wall);
    return sameFormat && whole ? 0 : 1;
}
