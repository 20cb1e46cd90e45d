#include "core/text/key_value.h"

#include <set>

namespace orvessa::text {

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

bool hasControlCharacter(std::string_view s) {
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f) {
            return true;
        }
    }
    return false;
}

bool splitKeyValue(std::string_view line, std::string_view& key, std::string_view& value) {
    const std::string_view t = trimBlanks(line);
    if (t.empty() || t.front() == '#') {
        return false;
    }
    const std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) {
        return false;
    }
    key = trimBlanks(t.substr(0, eq));
    value = trimBlanks(t.substr(eq + 1));
    return true;
}

std::string rewriteKeyValues(const std::vector<std::string>& lines,
                             const std::vector<std::pair<std::string, std::string>>& values) {
    const auto valueOf = [&values](std::string_view key) -> const std::string* {
        for (const auto& [k, v] : values) {
            if (k == key) {
                return &v;
            }
        }
        return nullptr;
    };
    std::string out;
    std::set<std::string, std::less<>> written;
    for (const std::string& line : lines) {
        std::string_view key;
        std::string_view value;
        if (splitKeyValue(line, key, value)) {
            if (const std::string* v = valueOf(key)) {
                if (written.emplace(key).second) {
                    out += std::string(key) + "=" + *v + "\n";
                }
                continue;
            }
        }
        out += line + "\n";
    }
    for (const auto& [k, v] : values) {
        if (!written.contains(k)) {
            out += k + "=" + v + "\n";
        }
    }
    return out;
}

}  // namespace orvessa::text
