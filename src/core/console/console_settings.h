#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/store/file_io.h"

namespace orvessa::console {

inline constexpr int kDefaultPort = 8460;
inline constexpr const char* kDefaultAddress = "127.0.0.1";

// What the console listens on. Off until an administrator turns it on.
struct ConsoleSettings {
    bool enabled = false;
    std::string address = kDefaultAddress;
    int port = kDefaultPort;
    std::string certificate;  // empty: one is made for the console later
    std::string key;
};

// Whether only this computer can reach `address`: 127.0.0.1, ::1 or localhost.
bool isLoopback(std::string_view address);

// Empty when `address` can be listened on as written, else why not.
std::string checkAddress(std::string_view address);
// Empty when `text` is a port 1..65535 (set in `port`), else why not.
std::string parsePort(std::string_view text, int& port);

// console.conf in the program directory: UTF-8, one key=value a line. Lines it does not know
// (other keys, comments) are written back as they were.
class ConsoleSettingsFile {
public:
    static constexpr const char* kFileName = "console.conf";

    explicit ConsoleSettingsFile(std::filesystem::path programDirectory,
                                 store::FileSync* sync = nullptr);

    std::filesystem::path filePath() const { return m_programDirectory / kFileName; }

    // Reads the file; a missing one gives the defaults. A bad value leaves its setting at the
    // default and is listed in problems(). False when the file is there but cannot be read.
    bool load();
    const std::string& error() const { return m_error; }
    // "第 3 行: ..." for each bad or repeated key, in file order.
    std::vector<std::string> problems() const;

    const ConsoleSettings& settings() const { return m_settings; }

    // Each setter takes a value its check accepts and clears the key's problem.
    void setEnabled(bool enabled);
    std::string setAddress(std::string_view address);
    void setPort(int port);

    // Writes the whole file atomically. Refused while a key read bad is still unset, so that a
    // value the administrator wrote is never replaced by a default unseen.
    store::WriteResult save() const;

private:
    void forget(std::string_view key);

    std::filesystem::path m_programDirectory;
    store::FileSync* m_sync = nullptr;
    ConsoleSettings m_settings;
    std::vector<std::string> m_lines;                        // as read, without line ends
    std::vector<std::pair<std::string, std::string>> m_bad;  // key, "第 N 行: why"
    std::string m_error;
};

}  // namespace orvessa::console
