// The GBK codec at the file boundary: any bytes decode, and decoded bytes encode back to exactly
// the same bytes, so an unedited file is written back as it was read.

#include "core/text/gbk.h"

#include <string>

#include "fuzz_input.h"

using namespace orvessa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);
    const std::string utf8 = text::gbkToUtf8(bytes);
    if (text::utf8ToGbk(utf8) != bytes) {
        fuzz::broken("bytes changed in a round trip");
    }
    // Any UTF-8-ish text, typed or pasted, goes out and comes back stable.
    const std::string normal = text::normaliseGbk(bytes);
    if (text::normaliseGbk(normal) != normal) {
        fuzz::broken("normalising is not stable");
    }
    text::characterCount(utf8);
    text::firstCharacters(utf8, size % 17);
    return 0;
}
