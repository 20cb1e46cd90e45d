#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/skins/skin_result.h"

namespace orvessa::skins {

// The unpacked content of a skin package: a version, a list of names as text lines, the size of
// each entry and then the entries, all numbers 32-bit little-endian.
inline constexpr std::uint32_t kArchiveVersion = 20000;
inline constexpr std::size_t kMaxArchiveEntries = 1001;
inline constexpr const char* kOlderSkinMessage =
    "This is Older Skin File\rPlease update to new version !";

struct ArchiveEntry {
    // UTF-8 in memory; the archive holds names as GBK text.
    std::string name;
    std::vector<std::uint8_t> bytes;

    bool operator==(const ArchiveEntry&) const = default;
};

// A name as entries are compared: ASCII letters in lower case, every other byte as it is (so
// the bytes of a multi-byte character are never touched).
std::string entryKey(std::string_view name);

// The entries in archive order, names as written. Every length and size is checked against the
// data; an archive that does not add up is refused with a message, never read beyond its end.
Result<std::vector<ArchiveEntry>> readArchive(std::span<const std::uint8_t> data);

// The archive of `entries` in this order, the two unread header words zero. Refuses more than
// kMaxArchiveEntries entries, a name with a line end, a name that GBK cannot hold and an entry
// of 4 GiB or more.
Result<std::vector<std::uint8_t>> writeArchive(std::span<const ArchiveEntry> entries);

}  // namespace orvessa::skins
