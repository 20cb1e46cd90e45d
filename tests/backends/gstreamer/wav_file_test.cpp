#include "backends/gstreamer/wav_file.h"

#include <gtest/gtest.h>

namespace orvessa::backends {
namespace {

std::string chunk(std::string_view id, std::string_view body) {
    std::string out(id);
    const auto size = static_cast<uint32_t>(body.size());
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>(size >> (8 * i) & 0xFF));
    }
    out += body;
    if (body.size() % 2 != 0) {
        out.push_back('\0');
    }
    return out;
}

TEST(WavFile, HeaderIsFoundPastOtherChunksAndTheDataIsCutToWhatIsThere) {
    const std::string fmt = makeWavFile(WavFormat{1, 2, 22050, 16}, "").substr(20, 16);
    // An odd-sized LIST chunk with its pad byte, then a data chunk that claims more than it has.
    const std::string file = std::string("RIFF\0\0\0\0WAVE", 12) + chunk("fmt ", fmt) +
                             chunk("LIST", "INFOabc") + "data" +
                             std::string("\x00\x10\x00\x00", 4) + std::string(100, 'x');
    const auto info = parseWavHeader(file, file.size());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->format.channels, 2);
    EXPECT_EQ(info->format.sampleRate, 22050U);
    EXPECT_EQ(info->format.bitsPerSample, 16);
    EXPECT_TRUE(info->format.isRecordable());
    EXPECT_EQ(info->dataBytes, 100U);

    EXPECT_FALSE(parseWavHeader("ID3\x03 not a wave file at all", 30));
    EXPECT_FALSE(parseWavHeader(std::string_view("RIFF\0\0\0\0AVI LIST\0\0\0\0", 20), 20));
}

TEST(WavFile, TheFormatOfAnExtensibleHeaderIsItsSubformat) {
    std::string fmt = makeWavFile(WavFormat{1, 2, 48000, 16}, "").substr(20, 16);
    fmt.replace(0, 2, std::string("\xFE\xFF", 2));
    fmt += std::string("\x16\x00\x10\x00\x03\x00\x00\x00", 8);  // size, valid bits, mask
    std::string file = std::string("RIFF\0\0\0\0WAVE", 12) +
                       chunk("fmt ", fmt + std::string(16, '\0')) + chunk("data", "abcd");
    file[12 + 8 + 24] = '\x01';  // the subformat GUID begins with the PCM tag

    const auto pcm = parseWavHeader(file, file.size());
    ASSERT_TRUE(pcm);
    EXPECT_EQ(pcm->format.formatTag, 1);
    EXPECT_TRUE(pcm->format.isRecordable());

    file[12 + 8 + 24] = '\x03';  // floating point
    EXPECT_FALSE(parseWavHeader(file, file.size())->format.isRecordable());
}

TEST(WavFile, AnOddDataLengthIsPaddedAndCountedInTheRiffLength) {
    const std::string file = makeWavFile(WavFormat{1, 1, 11025, 8}, "abc");
    ASSERT_EQ(file.size(), 48U);
    EXPECT_EQ(static_cast<unsigned char>(file[4]), 40);  // RIFF length: 36 + 3 + pad
    EXPECT_EQ(static_cast<unsigned char>(file[40]), 3);  // data length without the pad
    EXPECT_EQ(file.back(), '\0');
    EXPECT_EQ(parseWavHeader(file, file.size())->dataBytes, 3U);
}

}  // namespace
}  // namespace orvessa::backends
