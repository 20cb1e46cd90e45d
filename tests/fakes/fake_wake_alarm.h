#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/platform/wake_alarm.h"

namespace orvessa::fakes {

// Keeps every wake time it is handed; says it is unavailable, or fails to keep, on request.
class FakeWakeAlarm : public platform::WakeAlarm {
public:
    std::string keep(const std::optional<platform::LocalDateTime>& at) override {
        kept.push_back(at);
        return keepProblem;
    }
    std::string unavailable() const override { return missing; }

    std::vector<std::optional<platform::LocalDateTime>> kept;
    std::string keepProblem;
    std::string missing;
};

}  // namespace orvessa::fakes
