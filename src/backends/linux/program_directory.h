#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

namespace orvessa::backends {

// Where the system keeps its files. The executable's own directory, as long as the user may
// write there (a portable copy, the build's program directory); an installed executable, or one
// in a directory the user cannot write, gets a directory of the user's own instead, filled from
// the installed defaults on the first start.
struct ProgramDirectory {
    std::filesystem::path path;
    // Where a fresh per-user directory takes orvessa.sys and the manual from.
    std::filesystem::path defaults;
    bool perUser = false;
};

// The user's directories as the environment gives them; empty when unset.
struct UserDirectories {
    std::string dataHome;  // $XDG_DATA_HOME
    std::string home;      // $HOME
};

// The installed layout: the executables in <prefix>/lib/orvessa, their data in
// <prefix>/share/orvessa.
inline constexpr const char* kInstalledProgramFolder = "lib/orvessa";
inline constexpr const char* kInstalledDataFolder = "share/orvessa";

// Decides without touching the disk beyond looking: an installation is recognised by its
// layout, whatever the user may write (root too keeps out of the package's directory).
// The per-user directory is $XDG_DATA_HOME/orvessa, else ~/.local/share/orvessa; where neither
// can be known the executable's directory stays the program directory.
ProgramDirectory chooseProgramDirectory(const std::filesystem::path& executableDirectory,
                                        bool executableDirectoryWritable,
                                        const UserDirectories& user);

// The same for this process: its executable and the environment.
ProgramDirectory chooseProgramDirectory();

// Makes a per-user directory ready: the directory, orvessa.sys copied from the defaults, the
// media library folder AUDIO and a link to the installed manual. What is there already is
// never overwritten, and a directory beside the executable is left as it is. Returns what went
// wrong, empty when nothing did.
std::string prepareProgramDirectory(const ProgramDirectory& directory);

// Chooses and prepares the program directory of this process; a failure to prepare it is told
// on `errors` in one line, and start-up then reports the missing configuration itself.
std::filesystem::path openProgramDirectory(std::ostream& errors);

// The directory of the running executable, empty when it cannot be known.
std::filesystem::path executableDirectory();

}  // namespace orvessa::backends
