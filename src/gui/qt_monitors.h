#pragma once

#include "core/platform/display_services.h"

namespace orvessa::gui {

// The screens Qt knows, the primary one first.
class QtMonitors : public platform::Monitors {
public:
    std::vector<platform::ScreenRect> monitors() const override;
};

}  // namespace orvessa::gui
