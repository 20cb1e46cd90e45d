#include "core/editing/console_page.h"

#include <system_error>

#include "core/console/names.h"
#include "core/text/numbers.h"
#include "core/text/paths.h"
#include "core/text/time_text.h"

namespace orvessa::editing {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

namespace {

std::string roleCaption(console::Role role) {
    return role == console::Role::Operator ? "操作员" : "查看者";
}

console::Role roleOf(const model::RadioGroup& group) {
    return group.itemIndex() == 1 ? console::Role::Operator : console::Role::Viewer;
}

// The name of the account on the list's selected line: the lines follow the accounts' order.
template <typename Account>
std::string selectedName(const model::ListBox& list, const std::vector<Account>& accounts) {
    const int index = list.itemIndex();
    if (index < 0 || index >= static_cast<int>(accounts.size())) {
        return {};
    }
    return accounts[static_cast<std::size_t>(index)].name;
}

}  // namespace

ConsoleAccountDialog::ConsoleAccountDialog() : Window("ConsoleAccountDialog", "添加用户") {
    cancelButton.setHandler([this] { endModal(model::ModalResult::Closed); });
    prepare(true, {});
}

void ConsoleAccountDialog::prepare(bool adding, const std::string& name) {
    m_adding = adding;
    clear();
    nameField.setText(name);
    roleGroup.setItemIndex(0);
    nameField.setVisible(adding);
    roleGroup.setVisible(adding);
    setCaption(adding ? "添加用户" : "修改密码：" + name);
    notify();
}

void ConsoleAccountDialog::clear() {
    passwordField.setText("");
    repeatField.setText("");
}

ConsoleTokenDialog::ConsoleTokenDialog() : Window("ConsoleTokenDialog", "添加令牌") {
    closeButton.setHandler([this] { endModal(model::ModalResult::Closed); });
    prepare();
}

void ConsoleTokenDialog::prepare() {
    clear();
    nameField.setText("");
    roleGroup.setItemIndex(0);
}

void ConsoleTokenDialog::show(const std::string& token) {
    tokenField.setText(token);
    tokenField.setVisible(true);
    shownNote.setVisible(true);
    nameField.setEnabled(false);
    roleGroup.setEnabled(false);
    addButton.setEnabled(false);
    notify();
}

void ConsoleTokenDialog::clear() {
    tokenField.setText("");
    tokenField.setVisible(false);
    shownNote.setVisible(false);
    nameField.setEnabled(true);
    roleGroup.setEnabled(true);
    addButton.setEnabled(true);
    notify();
}

ConsolePage::ConsolePage(ConsolePageServices services)
    : m_services(std::move(services)),
      m_settings(m_services.programDirectory, m_services.fileSync),
      m_accounts(m_services.programDirectory, m_services.secrets, m_services.fileSync) {
    addressField.changed.connect([this] { addressTyped(); });
    userList.changed.connect([this] { selectionChanged(); });
    tokenList.changed.connect([this] { selectionChanged(); });
    saveButton.setHandler([this] { saveSettings(); });
    addUserButton.setHandler([this] { addUser(); });
    removeUserButton.setHandler([this] { removeUser(); });
    changePasswordButton.setHandler([this] { changePassword(); });
    addTokenButton.setHandler([this] { addToken(); });
    removeTokenButton.setHandler([this] { removeToken(); });
    m_accountDialog.okButton.setHandler([this] { confirmAccount(); });
    m_tokenDialog.addButton.setHandler([this] { confirmToken(); });
    reload();
}

std::vector<model::Command*> ConsolePage::commands() {
    return {&enabledBox,           &saveButton,     &addUserButton,    &removeUserButton,
            &changePasswordButton, &addTokenButton, &removeTokenButton};
}

void ConsolePage::reload() {
    std::vector<std::string> problems;
    m_settingsRead = m_settings.load();
    if (!m_settingsRead) {
        problems.push_back(m_settings.error());
    }
    for (const std::string& p : m_settings.problems()) {
        problems.push_back(std::string(console::ConsoleSettingsFile::kFileName) + " " + p);
    }
    m_accountsRead = m_accounts.load();
    if (!m_accountsRead) {
        problems.push_back(m_accounts.error());
    }
    for (const std::string& p : m_accounts.problems()) {
        problems.push_back(std::string(console::Accounts::kFileName) + " " + p);
    }
    std::string text;
    for (const std::string& p : problems) {
        text += (text.empty() ? "" : "\n") + p;
    }
    problemText.setText(text);
    problemText.setVisible(!text.empty());

    const console::ConsoleSettings& s = m_settings.settings();
    m_saved = s;
    enabledBox.setChecked(s.enabled);
    addressField.setText(s.address);
    portField.setText(text::decimalText(s.port));
    // A file that could not be read is never replaced by what the page shows instead.
    for (model::Control* c : std::initializer_list<model::Control*>{&enabledBox, &addressField,
                                                                    &portField, &saveButton}) {
        c->setEnabled(m_settingsRead);
    }
    addressTyped();
    showAccounts();
    showFingerprint();
}

void ConsolePage::addressTyped() {
    const std::string address = text::trimText(addressField.text());
    if (!console::checkAddress(address).empty()) {
        addressNote.setText("");
    } else {
        addressNote.setText(console::isLoopback(address) ? kLoopbackNote : kNetworkNote);
    }
}

void ConsolePage::error(const std::string& text) {
    m_services.host.messageBox(text, "错误信息", MessageIcon::Error, MessageButtons::Ok);
}

void ConsolePage::saveSettings() {
    if (!m_settingsRead) {
        return;
    }
    const std::string address = text::trimText(addressField.text());
    if (const std::string why = console::checkAddress(address); !why.empty()) {
        error("地址有误：" + why + "。\r\r设置没有保存。");
        return;
    }
    int port = 0;
    if (const std::string why = console::parsePort(text::trimText(portField.text()), port);
        !why.empty()) {
        error("端口有误：" + why + "。\r\r设置没有保存。");
        return;
    }
    m_settings.setEnabled(enabledBox.checked());
    m_settings.setAddress(address);
    m_settings.setPort(port);
    if (const store::WriteResult written = m_settings.save(); !written) {
        error("控制台设置未能保存：\r\r" + written.error);
        return;
    }
    const console::ConsoleSettings& s = m_settings.settings();
    addressField.setText(s.address);
    portField.setText(text::decimalText(s.port));
    const bool restart =
        s.enabled != m_saved.enabled || s.address != m_saved.address || s.port != m_saved.port;
    m_saved = s;
    if (restart) {
        consoleSettingsChanged.send();
    }
}

void ConsolePage::showAccounts() {
    std::vector<std::string> users;
    for (const console::User& u : m_accounts.users()) {
        users.push_back(u.name + "（" + roleCaption(u.role) + "）");
    }
    std::vector<std::string> tokens;
    for (const console::Token& t : m_accounts.tokens()) {
        tokens.push_back(t.name + "（" + roleCaption(t.role) + "）");
    }
    userList.setItems(std::move(users));
    tokenList.setItems(std::move(tokens));
    addUserButton.setEnabled(m_accountsRead);
    addTokenButton.setEnabled(m_accountsRead);
    selectionChanged();
}

void ConsolePage::selectionChanged() {
    const bool user = m_accountsRead && userList.itemIndex() >= 0;
    removeUserButton.setEnabled(user);
    changePasswordButton.setEnabled(user);
    removeTokenButton.setEnabled(m_accountsRead && tokenList.itemIndex() >= 0);
}

void ConsolePage::showFingerprint() {
    if (m_services.certificates == nullptr) {
        fingerprintText.setText(kNoCertificates);
        return;
    }
    const std::string& named = m_settings.settings().certificate;
    std::filesystem::path file = named.empty()
                                     ? std::filesystem::path(console::kCertificateFileName)
                                     : std::filesystem::path(named);
    if (file.is_relative()) {
        file = m_services.programDirectory / file;
    }
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        fingerprintText.setText(kNoCertificate);
        return;
    }
    std::string why;
    const std::string fingerprint = m_services.certificates->fingerprint(file, why);
    fingerprintText.setText(fingerprint.empty() ? "无法读取证书：" + why : fingerprint);
}

bool ConsolePage::saveAccounts() {
    if (const store::WriteResult written = m_accounts.save(); !written) {
        error("用户和令牌未能保存：\r\r" + written.error);
        // What the page shows is what the file holds.
        m_accountsRead = m_accounts.load();
        showAccounts();
        return false;
    }
    showAccounts();
    accountsChanged.send();
    return true;
}

void ConsolePage::addUser() {
    m_accountDialog.prepare(true, {});
    m_services.host.showModal(m_accountDialog);
    m_accountDialog.clear();
}

void ConsolePage::changePassword() {
    const std::string name = selectedName(userList, m_accounts.users());
    if (name.empty()) {
        return;
    }
    m_accountDialog.prepare(false, name);
    m_services.host.showModal(m_accountDialog);
    m_accountDialog.clear();
}

void ConsolePage::confirmAccount() {
    ConsoleAccountDialog& d = m_accountDialog;
    const std::string password = d.passwordField.text();
    if (password != d.repeatField.text()) {
        d.clear();
        error("两次输入的密码不一致，请重新输入！");
        return;
    }
    if (const std::string why = console::checkPassword(password); !why.empty()) {
        d.clear();
        error(why + "，请重新输入！");
        return;
    }
    const std::string name = text::trimText(d.nameField.text());
    const std::string why = d.adding() ? m_accounts.addUser(name, roleOf(d.roleGroup), password)
                                       : m_accounts.changePassword(name, password);
    if (!why.empty()) {
        error(why + "。");
        return;
    }
    d.clear();
    const bool saved = saveAccounts();
    d.endModal(saved ? model::ModalResult::Accepted : model::ModalResult::Closed);
}

void ConsolePage::removeUser() {
    const std::string name = selectedName(userList, m_accounts.users());
    if (name.empty()) {
        return;
    }
    if (m_services.host.messageBox("删除用户 " + name + "？\r\r其已登录的网页也将退出。", "确认",
                                   MessageIcon::Question,
                                   MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes) {
        return;
    }
    if (const std::string why = m_accounts.removeUser(name); !why.empty()) {
        error(why + "。");
        return;
    }
    saveAccounts();
}

void ConsolePage::addToken() {
    m_tokenDialog.prepare();
    m_services.host.showModal(m_tokenDialog);
    // The text is not kept anywhere once the operator has seen it.
    m_tokenDialog.clear();
}

void ConsolePage::confirmToken() {
    ConsoleTokenDialog& d = m_tokenDialog;
    std::string shown;
    if (const std::string why =
            m_accounts.addToken(text::trimText(d.nameField.text()), roleOf(d.roleGroup), shown);
        !why.empty()) {
        error(why + "。");
        return;
    }
    // A token that did not reach the file would never be accepted: it is not shown.
    if (!saveAccounts()) {
        d.endModal(model::ModalResult::Closed);
        return;
    }
    d.show(shown);
}

void ConsolePage::removeToken() {
    const std::string name = selectedName(tokenList, m_accounts.tokens());
    if (name.empty()) {
        return;
    }
    if (m_services.host.messageBox("删除令牌 " + name + "？\r\r使用它的程序将无法再连接。", "确认",
                                   MessageIcon::Question,
                                   MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes) {
        return;
    }
    if (const std::string why = m_accounts.removeToken(name); !why.empty()) {
        error(why + "。");
        return;
    }
    saveAccounts();
}

}  // namespace orvessa::editing
