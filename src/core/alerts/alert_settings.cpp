#include "core/alerts/alert_settings.h"

#include <array>
#include <set>

#include "core/console/names.h"
#include "core/text/key_value.h"
#include "core/text/numbers.h"

namespace orvessa::alerts {
namespace {

constexpr std::array<const char*, 6> kKeys = {"alarm", "alarm-volume",  "message",
                                              "key",   "notice-folder", "notice-volume"};

bool isKnownKey(std::string_view key) {
    for (const char* known : kKeys) {
        if (key == known) {
            return true;
        }
    }
    return false;
}

bool isFunctionKey(std::string_view key) {
    if (key.size() < 2 || key.size() > 3 || key[0] != 'F') {
        return false;
    }
    const std::optional<int32_t> n = text::parseDecimal(key.substr(1));
    return n && *n >= 1 && *n <= 35 && key[1] != '0' && key[1] != ' ';
}

}  // namespace

std::string parseVolume(std::string_view text, int& volume) {
    const std::optional<int32_t> value = text::parseDecimal(text);
    if (!value || *value < 0 || *value > 100 || text::trimBlanks(text) != text) {
        return "音量应为 0 到 100 的整数";
    }
    volume = *value;
    return {};
}

std::string checkMessage(std::string_view message) {
    const std::optional<std::size_t> count = console::countCharacters(message);
    if (!count) {
        return "提示文字不是有效的 UTF-8 文本";
    }
    if (text::trimBlanks(message).empty()) {
        return "提示文字不能为空";
    }
    if (text::hasControlCharacter(message)) {
        return "提示文字只能是一行";
    }
    if (*count > kMaxMessageCharacters) {
        return "提示文字最多 " + std::to_string(kMaxMessageCharacters) + " 个字";
    }
    return {};
}

std::string checkKey(std::string_view key) {
    if (key.empty()) {
        return {};
    }
    static const std::set<std::string_view> kModifiers = {"Ctrl", "Alt", "Shift", "Meta"};
    static const std::set<std::string_view> kNamed = {
        "Pause", "ScrollLock", "Insert", "Home", "End", "PgUp", "PgDown", "Space", "Del"};
    std::set<std::string_view> used;
    std::string_view rest = key;
    for (;;) {
        const std::size_t plus = rest.find('+');
        const std::string_view part = rest.substr(0, plus);
        if (plus == std::string_view::npos) {
            const bool plain = part.size() == 1 && ((part[0] >= 'A' && part[0] <= 'Z') ||
                                                    (part[0] >= '0' && part[0] <= '9'));
            if (!plain && !isFunctionKey(part) && !kNamed.contains(part)) {
                return "快捷键无效：" + std::string(key);
            }
            // A letter alone would go off whenever someone types it.
            if (plain && used.empty()) {
                return "快捷键须含 Ctrl、Alt、Shift 或 Meta：" + std::string(key);
            }
            return {};
        }
        if (!kModifiers.contains(part) || !used.insert(part).second) {
            return "快捷键无效：" + std::string(key);
        }
        rest.remove_prefix(plus + 1);
    }
}

AlertSettingsFile::AlertSettingsFile(std::filesystem::path programDirectory, store::FileSync* sync)
    : m_programDirectory(std::move(programDirectory)), m_sync(sync) {}

bool AlertSettingsFile::load() {
    m_settings = {};
    m_lines.clear();
    m_problems.clear();
    m_error.clear();
    const store::ReadResult read = store::readWholeFile(filePath(), 64 * 1024);
    if (read.status == store::ReadStatus::Missing) {
        return true;
    }
    if (read.status == store::ReadStatus::Failed) {
        m_error = read.error;
        return false;
    }
    std::string_view content = read.bytes;
    if (content.starts_with("\xEF\xBB\xBF")) {
        content.remove_prefix(3);
    }
    int number = 0;
    for (const std::string_view line : store::splitLines(content)) {
        ++number;
        m_lines.emplace_back(line);
        std::string_view key;
        std::string_view value;
        if (!text::splitKeyValue(line, key, value) || !isKnownKey(key)) {
            continue;
        }
        std::string why;
        if (key == "alarm-volume") {
            why = parseVolume(value, m_settings.alarmVolume);
        } else if (key == "notice-volume") {
            why = parseVolume(value, m_settings.noticeVolume);
        } else if (key == "message") {
            why = checkMessage(value);
            if (why.empty()) {
                m_settings.message = value;
            }
        } else if (key == "key") {
            why = checkKey(value);
            if (why.empty()) {
                m_settings.key = value;
            }
        } else if (text::hasControlCharacter(value) || !console::countCharacters(value)) {
            why = std::string(key) + " 不是一行有效的文字";
        } else if (key == "alarm") {
            m_settings.alarmFile = value;
        } else {
            m_settings.noticeFolder = value.empty() ? kDefaultNoticeFolder : std::string(value);
        }
        if (!why.empty()) {
            m_problems.push_back("第 " + std::to_string(number) + " 行: " + why + ": " +
                                 std::string(value));
        }
    }
    return true;
}

store::WriteResult AlertSettingsFile::save() const {
    const std::string out = text::rewriteKeyValues(
        m_lines, {{"alarm", m_settings.alarmFile},
                  {"alarm-volume", std::to_string(m_settings.alarmVolume)},
                  {"message", m_settings.message},
                  {"key", m_settings.key},
                  {"notice-folder", m_settings.noticeFolder},
                  {"notice-volume", std::to_string(m_settings.noticeVolume)}});
    return store::writeFileAtomically(filePath(), out, store::Visibility::Shared, m_sync);
}

}  // namespace orvessa::alerts
