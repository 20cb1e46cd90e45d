#pragma once

#include <string>
#include <string_view>

// How an imported event's words say what kind of day it is. The rules are a table, read
// strongest first, so that what a published calendar writes can be looked up, not guessed.
namespace orvessa::editing {

enum class ImportKind {
    DayOff,      // becomes plan 0
    WorkingDay,  // becomes a make-up day with `table`
    Unknown,     // neither, until the operator says which; adds nothing
};

// Where a rule looks and how strong its word is; an earlier strength wins over a later one.
enum class RuleStrength {
    // A negated working word ("不上班", "不补班"): hidden from every weaker rule, so that it
    // never makes a working day; where it says the day is off, it counts as a day-off word.
    Negation,
    WorkingWord,      // in the summary: a make-up day even where the summary names the holiday
    DayOffWord,       // in the summary
    DescriptionType,  // "类型：X" in the description
    HolidayName,      // the summary names statutory holidays and nothing else but decorations
    DescriptionWord,  // anywhere in the description
};

// How a rule's word is found in its text.
enum class RuleMatch {
    Anywhere,  // as a part of the text
    EndsWord,  // a single character that no ideograph follows: "春节休", "春节 休", not "休息"
    Alone,     // a single character with no ideograph on either side: "春节 班", not "值班"
    WholeWord,  // Latin letters, in any case, with no letter or digit either side
    Typed,      // after "类型：" or "类型:" and blanks
};

struct KindRule {
    std::string_view word;
    ImportKind kind;  // Unknown: the word only hides itself from weaker rules
    RuleStrength strength;
    RuleMatch match;
    // Characters that, just before the word, make it part of another word ("调休", "退休").
    std::string_view notAfter;
};

// Why a row decided, for the operator, per row of the dialog: "按“补班”判断为调休上课",
// "按节日名“春节”判断为停播"; empty for a row that decides nothing.
std::string reasonOf(const KindRule& rule);

struct KindDecision {
    ImportKind kind = ImportKind::Unknown;
    const KindRule* rule = nullptr;  // the row that decided; null when none did
};

// The kind of a calendar event from everything it says, strongest sign first. Decorations
// (emoji, day counts "第1天/共8天", punctuation) never decide.
KindDecision decideKind(std::string_view summary, std::string_view description);

}  // namespace orvessa::editing
