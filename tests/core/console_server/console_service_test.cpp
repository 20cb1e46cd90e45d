#include "core/console_server/console_service.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <future>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "core/console/accounts.h"
#include "core/console_server/console_json.h"
#include "core/console_server/table_change.h"
#include "core/store/school_calendar.h"
#include "core/text/gbk.h"
#include "fakes/fake_secrets.h"
#include "fakes/fake_ui_queue.h"
#include "support/temp_dir.h"

namespace orvessa::console {
namespace {

using nlohmann::json;
using orvessa::testing::TempDir;
using namespace std::chrono_literals;

// Actions that say what they were asked, on the thread that pumps the queue.
class RecordingActions : public SystemActions {
public:
    ActionResult returnToAutomatic(const Actor& actor) override {
        calls.push_back("automatic " + actor.user);
        return unsaved ? refused(409, "主窗口有未保存的修改", "unsaved") : ActionResult{};
    }
    ActionResult enterManual(const Actor& actor) override {
        calls.push_back("manual " + actor.user);
        return {};
    }
    ActionResult playRow(const Actor& actor, int row) override {
        calls.push_back("play " + actor.user + " " + std::to_string(row));
        ActionResult r;
        r.table = "zxsj3.log";
        return r;
    }
    ActionResult commitTable(const Actor& actor, const TableCommit& commit) override {
        calls.push_back("table " + actor.user + " " + std::to_string(commit.table) + " " +
                        commit.version + " rows=" + std::to_string(commit.rows.size()) +
                        (commit.dropUnread ? " drop" : ""));
        ActionResult r;
        r.version = "v2";
        r.reload = "now";
        return r;
    }
    ActionResult stopPlaying(const Actor& actor) override {
        calls.push_back("stop " + actor.user);
        ActionResult r;
        r.stopped = true;
        return r;
    }
    ActionResult changeCalendar(const Actor& actor, const CalendarChange& change) override {
        calls.push_back("calendar " + actor.user + " " + change.version);
        ActionResult r;
        r.version = "v2";
        return r;
    }
    ActionResult setEmergency(const Actor& actor, bool on) override {
        calls.push_back(std::string("emergency ") + (on ? "on " : "off ") + actor.user);
        if (alertResult.status == 200 && emergencyChanged) {
            emergencyChanged(on);
        }
        return alertResult;
    }
    ActionResult announce(const Actor& actor, const std::string& file) override {
        calls.push_back("announce " + actor.user + " " + file);
        return alertResult;
    }
    std::vector<std::string> notices() override {
        calls.push_back("notices");
        return noticeNames;
    }
    void record(const std::string& line) override { lines.push_back(line); }

    bool unsaved = false;
    // What starting or ending the emergency and playing a notice answer.
    ActionResult alertResult;
    // Called on the interface thread when the emergency starts or ends, as the system
    // publishes its new state.
    std::function<void(bool)> emergencyChanged;
    std::vector<std::string> noticeNames{"通知.wav"};
    std::vector<std::string> calls;
    std::vector<std::string> lines;
};

const Asset kLoginPage{"text/html; charset=utf-8", "<html>login</html>", false};
const Asset kIndexPage{"text/html; charset=utf-8", "<html>index</html>", true};

const Asset* pages(std::string_view path) {
    if (path == "/login") {
        return &kLoginPage;
    }
    return path == "/" ? &kIndexPage : nullptr;
}

class ConsoleServiceTest : public ::testing::Test {
protected:
    ConsoleServiceTest() {
        auto snapshot = std::make_shared<ConsoleSnapshot>();
        snapshot->serial = 1;
        snapshot->date = std::chrono::year{2026} / 12 / 9;
        snapshot->status.plan.weekday = 3;
        snapshot->status.plan.table = 3;
        m_box.set(snapshot);
    }

    void addUser(const std::string& name, Role role, const std::string& password) {
        Accounts accounts(m_dir.path(), m_secrets);
        accounts.load();
        ASSERT_EQ(accounts.addUser(name, role, password), "");
        ASSERT_TRUE(accounts.save());
    }

    // The operator wang and an operator's token for scripts; the token as shown once.
    std::string addOperatorAndToken() {
        std::string shown;
        Accounts accounts(m_dir.path(), m_secrets);
        accounts.load();
        EXPECT_EQ(accounts.addUser("wang", Role::Operator, "correct horse"), "");
        EXPECT_EQ(accounts.addToken("bellscript", Role::Operator, shown), "");
        EXPECT_TRUE(accounts.save());
        return shown;
    }

    ConsoleService& service() {
        if (!m_service) {
            m_service = std::make_unique<ConsoleService>(ConsoleServices{
                .programDirectory = m_dir.path(),
                .asRunDirectory = m_dir.path() / "as-run",
                .secrets = m_secrets,
                .snapshots = m_box,
                .hub = m_hub,
                .ui = m_ui,
                .actions = m_actions,
                .hostNames = {"127.0.0.1", "localhost", "::1", "bells.school.example"},
                .port = 8460,
                .secure = secure,
                .now = [this] { return m_now; },
                .commandWait = commandWait,
                .assets = pages});
        }
        return *m_service;
    }

    HttpRequest request(std::string method, std::string path, std::string body = {}) {
        HttpRequest r;
        r.method = std::move(method);
        r.path = std::move(path);
        r.body = std::move(body);
        r.peer = peer;
        r.secure = secure;
        r.headers["host"] = "127.0.0.1:8460";
        if (!m_cookie.empty()) {
            r.headers["cookie"] = m_cookie;
        }
        if (!m_csrf.empty()) {
            r.headers["x-csrf-token"] = m_csrf;
        }
        return r;
    }

    // Handles on a thread of its own, as the server does, while this thread is the interface
    // thread that runs what the request hands to it.
    HttpResponse send(const HttpRequest& r) {
        auto answer = std::async(std::launch::async, [&] { return service().handle(r); });
        while (answer.wait_for(1ms) != std::future_status::ready) {
            m_ui.pump();
        }
        m_ui.pump();
        return answer.get();
    }

    HttpResponse login(const std::string& user, const std::string& password) {
        const HttpResponse r = send(
            request("POST", "/api/login", json{{"user", user}, {"password", password}}.dump()));
        if (r.status == 200) {
            m_csrf = json::parse(r.body)["csrfToken"];
            m_cookie = std::string(kSessionCookie) + "=" + sessionId(r);
        }
        return r;
    }

    static std::string header(const HttpResponse& r, const std::string& name) {
        for (const auto& [n, v] : r.headers) {
            if (n == name) {
                return v;
            }
        }
        return {};
    }
    static std::string sessionId(const HttpResponse& r) {
        const std::string c = header(r, "Set-Cookie");
        const std::size_t eq = c.find('=');
        return c.substr(eq + 1, c.find(';') - eq - 1);
    }

    TempDir m_dir;
    fakes::FakeSecrets m_secrets;
    SnapshotBox m_box;
    EventHub m_hub;
    fakes::FakeUiQueue m_ui;
    std::shared_ptr<RecordingActions> m_actions = std::make_shared<RecordingActions>();
    SteadyTime m_now{};
    bool secure = false;
    std::string peer = "127.0.0.1";
    std::chrono::milliseconds commandWait = 2000ms;
    std::string m_cookie;
    std::string m_csrf;
    std::unique_ptr<ConsoleService> m_service;
};

TEST_F(ConsoleServiceTest, AForeignHostIsRefusedBeforeAnythingElse) {
    addUser("wang", Role::Operator, "correct horse");
    for (const std::string host : {"evil.example", "", "127.0.0.1:9999",
                                   "bells.school.example.evil", "127.0.0.1@evil.example"}) {
        HttpRequest r = request("POST", "/api/login",
                                json{{"user", "wang"}, {"password", "correct horse"}}.dump());
        r.headers["host"] = host;
        const HttpResponse answer = send(r);
        EXPECT_EQ(answer.status, 421) << host;
        EXPECT_EQ(header(answer, "Set-Cookie"), "") << host;
    }
    EXPECT_TRUE(m_actions->lines.empty()) << "a refused host is no login attempt";
    for (const std::string host : {"[::1]:8460", "LOCALHOST", "bells.school.example:8460"}) {
        HttpRequest r = request("GET", "/login");
        r.headers["host"] = host;
        EXPECT_EQ(send(r).status, 200) << host;
    }
}

TEST_F(ConsoleServiceTest, WithoutASessionPagesSendToLoginAndTheApiAnswers401) {
    addUser("wang", Role::Operator, "correct horse");
    const HttpResponse page = send(request("GET", "/"));
    EXPECT_EQ(page.status, 303);
    EXPECT_EQ(header(page, "Location"), "/login");
    EXPECT_EQ(send(request("GET", "/login")).status, 200);
    for (const char* path : {"/api/status", "/api/today", "/api/day?date=2026-12-10",
                             "/api/calendar", "/api/as-run", "/api/events", "/api/session"}) {
        EXPECT_EQ(send(request("GET", path)).status, 401) << path;
    }
    EXPECT_EQ(send(request("POST", "/api/mode", R"({"mode":"automatic"})")).status, 401);
    EXPECT_TRUE(m_actions->calls.empty());
    // Only the console's own files: nothing that names another.
    for (const char* path : {"/../orvessa.sys", "/static/../console-users", "/console-users",
                             "/etc/passwd", "/static/", "//"}) {
        EXPECT_EQ(send(request("GET", path)).status, 404) << path;
    }
    EXPECT_EQ(send(request("DELETE", "/api/status")).status, 405);
}

TEST_F(ConsoleServiceTest, WithoutAnyUserEveryLoginIsRefusedWithHowToAddOne) {
    const HttpResponse r = login("admin", "admin");
    EXPECT_EQ(r.status, 503);
    EXPECT_NE(json::parse(r.body)["error"].get<std::string>().find("user add"), std::string::npos);
}

TEST_F(ConsoleServiceTest, UnknownUserAndWrongPasswordGetTheSameAnswerAndTheSixthTryIsLockedOut) {
    addUser("wang", Role::Operator, "correct horse");
    const HttpResponse unknown = login("li", "correct horse");
    const HttpResponse wrong = login("wang", "wrong horse");
    EXPECT_EQ(unknown.status, 401);
    EXPECT_EQ(wrong.status, unknown.status);
    EXPECT_EQ(wrong.body, unknown.body);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(login("wang", "wrong horse").status, 401);
    }
    // Five failures: now even the right password waits, and another address does not.
    EXPECT_EQ(login("wang", "correct horse").status, 429);
    peer = "127.0.0.2";
    EXPECT_EQ(login("wang", "correct horse").status, 200);
    peer = "127.0.0.1";
    m_now += 9min;
    EXPECT_EQ(login("wang", "correct horse").status, 429);
    m_now += 2min;
    EXPECT_EQ(login("wang", "correct horse").status, 200);
    // A second lockout lasts twice as long.
    for (int i = 0; i < 5; ++i) {
        login("wang", "wrong horse");
    }
    m_now += 19min;
    EXPECT_EQ(login("wang", "correct horse").status, 429);
    m_now += 2min;
    EXPECT_EQ(login("wang", "correct horse").status, 200);

    ASSERT_GE(m_actions->lines.size(), 2u);
    EXPECT_EQ(m_actions->lines[0], "user=? from=127.0.0.1 login failed");
    EXPECT_NE(std::find(m_actions->lines.begin(), m_actions->lines.end(),
                        "user=wang from=127.0.0.1 login failed locked-out"),
              m_actions->lines.end());
    EXPECT_NE(std::find(m_actions->lines.begin(), m_actions->lines.end(),
                        "user=wang role=operator from=127.0.0.2 login"),
              m_actions->lines.end());
}

TEST_F(ConsoleServiceTest, ANameThatIsNoUsersIsNeverRecorded) {
    addUser("wang", Role::Operator, "correct horse");
    // A password typed into the name field, and a name that would forge fields.
    login("Secret-Pass-42", "wang");
    login("x role=operator", "whatever1");
    login("wang", "wrong horse");
    EXPECT_EQ(m_actions->lines, (std::vector<std::string>{
                                    "user=? from=127.0.0.1 login failed",
                                    "user=? from=127.0.0.1 login failed",
                                    "user=wang from=127.0.0.1 login failed",
                                }));
}

// Checks a password as slowly as the real hash, so that tries sent at once overlap.
class SlowSecrets : public fakes::FakeSecrets {
public:
    bool verifyPassword(std::string_view hash, std::string_view password) override {
        ++checks;
        std::this_thread::sleep_for(20ms);
        return FakeSecrets::verifyPassword(hash, password);
    }
    std::atomic<int> checks{0};
};

TEST_F(ConsoleServiceTest, TriesSentAtOnceAreCountedBeforeAnyIsChecked) {
    addUser("wang", Role::Operator, "correct horse");
    SlowSecrets slow;
    ConsoleService racing(ConsoleServices{.programDirectory = m_dir.path(),
                                          .secrets = slow,
                                          .snapshots = m_box,
                                          .hub = m_hub,
                                          .ui = m_ui,
                                          .actions = m_actions,
                                          .hostNames = {"127.0.0.1"},
                                          .port = 8460,
                                          .now = [this] { return m_now; }});
    const HttpRequest wrong =
        request("POST", "/api/login", json{{"user", "wang"}, {"password", "wrong horse"}}.dump());
    std::vector<std::future<HttpResponse>> answers;
    for (int i = 0; i < 30; ++i) {
        answers.push_back(std::async(std::launch::async, [&] { return racing.handle(wrong); }));
    }
    int refused = 0;
    int locked = 0;
    for (auto& answer : answers) {
        const int status = answer.get().status;
        refused += status == 401 ? 1 : 0;
        locked += status == 429 ? 1 : 0;
    }
    EXPECT_EQ(refused + locked, 30);
    EXPECT_GE(refused, 1);
    EXPECT_LE(refused, kFailuresBeforeLockout);
    EXPECT_LE(slow.checks, kFailuresBeforeLockout);
    // Not yet locked out: the next single try is still checked. Once the fifth has failed, the
    // loopback is one address however it is written.
    while (slow.checks < kFailuresBeforeLockout) {
        ASSERT_EQ(racing.handle(wrong).status, 401);
    }
    HttpRequest right =
        request("POST", "/api/login", json{{"user", "wang"}, {"password", "correct horse"}}.dump());
    right.peer = "::1";
    EXPECT_EQ(racing.handle(right).status, 429);
}

TEST_F(ConsoleServiceTest, AnIpv6NetworkIsOneAddressToTheThrottle) {
    addUser("wang", Role::Operator, "correct horse");
    peer = "2001:db8:1:2::a";
    for (int i = 0; i < kFailuresBeforeLockout; ++i) {
        EXPECT_EQ(login("wang", "wrong horse").status, 401);
    }
    peer = "2001:db8:1:2:ffff:1:2:3";
    EXPECT_EQ(login("wang", "correct horse").status, 429) << "the same /64";
    peer = "2001:db8:1:3::a";
    EXPECT_EQ(login("wang", "correct horse").status, 200) << "the next /64";

    EXPECT_EQ(throttledAddress("127.0.0.1"), throttledAddress("::1"));
    EXPECT_EQ(throttledAddress("::ffff:127.0.0.1"), throttledAddress("::1"));
    EXPECT_EQ(throttledAddress("::ffff:192.0.2.7"), "192.0.2.7");
    EXPECT_EQ(throttledAddress("192.0.2.7"), "192.0.2.7");
    EXPECT_EQ(throttledAddress("2001:DB8::1"), "2001:db8:0:0::/64");
    EXPECT_EQ(throttledAddress("fe80::1:2:3:4"), "fe80:0:0:0::/64");
    EXPECT_EQ(throttledAddress("not:an::address::"), "not:an::address::");
}

TEST_F(ConsoleServiceTest, SessionCookieIsNewAtEachLoginAndMarkedForTheBrowser) {
    addUser("wang", Role::Operator, "correct horse");
    const HttpResponse first = login("wang", "correct horse");
    const HttpResponse second = login("wang", "correct horse");
    ASSERT_EQ(first.status, 200);
    EXPECT_NE(sessionId(first), sessionId(second));
    const std::string cookie = header(first, "Set-Cookie");
    EXPECT_NE(cookie.find("HttpOnly"), std::string::npos);
    EXPECT_NE(cookie.find("SameSite=Strict"), std::string::npos);
    EXPECT_EQ(cookie.find("Secure"), std::string::npos) << "plain HTTP on the loopback";
    EXPECT_EQ(send(request("GET", "/api/status")).status, 200);
    EXPECT_EQ(send(request("GET", "/")).status, 200);
}

TEST_F(ConsoleServiceTest, OverTlsTheCookieIsSecureAndHstsIsSent) {
    secure = true;
    addUser("wang", Role::Operator, "correct horse");
    const HttpResponse r = login("wang", "correct horse");
    EXPECT_NE(header(r, "Set-Cookie").find("; Secure"), std::string::npos);
    EXPECT_NE(header(r, "Strict-Transport-Security"), "");
}

TEST_F(ConsoleServiceTest, EveryAnswerCarriesTheSecurityHeaders) {
    for (const char* path : {"/login", "/api/status", "/nothing"}) {
        const HttpResponse r = send(request("GET", path));
        EXPECT_EQ(header(r, "Content-Security-Policy"),
                  "default-src 'self'; frame-ancestors 'none'")
            << path;
        EXPECT_EQ(header(r, "X-Content-Type-Options"), "nosniff") << path;
        EXPECT_EQ(header(r, "Referrer-Policy"), "no-referrer") << path;
        EXPECT_EQ(header(r, "Strict-Transport-Security"), "") << path;
    }
}

TEST_F(ConsoleServiceTest, AChangeNeedsTheAntiForgeryTokenAndOurOrigin) {
    addUser("wang", Role::Operator, "correct horse");
    login("wang", "correct horse");
    const std::string token = m_csrf;
    m_csrf.clear();
    EXPECT_EQ(send(request("POST", "/api/stop")).status, 403);
    m_csrf = "forged";
    EXPECT_EQ(send(request("POST", "/api/stop")).status, 403);
    m_csrf = token;
    HttpRequest foreign = request("POST", "/api/stop");
    foreign.headers["origin"] = "http://evil.example";
    EXPECT_EQ(send(foreign).status, 403);
    EXPECT_TRUE(m_actions->calls.empty());

    HttpRequest ours = request("POST", "/api/stop");
    ours.headers["origin"] = "http://127.0.0.1:8460";
    const HttpResponse r = send(ours);
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(json::parse(r.body)["stopped"], true);
    EXPECT_EQ(m_actions->calls, std::vector<std::string>{"stop wang"});
}

TEST_F(ConsoleServiceTest, AViewerReadsButChangesNothing) {
    addUser("li", Role::Viewer, "viewer password");
    login("li", "viewer password");
    EXPECT_EQ(send(request("GET", "/api/status")).status, 200);
    EXPECT_EQ(send(request("POST", "/api/mode", R"({"mode":"automatic"})")).status, 403);
    EXPECT_EQ(
        send(request("PUT", "/api/calendar/2027-01-04", R"({"version":"0","plan":"stop"})")).status,
        403);
    EXPECT_EQ(send(request("POST", "/api/stop")).status, 403);
    EXPECT_EQ(send(request("POST", "/api/play", R"({"row":1})")).status, 403);
    EXPECT_EQ(send(request("PUT", "/api/tables/3", R"({"version":"0","rows":[]})")).status, 403);
    EXPECT_TRUE(m_actions->calls.empty());
    EXPECT_EQ(send(request("POST", "/api/logout")).status, 200) << "anyone may leave";
    EXPECT_EQ(send(request("GET", "/api/status")).status, 401);
}

TEST_F(ConsoleServiceTest, BearerTokensNeedNoCookieAndNoAntiForgeryToken) {
    const std::string shown = addOperatorAndToken();
    HttpRequest r = request("POST", "/api/mode", R"({"mode":"automatic"})");
    r.headers["authorization"] = "Bearer " + shown;
    EXPECT_EQ(send(r).status, 200);
    EXPECT_EQ(m_actions->calls, std::vector<std::string>{"automatic bellscript"});
    r.headers["authorization"] = "Bearer " + shown + "x";
    EXPECT_EQ(send(r).status, 401);
}

TEST_F(ConsoleServiceTest, SessionsEndWhenIdleOldLoggedOutRemovedOrRepassworded) {
    addUser("wang", Role::Operator, "correct horse");
    login("wang", "correct horse");
    m_now += 29min;
    EXPECT_EQ(send(request("GET", "/api/status")).status, 200);
    m_now += 29min;
    EXPECT_EQ(send(request("GET", "/api/status")).status, 200) << "seen keeps it alive";
    m_now += 31min;
    EXPECT_EQ(send(request("GET", "/api/status")).status, 401) << "idle for 31 minutes";

    login("wang", "correct horse");
    for (int i = 0; i < 25; ++i) {
        m_now += 29min;
        send(request("GET", "/api/status"));
    }
    EXPECT_EQ(send(request("GET", "/api/status")).status, 401) << "older than 12 hours";

    login("wang", "correct horse");
    {
        Accounts accounts(m_dir.path(), m_secrets);
        accounts.load();
        ASSERT_EQ(accounts.changePassword("wang", "another horse"), "");
        ASSERT_TRUE(accounts.save());
    }
    EXPECT_EQ(send(request("GET", "/api/status")).status, 401) << "password changed";

    login("wang", "another horse");
    EXPECT_EQ(send(request("GET", "/api/status")).status, 200);
    {
        Accounts accounts(m_dir.path(), m_secrets);
        accounts.load();
        ASSERT_EQ(accounts.removeUser("wang"), "");
        ASSERT_TRUE(accounts.save());
    }
    EXPECT_EQ(send(request("GET", "/api/status")).status, 401) << "user removed mid-session";
    EXPECT_EQ(service().sessions().size(), 0u);
}

TEST_F(ConsoleServiceTest, DatesAreYearMonthDayOrRefused) {
    addUser("wang", Role::Operator, "correct horse");
    login("wang", "correct horse");
    for (const char* date : {"2026-2-3", "2026-02-30", "20260203", "2026-02-03x", "../x", ""}) {
        HttpRequest r = request("GET", "/api/day");
        r.query["date"] = date;
        EXPECT_EQ(send(r).status, 400) << date;
        r.path = "/api/as-run";
        EXPECT_EQ(send(r).status, 400) << date;
    }
    EXPECT_EQ(
        send(request("PUT", "/api/calendar/2027-13-01", R"({"version":"0","plan":"stop"})")).status,
        400);
    EXPECT_TRUE(m_actions->calls.empty());
}

TEST_F(ConsoleServiceTest, BadCalendarEntriesAre422AndGoodOnesReachTheInterfaceThread) {
    addUser("wang", Role::Operator, "correct horse");
    login("wang", "correct horse");
    for (const char* body :
         {R"({"version":"0","plan":"table","table":13})", R"({"version":"0","plan":"sometimes"})",
          R"({"version":"0","plan":"stop","last":"2027-01-01"})",
          R"({"version":"0","plan":"stop","last":"2029-01-04"})",
          R"({"version":"0","plan":"usual","remark":"带备注"})"}) {
        EXPECT_EQ(send(request("PUT", "/api/calendar/2027-01-04", body)).status, 422) << body;
    }
    // The file would keep "?" for what GBK cannot hold.
    const HttpResponse emoji = send(request("PUT", "/api/calendar/2027-01-04",
                                            R"({"version":"0","plan":"stop","remark":"笑😀脸"})"));
    EXPECT_EQ(emoji.status, 422);
    EXPECT_EQ(json::parse(emoji.body)["error"], store::kRemarkOutsideGbk);
    EXPECT_EQ(send(request("PUT", "/api/calendar/2027-01-04", "not json")).status, 400);
    EXPECT_TRUE(m_actions->calls.empty());
    const HttpResponse r = send(
        request("PUT", "/api/calendar/2027-01-04", R"({"version":"v1","plan":"table","table":5})"));
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(json::parse(r.body)["version"], "v2");
    EXPECT_EQ(m_actions->calls, std::vector<std::string>{"calendar wang v1"});
}

TEST_F(ConsoleServiceTest, TheCalendarIsGivenForEveryYearTheApiDescribes) {
    addUser("wang", Role::Viewer, "correct horse");
    login("wang", "correct horse");
    HttpRequest r = request("GET", "/api/calendar");
    for (const char* year : {"1970", "9999"}) {
        r.query["year"] = year;
        const HttpResponse answer = send(r);
        ASSERT_EQ(answer.status, 200) << year << answer.body;
        EXPECT_EQ(json::parse(answer.body)["year"], std::stoi(year));
    }
    for (const char* year : {"1969", "10000", "197O"}) {
        r.query["year"] = year;
        EXPECT_EQ(send(r).status, 400) << year;
    }
}

TEST_F(ConsoleServiceTest, UsersOthersCanWriteAreNotUsed) {
    const std::string shown = addOperatorAndToken();
    HttpRequest byToken = request("GET", "/api/status");
    byToken.headers["authorization"] = "Bearer " + shown;
    ASSERT_EQ(send(byToken).status, 200);
    // Opened to others while serving, its content unchanged.
    std::filesystem::permissions(m_dir / "console-users", std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(send(byToken).status, 401);
    const HttpResponse refused = login("wang", "correct horse");
    EXPECT_EQ(refused.status, 503);
    EXPECT_NE(refused.body.find("chmod 600"), std::string::npos) << refused.body;
}

TEST_F(ConsoleServiceTest, AnInterfaceThreadThatDoesNotAnswerIs503AfterTheWait) {
    commandWait = 50ms;
    addUser("wang", Role::Operator, "correct horse");
    login("wang", "correct horse");
    // Not pumped: the interface thread is busy elsewhere.
    const HttpRequest r = request("POST", "/api/mode", R"({"mode":"automatic"})");
    const auto started = std::chrono::steady_clock::now();
    const HttpResponse answer = service().handle(r);
    EXPECT_EQ(answer.status, 503);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
    // When it comes back, and the console is gone meanwhile, the late work does nothing.
    m_actions.reset();
    m_ui.pump();
}

TEST_F(ConsoleServiceTest, RefusalsOfTheRunningSystemAreGivenWithTheirReason) {
    m_actions->unsaved = true;
    addUser("wang", Role::Operator, "correct horse");
    login("wang", "correct horse");
    const HttpResponse r = send(request("POST", "/api/mode", R"({"mode":"automatic"})"));
    EXPECT_EQ(r.status, 409);
    EXPECT_EQ(json::parse(r.body)["reason"], "unsaved");
    EXPECT_EQ(send(request("POST", "/api/mode", R"({"mode":"standby"})")).status, 422);
    const HttpResponse manual = send(request("POST", "/api/mode", R"({"mode":"manual"})"));
    EXPECT_EQ(manual.status, 200);
    EXPECT_EQ(json::parse(manual.body)["mode"], "manual");
    EXPECT_EQ(m_actions->calls.back(), "manual wang");
}

TEST_F(ConsoleServiceTest, AtMost32EventStreams) {
    addUser("wang", Role::Viewer, "correct horse");
    login("wang", "correct horse");
    std::vector<HttpResponse> open;
    for (std::size_t i = 0; i < kMaxEventStreams; ++i) {
        open.push_back(send(request("GET", "/api/events")));
        ASSERT_TRUE(open.back().stream) << i;
    }
    EXPECT_EQ(send(request("GET", "/api/events")).status, 503);
    open.back().stream->close();
    EXPECT_TRUE(send(request("GET", "/api/events")).stream);
}

TEST_F(ConsoleServiceTest, AsRunIsListedByDateAndAsCsvThatSpreadsheetsCannotRun) {
    addUser("wang", Role::Viewer, "correct horse");
    login("wang", "correct horse");
    std::filesystem::create_directories(m_dir.path() / "as-run");
    orvessa::testing::writeBytes(m_dir.path() / "as-run" / "as-run-2026-12-08.log",
                                 "2026-12-08 08:00:00 start table=zxsj2.log row=1 kind=media "
                                 "path==HYPERLINK(\"x\")\n");
    orvessa::testing::writeBytes(m_dir.path() / "as-run" / "as-run-2026-12-09.log", "");
    orvessa::testing::writeBytes(m_dir.path() / "as-run" / "notes.txt", "mine");
    HttpRequest r = request("GET", "/api/as-run");
    r.query["date"] = "2026-12-08";
    const json j = json::parse(send(r).body);
    EXPECT_EQ(j["dates"], json::parse(R"(["2026-12-09","2026-12-08"])"));
    ASSERT_EQ(j["lines"].size(), 1u);
    EXPECT_EQ(j["lines"][0]["time"], "08:00:00");
    EXPECT_EQ(j["lines"][0]["event"], "start");
    r.query["format"] = "csv";
    const HttpResponse csv = send(r);
    EXPECT_EQ(csv.contentType, "text/csv; charset=utf-8");
    EXPECT_NE(csv.body.find("\"2026-12-08\",\"08:00:00\",\"start\",\"table=zxsj2.log"),
              std::string::npos)
        << csv.body;
    EXPECT_EQ(asRunCsv("d", {"2026-12-08 08:00:00 =cmd|x"}),
              "date,time,event,details\r\n\"d\",\"08:00:00\",\"'=cmd|x\",\"\"\r\n");
}

}  // namespace
}  // namespace orvessa::console

namespace orvessa::console {
namespace {

TEST_F(ConsoleServiceTest, AnEventStreamEndsWithItsSession) {
    addUser("wang", Role::Viewer, "correct horse");
    login("wang", "correct horse");
    const HttpResponse events = send(request("GET", "/api/events"));
    ASSERT_TRUE(events.stream);
    EXPECT_EQ(events.contentType, "text/event-stream; charset=utf-8");
    m_hub.publish("status", "{}");
    ASSERT_TRUE(events.stream->next(0ms).has_value());
    {
        Accounts accounts(m_dir.path(), m_secrets);
        accounts.load();
        ASSERT_EQ(accounts.removeUser("wang"), "");
        ASSERT_TRUE(accounts.save());
    }
    // The stream looks again within a second, not at every event.
    std::this_thread::sleep_for(1100ms);
    m_hub.publish("status", "{}");
    EXPECT_FALSE(events.stream->next(0ms).has_value()) << "a removed user reads no more";
}

}  // namespace
}  // namespace orvessa::console

namespace orvessa::console {
namespace {

TEST_F(ConsoleServiceTest, ADayShowsItsTablesRowsOrSaysTheTableIsMissing) {
    addUser("wang", Role::Viewer, "correct horse");
    login("wang", "correct horse");
    orvessa::testing::writeBytes(m_dir.path() / "zxsj4.log",
                                 "1,08:00:00,bell,bell.wav,,,\r\n2,,chain,chain.wav,,,\r\n");
    HttpRequest r = request("GET", "/api/day");
    r.query["date"] = "2026-12-10";  // a Thursday
    json j = json::parse(send(r).body);
    EXPECT_EQ(j["table"], "zxsj4.log");
    EXPECT_EQ(j["tableNote"], "");
    ASSERT_EQ(j["rows"].size(), 2u);
    EXPECT_EQ(j["rows"][0]["start"], "08:00:00");
    EXPECT_EQ(j["rows"][1]["file"], "chain.wav");

    r.query["date"] = "2026-12-11";
    j = json::parse(send(r).body);
    EXPECT_EQ(j["rows"].size(), 0u) << "the empty rows of a table not made are not rows";
    EXPECT_EQ(j["tableNote"], "zxsj5.log 尚未创建");
}

}  // namespace
}  // namespace orvessa::console

namespace orvessa::console {
namespace {

TEST_F(ConsoleServiceTest, HostileBodiesAreRefusedWithoutHarm) {
    addUser("wang", Role::Operator, "correct horse");
    // Nested as deep as the body limit allows: refused, not a stack overflow.
    const std::string deep = std::string(30000, '[') + std::string(30000, ']');
    EXPECT_EQ(send(request("POST", "/api/login", deep)).status, 400);
    EXPECT_EQ(
        send(request("POST", "/api/login", "{\"user\":\"wang\",\"password\":\"\xff\xfe\"}")).status,
        400);
    EXPECT_EQ(send(request("POST", "/api/login", R"({"user":["wang"],"password":{}})")).status,
              401);
}

TEST(SessionStore, KeepsAtMostItsLimitAndForgetsTheLeastRecentlySeen) {
    fakes::FakeSecrets secrets;
    SessionStore store(secrets);
    const SteadyTime start{};
    const Session first = store.begin("wang", Role::Viewer, 1, start);
    for (std::size_t i = 1; i < kMaxSessions; ++i) {
        store.begin("li", Role::Viewer, 1, start + std::chrono::seconds(1));
    }
    EXPECT_TRUE(store.find(first.id, start + 2s).has_value());
    store.begin("zhao", Role::Viewer, 1, start + 3s);
    EXPECT_EQ(store.size(), kMaxSessions);
    EXPECT_TRUE(store.find(first.id, start + 4s).has_value()) << "seen lately, so kept";
}

}  // namespace
}  // namespace orvessa::console

namespace orvessa::console {
namespace {

TEST_F(ConsoleServiceTest, AlertsAreStartedOnlyByOperatorsWhosePageProvesItself) {
    std::string viewerToken;
    std::string operatorToken;
    {
        Accounts accounts(m_dir.path(), m_secrets);
        accounts.load();
        ASSERT_EQ(accounts.addUser("li", Role::Viewer, "viewer password"), "");
        ASSERT_EQ(accounts.addUser("wang", Role::Operator, "correct horse"), "");
        ASSERT_EQ(accounts.addToken("watcher", Role::Viewer, viewerToken), "");
        ASSERT_EQ(accounts.addToken("panic-button", Role::Operator, operatorToken), "");
        ASSERT_TRUE(accounts.save());
    }
    const auto emergencyOn = [&] { return request("POST", "/api/emergency", R"({"on":true})"); };
    const auto announce = [&] {
        return request("POST", "/api/announce", R"({"file":"通知.wav"})");
    };

    login("li", "viewer password");
    EXPECT_EQ(send(emergencyOn()).status, 403);
    EXPECT_EQ(send(request("POST", "/api/emergency", R"({"on":false})")).status, 403);
    EXPECT_EQ(send(announce()).status, 403);
    EXPECT_TRUE(m_actions->calls.empty());
    const HttpResponse listed = send(request("GET", "/api/notices"));
    EXPECT_EQ(listed.status, 200) << "a viewer may see what could be played";
    EXPECT_EQ(json::parse(listed.body), json::parse(R"({"notices":["通知.wav"]})"));
    m_actions->calls.clear();

    login("wang", "correct horse");
    const std::string csrf = m_csrf;
    m_csrf.clear();
    EXPECT_EQ(send(emergencyOn()).status, 403) << "no anti-forgery token";
    EXPECT_EQ(send(announce()).status, 403) << "no anti-forgery token";
    m_csrf = "forged";
    EXPECT_EQ(send(emergencyOn()).status, 403);
    EXPECT_EQ(send(announce()).status, 403);
    m_csrf = csrf;
    HttpRequest foreign = emergencyOn();
    foreign.headers["origin"] = "http://evil.example";
    EXPECT_EQ(send(foreign).status, 403);
    EXPECT_TRUE(m_actions->calls.empty());

    EXPECT_EQ(send(emergencyOn()).status, 200);
    EXPECT_EQ(send(announce()).status, 200);

    m_cookie.clear();
    m_csrf.clear();
    HttpRequest script = emergencyOn();
    script.headers["authorization"] = "Bearer " + viewerToken;
    EXPECT_EQ(send(script).status, 403);
    script.headers["authorization"] = "Bearer " + operatorToken;
    EXPECT_EQ(send(script).status, 200) << "a panic button's script needs no page";
    EXPECT_EQ(m_actions->calls,
              (std::vector<std::string>{"emergency on wang", "announce wang 通知.wav",
                                        "emergency on panic-button"}));
}

TEST_F(ConsoleServiceTest, AlertBodiesAreCheckedForTheirFormAndNamesLeftToTheSystem) {
    addUser("wang", Role::Operator, "correct horse");
    login("wang", "correct horse");
    for (const char* body : {"", "not json", "[true]", "true"}) {
        EXPECT_EQ(send(request("POST", "/api/emergency", body)).status, 400) << body;
        EXPECT_EQ(send(request("POST", "/api/announce", body)).status, 400) << body;
    }
    for (const char* body :
         {R"({"on":"yes"})", R"({})", R"({"on":1})", R"({"on":null})", R"({"off":true})"}) {
        EXPECT_EQ(send(request("POST", "/api/emergency", body)).status, 422) << body;
    }
    const std::string longest(255, 'a');
    std::string chinese;  // 86 characters of three bytes each: too long although short to see
    for (int i = 0; i < 86; ++i) {
        chinese += "通";
    }
    for (const std::string& body :
         {std::string(R"({"file":1})"), std::string(R"({})"), std::string(R"({"file":""})"),
          std::string(R"({"file":["a.wav"]})"), std::string(R"({"file":"a\u0000.wav"})"),
          json{{"file", longest + "a"}}.dump(), json{{"file", chinese}}.dump()}) {
        EXPECT_EQ(send(request("POST", "/api/announce", body)).status, 422) << body;
    }
    EXPECT_EQ(send(request("POST", "/api/announce", "{\"file\":\"\xff.wav\"}")).status, 400)
        << "not UTF-8";
    EXPECT_TRUE(m_actions->calls.empty());

    EXPECT_EQ(send(request("POST", "/api/emergency", R"({"on":true})")).status, 200);
    EXPECT_EQ(send(request("POST", "/api/emergency", R"({"on":false,"note":"x"})")).status, 200);
    // Whether a name stays inside the notices folder is the system's rule, not the form's.
    EXPECT_EQ(send(request("POST", "/api/announce", R"({"file":"../x"})")).status, 200);
    EXPECT_EQ(send(request("POST", "/api/announce", json{{"file", longest}}.dump())).status, 200);
    EXPECT_EQ(m_actions->calls,
              (std::vector<std::string>{"emergency on wang", "emergency off wang",
                                        "announce wang ../x", "announce wang " + longest}));
}

TEST_F(ConsoleServiceTest, RefusedAlertsAreAnsweredWithTheSystemsStatusAndReason) {
    addUser("wang", Role::Operator, "correct horse");
    login("wang", "correct horse");
    struct Case {
        ActionResult result;
        const char* path;
        const char* body;
    };
    const Case cases[] = {
        {refused(409, "紧急广播已在进行", "already"), "/api/emergency", R"({"on":true})"},
        {refused(409, "紧急广播中，不能插播", "emergency"), "/api/announce", R"({"file":"a.wav"})"},
        {refused(409, "正在插播", "busy"), "/api/announce", R"({"file":"a.wav"})"},
        {refused(404, "没有这个插播文件", "missing"), "/api/announce", R"({"file":"b.wav"})"},
        {refused(422, "文件名不在插播文件夹内", "bad-name"), "/api/announce",
         R"({"file":"../b.wav"})"},
        {refused(503, "紧急广播尚未就绪", "busy"), "/api/emergency", R"({"on":false})"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result.reason + " " + c.path);
        m_actions->alertResult = c.result;
        const HttpResponse r = send(request("POST", c.path, c.body));
        EXPECT_EQ(r.status, c.result.status);
        const json j = json::parse(r.body);
        EXPECT_EQ(j["error"], c.result.error);
        EXPECT_EQ(j["reason"], c.result.reason);
        EXPECT_FALSE(j.contains("ok"));
    }
}

TEST_F(ConsoleServiceTest, TheEmergencyAndTheNoticeShowInTheStatusAndTheAnswer) {
    addUser("wang", Role::Operator, "correct horse");
    login("wang", "correct horse");
    json status = json::parse(send(request("GET", "/api/status")).body);
    EXPECT_TRUE(status.contains("emergency") && status["emergency"].is_null());
    EXPECT_TRUE(status.contains("notice") && status["notice"].is_null());

    // The system publishes its new state before it answers; the answer is that state.
    m_actions->emergencyChanged = [this](bool on) {
        auto s = std::make_shared<ConsoleSnapshot>(*m_box.get());
        ++s->serial;
        s->status.emergency.reset();
        if (on) {
            s->status.emergency =
                system::EmergencyStatus{"2026-12-09 10:00:30", "wang@console:127.0.0.1"};
        }
        m_box.set(s);
    };
    HttpResponse r = send(request("POST", "/api/emergency", R"({"on":true})"));
    ASSERT_EQ(r.status, 200);
    const json started = json::parse(
        R"({"ok":true,"emergency":{"since":"2026-12-09 10:00:30","by":"wang@console:127.0.0.1"}})");
    EXPECT_EQ(json::parse(r.body), started);
    status = json::parse(send(request("GET", "/api/status")).body);
    EXPECT_EQ(status["emergency"], started["emergency"]) << "not the status of before";

    r = send(request("POST", "/api/emergency", R"({"on":false})"));
    ASSERT_EQ(r.status, 200);
    EXPECT_EQ(json::parse(r.body), json::parse(R"({"ok":true,"emergency":null})"));

    auto playing = std::make_shared<ConsoleSnapshot>(*m_box.get());
    ++playing->serial;
    playing->status.notice = "通知.wav";
    m_box.set(playing);
    status = json::parse(send(request("GET", "/api/status")).body);
    EXPECT_EQ(status["notice"], "通知.wav");
    EXPECT_TRUE(status["emergency"].is_null());
    EXPECT_EQ(json::parse(alertJson(playing->status)),
              json::parse(R"({"emergency":null,"notice":"通知.wav"})"));
    playing->status.emergency = system::EmergencyStatus{"2026-12-09 10:00:30", "operator@key"};
    playing->status.notice.clear();
    EXPECT_EQ(json::parse(alertJson(playing->status)),
              json::parse(R"({"emergency":{"since":"2026-12-09 10:00:30","by":"operator@key"},)"
                          R"("notice":null})"));
}

TEST_F(ConsoleServiceTest, AlertRequestsAre503WhileTheInterfaceThreadDoesNotAnswer) {
    commandWait = 50ms;
    addUser("wang", Role::Operator, "correct horse");
    login("wang", "correct horse");
    // Not pumped: the interface thread is busy elsewhere.
    for (const HttpRequest& r : {request("POST", "/api/emergency", R"({"on":true})"),
                                 request("POST", "/api/announce", R"({"file":"通知.wav"})"),
                                 request("GET", "/api/notices")}) {
        SCOPED_TRACE(r.path);
        const auto started = std::chrono::steady_clock::now();
        const HttpResponse answer = service().handle(r);
        EXPECT_EQ(answer.status, 503);
        EXPECT_NE(json::parse(answer.body)["error"].get<std::string>().find("2 秒"),
                  std::string::npos);
        EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
    }
    // The late work runs when the thread comes back, and writes nowhere a request still reads.
    m_ui.pump();
    EXPECT_EQ(m_actions->calls,
              (std::vector<std::string>{"emergency on wang", "announce wang 通知.wav", "notices"}));
}

}  // namespace
}  // namespace orvessa::console

namespace orvessa::console {
namespace {

TEST_F(ConsoleServiceTest, AWeeklyTableIsReadAsItsFileHoldsItWithItsVersion) {
    addUser("li", Role::Viewer, "viewer password");
    login("li", "viewer password");
    const std::string bytes =
        text::utf8ToGbk("1, 8:00:00,上课铃,铃声\\上课.wav,,200,\r\n2,,,,,,\r\n");
    orvessa::testing::writeBytes(m_dir.path() / "zxsj3.log", bytes);
    const HttpResponse r = send(request("GET", "/api/tables/3"));
    ASSERT_EQ(r.status, 200) << r.body;
    const json j = json::parse(r.body);
    EXPECT_EQ(j["file"], "zxsj3.log");
    EXPECT_EQ(j["version"], tableVersionOf(bytes));
    EXPECT_FALSE(j["unread"]);
    ASSERT_EQ(j["rows"].size(), 2u) << "rows are given as stored, empty ones too";
    EXPECT_EQ(j["rows"][0]["start"], " 8:00:00") << "each cell's text as stored";
    EXPECT_EQ(j["rows"][0]["label"], "上课铃");
    EXPECT_EQ(j["rows"][0]["file"], "铃声\\上课.wav");
    EXPECT_EQ(j["rows"][0]["volume"], "200");

    const HttpResponse missing = send(request("GET", "/api/tables/5"));
    EXPECT_EQ(missing.status, 404);
    EXPECT_EQ(json::parse(missing.body)["reason"], "missing");
    EXPECT_EQ(json::parse(missing.body)["version"], "0") << "the version to create it with";
    for (const char* path : {"/api/tables/0", "/api/tables/13", "/api/tables/03", "/api/tables/"}) {
        EXPECT_EQ(send(request("GET", path)).status, 404) << path;
    }
}

TEST_F(ConsoleServiceTest, ATableBreakingTheEditorsRulesIs422NamingItsRowAndColumn) {
    addUser("wang", Role::Operator, "correct horse");
    login("wang", "correct horse");
    auto put = [&](const json& rows) {
        return send(
            request("PUT", "/api/tables/3", json{{"version", "v1"}, {"rows", rows}}.dump()));
    };
    const json good = {{"start", "8:00:00"}, {"file", "bell.wav"}};
    const HttpResponse badTime = put({good, {{"start", "8:00:00"}, {"stop", "8:61:00"}}});
    EXPECT_EQ(badTime.status, 422);
    EXPECT_EQ(json::parse(badTime.body)["error"],
              "第2行“停播时间”：时间格式错误！应为8位英文半角符号（hh:mm:ss）！");
    const HttpResponse comma = put({{{"label", "上课,铃"}, {"file", "a.wav"}}});
    EXPECT_EQ(comma.status, 422);
    EXPECT_NE(json::parse(comma.body)["error"].get<std::string>().find("第1行“项 目”"),
              std::string::npos)
        << comma.body;
    const HttpResponse emoji = put({good, {{"file", "笑😀.wav"}}});
    EXPECT_EQ(emoji.status, 422);
    EXPECT_NE(emoji.body.find("第2行“目 录 或 文 件”"), std::string::npos) << emoji.body;
    EXPECT_EQ(put({{{"label", "a\tb"}}}).status, 422);
    EXPECT_EQ(put(json::array()).status, 422) << "as the editor, nothing to save is refused";
    EXPECT_EQ(put(json::array({good, {{"volume", 5}}})).status, 422);
    EXPECT_EQ(put(json(999, good)).status, 422);
    EXPECT_EQ(send(request("PUT", "/api/tables/3", R"({"rows":[]})")).status, 422);
    EXPECT_TRUE(m_actions->calls.empty());

    // A time the editor puts in its form is accepted.
    const HttpResponse r = put(json(998, {{"start", "7:30"}, {"file", "bell.wav"}}));
    ASSERT_EQ(r.status, 200) << r.body;
    EXPECT_EQ(json::parse(r.body)["version"], "v2");
    EXPECT_EQ(json::parse(r.body)["reload"], "now");
    EXPECT_EQ(m_actions->calls, std::vector<std::string>{"table wang 3 v1 rows=998"});
}

TEST_F(ConsoleServiceTest, PlayTakesARowNumberAndReachesTheInterfaceThread) {
    addUser("wang", Role::Operator, "correct horse");
    login("wang", "correct horse");
    for (const char* body : {R"({"row":0})", R"({"row":"3"})", R"({"row":1.5})", R"({})"}) {
        EXPECT_EQ(send(request("POST", "/api/play", body)).status, 422) << body;
    }
    EXPECT_TRUE(m_actions->calls.empty());
    const HttpResponse r = send(request("POST", "/api/play", R"({"row":3})"));
    ASSERT_EQ(r.status, 200);
    EXPECT_EQ(json::parse(r.body)["table"], "zxsj3.log");
    EXPECT_EQ(m_actions->calls, std::vector<std::string>{"play wang 3"});
}

}  // namespace
}  // namespace orvessa::console
