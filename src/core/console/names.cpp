#include "core/console/names.h"

#include <vector>

namespace orvessa::console {
namespace {

// Decodes `text` into code points; false on bytes that are not well-formed UTF-8 (overlong
// forms, surrogates and values beyond U+10FFFF included).
bool decode(std::string_view text, std::vector<char32_t>& out) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            length = 1;
            cp = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            cp = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (next & 0x3F);
        }
        const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
        if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        out.push_back(cp);
        i += length;
    }
    return true;
}

bool isWhitespace(char32_t c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200B) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

}  // namespace

std::string_view roleName(Role role) {
    return role == Role::Operator ? "operator" : "viewer";
}

std::optional<Role> parseRole(std::string_view text) {
    if (text == "viewer") {
        return Role::Viewer;
    }
    if (text == "operator") {
        return Role::Operator;
    }
    return std::nullopt;
}

std::optional<std::size_t> countCharacters(std::string_view text) {
    std::vector<char32_t> points;
    if (!decode(text, points)) {
        return std::nullopt;
    }
    return points.size();
}

std::string checkName(std::string_view name) {
    std::vector<char32_t> points;
    if (!decode(name, points)) {
        return "名称不是有效的 UTF-8 文本";
    }
    if (points.empty() || points.size() > kMaxNameCharacters) {
        return "名称须为 1 到 32 个字符";
    }
    for (const char32_t c : points) {
        if (isWhitespace(c) || isControl(c) || c == ':') {
            return "名称不能含有空白、控制字符或冒号";
        }
    }
    return {};
}

std::string checkPassword(std::string_view password) {
    const std::optional<std::size_t> characters = countCharacters(password);
    if (!characters) {
        return "密码不是有效的 UTF-8 文本";
    }
    if (*characters < kMinPasswordCharacters) {
        return "密码至少要 8 个字符";
    }
    if (password.size() > kMaxPasswordBytes) {
        return "密码太长";
    }
    return {};
}

}  // namespace orvessa::console
