#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/platform/failure_record.h"
#include "core/platform/system_services.h"

namespace orvessa::backends {

// How a program run ended: its exit status (0 is success; -1 when it could not be started or
// was killed) and what it wrote on standard error.
struct CommandOutcome {
    int status = -1;
    std::string errors;
};

// Runs `argv` to its end, with standard output dropped and standard error kept.
using CommandRunner = std::function<CommandOutcome(const std::vector<std::string>& argv)>;
CommandOutcome runCommand(const std::vector<std::string>& argv);

// The computer's power through the login manager (logind's PowerOff over the system bus), which
// closes the sessions and their programs before it powers off. Its policy lets the user of the
// active local session do so without a password. The call never asks: at the end of the day
// nobody may be there to answer, and an unanswered password dialog would keep the computer on
// just the same. A refusal (the session is not the active one, or another user's program blocks
// the shutdown) is recorded with the login manager's reason.
class LinuxPower : public platform::Power {
public:
    // Failures go to `failures`, or one line on standard error without one.
    explicit LinuxPower(platform::FailureRecord* failures = nullptr,
                        CommandRunner run = runCommand);

    // Neither Windows family.
    std::string platformFamily() const override { return {}; }
    void powerOff() override;

private:
    platform::FailureRecord* m_failures;
    CommandRunner m_run;
};

// Linux has no "screen saver running" flag that guards key chords.
class LinuxScreenSaverFlag : public platform::ScreenSaverFlag {
public:
    void setRunning(bool) override {}
};

}  // namespace orvessa::backends
