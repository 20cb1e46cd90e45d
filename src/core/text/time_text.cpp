#include "core/text/time_text.h"

#include <cstdio>

namespace orvessa::text {
namespace {

bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
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

std::string formatClockTime(int hour, int minute, int second) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%d:%02d:%02d", hour, minute, second);
    return buffer;
}

}  // namespace orvessa::text
