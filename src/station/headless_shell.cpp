#include "station/headless_shell.h"

#include <glib.h>

#include <cstdlib>

namespace orvessa::station {

HeadlessShell::HeadlessShell() : HeadlessShell(displayInEnvironment(), launchXdgOpen) {}

HeadlessShell::HeadlessShell(bool hasDisplay, Launcher launcher)
    : m_hasDisplay(hasDisplay), m_launcher(std::move(launcher)) {}

bool HeadlessShell::open(const std::string& target, const std::string& workingDirectory) {
    return m_hasDisplay && m_launcher && m_launcher(target, workingDirectory);
}

bool HeadlessShell::displayInEnvironment() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        if (const char* value = std::getenv(name); value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

bool HeadlessShell::launchXdgOpen(const std::string& target, const std::string& workingDirectory) {
    char program[] = "xdg-open";
    std::string argument = target;
    char* argv[] = {program, argument.data(), nullptr};
    // Without DO_NOT_REAP_CHILD the opener is started through an intermediate child, so it
    // never lingers as a zombie of the service.
    return g_spawn_async(workingDirectory.empty() ? nullptr : workingDirectory.c_str(), argv,
                         nullptr, static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH), nullptr, nullptr,
                         nullptr, nullptr) != FALSE;
}

}  // namespace orvessa::station
