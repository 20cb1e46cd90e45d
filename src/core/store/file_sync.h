#pragma once

#include <filesystem>
#include <string>

namespace orvessa::store {

// Carries what was written through the operating system's caches onto the disk, so that a
// power cut keeps it as a crash of the program would.
class FileSync {
public:
    virtual ~FileSync() = default;
    // Returns once the content of the regular file `path` is on the disk: empty text, or why it
    // could not be. A link at `path` is not followed.
    virtual std::string syncFile(const std::filesystem::path& path) = 0;
    // The same for the names in `directory`, so that a file created or renamed there stays.
    virtual std::string syncDirectory(const std::filesystem::path& directory) = 0;
};

}  // namespace orvessa::store
