#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backends/linux/program_directory_lock.h"
#include "core/platform/failure_record.h"
#include "core/platform/system_services.h"

namespace orvessa::backends {

// One instance per program directory, and one per user and display.
//
// The program directory's own lock (ProgramDirectoryLock) keeps one set of tables from ringing
// twice, whatever display or runtime directory a second instance is started with. Beside it, a
// lock (flock) on a file named after the display, in a directory that only the user can write
// to, keeps one desktop to one Orvessa, even of two program directories. No other user can
// create, replace or hold that file, so nobody else can keep the operator's Orvessa from
// starting; and the kernel drops both locks when the process ends, however it ends, so a file
// left behind by kill -9 blocks nothing.
class LinuxSingleInstance : public platform::SingleInstance {
public:
    // The user's claim on `programDirectory` (none when empty) and on the displays of
    // $WAYLAND_DISPLAY and $DISPLAY, in the first usable of $XDG_RUNTIME_DIR, /run/user/<uid>
    // and /tmp/orvessa-<uid>.
    explicit LinuxSingleInstance(const std::filesystem::path& programDirectory = {},
                                 platform::FailureRecord* failures = nullptr);
    // Where the lock files may go; made (mode 0700) first when `create`.
    struct LockDirectory {
        std::filesystem::path path;
        bool create = false;
    };
    // A claim on the given sessions, in the first usable of `directories`: a directory (not a
    // link) of this user's own that nobody else may enter. Tests give their own.
    LinuxSingleInstance(std::vector<LockDirectory> directories, std::vector<std::string> sessions,
                        platform::FailureRecord* failures,
                        const std::filesystem::path& programDirectory = {});
    ~LinuxSingleInstance() override;
    LinuxSingleInstance(const LinuxSingleInstance&) = delete;
    LinuxSingleInstance& operator=(const LinuxSingleInstance&) = delete;

    // False only when another process holds the program directory, or another process of this
    // user one of the sessions. Where a lock cannot be taken at all, the system starts (a
    // refusal would silence every bell) and the failure is recorded.
    bool claim() override;

    // The lock files held, in the directory the claim used; empty before a claim.
    const std::vector<std::filesystem::path>& lockFiles() const { return m_lockFiles; }

    // The sessions that the environment names: the Wayland display and the X display when set
    // ("console" without either). An instance started with both set is found from either.
    static std::vector<std::string> sessionsOf(const char* waylandDisplay, const char* display,
                                               const char* runtimeDirectory);
    // An X display as X resolves it, the host and the display number: ":0", ":0.0", "unix:0"
    // and "unix:0.1" are all "x11-:0" (the local server); "localhost:10.0" is "x11-localhost:10",
    // a server reached over TCP. Empty for a text that names no display.
    static std::string xDisplaySession(std::string_view display);

private:
    std::vector<LockDirectory> m_directories;
    std::vector<std::string> m_sessions;
    platform::FailureRecord* m_failures;
    std::optional<ProgramDirectoryLock> m_programDirectory;
    std::vector<int> m_fds;
    std::vector<std::filesystem::path> m_lockFiles;
    bool m_claimed = false;
};

}  // namespace orvessa::backends
