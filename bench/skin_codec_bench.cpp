// The skin package codec on a mixed input shaped like a skin: a description text, bitmaps with
// flat areas and gradients, and some noise. Reports the best encode and decode time of several
// runs and the compression ratio.
//
// Usage: orvessa_skin_codec_bench [kilobytes (default 300)] [runs (default 5)]

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string_view>
#include <vector>

#include "core/skins/lzhuf.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

Bytes skinLikeInput(std::size_t size) {
    std::mt19937 generator(42);
    Bytes bytes;
    const std::string_view description =
        "[TitlebarSkin]\r\nSkinName=Blue\r\n[Personality]\r\nTitleHeight=22\r\n"
        "[Scrollbar]\r\nHorzScroll=hscroll.bmp\r\nVertScroll=vscroll.bmp\r\n";
    while (bytes.size() < size) {
        switch (generator() % 4) {
            case 0:
                bytes.insert(bytes.end(), description.begin(), description.end());
                break;
            case 1:  // a flat area of one colour
                bytes.insert(bytes.end(), 3 * (200 + generator() % 800),
                             static_cast<std::uint8_t>(generator()));
                break;
            case 2:  // a gradient, row after row
                for (int row = 0; row < 8; ++row) {
                    for (int x = 0; x < 128; ++x) {
                        bytes.push_back(static_cast<std::uint8_t>(x * 2));
                        bytes.push_back(static_cast<std::uint8_t>(x + row));
                        bytes.push_back(static_cast<std::uint8_t>(255 - x));
                    }
                }
                break;
            default:  // antialiased edges and photographs: little to match
                for (int i = 0; i < 512; ++i) {
                    bytes.push_back(static_cast<std::uint8_t>(generator()));
                }
        }
    }
    bytes.resize(size);
    return bytes;
}

template <typename Work>
double bestMilliseconds(int runs, Work work) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        best =
            std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace orvessa::skins;
    const std::size_t kilobytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 300;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    const Bytes input = skinLikeInput(kilobytes * 1024);

    Bytes package;
    const double encodeMs = bestMilliseconds(runs, [&] { package = lzhuf::encode(input).value(); });
    Bytes output;
    const double decodeMs =
        bestMilliseconds(runs, [&] { output = lzhuf::decode(package).value(); });
    if (output != input) {
        std::fprintf(stderr, "the decoded bytes differ from the input\n");
        return 1;
    }

    const double megabytes = static_cast<double>(input.size()) / (1024.0 * 1024.0);
    std::printf("input            %zu bytes\n", input.size());
    std::printf("package          %zu bytes (%.1f %% of the input, ratio %.2f : 1)\n",
                package.size(), 100.0 * static_cast<double>(package.size()) / input.size(),
                static_cast<double>(input.size()) / package.size());
    std::printf("encode (best of %d) %8.1f ms  %6.1f MB/s\n", runs, encodeMs,
                megabytes / (encodeMs / 1000.0));
    std::printf("decode (best of %d) %8.1f ms  %6.1f MB/s\n", runs, decodeMs,
                megabytes / (decodeMs / 1000.0));
    return 0;
}
