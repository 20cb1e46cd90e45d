#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// What the console's HTTP server hands its handler and takes back. The server (a library
// outside the core) parses, limits and encrypts; the handler decides. Both run on the server's
// own threads, never on the interface thread.
namespace orvessa::console {

struct HttpRequest {
    std::string method;                          // "GET", "POST", "PUT", ...
    std::string path;                            // as sent, without the query: "/api/day"
    std::map<std::string, std::string> query;    // decoded; the last of a repeated name
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;                            // at most the server's body limit
    std::string peer;                            // the client's address: "127.0.0.1", "::1", ...
    bool secure = false;                         // came over TLS

    // The header's value, or empty.
    std::string header(const std::string& lowerCaseName) const {
        const auto it = headers.find(lowerCaseName);
        return it == headers.end() ? std::string{} : it->second;
    }
};

// A response sent as it is made: server-sent events. The server calls next() from the
// connection's thread until it returns none.
class EventStream {
public:
    virtual ~EventStream() = default;
    // The next bytes to send, waiting for them at most `wait`; empty when nothing came in that
    // time (the server calls again), none when the stream is over.
    virtual std::optional<std::string> next(std::chrono::milliseconds wait) = 0;
    // Ends the stream: a next() waiting now or later returns none. Called by the server when
    // the client goes or the server stops.
    virtual void close() = 0;
};

struct HttpResponse {
    int status = 200;
    std::string contentType = "application/json; charset=utf-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;  // Set-Cookie may repeat
    // When set, the body is ignored and the stream's bytes are sent as they come.
    std::shared_ptr<EventStream> stream;
};

using HttpHandler = std::function<HttpResponse(const HttpRequest&)>;

struct ServerSettings {
    std::string address = "127.0.0.1";  // an address of this computer, or 0.0.0.0 / ::
    int port = 8460;                    // 0: any free port (port() says which)
    // PEM text; both empty for plain HTTP, which the caller allows on the loopback only.
    std::string certificatePem;
    std::string keyPem;
    std::size_t maxHeadBytes = 8 * 1024;   // longer request heads are answered 431
    std::size_t maxBodyBytes = 64 * 1024;  // longer bodies are answered 413
    // More are closed as they come: room for a full hub of event streams and as many other
    // connections. A kept-alive connection counts until it is cut as idle.
    int maxConnections = 64;
    // One address holds no more, so that others still get in.
    int maxConnectionsPerAddress = 16;
    int idleSeconds = 10;  // a client that sends nothing for this long is cut
    // A request head (and, over TLS, the handshake before it) not complete this long after the
    // connection or the previous request is cut, however steadily it trickles in.
    int headSeconds = 10;
};

// The listening part.
class HttpServer {
public:
    virtual ~HttpServer() = default;
    // Listens and serves each request with `handler` on the server's threads. Empty on
    // success, else why it could not ("端口 8460 已被占用" and the like).
    virtual std::string start(const ServerSettings& settings, HttpHandler handler) = 0;
    // Closes every event stream, waits for the requests being served, and stops listening.
    virtual void stop() = 0;
    // The port it listens on; 0 when it does not.
    virtual int port() const = 0;
};

}  // namespace orvessa::console
