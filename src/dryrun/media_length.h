#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace orvessa::backends {
class GstMediaDevice;
}

namespace orvessa::dryrun {

// Learns the length of media files from the real media framework, opening each file once with
// silent sinks. The framework starts only when the first file is asked about.
class MediaLengths {
public:
    // `mediaProfile` is the multimedia profile the playing device would read.
    explicit MediaLengths(std::filesystem::path mediaProfile);
    ~MediaLengths();
    MediaLengths(const MediaLengths&) = delete;
    MediaLengths& operator=(const MediaLengths&) = delete;

    // Milliseconds, or nothing when the framework cannot open the file (a native path).
    std::optional<int64_t> lengthOf(const std::string& path);

private:
    std::filesystem::path m_mediaProfile;
    std::unique_ptr<backends::GstMediaDevice> m_device;
    std::map<std::string, std::optional<int64_t>> m_known;
};

}  // namespace orvessa::dryrun
