#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/store/file_sync.h"

namespace orvessa::fakes {

// Records every request to carry a file or directory to the disk; carries nothing.
class RecordingFileSync : public store::FileSync {
public:
    std::string syncFile(const std::filesystem::path& path) override {
        calls.push_back("file " + path.string());
        if (onFile) {
            onFile(path);
        }
        return fileFailure;
    }
    std::string syncDirectory(const std::filesystem::path& directory) override {
        calls.push_back("directory " + directory.string());
        if (onDirectory) {
            onDirectory(directory);
        }
        return {};
    }

    std::vector<std::string> calls;
    // Run at each request, to look at the files as they stand then.
    std::function<void(const std::filesystem::path&)> onFile;
    std::function<void(const std::filesystem::path&)> onDirectory;
    std::string fileFailure;  // what syncFile answers: empty for success
};

}  // namespace orvessa::fakes
