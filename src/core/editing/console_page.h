#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/console/accounts.h"
#include "core/console/certificate.h"
#include "core/console/console_settings.h"
#include "core/console/secrets.h"
#include "core/model/choice_controls.h"
#include "core/model/command.h"
#include "core/model/control.h"
#include "core/model/signal.h"
#include "core/model/window.h"
#include "core/platform/host.h"
#include "core/store/file_io.h"

namespace orvessa::editing {

// The small dialog that adds a console user (name, role, the password twice) or gives one a new
// password (the password twice alone).
class ConsoleAccountDialog : public model::Window {
public:
    ConsoleAccountDialog();

    model::TextControl nameField{"accountNameField"};
    model::RadioGroup roleGroup{
        "accountRoleGroup", "角色", {"查看者（只能查看）", "操作员（可以操作）"}};
    model::TextControl passwordField{"accountPasswordField"};  // typed unseen
    model::TextControl repeatField{"accountRepeatField"};
    model::Command okButton{"accountOkButton", model::CommandKind::Button, "确定(&O)"};
    model::Command cancelButton{"accountCancelButton", model::CommandKind::Button, "取消(&C)"};

    // Adding shows the name and role; a new password for `name` shows only the two fields.
    void prepare(bool adding, const std::string& name);
    bool adding() const { return m_adding; }
    // Every field empty again: no password stays in memory once the dialog is closed.
    void clear();

    std::vector<model::Command*> allCommands() override { return {&okButton, &cancelButton}; }

private:
    bool m_adding = true;
};

// The small dialog that adds an API token: its name and role, then the token's text, shown in a
// field the operator can copy from, once.
class ConsoleTokenDialog : public model::Window {
public:
    static constexpr const char* kShownNote =
        "令牌只显示这一次，关闭本窗口后无法再次查看，请立即复制并妥善保存。";

    ConsoleTokenDialog();

    model::TextControl nameField{"tokenNameField"};
    model::RadioGroup roleGroup{
        "tokenRoleGroup", "角色", {"查看者（只能查看）", "操作员（可以操作）"}};
    model::Command addButton{"tokenAddButton", model::CommandKind::Button, "添加(&A)"};
    // Empty and hidden until the token is made.
    model::TextControl tokenField{"tokenField"};
    model::TextControl shownNote{"tokenShownNote", kShownNote};
    model::Command closeButton{"tokenCloseButton", model::CommandKind::Button, "关闭(&E)"};

    void prepare();
    // Shows the new token; the name and role can no longer be changed.
    void show(const std::string& token);
    // Forgets the token's text.
    void clear();

    std::vector<model::Command*> allCommands() override { return {&addButton, &closeButton}; }
};

// What the console's page works with. Without `secrets` there is no page.
struct ConsolePageServices {
    platform::Host& host;
    std::filesystem::path programDirectory;
    console::Secrets& secrets;
    // Reads the certificate's fingerprint; without it the page shows none.
    console::Certificates* certificates = nullptr;
    store::FileSync* fileSync = nullptr;
};

// The options dialog's page of the web console: whether it runs and where it listens
// (console.conf), its users and API tokens (console-users) and the certificate's fingerprint.
// The users and tokens are written as each change is made; the settings when "确定(&O)" is
// pressed, and only when every value is a good one.
class ConsolePage {
public:
    static constexpr const char* kTitle = "网页控制台";
    static constexpr const char* kLoopbackNote = "只有本机可以连接控制台（http）。";
    static constexpr const char* kNetworkNote =
        "不是本机地址：其他电脑可以连接控制台，连接使用 "
        "HTTPS（自签名证书，首次访问时请核对下面的证书指纹）。";
    static constexpr const char* kRestartNote =
        "启用、地址和端口的改动按“确定”保存后，在控制台重新启动时生效；用户和令牌的改动立即保存。";
    static constexpr const char* kNoCertificates = "（无）";
    static constexpr const char* kNoCertificate = "尚未生成";

    explicit ConsolePage(ConsolePageServices services);
    ConsolePage(const ConsolePage&) = delete;
    ConsolePage& operator=(const ConsolePage&) = delete;

    model::Command enabledBox{"consoleEnabledBox", model::CommandKind::CheckBox, "启用网页控制台"};
    model::TextControl addressField{"consoleAddressField"};
    // Says who can connect at the address typed.
    model::TextControl addressNote{"consoleAddressNote"};
    model::TextControl portField{"consolePortField"};
    model::TextControl restartNote{"consoleRestartNote", kRestartNote};
    // What was wrong in the files as read; empty when nothing.
    model::TextControl problemText{"consoleProblemText", {}, model::kRed};
    model::Command saveButton{"consoleSaveButton", model::CommandKind::Button, "确定(&O)"};

    // "名称（角色）", one line each, in the file's order.
    model::ListBox userList{"consoleUserList"};
    model::Command addUserButton{"consoleAddUserButton", model::CommandKind::Button,
                                 "添加用户(&U)..."};
    model::Command removeUserButton{"consoleRemoveUserButton", model::CommandKind::Button,
                                    "删除用户(&D)"};
    model::Command changePasswordButton{"consoleChangePasswordButton", model::CommandKind::Button,
                                        "修改密码(&P)..."};
    model::ListBox tokenList{"consoleTokenList"};
    model::Command addTokenButton{"consoleAddTokenButton", model::CommandKind::Button,
                                  "添加令牌(&T)..."};
    model::Command removeTokenButton{"consoleRemoveTokenButton", model::CommandKind::Button,
                                     "删除令牌(&R)"};

    model::TextControl fingerprintText{"consoleFingerprint"};

    // Sent after whether the console runs, its address or its port were saved changed: the
    // console then has to start again to follow them.
    model::Signal<> consoleSettingsChanged;
    // Sent after a user or token was added, removed or given a new password and written.
    model::Signal<> accountsChanged;

    ConsoleAccountDialog& accountDialog() { return m_accountDialog; }
    ConsoleTokenDialog& tokenDialog() { return m_tokenDialog; }

    // Reads both files again (the set-up command may have changed them) and shows them.
    void reload();

    std::vector<model::Command*> commands();

private:
    void addressTyped();
    void saveSettings();
    void addUser();
    void changePassword();
    void confirmAccount();
    void removeUser();
    void addToken();
    void confirmToken();
    void removeToken();
    void showAccounts();
    void showFingerprint();
    void selectionChanged();
    // Writes the accounts; on failure says so and reads back what the file holds.
    bool saveAccounts();
    void error(const std::string& text);

    ConsolePageServices m_services;
    console::ConsoleSettingsFile m_settings;
    console::Accounts m_accounts;
    bool m_settingsRead = false;
    bool m_accountsRead = false;
    // The settings as the file holds them, to tell whether a save changed what the console does.
    console::ConsoleSettings m_saved;
    ConsoleAccountDialog m_accountDialog;
    ConsoleTokenDialog m_tokenDialog;
};

}  // namespace orvessa::editing
