#include "backends/gstreamer/wav_file.h"

#include <algorithm>
#include <fstream>

namespace orvessa::backends {
namespace {

constexpr uint16_t kPcm = 1;
constexpr uint16_t kExtensible = 0xFFFE;
// Headers with a long LIST or other chunk before the data are rare; this covers them.
constexpr std::size_t kHeadBytes = 64 * 1024;

uint16_t le16(std::string_view bytes, std::size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                 static_cast<unsigned char>(bytes[at + 1]) << 8);
}

uint32_t le32(std::string_view bytes, std::size_t at) {
    return static_cast<uint32_t>(le16(bytes, at)) | static_cast<uint32_t>(le16(bytes, at + 2))
                                                        << 16;
}

void put16(std::string& out, uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

void put32(std::string& out, uint32_t value) {
    put16(out, static_cast<uint16_t>(value & 0xFFFF));
    put16(out, static_cast<uint16_t>(value >> 16));
}

}  // namespace

bool WavFormat::isRecordable() const {
    return formatTag == kPcm && (channels == 1 || channels == 2) &&
           (bitsPerSample == 8 || bitsPerSample == 16) && sampleRate >= 1000 &&
           sampleRate <= 192000;
}

std::optional<WavInfo> parseWavHeader(std::string_view head, uint64_t fileSize) {
    if (head.size() < 12 || head.substr(0, 4) != "RIFF" || head.substr(8, 4) != "WAVE") {
        return std::nullopt;
    }
    std::optional<WavFormat> format;
    std::size_t at = 12;
    while (at + 8 <= head.size()) {
        const std::string_view id = head.substr(at, 4);
        const uint32_t size = le32(head, at + 4);
        const std::size_t body = at + 8;
        if (id == "fmt ") {
            if (size < 16 || body + 16 > head.size()) {
                return std::nullopt;
            }
            WavFormat f;
            f.formatTag = le16(head, body);
            f.channels = le16(head, body + 2);
            f.sampleRate = le32(head, body + 4);
            f.bitsPerSample = le16(head, body + 14);
            // WAVE_FORMAT_EXTENSIBLE names the real format in the first two bytes of its GUID.
            if (f.formatTag == kExtensible && size >= 40 && body + 26 <= head.size()) {
                f.formatTag = le16(head, body + 24);
            }
            format = f;
        } else if (id == "data") {
            if (!format) {
                return std::nullopt;
            }
            const uint64_t present = fileSize > body ? fileSize - body : 0;
            return WavInfo{*format, std::min<uint64_t>(size, present)};
        }
        // Chunks are padded to an even length.
        at = body + size + (size & 1U);
    }
    return std::nullopt;
}

std::optional<WavInfo> readWavInfo(const std::filesystem::path& path) {
    std::error_code ec;
    const uint64_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::string head(static_cast<std::size_t>(std::min<uint64_t>(size, kHeadBytes)), '\0');
    if (!in.read(head.data(), static_cast<std::streamsize>(head.size()))) {
        return std::nullopt;
    }
    return parseWavHeader(head, size);
}

std::string makeWavFile(const WavFormat& format, std::string_view data) {
    const auto dataLength = static_cast<uint32_t>(data.size());
    const uint32_t pad = dataLength & 1U;
    std::string out;
    out.reserve(44 + data.size() + pad);
    out += "RIFF";
    put32(out, 36 + dataLength + pad);
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, kPcm);
    put16(out, format.channels);
    put32(out, format.sampleRate);
    put32(out, format.bytesPerSecond());
    put16(out, format.blockAlign());
    put16(out, format.bitsPerSample);
    out += "data";
    put32(out, dataLength);
    out += data;
    if (pad != 0) {
        out.push_back('\0');
    }
    return out;
}

}  // namespace orvessa::backends
