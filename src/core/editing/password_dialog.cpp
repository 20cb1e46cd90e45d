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
    Button1.setHandler([this] { setLayout(true); });
    Button2.setHandler([this] { Button2Click(); });
    setLayout(false);
}

void PasswordDialog::setLayout(bool change) {
    m_changeLayout = change;
    for (model::TextControl* field : {&Edit1, &Edit2, &Edit3}) {
        field->setText("");
    }
    for (model::Control* c :
         std::initializer_list<model::Control*>{&Label2, &Edit2, &Label3, &Edit3}) {
        c->setVisible(change);
    }
    notify();
}

void PasswordDialog::FormClose() {
    setLayout(false);
}

void PasswordDialog::Button2Click() {
    const bool right = Edit1.text() == m_config.entry(SystemConfig::kPassword);
    Edit1.setText("");
    if (!right) {
        m_host.messageBox("密码不正确，请重新输入！", "错误信息", MessageIcon::Error,
                          MessageButtons::Ok);
        return;
    }
    m_unlocked = true;
    if (m_changeLayout) {
        // Blanks at either end do not count when the two are compared; what is stored is the
        // second field exactly as typed.
        const std::string first = text::trimText(Edit2.text());
        const std::string second = text::trimText(Edit3.text());
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
        if (!text::gbkCanHold(Edit3.text())) {
            problem = "新密码中有系统无法保存的字符（如表情符号、韩文），请重新输入！";
        } else if (text::characterCount(Edit3.text()) > kMaxPasswordCharacters) {
            problem = "新密码不能超过" +
                      text::decimalText(static_cast<int64_t>(kMaxPasswordCharacters)) +
                      "个字符，请重新输入！";
        }
        if (!problem.empty()) {
            m_host.messageBox(problem, "错误信息", MessageIcon::Error, MessageButtons::Ok);
            return;
        }
        m_config.setEntry(SystemConfig::kPassword, Edit3.text());
        m_saveConfiguration();
        m_host.messageBox("密码已更改，请牢记新密码！", "系统信息", MessageIcon::Information,
                          MessageButtons::Ok);
    }
    FormClose();
    endModal(model::ModalResult::Accepted);
}

}  // namespace orvessa::editing
