#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace orvessa::backends {
class TemporaryFolder;
}

// The folder a rehearsal runs in: copies of the program directory's files (the configuration,
// with its password, among them), so only its owner may enter it.
namespace orvessa::dryrun {

// Names start with this in the temporary directory.
inline constexpr const char* kWorkDirectoryPrefix = "orvessa-rehearse-";

// A folder of the run's own, mode 0700, locked while it lives so that a cleanup at the next
// start can tell it from one a killed run left behind. Removed with its content.
class WorkDirectory {
public:
    // Throws std::runtime_error when no folder can be made.
    WorkDirectory();
    ~WorkDirectory();
    WorkDirectory(const WorkDirectory&) = delete;
    WorkDirectory& operator=(const WorkDirectory&) = delete;

    const std::filesystem::path& path() const;

private:
    std::unique_ptr<backends::TemporaryFolder> m_folder;
};

// Copies into `to` what the core reads of the system's files in `from`: the first lines of each
// table, of the holiday list and of orvessa.sys, each line cut where a load cuts it. A huge or
// damaged file costs no more than the part of it a load takes. alerts.conf is copied whole; the
// state of an emergency is not.
void copyWhatALoadReads(const std::filesystem::path& from, const std::filesystem::path& to);

// Removes the work folders that runs killed before their end left in the temporary directory:
// folders of our name pattern, owned by this user, that no live run holds. Returns how many.
int removeStaleWorkDirectories();

}  // namespace orvessa::dryrun
