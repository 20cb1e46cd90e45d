#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/skins/skin_result.h"

namespace orvessa::skins::lzhuf {

// Far above any skin; a package that declares more is refused before anything is allocated.
inline constexpr std::size_t kMaxUnpackedBytes = std::size_t{16} << 20;

// The message of a package whose tables or output cannot be allocated.
inline constexpr const char* kNoMemoryMessage = "LZH : Cannot get memory for dictionary tables";

// A package is the unpacked length (32 bits, little-endian) followed by the LZHUF bit stream:
// LZSS over a 4096-byte ring with a 60-byte look-ahead, literals and match lengths in an
// adaptive Huffman code, match positions in the fixed position code.
//
// Decoding produces exactly the declared number of bytes. A stream that ends early reads on as
// zero bits, so a truncated package still decodes to something of its declared length; the
// work is bounded by that length whatever the stream holds.
Result<std::vector<std::uint8_t>> decode(std::span<const std::uint8_t> package);

// The package of `data`; decode(encode(data)) gives `data` back. Fails only for data above
// kMaxUnpackedBytes or when memory runs out.
Result<std::vector<std::uint8_t>> encode(std::span<const std::uint8_t> data);

}  // namespace orvessa::skins::lzhuf
