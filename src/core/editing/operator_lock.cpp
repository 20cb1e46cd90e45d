#include "core/editing/operator_lock.h"

#include "core/editing/password_dialog.h"

namespace orvessa::editing {

using store::SystemConfig;

OperatorLock::OperatorLock(LockControls controls, const store::SystemConfig& config, bool& unlocked,
                           platform::ScreenSaverFlag& screenSaver, platform::Host& host)
    : m_c(std::move(controls)),
      m_config(config),
      m_unlocked(unlocked),
      m_screenSaver(screenSaver),
      m_host(host) {
    m_c.enterSystem.setHandler([this] { enter(); });
    m_c.lockSystem.setHandler([this] { lock(); });
    m_c.changePassword.setHandler([this] { changePassword(); });
}

void OperatorLock::showDialog() {
    if (m_dialog == nullptr) {
        return;
    }
    m_host.showModal(*m_dialog);
    // However it was closed, the next opening starts in the entry layout with empty fields.
    m_dialog->requestClose();
}

bool OperatorLock::askPassword() {
    showDialog();
    return m_unlocked;
}

void OperatorLock::lock() {
    m_unlocked = false;
    if (m_config.entry(SystemConfig::kPasswordMode) == "0") {
        m_screenSaver.setRunning(true);
    }
    applyLockState();
}

void OperatorLock::enter() {
    if (!m_unlocked) {
        askPassword();
    }
    if (m_unlocked) {
        m_screenSaver.setRunning(false);
        applyLockState();
    }
}

void OperatorLock::changePassword() {
    showDialog();
}

void OperatorLock::applyLockState() {
    m_c.lockChanged();
}

}  // namespace orvessa::editing
