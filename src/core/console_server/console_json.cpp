#include "core/console_server/console_json.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "core/editing/preflight_check.h"
#include "core/scheduler/as_run.h"
#include "core/text/time_text.h"

namespace orvessa::console {

using nlohmann::json;
using std::chrono::sys_days;
using std::chrono::year_month_day;

namespace {

std::string dump(const json& j) {
    return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string clockText(int second) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", second / 3600 % 100, second / 60 % 60,
                  second % 60);
    return text;
}

std::string timestamp(const platform::LocalDateTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

int isoWeekday(year_month_day date) {
    return static_cast<int>(std::chrono::weekday{sys_days{date}}.iso_encoding());
}

std::string kindWord(playback::ItemKind kind) {
    return scheduler::as_run::kindWord(kind);
}

json planJson(const store::DayPlan& plan) {
    return {{"table", plan.table},
            {"tableName", store::tableName(plan.table)},
            {"tableFile", plan.tableFileName()},
            {"stop", store::stopWord(plan.stop)},
            {"byCalendar", plan.byCalendar()},
            {"remark", plan.entry ? plan.entry->remark : std::string()},
            {"reason", store::planDescription(plan)}};
}

json emergencyValue(const std::optional<system::EmergencyStatus>& e) {
    return e ? json{{"since", e->since}, {"by", e->by}} : json(nullptr);
}

json noticeValue(const std::string& notice) {
    return notice.empty() ? json(nullptr) : json(notice);
}

}  // namespace

std::string emergencyJson(const std::optional<system::EmergencyStatus>& emergency) {
    return dump(emergencyValue(emergency));
}

std::string alertJson(const system::EngineStatus& status) {
    return dump(
        {{"emergency", emergencyValue(status.emergency)}, {"notice", noticeValue(status.notice)}});
}

std::string statusJson(const ConsoleSnapshot& s) {
    const system::EngineStatus& st = s.status;
    json j;
    j["now"] = st.lastTick ? json(timestamp(*st.lastTick)) : json(nullptr);
    j["date"] = store::dateText(s.date);
    j["weekday"] = st.plan.weekday;
    j["weekdayName"] = store::tableName(st.plan.weekday);
    j["mode"] = system::modeWord(st.mode);
    j["manualMissed"] = s.manualMissed;
    j["plan"] = planJson(st.plan);
    if (st.nextBell) {
        const auto at = text::TimeOfDay::read(st.nextBell->time);
        int in = at ? at->seconds() - s.second : 0;
        if (in < 0) {
            in += text::TimeOfDay::kSecondsPerDay;
        }
        j["nextBell"] = {{"row", st.nextBell->row},
                         {"time", st.nextBell->time},
                         {"label", st.nextBell->label},
                         {"file", st.nextBell->file},
                         {"inSeconds", in}};
    } else {
        j["nextBell"] = nullptr;
    }
    if (st.playing) {
        const system::RunningItem& p = *st.playing;
        j["playing"] = {{"row", p.row},
                        {"label", p.label},
                        {"kind", kindWord(p.kind)},
                        {"positionMs", p.positionMs ? json(*p.positionMs) : json(nullptr)},
                        {"lengthMs", p.lengthMs ? json(*p.lengthMs) : json(nullptr)}};
    } else {
        j["playing"] = nullptr;
    }
    j["stopDay"] = st.stopDay;
    j["locked"] = st.locked;
    j["clock"] = {{"synchronised", st.clockWarning.empty()}, {"warning", st.clockWarning}};
    j["unsaved"] = st.unsaved;
    j["calendarUnsaved"] = s.calendarUnsaved;
    if (st.lastFailure) {
        j["lastFailure"] = {{"what", st.lastFailure->what},
                            {"detail", st.lastFailure->detail},
                            {"row", st.lastFailure->row}};
    } else {
        j["lastFailure"] = nullptr;
    }
    j["statusLine"] = st.statusLine;
    j["hintLine"] = st.hintLine;
    j["emergency"] = emergencyValue(st.emergency);
    j["notice"] = noticeValue(st.notice);
    return dump(j);
}

std::string todayJson(const ConsoleSnapshot& s) {
    json rows = json::array();
    for (const TodayRow& r : s.today) {
        rows.push_back({{"row", r.row},
                        {"start", r.start},
                        {"stop", r.stop},
                        {"label", r.label},
                        {"file", r.file},
                        {"state", r.state},
                        {"at", r.at ? json(clockText(*r.at)) : json(nullptr)},
                        {"reason", r.reason.empty() ? json(nullptr) : json(r.reason)},
                        {"reasonText", r.reasonText.empty() ? json(nullptr) : json(r.reasonText)}});
    }
    return dump({{"date", store::dateText(s.date)}, {"table", s.table}, {"rows", rows}});
}

std::string broadcastJson(const scheduler::BroadcastEvent& e) {
    return dump({{"type", scheduler::as_run::eventWord(e.type)},
                 {"row", e.row},
                 {"at", timestamp(e.at)},
                 {"line", scheduler::as_run::line(e)}});
}

std::string tableJson(const std::string& table) {
    return dump({{"table", table}});
}

std::string dayJson(year_month_day date, const store::DayPlan& plan,
                    const std::vector<store::ScheduleRow>& rows, const std::string& tableNote,
                    const editing::DayCheckResult& check) {
    json j;
    j["date"] = store::dateText(date);
    j["weekday"] = isoWeekday(date);
    j["weekdayName"] = store::tableName(isoWeekday(date));
    j["plan"] = planJson(plan);
    j["stopDay"] = plan.stopDay();
    j["error"] = check.error;
    j["table"] = plan.tableFileName();
    j["tableNote"] = tableNote;
    json list = json::array();
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const store::ScheduleRow& r = rows[i];
        if (r.start.empty() && r.label.empty() && r.file.empty() && r.stop.empty()) {
            continue;
        }
        list.push_back({{"row", static_cast<int>(i)},
                        {"start", rows[i].start},
                        {"stop", rows[i].stop},
                        {"label", rows[i].label},
                        {"file", rows[i].file}});
    }
    j["rows"] = list;
    json problems = json::array();
    for (const editing::DayProblem& p : check.problems) {
        problems.push_back({{"row", p.row},
                            {"reason", p.reason},
                            {"reasonText", editing::problemReasonText(p)},
                            {"byRow", p.byRow},
                            {"path", p.path},
                            {"time", clockText(p.second)}});
    }
    j["problems"] = problems;
    j["calendarDoubts"] = editing::calendarDoubtLines(check.calendar);
    return dump(j);
}

std::string calendarJson(const CalendarYear& y) {
    json j;
    j["year"] = y.year;
    j["version"] = y.version;
    j["editable"] = y.editable;
    j["uneditableReason"] = y.uneditableReason;
    json names = json::array();
    for (int t = 1; t <= store::kCalendarLastPlan; ++t) {
        names.push_back(store::tableName(t));
    }
    j["tableNames"] = names;
    json entries = json::array();
    for (const store::CalendarEntry& e : y.calendar.entries) {
        entries.push_back({{"first", store::dateText(e.first)},
                           {"last", store::dateText(e.last)},
                           {"plan", e.plan},
                           {"planName", e.plan == store::kCalendarStop ? std::string("停播")
                                                                       : store::tableName(e.plan)},
                           {"remark", e.remark}});
    }
    j["entries"] = entries;
    json days = json::array();
    sys_days day{std::chrono::year{y.year} / 1 / 1};
    for (const store::DayPlan& plan : y.plans) {
        days.push_back({{"date", store::dateText(year_month_day{day})},
                        {"table", plan.table},
                        {"stop", store::stopWord(plan.stop)},
                        {"byCalendar", plan.byCalendar()}});
        day += std::chrono::days{1};
    }
    j["days"] = days;
    json problems = json::array();
    if (!y.readError.empty()) {
        problems.push_back("校历文件无法读取：" + y.readError);
    }
    for (const store::CalendarProblem& p : y.calendar.problems) {
        problems.push_back("第" + std::to_string(p.line) + "行（" + store::faultText(p.fault) +
                           "）：" + p.text);
    }
    j["problems"] = problems;
    json conflicts = json::array();
    for (const store::CalendarConflict& c : store::calendarConflicts(y.calendar.entries)) {
        std::string dates = store::dateText(c.first);
        if (c.last != c.first) {
            dates += " 至 " + store::dateText(c.last);
        }
        conflicts.push_back(dates + "：第" + std::to_string(c.winner.line) + "行与第" +
                            std::to_string(c.loser.line) + "行安排不同");
    }
    j["conflicts"] = conflicts;
    return dump(j);
}

AsRunLine splitAsRunLine(const std::string& line) {
    // "2026-12-14 08:00:00 start table=…": the date, the second, the event word, the rest.
    AsRunLine out;
    if (line.size() < 19) {
        out.text = line;
        return out;
    }
    out.time = line.substr(11, 8);
    const std::string rest = line.size() > 20 ? line.substr(20) : std::string();
    const std::size_t blank = rest.find(' ');
    out.event = rest.substr(0, blank);
    out.text = blank == std::string::npos ? std::string() : rest.substr(blank + 1);
    return out;
}

std::string asRunJson(const std::string& date, const std::vector<std::string>& dates,
                      const std::vector<std::string>& lines) {
    json list = json::array();
    for (const std::string& l : lines) {
        const AsRunLine a = splitAsRunLine(l);
        list.push_back({{"time", a.time}, {"event", a.event}, {"text", a.text}});
    }
    return dump({{"date", date}, {"dates", dates}, {"lines", list}});
}

namespace {

std::string csvField(std::string field) {
    // A spreadsheet runs a field that starts like a formula; a leading quote keeps it text.
    if (!field.empty() && (field[0] == '=' || field[0] == '+' || field[0] == '-' ||
                           field[0] == '@' || field[0] == '\t' || field[0] == '\r')) {
        field.insert(0, "'");
    }
    std::string out = "\"";
    for (const char c : field) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

}  // namespace

std::string asRunCsv(const std::string& date, const std::vector<std::string>& lines) {
    std::string out = "date,time,event,details\r\n";
    for (const std::string& l : lines) {
        const AsRunLine a = splitAsRunLine(l);
        out += csvField(date) + "," + csvField(a.time) + "," + csvField(a.event) + "," +
               csvField(a.text) + "\r\n";
    }
    return out;
}

std::string errorJson(const std::string& error) {
    return dump({{"error", error}});
}

}  // namespace orvessa::console
