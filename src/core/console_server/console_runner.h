#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "core/console/certificate.h"
#include "core/console/console_settings.h"
#include "core/console/event_hub.h"
#include "core/console/http.h"
#include "core/console/secrets.h"
#include "core/console/system_actions.h"
#include "core/console_server/console_bridge.h"
#include "core/console_server/console_service.h"
#include "core/desktop/orvessa_system.h"
#include "core/editing/day_checker.h"
#include "core/model/timer.h"
#include "core/platform/clock.h"
#include "core/store/file_io.h"

namespace orvessa::console {

struct ConsoleRunnerServices {
    HttpServer& server;
    Certificates* certificates;  // none: only the loopback can be served
    HostNames& hostNames;
    Secrets& secrets;
    UiQueue& ui;
    const platform::Clock& clock;
    editing::DayChecker* checker = nullptr;
    std::filesystem::path asRunDirectory{};
    store::FileSync* fileSync = nullptr;
    std::function<const Asset*(std::string_view)> assets{};
};

// Starts the console as console.conf says, on the interface thread, and keeps it until stopped.
// A console that cannot start says so once; the broadcast goes on without it.
class ConsoleRunner {
public:
    ConsoleRunner(system::OrvessaSystem& system, ConsoleRunnerServices services);
    ~ConsoleRunner();
    ConsoleRunner(const ConsoleRunner&) = delete;
    ConsoleRunner& operator=(const ConsoleRunner&) = delete;

    // Reads the settings and serves when enabled. Empty when it serves or is off, else why it
    // does not (also in the status line and the failure record).
    std::string start();
    void stop();
    // The settings changed: stop, then start as they now say.
    std::string restart();

    // Runs once a second, on the second, while the program runs.
    model::Timer& ticker() { return m_ticker; }

    bool serving() const { return m_server.port() != 0; }
    // "http://127.0.0.1:8460/" while it serves; empty otherwise.
    const std::string& address() const { return m_address; }

private:
    std::string failed(const std::string& why);
    // The certificate and key to serve with, made on first use; empty `error` on success.
    bool tlsFiles(const ConsoleSettings& settings, std::string& certificatePem, std::string& keyPem,
                  std::string& error);

    system::OrvessaSystem& m_system;
    ConsoleRunnerServices m_s;
    HttpServer& m_server;
    EventHub m_hub;
    SnapshotBox m_box;
    std::shared_ptr<ConsoleBridge> m_bridge;
    std::unique_ptr<ConsoleService> m_service;
    std::string m_address;
    model::Timer m_ticker{"consoleTicker", 1000};
};

}  // namespace orvessa::console
