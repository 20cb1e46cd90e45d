#include "core/skins/skin_archive.h"

#include <limits>

#include "core/text/gbk.h"

namespace orvessa::skins {
namespace {

constexpr std::size_t kHeaderBytes = 16;

std::uint32_t readWord(std::span<const std::uint8_t> data, std::size_t at) {
    return std::uint32_t{data[at]} | std::uint32_t{data[at + 1]} << 8 |
           std::uint32_t{data[at + 2]} << 16 | std::uint32_t{data[at + 3]} << 24;
}

void putWord(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

// Lines ended by CR LF, LF or CR; a last line without an end counts too.
std::vector<std::string_view> nameLines(std::string_view list) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] != '\r' && list[i] != '\n') {
            continue;
        }
        lines.push_back(list.substr(start, i - start));
        if (list[i] == '\r' && i + 1 < list.size() && list[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < list.size()) {
        lines.push_back(list.substr(start));
    }
    return lines;
}

Result<std::vector<ArchiveEntry>> refused(const std::string& why) {
    return Result<std::vector<ArchiveEntry>>::failure("Damaged skin archive: " + why);
}

}  // namespace

std::string entryKey(std::string_view name) {
    std::string key(name);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return key;
}

Result<std::vector<ArchiveEntry>> readArchive(std::span<const std::uint8_t> data) {
    if (data.size() < kHeaderBytes) {
        return refused("the header needs " + std::to_string(kHeaderBytes) + " bytes, there are " +
                       std::to_string(data.size()));
    }
    if (readWord(data, 0) != kArchiveVersion) {
        return Result<std::vector<ArchiveEntry>>::failure(kOlderSkinMessage);
    }
    const std::size_t listBytes = readWord(data, 4);
    if (listBytes > data.size() - kHeaderBytes) {
        return refused("the name list of " + std::to_string(listBytes) +
                       " bytes runs past the end");
    }
    const std::string_view list(reinterpret_cast<const char*>(data.data()) + kHeaderBytes,
                                listBytes);
    const std::vector<std::string_view> names = nameLines(list);
    if (names.size() > kMaxArchiveEntries) {
        return refused(std::to_string(names.size()) + " entries, at most " +
                       std::to_string(kMaxArchiveEntries) + " are allowed");
    }

    const std::size_t sizesAt = kHeaderBytes + listBytes;
    const std::size_t contentAt = sizesAt + 4 * names.size();
    if (contentAt > data.size()) {
        return refused("the sizes of " + std::to_string(names.size()) +
                       " entries run past the end");
    }
    // Sizes are added in 64 bits: a lying size cannot wrap the total.
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        total += readWord(data, sizesAt + 4 * i);
    }
    if (total > data.size() - contentAt) {
        return refused("the entries need " + std::to_string(total) + " bytes, there are " +
                       std::to_string(data.size() - contentAt));
    }

    std::vector<ArchiveEntry> entries;
    entries.reserve(names.size());
    std::size_t at = contentAt;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::size_t size = readWord(data, sizesAt + 4 * i);
        entries.push_back(
            {text::gbkToUtf8(names[i]),
             std::vector<std::uint8_t>(data.begin() + static_cast<std::ptrdiff_t>(at),
                                       data.begin() + static_cast<std::ptrdiff_t>(at + size))});
        at += size;
    }
    return entries;
}

Result<std::vector<std::uint8_t>> writeArchive(std::span<const ArchiveEntry> entries) {
    using Out = Result<std::vector<std::uint8_t>>;
    if (entries.size() > kMaxArchiveEntries) {
        return Out::failure("A skin holds at most " + std::to_string(kMaxArchiveEntries) +
                            " entries, not " + std::to_string(entries.size()));
    }
    std::string list;
    for (const ArchiveEntry& entry : entries) {
        if (entry.name.find_first_of("\r\n") != std::string::npos) {
            return Out::failure("The entry name \"" + entry.name + "\" holds a line end");
        }
        const std::string gbk = text::utf8ToGbk(entry.name);
        if (text::gbkToUtf8(gbk) != entry.name) {
            return Out::failure("The entry name \"" + entry.name + "\" cannot be held in GBK");
        }
        if (entry.bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
            return Out::failure("The entry \"" + entry.name + "\" is too large");
        }
        list += gbk;
        list += "\r\n";
    }
    if (list.size() > std::numeric_limits<std::uint32_t>::max()) {
        return Out::failure("The entry names are too long");
    }

    std::vector<std::uint8_t> out;
    putWord(out, kArchiveVersion);
    putWord(out, static_cast<std::uint32_t>(list.size()));
    putWord(out, 0);
    putWord(out, 0);
    out.insert(out.end(), list.begin(), list.end());
    for (const ArchiveEntry& entry : entries) {
        putWord(out, static_cast<std::uint32_t>(entry.bytes.size()));
    }
    for (const ArchiveEntry& entry : entries) {
        out.insert(out.end(), entry.bytes.begin(), entry.bytes.end());
    }
    return out;
}

}  // namespace orvessa::skins
