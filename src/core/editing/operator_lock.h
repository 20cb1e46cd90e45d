#pragma once

#include <functional>

#include "core/model/command.h"
#include "core/platform/host.h"
#include "core/platform/system_services.h"
#include "core/store/system_config.h"

namespace orvessa::editing {

class PasswordDialog;

struct LockControls {
    model::Command& enterSystem;     // 进入系统
    model::Command& lockSystem;      // 屏蔽系统
    model::Command& changePassword;  // 更改密码...
    // Switches the commands that only the operator who has entered may reach.
    std::function<void()> lockChanged;
};

// The operator password and the lock: while locked, the broadcast goes on but nothing that
// changes settings, switches modes or quits can be reached without the password.
class OperatorLock {
public:
    OperatorLock(LockControls controls, const store::SystemConfig& config, bool& unlocked,
                 platform::ScreenSaverFlag& screenSaver, platform::Host& host);

    // The password dialog, created after the main window.
    void setDialog(PasswordDialog* dialog) { m_dialog = dialog; }

    // Shows the password dialog in its entry layout; returns whether the operator has entered.
    bool askPassword();
    void lock();
    void enter();
    void changePassword();
    void applyLockState();

private:
    void showDialog();

    LockControls m_c;
    const store::SystemConfig& m_config;
    bool& m_unlocked;
    platform::ScreenSaverFlag& m_screenSaver;
    platform::Host& m_host;
    PasswordDialog* m_dialog = nullptr;
};

}  // namespace orvessa::editing
