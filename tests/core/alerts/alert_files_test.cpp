#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "core/alerts/alert_settings.h"
#include "core/alerts/emergency_state.h"
#include "core/alerts/notices.h"
#include "core/alerts/siren.h"
#include "core/store/file_io.h"
#include "support/temp_dir.h"

namespace orvessa::alerts {
namespace {

using orvessa::testing::TempDir;
using orvessa::testing::writeBytes;

std::string readBack(const std::filesystem::path& p) {
    return store::readWholeFile(p).bytes;
}

TEST(AlertSettings, ReadsGoodValuesKeepsDefaultsForBadOnesAndWritesBackWhatItDoesNotKnow) {
    TempDir dir;
    writeBytes(dir / AlertSettingsFile::kFileName,
               "# the school's own note\nalarm=AUDIO/警报.wav\nalarm-volume=150\n"
               "notice-volume=35\nmessage=请到操场集合\nkey=Ctrl+Alt+K+J\nother=1\n");
    AlertSettingsFile file(dir.path());
    ASSERT_TRUE(file.load());
    const AlertSettings& s = file.settings();
    EXPECT_EQ(s.alarmFile, "AUDIO/警报.wav");
    EXPECT_EQ(s.alarmVolume, 100) << "out of range: the default stays";
    EXPECT_EQ(s.noticeVolume, 35);
    EXPECT_EQ(s.message, "请到操场集合");
    EXPECT_EQ(s.key, kDefaultKey);
    EXPECT_EQ(s.noticeFolder, kDefaultNoticeFolder);
    ASSERT_EQ(file.problems().size(), 2u);
    EXPECT_EQ(file.problems()[0].rfind("第 3 行: ", 0), 0u);

    AlertSettings changed = s;
    changed.alarmVolume = 70;
    changed.key = "Ctrl+Shift+F9";
    file.set(changed);
    ASSERT_TRUE(file.save());
    const std::string text = readBack(file.filePath());
    EXPECT_NE(text.find("# the school's own note\n"), std::string::npos);
    EXPECT_NE(text.find("other=1\n"), std::string::npos);
    AlertSettingsFile again(dir.path());
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.settings(), changed);
    EXPECT_TRUE(again.problems().empty());
}

TEST(AlertSettings, MissingFileGivesTheDefaultsAndAnUnreadableOneSaysWhy) {
    TempDir dir;
    AlertSettingsFile file(dir.path());
    ASSERT_TRUE(file.load());
    EXPECT_EQ(file.settings(), AlertSettings{});
    EXPECT_EQ(file.settings().message, "紧急情况，请听从广播指挥！");
    // A chord that a stock desktop hands to programs; one an administrator stored stays.
    EXPECT_EQ(file.settings().key, "Ctrl+Shift+F12");
    writeBytes(file.filePath(), "key=Ctrl+Alt+F12\n");
    ASSERT_TRUE(file.load());
    EXPECT_EQ(file.settings().key, "Ctrl+Alt+F12");
    std::filesystem::remove(file.filePath());
    std::filesystem::create_directory(file.filePath());
    EXPECT_FALSE(file.load());
    EXPECT_FALSE(file.error().empty());
}

TEST(AlertSettings, KeysMessagesAndVolumesAreChecked) {
    for (const char* good : {"Ctrl+Alt+F12", "Ctrl+Shift+P", "Alt+Pause", "F13", "", "Meta+F35"}) {
        EXPECT_EQ(checkKey(good), "") << good;
    }
    for (const char* bad : {"P", "Ctrl+", "Ctrl+Ctrl+F1", "Hyper+F1", "Ctrl+F36", "Ctrl+F01",
                            "Ctrl+Alt+F12, Ctrl+B", "ctrl+alt+f12"}) {
        EXPECT_NE(checkKey(bad), "") << bad;
    }
    EXPECT_EQ(checkMessage("紧急情况"), "");
    EXPECT_NE(checkMessage(""), "");
    EXPECT_NE(checkMessage("一行\n两行"), "");
    EXPECT_NE(checkMessage(std::string(201, 'x')), "");
    EXPECT_EQ(checkMessage(std::string(200, 'x')), "");
    EXPECT_NE(checkMessage("\xff\xfe"), "");
    int v = -1;
    EXPECT_EQ(parseVolume("0", v), "");
    EXPECT_EQ(v, 0);
    EXPECT_NE(parseVolume("101", v), "");
    EXPECT_NE(parseVolume(" 5", v), "");
    EXPECT_NE(parseVolume("5%", v), "");
}

TEST(EmergencyState, RoundTripsAndADamagedFileIsNoEmergencyWithAReason) {
    TempDir dir;
    EmergencyStateFile file(dir.path());
    EXPECT_FALSE(file.read().state.on);
    EXPECT_EQ(file.read().error, "") << "no file is simply no emergency";
    const EmergencyState on{true, "2026-12-11 10:00:30", "wang@console:127.0.0.1"};
    ASSERT_TRUE(file.write(on));
    EXPECT_EQ(file.read().state, on);
    ASSERT_TRUE(file.write({}));
    EXPECT_EQ(file.read().state, EmergencyState{});

    for (const char* damaged : {"on=1\nsince=2026-12-11 10:0", "on=yes\n",
                                "since=2026-12-11 10:00:30\n", "\x01\x02", "on=1\nby=a\nwho=b\n"}) {
        writeBytes(file.filePath(), damaged);
        const EmergencyStateFile::Read r = file.read();
        EXPECT_FALSE(r.state.on) << damaged;
        EXPECT_NE(r.error, "") << damaged;
    }
}

TEST(Notices, ListsTheFolderSortedWithoutHiddenFilesFoldersOrLinksOut) {
    TempDir dir;
    const std::filesystem::path folder = dir / "广播";
    std::filesystem::create_directory(folder);
    std::filesystem::create_directory(folder / "子目录");
    writeBytes(folder / "b.wav", "x");
    writeBytes(folder / "a.wav", "x");
    writeBytes(folder / ".hidden.wav", "x");
    writeBytes(dir / "outside.wav", "x");
    std::filesystem::create_symlink(dir / "outside.wav", folder / "out.wav");
    std::filesystem::create_symlink(folder / "a.wav", folder / "same.wav");
    EXPECT_EQ(listNotices(folder), (std::vector<std::string>{"a.wav", "b.wav", "same.wav"}));
    EXPECT_TRUE(listNotices(dir / "none").empty());

    EXPECT_EQ(findNotice(folder, "a.wav").status, NoticeLookup::Status::Found);
    EXPECT_EQ(findNotice(folder, "same.wav").status, NoticeLookup::Status::Found);
    EXPECT_EQ(findNotice(folder, "out.wav").status, NoticeLookup::Status::BadName);
    EXPECT_EQ(findNotice(folder, "子目录").status, NoticeLookup::Status::Missing);
    for (const char* bad :
         {"", ".", "..", "../outside.wav", "/etc/passwd", "a\\b.wav", "a\nb.wav", "\xff.wav"}) {
        EXPECT_EQ(findNotice(folder, bad).status, NoticeLookup::Status::BadName) << bad;
    }
}

TEST(Siren, IsAWholePcmWaveThatStartsAndEndsInSilence) {
    const std::string wav = sirenWave();
    ASSERT_GT(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(wav.substr(36, 4), "data");
    uint32_t riff = 0;
    uint32_t data = 0;
    std::memcpy(&riff, wav.data() + 4, 4);
    std::memcpy(&data, wav.data() + 40, 4);
    EXPECT_EQ(riff + 8, wav.size());
    EXPECT_EQ(data + 44, wav.size());
    const auto sample = [&wav](std::size_t i) {
        int16_t s = 0;
        std::memcpy(&s, wav.data() + 44 + 2 * i, 2);
        return s;
    };
    const std::size_t samples = data / 2;
    EXPECT_EQ(sample(0), 0);
    EXPECT_EQ(sample(samples - 1), 0);
    int16_t loudest = 0;
    for (std::size_t i = 0; i < samples; ++i) {
        loudest = std::max<int16_t>(loudest, sample(i));
    }
    EXPECT_GT(loudest, 16000) << "loud enough for a hall";
}

}  // namespace
}  // namespace orvessa::alerts
