#include "core/editing/password_dialog.h"

#include "core/text/gbk.h"
#include "core/text/numbers.h"
#include "core/text/time_text.h"

namespace orvessa::editing {

using platform::MessageButtons;
using platform::MessageIcon;
using store::SystemConfig;

PasswordDialog::PasswordDialog(store::SystemConfig& config, bool& unlocked, platform::Host& host,
                               std::function<bool()> saveConfiguration)
    : Window("PasswordDialog", "操作员资格论证"),
      m_config(config),
      m_unlocked(unlocked),
      m_host(host),
      m_saveConfiguration(std::move(saveConfiguration)) {
    changeButton.setHandler([this] { setLayout(true); });
    okButton.setHandler([this] { confirm(); });
    setLayout(false);
}

void PasswordDialog::setLayout(bool change) {
    m_changeLayout = change;
    for (model::TextControl* field : {&passwordField, &newPasswordField, &repeatField}) {
        field->setText("");
    }
    for (model::Control* c : std::initializer_list<model::Control*>{
             &newPasswordPrompt, &newPasswordField, &repeatPrompt, &repeatField}) {
        c->setVisible(change);
    }
    notify();
}

void PasswordDialog::requestClose() {
    setLayout(false);
}

void PasswordDialog::confirm() {
    const bool right = passwordField.text() == m_config.entry(SystemConfig::kPassword);
    passwordField.setText("");
    if (!right) {
        m_host.messageBox("密码不正确，请重新输入！", "错误信息", MessageIcon::Error,
                          MessageButtons::Ok);
        return;
    }
    m_unlocked = true;
    if (m_changeLayout) {
        // Blanks at either end do not count when the two are compared; what is stored is the
        // second field exactly as typed.
        const std::string first = text::trimText(newPasswordField.text());
        const std::string second = text::trimText(repeatField.text());
        if (second.empty()) {
            m_host.messageBox("密码不能为空，请重新输入！", "错误信息", MessageIcon::Error,
                              MessageButtons::Ok);
            return;
        }
        if (first != second) {
            m_host.messageBox("输入有误，请重新输入！", "错误信息", MessageIcon::Error,
                              MessageButtons::Ok);
            return;
        }
        // What orvessa.sys cannot give back would never match again: a character outside GBK
        // is stored as "?", and a long line is cut when it is read.
        std::string problem;
        if (!text::gbkCanHold(repeatField.text())) {
            problem = "新密码中有系统无法保存的字符（如表情符号、韩文），请重新输入！";
        } else if (text::characterCount(repeatField.text()) > kMaxPasswordCharacters) {
            problem = "新密码不能超过" +
                      text::decimalText(static_cast<int64_t>(kMaxPasswordCharacters)) +
                      "个字符，请重新输入！";
        }
        if (!problem.empty()) {
            m_host.messageBox(problem, "错误信息", MessageIcon::Error, MessageButtons::Ok);
            return;
        }
        m_config.setEntry(SystemConfig::kPassword, repeatField.text());
        m_saveConfiguration();
        m_host.messageBox("密码已更改，请牢记新密码！", "系统信息", MessageIcon::Information,
                          MessageButtons::Ok);
    }
    requestClose();
    endModal(model::ModalResult::Accepted);
}

}  // namespace orvessa::editing
