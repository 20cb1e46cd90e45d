// The unpacked skin archive: its header, name list, sizes and entries. An archive written from
// what was read reads back the same.

#include "core/skins/skin_archive.h"

#include <span>

#include "fuzz_input.h"

using namespace orvessa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto entries = skins::readArchive(std::span<const std::uint8_t>(data, size));
    if (!entries) {
        return 0;
    }
    for (const skins::ArchiveEntry& e : entries.value()) {
        skins::entryKey(e.name);
    }
    const auto written = skins::writeArchive(entries.value());
    if (!written) {
        return 0;  // names that GBK cannot hold again, or line ends read into a name
    }
    const auto back = skins::readArchive(written.value());
    if (!back || back.value() != entries.value()) {
        fuzz::broken("a round trip changed the archive");
    }
    return 0;
}
