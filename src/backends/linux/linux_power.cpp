#include "backends/linux/linux_power.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <utility>

extern char** environ;

namespace orvessa::backends {
namespace {

// More than any error message says; a program that writes more is not read further.
constexpr std::size_t kMaxErrors = 4096;

std::string firstLine(const std::string& text) {
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos) {
        return {};
    }
    std::string line = text.substr(start, text.find_first_of("\r\n", start) - start);
    line.erase(line.find_last_not_of(" \t") + 1);
    return line;
}

}  // namespace

CommandOutcome runCommand(const std::vector<std::string>& argv) {
    if (argv.empty()) {
        return {};
    }
    int errorPipe[2];
    if (pipe2(errorPipe, O_CLOEXEC) != 0) {
        return {-1, std::string("no pipe: ") + std::strerror(errno)};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, errorPipe[1], STDERR_FILENO);
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(errorPipe[1]);
    if (spawned != 0) {
        close(errorPipe[0]);
        return {-1, argv[0] + " cannot be started: " + std::strerror(spawned)};
    }
    CommandOutcome outcome;
    char buffer[512];
    for (;;) {
        const ssize_t n = read(errorPipe[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        if (outcome.errors.size() < kMaxErrors) {
            outcome.errors.append(buffer, static_cast<std::size_t>(n));
        }
    }
    close(errorPipe[0]);
    int status = 0;
    pid_t waited = 0;
    do {
        waited = waitpid(pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited == pid && WIFEXITED(status)) {
        outcome.status = WEXITSTATUS(status);
    }
    return outcome;
}

LinuxPower::LinuxPower(platform::FailureRecord* failures, CommandRunner run)
    : m_failures(failures), m_run(std::move(run)) {}

void LinuxPower::powerOff() {
    const std::vector<std::string> call = {"dbus-send",
                                           "--system",
                                           "--print-reply",
                                           "--reply-timeout=30000",
                                           "--dest=org.freedesktop.login1",
                                           "/org/freedesktop/login1",
                                           "org.freedesktop.login1.Manager.PowerOff",
                                           "boolean:false"};
    const CommandOutcome outcome = m_run(call);
    if (outcome.status == 0) {
        return;
    }
    std::string reason = firstLine(outcome.errors);
    if (reason.empty()) {
        reason = "dbus-send ended with status " + std::to_string(outcome.status);
    }
    platform::Failure failure{"power-off refused", "the login manager: " + reason, 0};
    if (m_failures != nullptr) {
        m_failures->record(failure);
    } else {
        std::cerr << "Orvessa: " << failure.what << ": " << failure.detail << std::endl;
    }
}

}  // namespace orvessa::backends
