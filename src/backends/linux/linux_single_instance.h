#pragma once

#include <string>

#include "core/platform/system_services.h"

namespace orvessa::backends {

// One instance per desktop session: an exclusive lock on a file in the user's runtime
// directory, named after the display. The kernel drops the lock when the process ends, however
// it ends, so a crash never leaves a stale claim behind.
class LinuxSingleInstance : public platform::SingleInstance {
public:
    LinuxSingleInstance();
    ~LinuxSingleInstance() override;
    LinuxSingleInstance(const LinuxSingleInstance&) = delete;
    LinuxSingleInstance& operator=(const LinuxSingleInstance&) = delete;

    bool claim() override;

    const std::string& lockPath() const { return m_path; }

private:
    std::string m_path;
    int m_fd = -1;
};

}  // namespace orvessa::backends
