#include "backends/linux/linux_single_instance.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "fakes/recording_failure_record.h"
#include "support/temp_dir.h"

namespace orvessa::backends {
namespace {

// Sets an environment variable for the life of the object.
class Environment {
public:
    Environment(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        setenv(name, value.c_str(), 1);
    }
    ~Environment() {
        if (m_old) {
            setenv(m_name, m_old->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

std::string uniqueName() {
    return "orvessa-test-" + std::to_string(getpid());
}

TEST(LinuxSingleInstance, OneClaimPerNameUntilTheProcessHoldingItEndsHoweverItEnds) {
    const std::string name = uniqueName();
    {
        LinuxSingleInstance first(name, nullptr);
        EXPECT_TRUE(first.claim());
        EXPECT_TRUE(first.claim()) << "claiming again keeps the claim";
        LinuxSingleInstance second(name, nullptr);
        EXPECT_FALSE(second.claim());
    }

    // Another process holds it, and is killed without a chance to let go.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        LinuxSingleInstance held(name, nullptr);
        const char claimed = held.claim() ? '1' : '0';
        (void)!write(ready[1], &claimed, 1);
        pause();
        _exit(0);
    }
    char claimed = 0;
    ASSERT_EQ(read(ready[0], &claimed, 1), 1);
    EXPECT_EQ(claimed, '1');
    LinuxSingleInstance late(name, nullptr);
    EXPECT_FALSE(late.claim());
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_TRUE(late.claim());
    close(ready[0]);
    close(ready[1]);
}

TEST(LinuxSingleInstance, NothingLeftInTheRuntimeDirectoryLetsASecondInstanceStart) {
    testing::TempDir runtime;
    const std::string display = ":h4-" + std::to_string(getpid());
    Environment runtimeDir("XDG_RUNTIME_DIR", runtime.path().string());
    Environment wayland("WAYLAND_DISPLAY", "");
    Environment x11("DISPLAY", display);
    // What made a lock file fail open: a directory, a dangling link, a file nobody may open.
    namespace fs = std::filesystem;
    fs::create_directory(runtime / ("orvessa-" + display + ".lock"));
    fs::create_symlink(runtime / "gone", runtime / ("orvessa-" + display + ".lock2"));
    testing::writeBytes(runtime / ("orvessa-" + display + ".lock3"), "");
    fs::permissions(runtime / ("orvessa-" + display + ".lock3"), fs::perms::none);

    fakes::RecordingFailureRecord failures;
    LinuxSingleInstance first(&failures);
    LinuxSingleInstance second(&failures);
    EXPECT_EQ(first.name(), "orvessa-" + std::to_string(getuid()) + "-" + display);
    EXPECT_TRUE(first.claim());
    EXPECT_FALSE(second.claim());
    EXPECT_TRUE(failures.failures.empty());

    // Another display is another session.
    Environment otherDisplay("DISPLAY", display + "0");
    EXPECT_TRUE(LinuxSingleInstance(&failures).claim());
}

}  // namespace
}  // namespace orvessa::backends
