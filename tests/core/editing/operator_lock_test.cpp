#include <algorithm>

#include "settings_scenario.h"

namespace orvessa::editing {
namespace {

using model::Command;

class Lock : public SettingsScenario {
protected:
    Lock() {
        entries[SystemConfig::kPassword] = "Abc";
        entries[SystemConfig::kPasswordMode] = "0";
    }

    void expectEntered(bool in) {
        EXPECT_EQ(form().unlocked, in);
        for (const Command* c : {&form().SZ1, &form().YSP1, &form().TCXT, &form().QUIT1,
                                 &form().Check2, &form().CheckBox1, &form().GGMM}) {
            EXPECT_EQ(c->enabled(), in) << c->name();
        }
        EXPECT_EQ(form().Jrxt.enabled(), !in);
    }
};

TEST_F(Lock, ModeZeroStartsLockedAndOnlyTheExactPasswordEnters) {
    start(kThreeRows, "08:00:00");
    expectEntered(false);
    EXPECT_EQ(m_screenSaver.calls, std::vector<bool>{true});

    typing("abc");
    EXPECT_TRUE(form().triggerShortcut("F2"));
    EXPECT_EQ(m_host.shownModally, std::vector<std::string>{"Form2"});
    EXPECT_EQ(lastMessage().text, "密码不正确，请重新输入！") << "letter case counts";
    EXPECT_EQ(lastMessage().caption, "错误信息");
    expectEntered(false);

    typing("Abc");
    form().Jrxt.click();
    expectEntered(true);
    EXPECT_EQ(m_screenSaver.calls, (std::vector<bool>{true, false}));

    // Locking again is one key in automatic operation, and asks nothing.
    EXPECT_TRUE(form().triggerShortcut("F3"));
    expectEntered(false);
    EXPECT_EQ(m_screenSaver.calls, (std::vector<bool>{true, false, true}));
    EXPECT_TRUE(form().Timer1.running()) << "the broadcast goes on while locked";
}

TEST_F(Lock, MismatchedNewPasswordsStillEnterButKeepTheOldOne) {
    start(kThreeRows, "08:00:00");
    changing("Abc", "one", "two");
    form().triggerShortcut("F2");
    EXPECT_EQ(lastMessage().text, "输入有误，请重新输入！");
    EXPECT_EQ(lastMessage().caption, "错误信息");
    expectEntered(true);
    EXPECT_EQ(form().config.entry(SystemConfig::kPassword), "Abc");

    changing("Abc", "one", "");
    form().triggerShortcut("F4");
    EXPECT_EQ(lastMessage().text, "密码不能为空，请重新输入！");
    EXPECT_EQ(stored(SystemConfig::kPassword), "Abc");
}

TEST_F(Lock, NewPasswordsEqualButForOuterBlanksStoreTheSecondAsTyped) {
    start(kThreeRows, "08:00:00");
    typing("Abc");
    form().triggerShortcut("F2");
    changing("Abc", " new pw", "new pw  ");
    form().triggerShortcut("F4");

    EXPECT_EQ(lastMessage().text, "密码已更改，请牢记新密码！");
    EXPECT_EQ(lastMessage().caption, "系统信息");
    EXPECT_EQ(stored(SystemConfig::kPassword), "new pw  ");
    // The file holds the password: nobody else may read it.
    EXPECT_EQ(fs::status(m_dir / "orvessa.sys").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    form().triggerShortcut("F3");
    typing("new pw  ");
    form().triggerShortcut("F2");
    EXPECT_TRUE(form().unlocked);
}

TEST_F(Lock, TrayQuitWhileLockedNeedsTheRightPassword) {
    start(kThreeRows, "08:00:00");
    typing("Abd");
    form().Q1.click();
    EXPECT_EQ(m_host.quitRequests, 0);
    EXPECT_TRUE(form().trayIcon.visible());

    typing("Abc");
    form().Q1.click();
    EXPECT_EQ(m_host.quitRequests, 1);
}

class Library : public Lock {
protected:
    std::string audio() const { return m_dir.path().string() + "/AUDIO/"; }
};

// A library that is not there yet is made, so that its list and bare names work at once.
TEST_F(Library, NoLibraryAtStartMakesTheFolderItGets) {
    fs::remove(m_dir / "AUDIO");
    entries[SystemConfig::kMediaLibrary] = "";
    start(kThreeRows, "08:00:00");  // No
    EXPECT_EQ(stored(SystemConfig::kMediaLibrary), audio());
    EXPECT_TRUE(fs::is_directory(m_dir / "AUDIO"));

    m_system.reset();
    const std::string chosen = (m_dir / "广播" / "新库").string();
    m_host.answers = {MessageAnswer::Yes};
    m_host.onShown("Form5", [&](model::Window&) {
        m_system->form5().folderChanged(chosen);
        m_system->form5().Button1.click();
    });
    start(kThreeRows, "08:00:00");
    EXPECT_EQ(stored(SystemConfig::kMediaLibrary), chosen + "/");
    EXPECT_TRUE(fs::is_directory(chosen));
}

TEST_F(Library, ChangingItTakesTheWarningAndThePasswordThenAsksAgain) {
    entries[SystemConfig::kMediaLibrary] = "/srv/bells/";
    start(kThreeRows, "08:00:00");
    typing("Abc");
    form().triggerShortcut("F2");
    form().ztbc.click();
    const std::size_t before = m_host.messages.size();

    m_host.answers = {MessageAnswer::Yes, MessageAnswer::No};
    form().dir1.click();
    ASSERT_EQ(m_host.messages.size(), before + 2);
    const auto& warning = m_host.messages[before];
    EXPECT_EQ(warning.caption, "系统警告");
    EXPECT_TRUE(warning.text.ends_with("[当前库为:/srv/bells/"));
    EXPECT_TRUE(m_host.messages[before + 1].text.starts_with("请设置音视频文件默认目录！"));
    EXPECT_EQ(m_host.shownModally.back(), "Form2");
    EXPECT_TRUE(form().unlocked);
    EXPECT_EQ(stored(SystemConfig::kMediaLibrary), audio());
}

TEST_F(Library, InModeOneTheOperatorStaysInWhateverWasAnswered) {
    entries[SystemConfig::kPasswordMode] = "1";
    entries[SystemConfig::kMediaLibrary] = "/srv/bells/";
    startEditing(kThreeRows);
    for (const Command* c : {&form().Jrxt, &form().pbxt, &form().GGMM}) {
        EXPECT_FALSE(c->visible()) << c->name();
    }
    form().Jrxt.click();  // entering asks nothing
    EXPECT_TRUE(m_host.shownModally.empty());
    form().dir1.click();  // No
    EXPECT_TRUE(form().unlocked);

    m_host.answers = {MessageAnswer::Yes};
    form().dir1.click();  // Yes, then the password dialog just closed
    EXPECT_EQ(m_host.shownModally, std::vector<std::string>{"Form2"});
    EXPECT_TRUE(form().unlocked);
    EXPECT_EQ(stored(SystemConfig::kMediaLibrary), "/srv/bells/");
}

TEST_F(Library, ListShowsFilesOnlyAndADoubleClickFillsTheCurrentRow) {
    entries[SystemConfig::kPasswordMode] = "1";
    media("铃声.mp3", 5);
    media("b.wav", 5);
    writeBytes(m_dir / "AUDIO" / ".hidden", "x");
    fs::create_directory(m_dir / "AUDIO" / "sub");
    startEditing(kThreeRows);

    std::vector<std::string> listed = form().ListBox2.items();
    std::ranges::sort(listed);
    EXPECT_EQ(listed, (std::vector<std::string>{"b.wav", "铃声.mp3"}));

    form().Grid.click(3, 2);
    const auto& items = form().ListBox2.items();
    const auto k = std::ranges::find(items, "铃声.mp3") - items.begin();
    form().ListBox2.doubleClicked.send();  // nothing selected yet
    EXPECT_EQ(form().Grid.cell(3, 2), "b.wav");
    form().ListBox2.setItemIndex(static_cast<int>(k));
    form().ListBox2.doubleClicked.send();
    EXPECT_EQ(form().Grid.cell(3, 2), "铃声.mp3");
}

// The name a double click fills in is the operator's change like a typed one: going back to
// automatic operation must not drop it without asking.
TEST_F(Library, ADoubleClickBeforeAnyRowClickIsStillAnUnsavedChange) {
    entries[SystemConfig::kPasswordMode] = "1";
    media("b.wav", 5);
    startEditing(kThreeRows);
    form().ListBox2.setItemIndex(0);
    form().ListBox2.doubleClicked.send();
    ASSERT_EQ(form().Grid.cell(3, 1), "b.wav");
    EXPECT_TRUE(form().save.enabled());

    m_host.answers = {MessageAnswer::Yes};
    form().jxbc.click();
    EXPECT_TRUE(text::gbkToUtf8(file("zxsj3.log")).starts_with("1,7:30:00,item,b.wav,"));
}

}  // namespace
}  // namespace orvessa::editing
