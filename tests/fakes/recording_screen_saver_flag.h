#pragma once

#include <vector>

#include "core/platform/system_services.h"

namespace orvessa::fakes {

// Records every raise (true) and lowering (false) of the flag, in order.
class RecordingScreenSaverFlag : public platform::ScreenSaverFlag {
public:
    void setRunning(bool running) override { calls.push_back(running); }

    std::vector<bool> calls;
};

}  // namespace orvessa::fakes
