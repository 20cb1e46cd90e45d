#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace orvessa::backends {

// The length in milliseconds of MPEG audio (an MP3 file) by walking its frame headers, which
// gives the true length of variable-bitrate files without a length header. Nothing when the
// bytes hold no run of MPEG audio frames.
std::optional<int64_t> mpegAudioLength(std::string_view bytes);

// The same for a file; nothing also when it cannot be read.
std::optional<int64_t> mpegAudioFileLength(const std::filesystem::path& file);

}  // namespace orvessa::backends
