#pragma once

#include "core/platform/system_services.h"

namespace orvessa::gui {

// The desktop's "open": files with their registered program, addresses in the browser.
class DesktopShell : public platform::Shell {
public:
    bool open(const std::string& target, const std::string& workingDirectory) override;
};

}  // namespace orvessa::gui
