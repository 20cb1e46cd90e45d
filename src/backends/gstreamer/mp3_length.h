#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace orvessa::backends {

// One MPEG audio frame (any layer) as its header describes it.
struct MpegAudioFrame {
    std::size_t bytes = 0;
    int samples = 0;
    int rate = 0;
};

// The frame whose header starts at `pos`; nothing when no valid header of known size is there.
std::optional<MpegAudioFrame> mpegAudioFrameAt(std::string_view bytes, std::size_t pos);

// The bytes an ID3v2 tag takes at the start, 0 when the bytes do not start with one.
std::size_t id3v2Size(std::string_view bytes);

// The length in milliseconds of MPEG audio (an MP3 file) by walking its frame headers, which
// gives the true length of variable-bitrate files without a length header. Nothing when the
// bytes hold no run of MPEG audio frames.
std::optional<int64_t> mpegAudioLength(std::string_view bytes);

// The same for a file; nothing also when it cannot be read.
std::optional<int64_t> mpegAudioFileLength(const std::filesystem::path& file);

}  // namespace orvessa::backends
