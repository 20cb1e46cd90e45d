#include "backends/linux/linux_single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace orvessa::backends {
namespace {

std::string errorText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

// Closes on scope exit.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Opens `dir` when it is a directory of this user's own that no other user may enter or write
// to; otherwise -1, with the reason in `why`. Opened once and used through its descriptor, so a
// directory swapped for another after the check is not the one written to.
int openPrivateDirectory(const LinuxSingleInstance::LockDirectory& dir, std::string& why) {
    if (dir.create && mkdir(dir.path.c_str(), 0700) != 0 && errno != EEXIST) {
        why = dir.path.string() + ": " + errorText(errno);
        return -1;
    }
    const int fd = open(dir.path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        why = dir.path.string() + ": " + errorText(errno);
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid() ||
        (st.st_mode & 077) != 0) {
        why = dir.path.string() + ": not a directory of this user's own with mode 0700";
        close(fd);
        return -1;
    }
    return fd;
}

// A lock file may be opened only as a regular file: a FIFO or device under its name would block
// or mean nothing.
int openLockFile(int dirFd, const std::string& name, int extraFlags) {
    const int fd = openat(
        dirFd, name.c_str(),
        O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | extraFlags, 0600);
    if (fd < 0) {
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

std::string lockFileName(const std::string& session) {
    std::string name = "orvessa-" + session;
    std::replace(name.begin(), name.end(), '/', '_');
    // Far below NAME_MAX; a display name is never that long.
    if (name.size() > 200) {
        name.resize(200);
    }
    return name + ".lock";
}

}  // namespace

std::string LinuxSingleInstance::xDisplaySession(std::string_view display) {
    // [protocol/][host]:number[.screen], as Xlib and xcb read $DISPLAY.
    const std::size_t colon = display.rfind(':');
    if (colon == std::string_view::npos) {
        return {};
    }
    std::string_view host = display.substr(0, colon);
    std::string_view protocol;
    if (const std::size_t slash = host.find('/'); slash != std::string_view::npos && slash > 0) {
        protocol = host.substr(0, slash);
        host = host.substr(slash + 1);
    }
    std::string_view number = display.substr(colon + 1);
    number = number.substr(0, number.find('.'));
    if (number.empty() ||
        !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return {};
    }
    while (number.size() > 1 && number.front() == '0') {
        number.remove_prefix(1);
    }
    std::string server(host);
    std::transform(server.begin(), server.end(), server.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    // No host, "unix" or a local protocol is the server's socket on this machine; "localhost" is
    // TCP, which an ssh tunnel may lead to a different server.
    if (server == "unix" || protocol == "unix" || protocol == "local") {
        server.clear();
    } else if (server.empty() && (protocol == "tcp" || protocol == "inet" || protocol == "inet6")) {
        server = "localhost";
    }
    return "x11-" + server + ":" + std::string(number);
}

std::vector<std::string> LinuxSingleInstance::sessionsOf(const char* waylandDisplay,
                                                         const char* display,
                                                         const char* runtimeDirectory) {
    std::vector<std::string> sessions;
    if (waylandDisplay != nullptr && *waylandDisplay != '\0') {
        // A name is relative to the runtime directory; the same socket given by its full path is
        // the same compositor.
        std::filesystem::path socket(waylandDisplay);
        if (socket.is_absolute() && runtimeDirectory != nullptr &&
            socket.parent_path() == std::filesystem::path(runtimeDirectory)) {
            socket = socket.filename();
        }
        sessions.push_back("wayland-" + socket.string());
    }
    if (display != nullptr && *display != '\0') {
        const std::string x = xDisplaySession(display);
        sessions.push_back(x.empty() ? "x11-" + std::string(display) : x);
    }
    if (sessions.empty()) {
        sessions.emplace_back("console");
    }
    return sessions;
}

namespace {

// Where the locks go: the user's runtime directory, which the session manager makes 0700 for
// the user alone. Started without one in the environment (from cron, over ssh), the same
// directory is found by its usual name. Where neither exists (no login manager), a directory of
// the user's own under /tmp is made, and used only when it is the user's own and 0700: another
// user who made it first, or planted a link there, gets it refused rather than trusted. Refused,
// it leaves only the desktop's check undone: the program directory's lock, which no other user
// can take or switch off, still keeps its tables to one instance.
std::vector<LinuxSingleInstance::LockDirectory> usualDirectories() {
    std::vector<LinuxSingleInstance::LockDirectory> dirs;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime != nullptr && *runtime == '/') {
        dirs.push_back({runtime, false});
    }
    const std::string uid = std::to_string(geteuid());
    dirs.push_back({"/run/user/" + uid, false});
    dirs.push_back({"/tmp/orvessa-" + uid, true});
    return dirs;
}

}  // namespace

LinuxSingleInstance::LinuxSingleInstance(const std::filesystem::path& programDirectory,
                                         platform::FailureRecord* failures)
    : LinuxSingleInstance(usualDirectories(),
                          sessionsOf(std::getenv("WAYLAND_DISPLAY"), std::getenv("DISPLAY"),
                                     std::getenv("XDG_RUNTIME_DIR")),
                          failures, programDirectory) {}

LinuxSingleInstance::LinuxSingleInstance(std::vector<LockDirectory> directories,
                                         std::vector<std::string> sessions,
                                         platform::FailureRecord* failures,
                                         const std::filesystem::path& programDirectory)
    : m_directories(std::move(directories)), m_sessions(std::move(sessions)), m_failures(failures) {
    if (!programDirectory.empty()) {
        m_programDirectory.emplace(programDirectory);
    }
}

LinuxSingleInstance::~LinuxSingleInstance() {
    for (const int fd : m_fds) {
        close(fd);
    }
}

bool LinuxSingleInstance::claim() {
    if (m_claimed) {
        return true;
    }
    if (m_programDirectory) {
        switch (m_programDirectory->claim()) {
            case ProgramDirectoryLock::Claim::Busy:
                return false;
            case ProgramDirectoryLock::Claim::NotMade:
                // A read-only directory must not silence the bells; the desktop's lock below
                // still keeps this session to one instance.
                platform::recordFailure(m_failures,
                                        {"program directory lock not taken",
                                         m_programDirectory->problem() + "; starting without it"});
                break;
            case ProgramDirectoryLock::Claim::Held:
                break;
        }
    }
    std::string reasons;
    int dirFd = -1;
    std::filesystem::path dirPath;
    for (const LockDirectory& candidate : m_directories) {
        std::string why;
        dirFd = openPrivateDirectory(candidate, why);
        if (dirFd >= 0) {
            dirPath = candidate.path;
            break;
        }
        reasons += (reasons.empty() ? "" : "; ") + why;
    }
    const Descriptor dir(dirFd);
    if (dir.get() < 0) {
        m_claimed = true;
        platform::recordFailure(
            m_failures, {"single-instance check not made", "no private directory for the lock (" +
                                                               reasons + "); starting without it"});
        return true;
    }

    std::vector<int> held;
    for (const std::string& session : m_sessions) {
        const std::string name = lockFileName(session);
        int fd = openLockFile(dir.get(), name, 0);
        if (fd < 0) {
            // Only this user (or root) can have put something else under the name: a
            // directory, a link, a file nobody may open. It is no lock of a running instance,
            // which would have opened it; clear it away and make the file anew.
            if (unlinkat(dir.get(), name.c_str(), 0) != 0) {
                unlinkat(dir.get(), name.c_str(), AT_REMOVEDIR);
            }
            fd = openLockFile(dir.get(), name, O_EXCL);
        }
        if (fd < 0) {
            platform::recordFailure(m_failures, {"single-instance check not made",
                                                 (dirPath / name).string() + ": " +
                                                     errorText(errno) + "; starting without it"});
            continue;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            close(fd);
            if (error == EWOULDBLOCK) {
                for (const int h : held) {
                    close(h);
                }
                return false;
            }
            platform::recordFailure(m_failures, {"single-instance check not made",
                                                 (dirPath / name).string() + ": " +
                                                     errorText(error) + "; starting without it"});
            continue;
        }
        held.push_back(fd);
        m_lockFiles.push_back(dirPath / name);
    }
    m_fds = std::move(held);
    m_claimed = true;
    return true;
}

}  // namespace orvessa::backends
