#include "core/scheduler/wake_time.h"

#include <string_view>
#include <utility>
#include <vector>

#include "core/scheduler/wake_file.h"
#include "core/store/table_file.h"
#include "core/text/date_text.h"
#include "core/text/key_value.h"
#include "core/text/numbers.h"
#include "core/text/paths.h"

namespace orvessa::scheduler {
namespace {

using namespace std::chrono;

constexpr const char* kMarginKey = "margin-minutes";

// Seconds of a local time as if the day had no time zone: local times are compared and moved
// by these, and only the platform turns one into a moment.
int64_t civilSeconds(const platform::LocalDateTime& t) {
    return int64_t{sys_days{platform::dateOf(t)}.time_since_epoch().count()} * 86400 +
           t.hour * 3600 + t.minute * 60 + t.second;
}

platform::LocalDateTime civilTime(int64_t seconds) {
    const auto day = static_cast<int>(seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400);
    const auto second = static_cast<int>(seconds - int64_t{day} * 86400);
    const year_month_day date{sys_days{days{day}}};
    platform::LocalDateTime t;
    t.year = static_cast<int>(date.year());
    t.month = static_cast<int>(static_cast<unsigned>(date.month()));
    t.day = static_cast<int>(static_cast<unsigned>(date.day()));
    t.hour = second / 3600;
    t.minute = second % 3600 / 60;
    t.second = second % 60;
    return t;
}

std::string dayText(const platform::LocalDateTime& t) {
    return text::formatDate(t.year, t.month, t.day) + " 星期" +
           text::weekdayCharacter(text::weekdayOf(t.year, t.month, t.day));
}

}  // namespace

std::optional<text::TimeOfDay> firstBell(const store::ScheduleTable& table) {
    for (int row = 1; row < table.rowCount(); ++row) {
        const store::ScheduleRow r = store::ScheduleRow::read(table, row);
        if (text::isClockTime(r.start) && r.hasItem()) {
            return text::TimeOfDay::read(r.start);
        }
    }
    return std::nullopt;
}

std::optional<WakePlan> nextWake(
    const platform::LocalDateTime& now, int marginMinutes,
    const std::function<store::DayPlan(std::chrono::year_month_day)>& planFor,
    const std::filesystem::path& programDirectory) {
    const int64_t from = civilSeconds(now);
    const int64_t earliest = from + kMinWakeLeadSeconds;
    const int64_t latest = from + kMaxWakeAheadSeconds - 3600;
    const sys_days today{platform::dateOf(now)};
    // Each day's wake time lies later than the day before's: the first beyond the latest ends it.
    for (int n = 0; n <= kMaxWakeAheadSeconds / 86400; ++n) {
        const sys_days day = today + days{n};
        const year_month_day date{day};
        const store::DayPlan plan = planFor(date);
        if (plan.stopDay()) {
            continue;
        }
        store::ScheduleTable table;
        const store::TableLoadResult load =
            store::loadTableFile(table, programDirectory, plan.tableFileName());
        if (load.outcome != store::TableLoadResult::Outcome::Loaded) {
            continue;
        }
        const std::optional<text::TimeOfDay> bell = firstBell(table);
        if (!bell) {
            continue;
        }
        const int64_t wake =
            int64_t{day.time_since_epoch().count()} * 86400 + bell->seconds() - marginMinutes * 60;
        if (wake > latest) {
            return std::nullopt;
        }
        if (wake >= earliest) {
            return WakePlan{date, plan, *bell, civilTime(wake)};
        }
    }
    return std::nullopt;
}

bool powersOff(const store::LiveSettings& live, const store::SystemConfig& config) {
    using store::EndOfDayAction;
    using store::SystemConfig;
    if (live.endOfDayAction == EndOfDayAction::PowerOff) {
        return true;
    }
    const bool customTime = text::isClockTime(config.entry(SystemConfig::kShutdownTimeOne)) ||
                            text::isClockTime(config.entry(SystemConfig::kShutdownTimeTwo));
    if (live.endOfDayAction == EndOfDayAction::Wait && !live.customShutdownOff && customTime) {
        return true;
    }
    // A stop day follows the stored choice, and powers off after a minute for two of them.
    const std::optional<EndOfDayAction> stored = config.storedEndOfDayAction();
    return stored == EndOfDayAction::PowerOff || stored == EndOfDayAction::Replay;
}

WakeMarginRead readWakeMargin(const std::filesystem::path& programDirectory) {
    WakeMarginRead read;
    const store::ReadResult file =
        store::readWholeFile(programDirectory / kWakeSettingsFileName, 64 * 1024);
    if (file.status == store::ReadStatus::Failed) {
        read.problem = file.error;
    }
    if (file.status != store::ReadStatus::Ok) {
        return read;
    }
    for (std::string_view line : store::splitLines(file.bytes)) {
        std::string_view key;
        std::string_view value;
        if (!text::splitKeyValue(line, key, value) || key != kMarginKey) {
            continue;
        }
        const int minutes = text::toIntOr(value, -1);
        if (minutes >= kMinWakeMarginMinutes && minutes <= kMaxWakeMarginMinutes) {
            read.minutes = minutes;
            read.problem.clear();
        } else {
            read.minutes = kDefaultWakeMarginMinutes;
            read.problem = std::string(kMarginKey) + "=" + std::string(value) + ": not " +
                           std::to_string(kMinWakeMarginMinutes) + ".." +
                           std::to_string(kMaxWakeMarginMinutes);
        }
    }
    return read;
}

store::WriteResult writeWakeMargin(const std::filesystem::path& programDirectory, int minutes,
                                   store::FileSync* sync) {
    const std::filesystem::path path = programDirectory / kWakeSettingsFileName;
    std::vector<std::string> lines;
    const store::ReadResult old = store::readWholeFile(path, 64 * 1024);
    if (old.status == store::ReadStatus::Failed) {
        return store::WriteResult::failure(old.error);
    }
    for (std::string_view line : store::splitLines(old.bytes)) {
        lines.emplace_back(line);
    }
    return store::writeFileAtomically(
        path, text::rewriteKeyValues(lines, {{kMarginKey, text::decimalText(minutes)}}),
        store::Visibility::Shared, sync);
}

WakeKeeper::WakeKeeper(WakeServices services) : m_s(std::move(services)) {
    const WakeMarginRead read = readWakeMargin(m_s.programDirectory);
    m_margin = read.minutes;
    if (!read.problem.empty()) {
        platform::recordFailure(
            m_s.failures,
            {"wake margin not read",
             text::utf8Path(m_s.programDirectory / kWakeSettingsFileName) + ": " + read.problem});
    }
}

std::string WakeKeeper::setMargin(int minutes) {
    if (minutes < kMinWakeMarginMinutes || minutes > kMaxWakeMarginMinutes || minutes == m_margin) {
        return {};
    }
    const store::WriteResult written = writeWakeMargin(m_s.programDirectory, minutes, m_s.fileSync);
    if (!written) {
        return written.error;
    }
    m_margin = minutes;
    update();
    return {};
}

void WakeKeeper::update() {
    const platform::LocalDateTime now = m_s.clock.now();
    m_poweringOff = m_s.powersOff();
    m_plan =
        m_poweringOff ? nextWake(now, m_margin, m_s.planFor, m_s.programDirectory) : std::nullopt;
    m_keepError = m_s.alarm.keep(m_plan ? std::optional(m_plan->wake) : std::nullopt);
    if (!m_keepError.empty()) {
        platform::recordFailure(m_s.failures, {"wake time not kept", m_keepError});
    }
    m_unavailable = m_s.alarm.unavailable();
    m_updated = true;
    m_updatedDate = platform::dateNumber(now);
    changed.send();
}

void WakeKeeper::follow() {
    const platform::LocalDateTime now = m_s.clock.now();
    if (!m_updated) {
        return;
    }
    if (platform::dateNumber(now) != m_updatedDate ||
        (m_plan && civilSeconds(m_plan->wake) < civilSeconds(now) + kMinWakeLeadSeconds)) {
        update();
    }
}

bool WakeKeeper::warning() const {
    return m_poweringOff && (!m_plan || !m_keepError.empty() || !m_unavailable.empty());
}

std::string WakeKeeper::line() const {
    if (!m_poweringOff) {
        return "本系统不会自动关机，不需要定时开机。";
    }
    const std::string none = "电脑自动关机后不会自动开机：";
    if (!m_plan) {
        return none + "今后8天内没有要播出的定时项目。";
    }
    const std::string when =
        dayText(m_plan->wake) + " " +
        text::TimeOfDay(m_plan->wake.hour, m_plan->wake.minute, m_plan->wake.second).clockText();
    // The time is said all the same: the operator who switches the PC on by hand needs it.
    if (!m_keepError.empty()) {
        return none + "开机时间未能保存（" + m_keepError + "）。本应在 " + when + " 开机。";
    }
    if (!m_unavailable.empty()) {
        return none + m_unavailable + "。本应在 " + when + " 开机。";
    }
    return "下次定时开机：" + when + "（" + m_plan->plan.tableFileName() + " 第一个定时项目 " +
           m_plan->bell.clockText() + " 前 " + std::to_string(m_margin) + " 分钟）";
}

}  // namespace orvessa::scheduler
