#include "core/text/gbk.h"

#include <gtest/gtest.h>

namespace orvessa::text {
namespace {

// GBK bytes written out by hand, so the codec is checked against the code page, not itself.
const std::string kZaocaoGbk = "\xD4\xE7\xB2\xD9";   // 早操
const std::string kGuangboGbk = "\xB9\xE3\xB2\xA5";  // 广播

TEST(GbkCodec, DecodesAndEncodesChineseAndAscii) {
    const std::string gbk = "D:\\" + kGuangboGbk + "\\" + kZaocaoGbk + ".mp3";
    EXPECT_EQ(gbkToUtf8(gbk), "D:\\广播\\早操.mp3");
    EXPECT_EQ(utf8ToGbk("D:\\广播\\早操.mp3"), gbk);
    EXPECT_EQ(gbkToUtf8(""), "");
    EXPECT_EQ(utf8ToGbk(""), "");
}

TEST(GbkCodec, FollowsCodePage936ForItsSingleBytes) {
    EXPECT_EQ(gbkToUtf8("\x80"), "€");
    EXPECT_EQ(utf8ToGbk("€"), "\x80");
    // 0xFF is a private-use character in code page 936, not an invalid byte.
    EXPECT_EQ(gbkToUtf8("\xFF"), "\xEF\xA3\xB5");
}

TEST(GbkCodec, InvalidBytesBecomeEscapesAndComeBackUnchanged) {
    // 0x7F is no trail byte; 0x81 followed by ',' is a lead byte without its trail byte; a lead
    // byte at the very end is cut off. The byte after a bad lead byte is read on its own.
    const std::string bytes = std::string("a\x81\x7F,") + "\x81," + kZaocaoGbk + "\xD4";
    const std::string utf8 = gbkToUtf8(bytes);
    EXPECT_EQ(utf8, "a\xED\xB2\x81\x7F,\xED\xB2\x81,早操\xED\xB3\x94");
    EXPECT_EQ(utf8ToGbk(utf8), bytes);
}

TEST(GbkCodec, EveryByteSequenceRoundTrips) {
    // All lead/trail pairs, the bytes that ICU maps and those it does not, in one buffer.
    std::string bytes;
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0x00; trail <= 0xFF; trail += 7) {
            bytes += static_cast<char>(lead);
            bytes += static_cast<char>(trail);
        }
    }
    EXPECT_EQ(utf8ToGbk(gbkToUtf8(bytes)), bytes);
}

TEST(GbkCodec, CountsGbkBytes) {
    EXPECT_EQ(gbkByteLength("早操 mp3"), 8u);
    EXPECT_EQ(gbkByteLength(""), 0u);
    EXPECT_EQ(gbkByteLength(gbkToUtf8("\x81")), 1u);
}

TEST(GbkCodec, TellsWhatComesBackUnchanged) {
    EXPECT_TRUE(gbkCanHold("D:\\广播\\铃.wav"));
    EXPECT_TRUE(gbkCanHold("what?"));              // a question mark of its own
    EXPECT_TRUE(gbkCanHold(gbkToUtf8("a\x81,")));  // an escaped byte goes back as itself
    EXPECT_FALSE(gbkCanHold("铃😀.wav"));
    EXPECT_FALSE(gbkCanHold("\xEC\x84\xA4"));  // Korean
    EXPECT_FALSE(gbkCanHold("caf\xE9.wav"));   // a Latin-1 name on disk, not UTF-8
}

TEST(GbkCodec, NormalisingReplacesWhatGbkCannotHold) {
    EXPECT_EQ(normaliseGbk("早操"), "早操");
    EXPECT_EQ(normaliseGbk("a😀b"), "a?b");           // outside the BMP
    EXPECT_EQ(normaliseGbk("\xE0\xA4\x85"), "?");    // Devanagari letter A
    EXPECT_EQ(normaliseGbk("x\xC3"), "x?");          // UTF-8 cut short
    EXPECT_EQ(normaliseGbk("\xC0\x80"), "??");       // overlong form
    EXPECT_EQ(normaliseGbk("\xED\xA0\x80"), "???");  // an encoded surrogate that is no escape
}

TEST(GbkCodec, TextsOfAnyLengthGoThroughWhole) {
    // Long enough to pass the converter in several pieces, with a character and an escaped byte
    // straddling every boundary a piece size could put there.
    std::string gbk;
    std::string utf8;
    for (int i = 0; i < 200000; ++i) {
        gbk += (i % 3 == 0 ? "a" : "") + kZaocaoGbk + "\x81\x7F";
        utf8 += (i % 3 == 0 ? "a" : "") + std::string("早操") + "\xED\xB2\x81\x7F";
    }
    const std::string decoded = gbkToUtf8(gbk);
    EXPECT_EQ(decoded.size(), utf8.size());
    EXPECT_TRUE(decoded == utf8);
    EXPECT_TRUE(utf8ToGbk(decoded) == gbk);
}

TEST(GbkCodec, NamesFromTheFileSystemReadAsWellFormedUtf8) {
    EXPECT_TRUE(isUtf8("广播 bell.mp3"));
    EXPECT_FALSE(isUtf8(kGuangboGbk));
    EXPECT_FALSE(isUtf8("\xED\xB2\x81"));  // an escaped byte is a surrogate
    EXPECT_FALSE(isUtf8("\xC0\xAF"));      // overlong '/'
    EXPECT_FALSE(isUtf8("\xE5\xB9"));      // cut short
    EXPECT_EQ(readableText("广播.mp3"), "广播.mp3");
    // A name from a Windows disk reads as it does there; other bytes become U+FFFD.
    EXPECT_EQ(readableText(kGuangboGbk + ".mp3"), "广播.mp3");
    EXPECT_EQ(readableText("广播\xFF\x81.mp3"), "广播\xEF\xBF\xBD\xEF\xBF\xBD.mp3");
    EXPECT_TRUE(isUtf8(readableText("caf\xE9.wav")));
}

}  // namespace
}  // namespace orvessa::text
