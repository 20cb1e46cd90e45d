#include "core/store/ini_profile.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace orvessa::store {
namespace {

using orvessa::testing::readBytes;
using orvessa::testing::TempDir;
using orvessa::testing::writeBytes;

TEST(IniDocument, FindsSectionsAndKeysWithoutRegardToCase) {
    const IniDocument doc(
        "top=ignored\r\n"
        "[Font]\r\n"
        "Name = 宋体 \r\n"
        "SIZE=12\r\n"
        "quoted=\" padded \"\r\n"
        "[font]\r\n"
        "Name=second section is never read\r\n"
        "[panel]\r\n"
        "Color=-2147483640\r\n");
    EXPECT_EQ(doc.value("font", "name"), "宋体");
    EXPECT_EQ(doc.value("FONT", "size"), "12");
    EXPECT_EQ(doc.value("Font", "quoted"), " padded ");
    EXPECT_EQ(doc.value("Panel", "color"), "-2147483640");
    EXPECT_EQ(doc.value("Font", "Color"), std::nullopt);
    EXPECT_EQ(doc.value("none", "top"), std::nullopt);
    EXPECT_EQ(doc.value("", "top"), std::nullopt);
}

TEST(IniDocument, WritesInPlaceAtTheEndOfTheSectionOrInANewSection) {
    IniDocument doc(
        "; kept comment\r\n"
        "[Font]\r\n"
        "name=Old\r\n"
        "\r\n"
        "[panel]\r\n"
        "Color=0\r\n");
    doc.setValue("FONT", "Name", "新宋体");
    doc.setValue("font", "Bold", "1");
    doc.setValue("mci extensions", "dat", "MPEGVideo");
    EXPECT_EQ(doc.text(),
              "; kept comment\r\n"
              "[Font]\r\n"
              "name=新宋体\r\n"
              "Bold=1\r\n"
              "\r\n"
              "[panel]\r\n"
              "Color=0\r\n"
              "[mci extensions]\r\n"
              "dat=MPEGVideo\r\n");
}

TEST(ProfileFile, MissingFileReadsDefaultsAndIsCreatedByTheFirstWrite) {
    TempDir dir;
    const ProfileFile ini(dir / "fontinfo.ini");
    EXPECT_EQ(ini.readString("Font", "Name", "MS Sans Serif"), "MS Sans Serif");
    EXPECT_EQ(ini.readInteger("Font", "Size", 8), 8);
    EXPECT_FALSE(ini.readBool("Font", "Bold", false));
    EXPECT_FALSE(std::filesystem::exists(dir / "fontinfo.ini"));

    ASSERT_TRUE(ini.writeString("Font", "Name", "宋体"));
    ASSERT_TRUE(ini.writeInteger("Font", "Size", 12));
    ASSERT_TRUE(ini.writeBool("Font", "Italic", true));
    ASSERT_TRUE(ini.writeInteger("panel", "Color", -2147483640LL));
    EXPECT_EQ(readBytes(dir / "fontinfo.ini"),
              "[Font]\r\nName=\xCB\xCE\xCC\xE5\r\nSize=12\r\nItalic=1\r\n"
              "[panel]\r\nColor=-2147483640\r\n");
    EXPECT_EQ(ini.readString("font", "NAME", ""), "宋体");
    EXPECT_EQ(ini.readInteger("Font", "Size", 8), 12);
    EXPECT_TRUE(ini.readBool("Font", "Italic", false));
    EXPECT_EQ(ini.readInteger("panel", "Color", 0), -2147483640);
}

TEST(ProfileFile, NonNumbersReadAsTheDefaultAndOtherBytesSurviveAWrite) {
    TempDir dir;
    // A face name with a byte that is not GBK, which must come back unchanged.
    const std::string original = "[Font]\r\nName=\x81\x7F\r\nSize=big\r\n";
    writeBytes(dir / "fontinfo.ini", original);
    const ProfileFile ini(dir / "fontinfo.ini");
    EXPECT_EQ(ini.readInteger("Font", "Size", 8), 8);
    ASSERT_TRUE(ini.writeInteger("Font", "Size", 9));
    EXPECT_EQ(readBytes(dir / "fontinfo.ini"), "[Font]\r\nName=\x81\x7F\r\nSize=9\r\n");
}

TEST(ProfileFile, FailedWriteIsReported) {
    TempDir dir;
    EXPECT_FALSE(ProfileFile(dir / "no-dir" / "f.ini").writeString("a", "b", "c"));
    std::filesystem::create_directory(dir / "d.ini");
    EXPECT_FALSE(ProfileFile(dir / "d.ini").writeString("a", "b", "c"));
}

TEST(ProfileFile, AFontIsOneRewriteAndAFileThatCannotBeReadIsNeverRewritten) {
    TempDir dir;
    writeBytes(dir / "fontinfo.ini", "; mine\r\n[Font]\r\nName=Old\r\n[Panel]\r\nColor=5\r\n");
    const ProfileFile ini(dir / "fontinfo.ini");
    ASSERT_TRUE(ini.writeStrings("Font", {{"Name", "宋体"}, {"Size", "28"}, {"Bold", "1"}}));
    EXPECT_EQ(readBytes(dir / "fontinfo.ini"),
              "; mine\r\n[Font]\r\nName=\xCB\xCE\xCC\xE5\r\nSize=28\r\nBold=1\r\n"
              "[Panel]\r\nColor=5\r\n");

    // Too large to be a profile of the system: read as empty, and left as it is.
    const std::string large =
        "[Font]\r\nSize=9\r\n" + std::string(ProfileFile::kMaxProfileBytes, ';');
    writeBytes(dir / "fontinfo.ini", large);
    EXPECT_EQ(ini.readInteger("Font", "Size", 8), 8);
    const WriteResult refused = ini.writeString("Font", "Size", "12");
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.error.find("fontinfo.ini"), std::string::npos);
    EXPECT_EQ(readBytes(dir / "fontinfo.ini"), large);
}

}  // namespace
}  // namespace orvessa::store
