#pragma once

#include <filesystem>
#include <string>

#include "core/store/file_io.h"

namespace orvessa::alerts {

// Whether an emergency is on, kept so that a PC restarted during an evacuation comes back
// sounding the alarm.
struct EmergencyState {
    bool on = false;
    std::string since;  // "2026-12-11 10:00:30"
    std::string by;     // "operator@console:10.1.2.3"
    bool operator==(const EmergencyState&) const = default;
};

// emergency.state in the program directory: three lines "on=1", "since=…", "by=…", replaced
// whole at each change.
class EmergencyStateFile {
public:
    static constexpr const char* kFileName = "emergency.state";

    explicit EmergencyStateFile(std::filesystem::path programDirectory,
                                store::FileSync* sync = nullptr);

    std::filesystem::path filePath() const { return m_programDirectory / kFileName; }

    struct Read {
        EmergencyState state;  // off unless the file says on, whole and well formed
        std::string error;     // why the file could not be taken; empty when it was, or missing
    };
    Read read() const;
    store::WriteResult write(const EmergencyState& state) const;

private:
    std::filesystem::path m_programDirectory;
    store::FileSync* m_sync = nullptr;
};

}  // namespace orvessa::alerts
