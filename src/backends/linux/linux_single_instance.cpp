#include "backends/linux/linux_single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace orvessa::backends {
namespace {

std::string sessionName() {
    for (const char* variable : {"WAYLAND_DISPLAY", "DISPLAY"}) {
        if (const char* v = std::getenv(variable); v != nullptr && *v != '\0') {
            std::string name = v;
            for (char& c : name) {
                if (c == '/') {
                    c = '_';
                }
            }
            return name;
        }
    }
    return "console";
}

}  // namespace

LinuxSingleInstance::LinuxSingleInstance() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string dir = runtime != nullptr && *runtime != '\0'
                          ? std::string(runtime)
                          : "/tmp/orvessa-" + std::to_string(getuid());
    if (runtime == nullptr || *runtime == '\0') {
        mkdir(dir.c_str(), 0700);
    }
    m_path = dir + "/orvessa-" + sessionName() + ".lock";
}

LinuxSingleInstance::~LinuxSingleInstance() {
    if (m_fd >= 0) {
        close(m_fd);
    }
}

bool LinuxSingleInstance::claim() {
    if (m_fd >= 0) {
        return true;
    }
    const int fd = open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        // Without a place for the lock, refusing to start would silence the bells: start.
        return true;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

}  // namespace orvessa::backends
