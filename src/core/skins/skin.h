#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/store/ini_profile.h"

namespace orvessa::skins {

// A skin as the look needs it: the description read in memory from the archive's first ".ini"
// entry, and every entry of the archive by its lower-case name.
struct Skin {
    std::string descriptionName;
    store::IniDocument description;
    std::map<std::string, std::vector<std::uint8_t>, std::less<>> entries;

    // The entry's bytes, or nullptr; `name` is compared in lower case.
    const std::vector<std::uint8_t>* entry(std::string_view name) const;
};

}  // namespace orvessa::skins
