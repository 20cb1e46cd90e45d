#pragma once

#include "core/platform/system_services.h"

namespace orvessa::fakes {

// The session is free unless the test says another instance holds it.
class FakeSingleInstance : public platform::SingleInstance {
public:
    bool claim() override {
        ++claims;
        return available;
    }

    bool available = true;  // false: another instance holds the session
    int claims = 0;
};

}  // namespace orvessa::fakes
