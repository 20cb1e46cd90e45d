#include "core/editing/console_page.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fakes/fake_secrets.h"
#include "fakes/scripted_host.h"
#include "support/temp_dir.h"

namespace orvessa::editing {
namespace {

using testing::readBytes;
using testing::writeBytes;

// Reads a certificate file as its fingerprint: the file's first line.
class FakeCertificates : public console::Certificates {
public:
    std::string make(const std::filesystem::path&, const std::filesystem::path&,
                     const std::vector<std::string>&) override {
        return "not here";
    }
    std::string fingerprint(const std::filesystem::path& file, std::string& error) override {
        read.push_back(file);
        const std::string text = readBytes(file);
        if (text.empty()) {
            error = "没有证书";
            return {};
        }
        return text.substr(0, text.find('\n'));
    }
    std::string checkPair(const std::filesystem::path&, const std::filesystem::path&) override {
        return {};
    }
    std::vector<std::filesystem::path> read;
};

class ConsolePageTest : public ::testing::Test {
protected:
    ConsolePage& page() {
        if (!m_page) {
            m_page = std::make_unique<ConsolePage>(
                ConsolePageServices{m_host, m_dir.path(), m_secrets, certificates});
            m_page->consoleSettingsChanged.connect([this] { ++restarts; });
            m_page->accountsChanged.connect([this] { ++accountChanges; });
        }
        return *m_page;
    }
    std::string settingsFile() const { return readBytes(m_dir / "console.conf"); }
    std::string usersFile() const { return readBytes(m_dir / "console-users"); }
    std::string lastMessage() const {
        return m_host.messages.empty() ? std::string() : m_host.messages.back().text;
    }
    // Plays the operator in the account dialog: fills it in and presses OK.
    void fillAccount(std::string name, std::string password, std::string repeat, int role = 0) {
        m_host.onShown("ConsoleAccountDialog", [=, this](model::Window&) {
            ConsoleAccountDialog& d = page().accountDialog();
            if (d.adding()) {
                d.nameField.setText(name);
                d.roleGroup.setItemIndex(role);
            }
            d.passwordField.setText(password);
            d.repeatField.setText(repeat);
            d.okButton.click();
            shownPasswords = d.passwordField.text();
        });
    }

    testing::TempDir m_dir;
    fakes::ScriptedHost m_host;
    fakes::FakeSecrets m_secrets;
    FakeCertificates* certificates = nullptr;
    int restarts = 0;
    int accountChanges = 0;
    std::string shownPasswords;

private:
    std::unique_ptr<ConsolePage> m_page;
};

TEST_F(ConsolePageTest, BadAddressOrPortIsRefusedAndNothingIsWritten) {
    writeBytes(m_dir / "console.conf", "# kept\nenabled=0\naddress=127.0.0.1\nport=8460\n");
    ConsolePage& p = page();
    EXPECT_FALSE(p.enabledBox.checked());
    EXPECT_EQ(p.portField.text(), "8460");
    EXPECT_EQ(p.addressNote.text(), ConsolePage::kLoopbackNote);
    const std::string before = settingsFile();

    for (const char* port : {"0", "65536", "80a", "", "-1"}) {
        p.enabledBox.click();
        p.portField.setText(port);
        p.saveButton.click();
        EXPECT_NE(lastMessage().find("端口有误"), std::string::npos) << port;
        EXPECT_EQ(settingsFile(), before) << port;
        p.enabledBox.click();
    }
    p.portField.setText("8461");
    for (const char* address : {"", "127.0.0.1 x", "地址"}) {
        p.addressField.setText(address);
        EXPECT_EQ(p.addressNote.text(), "") << address;
        p.saveButton.click();
        EXPECT_NE(lastMessage().find("地址有误"), std::string::npos) << address;
        EXPECT_EQ(settingsFile(), before) << address;
    }
    EXPECT_EQ(restarts, 0);

    // A good value is written, other lines kept, and the console is told to start again.
    const std::size_t messages = m_host.messages.size();
    p.addressField.setText(" 0.0.0.0 ");
    EXPECT_EQ(p.addressNote.text(), ConsolePage::kNetworkNote);
    p.enabledBox.click();
    p.saveButton.click();
    EXPECT_EQ(m_host.messages.size(), messages);
    EXPECT_EQ(restarts, 1);
    EXPECT_EQ(p.addressField.text(), "0.0.0.0");
    console::ConsoleSettingsFile back(m_dir.path());
    ASSERT_TRUE(back.load());
    EXPECT_TRUE(back.settings().enabled);
    EXPECT_EQ(back.settings().address, "0.0.0.0");
    EXPECT_EQ(back.settings().port, 8461);
    EXPECT_NE(settingsFile().find("# kept"), std::string::npos);

    // Saving again what the console already runs with needs no restart.
    p.saveButton.click();
    EXPECT_EQ(restarts, 1);
}

TEST_F(ConsolePageTest, AFileThatCannotBeReadIsNeverReplaced) {
    std::filesystem::create_directory(m_dir / "console.conf");
    ConsolePage& p = page();
    EXPECT_FALSE(p.saveButton.enabled());
    EXPECT_TRUE(p.problemText.visible());
    EXPECT_FALSE(p.problemText.text().empty());
    p.saveButton.click();
    EXPECT_TRUE(std::filesystem::is_directory(m_dir / "console.conf"));

    // A bad value read from the file is listed, and stays until the operator sets one.
    std::filesystem::remove(m_dir / "console.conf");
    writeBytes(m_dir / "console.conf", "port=http\n");
    p.reload();
    EXPECT_TRUE(p.saveButton.enabled());
    EXPECT_NE(p.problemText.text().find("第 1 行"), std::string::npos);
    p.portField.setText("8470");
    p.saveButton.click();
    EXPECT_NE(settingsFile().find("port=8470"), std::string::npos);
}

TEST_F(ConsolePageTest, UsersAreAddedOnlyWithTwoMatchingLongPasswords) {
    ConsolePage& p = page();
    EXPECT_TRUE(p.userList.items().empty());
    EXPECT_FALSE(p.removeUserButton.enabled());

    fillAccount("alice", "correct horse", "correct horsf");
    p.addUserButton.click();
    EXPECT_EQ(lastMessage(), "两次输入的密码不一致，请重新输入！");
    EXPECT_TRUE(p.userList.items().empty());
    EXPECT_FALSE(std::filesystem::exists(m_dir / "console-users"));

    fillAccount("alice", "short", "short");
    p.addUserButton.click();
    EXPECT_NE(lastMessage().find("至少要 8 个字符"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "console-users"));

    fillAccount("al ice", "long enough", "long enough");
    p.addUserButton.click();
    EXPECT_NE(lastMessage().find("空白"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(m_dir / "console-users"));
    EXPECT_EQ(accountChanges, 0);

    fillAccount("alice", "long enough", "long enough", 1);
    p.addUserButton.click();
    ASSERT_EQ(p.userList.items(), std::vector<std::string>{"alice（操作员）"});
    EXPECT_EQ(accountChanges, 1);
    EXPECT_EQ(shownPasswords, "") << "no password stays in the dialog";
    console::Accounts back(m_dir.path(), m_secrets);
    ASSERT_TRUE(back.load());
    ASSERT_NE(back.authenticate("alice", "long enough"), nullptr);
    EXPECT_EQ(back.findUser("alice")->role, console::Role::Operator);

    // A second one of the same name is refused, the first unchanged.
    fillAccount("alice", "other password", "other password");
    p.addUserButton.click();
    EXPECT_NE(lastMessage().find("已存在"), std::string::npos);
    EXPECT_EQ(p.userList.items().size(), 1u);
}

TEST_F(ConsolePageTest, PasswordsChangeAndUsersGoOnlyWhenConfirmed) {
    console::Accounts setUp(m_dir.path(), m_secrets);
    ASSERT_TRUE(setUp.addUser("alice", console::Role::Viewer, "first password").empty());
    ASSERT_TRUE(setUp.addUser("bob", console::Role::Operator, "bobs password").empty());
    ASSERT_TRUE(setUp.save());
    ConsolePage& p = page();
    ASSERT_EQ(p.userList.items(), (std::vector<std::string>{"alice（查看者）", "bob（操作员）"}));

    p.userList.setItemIndex(0);
    EXPECT_TRUE(p.changePasswordButton.enabled());
    fillAccount("", "new password", "new passwor");
    p.changePasswordButton.click();
    EXPECT_EQ(lastMessage(), "两次输入的密码不一致，请重新输入！");
    fillAccount("", "new password", "new password");
    p.changePasswordButton.click();
    EXPECT_FALSE(p.accountDialog().nameField.visible());
    {
        console::Accounts back(m_dir.path(), m_secrets);
        ASSERT_TRUE(back.load());
        EXPECT_NE(back.authenticate("alice", "new password"), nullptr);
        EXPECT_EQ(back.authenticate("alice", "first password"), nullptr);
    }

    // Removing asks first; No keeps the user.
    p.userList.setItemIndex(1);
    m_host.answers = {platform::MessageAnswer::No};
    p.removeUserButton.click();
    EXPECT_EQ(p.userList.items().size(), 2u);
    m_host.answers = {platform::MessageAnswer::Yes};
    p.removeUserButton.click();
    EXPECT_EQ(p.userList.items(), std::vector<std::string>{"alice（查看者）"});
    EXPECT_FALSE(p.removeUserButton.enabled()) << "nothing is selected any more";
    console::Accounts back(m_dir.path(), m_secrets);
    ASSERT_TRUE(back.load());
    EXPECT_EQ(back.findUser("bob"), nullptr);
    EXPECT_NE(back.findUser("alice"), nullptr);
}

TEST_F(ConsolePageTest, ANewTokenIsShownOnceAndOnlyItsHashIsKept) {
    ConsolePage& p = page();
    std::string seen;
    m_host.onShown("ConsoleTokenDialog", [&](model::Window&) {
        ConsoleTokenDialog& d = p.tokenDialog();
        EXPECT_FALSE(d.tokenField.visible());
        d.nameField.setText("panel");
        d.roleGroup.setItemIndex(1);
        d.addButton.click();
        seen = d.tokenField.text();
        EXPECT_TRUE(d.tokenField.visible());
        EXPECT_FALSE(d.addButton.enabled()) << "one token per opening";
        d.closeButton.click();
    });
    p.addTokenButton.click();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(p.tokenList.items(), std::vector<std::string>{"panel（操作员）"});
    EXPECT_EQ(p.tokenDialog().tokenField.text(), "") << "gone once the dialog closed";
    EXPECT_EQ(usersFile().find(seen), std::string::npos);
    console::Accounts back(m_dir.path(), m_secrets);
    ASSERT_TRUE(back.load());
    ASSERT_NE(back.findToken(seen), nullptr);

    // The next opening starts empty, and a name taken is refused without showing anything.
    m_host.onShown("ConsoleTokenDialog", [&](model::Window&) {
        ConsoleTokenDialog& d = p.tokenDialog();
        EXPECT_EQ(d.tokenField.text(), "");
        EXPECT_TRUE(d.addButton.enabled());
        d.nameField.setText("panel");
        d.addButton.click();
        EXPECT_FALSE(d.tokenField.visible());
    });
    p.addTokenButton.click();
    EXPECT_NE(lastMessage().find("已存在"), std::string::npos);

    p.tokenList.setItemIndex(0);
    m_host.answers = {platform::MessageAnswer::Yes};
    p.removeTokenButton.click();
    EXPECT_TRUE(p.tokenList.items().empty());
    ASSERT_TRUE(back.load());
    EXPECT_EQ(back.findToken(seen), nullptr);
}

TEST_F(ConsolePageTest, FingerprintComesFromTheCertificateTheConsoleUses) {
    EXPECT_EQ(page().fingerprintText.text(), ConsolePage::kNoCertificates);

    FakeCertificates reader;
    certificates = &reader;
    ConsolePage p(ConsolePageServices{m_host, m_dir.path(), m_secrets, &reader});
    EXPECT_EQ(p.fingerprintText.text(), ConsolePage::kNoCertificate);
    writeBytes(m_dir / "console-cert.pem", "AB:CD\n");
    p.reload();
    EXPECT_EQ(p.fingerprintText.text(), "AB:CD");

    // One named in console.conf, relative to the program directory, is read instead.
    writeBytes(m_dir / "own.pem", "EF:01\n");
    writeBytes(m_dir / "console.conf", "certificate=own.pem\nkey=own-key.pem\n");
    p.reload();
    EXPECT_EQ(p.fingerprintText.text(), "EF:01");
    EXPECT_EQ(reader.read.back(), m_dir / "own.pem");
    writeBytes(m_dir / "own.pem", "");
    p.reload();
    EXPECT_EQ(p.fingerprintText.text(), "无法读取证书：没有证书");
}

}  // namespace
}  // namespace orvessa::editing
