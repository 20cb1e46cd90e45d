#include "backends/linux/linux_processes.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

namespace orvessa::backends {
namespace {

// A child of this test, ended and reaped with the object.
class Child {
public:
    Child() {
        m_pid = fork();
        if (m_pid == 0) {
            execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Child() {
        if (m_pid > 0 && !m_reaped) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    pid_t pid() const { return m_pid; }
    // Waits for the child's end and returns the signal that ended it (0 for none).
    int reap() {
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_reaped = true;
        return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }

private:
    pid_t m_pid;
    bool m_reaped = false;
};

const platform::ProcessInfo* find(const std::vector<platform::ProcessInfo>& table, int64_t pid) {
    const auto it =
        std::find_if(table.begin(), table.end(), [pid](const auto& p) { return p.pid == pid; });
    return it == table.end() ? nullptr : &*it;
}

TEST(LinuxProcesses, SeesAChildAfterItselfAndEndsIt) {
    LinuxProcesses processes;
    Child child;
    ASSERT_GT(child.pid(), 0);
    // exec replaces the forked copy of this program; wait until the snapshot shows sleep.
    const platform::ProcessInfo* seen = nullptr;
    std::vector<platform::ProcessInfo> table;
    for (int i = 0;
         i < 200 && (seen == nullptr || seen->executable.find("sleep") == std::string::npos); ++i) {
        usleep(10000);
        table = processes.snapshot();
        seen = find(table, child.pid());
    }
    ASSERT_NE(seen, nullptr);
    EXPECT_NE(seen->executable.find("sleep"), std::string::npos) << seen->executable;
    EXPECT_TRUE(seen->ownedByUser);
    EXPECT_FALSE(seen->isSelf);

    const platform::ProcessInfo* self = find(table, getpid());
    ASSERT_NE(self, nullptr);
    EXPECT_TRUE(self->isSelf);
    EXPECT_GE(seen->startTime, self->startTime);

    EXPECT_FALSE(processes.terminate(getpid())) << "never this program";
    EXPECT_TRUE(processes.terminate(child.pid()));
    EXPECT_EQ(child.reap(), SIGTERM);
}

}  // namespace
}  // namespace orvessa::backends
