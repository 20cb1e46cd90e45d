#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/model/command.h"
#include "core/model/control.h"
#include "core/model/window.h"
#include "core/platform/host.h"
#include "core/store/system_config.h"

namespace orvessa::editing {

// The operator password dialog: the password alone (entry layout), or with two fields for a new
// one (change layout). A right password sets `unlocked`.
class PasswordDialog : public model::Window {
public:
    // The longest new password taken, in characters.
    static constexpr std::size_t kMaxPasswordCharacters = 64;

    PasswordDialog(store::SystemConfig& config, bool& unlocked, platform::Host& host,
                   std::function<bool()> saveConfiguration);

    model::TextControl passwordPrompt{"passwordPrompt", "请输入操作员密码"};
    model::TextControl passwordField{"passwordField"};  // shown as "*"
    model::TextControl newPasswordPrompt{"newPasswordPrompt", "请输入新密码"};
    model::TextControl newPasswordField{"newPasswordField"};
    model::TextControl repeatPrompt{"repeatPrompt", "请再输入一次"};
    model::TextControl repeatField{"repeatField"};
    model::Command changeButton{"changeButton", model::CommandKind::Button, "更改(&G)"};
    model::Command okButton{"okButton", model::CommandKind::Button, "确定(&O)"};

    bool changeLayout() const { return m_changeLayout; }
    // Every close, by the close box or at the end of OK: the entry layout, all fields empty.
    void requestClose();

    std::vector<model::Command*> allCommands() override { return {&changeButton, &okButton}; }

private:
    void setLayout(bool change);
    void confirm();

    store::SystemConfig& m_config;
    bool& m_unlocked;
    platform::Host& m_host;
    std::function<bool()> m_saveConfiguration;
    bool m_changeLayout = false;
};

}  // namespace orvessa::editing
