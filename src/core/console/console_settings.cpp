#include "core/console/console_settings.h"

#include <algorithm>
#include <map>
#include <utility>

#include "core/text/key_value.h"
#include "core/text/numbers.h"

namespace orvessa::console {
namespace {

const char* const kKnownKeys[] = {"enabled", "address", "port", "certificate", "key"};

bool isKnownKey(std::string_view key) {
    for (const char* known : kKnownKeys) {
        if (key == known) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool isLoopback(std::string_view address) {
    return address == "127.0.0.1" || address == "::1" || address == "localhost";
}

std::string checkAddress(std::string_view address) {
    if (address.empty()) {
        return "地址为空";
    }
    if (address.size() > 253) {
        return "地址太长";
    }
    for (const char c : address) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7f) {
            return "地址含有空白、控制字符或非 ASCII 字符";
        }
    }
    return {};
}

std::string parsePort(std::string_view text, int& port) {
    const std::optional<int32_t> value = text::parseDecimal(text);
    if (!value || *value < 1 || *value > 65535 || text::trimBlanks(text) != text) {
        return "端口不是 1 到 65535 之间的整数";
    }
    port = *value;
    return {};
}

ConsoleSettingsFile::ConsoleSettingsFile(std::filesystem::path programDirectory,
                                         store::FileSync* sync)
    : m_programDirectory(std::move(programDirectory)), m_sync(sync) {}

bool ConsoleSettingsFile::load() {
    m_settings = {};
    m_lines.clear();
    m_bad.clear();
    m_error.clear();
    const store::ReadResult read = store::readWholeFile(filePath());
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
    std::map<std::string, int> seen;
    int number = 0;
    for (const std::string_view line : store::splitLines(content)) {
        ++number;
        m_lines.emplace_back(line);
        std::string_view key;
        std::string_view value;
        if (!text::splitKeyValue(line, key, value) || !isKnownKey(key)) {
            continue;
        }
        const std::string where = "第 " + std::to_string(number) + " 行: ";
        const std::string name(key);
        if (seen.contains(name)) {
            m_bad.emplace_back(name,
                               where + name + " 已在第 " + std::to_string(seen[name]) + " 行给出");
            continue;
        }
        seen[name] = number;
        std::string why;
        if (key == "enabled") {
            if (value == "0" || value == "1") {
                m_settings.enabled = value == "1";
            } else {
                why = "enabled 只能是 0 或 1";
            }
        } else if (key == "address") {
            why = checkAddress(value);
            if (why.empty()) {
                m_settings.address = value;
            }
        } else if (key == "port") {
            why = parsePort(value, m_settings.port);
        } else if (text::hasControlCharacter(value)) {
            why = name + " 含有控制字符";
        } else if (key == "certificate") {
            m_settings.certificate = value;
        } else {
            m_settings.key = value;
        }
        if (!why.empty()) {
            m_bad.emplace_back(name, where + why + ": " + std::string(value));
        }
    }
    return true;
}

std::vector<std::string> ConsoleSettingsFile::problems() const {
    std::vector<std::string> out;
    for (const auto& bad : m_bad) {
        out.push_back(bad.second);
    }
    return out;
}

void ConsoleSettingsFile::forget(std::string_view key) {
    std::erase_if(m_bad, [key](const auto& bad) { return bad.first == key; });
}

void ConsoleSettingsFile::setEnabled(bool enabled) {
    m_settings.enabled = enabled;
    forget("enabled");
}

std::string ConsoleSettingsFile::setAddress(std::string_view address) {
    if (std::string why = checkAddress(address); !why.empty()) {
        return why;
    }
    m_settings.address = address;
    forget("address");
    return {};
}

void ConsoleSettingsFile::setPort(int port) {
    m_settings.port = port;
    forget("port");
}

store::WriteResult ConsoleSettingsFile::save() const {
    if (!m_bad.empty()) {
        return store::WriteResult::failure("console.conf 有错误的设置，请先改正: " +
                                           m_bad.begin()->second);
    }
    const std::string out =
        text::rewriteKeyValues(m_lines, {{"enabled", m_settings.enabled ? "1" : "0"},
                                         {"address", m_settings.address},
                                         {"port", std::to_string(m_settings.port)},
                                         {"certificate", m_settings.certificate},
                                         {"key", m_settings.key}});
    return store::writeFileAtomically(filePath(), out, store::Visibility::Shared, m_sync);
}

}  // namespace orvessa::console
