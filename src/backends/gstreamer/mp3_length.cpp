#include "backends/gstreamer/mp3_length.h"

namespace orvessa::backends {
namespace {

constexpr int kBitrates[2][3][16] = {
    // MPEG-1: layer I, II, III
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, -1},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, -1},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, -1}},
    // MPEG-2 and 2.5
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, -1},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, -1},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, -1}},
};
constexpr int kSampleRates[3][3] = {
    {44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

}  // namespace

std::optional<MpegAudioFrame> mpegAudioFrameAt(std::string_view b, std::size_t pos) {
    if (pos + 4 > b.size()) {
        return std::nullopt;
    }
    const uint32_t h = (static_cast<uint32_t>(static_cast<unsigned char>(b[pos])) << 24) |
                       (static_cast<uint32_t>(static_cast<unsigned char>(b[pos + 1])) << 16) |
                       (static_cast<uint32_t>(static_cast<unsigned char>(b[pos + 2])) << 8) |
                       static_cast<unsigned char>(b[pos + 3]);
    if ((h & 0xFFE00000u) != 0xFFE00000u) {
        return std::nullopt;
    }
    const int version = (h >> 19) & 3;    // 0: 2.5, 2: 2, 3: 1
    const int layerBits = (h >> 17) & 3;  // 1: III, 2: II, 3: I
    const int bitrateIndex = (h >> 12) & 0xF;
    const int rateIndex = (h >> 10) & 3;
    if (version == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 ||
        rateIndex == 3) {
        return std::nullopt;  // reserved values, and free-format frames of unknown size
    }
    const int layer = 4 - layerBits;  // 1..3
    const bool mpeg1 = version == 3;
    const int kbps = kBitrates[mpeg1 ? 0 : 1][layer - 1][bitrateIndex];
    const int rate = kSampleRates[version == 3 ? 0 : (version == 2 ? 1 : 2)][rateIndex];
    const int padding = (h >> 9) & 1;
    MpegAudioFrame f;
    f.rate = rate;
    if (layer == 1) {
        f.samples = 384;
        f.bytes = static_cast<std::size_t>((12 * kbps * 1000 / rate + padding) * 4);
    } else if (layer == 2 || mpeg1) {
        f.samples = 1152;
        f.bytes = static_cast<std::size_t>(144 * kbps * 1000 / rate + padding);
    } else {
        f.samples = 576;
        f.bytes = static_cast<std::size_t>(72 * kbps * 1000 / rate + padding);
    }
    return f;
}

std::size_t id3v2Size(std::string_view b) {
    if (b.size() < 10 || b.substr(0, 3) != "ID3") {
        return 0;
    }
    std::size_t size = 0;
    for (int i = 6; i < 10; ++i) {
        size = (size << 7) | (static_cast<unsigned char>(b[static_cast<std::size_t>(i)]) & 0x7F);
    }
    const bool footer = (static_cast<unsigned char>(b[5]) & 0x10) != 0;
    return 10 + size + (footer ? 10 : 0);
}

}  // namespace orvessa::backends
