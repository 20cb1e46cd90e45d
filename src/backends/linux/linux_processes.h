#pragma once

#include "core/platform/processes.h"

namespace orvessa::backends {

// The processes of /proc: executable from the exe link (the command name where it cannot be
// read), start time in clock ticks since boot, and the owner of the process's entry.
class LinuxProcesses : public platform::Processes {
public:
    std::vector<platform::ProcessInfo> snapshot() const override;
    // SIGTERM: the program ends the way it ends when the desktop closes it.
    bool terminate(int64_t pid) override;
};

}  // namespace orvessa::backends
