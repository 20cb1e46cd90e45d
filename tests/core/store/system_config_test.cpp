#include "core/store/system_config.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "core/store/file_io.h"
#include "support/temp_dir.h"

namespace orvessa::store {
namespace {

using orvessa::testing::readBytes;
using orvessa::testing::TempDir;
using orvessa::testing::writeBytes;

std::string numberedLines(int count) {
    std::string s;
    for (int i = 0; i < count; ++i) {
        s += "line" + std::to_string(i) + "\r\n";
    }
    return s;
}

TEST(SystemConfig, ShortFileLeavesTheLastEntriesEmptyAndSavesTwentySevenLines) {
    TempDir dir;
    writeBytes(dir / "orvessa.sys", numberedLines(20));
    SystemConfig config(dir.path());
    ASSERT_EQ(config.load(), SystemConfig::LoadStatus::Loaded);
    EXPECT_EQ(config.entry(19), "line19");
    EXPECT_EQ(config.entry(20), "");
    EXPECT_EQ(config.entry(26), "");
    ASSERT_TRUE(config.save());
    std::string expected = numberedLines(20);
    for (int k = 20; k < 27; ++k) {
        expected += "\r\n";
    }
    EXPECT_EQ(readBytes(dir / "orvessa.sys"), expected);
}

TEST(SystemConfig, LongFileLoadsTwentySevenLines) {
    TempDir dir;
    writeBytes(dir / "orvessa.sys", numberedLines(31));
    SystemConfig config(dir.path());
    ASSERT_EQ(config.load(), SystemConfig::LoadStatus::Loaded);
    EXPECT_EQ(config.entry(26), "line26");
    EXPECT_EQ(config.entry(27), "") << "there is no entry 27";
    ASSERT_TRUE(config.save());
    EXPECT_EQ(readBytes(dir / "orvessa.sys"), numberedLines(27));
}

TEST(SystemConfig, AHugeFileLoadsItsEntriesWithoutReadingTheRest) {
    // 27 entries, then a sparse gigabyte and a half: only the entries are read.
    TempDir dir;
    writeBytes(dir / "orvessa.sys", numberedLines(27));
    const int fd = open((dir / "orvessa.sys").c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, off_t{3} << 29), 0);
    close(fd);
    SystemConfig config(dir.path());
    ASSERT_EQ(config.load(), SystemConfig::LoadStatus::Loaded);
    EXPECT_EQ(config.entry(0), "line0");
    EXPECT_EQ(config.entry(26), "line26");

    // One endless line keeps its first bytes.
    writeBytes(dir / "orvessa.sys", std::string(SystemConfig::kMaxEntryBytes + 100, 'p'));
    ASSERT_EQ(config.load(), SystemConfig::LoadStatus::Loaded);
    EXPECT_EQ(config.entry(0).size(), SystemConfig::kMaxEntryBytes);
    EXPECT_EQ(config.entry(1), "");
}

TEST(SystemConfig, ChangingOneEntryRewritesNoOtherByte) {
    // Entry 0 a GBK password, entry 1 reserved with bytes that are not GBK, entry 20 Chinese.
    std::string file = "\xD4\xE7\xB2\xD9\r\n\x81\x7F\x01\r\n";
    for (int k = 2; k < 27; ++k) {
        file += k == 20 ? "\xBB\xB6\xD3\xAD" : (k == 7 ? "0" : " " + std::to_string(k));
        file += "\r\n";
    }
    TempDir dir;
    writeBytes(dir / "orvessa.sys", file);
    SystemConfig config(dir.path());
    ASSERT_EQ(config.load(), SystemConfig::LoadStatus::Loaded);
    EXPECT_EQ(config.entry(0), "早操");
    EXPECT_EQ(config.entry(20), "欢迎");

    config.setEntry(SystemConfig::kHideAtStart, "1");
    ASSERT_TRUE(config.save());
    std::string expected = file;
    expected.replace(expected.find("\r\n0\r\n"), 5, "\r\n1\r\n");
    EXPECT_EQ(readBytes(dir / "orvessa.sys"), expected);
}

TEST(SystemConfig, MissingFileIsReportedAndNotCreated) {
    TempDir dir;
    SystemConfig config(dir.path());
    config.setEntry(3, "kept");
    EXPECT_EQ(config.load(), SystemConfig::LoadStatus::Missing);
    EXPECT_EQ(config.entry(3), "kept");
    EXPECT_FALSE(fileExists(dir / "orvessa.sys"));
}

TEST(SystemConfig, FailedSaveIsReportedAndKeepsTheFile) {
    TempDir dir;
    writeBytes(dir / "orvessa.sys", numberedLines(27));
    SystemConfig config(dir.path());
    ASSERT_EQ(config.load(), SystemConfig::LoadStatus::Loaded);
    config.setEntry(0, "new");
    std::filesystem::rename(dir / "orvessa.sys", dir / "moved");
    std::filesystem::create_directory(dir / "orvessa.sys");
    const WriteResult r = config.save();
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("orvessa.sys"), std::string::npos);
    EXPECT_EQ(config.entry(0), "new");
    EXPECT_FALSE(SystemConfig(dir / "absent").save());
}

TEST(SystemConfig, EntriesHoldNoLineBreaks) {
    SystemConfig config("/nonexistent");
    config.setEntry(20, "a\r\nb");
    EXPECT_EQ(config.entry(20), "");
    config.setEntry(99, "x");
    EXPECT_EQ(config.entry(99), "");
    EXPECT_EQ(config.entry(-1), "");
}

TEST(SystemConfig, NumericEntriesFallBackWhenDamaged) {
    SystemConfig config("/nonexistent");
    EXPECT_EQ(config.endOfDayAction(), 3) << "an empty entry waits";
    config.setEntry(SystemConfig::kEndOfDayAction, "1");
    EXPECT_EQ(config.endOfDayAction(), 1);
    config.setEntry(SystemConfig::kEndOfDayAction, "7");
    EXPECT_EQ(config.endOfDayAction(), 3);
    config.setEntry(SystemConfig::kSkinNumber, " 4");
    EXPECT_EQ(config.skinNumber(), 4);
    config.setEntry(SystemConfig::kSkinNumber, "dark");
    EXPECT_EQ(config.skinNumber(), 0);
    config.setEntry(SystemConfig::kSkinNumber, "10");
    EXPECT_EQ(config.skinNumber(), 0);
    config.setEntry(SystemConfig::kPlayOrder, "1");
    EXPECT_EQ(config.defaultPlayOrder(), 1);
    config.setEntry(SystemConfig::kPlayOrder, "2");
    EXPECT_EQ(config.defaultPlayOrder(), 0);
    config.setEntry(SystemConfig::kSubtitleTop, "-12");
    EXPECT_EQ(config.intEntry(SystemConfig::kSubtitleTop, 0), -12);
    config.setEntry(SystemConfig::kSubtitleTop, "1e3");
    EXPECT_EQ(config.intEntry(SystemConfig::kSubtitleTop, 5), 5);
    config.setEntry(SystemConfig::kPasswordMode, "0");
    EXPECT_FALSE(config.anyoneMayOperate());
    config.setEntry(SystemConfig::kPasswordMode, "1");
    EXPECT_TRUE(config.anyoneMayOperate());
    EXPECT_EQ(config.passwordModeIndex(), 1);
    config.setEntry(SystemConfig::kPasswordMode, "yes");
    EXPECT_EQ(config.passwordModeIndex(), 0) << "the dialog's first choice";
    config.setEntry(SystemConfig::kStopMonday + 5, "1");
    EXPECT_TRUE(config.stopOnWeekday(6));
    EXPECT_FALSE(config.stopOnWeekday(1));
    EXPECT_FALSE(config.stopOnWeekday(0));
}

TEST(SystemConfig, OnlyEntriesNoReaderCanUseTakeTheirDefaults) {
    SystemConfig config("/nonexistent");
    for (int k = 0; k < SystemConfig::kEntryCount; ++k) {
        config.setEntry(k, SystemConfig::defaultEntry(k));
    }
    EXPECT_TRUE(config.replaceUnusableEntries().empty()) << "the delivered file is sound";

    // Odd texts that read as they always did stay as they are.
    const std::pair<int, const char*> kept[] = {
        {0, "口令 1"}, {2, " 7:30:00"}, {3, "00:00:00"}, {4, "12"}, {4, "-1"},   {8, " 3"},
        {11, "x"},     {20, ""},        {21, "-5"},      {23, "0"}, {25, "abc"}, {1, "\x01"}};
    for (const auto& [k, text] : kept) {
        config.setEntry(k, text);
        EXPECT_TRUE(config.replaceUnusableEntries().empty()) << k << " '" << text << "'";
    }

    const std::pair<int, const char*> replaced[] = {
        {2, "7:30"}, {3, "25:00:00"}, {4, "4.5"}, {5, "4"},  {6, " 1"},   {7, "yes"},
        {8, "8"},    {10, "2"},       {13, ""},   {19, "2"}, {22, "abc"}, {24, "99999999999"},
        {26, "0 "}};
    for (const auto& [k, text] : replaced) {
        config.setEntry(k, text);
        const auto r = config.replaceUnusableEntries();
        ASSERT_EQ(r.size(), 1u) << k << " '" << text << "'";
        EXPECT_EQ(r[0].entry, k);
        EXPECT_EQ(r[0].was, text);
        EXPECT_EQ(config.entry(k), SystemConfig::defaultEntry(k));
    }
}

TEST(SystemConfig, TheFileWithThePasswordIsReadableByItsOwnerOnly) {
    orvessa::testing::TempDir dir;
    orvessa::testing::writeBytes(dir / SystemConfig::kFileName, "old\r\n");
    std::filesystem::permissions(dir / SystemConfig::kFileName, std::filesystem::perms::all);
    SystemConfig config(dir.path());
    config.setEntry(SystemConfig::kPassword, "secret");
    ASSERT_TRUE(config.save());
    const auto perms = std::filesystem::status(dir / SystemConfig::kFileName).permissions();
    EXPECT_EQ(perms & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

}  // namespace
}  // namespace orvessa::store
