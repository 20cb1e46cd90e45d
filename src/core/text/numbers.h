#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvessa::text {

// Decimal integer with optional leading blanks and sign, and nothing after the digits.
// Empty when the text is not such a number or does not fit in 32 bits.
std::optional<int32_t> parseDecimal(std::string_view text);

// parseDecimal, or `fallback` where the conversion fails. Never throws.
int32_t toIntOr(std::string_view text, int32_t fallback);

// The decimal text of a number ("-12", "0").
std::string decimalText(int64_t value);

}  // namespace orvessa::text
