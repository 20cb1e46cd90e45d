#include "core/editing/calendar_import_rules.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

namespace orvessa::editing {

namespace {

using K = ImportKind;
using S = RuleStrength;
using M = RuleMatch;

// What Chinese holiday calendars, the feeds built from the State Council's notices, calendar
// programs' holiday subscriptions and English school district calendars write.
constexpr std::array kRules = {
    // Negated working words first: "国庆节放假期间不上班" is a day off, "元旦不补班" no make-up
    // day.
    KindRule{"无需上班", K::DayOff, S::Negation, M::Anywhere, ""},
    KindRule{"无须上班", K::DayOff, S::Negation, M::Anywhere, ""},
    KindRule{"不需上班", K::DayOff, S::Negation, M::Anywhere, ""},
    KindRule{"不用上班", K::DayOff, S::Negation, M::Anywhere, ""},
    KindRule{"不上班", K::DayOff, S::Negation, M::Anywhere, ""},
    KindRule{"不上课", K::DayOff, S::Negation, M::Anywhere, ""},
    KindRule{"非工作日", K::DayOff, S::Negation, M::Anywhere, ""},
    KindRule{"无需补班", K::Unknown, S::Negation, M::Anywhere, ""},
    KindRule{"不补班", K::Unknown, S::Negation, M::Anywhere, ""},
    KindRule{"不调休", K::Unknown, S::Negation, M::Anywhere, ""},
    KindRule{"不补课", K::Unknown, S::Negation, M::Anywhere, ""},

    KindRule{"调休上班", K::WorkingDay, S::WorkingWord, M::Anywhere, ""},
    KindRule{"调休上课", K::WorkingDay, S::WorkingWord, M::Anywhere, ""},
    KindRule{"补班", K::WorkingDay, S::WorkingWord, M::Anywhere, ""},
    KindRule{"上班", K::WorkingDay, S::WorkingWord, M::Anywhere, ""},
    KindRule{"补课", K::WorkingDay, S::WorkingWord, M::Anywhere, ""},
    KindRule{"工作日", K::WorkingDay, S::WorkingWord, M::Anywhere, ""},
    KindRule{"班", K::WorkingDay, S::WorkingWord, M::Alone, ""},
    KindRule{"Make-up Day", K::WorkingDay, S::WorkingWord, M::WholeWord, ""},
    KindRule{"Makeup Day", K::WorkingDay, S::WorkingWord, M::WholeWord, ""},
    KindRule{"Make up Day", K::WorkingDay, S::WorkingWord, M::WholeWord, ""},

    KindRule{"放假", K::DayOff, S::DayOffWord, M::Anywhere, ""},
    KindRule{"假期", K::DayOff, S::DayOffWord, M::Anywhere, ""},
    KindRule{"节假日", K::DayOff, S::DayOffWord, M::Anywhere, ""},
    KindRule{"假日", K::DayOff, S::DayOffWord, M::Anywhere, ""},
    KindRule{"休息", K::DayOff, S::DayOffWord, M::Anywhere, ""},
    KindRule{"休假", K::DayOff, S::DayOffWord, M::Anywhere, ""},
    KindRule{"公休", K::DayOff, S::DayOffWord, M::Anywhere, ""},
    KindRule{"停课", K::DayOff, S::DayOffWord, M::Anywhere, ""},
    KindRule{"寒假", K::DayOff, S::DayOffWord, M::Anywhere, ""},
    KindRule{"暑假", K::DayOff, S::DayOffWord, M::Anywhere, ""},
    KindRule{"休", K::DayOff, S::DayOffWord, M::EndsWord, "调退午"},
    KindRule{"No School", K::DayOff, S::DayOffWord, M::WholeWord, ""},
    KindRule{"No Classes", K::DayOff, S::DayOffWord, M::WholeWord, ""},
    KindRule{"Holiday", K::DayOff, S::DayOffWord, M::WholeWord, ""},
    KindRule{"Holidays", K::DayOff, S::DayOffWord, M::WholeWord, ""},
    KindRule{"Break", K::DayOff, S::DayOffWord, M::WholeWord, ""},
    KindRule{"Closed", K::DayOff, S::DayOffWord, M::WholeWord, ""},
    KindRule{"Vacation", K::DayOff, S::DayOffWord, M::WholeWord, ""},
    KindRule{"Day Off", K::DayOff, S::DayOffWord, M::WholeWord, ""},
    KindRule{"Recess", K::DayOff, S::DayOffWord, M::WholeWord, ""},

    KindRule{"调休上班", K::WorkingDay, S::DescriptionType, M::Typed, ""},
    KindRule{"补班", K::WorkingDay, S::DescriptionType, M::Typed, ""},
    KindRule{"上班", K::WorkingDay, S::DescriptionType, M::Typed, ""},
    KindRule{"工作日", K::WorkingDay, S::DescriptionType, M::Typed, ""},
    KindRule{"节假日", K::DayOff, S::DescriptionType, M::Typed, ""},
    KindRule{"假日", K::DayOff, S::DescriptionType, M::Typed, ""},
    KindRule{"放假", K::DayOff, S::DescriptionType, M::Typed, ""},
    KindRule{"休", K::DayOff, S::DescriptionType, M::Typed, ""},
    KindRule{"假期", K::DayOff, S::DescriptionType, M::Typed, ""},

    // Longer names before the short forms they hold.
    KindRule{"元旦", K::DayOff, S::HolidayName, M::Anywhere, ""},
    KindRule{"除夕", K::DayOff, S::HolidayName, M::Anywhere, ""},
    KindRule{"春节", K::DayOff, S::HolidayName, M::Anywhere, ""},
    KindRule{"清明节", K::DayOff, S::HolidayName, M::Anywhere, ""},
    KindRule{"清明", K::DayOff, S::HolidayName, M::Anywhere, ""},
    KindRule{"劳动节", K::DayOff, S::HolidayName, M::Anywhere, ""},
    KindRule{"五一", K::DayOff, S::HolidayName, M::Anywhere, ""},
    KindRule{"端午节", K::DayOff, S::HolidayName, M::Anywhere, ""},
    KindRule{"端午", K::DayOff, S::HolidayName, M::Anywhere, ""},
    KindRule{"中秋节", K::DayOff, S::HolidayName, M::Anywhere, ""},
    KindRule{"中秋", K::DayOff, S::HolidayName, M::Anywhere, ""},
    KindRule{"国庆节", K::DayOff, S::HolidayName, M::Anywhere, ""},
    KindRule{"国庆", K::DayOff, S::HolidayName, M::Anywhere, ""},

    KindRule{"放假", K::DayOff, S::DescriptionWord, M::Anywhere, ""},
    KindRule{"节假日", K::DayOff, S::DescriptionWord, M::Anywhere, ""},
    KindRule{"假期", K::DayOff, S::DescriptionWord, M::Anywhere, ""},
};

// The code point at `at` and its length in bytes; a broken sequence is one byte of U+FFFD.
std::pair<char32_t, std::size_t> codePointAt(std::string_view s, std::size_t at) {
    const auto lead = static_cast<unsigned char>(s[at]);
    std::size_t length = lead < 0x80             ? 1
                         : (lead & 0xE0) == 0xC0 ? 2
                         : (lead & 0xF0) == 0xE0 ? 3
                                                 : 4;
    if ((lead & 0xC0) == 0x80 || at + length > s.size()) {
        return {U'\uFFFD', 1};
    }
    char32_t cp = length == 1   ? lead
                  : length == 2 ? lead & 0x1F
                  : length == 3 ? lead & 0x0F
                                : lead & 0x07;
    for (std::size_t k = 1; k < length; ++k) {
        cp = cp << 6 | (static_cast<unsigned char>(s[at + k]) & 0x3F);
    }
    return {cp, length};
}

// The code point that ends just before `at`.
char32_t codePointBefore(std::string_view s, std::size_t at) {
    if (at == 0) {
        return 0;
    }
    std::size_t start = at - 1;
    while (start > 0 && at - start < 4 && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80) {
        --start;
    }
    return codePointAt(s, start).first;
}

bool isIdeograph(char32_t cp) {
    return (cp >= 0x3400 && cp <= 0x9FFF) || (cp >= 0xF900 && cp <= 0xFAFF) ||
           (cp >= 0x20000 && cp <= 0x3FFFF);
}

bool isLatinLetterOrDigit(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

bool sameLetters(std::string_view text, std::size_t at, std::string_view word) {
    if (at + word.size() > text.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[at + i])) !=
            std::tolower(static_cast<unsigned char>(word[i]))) {
            return false;
        }
    }
    return true;
}

bool followsNotAfter(std::string_view text, std::size_t at, std::string_view notAfter) {
    const char32_t before = codePointBefore(text, at);
    for (std::size_t i = 0; i < notAfter.size();) {
        const auto [cp, length] = codePointAt(notAfter, i);
        if (cp == before) {
            return true;
        }
        i += length;
    }
    return false;
}

void skipBlanks(std::string_view text, std::size_t& at) {
    for (;;) {
        if (at < text.size() && (text[at] == ' ' || text[at] == '\t')) {
            ++at;
        } else if (text.substr(at).starts_with("\u3000")) {
            at += 3;
        } else {
            return;
        }
    }
}

// Where the rule's word is in `text`, or nothing.
std::optional<std::size_t> find(const KindRule& rule, std::string_view text) {
    if (rule.match == M::WholeWord) {
        for (std::size_t at = 0; at + rule.word.size() <= text.size(); ++at) {
            const std::size_t end = at + rule.word.size();
            if (sameLetters(text, at, rule.word) &&
                (at == 0 || !isLatinLetterOrDigit(text[at - 1])) &&
                (end == text.size() || !isLatinLetterOrDigit(text[end]))) {
                return at;
            }
        }
        return std::nullopt;
    }
    if (rule.match == M::Typed) {
        for (std::size_t at = text.find("类型"); at != std::string_view::npos;
             at = text.find("类型", at + 1)) {
            std::size_t value = at + std::string_view("类型").size();
            if (text.substr(value).starts_with("：")) {
                value += std::string_view("：").size();
            } else if (text.substr(value).starts_with(":")) {
                value += 1;
            } else {
                continue;
            }
            skipBlanks(text, value);
            if (text.substr(value).starts_with(rule.word)) {
                return value;
            }
        }
        return std::nullopt;
    }
    for (std::size_t at = text.find(rule.word); at != std::string_view::npos;
         at = text.find(rule.word, at + 1)) {
        if (!rule.notAfter.empty() && followsNotAfter(text, at, rule.notAfter)) {
            continue;
        }
        const std::size_t end = at + rule.word.size();
        const bool joinedAfter = end < text.size() && isIdeograph(codePointAt(text, end).first);
        const bool joinedBefore = isIdeograph(codePointBefore(text, at));
        if ((rule.match == M::EndsWord && joinedAfter) ||
            (rule.match == M::Alone && (joinedAfter || joinedBefore))) {
            continue;
        }
        return at;
    }
    return std::nullopt;
}

// Blanks over every negated word, so that no weaker rule sees its working word; the first
// that says the day is off is kept.
const KindRule* hideNegations(std::string& text) {
    const KindRule* dayOff = nullptr;
    for (const KindRule& rule : kRules) {
        if (rule.strength != S::Negation) {
            continue;
        }
        while (const std::optional<std::size_t> at = find(rule, text)) {
            text.replace(*at, rule.word.size(), rule.word.size(), ' ');
            if (dayOff == nullptr && rule.kind == K::DayOff) {
                dayOff = &rule;
            }
        }
    }
    return dayOff;
}

bool isNumeral(std::string_view text, std::size_t at, std::size_t& length) {
    if (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        length = 1;
        return true;
    }
    if (at >= text.size()) {
        return false;
    }
    const auto [cp, n] = codePointAt(text, at);
    length = n;
    return std::u32string_view(U"〇零一二三四五六七八九十两").find(cp) != std::u32string_view::npos;
}

// The text without its counts of days and dates ("第1天/共8天", "2027年"): decorations.
std::string withoutCounts(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = at;
        if (text.substr(at).starts_with("第") || text.substr(at).starts_with("共")) {
            end += 3;
        }
        std::size_t length = 0;
        const std::size_t digits = end;
        while (isNumeral(text, end, length)) {
            end += length;
        }
        if (end > digits) {
            for (std::string_view unit : {"天", "日", "年", "月", "号"}) {
                if (text.substr(end).starts_with(unit)) {
                    end += unit.size();
                    break;
                }
            }
            out.push_back(' ');
            at = end;
            continue;
        }
        out.push_back(text[at]);
        ++at;
    }
    return out;
}

// The first holiday name of a summary that says nothing else; null where it says more.
const KindRule* holidayNameAlone(std::string text) {
    const KindRule* first = nullptr;
    std::size_t firstAt = std::string::npos;
    for (const KindRule& rule : kRules) {
        if (rule.strength != S::HolidayName) {
            continue;
        }
        while (const std::optional<std::size_t> at = find(rule, text)) {
            if (*at < firstAt) {
                firstAt = *at;
                first = &rule;
            }
            text.replace(*at, rule.word.size(), rule.word.size(), ' ');
        }
    }
    if (first == nullptr) {
        return nullptr;
    }
    const std::string rest = withoutCounts(text);
    for (std::size_t at = 0; at < rest.size();) {
        const auto [cp, length] = codePointAt(rest, at);
        if (isIdeograph(cp) || (cp < 0x80 && std::isalpha(static_cast<int>(cp)) != 0)) {
            return nullptr;
        }
        at += length;
    }
    return first;
}

}  // namespace

std::string reasonOf(const KindRule& rule) {
    if (rule.kind == ImportKind::Unknown) {
        return {};
    }
    const std::string word(rule.word);
    const std::string kind = rule.kind == ImportKind::WorkingDay ? "调休上课" : "停播";
    switch (rule.strength) {
        case RuleStrength::DescriptionType:
            return "按说明“类型：" + word + "”判断为" + kind;
        case RuleStrength::HolidayName:
            return "按节日名“" + word + "”判断为" + kind;
        case RuleStrength::DescriptionWord:
            return "按说明中的“" + word + "”判断为" + kind;
        default:
            return "按“" + word + "”判断为" + kind;
    }
}

KindDecision decideKind(std::string_view summary, std::string_view description) {
    std::string s(summary);
    std::string d(description);
    const KindRule* negatedInSummary = hideNegations(s);
    const KindRule* negatedInDescription = hideNegations(d);
    const auto firstOf = [](S strength, const std::string& text) -> const KindRule* {
        for (const KindRule& rule : kRules) {
            if (rule.strength == strength && find(rule, text)) {
                return &rule;
            }
        }
        return nullptr;
    };
    const auto decided = [](const KindRule* rule) { return KindDecision{rule->kind, rule}; };
    if (const KindRule* r = firstOf(S::WorkingWord, s)) {
        return decided(r);
    }
    if (const KindRule* r = firstOf(S::DayOffWord, s)) {
        return decided(r);
    }
    if (negatedInSummary != nullptr) {
        return decided(negatedInSummary);
    }
    if (const KindRule* r = firstOf(S::DescriptionType, d)) {
        return decided(r);
    }
    if (const KindRule* r = holidayNameAlone(s)) {
        return decided(r);
    }
    if (const KindRule* r = firstOf(S::DescriptionWord, d)) {
        return decided(r);
    }
    if (negatedInDescription != nullptr) {
        return decided(negatedInDescription);
    }
    return {};
}

}  // namespace orvessa::editing
