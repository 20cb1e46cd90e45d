#include "backends/linux/rtc_wake.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/scheduler/wake_file.h"

namespace orvessa::backends::rtc_wake {
namespace {

namespace fs = std::filesystem;

// Closes a descriptor when it goes.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd& operator=(Fd&& other) noexcept {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    int get() const { return m_fd; }
    bool ok() const { return m_fd >= 0; }

private:
    int m_fd;
};

std::string errorText(const fs::path& path) {
    return path.string() + ": " + std::strerror(errno);
}

// Reads at most `limit` bytes of an open file.
std::optional<std::string> readSome(int fd, std::size_t limit) {
    std::string bytes(limit, '\0');
    std::size_t got = 0;
    while (got < limit) {
        const ssize_t n = ::read(fd, bytes.data() + got, limit - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

std::string writeAttribute(const fs::path& file, std::string_view text) {
    // Never created: in sysfs it is there or the clock has no alarm.
    const Fd fd(::open(file.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.ok()) {
        return errorText(file);
    }
    const ssize_t n = ::write(fd.get(), text.data(), text.size());
    if (n != static_cast<ssize_t>(text.size())) {
        return n < 0 ? errorText(file) : file.string() + ": short write";
    }
    return {};
}

}  // namespace

WakeRead readWakeFile(const fs::path& home, const fs::path& relative, uid_t owner) {
    WakeRead read;
    // The home itself is the administrator's to choose; what lies below it is the user's.
    Fd dir(::open(home.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.ok()) {
        return read;
    }
    fs::path at = home;
    std::vector<fs::path> parts(relative.begin(), relative.end());
    if (parts.empty()) {
        return read;
    }
    const fs::path name = parts.back();
    parts.pop_back();
    for (const fs::path& part : parts) {
        at /= part;
        Fd next(::openat(dir.get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next.ok()) {
            if (errno != ENOENT) {
                read.problem = errorText(at);
            }
            return read;
        }
        dir = std::move(next);
    }
    at /= name;
    const Fd path(::openat(dir.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (!path.ok()) {
        if (errno != ENOENT) {
            read.problem = errorText(at);
        }
        return read;
    }
    struct stat st {};
    if (::fstat(path.get(), &st) != 0) {
        read.problem = errorText(at);
        return read;
    }
    if (!S_ISREG(st.st_mode)) {
        read.problem = at.string() + ": not a regular file";
        return read;
    }
    if (st.st_uid != owner) {
        read.problem = at.string() + ": not owned by uid " + std::to_string(owner);
        return read;
    }
    if ((st.st_mode & S_IWOTH) != 0) {
        read.problem = at.string() + ": writable by others";
        return read;
    }
    if (st.st_size > static_cast<off_t>(scheduler::kMaxWakeFileBytes)) {
        read.problem = at.string() + ": too long";
        return read;
    }
    // Opened again through the descriptor that was checked: the same file, whatever the name
    // points at by now.
    const std::string self = "/proc/self/fd/" + std::to_string(path.get());
    const Fd file(::open(self.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.ok()) {
        read.problem = errorText(at);
        return read;
    }
    const std::optional<std::string> bytes = readSome(file.get(), scheduler::kMaxWakeFileBytes + 1);
    if (!bytes) {
        read.problem = errorText(at);
        return read;
    }
    read.seconds = scheduler::parseWakeFileText(*bytes);
    if (!read.seconds) {
        // What it holds instead stays unsaid: the journal is no place for a file's content.
        read.problem = at.string() + ": not a wake time";
    }
    return read;
}

std::vector<User> usersOf(const std::optional<fs::path>& passwdFile) {
    std::vector<User> users;
    auto take = [&users](const passwd* p) {
        if ((p->pw_uid == 0 || (p->pw_uid >= 1000 && p->pw_uid != 65534)) && p->pw_dir != nullptr &&
            p->pw_dir[0] == '/') {
            users.push_back({p->pw_uid, p->pw_dir});
        }
    };
    if (passwdFile) {
        std::FILE* f = std::fopen(passwdFile->c_str(), "re");
        if (f == nullptr) {
            return users;
        }
        while (const passwd* p = ::fgetpwent(f)) {
            take(p);
        }
        std::fclose(f);
        return users;
    }
    ::setpwent();
    while (const passwd* p = ::getpwent()) {
        take(p);
    }
    ::endpwent();
    return users;
}

std::string setAlarm(const fs::path& rtcDirectory, int64_t wake, int64_t now) {
    switch (scheduler::checkWakeTime(wake, now)) {
        case scheduler::WakeRefusal::Past:
            return "wake time " + std::to_string(wake) + " is not ahead of now";
        case scheduler::WakeRefusal::TooFarAhead:
            return "wake time " + std::to_string(wake) + " is more than eight days ahead";
        case scheduler::WakeRefusal::None:
            break;
    }
    int64_t alarm = wake;
    {
        const fs::path sinceEpoch = rtcDirectory / "since_epoch";
        const Fd fd(::open(sinceEpoch.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        const std::optional<std::string> bytes =
            fd.ok() ? readSome(fd.get(), scheduler::kMaxWakeFileBytes) : std::nullopt;
        if (const std::optional<int64_t> rtcNow =
                bytes ? scheduler::parseWakeFileText(*bytes) : std::nullopt) {
            alarm += *rtcNow - now;
        }
    }
    const fs::path wakealarm = rtcDirectory / "wakealarm";
    if (std::string problem = writeAttribute(wakealarm, "0"); !problem.empty()) {
        return problem;
    }
    return writeAttribute(wakealarm, std::to_string(alarm));
}

}  // namespace orvessa::backends::rtc_wake
