#pragma once

#include <functional>
#include <string>

#include "core/platform/system_services.h"

namespace orvessa::fakes {

// A computer of the family the test names; empty, like any platform that is neither Windows
// family, unless set.
class FakePower : public platform::Power {
public:
    std::string platformFamily() const override { return family; }
    // Records the request; nothing is switched off.
    void powerOff() override {
        ++powerOffs;
        if (onPowerOff) {
            onPowerOff();
        }
    }

    std::string family;
    int powerOffs = 0;
    std::function<void()> onPowerOff;  // runs at each request
};

}  // namespace orvessa::fakes
