#include "dryrun/work_directory.h"

#include <optional>
#include <stdexcept>
#include <system_error>

#include "backends/linux/temporary_folder.h"
#include "core/alerts/alert_settings.h"
#include "core/store/file_io.h"
#include "core/store/school_calendar.h"
#include "core/store/system_config.h"
#include "core/store/table_file.h"
#include "core/text/paths.h"

namespace orvessa::dryrun {
namespace {

namespace fs = std::filesystem;

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

// The alarm file and the notices folder are the real ones; taken whole, as a start-up reads it.
constexpr std::size_t kMaxAlertSettingsBytes = 64 * 1024;

}  // namespace

WorkDirectory::WorkDirectory()
    : m_folder(std::make_unique<backends::TemporaryFolder>(kWorkDirectoryPrefix)) {
    if (!m_folder->valid()) {
        throw std::runtime_error("cannot make a temporary directory");
    }
}

WorkDirectory::~WorkDirectory() = default;

const fs::path& WorkDirectory::path() const {
    return m_folder->path();
}

void copyWhatALoadReads(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    for (fs::directory_iterator it(from, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        // An emergency the system is in is no part of a rehearsal, which shows the table and
        // the drills it is asked for: emergency.state stays behind.
        if (it->path().filename() == alerts::AlertSettingsFile::kFileName) {
            const store::ReadResult read = store::readWholeFile(it->path(), kMaxAlertSettingsBytes);
            if (read.status == store::ReadStatus::Ok) {
                store::writeFileAtomically(to / it->path().filename(), read.bytes,
                                           store::Visibility::OwnerOnly);
            }
            continue;
        }
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
    return backends::removeStaleTemporaryFolders(kWorkDirectoryPrefix);
}

}  // namespace orvessa::dryrun
