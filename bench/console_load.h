#pragma once

// The web console served in-process, as the program serves it, with browser-like clients on
// their own threads: pollers of the status document and readers of the event stream, all on
// 127.0.0.1 and all ending by a deadline. Notes when the engine emits each broadcast event and
// when each stream receives its line.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "backends/linux/mhd_http_server.h"
#include "backends/linux/sodium_secrets.h"
#include "core/console/certificate.h"
#include "core/console_server/console_runner.h"
#include "core/desktop/orvessa_system.h"
#include "core/platform/clock.h"
#include "gui/qt_ui_queue.h"
#include "gui/timer_binder.h"

namespace orvessa::bench {

// CLOCK_MONOTONIC in nanoseconds.
int64_t monotonicNs();

struct Figures {
    std::size_t count = 0;
    double median = 0;
    double p99 = 0;
    double worst = 0;
};

// Nearest-rank p99 and the median of `values` (milliseconds).
Figures figuresOf(std::vector<double> values);

struct ConsoleLoadFigures {
    std::size_t polls = 0;
    std::size_t pollErrors = 0;  // transport failures and answers other than 200
    std::size_t pollTransportErrors = 0;
    // Each kind of error, as libcurl or the status code names it, and how often it came.
    std::map<std::string, std::size_t> pollErrorKinds;
    Figures pollLatency;
    std::size_t eventsEmitted = 0;
    std::size_t eventLinesExpected = 0;  // events emitted while each stream was open
    Figures eventLatency;
    std::size_t unmatchedLines = 0;  // broadcast lines no emission was noted for
    std::size_t streamsOpened = 0;
    std::size_t streamsEndedEarly = 0;
    double processCpuSeconds = 0;
};

// No names but the loopback's, which the console always allows: asking the resolver for this
// computer's canonical name could send a query to a name server elsewhere.
class LoopbackNames : public console::HostNames {
public:
    std::vector<std::string> names() override { return {}; }
};

class ConsoleUnderLoad {
public:
    // Writes console.conf (enabled, 127.0.0.1, a free port) and an API token into `directory`,
    // then makes the console as the program does. Call on the interface thread.
    ConsoleUnderLoad(system::OrvessaSystem& system, const platform::Clock& clock,
                     const std::filesystem::path& directory);
    ~ConsoleUnderLoad();
    ConsoleUnderLoad(const ConsoleUnderLoad&) = delete;
    ConsoleUnderLoad& operator=(const ConsoleUnderLoad&) = delete;

    // Empty when the console serves, else why not.
    std::string start();
    int port() const { return m_port; }
    // `pollers` clients each asking for the status `pollsPerSecond` times a second and
    // `streams` event streams, all until the monotonic `untilNs`.
    void startClients(int pollers, int pollsPerSecond, int streams, int64_t untilNs);
    // Stops and joins the clients, then the console.
    void finish();
    ConsoleLoadFigures figures() const;

    struct Stream;

private:
    void poll(int index, int pollers, int pollsPerSecond, int64_t untilNs);
    void read(Stream& stream, int64_t untilNs);

    system::OrvessaSystem& m_system;
    int m_port = 0;
    std::string m_token;
    int m_listening = 0;
    std::atomic<bool> m_stop{false};

    mutable std::mutex m_mutex;
    // The data line of each broadcast event and when it was emitted (first emission).
    std::unordered_map<std::string, int64_t> m_emitted;
    std::vector<int64_t> m_emittedAt;
    std::vector<double> m_pollMs;
    std::size_t m_polls = 0;
    std::size_t m_pollErrors = 0;
    std::size_t m_pollTransportErrors = 0;
    std::map<std::string, std::size_t> m_pollErrorKinds;

    backends::SodiumSecrets m_secrets;
    LoopbackNames m_hostNames;
    backends::MhdHttpServer m_server;
    gui::QtUiQueue m_ui;
    std::unique_ptr<console::ConsoleRunner> m_runner;
    std::unique_ptr<gui::TimerBinder> m_ticker;
    std::vector<std::unique_ptr<Stream>> m_streams;
    std::vector<std::thread> m_threads;
};

}  // namespace orvessa::bench
