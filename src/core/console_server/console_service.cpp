#include "core/console_server/console_service.h"

#include <algorithm>
#include <cctype>
#include <future>
#include <nlohmann/json.hpp>

#include "core/console_server/calendar_change.h"
#include "core/console_server/console_json.h"
#include "core/console_server/table_change.h"
#include "core/scheduler/as_run.h"
#include "core/store/day_planner.h"
#include "core/store/file_io.h"
#include "core/store/table_file.h"

namespace orvessa::console {

using nlohmann::json;
using std::chrono::sys_days;
using std::chrono::year_month_day;

namespace {

constexpr const char* kNoUsers =
    "尚未设置任何控制台用户，暂不能登录。请管理员在播出电脑上运行："
    "orvessa-console 程序目录 user add 用户名 --role operator";
constexpr const char* kBadLogin = "用户名或密码不正确";
constexpr std::chrono::seconds kDayKept{10};
// The longest file name a file system here holds, in bytes.
constexpr std::size_t kMaxNoticeName = 255;

HttpResponse answer(int status, std::string body) {
    HttpResponse r;
    r.status = status;
    r.body = std::move(body);
    return r;
}

HttpResponse failure(int status, const std::string& error) {
    return answer(status, errorJson(error));
}

std::string lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// The value of cookie `name` in a Cookie header; empty when there is none.
std::string cookie(const std::string& header, const std::string& name) {
    std::size_t at = 0;
    while (at < header.size()) {
        std::size_t end = header.find(';', at);
        if (end == std::string::npos) {
            end = header.size();
        }
        std::string part = header.substr(at, end - at);
        const std::size_t first = part.find_first_not_of(' ');
        part = first == std::string::npos ? std::string() : part.substr(first);
        if (part.size() > name.size() && part.compare(0, name.size(), name) == 0 &&
            part[name.size()] == '=') {
            return part.substr(name.size() + 1);
        }
        at = end + 1;
    }
    return {};
}

// Compares without telling by its time how much of the two agreed.
bool sameSecret(const std::string& a, const std::string& b) {
    if (a.size() != b.size() || a.empty()) {
        return false;
    }
    unsigned char diff = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    }
    return diff == 0;
}

std::optional<json> parseBody(const std::string& body) {
    json j = json::parse(body, nullptr, false);
    if (j.is_discarded() || !j.is_object()) {
        return std::nullopt;
    }
    return j;
}

std::string stringField(const json& j, const char* name) {
    const auto it = j.find(name);
    return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

}  // namespace

std::string hostName(const std::string& host, int& port) {
    port = 0;
    std::string name;
    std::string rest;
    if (!host.empty() && host[0] == '[') {
        const std::size_t close = host.find(']');
        if (close == std::string::npos) {
            return {};
        }
        name = host.substr(1, close - 1);
        rest = host.substr(close + 1);
    } else {
        const std::size_t colon = host.find(':');
        name = host.substr(0, colon);
        rest = colon == std::string::npos ? std::string() : host.substr(colon);
    }
    if (!rest.empty()) {
        if (rest[0] != ':' || rest.size() < 2 || rest.size() > 6) {
            return {};
        }
        for (std::size_t i = 1; i < rest.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(rest[i]))) {
                return {};
            }
        }
        port = std::stoi(rest.substr(1));
    }
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '.' && c != '-' && c != ':' && c != '_') {
            return {};
        }
    }
    return lower(name);
}

std::optional<year_month_day> strictDate(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') {
        return std::nullopt;
    }
    for (const std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
            return std::nullopt;
        }
    }
    const year_month_day date{
        std::chrono::year{std::stoi(text.substr(0, 4))},
        std::chrono::month{static_cast<unsigned>(std::stoi(text.substr(5, 2)))},
        std::chrono::day{static_cast<unsigned>(std::stoi(text.substr(8, 2)))}};
    if (!date.ok()) {
        return std::nullopt;
    }
    return date;
}

ConsoleService::ConsoleService(ConsoleServices services)
    : m_s(std::move(services)),
      m_sessions(m_s.secrets),
      m_accounts(m_s.programDirectory, m_s.secrets) {
    for (std::string& name : m_s.hostNames) {
        name = lower(name);
    }
}

void ConsoleService::refreshAccounts() {
    std::error_code error;
    const auto path = m_accounts.filePath();
    const auto time = std::filesystem::last_write_time(path, error);
    const auto size = error ? 0 : std::filesystem::file_size(path, error);
    // A file opened to others since is refused even though its content did not change.
    const auto perms =
        error ? std::filesystem::perms::none : std::filesystem::status(path, error).permissions();
    const std::optional<std::filesystem::file_time_type> now =
        error ? std::nullopt : std::optional(time);
    if (now == m_accountsTime && size == m_accountsSize && perms == m_accountsPerms &&
        m_accountsTime) {
        return;
    }
    m_accountsTime = now;
    m_accountsSize = size;
    m_accountsPerms = perms;
    m_accounts.load();
}

bool ConsoleService::hostAllowed(const std::string& host) const {
    int port = 0;
    const std::string name = hostName(host, port);
    if (name.empty() || (port != 0 && port != m_s.port)) {
        return false;
    }
    return std::find(m_s.hostNames.begin(), m_s.hostNames.end(), name) != m_s.hostNames.end();
}

bool ConsoleService::originAllowed(const HttpRequest& request) const {
    const std::string origin = request.header("origin");
    if (origin.empty()) {
        return true;
    }
    const std::string scheme = m_s.secure ? "https://" : "http://";
    return lower(origin) == scheme + lower(request.header("host"));
}

HttpResponse ConsoleService::handle(const HttpRequest& request) {
    HttpResponse r;
    // Before anything else: a page reached under a name this console does not have may be a
    // page of another site that resolved its name to here.
    if (!hostAllowed(request.header("host"))) {
        r = failure(421, "请求的主机名不是本控制台");
    } else {
        r = route(request);
    }
    r.headers.emplace_back("Content-Security-Policy", "default-src 'self'; frame-ancestors 'none'");
    r.headers.emplace_back("X-Content-Type-Options", "nosniff");
    r.headers.emplace_back("Referrer-Policy", "no-referrer");
    r.headers.emplace_back("X-Frame-Options", "DENY");
    if (m_s.secure) {
        r.headers.emplace_back("Strict-Transport-Security", "max-age=31536000");
    }
    if (request.path.rfind("/api/", 0) == 0) {
        r.headers.emplace_back("Cache-Control", "no-store");
    }
    return r;
}

std::optional<ConsoleService::Caller> ConsoleService::identify(const HttpRequest& request) {
    const std::string authorization = request.header("authorization");
    const std::lock_guard lock(m_accountsMutex);
    refreshAccounts();
    if (authorization.rfind("Bearer ", 0) == 0) {
        const Token* token = m_accounts.findToken(authorization.substr(7));
        if (token == nullptr) {
            return std::nullopt;
        }
        return Caller{token->name, token->role, std::nullopt};
    }
    const std::string id = cookie(request.header("cookie"), kSessionCookie);
    std::optional<Session> session = m_sessions.find(id, m_s.now());
    if (!session) {
        return std::nullopt;
    }
    const User* user = m_accounts.findUser(session->user);
    if (user == nullptr || user->generation != session->generation) {
        // Removed, made again or given another password since: the session is over.
        m_sessions.endUser(session->user, user != nullptr ? user->generation : 0);
        return std::nullopt;
    }
    return Caller{session->user, user->role, session};
}

HttpResponse ConsoleService::route(const HttpRequest& request) {
    const std::string& path = request.path;
    // The server sends no body for HEAD; it is asked for as GET.
    const std::string method = request.method == "HEAD" ? std::string("GET") : request.method;
    if (method != "GET" && method != "POST" && method != "PUT" && method != "HEAD") {
        return failure(405, "不支持的请求方法");
    }
    const bool changes = method == "POST" || method == "PUT";

    if (path.rfind("/api/", 0) != 0) {
        const Asset* asset = m_s.assets ? m_s.assets(path) : nullptr;
        if (asset == nullptr || changes) {
            return failure(404, "没有这个页面");
        }
        if (asset->needsSession && !identify(request)) {
            HttpResponse r = answer(303, {});
            r.contentType = "text/plain; charset=utf-8";
            r.headers.emplace_back("Location", "/login");
            return r;
        }
        HttpResponse r = answer(200, std::string(asset->body));
        r.contentType = std::string(asset->contentType);
        r.headers.emplace_back("Cache-Control", "no-cache");
        return r;
    }

    if (path == "/api/login") {
        if (method != "POST") {
            return failure(405, "请用 POST 登录");
        }
        if (!originAllowed(request)) {
            return failure(403, "请求来源不是本控制台");
        }
        return login(request);
    }

    const std::optional<Caller> caller = identify(request);
    if (!caller) {
        return failure(401, "请先登录");
    }
    if (changes && caller->session) {
        // A browser's session: the page proves it is ours by the token only it was given.
        if (!sameSecret(request.header("x-csrf-token"), caller->session->csrfToken)) {
            return failure(403, "缺少或错误的防伪令牌 (X-CSRF-Token)");
        }
        if (!originAllowed(request)) {
            return failure(403, "请求来源不是本控制台");
        }
    }
    if (path == "/api/logout") {
        return changes ? logout(request, *caller) : failure(405, "请用 POST 退出");
    }
    if (changes && caller->role != Role::Operator) {
        return failure(403, "只读账户不能修改");
    }
    if (path == "/api/session" && method == "GET") {
        return answer(200, json{{"user", caller->name},
                                {"role", std::string(roleName(caller->role))},
                                {"csrfToken", caller->session ? caller->session->csrfToken : ""}}
                               .dump());
    }
    if (path == "/api/status" && method == "GET") {
        return status();
    }
    if (path == "/api/today" && method == "GET") {
        return today();
    }
    if (path == "/api/day" && method == "GET") {
        return day(request);
    }
    if (path == "/api/as-run" && method == "GET") {
        return asRun(request);
    }
    if (path == "/api/calendar" && method == "GET") {
        return calendar(request);
    }
    if (path.rfind("/api/calendar/", 0) == 0 && method == "PUT") {
        return changeCalendar(request, *caller, path.substr(14));
    }
    if (path.rfind("/api/tables/", 0) == 0 && method == "GET") {
        return table(path.substr(12));
    }
    if (path.rfind("/api/tables/", 0) == 0 && method == "PUT") {
        return commitTable(request, *caller, path.substr(12));
    }
    if (path == "/api/play" && method == "POST") {
        return play(request, *caller);
    }
    if (path == "/api/mode" && method == "POST") {
        return mode(request, *caller);
    }
    if (path == "/api/stop" && method == "POST") {
        return stop(request, *caller);
    }
    if (path == "/api/emergency" && method == "POST") {
        return emergency(request, *caller);
    }
    if (path == "/api/announce" && method == "POST") {
        return announce(request, *caller);
    }
    if (path == "/api/notices" && method == "GET") {
        return notices();
    }
    if (path == "/api/events" && method == "GET") {
        return events(*caller);
    }
    return failure(404, "没有这个接口");
}

HttpResponse ConsoleService::login(const HttpRequest& request) {
    const SteadyTime now = m_s.now();
    const std::optional<json> body = parseBody(request.body);
    if (!body) {
        return failure(400, "请求内容应为 JSON：{\"user\":…,\"password\":…}");
    }
    const std::string name = stringField(*body, "user");
    const std::string password = stringField(*body, "password");

    const std::string address = throttledAddress(request.peer);
    const LoginThrottle::Admission admission = m_throttle.admit(address, now);
    if (admission.busy) {
        HttpResponse r = failure(429, "本地址的上一次登录尚在核对，请稍后再试");
        r.headers.emplace_back("Retry-After", "1");
        return r;
    }
    if (!admission.admitted) {
        const auto wait = admission.wait.count();
        HttpResponse r = failure(
            429, "登录失败次数过多，请 " + std::to_string((wait + 59) / 60) + " 分钟后再试");
        r.headers.emplace_back("Retry-After", std::to_string(wait));
        return r;
    }

    std::optional<User> user;
    bool noUsers = false;
    std::string unusable;
    {
        const std::lock_guard lock(m_accountsMutex);
        refreshAccounts();
        noUsers = m_accounts.users().empty();
        unusable = m_accounts.error();
        if (const User* u = m_accounts.findUser(name)) {
            user = *u;
        }
    }
    if (!unusable.empty()) {
        m_throttle.withdrawn(address);
        return failure(503, "控制台用户文件不可用：" + unusable);
    }
    if (noUsers) {
        m_throttle.withdrawn(address);
        return failure(503, kNoUsers);
    }
    bool good = false;
    {
        const std::lock_guard lock(m_loginMutex);
        if (m_decoyHash.empty()) {
            m_decoyHash = m_s.secrets.hashPassword("decoy password of no one");
        }
        // An unknown name costs the same check as a wrong password, so the time tells neither.
        good = m_s.secrets.verifyPassword(user ? user->passwordHash : m_decoyHash, password) &&
               user.has_value();
    }
    if (!good) {
        const bool locked = m_throttle.failed(address, now);
        // A name that is no user's may be a password typed into the wrong field: every viewer
        // reads the record, so it is never written.
        const std::string who = "user=" + (user ? user->name : std::string("?"));
        record(who + " from=" + request.peer + " login failed" + (locked ? " locked-out" : ""));
        return failure(401, kBadLogin);
    }
    m_throttle.succeeded(address);
    const Session s = m_sessions.begin(user->name, user->role, user->generation, now);
    record(actorFields({user->name, user->role, request.peer}) + " login");
    HttpResponse r = answer(200, json{{"user", user->name},
                                      {"role", std::string(roleName(user->role))},
                                      {"csrfToken", s.csrfToken}}
                                     .dump());
    r.headers.emplace_back("Set-Cookie", std::string(kSessionCookie) + "=" + s.id +
                                             "; Path=/; HttpOnly; SameSite=Strict" +
                                             (m_s.secure ? "; Secure" : ""));
    return r;
}

HttpResponse ConsoleService::logout(const HttpRequest& request, const Caller& caller) {
    if (caller.session) {
        m_sessions.end(caller.session->id);
        record(actorFields({caller.name, caller.role, request.peer}) + " logout");
    }
    HttpResponse r = answer(200, "{}");
    r.headers.emplace_back("Set-Cookie", std::string(kSessionCookie) +
                                             "=; Path=/; Max-Age=0; HttpOnly; SameSite=Strict" +
                                             (m_s.secure ? "; Secure" : ""));
    return r;
}

HttpResponse ConsoleService::status() {
    const auto snapshot = m_s.snapshots.get();
    if (!snapshot) {
        return failure(503, "播出系统尚未启动完毕");
    }
    const std::lock_guard lock(m_statusMutex);
    if (m_statusSerial != snapshot->serial || m_statusBody.empty()) {
        m_statusSerial = snapshot->serial;
        m_statusBody = statusJson(*snapshot);
    }
    return answer(200, m_statusBody);
}

HttpResponse ConsoleService::today() {
    const auto snapshot = m_s.snapshots.get();
    if (!snapshot) {
        return failure(503, "播出系统尚未启动完毕");
    }
    return answer(200, todayJson(*snapshot));
}

HttpResponse ConsoleService::day(const HttpRequest& request) {
    const auto it = request.query.find("date");
    const auto date = it == request.query.end() ? std::nullopt : strictDate(it->second);
    if (!date) {
        return failure(400, "日期应写作 YYYY-MM-DD");
    }
    const auto snapshot = m_s.snapshots.get();
    if (!snapshot) {
        return failure(503, "播出系统尚未启动完毕");
    }
    const std::string key = store::dateText(*date) + "|" + calendarVersion(m_s.programDirectory);
    const std::lock_guard lock(m_dayMutex);
    const SteadyTime now = m_s.now();
    std::erase_if(m_days, [&](const auto& e) { return now - e.second.first > kDayKept; });
    if (const auto kept = m_days.find(key); kept != m_days.end()) {
        return answer(200, kept->second.second);
    }
    const store::WeekRules rules = snapshot->rules;
    store::DayPlanner planner(
        m_s.programDirectory, [rules] { return rules; }, nullptr);
    planner.reload();
    const store::DayPlan plan = planner.planFor(*date);
    store::ScheduleTable table;
    const store::TableLoadResult loaded =
        store::loadTableFile(table, m_s.programDirectory, plan.tableFileName());
    std::string tableNote;
    if (loaded.outcome == store::TableLoadResult::Outcome::Missing) {
        tableNote = plan.tableFileName() + " 尚未创建";
    } else if (loaded.outcome == store::TableLoadResult::Outcome::Failed) {
        tableNote = plan.tableFileName() + " 无法读取：" + loaded.error;
    }
    std::vector<store::ScheduleRow> rows;
    for (int r = 0; r < table.rowCount(); ++r) {
        rows.push_back(store::ScheduleRow::read(table, r));
    }
    editing::DayCheckResult check;
    if (m_s.checker != nullptr) {
        check = m_s.checker->check(*date, nullptr);
    }
    std::string body = dayJson(*date, plan, rows, tableNote, check);
    m_days[key] = {now, body};
    return answer(200, std::move(body));
}

HttpResponse ConsoleService::asRun(const HttpRequest& request) {
    const auto snapshot = m_s.snapshots.get();
    std::optional<year_month_day> date;
    if (const auto it = request.query.find("date"); it != request.query.end()) {
        date = strictDate(it->second);
        if (!date) {
            return failure(400, "日期应写作 YYYY-MM-DD");
        }
    } else if (snapshot) {
        date = snapshot->date;
    } else {
        return failure(400, "请给出日期 (date=YYYY-MM-DD)");
    }
    const auto format = request.query.find("format");
    const bool csv = format != request.query.end() && format->second == "csv";
    if (format != request.query.end() && !csv) {
        return failure(400, "format 只能是 csv");
    }
    std::vector<std::string> dates;
    std::vector<std::string> lines;
    if (!m_s.asRunDirectory.empty()) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(m_s.asRunDirectory, error)) {
            const std::string name = entry.path().filename().string();
            if (name.size() == 21 && name.rfind("as-run-", 0) == 0 &&
                name.compare(17, 4, ".log") == 0 && strictDate(name.substr(7, 10))) {
                dates.push_back(name.substr(7, 10));
            }
        }
        std::sort(dates.rbegin(), dates.rend());
        AsRunDay day = readAsRunDay(m_s.asRunDirectory, *date);
        if (!day.error.empty()) {
            return failure(500, "播出记录无法读取：" + day.error);
        }
        lines = std::move(day.lines);
    }
    const std::string dateText = store::dateText(*date);
    if (csv) {
        HttpResponse r = answer(200, asRunCsv(dateText, lines));
        r.contentType = "text/csv; charset=utf-8";
        r.headers.emplace_back("Content-Disposition",
                               "attachment; filename=\"as-run-" + dateText + ".csv\"");
        return r;
    }
    return answer(200, asRunJson(dateText, dates, lines));
}

HttpResponse ConsoleService::calendar(const HttpRequest& request) {
    const auto snapshot = m_s.snapshots.get();
    if (!snapshot) {
        return failure(503, "播出系统尚未启动完毕");
    }
    CalendarYear y;
    y.year = static_cast<int>(snapshot->date.year());
    if (const auto it = request.query.find("year"); it != request.query.end()) {
        const std::string& text = it->second;
        if (text.size() != 4 || !std::all_of(text.begin(), text.end(), [](char c) {
                return std::isdigit(static_cast<unsigned char>(c));
            })) {
            return failure(400, "年份应写作 YYYY");
        }
        y.year = std::stoi(text);
        if (y.year < 1970) {
            return failure(400, "年份太早");
        }
    }
    const store::ReadResult file =
        store::readWholeFile(m_s.programDirectory / store::kCalendarFileName);
    if (file.status == store::ReadStatus::Failed) {
        y.readError = file.error;
    } else if (file.status == store::ReadStatus::Ok) {
        y.calendar = store::parseCalendar(file.bytes);
    }
    y.version = file.status == store::ReadStatus::Ok        ? calendarVersionOf(file.bytes)
                : file.status == store::ReadStatus::Missing ? "0"
                                                            : "";
    y.editable = !snapshot->calendarUnsaved && file.status != store::ReadStatus::Failed;
    if (snapshot->calendarUnsaved) {
        y.uneditableReason = "播出电脑上的校历窗口有未保存的修改";
    } else if (!y.readError.empty()) {
        y.uneditableReason = "校历文件无法读取";
    }
    const store::WeekRules rules = snapshot->rules;
    store::DayPlanner planner(
        m_s.programDirectory, [rules] { return rules; }, nullptr);
    planner.replace(y.calendar);
    const sys_days first{std::chrono::year{y.year} / 1 / 1};
    const sys_days end{std::chrono::year{y.year + 1} / 1 / 1};
    for (sys_days d = first; d < end; d += std::chrono::days{1}) {
        y.plans.push_back(planner.planFor(year_month_day{d}));
    }
    return answer(200, calendarJson(y));
}

HttpResponse ConsoleService::changeCalendar(const HttpRequest& request, const Caller& caller,
                                            const std::string& date) {
    const auto first = strictDate(date);
    if (!first) {
        return failure(400, "日期应写作 YYYY-MM-DD");
    }
    const std::optional<json> body = parseBody(request.body);
    if (!body) {
        return failure(400, "请求内容应为 JSON");
    }
    CalendarChange change;
    change.first = *first;
    change.last = *first;
    change.version = stringField(*body, "version");
    change.remark = stringField(*body, "remark");
    if (const std::string last = stringField(*body, "last"); !last.empty()) {
        const auto lastDate = strictDate(last);
        if (!lastDate) {
            return failure(422, "结束日期应写作 YYYY-MM-DD");
        }
        change.last = *lastDate;
    }
    const std::string plan = stringField(*body, "plan");
    if (plan == "stop") {
        change.plan = store::kCalendarStop;
    } else if (plan == "table") {
        const auto t = body->find("table");
        if (t == body->end() || !t->is_number_integer() || t->get<int>() < 1 ||
            t->get<int>() > store::kCalendarLastPlan) {
            return failure(422, "作息表应为 1–12");
        }
        change.plan = t->get<int>();
    } else if (plan != "usual") {
        return failure(422, "plan 应为 usual、stop 或 table");
    }
    if (const std::string why = checkChange(change); !why.empty()) {
        return failure(422, why);
    }
    const Actor actor{caller.name, caller.role, request.peer};
    const auto result = onInterfaceThread(
        [actor, change](SystemActions& actions) { return actions.changeCalendar(actor, change); });
    if (result && result->status == 200) {
        return answer(200, json{{"version", result->version}}.dump());
    }
    return actionAnswer(result, {});
}

namespace {

// 1..12 written plainly ("3", not "03" or "+3"); 0 for anything else.
int tableNumber(const std::string& text) {
    if (text.empty() || text.size() > 2 || text[0] == '0' ||
        !std::all_of(text.begin(), text.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        return 0;
    }
    const int n = std::stoi(text);
    return n <= 12 ? n : 0;
}

const char* const kRowFields[] = {"start", "label", "file", "stop", "volume"};

json rowsJson(const std::vector<TableRowText>& rows) {
    json out = json::array();
    int n = 0;
    for (const TableRowText& r : rows) {
        out.push_back({{"row", ++n},
                       {"start", r.start},
                       {"label", r.label},
                       {"file", r.file},
                       {"stop", r.stop},
                       {"volume", r.volume}});
    }
    return out;
}

}  // namespace

HttpResponse ConsoleService::table(const std::string& number) {
    const int n = tableNumber(number);
    if (n == 0) {
        return failure(404, "没有这个作息时间表（应为 1–12）");
    }
    const std::string name = store::scheduleFileName(n);
    const TableRead read = readWeeklyTable(m_s.programDirectory, n);
    if (read.status == store::ReadStatus::Missing) {
        json j{{"error", name + " 尚未创建，可用 PUT 以版本 \"0\" 创建"},
               {"reason", "missing"},
               {"version", "0"}};
        return answer(404, j.dump());
    }
    if (read.status == store::ReadStatus::Failed) {
        return failure(500, name + " 无法读取：" + read.error);
    }
    json j{{"table", n},
           {"file", name},
           {"version", read.version},
           {"unread", read.unread},
           {"rows", rowsJson(read.rows)}};
    const auto snapshot = m_s.snapshots.get();
    const bool shown = snapshot && snapshot->status.table == name;
    j["running"] = shown && snapshot->status.mode == system::OperatingMode::Automatic &&
                   !snapshot->status.stopDay;
    j["editable"] = !(shown && snapshot->status.unsaved);
    if (!j["editable"].get<bool>()) {
        j["uneditableReason"] = "播出电脑上的主窗口有该作息时间表未保存的修改";
    }
    return answer(200, j.dump(-1, ' ', false, json::error_handler_t::replace));
}

HttpResponse ConsoleService::commitTable(const HttpRequest& request, const Caller& caller,
                                         const std::string& number) {
    TableCommit commit;
    commit.table = tableNumber(number);
    if (commit.table == 0) {
        return failure(404, "没有这个作息时间表（应为 1–12）");
    }
    const std::optional<json> body = parseBody(request.body);
    if (!body) {
        return failure(400, "请求内容应为 JSON：{\"version\":…,\"rows\":[…]}");
    }
    const auto version = body->find("version");
    const auto rows = body->find("rows");
    if (version == body->end() || !version->is_string() || rows == body->end() ||
        !rows->is_array()) {
        return failure(422, "应给出读取时的 version 和 rows 数组");
    }
    commit.version = version->get<std::string>();
    if (const auto drop = body->find("dropUnread"); drop != body->end()) {
        if (!drop->is_boolean()) {
            return failure(422, "dropUnread 应为 true 或 false");
        }
        commit.dropUnread = drop->get<bool>();
    }
    for (const json& row : *rows) {
        const std::string at = "第" + std::to_string(commit.rows.size() + 1) + "行";
        if (!row.is_object()) {
            return failure(422,
                           at + "应为对象：{\"start\",\"label\",\"file\",\"stop\",\"volume\"}");
        }
        TableRowText r;
        std::string* cells[] = {&r.start, &r.label, &r.file, &r.stop, &r.volume};
        for (std::size_t i = 0; i < std::size(kRowFields); ++i) {
            const auto cell = row.find(kRowFields[i]);
            if (cell == row.end() || cell->is_null()) {
                continue;
            }
            if (!cell->is_string()) {
                return failure(422, at + "的 " + kRowFields[i] + " 应为文字");
            }
            *cells[i] = cell->get<std::string>();
        }
        commit.rows.push_back(std::move(r));
    }
    if (const std::string why = checkTable(tableOf(commit.rows)); !why.empty()) {
        return failure(422, why);
    }
    const Actor actor{caller.name, caller.role, request.peer};
    const auto result = onInterfaceThread(
        [actor, commit](SystemActions& actions) { return actions.commitTable(actor, commit); });
    if (result && result->status == 200) {
        return answer(200, json{{"version", result->version},
                                {"rows", commit.rows.size()},
                                {"reload", result->reload}}
                               .dump());
    }
    return actionAnswer(result, {});
}

HttpResponse ConsoleService::play(const HttpRequest& request, const Caller& caller) {
    const std::optional<json> body = parseBody(request.body);
    if (!body) {
        return failure(400, "请求内容应为 JSON：{\"row\":行号}");
    }
    const auto field = body->find("row");
    if (field == body->end() || !field->is_number_integer() || field->get<std::int64_t>() < 1 ||
        field->get<std::int64_t>() > store::kMaxLoadedRows) {
        return failure(422, "row 应为表中的行号（从 1 起）");
    }
    const int row = field->get<int>();
    const Actor actor{caller.name, caller.role, request.peer};
    const auto result = onInterfaceThread(
        [actor, row](SystemActions& actions) { return actions.playRow(actor, row); });
    if (result && result->status == 200) {
        return answer(200, json{{"row", row}, {"table", result->table}}.dump());
    }
    return actionAnswer(result, {});
}

HttpResponse ConsoleService::mode(const HttpRequest& request, const Caller& caller) {
    const std::optional<json> body = parseBody(request.body);
    const std::string wanted = body ? stringField(*body, "mode") : std::string();
    if (wanted != "automatic" && wanted != "manual") {
        return failure(422, "mode 应为 automatic（自动播出）或 manual（手动操作）");
    }
    const Actor actor{caller.name, caller.role, request.peer};
    const bool automatic = wanted == "automatic";
    const auto result = onInterfaceThread([actor, automatic](SystemActions& actions) {
        return automatic ? actions.returnToAutomatic(actor) : actions.enterManual(actor);
    });
    return actionAnswer(result, json{{"mode", wanted}}.dump());
}

HttpResponse ConsoleService::stop(const HttpRequest& request, const Caller& caller) {
    const Actor actor{caller.name, caller.role, request.peer};
    const auto result =
        onInterfaceThread([actor](SystemActions& actions) { return actions.stopPlaying(actor); });
    if (result && result->status == 200) {
        return answer(200, json{{"stopped", result->stopped}}.dump());
    }
    return actionAnswer(result, {});
}

HttpResponse ConsoleService::emergency(const HttpRequest& request, const Caller& caller) {
    const std::optional<json> body = parseBody(request.body);
    if (!body) {
        return failure(400, "请求内容应为 JSON：{\"on\":true} 或 {\"on\":false}");
    }
    const auto on = body->find("on");
    if (on == body->end() || !on->is_boolean()) {
        return failure(422, "on 应为 true（启动）或 false（结束）");
    }
    const Actor actor{caller.name, caller.role, request.peer};
    const bool start = on->get<bool>();
    const auto result = onInterfaceThread(
        [actor, start](SystemActions& actions) { return actions.setEmergency(actor, start); });
    if (result && result->status == 200) {
        // The running system publishes its state before it answers, so the snapshot is the
        // state this request left.
        const auto snapshot = m_s.snapshots.get();
        return answer(200, "{\"ok\":true,\"emergency\":" +
                               emergencyJson(snapshot ? snapshot->status.emergency : std::nullopt) +
                               "}");
    }
    return actionAnswer(result, {});
}

HttpResponse ConsoleService::announce(const HttpRequest& request, const Caller& caller) {
    const std::optional<json> body = parseBody(request.body);
    if (!body) {
        return failure(400, "请求内容应为 JSON：{\"file\":\"文件名\"}");
    }
    // Only the form is checked here; which names are files of the notices folder is the
    // running system's to say. The parser has already refused text that is not UTF-8.
    const auto field = body->find("file");
    const std::string* file = field != body->end() && field->is_string()
                                  ? &field->get_ref<const std::string&>()
                                  : nullptr;
    if (file == nullptr || file->empty() || file->size() > kMaxNoticeName ||
        file->find('\0') != std::string::npos) {
        return failure(422, "file 应为插播文件夹中的文件名（不超过 255 字节）");
    }
    const Actor actor{caller.name, caller.role, request.peer};
    const auto result = onInterfaceThread(
        [actor, name = *file](SystemActions& actions) { return actions.announce(actor, name); });
    return actionAnswer(result, json{{"ok", true}}.dump());
}

HttpResponse ConsoleService::notices() {
    // Filled on the interface thread; read only once that thread has answered.
    auto names = std::make_shared<std::vector<std::string>>();
    const auto result = onInterfaceThread([names](SystemActions& actions) {
        *names = actions.notices();
        return ActionResult{};
    });
    if (result && result->status == 200) {
        return answer(
            200, json{{"notices", *names}}.dump(-1, ' ', false, json::error_handler_t::replace));
    }
    return actionAnswer(result, {});
}

namespace {

// An event stream that ends when its reader may no longer read: logged out, removed, given
// another password, or gone past the session's limits.
class GuardedStream final : public EventStream {
public:
    GuardedStream(std::shared_ptr<EventStream> inner, std::function<bool()> allowed)
        : m_inner(std::move(inner)), m_allowed(std::move(allowed)) {}

    std::optional<std::string> next(std::chrono::milliseconds wait) override {
        const auto now = std::chrono::steady_clock::now();
        if (now - m_checked >= std::chrono::seconds{1}) {
            m_checked = now;
            if (!m_allowed()) {
                m_inner->close();
                return std::nullopt;
            }
        }
        return m_inner->next(wait);
    }
    void close() override { m_inner->close(); }

private:
    std::shared_ptr<EventStream> m_inner;
    std::function<bool()> m_allowed;
    std::chrono::steady_clock::time_point m_checked = std::chrono::steady_clock::now();
};

}  // namespace

bool ConsoleService::stillAllowed(const Caller& caller) {
    const std::lock_guard lock(m_accountsMutex);
    refreshAccounts();
    if (!caller.session) {
        return std::any_of(m_accounts.tokens().begin(), m_accounts.tokens().end(),
                           [&](const Token& t) { return t.name == caller.name; });
    }
    const User* user = m_accounts.findUser(caller.name);
    return user != nullptr && user->generation == caller.session->generation &&
           m_sessions.alive(caller.session->id, m_s.now());
}

HttpResponse ConsoleService::events(const Caller& caller) {
    auto stream = m_s.hub.subscribe();
    if (!stream) {
        return failure(503, "事件连接已满，请稍后再试");
    }
    HttpResponse r;
    r.contentType = "text/event-stream; charset=utf-8";
    r.stream = std::make_shared<GuardedStream>(std::move(stream),
                                               [this, caller] { return stillAllowed(caller); });
    return r;
}

std::optional<ActionResult> ConsoleService::onInterfaceThread(
    std::function<ActionResult(SystemActions&)> work) {
    auto promise = std::make_shared<std::promise<ActionResult>>();
    std::future<ActionResult> future = promise->get_future();
    m_s.ui.post([promise, work = std::move(work), weak = m_s.actions] {
        const std::shared_ptr<SystemActions> actions = weak.lock();
        if (!actions) {
            promise->set_value(refused(503, "网页控制台已停止", "stopped"));
            return;
        }
        try {
            promise->set_value(work(*actions));
        } catch (...) {
            promise->set_value(refused(500, "执行时出错", "failed"));
        }
    });
    if (future.wait_for(m_s.commandWait) != std::future_status::ready) {
        // It may still run later; what it does then is recorded like any other action.
        return std::nullopt;
    }
    return future.get();
}

void ConsoleService::record(const std::string& line) {
    m_s.ui.post([weak = m_s.actions, line] {
        if (const auto actions = weak.lock()) {
            actions->record(line);
        }
    });
}

HttpResponse ConsoleService::actionAnswer(const std::optional<ActionResult>& result,
                                          const std::string& okBody) {
    if (!result) {
        return failure(503, "播出系统 2 秒内未响应，请稍后再试");
    }
    if (result->status == 200) {
        return answer(200, okBody.empty() ? "{}" : okBody);
    }
    json j{{"error", result->error}};
    if (!result->reason.empty()) {
        j["reason"] = result->reason;
    }
    return answer(result->status, j.dump(-1, ' ', false, json::error_handler_t::replace));
}

}  // namespace orvessa::console
