#include "backends/gstreamer/mp3_length.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace orvessa::backends {
namespace {

// One MPEG-1 layer III frame at `kbps` and 44 100 Hz: 1152 samples.
std::string frame(int kbps, const std::string& body = {}) {
    const int index = kbps == 128 ? 9 : (kbps == 64 ? 5 : 14);  // 128, 64 or 320 kbit/s
    std::string f(144 * kbps * 1000 / 44100, '\0');
    f[0] = static_cast<char>(0xFF);
    f[1] = static_cast<char>(0xFB);
    f[2] = static_cast<char>(index << 4);
    f[3] = 0x40;
    f.replace(36, body.size(), body);
    return f;
}

TEST(Mp3Length, WalksFramesOfEveryBitrate) {
    std::string bytes;
    for (int i = 0; i < 100; ++i) {
        bytes += frame(i % 3 == 0 ? 320 : (i % 3 == 1 ? 128 : 64));
    }
    // 100 frames of 1152 samples at 44 100 Hz.
    EXPECT_EQ(mpegAudioLength(bytes), 2612);
}

TEST(Mp3Length, SkipsTagsAndTheEncodersInfoFrame) {
    std::string body;
    for (int i = 0; i < 50; ++i) {
        body += frame(128);
    }
    std::string id3 = std::string("ID3\x03\x00\x00\x00\x00\x01\x00", 10) + std::string(128, 'x');
    std::string v1 = "TAG" + std::string(125, ' ');
    EXPECT_EQ(mpegAudioLength(id3 + frame(128, "Xing") + body + v1), 1306);
    // A couple of stray bytes between frames do not stop the walk.
    EXPECT_EQ(mpegAudioLength(body.substr(0, 417 * 10) + "ab" + body.substr(417 * 10)), 1306);
}

TEST(Mp3Length, AFileIsWalkedInPiecesWithTheSameResult) {
    // A tag larger than a piece, then frames whose boundaries fall anywhere in the pieces, and
    // stray bytes between them.
    const std::size_t tagSize = 1536 * 1024;
    std::string id3 = "ID3\x03";
    id3 += std::string(2, '\0');
    for (int shift = 21; shift >= 0; shift -= 7) {
        id3.push_back(static_cast<char>((tagSize >> shift) & 0x7F));
    }
    // Holding what looks like frames, as a tag's embedded picture may.
    std::string inside;
    while (inside.size() < tagSize) {
        inside += frame(64);
    }
    id3 += inside.substr(0, tagSize);
    std::string bytes = id3 + frame(128, "Info");
    for (int i = 0; i < 12000; ++i) {
        bytes += frame(i % 3 == 0 ? 320 : (i % 3 == 1 ? 128 : 64));
        if (i % 1000 == 999) {
            bytes += "ab";
        }
    }
    testing::TempDir dir;
    testing::writeBytes(dir / "long.mp3", bytes);
    const auto whole = mpegAudioLength(bytes);
    ASSERT_TRUE(whole.has_value());
    EXPECT_EQ(*whole, 313469) << "12000 frames of 1152 samples at 44 100 Hz";
    EXPECT_EQ(mpegAudioFileLength(dir / "long.mp3"), whole);
}

TEST(Mp3Length, OtherBytesHaveNoLength) {
    EXPECT_FALSE(mpegAudioLength("").has_value());
    EXPECT_FALSE(mpegAudioLength("This is a text file, not an MP3.\r\n").has_value());
    EXPECT_FALSE(mpegAudioLength(frame(128)).has_value()) << "one frame is no run";
    EXPECT_FALSE(mpegAudioFileLength("/nonexistent/a.mp3").has_value());
}

}  // namespace
}  // namespace orvessa::backends
