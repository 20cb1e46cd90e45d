#pragma once

#include <cstdint>
#include <string>

namespace orvessa::testing {

// 16-bit mono PCM silence of the given length, 8000 samples a second: a file GStreamer plays
// for exactly that long.
inline std::string wavOf(int seconds) {
    const uint32_t rate = 8000;
    const uint32_t data = rate * 2 * static_cast<uint32_t>(seconds);
    std::string b;
    auto u32 = [&b](uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            b += static_cast<char>((v >> (8 * i)) & 0xff);
        }
    };
    auto u16 = [&b](uint16_t v) {
        b += static_cast<char>(v & 0xff);
        b += static_cast<char>(v >> 8);
    };
    b += "RIFF";
    u32(36 + data);
    b += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    b += "data";
    u32(data);
    b.append(data, '\0');
    return b;
}

}  // namespace orvessa::testing
