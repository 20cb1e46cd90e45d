#pragma once

#include "core/platform/system_services.h"

namespace orvessa::backends {

class LinuxPower : public platform::Power {
public:
    // Neither Windows family.
    std::string platformFamily() const override { return {}; }
};

// Linux has no "screen saver running" flag that guards key chords.
class LinuxScreenSaverFlag : public platform::ScreenSaverFlag {
public:
    void setRunning(bool) override {}
};

}  // namespace orvessa::backends
