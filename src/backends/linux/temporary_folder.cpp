#include "backends/linux/temporary_folder.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <system_error>
#include <vector>

namespace orvessa::backends {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kRandomPart = 6;  // mkdtemp's XXXXXX

int openFolder(const fs::path& path) {
    return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

}  // namespace

TemporaryFolder::TemporaryFolder(const std::string& prefix) {
    std::error_code ec;
    const fs::path temporary = fs::temp_directory_path(ec);
    if (ec) {
        return;
    }
    // A sweep may take a folder in the moment between its making and its lock: then another.
    for (int attempt = 0; attempt < 5; ++attempt) {
        std::string pattern = (temporary / (prefix + std::string(kRandomPart, 'X'))).string();
        if (mkdtemp(pattern.data()) == nullptr) {
            return;
        }
        const int fd = openFolder(pattern);
        struct stat st {};
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &st) == 0 &&
            st.st_nlink > 0) {
            m_path = pattern;
            m_lock = fd;
            return;
        }
        if (fd >= 0) {
            ::close(fd);
        }
        fs::remove_all(pattern, ec);
    }
}

TemporaryFolder::~TemporaryFolder() {
    if (!valid()) {
        return;
    }
    std::error_code ec;
    fs::remove_all(m_path, ec);
    ::close(m_lock);
}

int removeStaleTemporaryFolders(const std::string& prefix) {
    std::error_code ec;
    const fs::path temporary = fs::temp_directory_path(ec);
    if (ec || prefix.empty()) {
        return 0;
    }
    std::vector<fs::path> candidates;
    for (fs::directory_iterator it(temporary, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() == prefix.size() + kRandomPart && name.starts_with(prefix)) {
            candidates.push_back(it->path());
        }
    }
    int removed = 0;
    for (const fs::path& path : candidates) {
        struct stat link {};
        if (::lstat(path.c_str(), &link) != 0 || !S_ISDIR(link.st_mode) ||
            link.st_uid != ::geteuid()) {
            continue;
        }
        const int fd = openFolder(path);
        if (fd < 0) {
            continue;
        }
        struct stat opened {};
        // A living process holds its folder's lock; the kernel dropped a dead one's.
        if (::fstat(fd, &opened) == 0 && opened.st_dev == link.st_dev &&
            opened.st_ino == link.st_ino && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            std::error_code removeError;
            if (fs::remove_all(path, removeError) > 0 && !removeError) {
                ++removed;
            }
        }
        ::close(fd);
    }
    return removed;
}

}  // namespace orvessa::backends
