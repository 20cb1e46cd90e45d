#include "core/console_server/console_runner.h"

#include <gtest/gtest.h>

#include "core/console/console_settings.h"
#include "core/scheduler/clock_scenario.h"
#include "fakes/fake_secrets.h"
#include "fakes/fake_ui_queue.h"

namespace orvessa::console {
namespace {

class FakeServer : public HttpServer {
public:
    std::string start(const ServerSettings& s, HttpHandler h) override {
        if (!refusal.empty()) {
            return refusal;
        }
        settings = s;
        handler = std::move(h);
        m_port = s.port;
        return {};
    }
    void stop() override {
        handler = nullptr;
        m_port = 0;
    }
    int port() const override { return m_port; }

    std::string refusal;
    ServerSettings settings;
    HttpHandler handler;

private:
    int m_port = 0;
};

class FakeNames : public HostNames {
public:
    std::vector<std::string> names() override { return {"bells", "127.0.0.2"}; }
};

class FakeCertificates : public Certificates {
public:
    std::string make(const std::filesystem::path& certificate, const std::filesystem::path& key,
                     const std::vector<std::string>& names) override {
        made = names;
        orvessa::testing::writeBytes(certificate, "CERT");
        orvessa::testing::writeBytes(key, "KEY");
        std::filesystem::permissions(
            key, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        return {};
    }
    std::string fingerprint(const std::filesystem::path&, std::string&) override { return "AB"; }
    std::string checkPair(const std::filesystem::path&, const std::filesystem::path&) override {
        return pairError;
    }
    std::vector<std::string> made;
    std::string pairError;
};

class ConsoleRunnerTest : public scheduler::ClockScenario {
protected:
    void startSystem() {
        media("bell.wav", 5);
        start({{"08:00:00", library() + "bell.wav", ""}}, "07:59:50");
        runFor(1);
        runner = std::make_unique<ConsoleRunner>(
            *m_system, ConsoleRunnerServices{.server = server,
                                             .certificates = &certificates,
                                             .hostNames = names,
                                             .secrets = secrets,
                                             .ui = ui,
                                             .clock = m_clock});
    }
    void enable(const std::string& address) {
        ConsoleSettingsFile file(m_dir.path());
        file.load();
        file.setEnabled(true);
        ASSERT_EQ(file.setAddress(address), "");
        ASSERT_TRUE(file.save());
    }
    std::string hint() const { return m_system->engine().line(system::StatusLine::Hint).text(); }

    FakeServer server;
    FakeNames names;
    FakeCertificates certificates;
    fakes::FakeSecrets secrets;
    fakes::FakeUiQueue ui;
    std::unique_ptr<ConsoleRunner> runner;
};

TEST_F(ConsoleRunnerTest, OffUntilEnabledAndPlainOnlyOnTheLoopback) {
    startSystem();
    EXPECT_EQ(runner->start(), "");
    EXPECT_FALSE(runner->serving()) << "no console.conf: off";

    enable("127.0.0.1");
    EXPECT_EQ(runner->restart(), "");
    ASSERT_TRUE(runner->serving());
    EXPECT_EQ(server.settings.address, "127.0.0.1");
    EXPECT_EQ(server.settings.port, kDefaultPort);
    EXPECT_EQ(server.settings.certificatePem, "") << "plain HTTP on the loopback";
    EXPECT_EQ(runner->address(), "http://127.0.0.1:8460/");
    EXPECT_TRUE(certificates.made.empty());
}

TEST_F(ConsoleRunnerTest, BeyondTheLoopbackACertificateIsMadeOnceAndUsed) {
    startSystem();
    enable("0.0.0.0");
    EXPECT_EQ(runner->start(), "");
    ASSERT_TRUE(runner->serving());
    EXPECT_EQ(certificates.made, (std::vector<std::string>{"bells", "127.0.0.2"}));
    EXPECT_EQ(server.settings.certificatePem, "CERT");
    EXPECT_EQ(server.settings.keyPem, "KEY");
    EXPECT_EQ(runner->address(), "https://0.0.0.0:8460/");
    certificates.made.clear();
    EXPECT_EQ(runner->restart(), "");
    EXPECT_TRUE(certificates.made.empty()) << "the certificate the browsers accepted stays";
}

TEST_F(ConsoleRunnerTest, AConsoleThatCannotStartSaysSoAndTheBroadcastGoesOn) {
    failures = nullptr;
    startSystem();
    enable("127.0.0.1");
    server.refusal = "端口 8460 已被占用";
    const std::string why = runner->start();
    EXPECT_NE(why.find("端口 8460 已被占用"), std::string::npos);
    EXPECT_NE(hint().find("网页控制台未能启动"), std::string::npos) << hint();
    ASSERT_TRUE(m_system->engine().status().lastFailure.has_value());
    EXPECT_EQ(m_system->engine().status().lastFailure->what, "console not started");
    EXPECT_FALSE(runner->serving());
    runUntil("08:00:01");
    EXPECT_EQ(log, (scheduler::Log{"08:00:00 open bell.wav"}));

    server.refusal.clear();
    enable("0.0.0.0");
    certificates.pairError = "私钥与证书不匹配";
    EXPECT_NE(runner->restart().find("私钥与证书不匹配"), std::string::npos);
    EXPECT_FALSE(runner->serving());
}

TEST_F(ConsoleRunnerTest, FilesOthersCouldHaveChangedOrReadStopTheConsoleWithOneLine) {
    namespace fs = std::filesystem;
    failures = nullptr;
    startSystem();
    enable("0.0.0.0");
    ASSERT_EQ(runner->start(), "");
    runner->stop();

    // A private key others may read is no longer private.
    fs::permissions(m_dir / kKeyFileName, fs::perms::others_read, fs::perm_options::add);
    const std::string key = runner->start();
    EXPECT_NE(key.find("chmod 600"), std::string::npos) << key;
    EXPECT_NE(hint().find(kKeyFileName), std::string::npos) << hint();
    ASSERT_TRUE(m_system->engine().status().lastFailure.has_value());
    EXPECT_EQ(m_system->engine().status().lastFailure->what, "console not started");
    EXPECT_FALSE(runner->serving());
    fs::permissions(m_dir / kKeyFileName, fs::perms::others_read, fs::perm_options::remove);
    EXPECT_EQ(runner->start(), "");
    runner->stop();

    // Users others may write could hold anyone's token, on the loopback too.
    enable("127.0.0.1");
    orvessa::testing::writeBytes(m_dir / Accounts::kFileName, "generation:1\n");
    fs::permissions(m_dir / Accounts::kFileName, fs::perms::others_write, fs::perm_options::add);
    const std::string users = runner->start();
    EXPECT_NE(users.find(Accounts::kFileName), std::string::npos) << users;
    EXPECT_NE(hint().find("chmod 600"), std::string::npos) << hint();
    EXPECT_EQ(hint().find('\n'), std::string::npos) << "one line";
    EXPECT_FALSE(runner->serving());
}

}  // namespace
}  // namespace orvessa::console
