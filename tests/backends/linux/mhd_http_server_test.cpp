#include "backends/linux/mhd_http_server.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <future>
#include <mutex>
#include <thread>

#include "backends/linux/openssl_certificates.h"
#include "core/console/event_hub.h"
#include "support/temp_dir.h"

namespace orvessa::backends {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Reply {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string body;
    std::vector<std::string> headerLines;

    bool hasHeader(const std::string& line) const {
        for (const std::string& h : headerLines) {
            if (h == line) {
                return true;
            }
        }
        return false;
    }
};

struct Fetch {
    explicit Fetch(std::string target) : url(std::move(target)) {}
    std::string url;
    std::string method = "GET";
    std::optional<std::string> body;
    std::vector<std::string> headers;
    std::string caFile;
    std::string from;                                 // the client's address, when given
    std::function<bool(const std::string&)> onChunk;  // false stops the transfer
};

size_t collectBody(char* data, size_t size, size_t count, void* cls) {
    auto* fetch = static_cast<std::pair<Reply*, const Fetch*>*>(cls);
    const std::string chunk(data, size * count);
    fetch->first->body += chunk;
    if (fetch->second->onChunk && !fetch->second->onChunk(chunk)) {
        return 0;
    }
    return size * count;
}

size_t collectHeader(char* data, size_t size, size_t count, void* cls) {
    std::string line(data, size * count);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    static_cast<Reply*>(cls)->headerLines.push_back(line);
    return size * count;
}

Reply fetch(const Fetch& request) {
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    EXPECT_TRUE(initialised);
    Reply reply;
    std::pair<Reply*, const Fetch*> sink{&reply, &request};
    CURL* curl = curl_easy_init();
    curl_slist* headers = nullptr;
    for (const std::string& h : request.headers) {
        headers = curl_slist_append(headers, h.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    if (request.body) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body->data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.body->size()));
    }
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collectBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, collectHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &reply);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 8000L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    if (!request.caFile.empty()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, request.caFile.c_str());
    }
    if (!request.from.empty()) {
        curl_easy_setopt(curl, CURLOPT_INTERFACE, request.from.c_str());
    }
    reply.code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return reply;
}

Reply get(const std::string& url) {
    return fetch(Fetch{url});
}

std::string local(int port, const std::string& target = "/") {
    return "http://127.0.0.1:" + std::to_string(port) + target;
}

console::ServerSettings loopback() {
    console::ServerSettings settings;
    settings.address = "127.0.0.1";
    settings.port = 0;
    return settings;
}

console::HttpHandler answering(std::string body) {
    return [body](const console::HttpRequest&) {
        console::HttpResponse response;
        response.body = body;
        return response;
    };
}

// A plain TCP connection to the loopback, for clients no library would be.
class RawClient {
public:
    // From `from`, an address of the loopback range.
    explicit RawClient(int port, const char* from = "127.0.0.1") {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in source{};
        source.sin_family = AF_INET;
        inet_pton(AF_INET, from, &source.sin_addr);
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&source), sizeof source);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawClient() { ::close(m_fd); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return m_connected; }

    void send(const std::string& bytes) { ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

    // True when the server closed the connection within `wait` (any bytes it sent are read).
    bool closedWithin(std::chrono::milliseconds wait) {
        const auto deadline = Clock::now() + wait;
        while (Clock::now() < deadline) {
            pollfd watched{m_fd, POLLIN, 0};
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (::poll(&watched, 1, static_cast<int>(std::max<long>(1, left.count()))) <= 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                return true;
            }
            m_received.append(buffer, static_cast<std::size_t>(n));
        }
        return false;
    }

    const std::string& received() const { return m_received; }

private:
    int m_fd = -1;
    bool m_connected = false;
    std::string m_received;
};

// An event stream fed by the test, which records whether the server closed it.
class QueuedStream : public console::EventStream {
public:
    std::optional<std::string> next(std::chrono::milliseconds wait) override {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, wait, [this] { return m_closed || !m_queue.empty(); });
        if (m_closed) {
            return std::nullopt;
        }
        if (m_queue.empty()) {
            return std::string{};
        }
        std::string bytes = std::move(m_queue.front());
        m_queue.pop_front();
        return bytes;
    }
    void close() override {
        const std::lock_guard lock(m_mutex);
        m_closed = true;
        m_changed.notify_all();
    }
    void push(std::string bytes) {
        const std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(bytes));
        m_changed.notify_all();
    }
    bool closed() {
        const std::lock_guard lock(m_mutex);
        return m_closed;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::string> m_queue;
    bool m_closed = false;
};

template <typename Predicate>
bool eventually(Predicate done, std::chrono::milliseconds wait = 3000ms) {
    const auto deadline = Clock::now() + wait;
    while (!done()) {
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

TEST(MhdHttpServer, HandsTheHandlerTheWholeRequestAndSendsItsWholeResponse) {
    std::mutex mutex;
    std::vector<console::HttpRequest> seen;
    MhdHttpServer server;
    ASSERT_EQ(server.start(loopback(),
                           [&](const console::HttpRequest& request) {
                               {
                                   const std::lock_guard lock(mutex);
                                   seen.push_back(request);
                               }
                               console::HttpResponse response;
                               response.status = 201;
                               response.contentType = "text/plain; charset=utf-8";
                               response.body = "已收到";
                               response.headers = {{"Set-Cookie", "a=1; HttpOnly"},
                                                   {"Set-Cookie", "b=2; HttpOnly"},
                                                   {"X-Frame-Options", "DENY"}};
                               return response;
                           }),
              "");
    ASSERT_GT(server.port(), 0);
    EXPECT_NE(server.start(loopback(), answering("")), "") << "a running server is not restarted";

    Fetch post{local(server.port(), "/api/day?x=1&name=%E4%B8%AD%20%E6%96%87&x=2&flag")};
    post.method = "POST";
    post.body = std::string("{\"a\":\"\xE4\xB8\xAD\"}\0tail", 15);
    post.headers = {"X-Test: Hello World", "Content-Type: application/json"};
    const Reply reply = fetch(post);
    ASSERT_EQ(reply.code, CURLE_OK) << curl_easy_strerror(reply.code);
    EXPECT_EQ(reply.status, 201);
    EXPECT_EQ(reply.body, "已收到");
    EXPECT_TRUE(reply.hasHeader("Set-Cookie: a=1; HttpOnly"));
    EXPECT_TRUE(reply.hasHeader("Set-Cookie: b=2; HttpOnly")) << "repeated headers all go out";
    EXPECT_TRUE(reply.hasHeader("X-Frame-Options: DENY"));
    EXPECT_TRUE(reply.hasHeader("Content-Type: text/plain; charset=utf-8"));

    ASSERT_EQ(seen.size(), 1u);
    const console::HttpRequest& r = seen[0];
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.path, "/api/day");
    EXPECT_EQ(r.query.at("x"), "2") << "the last of a repeated name";
    EXPECT_EQ(r.query.at("name"), "中 文");
    EXPECT_EQ(r.query.count("flag"), 1u);
    EXPECT_EQ(r.header("x-test"), "Hello World") << "names are lower case";
    EXPECT_EQ(r.header("content-type"), "application/json");
    EXPECT_EQ(r.body, *post.body) << "the body arrives byte for byte";
    EXPECT_EQ(r.peer, "127.0.0.1");
    EXPECT_FALSE(r.secure);

    // The path is as sent: an escaped slash is not a separator the handler never saw.
    ASSERT_EQ(get(local(server.port(), "/a%2Fb")).code, CURLE_OK);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].path, "/a%2Fb");
    EXPECT_EQ(seen[1].method, "GET");
    EXPECT_TRUE(seen[1].body.empty());

    const int port = server.port();
    server.stop();
    EXPECT_EQ(server.port(), 0);
    EXPECT_NE(get(local(port)).code, CURLE_OK) << "a stopped server no longer listens";
}

TEST(MhdHttpServer, ServesIpv6AndNamesTheIpv6Peer) {
    std::string peer;
    std::mutex mutex;
    MhdHttpServer server;
    console::ServerSettings settings = loopback();
    settings.address = "::1";
    const std::string started = server.start(settings, [&](const console::HttpRequest& request) {
        const std::lock_guard lock(mutex);
        peer = request.peer;
        return console::HttpResponse{};
    });
    if (started.find("本机没有这个地址") != std::string::npos) {
        GTEST_SKIP() << "no IPv6 loopback here";
    }
    ASSERT_EQ(started, "");
    const Reply reply = get("http://[::1]:" + std::to_string(server.port()) + "/");
    ASSERT_EQ(reply.code, CURLE_OK) << curl_easy_strerror(reply.code);
    const std::lock_guard lock(mutex);
    EXPECT_EQ(peer, "::1");
}

TEST(MhdHttpServer, RefusesOversizedHeadsAndBodiesWithoutCallingTheHandler) {
    std::atomic<int> calls{0};
    std::atomic<std::size_t> lastBody{0};
    MhdHttpServer server;
    ASSERT_EQ(server.start(loopback(),
                           [&](const console::HttpRequest& request) {
                               ++calls;
                               lastBody = request.body.size();
                               return console::HttpResponse{};
                           }),
              "");

    Fetch big{local(server.port(), "/api/upload")};
    big.method = "POST";
    big.body = std::string(65 * 1024, 'x');
    Reply reply = fetch(big);
    EXPECT_EQ(reply.status, 413) << curl_easy_strerror(reply.code);
    EXPECT_EQ(calls, 0);

    // A declared length over the limit is refused before any of the body is sent.
    RawClient declared(server.port());
    declared.send("POST /api/upload HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 70000\r\n\r\n");
    EXPECT_TRUE(declared.closedWithin(2000ms));
    EXPECT_EQ(declared.received().rfind("HTTP/1.1 413", 0), 0u) << declared.received();

    // Without a length to refuse it by, a chunked body is cut as it grows past the limit.
    big.headers = {"Transfer-Encoding: chunked"};
    reply = fetch(big);
    EXPECT_EQ(reply.status, 413) << curl_easy_strerror(reply.code);
    EXPECT_EQ(calls, 0);

    Fetch longHead{local(server.port(), "/api/day")};
    longHead.headers = {"X-Padding: " + std::string(9 * 1024, 'p')};
    reply = fetch(longHead);
    EXPECT_EQ(reply.status, 431) << curl_easy_strerror(reply.code);
    EXPECT_EQ(calls, 0);

    // A head past the library's own memory for it is refused too, not served in part.
    longHead.headers = {"X-Padding: " + std::string(200 * 1024, 'p')};
    reply = fetch(longHead);
    EXPECT_NE(reply.status, 200) << curl_easy_strerror(reply.code);
    EXPECT_EQ(calls, 0);

    // The limits themselves are allowed, and the server still serves after refusing.
    Fetch atLimit{local(server.port(), "/api/upload")};
    atLimit.method = "POST";
    atLimit.body = std::string(64 * 1024, 'y');
    reply = fetch(atLimit);
    EXPECT_EQ(reply.status, 200) << curl_easy_strerror(reply.code);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(lastBody, 64u * 1024u);
    atLimit.headers = {"Transfer-Encoding: chunked"};
    reply = fetch(atLimit);
    EXPECT_EQ(reply.status, 200) << curl_easy_strerror(reply.code);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(lastBody, 64u * 1024u);
}

TEST(MhdHttpServer, CutsSilentClientsAndThoseOverTheConnectionLimit) {
    MhdHttpServer server;
    console::ServerSettings settings = loopback();
    settings.idleSeconds = 1;
    settings.maxConnections = 4;
    ASSERT_EQ(server.start(settings, answering("ok")), "");

    {
        // Connections are accepted in the order they were made: the fifth and sixth are extra.
        std::vector<std::unique_ptr<RawClient>> clients;
        for (int i = 0; i < 6; ++i) {
            clients.push_back(std::make_unique<RawClient>(server.port()));
            ASSERT_TRUE(clients.back()->connected());
            std::this_thread::sleep_for(30ms);
        }
        EXPECT_TRUE(clients[4]->closedWithin(700ms));
        EXPECT_TRUE(clients[5]->closedWithin(700ms));
        EXPECT_FALSE(clients[0]->closedWithin(100ms)) << "the ones within the limit stay";

        // A client that sends nothing is cut once it has been silent for the idle time.
        const auto before = Clock::now();
        EXPECT_TRUE(clients[0]->closedWithin(3000ms));
        EXPECT_LT(Clock::now() - before, 2500ms);
        for (int i = 1; i < 4; ++i) {
            EXPECT_TRUE(clients[i]->closedWithin(1500ms));
        }
    }
    // Half a request is no better than none.
    RawClient slow(server.port());
    slow.send("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n");
    EXPECT_TRUE(slow.closedWithin(3000ms));

    const Reply reply = get(local(server.port()));
    EXPECT_EQ(reply.status, 200) << "freed places are taken again";
    EXPECT_EQ(reply.body, "ok");
}

TEST(MhdHttpServer, ByDefaultKeepsAFullHubOfStreamsAndAsManyOtherConnections) {
    MhdHttpServer server;
    const console::ServerSettings settings = loopback();
    ASSERT_EQ(server.start(settings, answering("ok")), "");
    // A full hub of event streams and as many other connections, the last of them this request,
    // from as few addresses as may hold them.
    const std::size_t held = 2 * console::kMaxEventStreams - 1;
    const auto perAddress = static_cast<std::size_t>(settings.maxConnectionsPerAddress);
    const std::vector<std::string> from{"127.0.0.1", "127.0.0.2", "127.0.0.3", "127.0.0.4"};
    ASSERT_GE(from.size() * perAddress, held + 1);
    std::vector<std::unique_ptr<RawClient>> clients;
    for (std::size_t i = 0; i < held; ++i) {
        clients.push_back(std::make_unique<RawClient>(server.port(), from[i / perAddress].c_str()));
        ASSERT_TRUE(clients.back()->connected());
    }
    // The last made are the first a limit would cut.
    EXPECT_FALSE(clients.back()->closedWithin(500ms));
    for (std::size_t i = 0; i < held; ++i) {
        EXPECT_FALSE(clients[i]->closedWithin(1ms)) << "connection " << i;
    }
    Fetch last{local(server.port())};
    last.from = from[held / perAddress];
    const Reply reply = fetch(last);
    EXPECT_EQ(reply.status, 200) << "one more is still answered beside them";
}

TEST(MhdHttpServer, ClientsTricklingTheirHeadsHoldTheirOwnShareAndOnlyUntilTheDeadline) {
    MhdHttpServer server;
    console::ServerSettings settings = loopback();
    settings.maxConnections = 8;
    settings.maxConnectionsPerAddress = 4;
    settings.headSeconds = 2;
    ASSERT_EQ(server.start(settings, answering("ok")), "");

    // As many as the server holds, all from one address, each sending a header line well
    // within the idle time.
    std::vector<std::unique_ptr<RawClient>> slow;
    for (int i = 0; i < settings.maxConnections; ++i) {
        slow.push_back(std::make_unique<RawClient>(server.port()));
        ASSERT_TRUE(slow.back()->connected());
        slow.back()->send("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n");
    }
    const auto began = Clock::now();
    std::vector<std::optional<Clock::duration>> cut(slow.size());
    auto other = std::async(std::launch::async, [&] {
        Fetch request{local(server.port())};
        request.from = "127.0.0.2";
        const auto asked = Clock::now();
        const Reply reply = fetch(request);
        return std::make_pair(reply, Clock::now() - asked);
    });
    // Bounded: the deadline and a margin; one line from each every 300 ms.
    while (Clock::now() - began < 4500ms &&
           std::any_of(cut.begin(), cut.end(), [](const auto& c) { return !c; })) {
        for (std::size_t i = 0; i < slow.size(); ++i) {
            if (!cut[i] && slow[i]->closedWithin(1ms)) {
                cut[i] = Clock::now() - began;
            } else if (!cut[i]) {
                slow[i]->send("X-Slow: " + std::to_string(i) + "\r\n");
            }
        }
        std::this_thread::sleep_for(300ms);
    }
    const auto [reply, took] = other.get();
    EXPECT_EQ(reply.status, 200) << "another address still gets in";
    EXPECT_LT(took, 1000ms);
    for (std::size_t i = 0; i < slow.size(); ++i) {
        ASSERT_TRUE(cut[i].has_value()) << "connection " << i << " still open";
        EXPECT_LT(*cut[i], 3500ms) << "connection " << i;
    }
    const auto ownShare =
        std::count_if(cut.begin(), cut.end(), [](const auto& c) { return *c >= 1500ms; });
    EXPECT_EQ(ownShare, settings.maxConnectionsPerAddress) << "held until the deadline";
    EXPECT_EQ(get(local(server.port())).status, 200) << "its places are free again";
}

TEST(MhdHttpServer, AHandlerThatThrowsIsAnsweredWithAnInternalErrorAndLeavesALine) {
    std::atomic<int> calls{0};
    MhdHttpServer server;
    ASSERT_EQ(server.start(loopback(),
                           [&](const console::HttpRequest& request) -> console::HttpResponse {
                               ++calls;
                               if (request.path == "/throw") {
                                   throw std::runtime_error("broken");
                               }
                               if (request.path == "/throw-anything") {
                                   throw 42;
                               }
                               return console::HttpResponse{200, "text/plain", "fine", {}, {}};
                           }),
              "");
    ::testing::internal::CaptureStderr();
    for (const char* target : {"/throw?token=secret", "/throw-anything"}) {
        const Reply reply = get(local(server.port(), target));
        EXPECT_EQ(reply.status, 500) << target;
        EXPECT_EQ(reply.body, "{\"error\":\"内部错误\"}");
    }
    const std::string lines = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(lines,
              "orvessa: console request failed: serve GET /throw: broken\n"
              "orvessa: console request failed: serve GET /throw-anything: unknown exception\n")
        << "the query, which may carry a token, stays out";
    const Reply after = get(local(server.port(), "/fine"));
    EXPECT_EQ(after.status, 200);
    EXPECT_EQ(after.body, "fine");
    EXPECT_EQ(calls, 3);
}

TEST(MhdHttpServer, EventStreamsArriveInOrderAndCloseWhenTheClientGoesOrTheServerStops) {
    std::mutex mutex;
    std::vector<std::shared_ptr<QueuedStream>> streams;
    MhdHttpServer server;
    ASSERT_EQ(server.start(loopback(),
                           [&](const console::HttpRequest&) {
                               auto stream = std::make_shared<QueuedStream>();
                               {
                                   const std::lock_guard lock(mutex);
                                   streams.push_back(stream);
                               }
                               console::HttpResponse response;
                               response.contentType = "text/event-stream";
                               response.body = "ignored";
                               response.stream = stream;
                               return response;
                           }),
              "");
    const auto streamNumber = [&](std::size_t i) {
        const std::lock_guard lock(mutex);
        return i < streams.size() ? streams[i] : nullptr;
    };

    // A client that leaves after its first event: its stream is closed for it.
    {
        Fetch leaving{local(server.port(), "/api/events")};
        leaving.onChunk = [](const std::string&) { return false; };
        std::thread client([&] { fetch(leaving); });
        ASSERT_TRUE(eventually([&] { return streamNumber(0) != nullptr; }));
        streamNumber(0)->push("data: first\n\n");
        client.join();
        EXPECT_TRUE(eventually([&] { return streamNumber(0)->closed(); }));
    }

    // A client that stays, with the events pushed while it waits and larger than any buffer.
    std::mutex received;
    std::string events;
    Reply reply;
    Fetch staying{local(server.port(), "/api/events")};
    staying.onChunk = [&](const std::string& chunk) {
        const std::lock_guard lock(received);
        events += chunk;
        return true;
    };
    std::thread client([&] { reply = fetch(staying); });
    ASSERT_TRUE(eventually([&] { return streamNumber(1) != nullptr; }));
    const std::string large = "data: " + std::string(20000, 'L') + "\n\n";
    streamNumber(1)->push("data: 1\n\n");
    streamNumber(1)->push(large);
    std::this_thread::sleep_for(600ms);  // past one wait with nothing to send
    streamNumber(1)->push("data: 3\n\n");
    const std::string expected = "data: 1\n\n" + large + "data: 3\n\n";
    EXPECT_TRUE(eventually([&] {
        const std::lock_guard lock(received);
        return events.size() >= expected.size();
    }));

    RawClient idle(server.port());
    RawClient halfway(server.port());
    halfway.send("GET /api/day HTTP/1.1\r\nHost: 127.0.0.1\r\n");
    std::this_thread::sleep_for(50ms);
    const auto before = Clock::now();
    server.stop();
    EXPECT_LT(Clock::now() - before, 2s) << "open streams and clients do not hold the server";
    EXPECT_TRUE(idle.closedWithin(500ms));
    EXPECT_TRUE(halfway.closedWithin(500ms));
    client.join();
    EXPECT_TRUE(streamNumber(1)->closed());
    EXPECT_EQ(reply.body, expected);
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(reply.hasHeader("Content-Type: text/event-stream"));
    EXPECT_TRUE(reply.hasHeader("Cache-Control: no-store"));
    EXPECT_TRUE(reply.hasHeader("X-Accel-Buffering: no"));
}

TEST(MhdHttpServer, AStreamThatThrowsEndsItsResponseAndLeavesALine) {
    struct Failing : console::EventStream {
        std::optional<std::string> next(std::chrono::milliseconds) override {
            throw std::runtime_error("hub gone");
        }
        void close() override { throw 7; }
    };
    MhdHttpServer server;
    ASSERT_EQ(server.start(loopback(),
                           [](const console::HttpRequest&) {
                               console::HttpResponse response;
                               response.contentType = "text/event-stream";
                               response.stream = std::make_shared<Failing>();
                               return response;
                           }),
              "");
    ::testing::internal::CaptureStderr();
    const Reply reply = get(local(server.port(), "/api/events"));
    // The response is freed after the client has seen it end; stop() waits for that.
    server.stop();
    const std::string lines = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(reply.code, CURLE_OPERATION_TIMEDOUT);
    EXPECT_NE(lines.find("orvessa: console request failed: readStream GET /api/events: hub gone\n"),
              std::string::npos)
        << lines;
    EXPECT_NE(lines.find("orvessa: console request failed: freeStream GET /api/events: "
                         "unknown exception\n"),
              std::string::npos)
        << lines;
}

TEST(MhdHttpServer, ServesTlsWithAMadeCertificate) {
    testing::TempDir dir;
    OpensslCertificates certificates;
    ASSERT_EQ(certificates.make(dir / "cert.pem", dir / "key.pem", {"localhost", "127.0.0.1"}), "");
    console::ServerSettings settings = loopback();
    settings.certificatePem = testing::readBytes(dir / "cert.pem");
    settings.keyPem = testing::readBytes(dir / "key.pem");
    std::atomic<bool> secure{false};
    MhdHttpServer server;
    ASSERT_EQ(server.start(settings,
                           [&](const console::HttpRequest& request) {
                               secure = request.secure;
                               return console::HttpResponse{200, "text/plain", "加密", {}, {}};
                           }),
              "");
    Fetch request{"https://127.0.0.1:" + std::to_string(server.port()) + "/"};
    request.caFile = (dir / "cert.pem").string();
    const Reply reply = fetch(request);
    ASSERT_EQ(reply.code, CURLE_OK) << curl_easy_strerror(reply.code);
    EXPECT_EQ(reply.body, "加密");
    EXPECT_TRUE(secure);

    EXPECT_NE(get(local(server.port())).status, 200) << "no plain HTTP on a TLS port";

    // A certificate with another's key, or no certificate at all, does not start.
    ASSERT_EQ(certificates.make(dir / "other.pem", dir / "other-key.pem", {"localhost"}), "");
    MhdHttpServer other;
    console::ServerSettings mismatched = settings;
    mismatched.keyPem = testing::readBytes(dir / "other-key.pem");
    EXPECT_EQ(other.start(mismatched, answering("")), "证书或私钥无法使用");
    mismatched.certificatePem = "not a certificate";
    EXPECT_EQ(other.start(mismatched, answering("")), "证书或私钥无法使用");
    EXPECT_EQ(other.port(), 0);
}

// Whether `openssl s_client` with `options` completes a handshake with the loopback's `port`.
bool handshakes(int port, const std::string& options) {
    const std::string command =
        "timeout 10 openssl s_client -connect 127.0.0.1:" + std::to_string(port) + " " + options +
        " </dev/null >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

TEST(MhdHttpServer, TlsIsVersion12Or13WithAeadSuitesOnly) {
    if (std::system("command -v openssl >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "no openssl command here";
    }
    testing::TempDir dir;
    OpensslCertificates certificates;
    ASSERT_EQ(certificates.make(dir / "cert.pem", dir / "key.pem", {"127.0.0.1"}), "");
    console::ServerSettings settings = loopback();
    settings.certificatePem = testing::readBytes(dir / "cert.pem");
    settings.keyPem = testing::readBytes(dir / "key.pem");
    MhdHttpServer server;
    ASSERT_EQ(server.start(settings, answering("ok")), "");
    const int port = server.port();

    EXPECT_TRUE(handshakes(port, "-tls1_3"));
    EXPECT_TRUE(handshakes(port, "-tls1_2 -cipher ECDHE-ECDSA-AES128-GCM-SHA256"));
    EXPECT_TRUE(handshakes(port, "-tls1_2 -cipher ECDHE-ECDSA-AES256-GCM-SHA384"));
    EXPECT_TRUE(handshakes(port, "-tls1_2 -cipher ECDHE-ECDSA-CHACHA20-POLY1305"));
    // The client offers what its own defaults would refuse, so that the refusal is the server's.
    EXPECT_FALSE(handshakes(port, "-tls1_1 -cipher ALL:@SECLEVEL=0"));
    EXPECT_FALSE(handshakes(port, "-tls1 -cipher ALL:@SECLEVEL=0"));
    EXPECT_FALSE(handshakes(port, "-tls1_2 -cipher ECDHE-ECDSA-AES128-SHA:@SECLEVEL=0"));
    EXPECT_FALSE(handshakes(port, "-tls1_2 -cipher ECDHE-ECDSA-AES256-SHA384"));
}

TEST(MhdHttpServer, SaysWhyItCannotListen) {
    MhdHttpServer first;
    ASSERT_EQ(first.start(loopback(), answering("first")), "");
    console::ServerSettings taken = loopback();
    taken.port = first.port();
    MhdHttpServer second;
    EXPECT_EQ(second.start(taken, answering("second")),
              "端口 " + std::to_string(first.port()) + " 已被占用");
    EXPECT_EQ(get(local(first.port())).body, "first");

    console::ServerSettings bad = loopback();
    bad.address = "not-an-address";
    EXPECT_EQ(second.start(bad, answering("")).rfind("地址无法监听：not-an-address", 0), 0u);
    bad.address = "192.0.2.1";  // a documentation address no interface here has
    EXPECT_EQ(second.start(bad, answering("")).rfind("地址无法监听：192.0.2.1", 0), 0u);

    // After a stop the same port can be taken again at once.
    const int port = first.port();
    first.stop();
    taken.port = port;
    EXPECT_EQ(second.start(taken, answering("again")), "");
    EXPECT_EQ(get(local(port)).body, "again");
}

}  // namespace
}  // namespace orvessa::backends
