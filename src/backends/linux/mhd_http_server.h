#pragma once

#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "core/console/http.h"

struct MHD_Daemon;

namespace orvessa::backends {

// The console's HTTP(S) server on libmicrohttpd: one thread per connection (an event stream
// blocks in its reader), the library's own limits on connections, idle time and memory, and
// TLS through GnuTLS when the settings carry a certificate. The handler runs on the
// connection threads, several at once.
class MhdHttpServer : public console::HttpServer {
public:
    MhdHttpServer();
    ~MhdHttpServer() override;
    MhdHttpServer(const MhdHttpServer&) = delete;
    MhdHttpServer& operator=(const MhdHttpServer&) = delete;

    // Call start() and stop() from one thread.
    std::string start(const console::ServerSettings& settings,
                      console::HttpHandler handler) override;
    void stop() override;
    int port() const override { return m_port; }

    // What the library's callbacks share; public only so that they can reach it.
    struct Shared;

private:
    std::unique_ptr<Shared> m_shared;
    MHD_Daemon* m_daemon = nullptr;
    int m_port = 0;
};

}  // namespace orvessa::backends
