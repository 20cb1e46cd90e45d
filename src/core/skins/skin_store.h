#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/skins/skin_result.h"

namespace orvessa::skins {

// The names of the built-in skins, in store order. A skin's number is its position here, not
// the number in its name.
inline constexpr std::array<std::string_view, 10> kSkinItemNames = {
    "SkinItem0",  "SkinItem1",  "SkinItem5",  "SkinItem7",  "SkinItem8",
    "SkinItem12", "SkinItem13", "SkinItem14", "SkinItem16", "SkinItem18",
};

struct SkinStoreItem {
    std::string name;
    std::vector<std::uint8_t> package;

    bool operator==(const SkinStoreItem&) const = default;
};

// The skin packages built into the system, in order. Its file form: "OSKS", the item count, and
// per item the name length, the name, the package length and the package (numbers 32-bit
// little-endian).
class SkinStore {
public:
    SkinStore() = default;
    explicit SkinStore(std::vector<SkinStoreItem> items) : m_items(std::move(items)) {}

    // Checks every count and length against the data; refuses trailing bytes.
    static Result<SkinStore> parse(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> serialize() const;

    const std::vector<SkinStoreItem>& items() const { return m_items; }
    std::size_t size() const { return m_items.size(); }

    // The item of skin number `number`, or nullptr where there is none (negative or too big).
    const SkinStoreItem* item(std::int64_t number) const;

private:
    std::vector<SkinStoreItem> m_items;
};

}  // namespace orvessa::skins
