#pragma once

#include <vector>

#include "core/platform/display_services.h"

namespace orvessa::fakes {

// A desktop of fixed monitors; one 1024 x 768 monitor unless the test says otherwise.
class FixedMonitors : public platform::Monitors {
public:
    std::vector<platform::ScreenRect> monitors() const override { return screens; }

    std::vector<platform::ScreenRect> screens{{0, 0, 1024, 768}};
};

}  // namespace orvessa::fakes
