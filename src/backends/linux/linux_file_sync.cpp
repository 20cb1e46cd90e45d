#include "backends/linux/linux_file_sync.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "core/text/system_error_text.h"

namespace orvessa::backends {
namespace {

// Linux writes back a file's dirty pages whichever descriptor asks, so a read-only one will do.
std::string openAndSync(const std::filesystem::path& path, int flags) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), flags | O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return text::systemErrorText(errno);
    }
    std::string why;
    // EINVAL: a file system that keeps nothing to write back (tmpfs and the like).
    if (::fsync(fd) != 0 && errno != EINVAL) {
        why = text::systemErrorText(errno);
    }
    ::close(fd);
    return why;
}

}  // namespace

std::string LinuxFileSync::syncFile(const std::filesystem::path& path) {
    return openAndSync(path, 0);
}

std::string LinuxFileSync::syncDirectory(const std::filesystem::path& directory) {
    return openAndSync(directory, O_DIRECTORY);
}

}  // namespace orvessa::backends
