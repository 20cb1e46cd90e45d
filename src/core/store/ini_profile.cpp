#include "core/store/ini_profile.h"

#include "core/text/gbk.h"
#include "core/text/numbers.h"
#include "core/text/time_text.h"

namespace orvessa::store {
namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

// The name of a "[name]" line, or nothing for other lines.
std::optional<std::string> sectionName(std::string_view line) {
    const std::string trimmed = text::trimText(line);
    if (trimmed.empty() || trimmed.front() != '[') {
        return std::nullopt;
    }
    const std::size_t close = trimmed.find(']');
    const std::size_t end = close == std::string::npos ? trimmed.size() : close;
    return text::trimText(std::string_view(trimmed).substr(1, end - 1));
}

struct KeyLine {
    std::string key;
    std::string value;
};

std::optional<KeyLine> keyLine(std::string_view line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
        return std::nullopt;
    }
    KeyLine kv{text::trimText(line.substr(0, eq)), text::trimText(line.substr(eq + 1))};
    if (kv.key.empty()) {
        return std::nullopt;
    }
    const std::string& v = kv.value;
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        kv.value = v.substr(1, v.size() - 2);
    }
    return kv;
}

}  // namespace

IniDocument::IniDocument(std::string_view utf8Text) {
    for (std::string_view line : splitLines(utf8Text)) {
        m_lines.emplace_back(line);
    }
}

std::optional<IniDocument::Found> IniDocument::find(std::string_view section,
                                                    std::string_view key) const {
    std::optional<Found> found;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (const auto name = sectionName(m_lines[i])) {
            if (found) {
                break;  // end of the first matching section
            }
            if (equalsIgnoringCase(*name, section)) {
                found = Found{i, std::nullopt};
            }
            continue;
        }
        if (!found) {
            continue;
        }
        if (const auto kv = keyLine(m_lines[i]); kv && equalsIgnoringCase(kv->key, key)) {
            found->keyLine = i;
            break;
        }
    }
    return found;
}

std::optional<std::string> IniDocument::value(std::string_view section,
                                              std::string_view key) const {
    const auto found = find(section, key);
    if (!found || !found->keyLine) {
        return std::nullopt;
    }
    return keyLine(m_lines[*found->keyLine])->value;
}

void IniDocument::setValue(std::string_view section, std::string_view key, std::string_view value) {
    const auto found = find(section, key);
    if (found && found->keyLine) {
        // Keep the key as it was spelt.
        const std::string& line = m_lines[*found->keyLine];
        m_lines[*found->keyLine] =
            text::trimText(line.substr(0, line.find('='))) + "=" + std::string(value);
        return;
    }
    const std::string newLine = std::string(key) + "=" + std::string(value);
    if (found) {
        // After the last non-blank line of the section.
        std::size_t insertAt = found->sectionLine + 1;
        for (std::size_t i = found->sectionLine + 1; i < m_lines.size(); ++i) {
            if (sectionName(m_lines[i])) {
                break;
            }
            if (!text::trimText(m_lines[i]).empty()) {
                insertAt = i + 1;
            }
        }
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), newLine);
        return;
    }
    m_lines.push_back("[" + std::string(section) + "]");
    m_lines.push_back(newLine);
}

std::string IniDocument::text() const {
    std::string out;
    for (const std::string& line : m_lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

ProfileFile::ProfileFile(std::filesystem::path path, FileSync* sync)
    : m_path(std::move(path)), m_sync(sync) {}

IniDocument ProfileFile::read() const {
    const ReadResult r = readWholeFile(m_path, kMaxProfileBytes);
    if (r.status != ReadStatus::Ok) {
        return IniDocument();
    }
    return IniDocument(text::gbkToUtf8(r.bytes));
}

std::string ProfileFile::readString(std::string_view section, std::string_view key,
                                    std::string_view fallback) const {
    return read().value(section, key).value_or(std::string(fallback));
}

int32_t ProfileFile::readInteger(std::string_view section, std::string_view key,
                                 int32_t fallback) const {
    const auto v = read().value(section, key);
    return v ? text::toIntOr(*v, fallback) : fallback;
}

bool ProfileFile::readBool(std::string_view section, std::string_view key, bool fallback) const {
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

WriteResult ProfileFile::writeString(std::string_view section, std::string_view key,
                                     std::string_view value) const {
    return writeStrings(section, {{std::string(key), std::string(value)}});
}

WriteResult ProfileFile::writeStrings(
    std::string_view section,
    const std::vector<std::pair<std::string, std::string>>& values) const {
    const ReadResult r = readWholeFile(m_path, kMaxProfileBytes);
    if (r.status == ReadStatus::Failed) {
        // Rewriting from an empty document would throw away what the file holds; so would
        // rewriting a file too large to read, and a directory or pipe is no profile at all.
        return WriteResult::failure(r.error);
    }
    IniDocument doc(r.status == ReadStatus::Ok ? text::gbkToUtf8(r.bytes) : std::string());
    for (const auto& [key, value] : values) {
        doc.setValue(section, key, text::normaliseGbk(value));
    }
    return writeFileAtomically(m_path, text::utf8ToGbk(doc.text()), Visibility::Shared, m_sync);
}

WriteResult ProfileFile::writeInteger(std::string_view section, std::string_view key,
                                      int64_t value) const {
    return writeString(section, key, text::decimalText(value));
}

WriteResult ProfileFile::writeBool(std::string_view section, std::string_view key,
                                   bool value) const {
    return writeString(section, key, value ? "1" : "0");
}

}  // namespace orvessa::store
