#include "core/text/time_text.h"

#include <algorithm>
#include <cstdio>

#include "core/text/numbers.h"

namespace orvessa::text {
namespace {

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Full-width digits and colon (U+FF10..U+FF1A) and the ideographic space (U+3000), as a Chinese
// input method types them, in their ASCII forms; everything else as it is.
std::string asciiForms(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string_view rest = text.substr(i);
        if (rest.size() >= 3 && rest.starts_with("\xEF\xBC") &&
            static_cast<unsigned char>(rest[2]) >= 0x90 &&
            static_cast<unsigned char>(rest[2]) <= 0x9A) {
            // U+FF1A, one past the digits, lands on ':', one past '9'.
            out += static_cast<char>('0' + (static_cast<unsigned char>(rest[2]) - 0x90));
            i += 2;
        } else if (rest.starts_with("\xE3\x80\x80")) {
            out += ' ';
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// A part of a time: digits between optional blanks, at least `minDigits` and at most two.
std::optional<int> timePart(std::string_view part, std::size_t minDigits) {
    const std::string digits = trimText(part);
    if (digits.size() < minDigits || digits.size() > 2 ||
        !std::all_of(digits.begin(), digits.end(), isDigit)) {
        return std::nullopt;
    }
    return digits.size() == 1 ? digits[0] - '0' : (digits[0] - '0') * 10 + (digits[1] - '0');
}

}  // namespace

std::string trimText(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return std::string(text.substr(begin, end - begin));
}

std::string padTime(std::string_view text) {
    if (text.size() == 7) {
        return "0" + std::string(text);
    }
    return std::string(text);
}

std::string normaliseTime(std::string_view text) {
    return padTime(trimText(text));
}

int compareTimeTexts(std::string_view a, std::string_view b) {
    // string_view compares through char_traits<char>, which orders bytes as unsigned char.
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool isTimeOfDay(std::string_view text) {
    int parts = 0;
    int limit = 23;
    while (true) {
        const std::size_t colon = text.find(':');
        std::string_view part = text.substr(0, colon);
        while (!part.empty() && part.front() == ' ') {
            part.remove_prefix(1);
        }
        if (part.empty() || part.size() > 2 ||
            part.find_first_not_of("0123456789") != std::string_view::npos) {
            return false;
        }
        const int value = part.size() == 1 ? part[0] - '0' : (part[0] - '0') * 10 + part[1] - '0';
        if (value > limit) {
            return false;
        }
        limit = 59;
        ++parts;
        if (colon == std::string_view::npos) {
            break;
        }
        text.remove_prefix(colon + 1);
    }
    return parts == 2 || parts == 3;
}

bool isClockTime(std::string_view cell) {
    const std::string t = normaliseTime(cell);
    if (t.size() != 8 || t[2] != ':' || t[5] != ':') {
        return false;
    }
    for (const std::size_t i : {0u, 1u, 3u, 4u, 6u, 7u}) {
        if (!isDigit(t[i])) {
            return false;
        }
    }
    return (t[0] - '0') * 10 + (t[1] - '0') <= 23 && t[3] <= '5' && t[6] <= '5';
}

std::optional<std::string> tidyTimeCell(std::string_view cell) {
    const std::string text = trimText(asciiForms(cell));
    if (text.empty() || isClockTime(text)) {
        return text;
    }
    int parts[3] = {0, 0, 0};
    std::size_t count = 0;
    std::string_view rest = text;
    while (true) {
        if (count == 3) {
            return std::nullopt;
        }
        const std::size_t colon = rest.find(':');
        const std::optional<int> value = timePart(rest.substr(0, colon), count == 0 ? 1 : 2);
        if (!value || *value > (count == 0 ? 23 : 59)) {
            return std::nullopt;
        }
        parts[count++] = *value;
        if (colon == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(colon + 1);
    }
    if (count < 2) {
        return std::nullopt;
    }
    return formatClockTime(parts[0], parts[1], parts[2]);
}

std::string formatClockTime(int hour, int minute, int second) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%d:%02d:%02d", hour, minute, second);
    return buffer;
}

std::optional<TimeOfDay> TimeOfDay::read(std::string_view clockText) {
    const std::string t = normaliseTime(clockText);
    if (t.size() != 8 || t[2] != ':' || t[5] != ':') {
        return std::nullopt;
    }
    const auto h = parseDecimal(t.substr(0, 2));
    const auto m = parseDecimal(t.substr(3, 2));
    const auto s = parseDecimal(t.substr(6, 2));
    if (!h || !m || !s) {
        return std::nullopt;
    }
    return TimeOfDay(*h, *m, *s);
}

}  // namespace orvessa::text
