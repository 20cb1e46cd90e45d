#pragma once

#include "core/platform/system_services.h"

namespace orvessa::backends {

// The computer's power through the login manager, which closes the sessions and their programs
// before it powers off: its PowerOff call over D-Bus, or systemctl where that is refused.
class LinuxPower : public platform::Power {
public:
    // Neither Windows family.
    std::string platformFamily() const override { return {}; }
    void powerOff() override;
};

// Linux has no "screen saver running" flag that guards key chords.
class LinuxScreenSaverFlag : public platform::ScreenSaverFlag {
public:
    void setRunning(bool) override {}
};

}  // namespace orvessa::backends
