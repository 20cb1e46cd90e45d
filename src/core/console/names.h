#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orvessa::console {

// What a console account may do: a viewer reads, an operator reads and acts.
enum class Role { Viewer, Operator };

std::string_view roleName(Role role);
std::optional<Role> parseRole(std::string_view text);

inline constexpr std::size_t kMaxNameCharacters = 32;
inline constexpr std::size_t kMinPasswordCharacters = 8;
// A bound so that hashing cannot be made to take arbitrary memory; no one types more.
inline constexpr std::size_t kMaxPasswordBytes = 1024;

// Characters of valid UTF-8 text; empty when `text` is not valid UTF-8.
std::optional<std::size_t> countCharacters(std::string_view text);

// Empty when `name` can name a user or a token: 1 to 32 characters of UTF-8, none of them
// whitespace (the ideographic space included), a control character or ':'. Else why not.
std::string checkName(std::string_view name);
// Empty when `password` is UTF-8 of at least 8 characters, else why not.
std::string checkPassword(std::string_view password);

}  // namespace orvessa::console
