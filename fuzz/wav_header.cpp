// The RIFF header of a WAV file, with the file's size as the input gives it.

#include "backends/gstreamer/wav_file.h"
#include "fuzz_input.h"

using namespace orvessa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const std::uint64_t extra = input.takeWord();
    const std::string_view head = input.rest();
    const auto info = backends::parseWavHeader(head, head.size() + extra);
    if (info) {
        if (info->dataBytes > head.size() + extra) {
            fuzz::broken("more data than the file holds");
        }
        info->format.isRecordable();
        info->format.bytesPerSecond();
    }
    return 0;
}
