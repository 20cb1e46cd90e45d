#include <algorithm>

#include "settings_scenario.h"

namespace orvessa::editing {
namespace {

class Lock : public SettingsScenario {
protected:
    Lock() {
        entries[SystemConfig::kPassword] = "Abc";
        entries[SystemConfig::kPasswordMode] = "0";
    }

    std::string audio() const { return m_dir.path().string() + "/AUDIO/"; }
};

TEST_F(Lock, ModeZeroStartsLockedAndOnlyTheExactPasswordEnters) {
    start(kThreeRows, "08:00:00");
    EXPECT_FALSE(engine().session().unlocked);
    EXPECT_EQ(m_screenSaver.calls, std::vector<bool>{true});

    typing("abc");
    EXPECT_TRUE(form().triggerShortcut("F2"));
    EXPECT_EQ(m_host.shownModally, std::vector<std::string>{"PasswordDialog"});
    EXPECT_EQ(lastMessage().text, "密码不正确，请重新输入！") << "letter case counts";
    EXPECT_FALSE(engine().session().unlocked);

    typing("Abc");
    form().enterSystem.click();
    EXPECT_TRUE(engine().session().unlocked);
    EXPECT_EQ(m_screenSaver.calls, (std::vector<bool>{true, false}));

    // Locking again is one key in automatic operation, and asks nothing.
    EXPECT_TRUE(form().triggerShortcut("F3"));
    EXPECT_FALSE(engine().session().unlocked);
    EXPECT_EQ(m_screenSaver.calls, (std::vector<bool>{true, false, true}));
    EXPECT_TRUE(form().broadcastTimer.running()) << "the broadcast goes on while locked";
}

// Mismatched or blank new passwords keep the old one; new ones equal but for outer blanks store
// the second as typed.
TEST_F(Lock, PasswordChangeRules) {
    start(kThreeRows, "08:00:00");
    changing("Abc", "one", "two");
    form().triggerShortcut("F2");
    EXPECT_EQ(lastMessage().text, "输入有误，请重新输入！");
    EXPECT_TRUE(engine().session().unlocked) << "a mismatch still enters";

    changing("Abc", "one", "");
    form().triggerShortcut("F4");
    EXPECT_EQ(lastMessage().text, "密码不能为空，请重新输入！");
    EXPECT_EQ(stored(SystemConfig::kPassword), "Abc");

    changing("Abc", " new pw", "new pw  ");
    form().triggerShortcut("F4");
    EXPECT_EQ(lastMessage().text, "密码已更改，请牢记新密码！");
    EXPECT_EQ(stored(SystemConfig::kPassword), "new pw  ");
    // The file holds the password: nobody else may read it.
    EXPECT_EQ(fs::status(m_dir / "orvessa.sys").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    form().triggerShortcut("F3");
    typing("new pw  ");
    form().triggerShortcut("F2");
    EXPECT_TRUE(engine().session().unlocked);
}

// A new password that orvessa.sys could not give back is refused and nothing is stored: a
// character outside GBK would come back as "?", an overlong line would be cut when read.
TEST_F(Lock, ANewPasswordTheConfigurationCannotHoldIsRefused) {
    start(kThreeRows, "08:00:00");
    typing("Abc");
    form().triggerShortcut("F2");
    const std::string tooLong(PasswordDialog::kMaxPasswordCharacters + 1, 'x');
    for (const std::string& refused : {std::string("pw😀"), std::string("암호"), tooLong}) {
        changing("Abc", refused, refused);
        form().triggerShortcut("F4");
        EXPECT_EQ(lastMessage().caption, "错误信息");
        EXPECT_EQ(lastMessage().text,
                  refused == tooLong
                      ? "新密码不能超过64个字符，请重新输入！"
                      : "新密码中有系统无法保存的字符（如表情符号、韩文），请重新输入！");
        EXPECT_EQ(engine().config().entry(SystemConfig::kPassword), "Abc");
        EXPECT_EQ(stored(SystemConfig::kPassword), "Abc");
    }

    std::string longest;
    for (std::size_t i = 0; i < PasswordDialog::kMaxPasswordCharacters; ++i) {
        longest += "密";
    }
    changing("Abc", longest, longest);
    form().triggerShortcut("F4");
    EXPECT_EQ(lastMessage().text, "密码已更改，请牢记新密码！");
    form().triggerShortcut("F3");
    typing(longest);
    form().triggerShortcut("F2");
    EXPECT_TRUE(engine().session().unlocked) << "stored whole, it matches after a restart's read";
    EXPECT_EQ(stored(SystemConfig::kPassword), longest);
}

// The library change asks the password again; refusing it refuses the change only. The operator
// stays in as the window shows, and quit asks nothing more than the window promises.
TEST_F(Lock, ACancelledLibraryPasswordLeavesTheLockAsTheWindowShowsIt) {
    start(kThreeRows, "08:00:00");
    typing("Abc");
    form().triggerShortcut("F2");
    ASSERT_TRUE(engine().session().unlocked);
    ASSERT_TRUE(form().manualOperation.click());  // manual operation, where the library is offered
    for (const char* given : {"", "wrong"}) {
        m_host.answers = {MessageAnswer::Yes};
        typing(given);
        const std::size_t asked = m_host.shownModally.size();
        ASSERT_TRUE(form().mediaLibraryItem.click());
        ASSERT_EQ(m_host.shownModally.size(), asked + 1) << "the password was asked";
        EXPECT_EQ(stored(SystemConfig::kMediaLibrary), audio()) << given;
        EXPECT_TRUE(engine().session().unlocked) << given;
        EXPECT_TRUE(form().quitButton.enabled() && form().settingsMenu.enabled() &&
                    !form().enterSystem.enabled());
    }
    const std::size_t shown = m_host.shownModally.size();
    form().quitButton.click();
    EXPECT_EQ(m_host.shownModally.size(), shown) << "no password for quit";
    EXPECT_EQ(m_host.quitRequests, 1);
}

// A library that is not there yet is made, so that its list and bare names work at once; changing
// it takes the warning and the password, then asks again.
TEST_F(Lock, AMissingLibraryIsMadeAndChangingItTakesTheWarningAndThePassword) {
    fs::remove(m_dir / "AUDIO");
    entries[SystemConfig::kMediaLibrary] = "";
    start(kThreeRows, "08:00:00");  // No
    EXPECT_EQ(stored(SystemConfig::kMediaLibrary), audio());
    EXPECT_TRUE(fs::is_directory(m_dir / "AUDIO"));

    typing("Abc");
    form().triggerShortcut("F2");
    form().manualOperation.click();
    const std::size_t before = m_host.messages.size();
    const std::string chosen = (m_dir / "广播" / "新库").string();
    m_host.answers = {MessageAnswer::Yes, MessageAnswer::Yes};
    m_host.onShown("DirectoryDialog", [&](model::Window&) {
        m_system->directoryDialog().folderChanged(chosen);
        m_system->directoryDialog().okButton.click();
    });
    form().mediaLibraryItem.click();
    ASSERT_EQ(m_host.messages.size(), before + 2);
    EXPECT_TRUE(m_host.messages[before].text.ends_with("[当前库为:" + audio()));
    EXPECT_TRUE(m_host.messages[before + 1].text.starts_with("请设置音视频文件默认目录！"));
    EXPECT_EQ(m_host.shownModally,
              (std::vector<std::string>{"PasswordDialog", "PasswordDialog", "DirectoryDialog"}));
    EXPECT_TRUE(engine().session().unlocked);
    EXPECT_EQ(stored(SystemConfig::kMediaLibrary), chosen + "/");
    EXPECT_TRUE(fs::is_directory(chosen));
}

// In mode one entering asks nothing, and the operator stays in whatever the library question
// gets. The list holds files only; a double click fills the current row, even before any row
// click, and is the operator's change like a typed one: going back must not drop it unasked.
TEST_F(Lock, ModeOneStaysInAndTheLibraryListFillsTheRowAsAnUnsavedChange) {
    entries[SystemConfig::kPasswordMode] = "1";
    media("铃声.mp3", 5);
    media("b.wav", 5);
    writeBytes(m_dir / "AUDIO" / ".hidden", "x");
    fs::create_directory(m_dir / "AUDIO" / "sub");
    startEditing(kThreeRows);
    form().enterSystem.click();
    EXPECT_TRUE(m_host.shownModally.empty());
    form().mediaLibraryItem.click();  // No
    m_host.answers = {MessageAnswer::Yes};
    form().mediaLibraryItem.click();  // Yes, then the password dialog just closed
    EXPECT_EQ(m_host.shownModally, std::vector<std::string>{"PasswordDialog"});
    EXPECT_TRUE(engine().session().unlocked);
    EXPECT_EQ(stored(SystemConfig::kMediaLibrary), audio());

    std::vector<std::string> listed = form().libraryList.items();
    std::ranges::sort(listed);
    EXPECT_EQ(listed, (std::vector<std::string>{"b.wav", "铃声.mp3"}));
    const auto& items = form().libraryList.items();
    const auto k = std::ranges::find(items, "铃声.mp3") - items.begin();

    form().libraryList.doubleClicked.send();  // nothing selected yet
    EXPECT_EQ(form().grid.cell(3, 1), "a.wav");
    form().libraryList.setItemIndex(static_cast<int>(k));
    form().libraryList.doubleClicked.send();
    ASSERT_EQ(form().grid.cell(3, 1), "铃声.mp3");
    EXPECT_TRUE(form().saveButton.enabled());

    m_host.answers = {MessageAnswer::Yes};
    form().automaticOperation.click();
    EXPECT_TRUE(text::gbkToUtf8(file("zxsj3.log")).starts_with("1,7:30:00,item,铃声.mp3,"));
}

}  // namespace
}  // namespace orvessa::editing
