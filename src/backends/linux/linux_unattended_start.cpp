#include "backends/linux/linux_unattended_start.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <map>
#include <system_error>
#include <utility>
#include <vector>

#include "core/store/file_io.h"
#include "core/text/gbk.h"
#include "core/text/paths.h"
#include "core/text/system_error_text.h"

namespace orvessa::backends {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxConfigBytes = 256 * 1024;

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) {
        s.remove_prefix(1);
    }
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) {
        s.remove_suffix(1);
    }
    return s;
}

std::string lowered(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// Calls `entry(section, key, value)` for each "key=value" line of an INI-style file (desktop
// entries, LightDM's and GDM's configuration); nothing for a file that cannot be read.
void forEachEntry(
    const fs::path& file,
    const std::function<void(std::string_view, std::string_view, std::string_view)>& entry) {
    const store::ReadResult read = store::readWholeFile(file, kMaxConfigBytes);
    if (read.status != store::ReadStatus::Ok) {
        return;
    }
    std::string section;
    for (std::string_view line : store::splitLines(read.bytes)) {
        line = trimmed(line);
        if (line.empty() || line.front() == '#' || line.front() == ';') {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            section = std::string(line.substr(1, line.size() - 2));
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos) {
            entry(section, trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1)));
        }
    }
}

// The "*.conf" files of a drop-in folder, in the order their program reads them.
std::vector<fs::path> dropIns(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        if (it->path().extension() == ".conf") {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool isTrue(std::string_view value) {
    const std::string v = lowered(value);
    return v == "true" || v == "1" || v == "yes";
}

}  // namespace

LinuxUnattendedStart::LinuxUnattendedStart(Places places, store::FileSync* fileSync)
    : m_places(std::move(places)), m_fileSync(fileSync) {}

LinuxUnattendedStart::Places LinuxUnattendedStart::placesOfThisProcess() {
    Places places;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
        places.configHome = config;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
        places.configHome = fs::path(home) / ".config";
    }
    std::error_code ec;
    places.executable = fs::read_symlink("/proc/self/exe", ec);
    if (const passwd* user = getpwuid(geteuid()); user != nullptr && user->pw_name != nullptr) {
        places.userName = user->pw_name;
    }
    return places;
}

fs::path LinuxUnattendedStart::entryPath() const {
    return m_places.configHome.empty() ? fs::path{}
                                       : m_places.configHome / "autostart" / "orvessa.desktop";
}

std::string LinuxUnattendedStart::execArgument(std::string_view argument) {
    // Inside the quotes of an Exec argument '"', '`', '$' and '\' take a backslash, and '%'
    // is doubled; then the value as a whole escapes '\'.
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        } else if (c == '%') {
            quoted += '%';
        }
        quoted += c;
    }
    quoted += '"';
    std::string value;
    for (const char c : quoted) {
        value += c;
        if (c == '\\') {
            value += '\\';
        }
    }
    return value;
}

std::string LinuxUnattendedStart::execValue(const fs::path& executable, std::string& problem) {
    const std::string& path = executable.native();
    // Desktop entries are UTF-8 by their own rule, and their strings hold no control character.
    if (!text::isUtf8(path)) {
        problem = "程序所在的路径含有不是 UTF-8 编码的文字，桌面的自动启动项写不出这个路径：" +
                  text::readablePath(executable) +
                  "\r\r请把程序放到名称只含常用文字的文件夹中再设置。";
        return {};
    }
    if (std::any_of(path.begin(), path.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; })) {
        problem = "程序所在的路径含有控制字符，桌面的自动启动项写不出这个路径：" +
                  text::readablePath(executable);
        return {};
    }
    if (path.find('%') == std::string::npos) {
        return execArgument(path);
    }
    // GLib looks for an Exec's program before it turns "%%" back into "%", and so finds none;
    // a shell it does find starts the program instead.
    return "/bin/sh -c " + execArgument("exec \"$0\"") + " " + execArgument(path);
}

std::string LinuxUnattendedStart::entryText(std::string_view exec) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Orvessa\n"
           "Comment=定时广播系统\n"
           "Exec=" +
           std::string(exec) +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool LinuxUnattendedStart::autostart() const {
    const fs::path entry = entryPath();
    if (entry.empty() || m_places.executable.empty() || !store::fileExists(entry)) {
        return false;
    }
    std::string problem;
    const std::string wanted = execValue(m_places.executable, problem);
    if (wanted.empty()) {
        return false;
    }
    // Only an entry that starts this program counts: not one the desktop's own session settings
    // switched off, nor one of another copy, nor one in a form GLib's desktops cannot start.
    bool on = true;
    bool startsUs = false;
    forEachEntry(entry,
                 [&](std::string_view section, std::string_view key, std::string_view value) {
                     if (section != "Desktop Entry") {
                         return;
                     }
                     if ((key == "Hidden" && isTrue(value)) ||
                         (key == "X-GNOME-Autostart-enabled" && !isTrue(value))) {
                         on = false;
                     } else if (key == "Exec") {
                         startsUs = value == wanted;
                     }
                 });
    return on && startsUs;
}

std::string LinuxUnattendedStart::setAutostart(bool on) {
    const fs::path entry = entryPath();
    if (entry.empty()) {
        return "找不到用户的配置文件夹（XDG_CONFIG_HOME 和 HOME 都没有设置）";
    }
    std::error_code ec;
    if (!on) {
        fs::remove(entry, ec);
        return ec ? text::readablePath(entry) + ": " + text::systemErrorText(ec) : std::string();
    }
    if (m_places.executable.empty()) {
        return "无法得知本程序所在的路径";
    }
    std::string problem;
    const std::string exec = execValue(m_places.executable, problem);
    if (exec.empty()) {
        return problem;
    }
    fs::create_directories(entry.parent_path(), ec);
    if (ec) {
        return text::readablePath(entry.parent_path()) + ": " + text::systemErrorText(ec);
    }
    const store::WriteResult written =
        store::writeFileAtomically(entry, entryText(exec), store::Visibility::Shared, m_fileSync);
    return written ? std::string() : written.error;
}

bool LinuxUnattendedStart::lightDmLogsIn() const {
    // Later files override earlier ones, key by key, in each seat's section.
    std::vector<fs::path> files = dropIns(m_places.systemRoot / "usr/share/lightdm/lightdm.conf.d");
    for (const fs::path& f : dropIns(m_places.systemRoot / "etc/lightdm/lightdm.conf.d")) {
        files.push_back(f);
    }
    files.push_back(m_places.systemRoot / "etc/lightdm/lightdm.conf");
    std::map<std::string, std::string, std::less<>> userOfSeat;
    for (const fs::path& file : files) {
        forEachEntry(file,
                     [&](std::string_view section, std::string_view key, std::string_view value) {
                         if ((section.starts_with("Seat:") || section == "SeatDefaults") &&
                             key == "autologin-user") {
                             userOfSeat[std::string(section)] = std::string(value);
                         }
                     });
    }
    return std::any_of(userOfSeat.begin(), userOfSeat.end(),
                       [&](const auto& seat) { return seat.second == m_places.userName; });
}

bool LinuxUnattendedStart::gdmLogsIn() const {
    bool logsIn = false;
    for (const char* file :
         {"etc/gdm3/daemon.conf", "etc/gdm3/custom.conf", "etc/gdm/custom.conf"}) {
        bool automatic = false;
        bool timed = false;
        std::string automaticUser;
        std::string timedUser;
        forEachEntry(m_places.systemRoot / file,
                     [&](std::string_view section, std::string_view key, std::string_view value) {
                         if (section != "daemon") {
                             return;
                         }
                         if (key == "AutomaticLoginEnable") {
                             automatic = isTrue(value);
                         } else if (key == "AutomaticLogin") {
                             automaticUser = value;
                         } else if (key == "TimedLoginEnable") {
                             timed = isTrue(value);
                         } else if (key == "TimedLogin") {
                             timedUser = value;
                         }
                     });
        logsIn = logsIn || (automatic && automaticUser == m_places.userName) ||
                 (timed && timedUser == m_places.userName);
    }
    return logsIn;
}

bool LinuxUnattendedStart::autoLogin() const {
    if (m_places.userName.empty()) {
        return false;
    }
    // Only the login manager that runs counts, where the system says which one it is.
    const store::ReadResult manager =
        store::readWholeFile(m_places.systemRoot / "etc/X11/default-display-manager", 4096);
    const std::string name = manager.status == store::ReadStatus::Ok
                                 ? fs::path(std::string(trimmed(manager.bytes))).filename().string()
                                 : std::string();
    if (name == "lightdm") {
        return lightDmLogsIn();
    }
    if (name == "gdm3" || name == "gdm") {
        return gdmLogsIn();
    }
    return lightDmLogsIn() || gdmLogsIn();
}

}  // namespace orvessa::backends
