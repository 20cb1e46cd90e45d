#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

// The entry point every target defines, as libFuzzer calls it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace orvessa::fuzz {

inline std::string_view bytesOf(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Takes small numbers off the front of the input, so one input can choose a date, a size or a
// split point as well as give the bytes to parse.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : m_rest(bytesOf(data, size)) {}

    unsigned takeByte() {
        if (m_rest.empty()) {
            return 0;
        }
        const auto b = static_cast<unsigned char>(m_rest.front());
        m_rest.remove_prefix(1);
        return b;
    }
    std::uint32_t takeWord() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            v = v << 8 | takeByte();
        }
        return v;
    }
    std::string_view rest() const { return m_rest; }

private:
    std::string_view m_rest;
};

// Whether an LZHUF package declares an unpacked length the fuzzer should decode: a small one,
// or one the decoder refuses before it allocates anything. Lengths in between only repeat the
// same work at a cost that leaves little time for anything else.
inline bool worthDecoding(const std::uint8_t* data, std::size_t size, std::size_t maxRefused) {
    if (size < 4) {
        return true;
    }
    const std::size_t length = std::size_t{data[0]} | std::size_t{data[1]} << 8 |
                               std::size_t{data[2]} << 16 | std::size_t{data[3]} << 24;
    return length <= 256 * 1024 || length > maxRefused;
}

// A property of the parser that did not hold: a finding, like a crash.
[[noreturn]] inline void broken(const char* what) {
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

}  // namespace orvessa::fuzz
