#pragma once

#include <filesystem>
#include <string>

namespace orvessa::backends {

// A folder of the process's own in the temporary directory ($TMPDIR, else /tmp), mode 0700,
// named `prefix` and six random characters. It holds a lock (flock on the folder) while it
// lives, so that a sweep at a later start tells it from one a killed process left behind; it is
// removed with its content when destroyed.
class TemporaryFolder {
public:
    // An invalid folder (empty path) when none can be made.
    explicit TemporaryFolder(const std::string& prefix);
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    bool valid() const { return !m_path.empty(); }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
    int m_lock = -1;
};

// Removes the folders named `prefix` and six characters in the temporary directory that are
// this user's own and that no living process holds: those of processes ended by a signal or a
// power cut. Other users' folders and links are never touched. Returns how many went.
int removeStaleTemporaryFolders(const std::string& prefix);

}  // namespace orvessa::backends
