#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/platform/unattended_start.h"
#include "core/store/file_sync.h"

namespace orvessa::backends {

// The desktop's autostart entry ($XDG_CONFIG_HOME/autostart/orvessa.desktop) and the automatic
// login of LightDM and GDM, as their configuration files say.
class LinuxUnattendedStart : public platform::UnattendedStart {
public:
    struct Places {
        std::filesystem::path configHome;  // $XDG_CONFIG_HOME, else ~/.config
        std::filesystem::path executable;  // what the entry starts
        std::string userName;              // whom the login manager should log in
        // Where /etc and /usr/share are found: "/" but in tests.
        std::filesystem::path systemRoot = "/";
    };

    // The autostart entry is flushed through `fileSync` when given.
    explicit LinuxUnattendedStart(Places places, store::FileSync* fileSync = nullptr);
    // This process: its user, its executable and the environment's configuration directory.
    static Places placesOfThisProcess();

    bool autostart() const override;
    std::string setAutostart(bool on) override;
    bool autoLogin() const override;

    std::filesystem::path entryPath() const;
    // The Exec value that starts `executable` from a desktop entry, quoted and escaped as Exec
    // requires, in a form GLib's desktops start as well; empty, with `problem` said for the
    // operator, when no valid entry can name the program (a path that is not UTF-8).
    static std::string execValue(const std::filesystem::path& executable, std::string& problem);
    // The entry's text around an Exec value.
    static std::string entryText(std::string_view exec);
    // `argument` as one quoted argument of an Exec value, escaped for the file.
    static std::string execArgument(std::string_view argument);

private:
    bool lightDmLogsIn() const;
    bool gdmLogsIn() const;

    Places m_places;
    store::FileSync* m_fileSync;
};

}  // namespace orvessa::backends
