#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace orvessa::backends {

// Lengths in milliseconds of media whose container tells none, found from their own framing.
// The framework only estimates these from the bitrate of the first frames, which cuts items short
// or holds the clock; the frames themselves give the length a decoder reaches.

// Raw AAC in ADTS frames (".aac"): 1024 samples for each raw data block of a frame. Nothing when
// the bytes hold no run of ADTS frames.
std::optional<int64_t> adtsLength(std::string_view bytes);

// Raw AC-3 (".ac3"): 1536 samples per sync frame. Nothing when the bytes hold no run of frames.
std::optional<int64_t> ac3Length(std::string_view bytes);

// An MPEG-1 or MPEG-2 program stream (".mpg", ".dat"), from the time stamps of its packets: from
// the earliest in `head`, the first bytes of the file, to the end of the last frame each stream
// starts in `tail`, the last bytes (the same bytes for a small file). Nothing without time stamps.
std::optional<int64_t> programStreamLength(std::string_view head, std::string_view tail);

enum class Framing { MpegAudio, Adts, Ac3, ProgramStream };

// The length of a file of that framing; nothing also when it cannot be read, or when it is too
// large to read whole at an open (raw audio only; a program stream is read at both ends).
std::optional<int64_t> framedFileLength(const std::filesystem::path& file, Framing framing);

}  // namespace orvessa::backends
