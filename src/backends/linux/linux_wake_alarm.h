#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "core/platform/wake_alarm.h"
#include "core/store/file_sync.h"

namespace orvessa::backends {

// The wake time as a file in the user's home (~/.local/state/orvessa/wake-time), read at
// shutdown by orvessa-wake-alarm, the package's root helper, which sets the real-time clock's
// alarm from it.
class LinuxWakeAlarm : public platform::WakeAlarm {
public:
    struct Places {
        std::filesystem::path wakeFile;
        // Where /sys, /usr and /etc are found: "/" but in tests.
        std::filesystem::path systemRoot = "/";
    };

    // Replacements of the file are flushed through `fileSync` when given.
    explicit LinuxWakeAlarm(Places places, store::FileSync* fileSync = nullptr);
    // Under the home directory the user database gives this process's user: the one the helper
    // looks in, whatever $HOME says.
    static Places placesOfThisProcess();

    std::string keep(const std::optional<platform::LocalDateTime>& at) override;
    std::string unavailable() const override;

    // Seconds since the epoch of a local time, as the time zone of this process takes it; none
    // for a time that does not exist.
    static std::optional<int64_t> epochSeconds(const platform::LocalDateTime& at);

private:
    Places m_places;
    store::FileSync* m_fileSync;
};

}  // namespace orvessa::backends
