#include "core/skins/lzhuf.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string_view>
#include <vector>

namespace orvessa::skins {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    Bytes bytes(size);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(generator());
    }
    return bytes;
}

// Text-like runs, long repeats reaching back across the whole ring, and stretches of noise, as
// in a skin's description and bitmaps.
Bytes mixedBytes(std::size_t size) {
    std::mt19937 generator(7);
    Bytes bytes;
    while (bytes.size() < size) {
        switch (generator() % 3) {
            case 0:
                for (char c : std::string_view("[TitlebarSkin]\r\nSkinName=Blue\r\n")) {
                    bytes.push_back(static_cast<std::uint8_t>(c));
                }
                break;
            case 1:
                if (bytes.size() > 4096) {
                    const std::size_t from = bytes.size() - 4000 + generator() % 3000;
                    for (std::size_t i = 0; i < 100; ++i) {
                        bytes.push_back(bytes[from + i]);
                    }
                }
                break;
            default:
                for (int i = 0; i < 50; ++i) {
                    bytes.push_back(static_cast<std::uint8_t>(generator() % 7));
                }
        }
    }
    bytes.resize(size);
    return bytes;
}

Bytes roundTrip(const Bytes& data) {
    const auto packed = lzhuf::encode(data);
    EXPECT_TRUE(packed.ok()) << packed.error();
    const auto unpacked = lzhuf::decode(packed.value());
    EXPECT_TRUE(unpacked.ok()) << unpacked.error();
    return unpacked.value();
}

TEST(Lzhuf, GivesBackWhatItPacked) {
    const std::vector<Bytes> inputs = {
        {},
        {'x'},
        bytesOf("ab"),
        bytesOf(std::string(61, ' ')),  // all of it matches the initial spaces
        Bytes(5000, 0xAA),              // one byte repeated past a full ring
        randomBytes(10'000, 1),         // nothing to match
        mixedBytes(600'000),            // long enough to rebuild the code many times
        randomBytes(70'000, 2),         // every symbol frequency grows large
    };
    for (const Bytes& input : inputs) {
        EXPECT_EQ(roundTrip(input), input) << input.size() << " bytes";
    }
}

TEST(Lzhuf, PacksRepeatsSmall) {
    const Bytes text = bytesOf(std::string(100'000, 'a'));
    const auto packed = lzhuf::encode(text);
    ASSERT_TRUE(packed.ok());
    EXPECT_EQ(Bytes(packed.value().begin(), packed.value().begin() + 4),
              (Bytes{0xA0, 0x86, 0x01, 0x00}));
    EXPECT_LT(packed.value().size(), 3000u);
}

// Worked out by hand from the initial code: the first leaf of depth 8 ("t") has the code
// 00000000, the last of depth 9 ("s") 111111111, the match length 60 11000101. A position is
// 000 for its upper bits 0, then its lower 6 bits: 0 (the byte just before) or 59 (the oldest of
// the initial spaces, the last of them to be entered in the match tree).
TEST(Lzhuf, MatchesHandWorkedStreams) {
    EXPECT_EQ(lzhuf::encode(bytesOf("t")).value(), (Bytes{1, 0, 0, 0, 0x00}));
    EXPECT_EQ(lzhuf::encode(bytesOf(std::string(60, ' '))).value(),
              (Bytes{60, 0, 0, 0, 0xC5, 0b0001'1101, 0b1000'0000}));

    EXPECT_EQ(lzhuf::decode(Bytes{1, 0, 0, 0, 0xFF, 0x80}).value(), bytesOf("s"));
    // The ninth bit is missing and reads as 0.
    EXPECT_EQ(lzhuf::decode(Bytes{1, 0, 0, 0, 0xFF}).value(), bytesOf("r"));
    EXPECT_EQ(lzhuf::decode(Bytes{60, 0, 0, 0, 0xC5}).value(), bytesOf(std::string(60, ' ')));
    // A match is cut at the declared length.
    EXPECT_EQ(lzhuf::decode(Bytes{5, 0, 0, 0, 0xC5}).value(), bytesOf("     "));
}

TEST(Lzhuf, DamagedPackagesEndInTheirDeclaredLength) {
    // A stream with nothing after its header, and one cut short, still give their length.
    EXPECT_EQ(lzhuf::decode(Bytes{0x00, 0x00, 0x02, 0x00}).value().size(), 0x20000u);
    Bytes cut = lzhuf::encode(mixedBytes(50'000)).value();
    cut.resize(cut.size() / 2);
    EXPECT_EQ(lzhuf::decode(cut).value().size(), 50'000u);
    // Noise decodes to something of its declared length.
    Bytes noise = randomBytes(2000, 3);
    noise[0] = 0x10, noise[1] = 0x27, noise[2] = 0, noise[3] = 0;
    EXPECT_EQ(lzhuf::decode(noise).value().size(), 10'000u);

    EXPECT_FALSE(lzhuf::decode(Bytes{1, 0, 0}).ok());
    // A lying length is refused before anything is allocated.
    const auto huge = lzhuf::decode(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0});
    ASSERT_FALSE(huge.ok());
    EXPECT_NE(huge.error().find("4294967295"), std::string::npos);
    EXPECT_FALSE(lzhuf::decode(Bytes{1, 0, 0, 1}).ok());  // one byte over the limit
}

}  // namespace
}  // namespace orvessa::skins
