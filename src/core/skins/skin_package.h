#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/skins/skin.h"
#include "core/skins/skin_archive.h"
#include "core/skins/skin_result.h"

namespace orvessa::skins {

// Unpacks a skin package and reads its description: the first entry whose name contains
// ".ini", GBK text, read in memory. Nothing is written anywhere, whatever the entry names hold.
// Entries are kept by lower-case name; of two with the same name the first counts.
Result<Skin> loadSkin(std::span<const std::uint8_t> package);

// The package of these entries in this order: what loadSkin reads back.
Result<std::vector<std::uint8_t>> packSkin(std::span<const ArchiveEntry> entries);

}  // namespace orvessa::skins
