#include "core/skins/skin_store.h"

#include <algorithm>
#include <string>

namespace orvessa::skins {
namespace {

constexpr std::string_view kMagic = "OSKS";

void putWord(std::vector<std::uint8_t>& out, std::size_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

// Reads forward through the data; every read is checked against what is left.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> data) : m_data(data) {}

    std::size_t left() const { return m_data.size() - m_at; }

    bool word(std::size_t& value) {
        if (left() < 4) {
            return false;
        }
        value = std::size_t{m_data[m_at]} | std::size_t{m_data[m_at + 1]} << 8 |
                std::size_t{m_data[m_at + 2]} << 16 | std::size_t{m_data[m_at + 3]} << 24;
        m_at += 4;
        return true;
    }

    bool bytes(std::size_t count, std::span<const std::uint8_t>& out) {
        if (left() < count) {
            return false;
        }
        out = m_data.subspan(m_at, count);
        m_at += count;
        return true;
    }

private:
    std::span<const std::uint8_t> m_data;
    std::size_t m_at = 0;
};

Result<SkinStore> refused(const std::string& why) {
    return Result<SkinStore>::failure("Damaged skin store: " + why);
}

}  // namespace

Result<SkinStore> SkinStore::parse(std::span<const std::uint8_t> bytes) {
    Reader in(bytes);
    std::span<const std::uint8_t> magic;
    if (!in.bytes(kMagic.size(), magic) ||
        !std::equal(magic.begin(), magic.end(), kMagic.begin())) {
        return refused("it does not start with \"OSKS\"");
    }
    std::size_t count = 0;
    if (!in.word(count)) {
        return refused("the item count is missing");
    }
    // Each item takes at least its two lengths: a lying count fails here, before any reserve.
    if (count > in.left() / 8) {
        return refused(std::to_string(count) + " items cannot fit in " + std::to_string(in.left()) +
                       " bytes");
    }
    std::vector<SkinStoreItem> items;
    items.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t length = 0;
        std::span<const std::uint8_t> name;
        std::span<const std::uint8_t> package;
        if (!in.word(length) || !in.bytes(length, name) || !in.word(length) ||
            !in.bytes(length, package)) {
            return refused("item " + std::to_string(i) + " runs past the end");
        }
        items.push_back({std::string(name.begin(), name.end()),
                         std::vector<std::uint8_t>(package.begin(), package.end())});
    }
    if (in.left() != 0) {
        return refused(std::to_string(in.left()) + " bytes follow the last item");
    }
    return SkinStore(std::move(items));
}

std::vector<std::uint8_t> SkinStore::serialize() const {
    std::vector<std::uint8_t> out(kMagic.begin(), kMagic.end());
    putWord(out, m_items.size());
    for (const SkinStoreItem& item : m_items) {
        putWord(out, item.name.size());
        out.insert(out.end(), item.name.begin(), item.name.end());
        putWord(out, item.package.size());
        out.insert(out.end(), item.package.begin(), item.package.end());
    }
    return out;
}

const SkinStoreItem* SkinStore::item(std::int64_t number) const {
    if (number < 0 || static_cast<std::uint64_t>(number) >= m_items.size()) {
        return nullptr;
    }
    return &m_items[static_cast<std::size_t>(number)];
}

}  // namespace orvessa::skins
