#pragma once

#include <string>

#include "core/platform/failure_record.h"
#include "core/platform/system_services.h"

namespace orvessa::backends {

// One instance per user and desktop session: a unix socket bound to a name in the abstract
// namespace, "orvessa-<uid>-<display>". No file is involved, so nothing left in a directory (a
// stale lock, a directory or a link under the lock's name, a file of another user) can make the
// claim fail open or keep the system from starting; and the kernel drops the name when the
// process ends, however it ends, so a crash never leaves a stale claim behind.
class LinuxSingleInstance : public platform::SingleInstance {
public:
    // The name of this user's claim on the session of $WAYLAND_DISPLAY or $DISPLAY.
    explicit LinuxSingleInstance(platform::FailureRecord* failures = nullptr);
    // A claim of the given name (tests use names of their own).
    LinuxSingleInstance(std::string name, platform::FailureRecord* failures);
    ~LinuxSingleInstance() override;
    LinuxSingleInstance(const LinuxSingleInstance&) = delete;
    LinuxSingleInstance& operator=(const LinuxSingleInstance&) = delete;

    // False only when another process holds the name. Where no socket can be made at all, the
    // system starts (a refusal would silence every bell) and the failure is recorded.
    bool claim() override;

    const std::string& name() const { return m_name; }

    // "orvessa-<uid>-<display>", the display as the environment gives it ("console" without).
    static std::string sessionName();

private:
    std::string m_name;
    platform::FailureRecord* m_failures;
    int m_fd = -1;
};

}  // namespace orvessa::backends
