#include "core/console_server/console_runner.h"

#include <algorithm>

#include "core/console/accounts.h"
#include "core/console/file_access.h"
#include "core/store/file_io.h"

namespace orvessa::console {

ConsoleRunner::ConsoleRunner(system::OrvessaSystem& system, ConsoleRunnerServices services)
    : m_system(system), m_s(std::move(services)), m_server(m_s.server) {
    m_ticker.setHandler([this] {
        if (m_bridge) {
            m_bridge->secondPassed();
        }
    });
}

ConsoleRunner::~ConsoleRunner() {
    stop();
}

std::string ConsoleRunner::failed(const std::string& why) {
    const std::string text = "网页控制台未能启动：" + why;
    m_system.engine().sayHint("  ☆ " + text);
    m_system.engine().record(platform::Failure{"console not started", why, 0});
    stop();
    return text;
}

bool ConsoleRunner::tlsFiles(const ConsoleSettings& settings, std::string& certificatePem,
                             std::string& keyPem, std::string& error) {
    const std::filesystem::path dir = m_system.engine().programDirectory();
    std::filesystem::path certificate = settings.certificate.empty()
                                            ? dir / kCertificateFileName
                                            : std::filesystem::path(settings.certificate);
    std::filesystem::path key =
        settings.key.empty() ? dir / kKeyFileName : std::filesystem::path(settings.key);
    if (certificate.is_relative()) {
        certificate = dir / certificate;
    }
    if (key.is_relative()) {
        key = dir / key;
    }
    if (m_s.certificates == nullptr) {
        error = "本机无法提供 HTTPS";
        return false;
    }
    if (settings.certificate.empty() && !store::fileExists(certificate)) {
        error = m_s.certificates->make(certificate, key, m_s.hostNames.names());
        if (!error.empty()) {
            error = "无法生成证书：" + error;
            return false;
        }
    }
    if (error = keyExposed(key); !error.empty()) {
        return false;
    }
    if (error = m_s.certificates->checkPair(certificate, key); !error.empty()) {
        return false;
    }
    const store::ReadResult c = store::readWholeFile(certificate, 1024 * 1024);
    const store::ReadResult k = store::readWholeFile(key, 1024 * 1024);
    if (c.status != store::ReadStatus::Ok || k.status != store::ReadStatus::Ok) {
        error = "证书或私钥无法读取：" + (c.error.empty() ? k.error : c.error);
        return false;
    }
    certificatePem = c.bytes;
    keyPem = k.bytes;
    return true;
}

std::string ConsoleRunner::start() {
    if (serving()) {
        return {};
    }
    ConsoleSettingsFile file(m_system.engine().programDirectory());
    if (!file.load()) {
        return failed("console.conf 无法读取：" + file.error());
    }
    const ConsoleSettings& settings = file.settings();
    if (!settings.enabled) {
        return {};
    }
    if (const std::string why =
            writableByOthers(m_system.engine().programDirectory() / Accounts::kFileName);
        !why.empty()) {
        return failed(why);
    }
    ServerSettings server;
    server.address = settings.address == "localhost" ? std::string("127.0.0.1") : settings.address;
    server.port = settings.port;
    const bool secure = !isLoopback(settings.address);
    if (secure) {
        std::string error;
        if (!tlsFiles(settings, server.certificatePem, server.keyPem, error)) {
            return failed(error);
        }
    }

    std::vector<std::string> names = m_s.hostNames.names();
    for (const char* always : {"localhost", "127.0.0.1", "::1"}) {
        if (std::find(names.begin(), names.end(), always) == names.end()) {
            names.emplace_back(always);
        }
    }
    if (server.address != "0.0.0.0" && server.address != "::" &&
        std::find(names.begin(), names.end(), server.address) == names.end()) {
        names.push_back(server.address);
    }
    m_bridge = std::make_shared<ConsoleBridge>(m_system, m_s.clock, m_hub, m_box, m_s.fileSync);
    m_service = std::make_unique<ConsoleService>(
        ConsoleServices{.programDirectory = m_system.engine().programDirectory(),
                        .asRunDirectory = m_s.asRunDirectory,
                        .secrets = m_s.secrets,
                        .snapshots = m_box,
                        .hub = m_hub,
                        .ui = m_s.ui,
                        .actions = m_bridge,
                        .checker = m_s.checker,
                        .hostNames = names,
                        .port = settings.port,
                        .secure = secure,
                        .assets = m_s.assets});
    ConsoleService& service = *m_service;
    if (const std::string error =
            m_server.start(server, [&service](const HttpRequest& r) { return service.handle(r); });
        !error.empty()) {
        return failed(error);
    }
    const std::string host =
        server.address.find(':') != std::string::npos ? "[" + server.address + "]" : server.address;
    m_address = std::string(secure ? "https://" : "http://") + host + ":" +
                std::to_string(m_server.port()) + "/";
    return {};
}

void ConsoleRunner::stop() {
    m_hub.closeAll();
    m_server.stop();
    m_service.reset();
    m_bridge.reset();
    m_address.clear();
}

std::string ConsoleRunner::restart() {
    stop();
    return start();
}

}  // namespace orvessa::console
