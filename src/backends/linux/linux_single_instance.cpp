#include "backends/linux/linux_single_instance.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace orvessa::backends {
namespace {

std::string displayName() {
    for (const char* variable : {"WAYLAND_DISPLAY", "DISPLAY"}) {
        if (const char* v = std::getenv(variable); v != nullptr && *v != '\0') {
            return v;
        }
    }
    return "console";
}

}  // namespace

std::string LinuxSingleInstance::sessionName() {
    std::string name = "orvessa-" + std::to_string(getuid()) + "-" + displayName();
    // What does not fit the socket address is cut; a display name is never that long.
    const std::size_t room = sizeof(sockaddr_un{}.sun_path) - 1;
    if (name.size() > room) {
        name.resize(room);
    }
    return name;
}

LinuxSingleInstance::LinuxSingleInstance(platform::FailureRecord* failures)
    : LinuxSingleInstance(sessionName(), failures) {}

LinuxSingleInstance::LinuxSingleInstance(std::string name, platform::FailureRecord* failures)
    : m_name(std::move(name)), m_failures(failures) {}

LinuxSingleInstance::~LinuxSingleInstance() {
    if (m_fd >= 0) {
        close(m_fd);
    }
}

bool LinuxSingleInstance::claim() {
    if (m_fd >= 0) {
        return true;
    }
    // Closed on exec: a program the system launches must not hold the claim after it ends.
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        platform::recordFailure(
            m_failures, {"single-instance check not made",
                         "no socket: " + std::error_code(errno, std::generic_category()).message() +
                             "; starting without it"});
        return true;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // A leading zero byte puts the name in the abstract namespace, away from every file system.
    const std::size_t length = std::min(m_name.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, m_name.data(), length);
    const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), size) != 0) {
        const int error = errno;
        close(fd);
        if (error == EADDRINUSE) {
            return false;
        }
        platform::recordFailure(
            m_failures, {"single-instance check not made",
                         m_name + ": " + std::error_code(error, std::generic_category()).message() +
                             "; starting without it"});
        return true;
    }
    m_fd = fd;
    return true;
}

}  // namespace orvessa::backends
