#include "backends/linux/mhd_http_server.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace orvessa::backends {

struct StreamReader;

struct MhdHttpServer::Shared {
    // An open connection, and until when its request may take to come in whole.
    struct Pending {
        int socket = -1;
        std::chrono::steady_clock::time_point deadline;
        bool waiting = true;  // false once the request is in, until it has been answered
    };

    console::ServerSettings settings;
    console::HttpHandler handler;
    bool secure = false;
    std::mutex mutex;
    std::set<StreamReader*> streams;           // under `mutex`
    bool stopping = false;                     // under `mutex`
    std::map<MHD_Connection*, Pending> heads;  // under `mutex`, every open connection
    std::condition_variable stop;              // wakes the head watch to end it
    std::thread headWatch;
};

// One event stream being sent, owned by the library's response.
struct StreamReader {
    MhdHttpServer::Shared* shared = nullptr;
    std::shared_ptr<console::EventStream> stream;
    std::string pending;
    std::size_t sent = 0;
    int socket = -1;
    std::string method;  // of the request it answers, for a failure's line
    std::string path;
};

namespace {

using Shared = MhdHttpServer::Shared;

constexpr auto kStreamWait = std::chrono::milliseconds(500);
// TLS 1.2 and 1.3 with forward-secret key exchange and AEAD ciphers only, as the common
// "intermediate" server profile: no CBC, no SHA-1 MAC, no static RSA.
constexpr const char* kTlsPriorities =
    "SECURE128:-VERS-ALL:+VERS-TLS1.3:+VERS-TLS1.2:-CIPHER-ALL:+AES-128-GCM:+AES-256-GCM:"
    "+CHACHA20-POLY1305:-MAC-ALL:+AEAD:-KX-ALL:+ECDHE-ECDSA:+ECDHE-RSA:+DHE-RSA";
// A body over the limit is read on and dropped, so that the client hears 413 rather than a
// reset; past this much more, the connection is simply closed.
constexpr std::size_t kMaxDiscardedBytes = 1024 * 1024;

struct RequestState {
    std::string uri;  // as sent, query included
    bool headChecked = false;
    bool tooLarge = false;
    std::size_t discarded = 0;
    std::string body;
};

// Which callback failed, and on which request where it is known. The path goes without its
// query, which may carry a token.
struct Site {
    const char* callback = "";
    std::string_view method;
    std::string_view path;
};

std::string_view pathOf(std::string_view uri) {
    return uri.substr(0, uri.find('?'));
}

// Writes `text` with its controls as blanks: the path is the client's, and a failure is one line.
void putOneLine(std::string_view text) {
    for (const char c : text) {
        const bool control = static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
        std::fputc(control ? ' ' : c, stderr);
    }
}

// A callback has no one to tell of its failure but the library, which takes only "no", so it
// leaves a line on standard error in the form of the failure record's: "orvessa: console request
// failed: serve GET /api/day: disk full". Written whole under the stream's lock, as connections
// fail on their own threads, allocating nothing, since some of the failures are out of memory.
void recordFailure(const Site& site, const char* reason) noexcept {
    flockfile(stderr);
    std::fputs("orvessa: console request failed: ", stderr);
    std::fputs(site.callback, stderr);
    if (!site.method.empty() || !site.path.empty()) {
        std::fputc(' ', stderr);
        putOneLine(site.method);
        std::fputc(' ', stderr);
        putOneLine(site.path);
    }
    std::fputs(": ", stderr);
    putOneLine(reason != nullptr ? reason : "unknown exception");
    std::fputc('\n', stderr);
    funlockfile(stderr);
}

void closeQuietly(int fd) {
    if (fd >= 0) {
        ::close(fd);
    }
}

// Called by the library with the request line's target, before anything is unescaped.
// Nothing may unwind into the library's C frames: out of memory, a connection is dropped.
void* startRequest(void*, const char* uri, MHD_Connection*) {
    try {
        auto state = std::make_unique<RequestState>();
        state->uri = uri != nullptr ? uri : "";
        return state.release();
    } catch (const std::exception& e) {
        recordFailure({"startRequest", {}, pathOf(uri != nullptr ? uri : "")}, e.what());
        return nullptr;
    } catch (...) {
        recordFailure({"startRequest", {}, pathOf(uri != nullptr ? uri : "")}, nullptr);
        return nullptr;
    }
}

// The next request is awaited from now on.
void awaitHead(Shared& shared, MHD_Connection* connection) {
    const std::lock_guard lock(shared.mutex);
    const auto it = shared.heads.find(connection);
    if (it != shared.heads.end()) {
        it->second.waiting = true;
        it->second.deadline =
            std::chrono::steady_clock::now() + std::chrono::seconds(shared.settings.headSeconds);
    }
}

void requestArrived(Shared& shared, MHD_Connection* connection) {
    const std::lock_guard lock(shared.mutex);
    const auto it = shared.heads.find(connection);
    if (it != shared.heads.end()) {
        it->second.waiting = false;
    }
}

void endRequest(void* cls, MHD_Connection* connection, void** context, MHD_RequestTerminationCode) {
    delete static_cast<RequestState*>(*context);
    *context = nullptr;
    try {
        awaitHead(*static_cast<Shared*>(cls), connection);
    } catch (const std::exception& e) {
        recordFailure({"endRequest", {}, {}}, e.what());
    } catch (...) {
        recordFailure({"endRequest", {}, {}}, nullptr);
    }
}

int socketOf(MHD_Connection* connection);

// Called by the library on its listening thread as a connection is accepted, and before its
// socket is closed, so that the head watch never touches a descriptor after it is closed.
void connectionChanged(void* cls, MHD_Connection* connection, void**,
                       MHD_ConnectionNotificationCode code) {
    Shared& shared = *static_cast<Shared*>(cls);
    try {
        const std::lock_guard lock(shared.mutex);
        if (code == MHD_CONNECTION_NOTIFY_STARTED) {
            shared.heads[connection] = {socketOf(connection),
                                        std::chrono::steady_clock::now() +
                                            std::chrono::seconds(shared.settings.headSeconds),
                                        true};
        } else {
            shared.heads.erase(connection);
        }
    } catch (const std::exception& e) {
        // The connection goes unwatched, still cut when idle.
        recordFailure({"connectionChanged", {}, {}}, e.what());
    } catch (...) {
        recordFailure({"connectionChanged", {}, {}}, nullptr);
    }
}

// Cuts connections whose request is overdue. The library's own timeout counts silence only,
// which a client sending a byte now and then never reaches. The socket is shut down, not closed:
// the connection's thread sees the end and closes it as usual.
void watchHeads(Shared& shared) {
    std::unique_lock lock(shared.mutex);
    while (!shared.stopping) {
        shared.stop.wait_for(lock, std::chrono::milliseconds(250));
        const auto now = std::chrono::steady_clock::now();
        for (auto& [connection, pending] : shared.heads) {
            if (pending.waiting && pending.deadline <= now && pending.socket >= 0) {
                ::shutdown(pending.socket, SHUT_RDWR);
                pending.waiting = false;
            }
        }
    }
}

MHD_Result addHeadBytes(void* cls, MHD_ValueKind, const char* key, const char* value) {
    auto* total = static_cast<std::size_t*>(cls);
    *total += std::strlen(key) + 2 + (value != nullptr ? std::strlen(value) : 0) + 2;
    return MHD_YES;
}

// The request's headers or arguments as they are collected. The library's frames lie between
// the collecting callback and us, so an exception is carried past them rather than thrown.
struct Collected {
    std::map<std::string, std::string>& values;
    std::exception_ptr failure;
};

MHD_Result addHeader(void* cls, MHD_ValueKind, const char* key, const char* value) {
    auto* collected = static_cast<Collected*>(cls);
    try {
        std::string name = key;
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        const std::string text = value != nullptr ? value : "";
        const auto [it, added] = collected->values.try_emplace(name, text);
        if (!added) {
            // Repeated fields mean the list of their values; cookies have their own separator.
            it->second += (name == "cookie" ? "; " : ", ") + text;
        }
        return MHD_YES;
    } catch (...) {
        collected->failure = std::current_exception();
        return MHD_NO;
    }
}

MHD_Result addArgument(void* cls, MHD_ValueKind, const char* key, const char* value) {
    auto* collected = static_cast<Collected*>(cls);
    try {
        collected->values[key] = value != nullptr ? value : "";
        return MHD_YES;
    } catch (...) {
        collected->failure = std::current_exception();
        return MHD_NO;
    }
}

// A request missing some of its headers is not served: the handler's checks read them.
void collect(MHD_Connection* connection, MHD_ValueKind kind, MHD_KeyValueIterator add,
             std::map<std::string, std::string>& values) {
    Collected collected{values, nullptr};
    MHD_get_connection_values(connection, kind, add, &collected);
    if (collected.failure) {
        std::rethrow_exception(collected.failure);
    }
}

std::string peerOf(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (info == nullptr || info->client_addr == nullptr) {
        return {};
    }
    char text[INET6_ADDRSTRLEN] = {};
    if (info->client_addr->sa_family == AF_INET) {
        sockaddr_in address{};
        std::memcpy(&address, info->client_addr, sizeof address);
        inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    } else if (info->client_addr->sa_family == AF_INET6) {
        sockaddr_in6 address{};
        std::memcpy(&address, info->client_addr, sizeof address);
        if (IN6_IS_ADDR_V4MAPPED(&address.sin6_addr)) {
            inet_ntop(AF_INET, &address.sin6_addr.s6_addr[12], text, sizeof text);
        } else {
            inet_ntop(AF_INET6, &address.sin6_addr, text, sizeof text);
        }
    }
    return text;
}

int socketOf(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    return info != nullptr ? info->connect_fd : -1;
}

// A client that has hung up is noticed between two waits of its stream, not only when the
// next event fails to reach it.
bool clientGone(int socket) {
    if (socket < 0) {
        return false;
    }
    pollfd watched{socket, POLLRDHUP, 0};
    return ::poll(&watched, 1, 0) > 0 && (watched.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

ssize_t readStream(void* cls, uint64_t, char* buffer, size_t max) {
    auto* reader = static_cast<StreamReader*>(cls);
    while (reader->sent >= reader->pending.size()) {
        reader->pending.clear();
        reader->sent = 0;
        if (clientGone(reader->socket)) {
            return MHD_CONTENT_READER_END_OF_STREAM;
        }
        std::optional<std::string> next;
        try {
            next = reader->stream->next(kStreamWait);
        } catch (const std::exception& e) {
            recordFailure({"readStream", reader->method, reader->path}, e.what());
            return MHD_CONTENT_READER_END_WITH_ERROR;
        } catch (...) {
            recordFailure({"readStream", reader->method, reader->path}, nullptr);
            return MHD_CONTENT_READER_END_WITH_ERROR;
        }
        if (!next) {
            return MHD_CONTENT_READER_END_OF_STREAM;
        }
        reader->pending = std::move(*next);
    }
    const std::size_t count = std::min(max, reader->pending.size() - reader->sent);
    std::memcpy(buffer, reader->pending.data() + reader->sent, count);
    reader->sent += count;
    return static_cast<ssize_t>(count);
}

void freeStream(void* cls) {
    auto* reader = static_cast<StreamReader*>(cls);
    try {
        reader->stream->close();
    } catch (const std::exception& e) {
        recordFailure({"freeStream", reader->method, reader->path}, e.what());
    } catch (...) {
        recordFailure({"freeStream", reader->method, reader->path}, nullptr);
    }
    try {
        const std::lock_guard lock(reader->shared->mutex);
        reader->shared->streams.erase(reader);
    } catch (const std::exception& e) {
        // Still listed for stop() to close: left allocated rather than freed under it.
        recordFailure({"freeStream", reader->method, reader->path}, e.what());
        return;
    } catch (...) {
        recordFailure({"freeStream", reader->method, reader->path}, nullptr);
        return;
    }
    delete reader;
}

MHD_Result queue(MHD_Connection* connection, Shared& shared, const console::HttpResponse& answer,
                 const Site& site = {}) {
    MHD_Response* response = nullptr;
    if (answer.stream) {
        auto* reader = new StreamReader;
        reader->shared = &shared;
        reader->stream = answer.stream;
        reader->socket = socketOf(connection);
        reader->method = site.method;
        reader->path = site.path;
        bool stopping = false;
        {
            const std::lock_guard lock(shared.mutex);
            shared.streams.insert(reader);
            stopping = shared.stopping;
        }
        if (stopping) {
            reader->stream->close();
        }
        response = MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, 4096, readStream, reader,
                                                     freeStream);
        if (response == nullptr) {
            freeStream(reader);
            return MHD_NO;
        }
        MHD_add_response_header(response, "Cache-Control", "no-store");
        MHD_add_response_header(response, "X-Accel-Buffering", "no");
    } else {
        response = MHD_create_response_from_buffer(
            answer.body.size(), const_cast<char*>(answer.body.data()), MHD_RESPMEM_MUST_COPY);
        if (response == nullptr) {
            return MHD_NO;
        }
    }
    if (!answer.contentType.empty()) {
        MHD_add_response_header(response, "Content-Type", answer.contentType.c_str());
    }
    // A header the library refuses (a line break in it) is left out, not sent broken.
    for (const auto& [name, value] : answer.headers) {
        MHD_add_response_header(response, name.c_str(), value.c_str());
    }
    const MHD_Result queued =
        MHD_queue_response(connection, static_cast<unsigned int>(answer.status), response);
    MHD_destroy_response(response);
    return queued;
}

MHD_Result queueError(MHD_Connection* connection, Shared& shared, int status, const char* message) {
    console::HttpResponse answer;
    answer.status = status;
    answer.body = std::string("{\"error\":\"") + message + "\"}";
    answer.headers.emplace_back("Connection", "close");
    requestArrived(shared, connection);
    return queue(connection, shared, answer);
}

console::HttpResponse internalError() {
    console::HttpResponse failed;
    failed.status = 500;
    failed.body = "{\"error\":\"内部错误\"}";
    return failed;
}

console::HttpResponse serve(Shared& shared, MHD_Connection* connection, const Site& site,
                            RequestState& state) {
    try {
        console::HttpRequest request;
        request.method = site.method;
        request.path = site.path;
        collect(connection, MHD_GET_ARGUMENT_KIND, addArgument, request.query);
        collect(connection, MHD_HEADER_KIND, addHeader, request.headers);
        request.body = std::move(state.body);
        request.peer = peerOf(connection);
        request.secure = shared.secure;
        return shared.handler(request);
    } catch (const std::exception& e) {
        recordFailure(site, e.what());
        return internalError();
    } catch (...) {
        recordFailure(site, nullptr);
        return internalError();
    }
}

MHD_Result answerRequestOrThrow(void* cls, MHD_Connection* connection, const char* method,
                                const char* version, const char* uploadData, size_t* uploadSize,
                                void** context) {
    Shared& shared = *static_cast<Shared*>(cls);
    auto* state = static_cast<RequestState*>(*context);
    if (state == nullptr) {
        return MHD_NO;
    }
    if (!state->headChecked) {
        state->headChecked = true;
        std::size_t head =
            std::strlen(method) + 1 + state->uri.size() + 1 + std::strlen(version) + 2 + 2;
        MHD_get_connection_values(connection, MHD_HEADER_KIND, addHeadBytes, &head);
        if (head > shared.settings.maxHeadBytes) {
            return queueError(connection, shared, MHD_HTTP_REQUEST_HEADER_FIELDS_TOO_LARGE,
                              "请求头过长");
        }
        if (const char* length =
                MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Content-Length")) {
            unsigned long long declared = 0;
            const char* end = length + std::strlen(length);
            const auto parsed = std::from_chars(length, end, declared);
            if (parsed.ec == std::errc::result_out_of_range ||
                (parsed.ec == std::errc{} && declared > shared.settings.maxBodyBytes)) {
                return queueError(connection, shared, MHD_HTTP_CONTENT_TOO_LARGE, "请求体过大");
            }
        }
        return MHD_YES;
    }
    if (*uploadSize != 0) {
        if (!state->tooLarge && state->body.size() + *uploadSize > shared.settings.maxBodyBytes) {
            state->tooLarge = true;
            state->body.clear();
            state->body.shrink_to_fit();
        }
        if (state->tooLarge) {
            state->discarded += *uploadSize;
            if (state->discarded > kMaxDiscardedBytes) {
                return MHD_NO;
            }
        } else {
            state->body.append(uploadData, *uploadSize);
        }
        *uploadSize = 0;
        return MHD_YES;
    }
    if (state->tooLarge) {
        return queueError(connection, shared, MHD_HTTP_CONTENT_TOO_LARGE, "请求体过大");
    }
    // The handler may take its time (a command waits for the interface thread); the deadline is
    // the client's, not ours.
    requestArrived(shared, connection);
    const Site site{"serve", method, pathOf(state->uri)};
    return queue(connection, shared, serve(shared, connection, site, *state), site);
}

MHD_Result answerRequest(void* cls, MHD_Connection* connection, const char*, const char* method,
                         const char* version, const char* uploadData, size_t* uploadSize,
                         void** context) {
    // The request's target, where the library has handed it over.
    const auto* state = static_cast<const RequestState*>(*context);
    const Site site{"answerRequest", method, state != nullptr ? pathOf(state->uri) : ""};
    try {
        return answerRequestOrThrow(cls, connection, method, version, uploadData, uploadSize,
                                    context);
    } catch (const std::exception& e) {
        recordFailure(site, e.what());
        return MHD_NO;
    } catch (...) {
        recordFailure(site, nullptr);
        return MHD_NO;
    }
}

// The listening socket is made here rather than by the library, so that a port in use is
// told apart from the other reasons.
int listenOn(const console::ServerSettings& settings, bool& ipv6, int& port, std::string& error) {
    std::string address = settings.address;
    if (address.size() > 2 && address.front() == '[' && address.back() == ']') {
        address = address.substr(1, address.size() - 2);
    }
    const std::string where = "地址无法监听：" + settings.address;
    if (settings.port < 0 || settings.port > 65535) {
        error = where + "（端口无效）";
        return -1;
    }
    sockaddr_storage storage{};
    socklen_t length = 0;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
    if (inet_pton(AF_INET, address.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<uint16_t>(settings.port));
        length = sizeof *v4;
        ipv6 = false;
    } else if (inet_pton(AF_INET6, address.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<uint16_t>(settings.port));
        length = sizeof *v6;
        ipv6 = true;
    } else {
        error = where + "（不是 IP 地址）";
        return -1;
    }
    const int fd = ::socket(storage.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = where + "（" + std::strerror(errno) + "）";
        return -1;
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (ipv6) {
        // "::" means every address, the IPv4 ones included.
        const int only = IN6_IS_ADDR_UNSPECIFIED(&v6->sin6_addr) ? 0 : 1;
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &only, sizeof only);
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&storage), length) != 0) {
        const int why = errno;
        closeQuietly(fd);
        if (why == EADDRINUSE) {
            error = "端口 " + std::to_string(settings.port) + " 已被占用";
        } else if (why == EADDRNOTAVAIL) {
            error = where + "（本机没有这个地址）";
        } else if (why == EACCES) {
            error = where + "（没有权限使用端口 " + std::to_string(settings.port) + "）";
        } else {
            error = where + "（" + std::strerror(why) + "）";
        }
        return -1;
    }
    if (::listen(fd, SOMAXCONN) != 0) {
        error = where + "（" + std::strerror(errno) + "）";
        closeQuietly(fd);
        return -1;
    }
    sockaddr_storage bound{};
    socklen_t boundLength = sizeof bound;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &boundLength);
    port = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                             : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    return fd;
}

// GnuTLS, inside the library, says only that it could not start; the pair is read here first
// so that a bad certificate or key is named as such.
bool usablePair(const std::string& certificatePem, const std::string& keyPem) {
    BIO* certificateBio =
        BIO_new_mem_buf(certificatePem.data(), static_cast<int>(certificatePem.size()));
    BIO* keyBio = BIO_new_mem_buf(keyPem.data(), static_cast<int>(keyPem.size()));
    X509* certificate = certificateBio != nullptr
                            ? PEM_read_bio_X509(certificateBio, nullptr, nullptr, nullptr)
                            : nullptr;
    EVP_PKEY* key = keyBio != nullptr
                        ? PEM_read_bio_PrivateKey(keyBio, nullptr, nullptr, const_cast<char*>(""))
                        : nullptr;
    const bool usable =
        certificate != nullptr && key != nullptr && X509_check_private_key(certificate, key) == 1;
    EVP_PKEY_free(key);
    X509_free(certificate);
    BIO_free(keyBio);
    BIO_free(certificateBio);
    ERR_clear_error();
    return usable;
}

MHD_OptionItem option(MHD_OPTION which, intptr_t value, void* pointer = nullptr) {
    return MHD_OptionItem{which, value, pointer};
}

template <typename Function>
MHD_OptionItem callback(MHD_OPTION which, Function function, void* cls) {
    return MHD_OptionItem{which, reinterpret_cast<intptr_t>(function), cls};
}

}  // namespace

MhdHttpServer::MhdHttpServer() = default;

MhdHttpServer::~MhdHttpServer() {
    stop();
}

std::string MhdHttpServer::start(const console::ServerSettings& settings,
                                 console::HttpHandler handler) {
    if (m_daemon != nullptr) {
        return "服务器已在运行";
    }
    if (!handler) {
        return "没有处理请求的程序";
    }
    const bool tls = !settings.certificatePem.empty() || !settings.keyPem.empty();
    if (tls && !usablePair(settings.certificatePem, settings.keyPem)) {
        return "证书或私钥无法使用";
    }
    bool ipv6 = false;
    int port = 0;
    std::string error;
    const int listening = listenOn(settings, ipv6, port, error);
    if (listening < 0) {
        return error;
    }

    m_shared = std::make_unique<Shared>();
    m_shared->settings = settings;
    m_shared->handler = std::move(handler);
    m_shared->secure = tls;
    Shared* shared = m_shared.get();

    // The pool holds the request head and the library's buffers; bodies are kept by us.
    const std::size_t memory =
        std::max<std::size_t>(64 * 1024, settings.maxHeadBytes * 2 + 32 * 1024);
    std::vector<MHD_OptionItem> options{
        option(MHD_OPTION_LISTEN_SOCKET, listening),
        option(MHD_OPTION_CONNECTION_LIMIT, std::max(1, settings.maxConnections)),
        option(MHD_OPTION_PER_IP_CONNECTION_LIMIT, std::max(1, settings.maxConnectionsPerAddress)),
        option(MHD_OPTION_CONNECTION_TIMEOUT, std::max(1, settings.idleSeconds)),
        option(MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<intptr_t>(memory)),
        option(MHD_OPTION_STRICT_FOR_CLIENT, 1),
        callback(MHD_OPTION_URI_LOG_CALLBACK, &startRequest, shared),
        callback(MHD_OPTION_NOTIFY_COMPLETED, &endRequest, shared),
        callback(MHD_OPTION_NOTIFY_CONNECTION, &connectionChanged, shared),
    };
    if (tls) {
        options.push_back(
            option(MHD_OPTION_HTTPS_PRIORITIES, 0, const_cast<char*>(kTlsPriorities)));
        options.push_back(option(MHD_OPTION_HTTPS_MEM_CERT, 0,
                                 const_cast<char*>(shared->settings.certificatePem.c_str())));
        options.push_back(option(MHD_OPTION_HTTPS_MEM_KEY, 0,
                                 const_cast<char*>(shared->settings.keyPem.c_str())));
    }
    options.push_back(option(MHD_OPTION_END, 0));

    unsigned int flags = MHD_USE_THREAD_PER_CONNECTION | MHD_USE_INTERNAL_POLLING_THREAD |
                         MHD_USE_POLL | MHD_USE_ITC;
    if (ipv6) {
        flags |= MHD_USE_IPv6;
    }
    if (tls) {
        flags |= MHD_USE_TLS;
    }
    m_daemon =
        MHD_start_daemon(flags, static_cast<uint16_t>(port), nullptr, nullptr, &answerRequest,
                         shared, MHD_OPTION_ARRAY, options.data(), MHD_OPTION_END);
    if (m_daemon == nullptr) {
        // Whether the library closed the socket it was given depends on where it failed; a
        // descriptor left open is the lesser harm than closing one another thread now owns.
        m_shared.reset();
        return tls ? "证书或私钥无法使用" : "地址无法监听：" + settings.address;
    }
    try {
        shared->headWatch = std::thread(watchHeads, std::ref(*shared));
    } catch (...) {
        MHD_stop_daemon(m_daemon);
        m_daemon = nullptr;
        m_shared.reset();
        return "无法启动服务线程";
    }
    m_port = port;
    return {};
}

void MhdHttpServer::stop() {
    if (m_daemon == nullptr) {
        return;
    }
    {
        // A stream's reader returns at its next wait; one that starts later is closed at once.
        const std::lock_guard lock(m_shared->mutex);
        m_shared->stopping = true;
        for (StreamReader* reader : m_shared->streams) {
            try {
                reader->stream->close();
            } catch (const std::exception& e) {
                recordFailure({"stop", reader->method, reader->path}, e.what());
            } catch (...) {
                recordFailure({"stop", reader->method, reader->path}, nullptr);
            }
        }
    }
    m_shared->stop.notify_all();
    if (m_shared->headWatch.joinable()) {
        m_shared->headWatch.join();
    }
    MHD_stop_daemon(m_daemon);
    m_daemon = nullptr;
    m_port = 0;
    m_shared.reset();
}

}  // namespace orvessa::backends
