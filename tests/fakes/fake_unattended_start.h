#pragma once

#include <string>
#include <vector>

#include "core/platform/unattended_start.h"

namespace orvessa::fakes {

// An autostart entry that exists or not, and a login manager told to log in or not.
class FakeUnattendedStart : public platform::UnattendedStart {
public:
    bool autostart() const override { return entry; }
    std::string setAutostart(bool on) override {
        writes.push_back(on);
        if (problem.empty()) {
            entry = on;
        }
        return problem;
    }
    bool autoLogin() const override { return login; }

    bool entry = false;
    bool login = false;
    std::string problem;       // what each write fails with; empty: it succeeds
    std::vector<bool> writes;  // every setAutostart, in order
};

}  // namespace orvessa::fakes
