#pragma once

#include <functional>
#include <string>

#include "core/platform/system_services.h"

namespace orvessa::station {

// The desktop's "open" for a service. With no display to open anything on, every request is
// refused, so that the player records the row and passes it over; with one (a service started
// inside a desktop session), the request goes to xdg-open as the desktop program's does.
class HeadlessShell : public platform::Shell {
public:
    // Starts the opener for `target` in `workingDirectory` (may be empty) without waiting for
    // it; false when it could not be started.
    using Launcher =
        std::function<bool(const std::string& target, const std::string& workingDirectory)>;

    // Whether a display is at hand is decided once, from the environment of the process.
    HeadlessShell();
    HeadlessShell(bool hasDisplay, Launcher launcher);

    bool open(const std::string& target, const std::string& workingDirectory) override;

    // Whether $DISPLAY or $WAYLAND_DISPLAY names a display.
    static bool displayInEnvironment();
    // Runs xdg-open on `target`, detached: it is never waited for.
    static bool launchXdgOpen(const std::string& target, const std::string& workingDirectory);

private:
    bool m_hasDisplay;
    Launcher m_launcher;
};

}  // namespace orvessa::station
