#include "core/skins/skin.h"

#include "core/skins/skin_archive.h"

namespace orvessa::skins {

const std::vector<std::uint8_t>* Skin::entry(std::string_view name) const {
    const auto found = entries.find(entryKey(name));
    return found == entries.end() ? nullptr : &found->second;
}

}  // namespace orvessa::skins
