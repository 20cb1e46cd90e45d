#pragma once

#include <algorithm>
#include <vector>

#include "core/platform/processes.h"

namespace orvessa::fakes {

// A process table the test writes; terminate() removes the process and records its pid.
class FakeProcesses : public platform::Processes {
public:
    std::vector<platform::ProcessInfo> table;
    std::vector<int64_t> terminated;

    std::vector<platform::ProcessInfo> snapshot() const override { return table; }
    bool terminate(int64_t pid) override {
        terminated.push_back(pid);
        std::erase_if(table, [pid](const auto& p) { return p.pid == pid; });
        return true;
    }

    // Adds a process of this user that starts now (after every process already listed).
    void start(int64_t pid, const std::string& executable, bool ours = true) {
        uint64_t latest = 0;
        for (const auto& p : table) {
            latest = std::max(latest, p.startTime);
        }
        table.push_back({pid, executable, latest + 1, ours, false});
    }
};

}  // namespace orvessa::fakes
