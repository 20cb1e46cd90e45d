// Open and play latency of the media device: for a WAV and an MP3 made here, 20 times each, the
// wall time of open() + play(), and the time from open() to the first sound leaving the output
// (the first buffer a synchronised fake sink renders). Prints the median and the worst.

#include <gst/gst.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "backends/gstreamer/gst_media_device.h"
#include "backends/gstreamer/gst_support.h"
#include "backends/gstreamer/media_files.h"

namespace {

using namespace orvessa;
using SteadyClock = std::chrono::steady_clock;

constexpr int kRuns = 20;
constexpr const char* kSinkName = "orvessa-bench-sink";

std::atomic<SteadyClock::rep> g_firstRender{0};

void onHandoff(GstElement*, GstBuffer*, GstPad*, gpointer) {
    SteadyClock::rep none = 0;
    g_firstRender.compare_exchange_strong(none, SteadyClock::now().time_since_epoch().count());
}

double milliseconds(SteadyClock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

void report(const char* what, std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    const double median = n % 2 != 0 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    std::printf("  %-22s median %7.1f ms   worst %7.1f ms\n", what, median, samples.back());
}

void measure(const char* label, const std::filesystem::path& file) {
    backends::GstMediaOptions options;
    options.audioSink = std::string("fakesink sync=true signal-handoffs=true name=") + kSinkName;
    options.videoSink = "fakesink sync=true";
    backends::GstMediaDevice device(options);
    device.setFileName(file.string());

    std::vector<double> openPlay;
    std::vector<double> firstSound;
    for (int run = 0; run < kRuns; ++run) {
        g_firstRender = 0;
        const auto start = SteadyClock::now();
        device.open();
        GstElement* sink = gst_bin_get_by_name(GST_BIN(device.pipeline()), kSinkName);
        g_signal_connect(sink, "handoff", G_CALLBACK(onHandoff), nullptr);
        gst_object_unref(sink);
        device.play();
        openPlay.push_back(milliseconds(SteadyClock::now() - start));

        const auto limit = SteadyClock::now() + std::chrono::seconds(10);
        while (g_firstRender == 0 && SteadyClock::now() < limit) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        if (g_firstRender != 0) {
            const SteadyClock::time_point rendered{SteadyClock::duration(g_firstRender.load())};
            firstSound.push_back(milliseconds(rendered - start));
        }
        device.stop();
    }
    device.close();

    std::printf("%s (%d runs, the first one includes choosing the sinks)\n", label, kRuns);
    report("open + play", openPlay);
    if (firstSound.empty()) {
        std::printf("  no sound came out\n");
    } else {
        report("open to first sound", firstSound);
    }
}

}  // namespace

int main() {
    backends::gst::ensureInitialised();
    std::string pattern =
        (std::filesystem::temp_directory_path() / "orvessa-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path dir = pattern;
    int status = 0;
    try {
        testing::writeToneWav(dir / "bench.wav", 3 * 44100);
        measure("WAV, 3 s, 16-bit stereo 44100 Hz", dir / "bench.wav");
        if (testing::encode("audiotestsrc num-buffers=300 samplesperbuffer=441 ! "
                            "audio/x-raw,rate=44100,channels=2 ! audioconvert ! lamemp3enc ! "
                            "filesink name=out",
                            dir / "bench.mp3")) {
            measure("MP3, 3 s, variable bitrate", dir / "bench.mp3");
        } else {
            std::printf("MP3: no encoder (lamemp3enc), skipped\n");
        }
    } catch (const platform::MediaError& error) {
        std::fprintf(stderr, "media error: %s\n", error.what());
        status = 1;
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return status;
}
