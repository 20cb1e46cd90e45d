#include "core/text/key_value.h"

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

}  // namespace orvessa::text
