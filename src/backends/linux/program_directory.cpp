#include "backends/linux/program_directory.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <system_error>

namespace orvessa::backends {
namespace fs = std::filesystem;

namespace {

constexpr const char* kConfigFile = "orvessa.sys";
constexpr const char* kMediaFolder = "AUDIO";
constexpr const char* kManualFolder = "manual";

// The data directory of an installation whose executables are in `executableDirectory`, or
// empty when the executable does not lie in an installed layout.
fs::path installedData(const fs::path& executableDirectory) {
    fs::path dir = executableDirectory.lexically_normal();
    if (!dir.has_filename()) {
        dir = dir.parent_path();
    }
    const fs::path prefix = dir.parent_path().parent_path();
    if (prefix.empty() || prefix / kInstalledProgramFolder != dir) {
        return {};
    }
    std::error_code ec;
    const fs::path data = prefix / kInstalledDataFolder;
    return fs::is_regular_file(data / kConfigFile, ec) ? data : fs::path{};
}

std::string describe(const fs::path& path, const std::error_code& ec) {
    return path.string() + ": " + ec.message();
}

// Copies `from` to `to` unless `to` exists. The copy is written whole beside `to` and linked
// into place, so an interrupted first start never leaves half a configuration that later starts
// would keep, and a file that appeared meanwhile is not replaced.
std::string copyNew(const fs::path& from, const fs::path& to) {
    std::ifstream in(from, std::ios::binary);
    if (!in) {
        return from.string() + ": cannot be read";
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string temporary = to.string() + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        return describe(temporary, std::error_code(errno, std::generic_category()));
    }
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    const int writeError = written == bytes.size() ? 0 : errno;
    const bool closed = close(fd) == 0;
    std::string problem;
    if (writeError != 0 || !closed) {
        problem = describe(
            to, std::error_code(writeError != 0 ? writeError : errno, std::generic_category()));
    } else if (link(temporary.c_str(), to.c_str()) != 0 && errno != EEXIST) {
        problem = describe(to, std::error_code(errno, std::generic_category()));
    }
    unlink(temporary.c_str());
    return problem;
}

}  // namespace

ProgramDirectory chooseProgramDirectory(const fs::path& executableDirectory,
                                        bool executableDirectoryWritable,
                                        const UserDirectories& user) {
    const fs::path installed = installedData(executableDirectory);
    if (installed.empty() && executableDirectoryWritable) {
        return {executableDirectory, executableDirectory, false};
    }
    fs::path own;
    if (user.dataHome.starts_with('/')) {
        own = fs::path(user.dataHome) / "orvessa";
    } else if (user.home.starts_with('/')) {
        own = fs::path(user.home) / ".local" / "share" / "orvessa";
    } else {
        return {executableDirectory, executableDirectory, false};
    }
    return {own, installed.empty() ? executableDirectory : installed, true};
}

ProgramDirectory chooseProgramDirectory() {
    const fs::path executable = executableDirectory();
    const bool writable = !executable.empty() && access(executable.c_str(), W_OK) == 0;
    UserDirectories user;
    if (const char* data = std::getenv("XDG_DATA_HOME")) {
        user.dataHome = data;
    }
    if (const char* home = std::getenv("HOME")) {
        user.home = home;
    }
    return chooseProgramDirectory(executable, writable, user);
}

std::string prepareProgramDirectory(const ProgramDirectory& directory) {
    if (!directory.perUser) {
        return {};
    }
    const fs::path& dir = directory.path;
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) {
        return describe(dir, ec);
    }
    std::string problem;
    if (!fs::exists(dir / kConfigFile, ec) && !ec &&
        fs::is_regular_file(directory.defaults / kConfigFile, ec)) {
        problem = copyNew(directory.defaults / kConfigFile, dir / kConfigFile);
    }
    if (fs::create_directory(dir / kMediaFolder, ec); ec && problem.empty()) {
        problem = describe(dir / kMediaFolder, ec);
    }
    // The manual is the installation's, not the user's: a link follows it through upgrades.
    const fs::path manual = directory.defaults / kManualFolder;
    if (!fs::exists(fs::symlink_status(dir / kManualFolder, ec)) && fs::is_directory(manual, ec)) {
        if (fs::create_directory_symlink(manual, dir / kManualFolder, ec); ec && problem.empty()) {
            problem = describe(dir / kManualFolder, ec);
        }
    }
    return problem;
}

fs::path openProgramDirectory(std::ostream& errors) {
    const ProgramDirectory directory = chooseProgramDirectory();
    if (const std::string problem = prepareProgramDirectory(directory); !problem.empty()) {
        errors << "Orvessa: the program directory cannot be made ready: " << problem << '\n';
    }
    return directory.path;
}

fs::path executableDirectory() {
    std::error_code ec;
    const fs::path executable = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path{} : executable.parent_path();
}

}  // namespace orvessa::backends
