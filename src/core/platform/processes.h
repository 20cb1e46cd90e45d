#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvessa::platform {

struct ProcessInfo {
    int64_t pid = 0;
    std::string executable;    // full path of the program, or its name where no path is known
    uint64_t startTime = 0;    // in the platform's own units; later starts have larger values
    bool ownedByUser = false;  // runs as the same user as this program
    bool isSelf = false;       // this program
};

// The running processes.
class Processes {
public:
    virtual ~Processes() = default;
    // Every process that can be seen, in no particular order.
    virtual std::vector<ProcessInfo> snapshot() const = 0;
    // Asks the process to end. Returns whether the request was delivered.
    virtual bool terminate(int64_t pid) = 0;
};

}  // namespace orvessa::platform
