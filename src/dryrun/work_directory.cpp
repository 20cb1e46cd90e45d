#include "dryrun/work_directory.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "core/store/file_io.h"
#include "core/store/school_calendar.h"
#include "core/store/system_config.h"
#include "core/store/table_file.h"
#include "core/text/paths.h"

namespace orvessa::dryrun {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kRandomPart = 6;  // mkdtemp's XXXXXX

int openFolder(const fs::path& path) {
    return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

bool isTable(const std::string& name) {
    return name.starts_with("zxsj") && name.ends_with(".log");
}

// What a load of the file named `name` takes at most; none for files the core does not read.
std::optional<store::LineLimits> limitsOf(const std::string& name) {
    using store::SystemConfig;
    if (name == SystemConfig::kFileName) {
        return store::LineLimits{SystemConfig::kEntryCount, SystemConfig::kMaxEntryBytes,
                                 SystemConfig::kEntryCount * (SystemConfig::kMaxEntryBytes + 2)};
    }
    if (name == store::kHolidayFileName || isTable(name)) {
        // One line beyond the rows a load takes, which tells the load that the file goes on.
        const std::size_t lines = store::kMaxLoadedRows + 1;
        return store::LineLimits{lines, store::kMaxTableLineBytes,
                                 lines * (store::kMaxTableLineBytes + 2)};
    }
    if (name == store::kCalendarFileName) {
        // Read whole, as a start-up reads it.
        return store::LineLimits{store::kMaxWholeFileBytes, store::kMaxWholeFileBytes,
                                 store::kMaxWholeFileBytes};
    }
    return std::nullopt;
}

}  // namespace

WorkDirectory::WorkDirectory() {
    // A cleanup may take a folder in the moment between its making and its lock: then another.
    for (int attempt = 0; attempt < 5; ++attempt) {
        std::string pattern =
            (fs::temp_directory_path() / (std::string(kWorkDirectoryPrefix) + "XXXXXX")).string();
        if (mkdtemp(pattern.data()) == nullptr) {
            break;
        }
        const int fd = openFolder(pattern);
        struct stat st {};
        if (fd >= 0 && ::fchmod(fd, 0700) == 0 && ::flock(fd, LOCK_EX) == 0 &&
            ::fstat(fd, &st) == 0 && st.st_nlink > 0) {
            m_path = pattern;
            m_lock = fd;
            return;
        }
        if (fd >= 0) {
            ::close(fd);
        }
        std::error_code ec;
        fs::remove_all(pattern, ec);
    }
    throw std::runtime_error("cannot make a temporary directory");
}

WorkDirectory::~WorkDirectory() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
    ::close(m_lock);
}

void copyWhatALoadReads(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    for (fs::directory_iterator it(from, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const std::optional<store::LineLimits> limits =
            limitsOf(text::utf8Path(it->path().filename()));
        if (!limits) {
            continue;
        }
        const store::LinesResult read = store::readLines(it->path(), *limits);
        // A table that cannot be read is reported if it is the one the day needs.
        if (read.status != store::ReadStatus::Ok) {
            continue;
        }
        std::string bytes;
        for (const std::string& line : read.lines) {
            bytes += line;
            bytes += "\r\n";
        }
        store::writeFileAtomically(to / it->path().filename(), bytes, store::Visibility::OwnerOnly);
    }
}

int removeStaleWorkDirectories() {
    std::error_code ec;
    const fs::path temporary = fs::temp_directory_path(ec);
    if (ec) {
        return 0;
    }
    const std::string prefix = kWorkDirectoryPrefix;
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
            link.st_uid != ::getuid()) {
            continue;
        }
        const int fd = openFolder(path);
        if (fd < 0) {
            continue;
        }
        struct stat opened {};
        // A live run holds its lock; a run killed before its end held it no longer.
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

}  // namespace orvessa::dryrun
