#include "backends/gstreamer/stream_length.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace orvessa::backends {
namespace {

// An ADTS frame of `bytes` bytes: MPEG-4 AAC LC, stereo, with or without a CRC.
std::string adtsFrame(int rateIndex, int blocks, bool crc, std::size_t bytes) {
    std::string f(bytes, '\0');
    f[0] = static_cast<char>(0xFF);
    f[1] = static_cast<char>(crc ? 0xF0 : 0xF1);
    f[2] = static_cast<char>(0x40 | (rateIndex << 2));
    f[3] = static_cast<char>(0x80 | ((bytes >> 11) & 3));
    f[4] = static_cast<char>((bytes >> 3) & 0xFF);
    f[5] = static_cast<char>(((bytes & 7) << 5) | 0x1F);
    f[6] = static_cast<char>(0xFC | (blocks - 1));
    return f;
}

// An AC-3 sync frame; `bytes` is what the standard's frame size table gives for the codes.
std::string ac3Frame(int rateCode, int sizeCode, std::size_t bytes) {
    std::string f(bytes, '\0');
    f[0] = 0x0B;
    f[1] = 0x77;
    f[4] = static_cast<char>((rateCode << 6) | sizeCode);
    f[5] = static_cast<char>(8 << 3);
    f.replace(bytes - 2, 2, "\x0B\x77");  // a check word that reads as a sync word
    return f;
}

// One case per framing a muxer does not make: a tag, stray bytes and two blocks with a CRC in
// ADTS; AC-3 at 44.1 kHz, where an odd size code is one word longer.
TEST(StreamLength, RawAudioFramesGiveTheirSamplesLength) {
    const std::string id3 =
        std::string("ID3\x03\x00\x00\x00\x00\x00\x20", 10) + std::string(32, 'x');
    // 50 frames of 2048 samples at 48 kHz.
    std::string adts;
    for (int i = 0; i < 50; ++i) {
        adts += adtsFrame(3, 2, true, 300);
    }
    EXPECT_EQ(adtsLength(id3 + adts.substr(0, 2000) + "ab" + adts.substr(2000)), 2133);
    // 100 frames of 1536 samples at 44.1 kHz and 192 kbit/s.
    std::string ac3;
    for (int i = 0; i < 100; ++i) {
        ac3 += ac3Frame(1, 20 + i % 2, 834 + 2 * (i % 2));
    }
    EXPECT_EQ(ac3Length(ac3), 3483);

    EXPECT_FALSE(adtsLength(adtsFrame(4, 1, false, 200))) << "one frame proves nothing";
    EXPECT_FALSE(ac3Length("This is a text file, not AC-3.\r\n"));
    EXPECT_FALSE(adtsLength(ac3));
}

// MPEG-1 system stream pieces, as on a Video CD.
std::string pts(int prefix, uint64_t t) {
    return {static_cast<char>((prefix << 4) | (((t >> 30) & 7) << 1) | 1),
            static_cast<char>((t >> 22) & 0xFF), static_cast<char>((((t >> 15) & 0x7F) << 1) | 1),
            static_cast<char>((t >> 7) & 0xFF), static_cast<char>(((t & 0x7F) << 1) | 1)};
}

std::string packet(unsigned id, std::optional<uint64_t> time, const std::string& payload) {
    // A decoder buffer size, then a time stamp or the "none" marker.
    const std::string header = std::string("\x60\x2E", 2) + (time ? pts(2, *time) : "\x0F");
    const std::size_t length = header.size() + payload.size();
    return std::string("\0\0\1", 3) + static_cast<char>(id) + static_cast<char>(length >> 8) +
           static_cast<char>(length & 0xFF) + header + payload;
}

std::string pack() {
    return std::string("\0\0\1\xBA", 4) + pts(2, 0) + std::string("\x80\x1B\x83", 3);
}

// An MPEG-1 layer II frame at 44.1 kHz and 192 kbit/s: 1152 samples in 626 bytes.
std::string layer2Frame() {
    std::string f(626, '\x55');
    f[0] = static_cast<char>(0xFF);
    f[1] = static_cast<char>(0xFD);
    f[2] = static_cast<char>(0xA0);
    f[3] = 0x00;
    return f;
}

TEST(StreamLength, ProgramStreamRunsFromTheFirstTimeStampToTheEndOfTheLastFrame) {
    constexpr double kFrameTicks = 1152 * 90000.0 / 44100;
    const std::string sequenceHeader("\0\0\1\xB3\x16\x00\xF0\x13", 8);  // 25 frames/s
    // A Video CD file puts each pack in a sector with a header and a check sum of its own.
    const std::string sectorHeader = std::string("\0", 1) + std::string(10, '\xFF') +
                                     std::string("\0\0\2\0\2\1\1\x62\0\1\1\x62\0", 13);
    const std::string checkSum = "\x12\x34\x56\x78";
    std::string stream;
    std::string sectors;
    // 50 pictures from 0.1 s, and 2 sound frames to a packet, the last packet without a time.
    for (int k = 0; k <= 50; ++k) {
        std::string packs = pack();
        if (k < 50) {
            packs += packet(0xE0, 9000 + 3600 * k,
                            (k == 0 ? sequenceHeader : "") + std::string(400, '\xAA'));
        }
        if (k < 40) {
            const auto time = static_cast<uint64_t>(std::llround(9000 + 2 * k * kFrameTicks));
            packs += packet(0xC0, time, layer2Frame() + layer2Frame());
        }
        if (k == 50) {
            packs += packet(0xC0, std::nullopt, layer2Frame()) + std::string("\0\0\1\xB9", 4);
        }
        stream += packs;
        sectors += sectorHeader + packs + checkSum;
    }

    // 81 sound frames (2116 ms) outlast 50 pictures (2000 ms); the tail starts inside a packet.
    for (const std::string_view bytes : {std::string_view(stream), std::string_view(sectors)}) {
        EXPECT_EQ(programStreamLength(bytes.substr(0, 4096), bytes.substr(bytes.size() / 2 + 7)),
                  2116);
    }
    EXPECT_FALSE(programStreamLength(std::string(5000, '\xAA'), std::string(5000, '\xAA')));
}

}  // namespace
}  // namespace orvessa::backends
