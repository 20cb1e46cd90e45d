#pragma once

#include "core/store/file_sync.h"

namespace orvessa::backends {

// fsync(2) on the file or directory, opened for that alone.
class LinuxFileSync : public store::FileSync {
public:
    std::string syncFile(const std::filesystem::path& path) override;
    std::string syncDirectory(const std::filesystem::path& directory) override;
};

}  // namespace orvessa::backends
