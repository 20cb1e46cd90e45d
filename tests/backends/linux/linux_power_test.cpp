#include "backends/linux/linux_power.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fakes/recording_failure_record.h"

namespace orvessa::backends {
namespace {

using Argv = std::vector<std::string>;

// Stands in for the system bus: answers the power-off call as told and keeps what was asked.
struct FakeBus {
    CommandOutcome answer;
    std::vector<Argv> calls;

    CommandRunner runner() {
        return [this](const Argv& argv) {
            calls.push_back(argv);
            return answer;
        };
    }
};

bool contains(const Argv& argv, const std::string& word) {
    return std::find(argv.begin(), argv.end(), word) != argv.end();
}

TEST(LinuxPower, TheLoginManagerIsAskedOnceWithoutAPasswordDialogAndARefusalIsRecorded) {
    // As logind answers when the session is not the active one: it would have to ask.
    FakeBus bus{{1,
                 "Error org.freedesktop.DBus.Error.InteractiveAuthorizationRequired: "
                 "Interactive authentication required.\n"},
                {}};
    fakes::RecordingFailureRecord failures;
    LinuxPower power(&failures, bus.runner());

    power.powerOff();

    ASSERT_EQ(bus.calls.size(), 1u);
    EXPECT_TRUE(contains(bus.calls[0], "--system"));
    EXPECT_TRUE(contains(bus.calls[0], "org.freedesktop.login1.Manager.PowerOff"));
    EXPECT_TRUE(contains(bus.calls[0], "boolean:false"));
    ASSERT_EQ(failures.failures.size(), 1u);
    EXPECT_EQ(failures.failures[0].what, "power-off refused");
    EXPECT_NE(failures.failures[0].detail.find("Interactive authentication required."),
              std::string::npos);
    EXPECT_EQ(failures.failures[0].detail.find('\n'), std::string::npos);

    // Accepted, the computer goes down and there is nothing to record.
    bus.answer = {0, ""};
    power.powerOff();
    EXPECT_EQ(failures.failures.size(), 1u);
}

TEST(LinuxPower, CommandsReportTheirStatusAndWhatTheySaidOnStandardError) {
    const CommandOutcome said = runCommand({"sh", "-c", "echo on-out; echo refused >&2; exit 3"});
    EXPECT_EQ(said.status, 3);
    EXPECT_EQ(said.errors, "refused\n");

    const CommandOutcome missing = runCommand({"orvessa-no-such-program"});
    EXPECT_EQ(missing.status, -1);
    EXPECT_NE(missing.errors.find("orvessa-no-such-program"), std::string::npos);
}

}  // namespace
}  // namespace orvessa::backends
