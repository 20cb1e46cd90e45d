// The broadcast clock on the real Qt host, under load: the core system with the Linux clock and
// the GStreamer device (silent, synchronised fake sink), broadcastTimer driven by the Qt timer
// binder, busy child processes (one per core of a two-core machine by default) and the
// user-interface thread stalled for 1.5 s every 20 s. Reports how late each broadcastTimer firing
// came after its second boundary, the seconds the timer skipped, the seconds the clock never ticked
// even after making up (must be 0), and the time from a timed row's second to its first sound.
//
// Usage: orvessa_clock_bench [seconds (default 120)] [busy processes (default 2)] [options]
//
// With --console (or --pollers=N / --streams=N) the web console is served in-process as the
// program serves it, with N clients polling its status and N event streams on 127.0.0.1, and
// the time from each broadcast event to its line on every stream is reported too; --no-stalls
// leaves the user-interface thread alone. Built as orvessa_console_load, the console is on, the
// run 90 s, with no busy processes and no stalls unless asked for. --offsets=FILE writes each
// firing's offset after its second ("tick MS") and each row's first sound ("sound MS"), for
// scripts that set this bench beside others (tick_latency.sh).

#include <gst/gst.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <exception>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "backends/gstreamer/gst_media_device.h"
#include "backends/gstreamer/media_files.h"
#include "backends/linux/linux_clock.h"
#include "console_load.h"
#include "core/desktop/orvessa_system.h"
#include "core/store/table_file.h"
#include "core/text/gbk.h"
#include "core/text/time_text.h"
#include "fakes/fake_platform.h"
#include "gui/timer_binder.h"
#include "support/temp_dir.h"

namespace {

using namespace orvessa;
namespace fs = std::filesystem;

constexpr const char* kSinkName = "orvessa-clock-bench-sink";
constexpr double kStallSeconds = 1.5;
constexpr int kStallEvery = 20;
// The stalls begin at these points of a second, so that some delay a tick within its second
// and some push it past the next boundary.
constexpr int kStallPhasesMs[] = {100, 500, 900, 300, 700, 980};
// Timed rows every few seconds; a stall starts in the second before every fourth row, so
// those rows show the made-up seconds at work.
constexpr int kFirstRow = 10;
constexpr int kRowEvery = 5;
constexpr int kFirstStall = kFirstRow - 1;

int64_t nowNs() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double ms(int64_t ns) {
    return static_cast<double>(ns) / 1e6;
}

constexpr int64_t kSecondNs = 1000000000;
constexpr int64_t kSlowCallNs = 200000000;

// Processes that keep the cores busy for the length of the run. They die with this program.
std::vector<pid_t> startBusyProcesses(int count) {
    std::vector<pid_t> pids;
    for (int i = 0; i < count; ++i) {
        const pid_t pid = fork();
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            volatile uint64_t spin = 0;
            for (;;) {
                spin = spin + 1;
            }
        }
        if (pid > 0) {
            pids.push_back(pid);
        } else {
            std::perror("fork");
        }
    }
    return pids;
}

void stopBusyProcesses(const std::vector<pid_t>& pids) {
    for (const pid_t pid : pids) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

void spinFor(double seconds) {
    const int64_t end = nowNs() + static_cast<int64_t>(seconds * 1e9);
    while (nowNs() < end) {
    }
}

std::string clockText(time_t second) {
    std::tm local{};
    localtime_r(&second, &local);
    return text::formatClockTime(local.tm_hour, local.tm_min, local.tm_sec);
}

// Seconds of the day of an "H:mm:ss" text.
int secondOfDay(const std::string& hms) {
    const std::string t = text::normaliseTime(hms);
    return std::stoi(t.substr(0, 2)) * 3600 + std::stoi(t.substr(3, 2)) * 60 +
           std::stoi(t.substr(6, 2));
}

struct Sample {
    double median = 0;
    double p99 = 0;
    double worst = 0;
};

Sample summarise(std::vector<double> values) {
    Sample s;
    if (values.empty()) {
        return s;
    }
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    s.median = n % 2 != 0 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    // Nearest rank.
    const std::size_t rank = (99 * n + 99) / 100;
    s.p99 = values[std::min(n, std::max<std::size_t>(rank, 1)) - 1];
    s.worst = values.back();
    return s;
}

// One timed row and when its sound came out.
struct RowProbe {
    time_t second = 0;
    std::string start;
    int64_t openNs = 0;    // how long open() held the thread
    std::string openedAt;  // the clock text of the tick that opened it
    std::atomic<int64_t> firstSoundNs{0};
};

void onHandoff(GstElement*, GstBuffer*, GstPad*, gpointer data) {
    auto* first = static_cast<std::atomic<int64_t>*>(data);
    int64_t none = 0;
    first->compare_exchange_strong(none, nowNs());
}

// The GStreamer device as the core sees it, with the fake sink of each opened row watched for
// its first rendered buffer.
class ProbedDevice : public platform::MediaDevice {
public:
    ProbedDevice(backends::GstMediaDevice& device, std::deque<RowProbe>& rows)
        : m_device(device), m_rows(rows) {}

    // The main window's clock panel, which exists only once the system has started.
    void watchClock(const model::TextControl& panel) { m_clockPanel = &panel; }

    void setFileName(const std::string& path) override { m_device.setFileName(path); }
    const std::string& fileName() const override { return m_device.fileName(); }
    void setDisplay(platform::NativeWindow window) override { m_device.setDisplay(window); }
    void prepare(const std::string& path) override {
        timed("prepare", [&] { m_device.prepare(path); });
    }
    void open() override {
        const int64_t from = nowNs();
        timed("open", [&] { m_device.open(); });
        // The row is the one whose second the opening tick is ticking.
        const std::string at = m_clockPanel != nullptr ? m_clockPanel->text() : std::string();
        const auto found = std::find_if(m_rows.begin(), m_rows.end(), [&](const RowProbe& r) {
            return r.start == at && r.openedAt.empty();
        });
        if (found == m_rows.end()) {
            ++unmatchedOpens;
            return;
        }
        RowProbe& row = *found;
        row.openNs = nowNs() - from;
        row.openedAt = at;
        GstElement* sink = gst_bin_get_by_name(GST_BIN(m_device.pipeline()), kSinkName);
        if (sink != nullptr) {
            g_signal_connect(sink, "handoff", G_CALLBACK(onHandoff), &row.firstSoundNs);
            gst_object_unref(sink);
        }
    }
    void setDisplayRect(const platform::DisplayRect& rect) override {
        m_device.setDisplayRect(rect);
    }
    void play() override {
        timed("play", [&] { m_device.play(); });
    }
    void startRecording() override { m_device.startRecording(); }
    void stop() override {
        timed("stop", [&] { m_device.stop(); });
    }
    void save() override { m_device.save(); }
    void close() override {
        timed("close", [&] { m_device.close(); });
    }
    int64_t length() const override { return m_device.length(); }
    int64_t position() const override {
        int64_t p = 0;
        timed("position", [&] { p = m_device.position(); });
        return p;
    }
    platform::MediaMode mode() const override {
        platform::MediaMode m = platform::MediaMode::NotReady;
        timed("mode", [&] { m = m_device.mode(); });
        return m;
    }

    // Device calls that held the user-interface thread for long, as "what at when: how long".
    mutable std::vector<std::string> slowCalls;
    // Opens at a second that is no row's start.
    int unmatchedOpens = 0;

private:
    template <typename Call>
    void timed(const char* what, Call call) const {
        const int64_t from = nowNs();
        std::string failure;
        std::exception_ptr thrown;
        try {
            call();
        } catch (const std::exception& error) {
            failure = error.what();
            thrown = std::current_exception();
        }
        const int64_t took = nowNs() - from;
        if (took > kSlowCallNs || thrown) {
            char line[160];
            std::snprintf(line, sizeof line, "%s at %s.%03d took %.1f ms%s", what,
                          clockText(static_cast<time_t>(from / kSecondNs)).c_str(),
                          static_cast<int>(from % kSecondNs / 1000000), ms(took),
                          thrown ? " and failed: " : "");
            slowCalls.emplace_back(line + failure);
        }
        if (thrown) {
            std::rethrow_exception(thrown);
        }
    }

    backends::GstMediaDevice& m_device;
    std::deque<RowProbe>& m_rows;
    const model::TextControl* m_clockPanel = nullptr;
};

struct Firing {
    int64_t atNs;
    // A stall or a slow handler held the thread since the firing before.
    bool delayed;
    int64_t handlerNs = 0;  // how long the clock's handler held the thread
};

void writeProgramDirectory(const fs::path& dir, const std::deque<RowProbe>& rows, int weekday) {
    fs::create_directory(dir / "AUDIO");
    // Half a second of tone: it ends well before the next row is due.
    testing::writeToneWav(dir / "AUDIO" / "bell.wav", 22050);

    std::vector<std::string> entries(store::SystemConfig::kEntryCount, "0");
    entries[store::SystemConfig::kShutdownTimeOne] = "  :  :  ";
    entries[store::SystemConfig::kShutdownTimeTwo] = "  :  :  ";
    entries[store::SystemConfig::kEndOfDayAction] = "3";
    entries[store::SystemConfig::kPasswordMode] = "1";
    entries[store::SystemConfig::kMediaLibrary] = (dir / "AUDIO").string() + "/";
    std::string config;
    for (const std::string& e : entries) {
        config += e + "\r\n";
    }
    testing::writeBytes(dir / store::SystemConfig::kFileName, config);

    std::string table;
    int n = 1;
    for (const RowProbe& row : rows) {
        table += std::to_string(n++) + "," + row.start + ",bell,bell.wav,,,\r\n";
    }
    testing::writeBytes(dir / store::scheduleFileName(weekday), text::utf8ToGbk(table));
}

int weekdayToday() {
    const time_t now = time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_wday == 0 ? 7 : local.tm_wday;
}

constexpr int kPollsPerSecond = 5;

struct Options {
#ifdef ORVESSA_CONSOLE_LOAD
    int seconds = 90;
    int busy = 0;
    bool stalls = false;
    bool console = true;
#else
    int seconds = 120;
    int busy = 2;
    bool stalls = true;
    bool console = false;
#endif
    int pollers = 50;
    int streams = 20;
    std::string offsetsFile;
};

bool parse(int argc, char** argv, Options& options) {
    std::vector<std::string> positional;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            if (arg == "--console") {
                options.console = true;
            } else if (arg == "--stalls") {
                options.stalls = true;
            } else if (arg == "--no-stalls") {
                options.stalls = false;
            } else if (arg.rfind("--pollers=", 0) == 0) {
                options.pollers = std::stoi(arg.substr(10));
                options.console = true;
            } else if (arg.rfind("--streams=", 0) == 0) {
                options.streams = std::stoi(arg.substr(10));
                options.console = true;
            } else if (arg.rfind("--offsets=", 0) == 0) {
                options.offsetsFile = arg.substr(10);
            } else if (arg.rfind("--", 0) == 0) {
                return false;
            } else {
                positional.push_back(arg);
            }
        }
        if (positional.size() > 2) {
            return false;
        }
        if (!positional.empty()) {
            options.seconds = std::stoi(positional[0]);
        }
        if (positional.size() > 1) {
            options.busy = std::stoi(positional[1]);
        }
    } catch (const std::exception&) {
        return false;
    }
    // The event streams are limited by the console itself.
    return options.seconds >= kFirstRow + kRowEvery && options.busy >= 0 && options.pollers >= 0 &&
           options.pollers <= 500 && options.streams >= 0 && options.streams <= 64;
}

const char* verdict(bool met) {
    return met ? "met" : "MISSED";
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        const Options defaults;
        std::fprintf(stderr,
                     "usage: %s [seconds >= %d, default %d] [busy processes, default %d]\n"
                     "       [--console] [--pollers=N (default 50)] [--streams=N (default 20)]\n"
                     "       [--stalls | --no-stalls] [--offsets=FILE]\n",
                     argv[0], kFirstRow + kRowEvery, defaults.seconds, defaults.busy);
        return 2;
    }
    // Before any thread exists, so the children are plain spinning copies.
    const std::vector<pid_t> busy = startBusyProcesses(options.busy);

    testing::TempDir dir;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Qt wants a private runtime directory; without one it makes its own under /tmp.
    if (getenv("XDG_RUNTIME_DIR") == nullptr) {
        fs::create_directory(dir / "runtime");
        fs::permissions(dir / "runtime", fs::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", (dir / "runtime").c_str(), 1);
    }
    QApplication app(argc, argv);
    backends::gst::ensureInitialised();

    // Second 0 of the run, a little ahead so that set-up is done by then.
    const time_t base = time(nullptr) + 2;
    const time_t end = base + options.seconds;
    std::deque<RowProbe> rows;
    for (time_t s = base + kFirstRow; s + kRowEvery <= end; s += kRowEvery) {
        RowProbe& row = rows.emplace_back();
        row.second = s;
        row.start = clockText(s);
    }
    writeProgramDirectory(dir.path(), rows, weekdayToday());

    // The real clock; the other services are the tests' fakes.
    fakes::BasicFakePlatform<backends::LinuxClock> platform;
    backends::GstMediaOptions mediaOptions;
    mediaOptions.audioSink =
        std::string("fakesink sync=true signal-handoffs=true name=") + kSinkName;
    mediaOptions.videoSink = "fakesink sync=true";
    backends::GstMediaDevice gstDevice(mediaOptions);

    ProbedDevice device(gstDevice, rows);
    // The probe watches what is played; the volume goes to the pipeline itself.
    std::unique_ptr<system::OrvessaSystem> system =
        system::OrvessaSystem::start(platform.services(dir.path(), device, gstDevice));
    if (!system) {
        std::fprintf(stderr, "the system did not start\n");
        stopBusyProcesses(busy);
        return 1;
    }
    ui::MainWindow& mainWindow = system->mainWindow();
    device.watchClock(mainWindow.clockText);

    // What the clock ticked: every text clockText showed, in order.
    std::vector<std::string> ticked;
    mainWindow.clockText.changed.connect([&] {
        if (ticked.empty() || ticked.back() != mainWindow.clockText.text()) {
            ticked.push_back(mainWindow.clockText.text());
        }
    });

    // broadcastTimer's own handler, with the moment of each firing noted first.
    std::vector<Firing> firings;
    int64_t lastStallEndNs = 0;
    scheduler::BroadcastClock& broadcastClock = system->broadcastClock();
    mainWindow.broadcastTimer.setHandler([&] {
        const int64_t at = nowNs();
        const bool delayed = !firings.empty() && (lastStallEndNs > firings.back().atNs ||
                                                  firings.back().handlerNs > kSlowCallNs);
        firings.push_back({at, delayed});
        broadcastClock.tick();
        firings.back().handlerNs = nowNs() - at;
    });
    gui::TimerBinder broadcastBinder(mainWindow.broadcastTimer,
                                     gui::TimerBinder::Ticks::OnTheSecond, nullptr);

    mainWindow.setVisible(true);
    mainWindow.activate();

    // Stalls of the user-interface thread, each from a chosen point of its second.
    std::vector<std::pair<int64_t, int64_t>> stalls;
    QTimer stallTimer;
    stallTimer.setSingleShot(true);
    stallTimer.setTimerType(Qt::PreciseTimer);
    std::size_t stallCount = 0;
    auto armStall = [&] {
        const time_t second = base + kFirstStall + static_cast<time_t>(stallCount) * kStallEvery;
        const int phase = kStallPhasesMs[stallCount % std::size(kStallPhasesMs)];
        const int64_t due = static_cast<int64_t>(second) * kSecondNs + phase * 1000000LL;
        if (second + 2 >= end) {
            return;
        }
        stallTimer.start(static_cast<int>(std::max<int64_t>(0, (due - nowNs()) / 1000000)));
    };
    QObject::connect(&stallTimer, &QTimer::timeout, [&] {
        const int64_t from = nowNs();
        spinFor(kStallSeconds);
        stalls.emplace_back(from, nowNs());
        lastStallEndNs = nowNs();
        ++stallCount;
        armStall();
    });
    if (options.stalls) {
        armStall();
    }

    // The console and its clients, which run on their own threads until the run's end.
    std::unique_ptr<bench::ConsoleUnderLoad> console;
    if (options.console) {
        console = std::make_unique<bench::ConsoleUnderLoad>(*system, platform.clock, dir.path());
        if (const std::string error = console->start(); !error.empty()) {
            std::fprintf(stderr, "the console did not start: %s\n", error.c_str());
            stopBusyProcesses(busy);
            return 1;
        }
        const int64_t until =
            bench::monotonicNs() + (static_cast<int64_t>(end) * kSecondNs - nowNs());
        console->startClients(options.pollers, kPollsPerSecond, options.streams, until);
    }

    if (options.stalls) {
        std::printf(
            "running %d s from %s with %zu busy processes, %zu timed rows, a %.1f s stall "
            "every %d s\n",
            options.seconds, clockText(base).c_str(), busy.size(), rows.size(), kStallSeconds,
            kStallEvery);
    } else {
        std::printf("running %d s from %s with %zu busy processes, %zu timed rows, no stalls\n",
                    options.seconds, clockText(base).c_str(), busy.size(), rows.size());
    }
    if (console) {
        std::printf(
            "console at http://127.0.0.1:%d/: %d clients polling /api/status %d times a "
            "second, %d event streams (/api/events)\n",
            console->port(), options.pollers, kPollsPerSecond, options.streams);
    }
    std::fflush(stdout);
    QTimer::singleShot(
        static_cast<int>((static_cast<int64_t>(end) * kSecondNs + kSecondNs / 2 - nowNs()) /
                         1000000),
        &app, [] { QApplication::quit(); });
    QApplication::exec();

    mainWindow.broadcastTimer.stop();
    if (console) {
        console->finish();
    }
    stopBusyProcesses(busy);
    gstDevice.stop();
    gstDevice.close();

    // broadcastTimer firings.
    std::vector<double> offsets;
    std::vector<double> undisturbed;
    int skipped = 0;
    int sameSecond = 0;
    for (std::size_t i = 0; i < firings.size(); ++i) {
        const double offset = ms(firings[i].atNs % kSecondNs);
        offsets.push_back(offset);
        if (!firings[i].delayed) {
            undisturbed.push_back(offset);
        }
        if (i > 0) {
            const int64_t gap = firings[i].atNs / kSecondNs - firings[i - 1].atNs / kSecondNs;
            if (gap > 1) {
                skipped += static_cast<int>(gap - 1);
            } else if (gap == 0) {
                ++sameSecond;
            }
        }
    }

    // Seconds the clock ticked, from its first tick to its last.
    int neverTicked = 0;
    int tickedTwice = 0;
    std::vector<int> seconds;
    for (const std::string& t : ticked) {
        int s = secondOfDay(t);
        // Past midnight the day's seconds start again.
        while (!seconds.empty() && s < seconds.back() - 43200) {
            s += 86400;
        }
        seconds.push_back(s);
    }
    for (std::size_t i = 1; i < seconds.size(); ++i) {
        const int gap = seconds[i] - seconds[i - 1];
        if (gap > 1) {
            neverTicked += gap - 1;
        } else if (gap < 1) {
            ++tickedTwice;
        }
    }

    // Timed rows: from the row's second to its first sound.
    std::vector<double> clean;
    std::vector<double> inStall;
    int unplayed = 0;
    for (const RowProbe& row : rows) {
        const int64_t first = row.firstSoundNs.load();
        if (first == 0) {
            ++unplayed;
            continue;
        }
        const int64_t boundary = static_cast<int64_t>(row.second) * kSecondNs;
        const bool stalled = std::any_of(stalls.begin(), stalls.end(), [&](const auto& st) {
            return st.first < first && st.second > boundary;
        });
        (stalled ? inStall : clean).push_back(ms(first - boundary));
    }
    std::printf("\nrow      open() took  first sound after its second\n");
    for (const RowProbe& row : rows) {
        const int64_t first = row.firstSoundNs.load();
        const int64_t boundary = static_cast<int64_t>(row.second) * kSecondNs;
        std::printf("%-8s %8.1f ms  ", row.start.c_str(), ms(row.openNs));
        if (first == 0) {
            std::printf("none\n");
        } else {
            std::printf("%8.1f ms\n", ms(first - boundary));
        }
    }

    if (!options.offsetsFile.empty()) {
        FILE* file = std::fopen(options.offsetsFile.c_str(), "w");
        if (file == nullptr) {
            std::perror(options.offsetsFile.c_str());
        } else {
            for (const double offset : offsets) {
                std::fprintf(file, "tick %.3f\n", offset);
            }
            for (const double first : clean) {
                std::fprintf(file, "sound %.3f\n", first);
            }
            std::fclose(file);
        }
    }

    const Sample all = summarise(offsets);
    const Sample calm = summarise(undisturbed);
    const Sample sound = summarise(clean);
    const Sample late = summarise(inStall);
    std::printf("\nBroadcast clock ticks: %zu over %d s, %zu stalls of %.1f s\n", firings.size(),
                options.seconds, stalls.size(), kStallSeconds);
    std::printf(
        "  offset after the second boundary, all firings:     median %6.1f ms   p99 %6.1f "
        "ms   worst %6.1f ms\n",
        all.median, all.p99, all.worst);
    std::printf(
        "  offset, firings nothing held up since the one before: median %6.1f ms   p99 "
        "%6.1f ms   worst %6.1f ms (%zu firings)\n",
        calm.median, calm.p99, calm.worst, undisturbed.size());
    for (const auto& [from, to] : stalls) {
        const auto next = std::find_if(firings.begin(), firings.end(),
                                       [&](const Firing& f) { return f.atNs > from; });
        if (next == firings.end() || next == firings.begin()) {
            continue;
        }
        const int64_t gap = next->atNs / kSecondNs - std::prev(next)->atNs / kSecondNs;
        std::printf(
            "  stall %s.%03d-%s.%03d: next firing %6.1f ms into %s, %lld second(s) "
            "skipped\n",
            clockText(static_cast<time_t>(from / kSecondNs)).c_str(),
            static_cast<int>(from % kSecondNs / 1000000),
            clockText(static_cast<time_t>(to / kSecondNs)).c_str(),
            static_cast<int>(to % kSecondNs / 1000000), ms(next->atNs % kSecondNs),
            clockText(static_cast<time_t>(next->atNs / kSecondNs)).c_str(),
            static_cast<long long>(std::max<int64_t>(0, gap - 1)));
    }
    for (const Firing& f : firings) {
        if (f.handlerNs > kSlowCallNs) {
            std::printf("  firing at %s.%03d: the clock's handler took %.1f ms\n",
                        clockText(static_cast<time_t>(f.atNs / kSecondNs)).c_str(),
                        static_cast<int>(f.atNs % kSecondNs / 1000000), ms(f.handlerNs));
        }
    }
    for (const std::string& call : device.slowCalls) {
        std::printf("  device %s\n", call.c_str());
    }
    std::printf("  seconds skipped by the timer:          %d\n", skipped);
    std::printf("  firings in the same second as the one before: %d\n", sameSecond);
    std::printf("Broadcast clock: %zu seconds ticked (%s .. %s)\n", ticked.size(),
                ticked.empty() ? "-" : ticked.front().c_str(),
                ticked.empty() ? "-" : ticked.back().c_str());
    std::printf("  seconds never ticked after making up:  %d\n", neverTicked);
    std::printf("  seconds ticked twice or backwards:     %d\n", tickedTwice);
    std::printf("Timed rows (0.5 s WAV, %zu rows %d s apart): second boundary to first sound\n",
                rows.size(), kRowEvery);
    std::printf("  rows clear of stalls:   median %6.1f ms   worst %6.1f ms (%zu rows)\n",
                sound.median, sound.worst, clean.size());
    std::printf("  rows a stall delayed:   median %6.1f ms   worst %6.1f ms (%zu rows)\n",
                late.median, late.worst, inStall.size());
    std::printf("  rows that never sounded: %d; opens at no row's second: %d\n", unplayed,
                device.unmatchedOpens);
    for (const auto& request : platform.shell.requests) {
        std::printf("  handed to the shell (the device could not play it): %s\n",
                    request.target.c_str());
    }
    if (!platform.host.messages.empty()) {
        std::printf("message boxes during the run: %zu, the first: %s\n",
                    platform.host.messages.size(), platform.host.messages.front().text.c_str());
    }
    if (!console) {
        return 0;
    }

    const bench::ConsoleLoadFigures load = console->figures();
    std::printf("Console: %d pollers, %d event streams\n", options.pollers, options.streams);
    std::printf("  status polls: %zu made, %zu errors (%zu of them no answer at all)\n", load.polls,
                load.pollErrors, load.pollTransportErrors);
    for (const auto& [kind, count] : load.pollErrorKinds) {
        std::printf("    %zu: %s\n", count, kind.c_str());
    }
    std::printf("  poll latency:  median %6.1f ms   p99 %6.1f ms   worst %6.1f ms\n",
                load.pollLatency.median, load.pollLatency.p99, load.pollLatency.worst);
    std::printf(
        "  broadcast events emitted: %zu; lines received %zu of %zu expected (%zu matching no "
        "event)\n",
        load.eventsEmitted, load.eventLatency.count, load.eventLinesExpected, load.unmatchedLines);
    std::printf("  emitted to received: median %6.1f ms   p99 %6.1f ms   worst %6.1f ms\n",
                load.eventLatency.median, load.eventLatency.p99, load.eventLatency.worst);
    std::printf("  streams opened %zu times, %zu ended before the run did\n", load.streamsOpened,
                load.streamsEndedEarly);
    std::printf("  processor time of the whole process: %.1f s over %d s\n", load.processCpuSeconds,
                options.seconds);

    const bool events = load.eventLatency.count > 0;
    std::printf("Against the targets:\n");
    std::printf("  tick offset median (nothing held up) %6.1f ms   target <= 3 ms    %s\n",
                calm.median, verdict(calm.median <= 3));
    std::printf("  tick offset p99 (nothing held up)    %6.1f ms   target <= 10 ms   %s\n",
                calm.p99, verdict(calm.p99 <= 10));
    std::printf("  seconds never ticked                 %6d      target 0         %s\n",
                neverTicked, verdict(neverTicked == 0));
    std::printf("  first sound median (clear rows)      %6.1f ms   target <= 20 ms   %s\n",
                sound.median, verdict(!clean.empty() && sound.median <= 20));
    if (events) {
        std::printf("  event to stream median               %6.1f ms   target <= 200 ms  %s\n",
                    load.eventLatency.median, verdict(load.eventLatency.median <= 200));
        std::printf("  event to stream p99                  %6.1f ms   target <= 200 ms  %s\n",
                    load.eventLatency.p99, verdict(load.eventLatency.p99 <= 200));
    } else {
        std::printf("  event to stream                      no stream received an event\n");
    }
    return 0;
}
