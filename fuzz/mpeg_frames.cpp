// The frame walks that give an item its length: MPEG audio with its ID3v2 tag, raw AAC (ADTS),
// raw AC-3, and a program stream's time stamps from its two ends.

#include "backends/gstreamer/mp3_length.h"
#include "backends/gstreamer/stream_length.h"
#include "fuzz_input.h"

using namespace orvessa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const unsigned split = input.takeByte();
    const std::string_view bytes = input.rest();
    backends::id3v2Size(bytes);
    for (std::size_t pos = 0; pos < bytes.size() && pos < 64; ++pos) {
        backends::mpegAudioFrameAt(bytes, pos);
    }
    const auto length = backends::mpegAudioLength(bytes);
    if (length && *length < 0) {
        fuzz::broken("a negative MPEG audio length");
    }
    backends::adtsLength(bytes);
    backends::ac3Length(bytes);
    // The head and tail of a file, overlapping or not.
    const std::size_t cut = bytes.size() * split / 255;
    backends::programStreamLength(bytes.substr(0, cut), bytes.substr(cut / 2));
    return 0;
}
