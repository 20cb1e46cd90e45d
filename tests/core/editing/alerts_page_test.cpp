#include "core/editing/alerts_page.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fakes/scripted_host.h"
#include "support/temp_dir.h"

namespace orvessa::editing {
namespace {

using testing::readBytes;
using testing::writeBytes;

class AlertsPageTest : public ::testing::Test {
protected:
    AlertsPage& page() {
        if (!m_page) {
            m_page = std::make_unique<AlertsPage>(AlertsPageServices{
                m_host, m_dir.path(), [this] { return (m_dir / "media").string(); }});
            m_page->alertSettingsChanged.connect([this] { ++changes; });
        }
        return *m_page;
    }
    std::string file() const { return readBytes(m_dir / "alerts.conf"); }
    std::string lastMessage() const {
        return m_host.messages.empty() ? std::string() : m_host.messages.back().text;
    }
    // Types every field with good values.
    void fillGood() {
        AlertsPage& p = page();
        p.alarmFileField.setText("  警报/长鸣.wav ");
        p.alarmVolumeField.setText("80");
        p.messageField.setText(" 请立即撤离！ ");
        p.keyField.setText("Ctrl+Shift+F9");
        p.noticeFolderField.setText("通知");
        p.noticeVolumeField.setText("65");
    }

    testing::TempDir m_dir;
    fakes::ScriptedHost m_host;
    int changes = 0;

private:
    std::unique_ptr<AlertsPage> m_page;
};

TEST_F(AlertsPageTest, ShowsTheDefaultsWithoutAFileAndWritesNothingUntilSaved) {
    AlertsPage& p = page();
    EXPECT_EQ(p.alarmFileField.text(), "");
    EXPECT_EQ(p.alarmVolumeField.text(), "100");
    EXPECT_EQ(p.messageField.text(), alerts::kDefaultMessage);
    EXPECT_EQ(p.keyField.text(), "Ctrl+Shift+F12");
    EXPECT_EQ(p.noticeFolderField.text(), "广播");
    EXPECT_EQ(p.noticeVolumeField.text(), "100");
    EXPECT_FALSE(p.problemText.visible());
    EXPECT_TRUE(p.saveButton.enabled());

    p.alarmVolumeField.setText("30");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "alerts.conf"));
    EXPECT_EQ(changes, 0);
}

TEST_F(AlertsPageTest, SaveWritesTrimmedValuesReadBackAndSignalsOnce) {
    fillGood();
    page().saveButton.click();

    EXPECT_TRUE(m_host.messages.empty()) << lastMessage();
    EXPECT_EQ(changes, 1);
    alerts::AlertSettingsFile written(m_dir.path());
    ASSERT_TRUE(written.load());
    EXPECT_TRUE(written.problems().empty());
    const alerts::AlertSettings& s = written.settings();
    EXPECT_EQ(s.alarmFile, "警报/长鸣.wav");
    EXPECT_EQ(s.alarmVolume, 80);
    EXPECT_EQ(s.message, "请立即撤离！");
    EXPECT_EQ(s.key, "Ctrl+Shift+F9");
    EXPECT_EQ(s.noticeFolder, "通知");
    EXPECT_EQ(s.noticeVolume, 65);
    // The page shows what the file now holds.
    EXPECT_EQ(page().messageField.text(), "请立即撤离！");

    // An empty key and alarm are good values: no key, the built-in siren.
    page().keyField.setText("");
    page().alarmFileField.setText("");
    page().saveButton.click();
    EXPECT_EQ(changes, 2);
    ASSERT_TRUE(written.load());
    EXPECT_EQ(written.settings().key, "");
    EXPECT_EQ(written.settings().alarmFile, "");
}

// Each bad value is named in the message, nothing is written and nothing is sent; the first
// bad field is the one reported.
TEST_F(AlertsPageTest, RefusesBadValuesNamingTheFirst) {
    struct Case {
        const char* what;
        std::function<void(AlertsPage&)> spoil;
        const char* named;
    };
    const Case cases[] = {
        {"alarm volume over 100", [](AlertsPage& p) { p.alarmVolumeField.setText("101"); },
         "警报音量"},
        {"alarm volume not a number", [](AlertsPage& p) { p.alarmVolumeField.setText("响"); },
         "警报音量"},
        {"blank message", [](AlertsPage& p) { p.messageField.setText("   "); }, "紧急消息"},
        {"message of two lines", [](AlertsPage& p) { p.messageField.setText("一\n二"); },
         "紧急消息"},
        {"key that is no chord", [](AlertsPage& p) { p.keyField.setText("Ctrl+Alt+"); },
         "全局热键"},
        {"empty notices folder", [](AlertsPage& p) { p.noticeFolderField.setText(" "); },
         "通知文件夹"},
        {"negative notice volume", [](AlertsPage& p) { p.noticeVolumeField.setText("-1"); },
         "通知音量"},
        {"two bad values",
         [](AlertsPage& p) {
             p.noticeVolumeField.setText("500");
             p.alarmVolumeField.setText("500");
         },
         "警报音量"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fillGood();
        c.spoil(page());
        m_host.messages.clear();
        page().saveButton.click();
        ASSERT_EQ(m_host.messages.size(), 1u);
        EXPECT_NE(lastMessage().find(c.named), std::string::npos) << lastMessage();
        EXPECT_NE(lastMessage().find("设置没有保存"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(m_dir / "alerts.conf"));
        EXPECT_EQ(changes, 0);
    }
}

// A file with bad lines or one that cannot be read is shown, and never written over: its
// other lines would be lost, or its meaning guessed. Once corrected the page saves again.
TEST_F(AlertsPageTest, RefusesToSaveOverADamagedFileUntilItIsCorrected) {
    const std::string damaged = "alarm-volume=loud\nmessage=撤离\n";
    writeBytes(m_dir / "alerts.conf", damaged);
    AlertsPage& p = page();
    EXPECT_TRUE(p.problemText.visible());
    EXPECT_NE(p.problemText.text().find("alerts.conf"), std::string::npos);
    EXPECT_NE(p.problemText.text().find("第 1 行"), std::string::npos) << p.problemText.text();
    EXPECT_FALSE(p.saveButton.enabled());
    EXPECT_FALSE(p.alarmVolumeField.enabled());
    // Even a click that reaches the command changes nothing.
    p.saveButton.click();
    EXPECT_EQ(file(), damaged);
    EXPECT_EQ(changes, 0);

    writeBytes(m_dir / "alerts.conf", "alarm-volume=40\nmessage=撤离\n");
    p.reload();
    EXPECT_FALSE(p.problemText.visible());
    EXPECT_TRUE(p.saveButton.enabled());
    EXPECT_EQ(p.alarmVolumeField.text(), "40");
    p.noticeVolumeField.setText("20");
    p.saveButton.click();
    EXPECT_EQ(changes, 1);
    EXPECT_NE(file().find("notice-volume=20"), std::string::npos) << file();
    EXPECT_NE(file().find("message=撤离"), std::string::npos) << file();
}

TEST_F(AlertsPageTest, UnreadableFileIsShownAndKeptAsItIs) {
    // A folder where the file should be cannot be read as one.
    std::filesystem::create_directory(m_dir / "alerts.conf");
    AlertsPage& p = page();
    EXPECT_TRUE(p.problemText.visible());
    EXPECT_FALSE(p.problemText.text().empty());
    EXPECT_FALSE(p.saveButton.enabled());
    p.saveButton.click();
    EXPECT_TRUE(std::filesystem::is_directory(m_dir / "alerts.conf"));
    EXPECT_EQ(changes, 0);
}

// What the dialogs choose inside the library is kept relative to it, so that the library can
// move; outside it the full path is kept. Cancelling changes nothing.
TEST_F(AlertsPageTest, BrowsingKeepsPathsInsideTheLibraryRelative) {
    const std::string library = (m_dir / "media").string();
    AlertsPage& p = page();
    m_host.fileChoices.push_back(library + "/警报/长鸣.wav");
    p.chooseAlarmButton.click();
    EXPECT_EQ(p.alarmFileField.text(), "警报/长鸣.wav");
    m_host.fileChoices.push_back("/srv/sounds/siren.ogg");
    p.chooseAlarmButton.click();
    EXPECT_EQ(p.alarmFileField.text(), "/srv/sounds/siren.ogg");
    p.chooseAlarmButton.click();  // cancelled
    EXPECT_EQ(p.alarmFileField.text(), "/srv/sounds/siren.ogg");

    m_host.folderChoices.push_back(library + "/通知/早会");
    p.chooseNoticeFolderButton.click();
    EXPECT_EQ(p.noticeFolderField.text(), "通知/早会");
    ASSERT_FALSE(m_host.folderDialogs.empty());
    // The dialog opened at the folder the field named, read from the library.
    EXPECT_EQ(m_host.folderDialogs.back(), library + "/广播");
    m_host.folderChoices.push_back("/mnt/通知");
    p.chooseNoticeFolderButton.click();
    EXPECT_EQ(p.noticeFolderField.text(), "/mnt/通知");
    // A folder beside the library is outside it, though it starts with the library's name.
    m_host.folderChoices.push_back(library + "2/通知");
    p.chooseNoticeFolderButton.click();
    EXPECT_EQ(p.noticeFolderField.text(), library + "2/通知");
    EXPECT_EQ(changes, 0);
}

}  // namespace
}  // namespace orvessa::editing
