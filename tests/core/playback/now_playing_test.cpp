#include "core/playback/now_playing.h"

#include <gtest/gtest.h>

#include "core/playback/media_tags.h"
#include "core/text/gbk.h"
#include "fakes/fake_media_device.h"
#include "support/temp_dir.h"

namespace orvessa::playback {
namespace {

using orvessa::testing::TempDir;
using orvessa::testing::writeBytes;

// A 128-byte version 1 tag with the given GBK fields.
std::string v1Tag(const std::string& title, const std::string& artist, const std::string& album) {
    std::string tag = "TAG";
    for (const std::string* f : {&title, &artist, &album}) {
        std::string field = *f;
        field.resize(30, '\0');
        tag += field;
    }
    tag.resize(128, '\0');
    return tag;
}

std::string syncsafe(std::size_t v) {
    return {static_cast<char>((v >> 21) & 0x7F), static_cast<char>((v >> 14) & 0x7F),
            static_cast<char>((v >> 7) & 0x7F), static_cast<char>(v & 0x7F)};
}

std::string bigEndian(std::size_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

// A version 2 tag of text frames (id, encoding byte + bytes).
std::string v2Tag(int version, const std::vector<std::pair<std::string, std::string>>& frames) {
    std::string body;
    for (const auto& [id, content] : frames) {
        body += id + (version == 4 ? syncsafe(content.size()) : bigEndian(content.size())) +
                std::string(2, '\0') + content;
    }
    body += std::string(16, '\0');  // padding
    return std::string("ID3") + static_cast<char>(version) + '\0' + '\0' + syncsafe(body.size()) +
           body;
}

class NowPlayingTest : public ::testing::Test {
protected:
    NowPlaying& display() {
        if (!m_display) {
            m_display = std::make_unique<NowPlaying>(
                m_session, NowPlaying::Lines{statusLine, hintLine, table}, m_device);
        }
        return *m_display;
    }
    void prepareFor(const std::string& path) {
        m_state.currentPath = path;
        display().prepare();
    }

    TempDir m_dir;
    BroadcastSession m_session;
    PlaybackState& m_state = m_session.playback;
    ClockState& m_clock = m_session.clock;
    fakes::FakeMediaDevice m_device;
    model::TextControl statusLine{"statusLine"};
    model::TextControl hintLine{"hintLine"};
    store::ScheduleTable table;
    std::unique_ptr<NowPlaying> m_display;
};

TEST_F(NowPlayingTest, Mp3TitleComesFromItsVersionOneTag) {
    const std::string file = (m_dir / "song.mp3").string();
    writeBytes(file, std::string(1000, 'a') +
                         v1Tag(text::utf8ToGbk("国歌"), "  Choir  ", text::utf8ToGbk("合集")));
    prepareFor(file);
    EXPECT_EQ(display().title, "国歌");
    EXPECT_EQ(display().detailLine, "歌星：Choir   专辑：合集");

    // A title padded with blanks to its 30 bytes shows without them.
    writeBytes(file, std::string(200, 'a') + v1Tag("Anthem" + std::string(24, ' '), "", ""));
    prepareFor(file);
    EXPECT_EQ(display().title, "Anthem");

    // A file of 128 bytes or less has no tag; neither has a .wav.
    writeBytes(file, v1Tag("Short", "", ""));
    prepareFor(file);
    EXPECT_NE(display().title, "Short");
    EXPECT_EQ(display().detailLine, "");
}

TEST_F(NowPlayingTest, LongPathsKeepTheirNameWhole) {
    prepareFor("D:\\broadcast\\morning\\anthem.mp3");
    EXPECT_EQ(display().title, "D:\\broadcast\\morni...\\anthem.mp3");
    prepareFor("D:\\a.wav");
    EXPECT_EQ(display().title, "D:\\a.wav");
    // A name longer than 28 GBK bytes leaves no room for a prefix.
    prepareFor("D:\\很长的目录名字\\这是一个非常非常非常长的文件名字.wav");
    EXPECT_EQ(display().title, "...\\这是一个非常非常非常长的文件名字.wav");
}

TEST_F(NowPlayingTest, VersionTwoTagsAreReadWhenThereIsNoVersionOne) {
    const std::string file = (m_dir / "v2.mp3").string();
    // 2.3 with UTF-16 (byte order mark) and Latin-1 frames; Latin-1 bytes are taken as GBK.
    std::string utf16 = std::string("\x01\xFF\xFE", 3);
    for (char16_t c : std::u16string(u"早操")) {
        utf16 += static_cast<char>(c & 0xFF);
        utf16 += static_cast<char>(c >> 8);
    }
    writeBytes(file, v2Tag(3, {{"TIT2", utf16},
                               {"TPE1", std::string(1, '\0') + text::utf8ToGbk("学校")},
                               {"TALB", std::string("\x03", 1) + "Album"}}) +
                         std::string(500, 'x'));
    prepareFor(file);
    EXPECT_EQ(display().title, "早操");
    EXPECT_EQ(display().detailLine, "歌星：学校   专辑：Album");

    // 2.4 with UTF-8; and a version 1 tag at the end wins over it.
    writeBytes(file, v2Tag(4, {{"TIT2", "\x03" + std::string("新闻")}}) + std::string(500, 'x'));
    prepareFor(file);
    EXPECT_EQ(display().title, "新闻");
    writeBytes(file, v2Tag(4, {{"TIT2", "\x03" + std::string("新闻")}}) + std::string(500, 'x') +
                         v1Tag("One", "", ""));
    prepareFor(file);
    EXPECT_EQ(display().title, "One");

    // Broken tags never fail: a frame running past the tag, a size past the file.
    for (const std::string& broken :
         {std::string("ID3\x03\x00\x00\x00\x00\x00\x20TIT2\x00\x00\x10\x00\x00\x00", 20),
          std::string("ID3\x04\x00\x00\x7F\x7F\x7F\x7F", 10) + std::string(100, 'x'),
          std::string("ID3", 3)}) {
        EXPECT_FALSE(parseMediaTags(broken).has_value());
        writeBytes(file, broken);
        prepareFor(file);
        EXPECT_EQ(display().title.back(), '3') << "the path stands in";
    }
}

TEST_F(NowPlayingTest, LengthEstimateAndShareDone) {
    m_state.itemKind = ItemKind::Media;
    display().title = "bell";
    m_state.lengthMs = 200000;
    m_clock.displayTicks = 1;
    std::vector<std::string> lines;
    for (int second = 0; second < 7; ++second) {
        m_device.runToEnd();  // not playing: the fake reports what the test sets
        m_state.positionMs = second * 1000;
        m_state.itemKind = ItemKind::None;  // keep the position as set
        display().update(true);
        lines.push_back(statusLine.text());
    }
    EXPECT_EQ(lines[0], "正在播放：bell 长度：        完成：");
    EXPECT_EQ(lines[3], "正在播放：bell 长度：        完成：");
    EXPECT_EQ(lines[4], "正在播放：bell 长度：3:19 完成：2％") << "rate 1002 with the bias";
    EXPECT_EQ(lines[5], "正在播放：bell 长度：3:20 完成：2％");
    EXPECT_EQ(lines[6], "正在播放：bell 长度：3:20 完成：3％");
    EXPECT_EQ(hintLine.color(), model::kGreen);
}

TEST_F(NowPlayingTest, PagesAndShellItemsHaveNoKnownShare) {
    table.setRowCount(3);
    table.setCell(3, 2, "http://news.example/");
    m_state.currentRow = 2;
    m_state.itemKind = ItemKind::WebPage;
    m_clock.displayTicks = 5;
    display().update(true);
    EXPECT_EQ(statusLine.text(), "正在浏览：http://news.example/");
    EXPECT_EQ(display().percentText, "未知");
    EXPECT_FALSE(m_state.itemEnded()) << "a page has no length to reach";
    m_state.itemKind = ItemKind::ShellOpened;
    display().title = "doc";
    display().update(true);
    EXPECT_EQ(display().percentText, "未知");
    EXPECT_TRUE(statusLine.text().ends_with("完成：未知％"));
}

TEST_F(NowPlayingTest, TheDisplayTimerLeavesTheLinesAloneAtFirstAndStopsWithNothingToShow) {
    m_state.itemKind = ItemKind::Media;
    statusLine.setText("before");
    m_state.lengthMs = 1000;
    m_clock.displayTicks = 1;
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(display().update(false));
    }
    EXPECT_EQ(statusLine.text(), "before");
    m_state.lengthMs = 0;
    EXPECT_FALSE(display().update(false)) << "a length of 0 is nothing to show, not an error";
    m_state.forgetItemTimes();
    m_state.itemKind = ItemKind::None;
    EXPECT_FALSE(display().update(false)) << "nothing runs";
    EXPECT_EQ(statusLine.text(), "before");
}

}  // namespace
}  // namespace orvessa::playback
