#pragma once

#include <string>

#include "editing_scenario.h"

namespace orvessa::editing {

using store::SystemConfig;

// The editing scenario with the operator's side of the password dialog and a look at what
// reached orvessa.sys.
class SettingsScenario : public EditingScenario {
protected:
    // Entry k as a fresh start would read it from disk.
    std::string stored(int k) const {
        SystemConfig onDisk(m_dir.path());
        EXPECT_EQ(onDisk.load(), SystemConfig::LoadStatus::Loaded);
        return onDisk.entry(k);
    }

    // Every time the password dialog opens, the operator types `password` and presses OK.
    void typing(const std::string& password) {
        m_host.onShown("PasswordDialog", [this, password](model::Window&) {
            m_system->passwordDialog().passwordField.setText(password);
            m_system->passwordDialog().okButton.click();
        });
    }

    // The same in the change layout, with the two new passwords.
    void changing(const std::string& password, const std::string& first,
                  const std::string& second) {
        m_host.onShown("PasswordDialog", [this, password, first, second](model::Window&) {
            PasswordDialog& d = m_system->passwordDialog();
            d.changeButton.click();
            d.passwordField.setText(password);
            d.newPasswordField.setText(first);
            d.repeatField.setText(second);
            d.okButton.click();
        });
    }

    OptionsDialog& options() { return m_system->optionsDialog(); }
};

}  // namespace orvessa::editing
