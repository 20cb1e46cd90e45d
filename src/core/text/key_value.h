#pragma once

#include <string_view>

// The small configuration files of one "key=value" a line.
namespace orvessa::text {

// `s` without the blanks and tabs at its ends.
std::string_view trimBlanks(std::string_view s);

// Whether `s` holds a control character (a line break, a tab, DEL), which a one-line value
// cannot.
bool hasControlCharacter(std::string_view s);

// Splits "key=value" into its trimmed halves; false for a line with no key (blank, a comment
// starting with '#', no '=').
bool splitKeyValue(std::string_view line, std::string_view& key, std::string_view& value);

}  // namespace orvessa::text
