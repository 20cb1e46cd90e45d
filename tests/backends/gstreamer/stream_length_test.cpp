#include "backends/gstreamer/stream_length.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
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
    return f;
}

std::string repeat(int times, const std::function<std::string(int)>& frame) {
    std::string bytes;
    for (int i = 0; i < times; ++i) {
        bytes += frame(i);
    }
    return bytes;
}

TEST(StreamLength, RawAudioFramesGiveTheirSamplesLength) {
    const std::string id3 =
        std::string("ID3\x03\x00\x00\x00\x00\x00\x20", 10) + std::string(32, 'x');
    const std::string adts = repeat(100, [](int) { return adtsFrame(4, 1, false, 200); });
    // 192 kbit/s; each frame ends in its check word, which here reads as a sync word.
    const std::string ac3At44k = repeat(100, [](int i) {
        std::string frame = i % 2 == 0 ? ac3Frame(1, 20, 834) : ac3Frame(1, 21, 836);
        frame.replace(frame.size() - 2, 2, "\x0B\x77");
        return frame;
    });
    struct Case {
        const char* name;
        std::function<std::optional<int64_t>(std::string_view)> length;
        std::string bytes;
        std::optional<int64_t> expected;
    };
    const Case cases[] = {
        // 100 frames of 1024 samples at 44.1 kHz.
        {"ADTS", adtsLength, adts, 2322},
        {"ADTS after a tag and with stray bytes", adtsLength,
         id3 + adts.substr(0, 2000) + "ab" + adts.substr(2000), 2322},
        // Two raw data blocks (2048 samples) a frame at 48 kHz, with a CRC.
        {"ADTS of two blocks", adtsLength,
         repeat(50, [](int) { return adtsFrame(3, 2, true, 300); }), 2133},
        {"AC-3 at 48 kHz", ac3Length, repeat(100, [](int) { return ac3Frame(0, 20, 768); }), 3200},
        {"AC-3 at 32 kHz", ac3Length, repeat(100, [](int) { return ac3Frame(2, 20, 1152); }), 4800},
        // Frames of 1536 samples; an odd size code is one word longer.
        {"AC-3 at 44.1 kHz", ac3Length, ac3At44k, 3483},
        {"one ADTS frame", adtsLength, adtsFrame(4, 1, false, 200), std::nullopt},
        {"text as AC-3", ac3Length, "This is a text file, not AC-3.\r\n", std::nullopt},
        {"AC-3 as ADTS", adtsLength, ac3At44k, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.length(c.bytes), c.expected) << c.name;
    }
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
        EXPECT_EQ(programStreamLength(bytes, bytes), 2116);
    }
    EXPECT_FALSE(programStreamLength(std::string(5000, '\xAA'), std::string(5000, '\xAA')));
}

}  // namespace
}  // namespace orvessa::backends
