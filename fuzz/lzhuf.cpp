// The LZHUF decoder of skin packages; what it gives, packed again, decodes to the same bytes.

#include "core/skins/lzhuf.h"

#include <span>

#include "fuzz_input.h"

using namespace orvessa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!fuzz::worthDecoding(data, size, skins::lzhuf::kMaxUnpackedBytes)) {
        return 0;
    }
    const auto decoded = skins::lzhuf::decode(std::span<const std::uint8_t>(data, size));
    if (!decoded || decoded.value().size() > 4096) {
        return 0;
    }
    const auto packed = skins::lzhuf::encode(decoded.value());
    if (!packed) {
        fuzz::broken("decoded bytes could not be packed");
    }
    const auto again = skins::lzhuf::decode(packed.value());
    if (!again || again.value() != decoded.value()) {
        fuzz::broken("a round trip changed the bytes");
    }
    return 0;
}
