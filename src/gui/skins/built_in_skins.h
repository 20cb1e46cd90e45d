#pragma once

#include <cstdint>
#include <vector>

namespace orvessa::gui {

// The store of the ten built-in skins that the build compiles into the program (the resource
// ":/skins/skins.store"), as skins::SkinStore::parse reads it; empty if the build holds none.
std::vector<std::uint8_t> builtInSkinStore();

}  // namespace orvessa::gui
