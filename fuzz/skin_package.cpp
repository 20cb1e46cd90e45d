// A whole skin package as the skin store hands it over: unpacked, the archive read and the
// description found and read.

#include "core/skins/skin_package.h"

#include <span>

#include "core/skins/lzhuf.h"
#include "fuzz_input.h"

using namespace orvessa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!fuzz::worthDecoding(data, size, skins::lzhuf::kMaxUnpackedBytes)) {
        return 0;
    }
    const auto skin = skins::loadSkin(std::span<const std::uint8_t>(data, size));
    if (skin) {
        skin.value().description.value("skin", "name");
        skin.value().entry(skin.value().descriptionName);
    }
    return 0;
}
