#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/console/accounts.h"
#include "core/console/assets.h"
#include "core/console/event_hub.h"
#include "core/console/http.h"
#include "core/console/secrets.h"
#include "core/console/sessions.h"
#include "core/console/system_actions.h"
#include "core/console_server/console_snapshot.h"
#include "core/editing/day_checker.h"

namespace orvessa::console {

inline constexpr const char* kSessionCookie = "orvessa_session";
inline constexpr std::chrono::milliseconds kCommandWait{2000};

struct ConsoleServices {
    std::filesystem::path programDirectory;
    // Where the as-run record's files are; empty when there is no record.
    std::filesystem::path asRunDirectory{};
    Secrets& secrets;
    SnapshotBox& snapshots;
    EventHub& hub;
    UiQueue& ui;
    // Called on the interface thread only, through `ui`; work still queued when it is gone
    // is dropped.
    std::weak_ptr<SystemActions> actions;
    // Rehearses the days the office looks at; none: days are shown without their check.
    editing::DayChecker* checker = nullptr;
    // The names a Host header may give for this console (without the port), lower case.
    std::vector<std::string> hostNames;
    int port = 0;
    bool secure = false;  // served over TLS
    std::function<SteadyTime()> now = [] { return std::chrono::steady_clock::now(); };
    std::chrono::milliseconds commandWait = kCommandWait;
    // The page files; none serves no page.
    std::function<const Asset*(std::string_view)> assets{};
};

// The console's requests: who asks, whether they may, and the answer, for any number of the
// server's threads at once. Nothing here runs on the interface thread except the actions
// handed to it, each waited for at most `commandWait`.
class ConsoleService {
public:
    explicit ConsoleService(ConsoleServices services);

    HttpResponse handle(const HttpRequest& request);

    SessionStore& sessions() { return m_sessions; }

private:
    struct Caller {
        std::string name;
        Role role = Role::Viewer;
        std::optional<Session> session;  // none for a token
    };

    HttpResponse route(const HttpRequest& request);
    bool hostAllowed(const std::string& host) const;
    bool originAllowed(const HttpRequest& request) const;
    std::optional<Caller> identify(const HttpRequest& request);
    // The accounts as the file holds them now: read again when it changed.
    void refreshAccounts();

    HttpResponse login(const HttpRequest& request);
    HttpResponse logout(const HttpRequest& request, const Caller& caller);
    HttpResponse status();
    HttpResponse today();
    HttpResponse day(const HttpRequest& request);
    HttpResponse asRun(const HttpRequest& request);
    HttpResponse calendar(const HttpRequest& request);
    HttpResponse changeCalendar(const HttpRequest& request, const Caller& caller,
                                const std::string& date);
    HttpResponse table(const std::string& number);
    HttpResponse commitTable(const HttpRequest& request, const Caller& caller,
                             const std::string& number);
    HttpResponse play(const HttpRequest& request, const Caller& caller);
    HttpResponse mode(const HttpRequest& request, const Caller& caller);
    HttpResponse stop(const HttpRequest& request, const Caller& caller);
    HttpResponse emergency(const HttpRequest& request, const Caller& caller);
    HttpResponse announce(const HttpRequest& request, const Caller& caller);
    HttpResponse notices();
    HttpResponse events(const Caller& caller);
    // Whether `caller` may still read: the session or token is still there.
    bool stillAllowed(const Caller& caller);

    // Runs `work` on the interface thread and waits for it; none when it did not answer in time.
    std::optional<ActionResult> onInterfaceThread(std::function<ActionResult(SystemActions&)> work);
    // Hands a console line to the as-run record without waiting.
    void record(const std::string& line);
    HttpResponse actionAnswer(const std::optional<ActionResult>& result, const std::string& okBody);

    ConsoleServices m_s;
    SessionStore m_sessions;
    LoginThrottle m_throttle;
    std::mutex m_accountsMutex;
    Accounts m_accounts;
    std::optional<std::filesystem::file_time_type> m_accountsTime;
    std::uintmax_t m_accountsSize = 0;
    std::filesystem::perms m_accountsPerms = std::filesystem::perms::none;
    // One password check at a time: each takes tens of megabytes for a moment.
    std::mutex m_loginMutex;
    std::string m_decoyHash;
    // One rehearsal at a time; a day looked at again soon is answered from the last one.
    std::mutex m_dayMutex;
    std::map<std::string, std::pair<SteadyTime, std::string>> m_days;
    // The status document of the last snapshot, made once for every client.
    std::mutex m_statusMutex;
    std::uint64_t m_statusSerial = 0;
    std::string m_statusBody;
};

// The Host header's name without its port, lower case; empty when it is not a name or an
// address this console could have ("[::1]:8460" gives "::1").
std::string hostName(const std::string& host, int& port);

// Whether `text` is a date written YYYY-MM-DD that exists.
std::optional<std::chrono::year_month_day> strictDate(const std::string& text);

}  // namespace orvessa::console
