#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/store/file_io.h"

namespace orvessa::alerts {

inline constexpr const char* kDefaultMessage = "紧急情况，请听从广播指挥！";
// Not Ctrl+Alt+F12: a stock Xorg keymap switches to a text console with it, and no program gets
// it. A key stored in alerts.conf is kept as it is.
inline constexpr const char* kDefaultKey = "Ctrl+Shift+F12";
inline constexpr const char* kDefaultNoticeFolder = "广播";
// The longest message the video window shows, in characters.
inline constexpr std::size_t kMaxMessageCharacters = 200;

// How the emergency sounds and shows, and where the notices are.
struct AlertSettings {
    std::string alarmFile;  // empty: the built-in siren
    int alarmVolume = 100;  // 0..100, whatever a row set the broadcast's volume to
    std::string message = kDefaultMessage;
    std::string key = kDefaultKey;  // the global key that starts the emergency; empty for none
    // A folder relative to the media library, or an absolute one.
    std::string noticeFolder = kDefaultNoticeFolder;
    int noticeVolume = 100;  // 0..100
    bool operator==(const AlertSettings&) const = default;
};

// Empty when `text` is a volume 0..100 (set in `volume`), else why not.
std::string parseVolume(std::string_view text, int& volume);
// Empty when `message` can be shown: one line, not blank, at most kMaxMessageCharacters
// characters of valid UTF-8.
std::string checkMessage(std::string_view message);
// Empty when `key` is a chord as the options write it ("Ctrl+Shift+F12": modifiers Ctrl, Alt,
// Shift or Meta, then one key), or empty (no key); else why not. Whether the desktop lets us
// have it is the platform's to say.
std::string checkKey(std::string_view key);

// alerts.conf in the program directory: UTF-8, one key=value a line. Lines it does not know are
// written back as they were.
class AlertSettingsFile {
public:
    static constexpr const char* kFileName = "alerts.conf";

    explicit AlertSettingsFile(std::filesystem::path programDirectory,
                               store::FileSync* sync = nullptr);

    std::filesystem::path filePath() const { return m_programDirectory / kFileName; }

    // Reads the file; a missing one gives the defaults. A bad value leaves its setting at the
    // default and is listed in problems(). False when the file is there but cannot be read.
    bool load();
    const std::string& error() const { return m_error; }
    // "第 3 行: ..." for each bad value, in file order.
    const std::vector<std::string>& problems() const { return m_problems; }

    const AlertSettings& settings() const { return m_settings; }
    // Takes settings whose values the checks above accept.
    void set(const AlertSettings& settings) { m_settings = settings; }
    // Writes the whole file atomically.
    store::WriteResult save() const;

private:
    std::filesystem::path m_programDirectory;
    store::FileSync* m_sync = nullptr;
    AlertSettings m_settings;
    std::vector<std::string> m_lines;  // as read, without line ends
    std::vector<std::string> m_problems;
    std::string m_error;
};

}  // namespace orvessa::alerts
