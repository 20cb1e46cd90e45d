// The service's once-a-second beat on its own loop: a one-second model timer driven by the
// station's GlibTimers on GLib's default main context, as orvessa-station drives the console's
// ticker and the broadcast clock. Each firing's lateness after its wall-clock second is noted
// (the driver aims at 1 ms past the second); nothing else runs in the process.
//
// Usage: orvessa_station_tick_bench [seconds (default 20)] [file for each firing's offset, in ms]
// Prints median, p95 and worst offset; with a file, writes one "tick MS" line per firing.

#include <glib.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/model/timer.h"
#include "station/glib_timers.h"

namespace {

constexpr int64_t kSecondNs = 1000000000;

int64_t wallNs() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<int64_t>(ts.tv_sec) * kSecondNs + ts.tv_nsec;
}

double percentile(const std::vector<double>& sorted, int p) {
    // Nearest rank.
    const std::size_t rank = (static_cast<std::size_t>(p) * sorted.size() + 99) / 100;
    return sorted[std::max<std::size_t>(rank, 1) - 1];
}

gboolean quitLoop(gpointer loop) {
    g_main_loop_quit(static_cast<GMainLoop*>(loop));
    return G_SOURCE_REMOVE;
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = 20;
    if (argc > 3 || (argc > 1 && (seconds = std::atoi(argv[1])) < 2)) {
        std::fprintf(stderr, "usage: %s [seconds >= 2, default 20] [offsets file]\n", argv[0]);
        return 2;
    }
    const std::string out = argc > 2 ? argv[2] : "";

    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    std::vector<int64_t> firings;
    firings.reserve(static_cast<std::size_t>(seconds) + 2);
    {
        orvessa::model::Timer ticker("ticker", 1000);
        ticker.setHandler([&] { firings.push_back(wallNs()); });
        orvessa::station::GlibTimers timers;
        timers.drive(ticker, orvessa::station::GlibTimers::Ticks::OnTheSecond);
        // Ends half a second after the last whole second of the run.
        g_timeout_add(static_cast<guint>(seconds * 1000 + 500 - wallNs() % kSecondNs / 1000000),
                      quitLoop, loop);
        g_main_loop_run(loop);
    }
    g_main_loop_unref(loop);

    std::vector<double> offsets;
    for (const int64_t at : firings) {
        offsets.push_back(static_cast<double>(at % kSecondNs) / 1e6);
    }
    if (!out.empty()) {
        FILE* file = std::fopen(out.c_str(), "w");
        if (file == nullptr) {
            std::perror(out.c_str());
            return 1;
        }
        for (const double o : offsets) {
            std::fprintf(file, "tick %.3f\n", o);
        }
        std::fclose(file);
    }
    if (offsets.empty()) {
        std::printf("service ticker: no firing in %d s\n", seconds);
        return 1;
    }
    std::sort(offsets.begin(), offsets.end());
    std::printf(
        "service ticker: %zu firings in %d s, offset after the second: median %.3f ms, "
        "p95 %.3f ms, worst %.3f ms\n",
        offsets.size(), seconds, percentile(offsets, 50), percentile(offsets, 95), offsets.back());
    return 0;
}
