#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "core/model/signal.h"
#include "core/platform/clock.h"
#include "core/platform/failure_record.h"
#include "core/platform/wake_alarm.h"
#include "core/store/day_plan.h"
#include "core/store/file_io.h"
#include "core/store/live_settings.h"
#include "core/store/schedule_table.h"
#include "core/store/system_config.h"
#include "core/text/time_text.h"

namespace orvessa::scheduler {

inline constexpr int kDefaultWakeMarginMinutes = 10;
inline constexpr int kMinWakeMarginMinutes = 1;
inline constexpr int kMaxWakeMarginMinutes = 120;
// A wake time nearer than this cannot be set before the power goes: the next day's is taken.
inline constexpr int kMinWakeLeadSeconds = 120;

// The first bell of a day's table: the first row whose start cell is a clock time and which
// names something to play. None for a table without one.
std::optional<text::TimeOfDay> firstBell(const store::ScheduleTable& table);

struct WakePlan {
    std::chrono::year_month_day day;  // the broadcast day
    store::DayPlan plan;              // and what it broadcasts
    text::TimeOfDay bell;             // its first bell
    platform::LocalDateTime wake;     // the margin before the bell
    bool operator==(const WakePlan&) const = default;
};

// The wake time for the next first bell after `now`: today's while its wake time is at least
// kMinWakeLeadSeconds ahead, else that of the next day that broadcasts a table with a first
// bell, as `planFor` decides the days and the tables of `programDirectory` hold them. Days are
// searched only as far as the wake time stays within kMaxWakeAheadSeconds (less an hour that
// a change of summer time may add); none when no day there rings.
std::optional<WakePlan> nextWake(
    const platform::LocalDateTime& now, int marginMinutes,
    const std::function<store::DayPlan(std::chrono::year_month_day)>& planFor,
    const std::filesystem::path& programDirectory);

// Whether the system powers the PC off by itself: after the day's last item (the live choice),
// at the custom daily times (waiting, switched on, a time set), or at the start of a stop day
// (the stored choice powers off or replays).
bool powersOff(const store::LiveSettings& live, const store::SystemConfig& config);

// wake.conf in the program directory: "margin-minutes=10", the minutes the PC powers on before
// the first bell. Lines it does not know are written back as they were.
inline constexpr const char* kWakeSettingsFileName = "wake.conf";
struct WakeMarginRead {
    int minutes = kDefaultWakeMarginMinutes;
    std::string problem;  // why the file or its value was not used; empty when it was or is missing
};
WakeMarginRead readWakeMargin(const std::filesystem::path& programDirectory);
store::WriteResult writeWakeMargin(const std::filesystem::path& programDirectory, int minutes,
                                   store::FileSync* sync = nullptr);

struct WakeServices {
    const platform::Clock& clock;
    platform::WakeAlarm& alarm;
    std::filesystem::path programDirectory;
    std::function<store::DayPlan(std::chrono::year_month_day)> planFor;
    // Whether the system powers the PC off by itself, as the options stand now.
    std::function<bool()> powersOff;
    store::FileSync* fileSync = nullptr;
    platform::FailureRecord* failures = nullptr;
};

// Keeps the wake time where the shutdown helper finds it: worked out again whenever what it
// depends on may have changed, and before the system powers the PC off.
class WakeKeeper {
public:
    explicit WakeKeeper(WakeServices services);

    int margin() const { return m_margin; }
    // Stores `minutes` (kMinWakeMarginMinutes..kMaxWakeMarginMinutes) in wake.conf and works
    // the time out again. What went wrong, for the operator; empty on success.
    std::string setMargin(int minutes);

    // Works the wake time out for now and hands it to the alarm (none while the system does
    // not power the PC off).
    void update();
    // Cheap enough for every second: once there has been an update(), another once the date
    // has changed or the time kept is about to pass.
    void follow();

    const std::optional<WakePlan>& plan() const { return m_plan; }
    bool poweringOff() const { return m_poweringOff; }
    // The PC powers off and will not power on by itself.
    bool warning() const;
    // The wake time or why there is none, in a line.
    std::string line() const;

    // After each update().
    model::Signal<> changed;

private:
    WakeServices m_s;
    int m_margin = kDefaultWakeMarginMinutes;
    std::optional<WakePlan> m_plan;
    bool m_poweringOff = false;
    bool m_updated = false;
    int m_updatedDate = 0;
    std::string m_keepError;
    std::string m_unavailable;
};

}  // namespace orvessa::scheduler
