#include "backends/linux/linux_processes.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace orvessa::backends {
namespace {

// Field 22 of /proc/PID/stat, and the command name between the parentheses of field 2.
bool readStat(const std::filesystem::path& dir, std::string& command, uint64_t& startTime) {
    std::ifstream in(dir / "stat");
    std::string line;
    if (!std::getline(in, line)) {
        return false;
    }
    const std::size_t open = line.find('(');
    const std::size_t close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open) {
        return false;
    }
    command = line.substr(open + 1, close - open - 1);
    std::istringstream fields(line.substr(close + 1));
    std::string field;
    // After the command: state is field 3, so the start time is the 20th field from here.
    for (int i = 3; i <= 22; ++i) {
        if (!(fields >> field)) {
            return false;
        }
    }
    startTime = std::stoull(field);
    return true;
}

}  // namespace

std::vector<platform::ProcessInfo> LinuxProcesses::snapshot() const {
    std::vector<platform::ProcessInfo> out;
    const pid_t self = getpid();
    const uid_t user = getuid();
    std::error_code ec;
    for (std::filesystem::directory_iterator it("/proc", ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        platform::ProcessInfo info;
        info.pid = std::stoll(name);
        std::string command;
        try {
            if (!readStat(it->path(), command, info.startTime)) {
                continue;  // ended meanwhile
            }
        } catch (const std::logic_error&) {
            // No number where the start time stands (std::stoull's invalid_argument or
            // out_of_range): without it the process cannot be told from a later one with its
            // pid, so it is left out, like one that ended meanwhile.
            continue;
        }
        std::error_code linkError;
        const auto exe = std::filesystem::read_symlink(it->path() / "exe", linkError);
        info.executable = linkError ? command : exe.string();
        struct stat st {};
        info.ownedByUser = stat(it->path().c_str(), &st) == 0 && st.st_uid == user;
        info.isSelf = info.pid == self;
        out.push_back(std::move(info));
    }
    return out;
}

bool LinuxProcesses::terminate(int64_t pid) {
    if (pid <= 1 || pid == getpid()) {
        return false;
    }
    return kill(static_cast<pid_t>(pid), SIGTERM) == 0;
}

}  // namespace orvessa::backends
