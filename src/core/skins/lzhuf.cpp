#include "core/skins/lzhuf.h"

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <string>

namespace orvessa::skins::lzhuf {
namespace {

constexpr int kRingSize = 4096;
constexpr int kRingMask = kRingSize - 1;
constexpr int kLookAhead = 60;
// Matches of this length or shorter go out as literals.
constexpr int kThreshold = 2;
// Writing starts here; the ring before it holds spaces.
constexpr int kRingStart = kRingSize - kLookAhead;

// 256 literals, then one symbol per match length 3..60.
constexpr int kSymbolCount = 256 - kThreshold + kLookAhead;
constexpr int kNodeCount = kSymbolCount * 2 - 1;
constexpr int kRoot = kNodeCount - 1;
constexpr unsigned kMaxFrequency = 0x8000;

constexpr std::size_t kHeaderBytes = 4;

// The position code: the upper 6 bits of a match position in a fixed prefix code of 3 to 8
// bits (short codes for near positions), the lower 6 bits as they are.
constexpr std::array<std::uint8_t, 64> kPositionCodeLength = {
    3, 4, 4, 4, 5, 5, 5, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 7, 7, 7, 7, 7, 7, 7, 7,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8,
};

struct PositionTables {
    // Each code left-aligned in a byte.
    std::array<std::uint8_t, 64> code{};
    // For every first byte of a coded position: its upper 6 bits and its code length.
    std::array<std::uint8_t, 256> upperBits{};
    std::array<std::uint8_t, 256> codeLength{};
};

// The canonical code of kPositionCodeLength, in the order of the positions.
constexpr PositionTables makePositionTables() {
    PositionTables tables;
    unsigned next = 0;
    for (unsigned upper = 0; upper < kPositionCodeLength.size(); ++upper) {
        const unsigned length = kPositionCodeLength[upper];
        tables.code[upper] = static_cast<std::uint8_t>(next);
        for (unsigned b = next; b < next + (256u >> length); ++b) {
            tables.upperBits[b] = static_cast<std::uint8_t>(upper);
            tables.codeLength[b] = static_cast<std::uint8_t>(length);
        }
        next += 256u >> length;
    }
    return tables;
}

constexpr PositionTables kPositionTables = makePositionTables();
static_assert(kPositionTables.code[1] == 0x20 && kPositionTables.code[4] == 0x50 &&
              kPositionTables.code[12] == 0x90 && kPositionTables.code[24] == 0xC0 &&
              kPositionTables.code[48] == 0xF0 && kPositionTables.code[63] == 0xFF);

// Bits most significant first; past the end of the data every byte reads as 0.
class BitReader {
public:
    explicit BitReader(std::span<const std::uint8_t> data) : m_data(data) {}

    unsigned bit() {
        if (m_left == 0) {
            m_byte = m_next < m_data.size() ? m_data[m_next] : 0;
            ++m_next;
            m_left = 8;
        }
        --m_left;
        return (m_byte >> m_left) & 1u;
    }

    unsigned bits(int count) {
        unsigned value = 0;
        for (int i = 0; i < count; ++i) {
            value = (value << 1) | bit();
        }
        return value;
    }

private:
    std::span<const std::uint8_t> m_data;
    std::size_t m_next = 0;
    unsigned m_byte = 0;
    int m_left = 0;
};

// Bits most significant first; the last byte is padded with zero bits.
class BitWriter {
public:
    explicit BitWriter(std::vector<std::uint8_t>& out) : m_out(out) {}

    // The low `count` bits of `value`, the highest first.
    void put(unsigned value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            putBit((value >> i) & 1u);
        }
    }

    void putBit(unsigned bit) {
        m_byte = (m_byte << 1) | bit;
        if (++m_filled == 8) {
            m_out.push_back(static_cast<std::uint8_t>(m_byte));
            m_byte = 0;
            m_filled = 0;
        }
    }

    void flush() {
        if (m_filled > 0) {
            m_out.push_back(static_cast<std::uint8_t>(m_byte << (8 - m_filled)));
            m_byte = 0;
            m_filled = 0;
        }
    }

private:
    std::vector<std::uint8_t>& m_out;
    unsigned m_byte = 0;
    int m_filled = 0;
};

// The adaptive Huffman code of the symbols. Nodes are kept ordered by frequency, siblings side
// by side with the first at an even index, so a node's parity is its bit. Both directions update
// the tree after every symbol in the same way, which keeps them in step.
class AdaptiveHuffman {
public:
    AdaptiveHuffman() {
        for (int i = 0; i < kSymbolCount; ++i) {
            m_freq[i] = 1;
            m_son[i] = i + kNodeCount;
            m_parent[i + kNodeCount] = i;
        }
        for (int i = 0, j = kSymbolCount; j <= kRoot; i += 2, ++j) {
            m_freq[j] = m_freq[i] + m_freq[i + 1];
            m_son[j] = i;
            m_parent[i] = m_parent[i + 1] = j;
        }
        m_freq[kNodeCount] = 0xFFFF;  // stops the search in update()
        m_parent[kRoot] = 0;
    }

    int decode(BitReader& in) {
        int node = m_son[kRoot];
        while (node < kNodeCount) {
            node = m_son[node + static_cast<int>(in.bit())];
        }
        const int symbol = node - kNodeCount;
        update(symbol);
        return symbol;
    }

    void encode(int symbol, BitWriter& out) {
        // The path is found from the leaf up and sent from the root down. The frequency limit
        // keeps the tree far shallower than the node count.
        std::array<std::uint8_t, kNodeCount> path;
        int depth = 0;
        for (int node = m_parent[symbol + kNodeCount]; node != kRoot; node = m_parent[node]) {
            path[depth++] = static_cast<std::uint8_t>(node & 1);
        }
        while (depth > 0) {
            out.putBit(path[--depth]);
        }
        update(symbol);
    }

private:
    // Halves every frequency and builds the tree anew from the leaves.
    void rebuild() {
        int j = 0;
        for (int i = 0; i < kNodeCount; ++i) {
            if (m_son[i] >= kNodeCount) {
                m_freq[j] = (m_freq[i] + 1) / 2;
                m_son[j] = m_son[i];
                ++j;
            }
        }
        for (int i = 0, node = kSymbolCount; node < kNodeCount; i += 2, ++node) {
            const unsigned f = m_freq[i] + m_freq[i + 1];
            int k = node - 1;
            while (f < m_freq[k]) {
                --k;
            }
            ++k;
            std::copy_backward(m_freq.begin() + k, m_freq.begin() + node,
                               m_freq.begin() + node + 1);
            m_freq[k] = f;
            std::copy_backward(m_son.begin() + k, m_son.begin() + node, m_son.begin() + node + 1);
            m_son[k] = i;
        }
        for (int i = 0; i < kNodeCount; ++i) {
            const int k = m_son[i];
            if (k >= kNodeCount) {
                m_parent[k] = i;
            } else {
                m_parent[k] = m_parent[k + 1] = i;
            }
        }
    }

    // Counts the symbol and moves each node on its path past the nodes it now outweighs.
    void update(int symbol) {
        if (m_freq[kRoot] == kMaxFrequency) {
            rebuild();
        }
        int c = m_parent[symbol + kNodeCount];
        do {
            const unsigned k = ++m_freq[c];
            int l = c + 1;
            if (k > m_freq[l]) {
                while (k > m_freq[++l]) {
                }
                --l;
                m_freq[c] = m_freq[l];
                m_freq[l] = k;

                const int i = m_son[c];
                m_parent[i] = l;
                if (i < kNodeCount) {
                    m_parent[i + 1] = l;
                }
                const int j = m_son[l];
                m_son[l] = i;
                m_parent[j] = c;
                if (j < kNodeCount) {
                    m_parent[j + 1] = c;
                }
                m_son[c] = j;
                c = l;
            }
            c = m_parent[c];
        } while (c != 0);
    }

    std::array<unsigned, kNodeCount + 1> m_freq{};
    // Parents of the nodes, then of the leaves (at kNodeCount + symbol).
    std::array<int, kNodeCount + kSymbolCount> m_parent{};
    // A node's first child; a leaf holds kNodeCount + its symbol.
    std::array<int, kNodeCount> m_son{};
};

// The longest earlier match for the string at a ring position, from binary search trees of the
// strings in the ring, one tree per first byte.
class MatchFinder {
public:
    static constexpr int kNil = kRingSize;

    MatchFinder() {
        std::fill(m_right.begin() + kRingSize + 1, m_right.end(), kNil);
        std::fill(m_parent.begin(), m_parent.begin() + kRingSize, kNil);
    }

    // The ring, with its first kLookAhead - 1 bytes repeated after its end so that a string
    // never wraps.
    std::array<std::uint8_t, kRingSize + kLookAhead - 1> text{};

    int matchLength = 0;
    // Distance back from the string, less one.
    int matchPosition = 0;

    // Adds the string at `r` and finds its longest match. An equal string already there is
    // replaced, so the nearest of equal matches is kept.
    void insert(int r) {
        const std::uint8_t* key = &text[r];
        int p = kRingSize + 1 + key[0];
        int cmp = 1;
        m_right[r] = m_left[r] = kNil;
        matchLength = 0;
        for (;;) {
            if (cmp >= 0) {
                if (m_right[p] == kNil) {
                    m_right[p] = r;
                    m_parent[r] = p;
                    return;
                }
                p = m_right[p];
            } else {
                if (m_left[p] == kNil) {
                    m_left[p] = r;
                    m_parent[r] = p;
                    return;
                }
                p = m_left[p];
            }
            int i = 1;
            for (; i < kLookAhead; ++i) {
                cmp = key[i] - text[p + i];
                if (cmp != 0) {
                    break;
                }
            }
            if (i > kThreshold) {
                const int distance = ((r - p) & kRingMask) - 1;
                if (i > matchLength) {
                    matchPosition = distance;
                    matchLength = i;
                    if (matchLength >= kLookAhead) {
                        break;
                    }
                } else if (i == matchLength && distance < matchPosition) {
                    matchPosition = distance;
                }
            }
        }
        // `p` holds the same string: `r` takes its place.
        m_parent[r] = m_parent[p];
        m_left[r] = m_left[p];
        m_right[r] = m_right[p];
        m_parent[m_left[p]] = r;
        m_parent[m_right[p]] = r;
        replaceChild(p, r);
        m_parent[p] = kNil;
    }

    void remove(int p) {
        if (m_parent[p] == kNil) {
            return;
        }
        int q;
        if (m_right[p] == kNil) {
            q = m_left[p];
        } else if (m_left[p] == kNil) {
            q = m_right[p];
        } else {
            // The largest string below p's left side takes p's place.
            q = m_left[p];
            if (m_right[q] != kNil) {
                do {
                    q = m_right[q];
                } while (m_right[q] != kNil);
                m_right[m_parent[q]] = m_left[q];
                m_parent[m_left[q]] = m_parent[q];
                m_left[q] = m_left[p];
                m_parent[m_left[p]] = q;
            }
            m_right[q] = m_right[p];
            m_parent[m_right[p]] = q;
        }
        m_parent[q] = m_parent[p];
        replaceChild(p, q);
        m_parent[p] = kNil;
    }

private:
    void replaceChild(int old, int now) {
        const int parent = m_parent[old];
        if (m_right[parent] == old) {
            m_right[parent] = now;
        } else {
            m_left[parent] = now;
        }
    }

    // Index kNil is a scratch slot written through nil links; the roots of the trees, one per
    // first byte, follow it.
    std::array<int, kRingSize + 257> m_left{};
    std::array<int, kRingSize + 257> m_right{};
    std::array<int, kRingSize + 1> m_parent{};
};

void encodePosition(unsigned position, BitWriter& out) {
    const unsigned upper = position >> 6;
    const int length = kPositionCodeLength[upper];
    out.put(kPositionTables.code[upper] >> (8 - length), length);
    out.put(position & 0x3Fu, 6);
}

unsigned decodePosition(BitReader& in) {
    unsigned first = in.bits(8);
    const unsigned upper = kPositionTables.upperBits[first];
    // The first byte holds the code and the start of the lower bits; read the rest of them.
    for (int i = kPositionTables.codeLength[first] - 2; i > 0; --i) {
        first = (first << 1) | in.bit();
    }
    return (upper << 6) | (first & 0x3Fu);
}

void putHeader(std::vector<std::uint8_t>& out, std::uint32_t length) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(length >> shift));
    }
}

void encodeInto(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out) {
    putHeader(out, static_cast<std::uint32_t>(data.size()));
    if (data.empty()) {
        return;
    }
    const auto huffman = std::make_unique<AdaptiveHuffman>();
    const auto finder = std::make_unique<MatchFinder>();
    std::uint8_t* const text = finder->text.data();
    BitWriter bits(out);

    std::fill(text, text + kRingStart, ' ');
    int s = 0;
    int r = kRingStart;
    int len = static_cast<int>(std::min<std::size_t>(kLookAhead, data.size()));
    std::copy_n(data.begin(), len, text + r);
    std::size_t next = static_cast<std::size_t>(len);
    // The spaces before the start count as earlier strings.
    for (int i = 1; i <= kLookAhead; ++i) {
        finder->insert(r - i);
    }
    finder->insert(r);

    do {
        int matchLength = std::min(finder->matchLength, len);
        if (matchLength <= kThreshold) {
            matchLength = 1;
            huffman->encode(text[r], bits);
        } else {
            huffman->encode(255 - kThreshold + matchLength, bits);
            encodePosition(static_cast<unsigned>(finder->matchPosition), bits);
        }
        int i = 0;
        for (; i < matchLength && next < data.size(); ++i) {
            finder->remove(s);
            const std::uint8_t c = data[next++];
            text[s] = c;
            if (s < kLookAhead - 1) {
                text[s + kRingSize] = c;
            }
            s = (s + 1) & kRingMask;
            r = (r + 1) & kRingMask;
            finder->insert(r);
        }
        // The end of the data: the look-ahead drains.
        for (; i < matchLength; ++i) {
            finder->remove(s);
            s = (s + 1) & kRingMask;
            r = (r + 1) & kRingMask;
            if (--len > 0) {
                finder->insert(r);
            }
        }
    } while (len > 0);
    bits.flush();
}

void decodeInto(std::span<const std::uint8_t> stream, std::size_t length,
                std::vector<std::uint8_t>& out) {
    out.resize(length);
    if (length == 0) {
        return;
    }
    const auto huffman = std::make_unique<AdaptiveHuffman>();
    std::array<std::uint8_t, kRingSize> ring{};
    std::fill(ring.begin(), ring.begin() + kRingStart, ' ');
    int r = kRingStart;
    BitReader in(stream);

    std::size_t count = 0;
    auto emit = [&](std::uint8_t c) {
        out[count++] = c;
        ring[r] = c;
        r = (r + 1) & kRingMask;
    };
    // Every symbol gives at least one byte, so this ends after at most `length` symbols.
    while (count < length) {
        const int symbol = huffman->decode(in);
        if (symbol < 256) {
            emit(static_cast<std::uint8_t>(symbol));
            continue;
        }
        const int from = (r - static_cast<int>(decodePosition(in)) - 1) & kRingMask;
        const int matchLength = symbol - 255 + kThreshold;
        for (int k = 0; k < matchLength && count < length; ++k) {
            emit(ring[(from + k) & kRingMask]);
        }
    }
}

}  // namespace

Result<std::vector<std::uint8_t>> decode(std::span<const std::uint8_t> package) {
    if (package.size() < kHeaderBytes) {
        return Result<std::vector<std::uint8_t>>::failure(
            "LZH : The package is too short to hold its length");
    }
    const std::size_t length = std::size_t{package[0]} | std::size_t{package[1]} << 8 |
                               std::size_t{package[2]} << 16 | std::size_t{package[3]} << 24;
    if (length > kMaxUnpackedBytes) {
        return Result<std::vector<std::uint8_t>>::failure(
            "LZH : The package declares " + std::to_string(length) +
            " unpacked bytes, more than a skin can hold");
    }
    try {
        std::vector<std::uint8_t> out;
        decodeInto(package.subspan(kHeaderBytes), length, out);
        return out;
    } catch (const std::bad_alloc&) {
        return Result<std::vector<std::uint8_t>>::failure(kNoMemoryMessage);
    }
}

Result<std::vector<std::uint8_t>> encode(std::span<const std::uint8_t> data) {
    if (data.size() > kMaxUnpackedBytes) {
        return Result<std::vector<std::uint8_t>>::failure("LZH : " + std::to_string(data.size()) +
                                                          " bytes are more than a skin can hold");
    }
    try {
        std::vector<std::uint8_t> out;
        out.reserve(kHeaderBytes + data.size() / 2);
        encodeInto(data, out);
        return out;
    } catch (const std::bad_alloc&) {
        return Result<std::vector<std::uint8_t>>::failure(kNoMemoryMessage);
    }
}

}  // namespace orvessa::skins::lzhuf
