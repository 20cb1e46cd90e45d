#include "backends/linux/linux_power.h"

#include <spawn.h>
#include <sys/wait.h>

#include <vector>

extern char** environ;

namespace orvessa::backends {
namespace {

// Runs a program to its end; true when it exits with 0.
bool run(std::vector<const char*> argv) {
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, const_cast<char* const*>(argv.data()),
                     environ) != 0) {
        return false;
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) {
        return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

void LinuxPower::powerOff() {
    // "interactive" true: where the policy asks, the desktop may ask the operator once.
    if (run({"dbus-send", "--system", "--print-reply", "--dest=org.freedesktop.login1",
             "/org/freedesktop/login1", "org.freedesktop.login1.Manager.PowerOff",
             "boolean:true"})) {
        return;
    }
    run({"systemctl", "poweroff"});
}

}  // namespace orvessa::backends
