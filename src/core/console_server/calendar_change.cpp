#include "core/console_server/calendar_change.h"

#include <cstdio>
#include <functional>

#include "core/console/names.h"
#include "core/editing/calendar_window.h"
#include "core/text/gbk.h"

namespace orvessa::console {

using std::chrono::sys_days;

std::string actorFields(const Actor& actor) {
    return "user=" + actor.user + " role=" + std::string(roleName(actor.role)) +
           " from=" + actor.address;
}

std::string checkChange(const CalendarChange& change) {
    if (!change.first.ok() || !change.last.ok()) {
        return "日期无效";
    }
    if (change.last < change.first) {
        return "结束日期早于开始日期";
    }
    if ((sys_days{change.last} - sys_days{change.first}).count() + 1 > kMaxChangeDays) {
        return "一次最多设置 " + std::to_string(kMaxChangeDays) + " 天";
    }
    if (change.plan &&
        (*change.plan < store::kCalendarStop || *change.plan > store::kCalendarLastPlan)) {
        return "作息表应为 1–12";
    }
    const auto characters = countCharacters(change.remark);
    if (!characters) {
        return "备注不是有效的文字";
    }
    if (*characters > kMaxRemarkCharacters) {
        return "备注最多 " + std::to_string(kMaxRemarkCharacters) + " 个字";
    }
    if (!text::gbkCanHold(change.remark)) {
        return store::kRemarkOutsideGbk;
    }
    if (!change.plan && !change.remark.empty()) {
        return "恢复照常的日期不带备注";
    }
    return {};
}

StoredChange storeChange(const std::filesystem::path& programDirectory,
                         const CalendarChange& change, store::FileSync* sync) {
    StoredChange out;
    if (const std::string why = checkChange(change); !why.empty()) {
        out.result = refused(422, why, "bad-entry");
        return out;
    }
    const store::ReadResult file =
        store::readWholeFile(programDirectory / store::kCalendarFileName);
    if (file.status == store::ReadStatus::Failed) {
        out.result = refused(409, "校历文件无法读取：" + file.error, "unreadable");
        return out;
    }
    const std::string now =
        file.status == store::ReadStatus::Ok ? calendarVersionOf(file.bytes) : "0";
    if (now != change.version) {
        out.result = refused(409, "校历已被修改，请重新读取后再设置", "changed");
        return out;
    }
    store::SchoolCalendar calendar = file.status == store::ReadStatus::Ok
                                         ? store::parseCalendar(file.bytes)
                                         : store::SchoolCalendar{};
    std::optional<store::CalendarEntry> replacement;
    if (change.plan) {
        store::CalendarEntry e;
        e.first = change.first;
        e.last = change.last;
        e.plan = *change.plan;
        e.remark = change.remark;
        replacement = e;
    }
    const std::vector<store::CalendarEntry> entries =
        editing::replaceDates(calendar.entries, change.first, change.last, replacement);
    const std::vector<store::CalendarConflict> conflicts = store::calendarConflicts(entries);
    if (!conflicts.empty()) {
        // The window would refuse to store these too; which plan is meant is the operator's to say.
        out.result = refused(422,
                             "校历中 " + store::dateText(conflicts.front().first) +
                                 " 等日期有两条不同的安排，请在播出电脑的校历窗口中处理",
                             "conflict");
        return out;
    }
    const store::WriteResult written =
        store::writeCalendarFile(programDirectory, entries, calendar.problems, sync);
    if (!written) {
        out.result = refused(409, "校历未能存盘：" + written.error, "write-failed");
        return out;
    }
    const std::string content = store::formatCalendar(entries, calendar.problems);
    out.calendar = store::parseCalendar(content);
    out.result.version = calendarVersionOf(content);
    return out;
}

std::string changeFields(const CalendarChange& change) {
    std::string dates = store::dateText(change.first);
    if (change.last != change.first) {
        dates += ".." + store::dateText(change.last);
    }
    std::string plan = "usual";
    if (change.plan) {
        plan =
            *change.plan == store::kCalendarStop ? "stop" : "table:" + std::to_string(*change.plan);
    }
    return dates + " plan=" + plan;
}

}  // namespace orvessa::console
