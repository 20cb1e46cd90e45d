#include "core/scheduler/as_run.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "core/playback/item_player.h"
#include "core/store/file_io.h"
#include "core/text/gbk.h"
#include "core/text/paths.h"

namespace orvessa::scheduler::as_run {

namespace {

constexpr std::string_view kPrefix = "as-run-";
constexpr std::string_view kSuffix = ".log";

// One line stays one line whatever a table or a folder holds.
std::string printable(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            c = '?';
        }
    }
    return out;
}

int digits(std::string_view text) {
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

// The value of "key=" among the blank-separated fields of `line` before its path; empty if none.
std::string field(std::string_view line, std::string_view key) {
    const std::string mark = " " + std::string(key) + "=";
    const std::size_t at = line.find(mark);
    const std::size_t path = line.find(" path=");
    if (at == std::string::npos || (path != std::string::npos && at > path && key != "path")) {
        return {};
    }
    const std::size_t from = at + mark.size();
    if (key == "path") {
        return std::string(line.substr(from));
    }
    const std::size_t end = line.find(' ', from);
    return std::string(
        line.substr(from, end == std::string::npos ? std::string::npos : end - from));
}

int number(std::string_view text) {
    return text.empty() || text.size() > 6 ? 0 : std::max(digits(text), 0);
}

}  // namespace

std::string eventWord(BroadcastEvent::Type type) {
    switch (type) {
        case BroadcastEvent::Type::Started:
            return "start";
        case BroadcastEvent::Type::Stopped:
            return "stop";
        case BroadcastEvent::Type::Missing:
            return "missing";
        case BroadcastEvent::Type::Left:
            break;
        case BroadcastEvent::Type::Day:
            return "day";
        case BroadcastEvent::Type::Clock:
            return "clock";
        case BroadcastEvent::Type::Console:
            return "console";
        case BroadcastEvent::Type::Emergency:
            return "emergency";
        case BroadcastEvent::Type::Announcement:
            return "announce";
    }
    return "left";
}

std::string planFields(const store::DayPlan& plan) {
    std::string out = std::string("plan=") + (plan.byCalendar() ? "calendar" : "week") +
                      " stop-day=" + store::stopWord(plan.stop);
    if (plan.entry) {
        out += " remark=" + recordedRemark(plan.entry->remark);
    }
    return out;
}

std::string recordedRemark(std::string_view remark) {
    return printable(text::shortened(remark, kRecordedRemarkCharacters));
}

std::string kindWord(playback::ItemKind kind) {
    switch (kind) {
        case playback::ItemKind::Media:
            return "media";
        case playback::ItemKind::WebPage:
            return "page";
        case playback::ItemKind::ShellOpened:
            return "shell";
        case playback::ItemKind::None:
            break;
    }
    return "none";
}

std::string fileName(int year, int month, int day) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "as-run-%04d-%02d-%02d.log", year, month, day);
    return buffer;
}

std::string line(const BroadcastEvent& e) {
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", e.at.year, e.at.month,
                  e.at.day, e.at.hour, e.at.minute, e.at.second);
    std::string out = std::string(stamp) + " " + eventWord(e.type) + " table=" + printable(e.table);
    if (e.type == BroadcastEvent::Type::Clock) {
        return std::string(stamp) + " " + printable(e.reason);
    }
    if (e.type == BroadcastEvent::Type::Console || e.type == BroadcastEvent::Type::Emergency ||
        e.type == BroadcastEvent::Type::Announcement) {
        return std::string(stamp) + " " + eventWord(e.type) + " " + printable(e.reason);
    }
    if (e.type == BroadcastEvent::Type::Day && e.plan) {
        return out + " " + planFields(*e.plan);
    }
    out += " row=" + std::to_string(e.row);
    std::string path = e.path;
    if (e.type == BroadcastEvent::Type::Left) {
        out += " reason=" + e.reason;
        if (e.byRow > 0) {
            out += " by=" + std::to_string(e.byRow);
        }
    } else if (!playback::ItemPlayer::isWebAddress(path)) {
        path = text::toNativePath(path);
    }
    if (e.type == BroadcastEvent::Type::Started) {
        out += " kind=" + kindWord(e.kind);
        if (e.lateBy > 0) {
            out += " late-by=" + std::to_string(e.lateBy);
            if (!e.lateReason.empty()) {
                out += " reason=" + e.lateReason;
            }
        }
    }
    return out + " path=" + printable(path);
}

std::string fieldValue(std::string_view name) {
    if (name.find_first_of(" \t\"\\=") == std::string_view::npos) {
        return std::string(name);
    }
    std::string out = "\"";
    for (const char c : name) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + "\"";
}

std::optional<BroadcastEvent> parse(std::string_view line) {
    // "2026-12-14 08:00:00 start table=…": the date, the second, then the event's word.
    if (line.size() < 21 || line[4] != '-' || line[7] != '-' || line[10] != ' ' ||
        line[13] != ':' || line[16] != ':' || line[19] != ' ') {
        return std::nullopt;
    }
    BroadcastEvent e;
    e.at = {digits(line.substr(0, 4)),
            digits(line.substr(5, 2)),
            digits(line.substr(8, 2)),
            digits(line.substr(11, 2)),
            digits(line.substr(14, 2)),
            digits(line.substr(17, 2)),
            0};
    if (e.at.year < 0 || e.at.month < 1 || e.at.month > 12 || e.at.day < 1 || e.at.day > 31 ||
        e.at.hour < 0 || e.at.hour > 23 || e.at.minute < 0 || e.at.minute > 59 || e.at.second < 0 ||
        e.at.second > 59) {
        return std::nullopt;
    }
    const std::size_t blank = line.find(' ', 20);
    const std::string_view word =
        line.substr(20, blank == std::string::npos ? std::string::npos : blank - 20);
    using Type = BroadcastEvent::Type;
    for (const Type t : {Type::Started, Type::Stopped, Type::Missing, Type::Left, Type::Day,
                         Type::Console, Type::Emergency, Type::Announcement}) {
        if (word == eventWord(t)) {
            e.type = t;
            e.table = field(line, "table");
            e.row = number(field(line, "row"));
            if (t == Type::Left) {
                e.reason = field(line, "reason");
            }
            e.byRow = number(field(line, "by"));
            e.path = field(line, "path");
            return e;
        }
    }
    // What is said of the clock itself stands in the place of the word.
    e.type = Type::Clock;
    e.reason = std::string(line.substr(20));
    return e;
}

Day readDay(const std::filesystem::path& directory, int year, int month, int day) {
    Day out;
    const store::ReadResult file = store::readWholeFile(directory / fileName(year, month, day));
    if (file.status == store::ReadStatus::Failed) {
        out.error = file.error;
        return out;
    }
    std::size_t at = 0;
    while (at < file.bytes.size()) {
        std::size_t end = file.bytes.find('\n', at);
        if (end == std::string::npos) {
            end = file.bytes.size();
        }
        std::string line = file.bytes.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            out.lines.push_back(std::move(line));
        }
        at = end + 1;
    }
    return out;
}

std::vector<std::string> filesToPrune(const std::vector<std::string>& names, int year, int month,
                                      int day) {
    using namespace std::chrono;
    const sys_days today{year_month_day{std::chrono::year(year),
                                        std::chrono::month(static_cast<unsigned>(month)),
                                        std::chrono::day(static_cast<unsigned>(day))}};
    std::vector<std::string> old;
    for (const std::string& name : names) {
        // "as-run-YYYY-MM-DD.log" and nothing else: the operator's own files stay.
        const std::string_view n = name;
        if (n.size() != kPrefix.size() + 10 + kSuffix.size() || !n.starts_with(kPrefix) ||
            !n.ends_with(kSuffix)) {
            continue;
        }
        const std::string_view date = n.substr(kPrefix.size(), 10);
        if (date[4] != '-' || date[7] != '-') {
            continue;
        }
        const int y = digits(date.substr(0, 4));
        const int m = digits(date.substr(5, 2));
        const int d = digits(date.substr(8, 2));
        const year_month_day ymd{std::chrono::year(y), std::chrono::month(static_cast<unsigned>(m)),
                                 std::chrono::day(static_cast<unsigned>(d))};
        if (y < 0 || m < 0 || d < 0 || !ymd.ok()) {
            continue;
        }
        if ((today - sys_days{ymd}).count() > kKeptDays) {
            old.push_back(name);
        }
    }
    return old;
}

}  // namespace orvessa::scheduler::as_run
