#include "console_load.h"

#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "core/console/accounts.h"
#include "core/console/console_settings.h"
#include "core/console_server/console_json.h"

namespace orvessa::bench {

namespace fs = std::filesystem;

namespace {

constexpr long kPollTimeoutMs = 2000;
constexpr long kConnectTimeoutMs = 1000;
// A stream that ends early is opened again, a few times at most.
constexpr int kMaxStreamOpens = 10;
constexpr auto kReopenPause = std::chrono::milliseconds(500);

// A port nobody listens on now: the kernel's choice for a socket bound to port 0.
int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return 0;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

size_t discard(char*, size_t size, size_t count, void*) {
    return size * count;
}

double ms(int64_t ns) {
    return static_cast<double>(ns) / 1e6;
}

void sleepUntil(int64_t atNs, const std::atomic<bool>& stop) {
    // In short steps, so that a stop is heard soon.
    for (int64_t now = monotonicNs(); now < atNs && !stop; now = monotonicNs()) {
        std::this_thread::sleep_for(
            std::chrono::nanoseconds(std::min<int64_t>(atNs - now, 50000000)));
    }
}

}  // namespace

int64_t monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

Figures figuresOf(std::vector<double> values) {
    Figures f;
    f.count = values.size();
    if (values.empty()) {
        return f;
    }
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    f.median = n % 2 != 0 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    const std::size_t rank = (99 * n + 99) / 100;
    f.p99 = values[std::min(n, std::max<std::size_t>(rank, 1)) - 1];
    f.worst = values.back();
    return f;
}

struct ConsoleUnderLoad::Stream {
    ConsoleUnderLoad* owner = nullptr;
    std::string url;
    std::string buffer;
    std::string event;  // the "event:" of the message being read
    bool open = false;
    // The broadcast lines received and when.
    std::vector<std::pair<std::string, int64_t>> lines;
    // From its first bytes (it was subscribed by then) to its end, each time it was open.
    std::vector<std::pair<int64_t, int64_t>> opened;
    int endedEarly = 0;
};

namespace {

size_t onStreamBytes(char* bytes, size_t size, size_t count, void* data) {
    const int64_t at = monotonicNs();
    auto* stream = static_cast<ConsoleUnderLoad::Stream*>(data);
    if (!stream->open) {
        stream->open = true;
        stream->opened.emplace_back(at, at);
    }
    stream->buffer.append(bytes, size * count);
    std::size_t end = 0;
    while ((end = stream->buffer.find('\n')) != std::string::npos) {
        const std::string line = stream->buffer.substr(0, end);
        stream->buffer.erase(0, end + 1);
        if (line.empty()) {
            stream->event.clear();
        } else if (line.rfind("event: ", 0) == 0) {
            stream->event = line.substr(7);
        } else if (line.rfind("data: ", 0) == 0 && stream->event == "broadcast") {
            stream->lines.emplace_back(line.substr(6), at);
        }
    }
    return size * count;
}

int onProgress(void* data, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<std::atomic<bool>*>(data)->load() ? 1 : 0;
}

}  // namespace

ConsoleUnderLoad::ConsoleUnderLoad(system::OrvessaSystem& system, const platform::Clock& clock,
                                   const fs::path& directory)
    : m_system(system) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    m_port = freeLoopbackPort();
    console::ConsoleSettingsFile settings(directory);
    settings.load();
    settings.setEnabled(true);
    settings.setAddress("127.0.0.1");
    settings.setPort(m_port);
    settings.save();
    console::Accounts accounts(directory, m_secrets);
    accounts.load();
    accounts.addToken("bench", console::Role::Viewer, m_token);
    accounts.save();

    // Before the console's own listener, so that the moment noted is before it publishes.
    m_listening = m_system.engine().events().connect([this](const system::EngineEvent& event) {
        if (event.kind != system::EngineEvent::Kind::Broadcast) {
            return;
        }
        const int64_t at = monotonicNs();
        std::string data = console::broadcastJson(event.broadcast);
        const std::lock_guard lock(m_mutex);
        m_emitted.try_emplace(std::move(data), at);
        m_emittedAt.push_back(at);
    });
    m_runner = std::make_unique<console::ConsoleRunner>(
        m_system, console::ConsoleRunnerServices{.server = m_server,
                                                 .certificates = nullptr,
                                                 .hostNames = m_hostNames,
                                                 .secrets = m_secrets,
                                                 .ui = m_ui,
                                                 .clock = clock});
    m_ticker = std::make_unique<gui::TimerBinder>(m_runner->ticker(),
                                                  gui::TimerBinder::Ticks::OnTheSecond, nullptr);
}

ConsoleUnderLoad::~ConsoleUnderLoad() {
    finish();
    m_system.engine().events().disconnect(m_listening);
    curl_global_cleanup();
}

std::string ConsoleUnderLoad::start() {
    if (m_token.empty()) {
        return "no API token could be made";
    }
    std::string error = m_runner->start();
    if (error.empty() && !m_runner->serving()) {
        error = "console.conf did not turn the console on";
    }
    return error;
}

void ConsoleUnderLoad::startClients(int pollers, int pollsPerSecond, int streams, int64_t untilNs) {
    for (int i = 0; i < streams; ++i) {
        auto& s = m_streams.emplace_back(std::make_unique<Stream>());
        s->owner = this;
        s->url = "http://127.0.0.1:" + std::to_string(m_port) + "/api/events";
    }
    for (auto& s : m_streams) {
        m_threads.emplace_back([this, stream = s.get(), untilNs] { read(*stream, untilNs); });
    }
    for (int i = 0; i < pollers; ++i) {
        m_threads.emplace_back([this, i, pollers, pollsPerSecond, untilNs] {
            poll(i, pollers, pollsPerSecond, untilNs);
        });
    }
}

void ConsoleUnderLoad::poll(int index, int pollers, int pollsPerSecond, int64_t untilNs) {
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        return;
    }
    const std::string url = "http://127.0.0.1:" + std::to_string(m_port) + "/api/status";
    curl_slist* headers = curl_slist_append(nullptr, ("Authorization: Bearer " + m_token).c_str());
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, kPollTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &discard);
    // A connection of its own for each poll, as a script's curl makes: kept-alive pollers
    // would hold more connections than the console allows (64, room for its 32 streams).
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);

    const int64_t period = 1000000000LL / std::max(1, pollsPerSecond);
    // Spread over the period, as browsers opened at different moments would be.
    int64_t next = monotonicNs() + period * index / std::max(1, pollers);
    const int64_t most = (untilNs - monotonicNs()) / period + 2;
    std::vector<double> latencies;
    std::size_t polls = 0;
    std::size_t errors = 0;
    std::size_t transport = 0;
    std::map<std::string, std::size_t> kinds;
    for (int64_t n = 0; n < most && !m_stop; ++n) {
        sleepUntil(next, m_stop);
        const int64_t from = monotonicNs();
        if (m_stop || from >= untilNs) {
            break;
        }
        const CURLcode result = curl_easy_perform(curl);
        const int64_t to = monotonicNs();
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        ++polls;
        if (result != CURLE_OK) {
            ++errors;
            ++transport;
            ++kinds[curl_easy_strerror(result)];
        } else if (status != 200) {
            ++errors;
            ++kinds["HTTP " + std::to_string(status)];
        } else {
            latencies.push_back(ms(to - from));
        }
        // A late answer is not made up with a burst.
        next = std::max(next + period, to);
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    const std::lock_guard lock(m_mutex);
    m_polls += polls;
    m_pollErrors += errors;
    m_pollTransportErrors += transport;
    for (const auto& [kind, count] : kinds) {
        m_pollErrorKinds[kind] += count;
    }
    m_pollMs.insert(m_pollMs.end(), latencies.begin(), latencies.end());
}

void ConsoleUnderLoad::read(Stream& stream, int64_t untilNs) {
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        return;
    }
    curl_slist* headers = curl_slist_append(nullptr, ("Authorization: Bearer " + m_token).c_str());
    curl_easy_setopt(curl, CURLOPT_URL, stream.url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &onStreamBytes);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &stream);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &onProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &m_stop);
    for (int opens = 0; opens < kMaxStreamOpens && !m_stop; ++opens) {
        const int64_t left = untilNs - monotonicNs();
        if (left <= 0) {
            break;
        }
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(left / 1000000 + 1000));
        stream.open = false;
        stream.buffer.clear();
        stream.event.clear();
        curl_easy_perform(curl);
        const int64_t ended = monotonicNs();
        if (stream.open) {
            stream.opened.back().second = ended;
        }
        if (m_stop || ended >= untilNs) {
            break;
        }
        ++stream.endedEarly;
        std::this_thread::sleep_for(kReopenPause);
    }
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
}

void ConsoleUnderLoad::finish() {
    m_stop = true;
    for (std::thread& t : m_threads) {
        if (t.joinable()) {
            t.join();
        }
    }
    if (m_runner) {
        m_runner->stop();
    }
}

ConsoleLoadFigures ConsoleUnderLoad::figures() const {
    ConsoleLoadFigures f;
    const std::lock_guard lock(m_mutex);
    f.polls = m_polls;
    f.pollErrors = m_pollErrors;
    f.pollTransportErrors = m_pollTransportErrors;
    f.pollErrorKinds = m_pollErrorKinds;
    f.pollLatency = figuresOf(m_pollMs);
    f.eventsEmitted = m_emittedAt.size();
    std::vector<double> latencies;
    for (const auto& stream : m_streams) {
        f.streamsOpened += stream->opened.size();
        f.streamsEndedEarly += static_cast<std::size_t>(stream->endedEarly);
        for (const int64_t at : m_emittedAt) {
            f.eventLinesExpected += static_cast<std::size_t>(
                std::count_if(stream->opened.begin(), stream->opened.end(),
                              [&](const auto& o) { return o.first <= at && at <= o.second; }));
        }
        for (const auto& [data, at] : stream->lines) {
            const auto found = m_emitted.find(data);
            if (found == m_emitted.end()) {
                ++f.unmatchedLines;
            } else {
                latencies.push_back(ms(at - found->second));
            }
        }
    }
    f.eventLatency = figuresOf(latencies);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    f.processCpuSeconds =
        static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
        static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return f;
}

}  // namespace orvessa::bench
