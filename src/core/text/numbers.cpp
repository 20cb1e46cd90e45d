#include "core/text/numbers.h"

#include <limits>

namespace orvessa::text {

std::optional<int32_t> parseDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) {
        return std::nullopt;
    }
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1) {
            return std::nullopt;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > std::numeric_limits<int32_t>::max() ||
        value < std::numeric_limits<int32_t>::min()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

int32_t toIntOr(std::string_view text, int32_t fallback) {
    return parseDecimal(text).value_or(fallback);
}

std::string decimalText(int64_t value) {
    return std::to_string(value);
}

}  // namespace orvessa::text
