#pragma once

#include <filesystem>
#include <span>
#include <vector>

#include "core/skins/skin_archive.h"
#include "core/skins/skin_result.h"
#include "core/skins/skin_store.h"

namespace orvessa::skins {

// The entries of a skin's source directory: its one ".ini" file first, then every other regular
// file in name order, each under its file name. Hidden files are left out.
Result<std::vector<ArchiveEntry>> readSkinDirectory(const std::filesystem::path& directory);

// The built-in store from one source directory per name of kSkinItemNames, in that order. Each
// package is loaded back before it is taken, so the store holds no skin the system cannot read.
Result<SkinStore> buildSkinStore(std::span<const std::filesystem::path> directories);

}  // namespace orvessa::skins
