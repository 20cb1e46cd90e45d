#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// A key=value file written back: `lines` as read, each line of a key of `values` given that
// key's value (a repeated key is dropped, the first place it stood keeps it), every other line
// (comments, keys of others) as it was, and the keys not yet in the file after them, in the
// order of `values`. Each line ends in "\n".
std::string rewriteKeyValues(const std::vector<std::string>& lines,
                             const std::vector<std::pair<std::string, std::string>>& values);

}  // namespace orvessa::text
