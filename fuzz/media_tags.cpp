// The ID3 version 1 and 2 readers of the now-playing title.

#include "core/playback/media_tags.h"

#include "fuzz_input.h"

using namespace orvessa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    playback::parseMediaTags(fuzz::bytesOf(data, size));
    return 0;
}
