#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orvessa::backends {

// The sample format of a WAV file, as its "fmt " chunk gives it.
struct WavFormat {
    uint16_t formatTag = 0;  // 1 for PCM (an extensible header's subformat counts)
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint16_t bitsPerSample = 0;

    uint16_t blockAlign() const { return static_cast<uint16_t>(channels * (bitsPerSample / 8)); }
    uint32_t bytesPerSecond() const { return sampleRate * blockAlign(); }
    // What this device can record into: PCM of 8 or 16 bits, one or two channels.
    bool isRecordable() const;
};

struct WavInfo {
    WavFormat format;
    // Bytes of sample data the file holds: the declared data length, cut to what is present.
    uint64_t dataBytes = 0;
};

// Reads the RIFF header at the start of a file of `fileSize` bytes, `head` being its first bytes
// (enough to reach the "data" chunk). Empty when it is not a WAV file or the header is broken.
std::optional<WavInfo> parseWavHeader(std::string_view head, uint64_t fileSize);

// The same for a file on disk; empty also when the file cannot be read.
std::optional<WavInfo> readWavInfo(const std::filesystem::path& path);

// A whole PCM WAV file: the 44-byte header, then `data`, padded to an even length as RIFF asks.
std::string makeWavFile(const WavFormat& format, std::string_view data);

}  // namespace orvessa::backends
