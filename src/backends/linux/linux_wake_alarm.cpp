#include "backends/linux/linux_wake_alarm.h"

#include <pwd.h>
#include <unistd.h>

#include <ctime>
#include <system_error>

#include "core/scheduler/wake_file.h"
#include "core/store/file_io.h"
#include "core/text/paths.h"

namespace orvessa::backends {
namespace {

namespace fs = std::filesystem;

constexpr const char* kHelper = "usr/lib/orvessa/orvessa-wake-alarm";
constexpr const char* kEnabledUnit =
    "etc/systemd/system/multi-user.target.wants/orvessa-wake.service";
constexpr const char* kRtcAlarm = "sys/class/rtc/rtc0/wakealarm";

}  // namespace

LinuxWakeAlarm::LinuxWakeAlarm(Places places, store::FileSync* fileSync)
    : m_places(std::move(places)), m_fileSync(fileSync) {}

LinuxWakeAlarm::Places LinuxWakeAlarm::placesOfThisProcess() {
    Places places;
    if (const passwd* user = getpwuid(getuid());
        user != nullptr && user->pw_dir != nullptr && user->pw_dir[0] == '/') {
        places.wakeFile = fs::path(user->pw_dir) / scheduler::kWakeFileInHome;
    }
    return places;
}

std::optional<int64_t> LinuxWakeAlarm::epochSeconds(const platform::LocalDateTime& at) {
    std::tm tm{};
    tm.tm_year = at.year - 1900;
    tm.tm_mon = at.month - 1;
    tm.tm_mday = at.day;
    tm.tm_hour = at.hour;
    tm.tm_min = at.minute;
    tm.tm_sec = at.second;
    // The zone decides whether summer time is on; an hour skipped in spring moves on past it.
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) {
        return std::nullopt;
    }
    return static_cast<int64_t>(t);
}

std::string LinuxWakeAlarm::keep(const std::optional<platform::LocalDateTime>& at) {
    if (m_places.wakeFile.empty()) {
        return "找不到当前用户的主目录";
    }
    std::error_code ec;
    if (!at) {
        fs::remove(m_places.wakeFile, ec);
        return ec ? text::utf8Path(m_places.wakeFile) + "：" + ec.message() : std::string();
    }
    const std::optional<int64_t> seconds = epochSeconds(*at);
    if (!seconds) {
        return "开机时间无效";
    }
    fs::create_directories(m_places.wakeFile.parent_path(), ec);
    if (ec) {
        return text::utf8Path(m_places.wakeFile.parent_path()) + "：" + ec.message();
    }
    const store::WriteResult written =
        store::writeFileAtomically(m_places.wakeFile, scheduler::wakeFileText(*seconds),
                                   store::Visibility::Shared, m_fileSync);
    return written ? std::string() : written.error;
}

std::string LinuxWakeAlarm::unavailable() const {
    std::error_code ec;
    if (!fs::exists(m_places.systemRoot / kRtcAlarm, ec)) {
        return "这台电脑的时钟不能定时开机";
    }
    if (!fs::exists(m_places.systemRoot / kHelper, ec) ||
        // Enabled is a link in the target's folder, whatever it points at from here.
        !fs::exists(fs::symlink_status(m_places.systemRoot / kEnabledUnit, ec))) {
        return "定时开机组件没有安装或没有启用（见说明书“无人值守”）";
    }
    return {};
}

}  // namespace orvessa::backends
