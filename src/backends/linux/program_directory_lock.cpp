#include "backends/linux/program_directory_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace orvessa::backends {
namespace {

std::string errorText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

constexpr int kOpenFlags = O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;

// Those who may write the directory may open its lock: owner, and group or others where they
// too may write there.
mode_t lockModeFor(const struct stat& directory) {
    mode_t mode = 0600;
    if ((directory.st_mode & S_IWGRP) != 0) {
        mode |= 0060;
    }
    if ((directory.st_mode & S_IWOTH) != 0) {
        mode |= 0006;
    }
    return mode;
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

ProgramDirectoryLock::ProgramDirectoryLock(std::filesystem::path directory)
    : m_directory(std::move(directory)) {}

ProgramDirectoryLock::~ProgramDirectoryLock() {
    if (m_fd >= 0) {
        close(m_fd);
    }
}

ProgramDirectoryLock::Claim ProgramDirectoryLock::claim() {
    if (m_fd >= 0) {
        return Claim::Held;
    }
    m_problem.clear();
    const std::string where = (m_directory / kFileName).string();
    // The directory itself may be reached through a link; the lock file may not.
    const int dirFd = open(m_directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat dir {};
    if (dirFd < 0 || fstat(dirFd, &dir) != 0) {
        m_problem = m_directory.string() + ": " + errorText(errno);
        if (dirFd >= 0) {
            close(dirFd);
        }
        return Claim::NotMade;
    }
    const mode_t mode = lockModeFor(dir);
    Claim result = Claim::NotMade;
    // A few rounds: each either takes the lock, finds it held, or clears away one obstacle or
    // a file replaced between its opening and its lock.
    for (int round = 0; round < 4 && m_fd < 0 && result != Claim::Busy; ++round) {
        int fd = openat(dirFd, kFileName, O_RDWR | O_CREAT | kOpenFlags, mode);
        if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
            // A read-only directory that holds the file, or a file this user may only read:
            // a lock needs no write access.
            fd = openat(dirFd, kFileName, O_RDONLY | kOpenFlags);
        }
        struct stat file {};
        if (fd >= 0 && (fstat(fd, &file) != 0 || !S_ISREG(file.st_mode))) {
            close(fd);
            fd = -1;
            errno = EINVAL;
        }
        if (fd < 0) {
            const int error = errno;
            if (error == ENOENT) {
                // Not there, and the directory may not be written: nothing to lock.
                m_problem = where + ": " + errorText(EACCES);
                break;
            }
            // A link, a directory, a FIFO or a file closed to this user: no instance of this
            // directory can hold a lock on it. Away with it, and make the file anew.
            if (unlinkat(dirFd, kFileName, 0) != 0 &&
                unlinkat(dirFd, kFileName, AT_REMOVEDIR) != 0) {
                m_problem = where + ": " + errorText(error);
                break;
            }
            continue;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            close(fd);
            if (error == EWOULDBLOCK) {
                result = Claim::Busy;
            } else {
                m_problem = where + ": " + errorText(error);
            }
            break;
        }
        // Locked; but the name may meanwhile lead to a new file that another instance locks.
        struct stat named {};
        if (fstatat(dirFd, kFileName, &named, AT_SYMLINK_NOFOLLOW) != 0 || !sameFile(named, file)) {
            close(fd);
            continue;
        }
        if (file.st_uid == geteuid() && (file.st_mode & 07777) != mode) {
            // Made under a umask that shut out the directory's other writers.
            fchmod(fd, mode);
        }
        m_fd = fd;
        result = Claim::Held;
    }
    if (result == Claim::NotMade && m_problem.empty()) {
        m_problem = where + ": it keeps being replaced";
    }
    close(dirFd);
    return result;
}

}  // namespace orvessa::backends
