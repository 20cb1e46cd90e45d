#include "core/playback/media_tags.h"

#include <fstream>
#include <system_error>

#include "core/text/gbk.h"
#include "core/text/time_text.h"

namespace orvessa::playback {
namespace {

constexpr std::size_t kV1Size = 128;
// Tags larger than this are not believed: the reading stays bounded on broken files.
constexpr std::size_t kMaxV2Size = 16 * 1024 * 1024;

// A tag field up to its first zero byte, trimmed, from GBK.
std::string v1Field(std::string_view field) {
    const std::size_t zero = field.find('\0');
    return text::gbkToUtf8(text::trimText(field.substr(0, zero)));
}

std::optional<MediaTags> parseV1(std::string_view tail) {
    if (tail.size() != kV1Size || !tail.starts_with("TAG")) {
        return std::nullopt;
    }
    return MediaTags{v1Field(tail.substr(3, 30)), v1Field(tail.substr(33, 30)),
                     v1Field(tail.substr(63, 30))};
}

uint32_t syncsafe(std::string_view b) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        v = (v << 7) | (static_cast<unsigned char>(b[static_cast<std::size_t>(i)]) & 0x7F);
    }
    return v;
}

uint32_t bigEndian(std::string_view b) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        v = (v << 8) | static_cast<unsigned char>(b[static_cast<std::size_t>(i)]);
    }
    return v;
}

std::string fromUtf16(std::string_view b, bool bigEndianOrder) {
    std::string out;
    for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
        const auto hi = static_cast<unsigned char>(b[i]);
        const auto lo = static_cast<unsigned char>(b[i + 1]);
        char32_t u = bigEndianOrder ? (hi << 8 | lo) : (lo << 8 | hi);
        if (u == 0) {
            break;
        }
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < b.size()) {
            const auto hi2 = static_cast<unsigned char>(b[i + 2]);
            const auto lo2 = static_cast<unsigned char>(b[i + 3]);
            const char32_t u2 = bigEndianOrder ? (hi2 << 8 | lo2) : (lo2 << 8 | hi2);
            if (u2 >= 0xDC00 && u2 <= 0xDFFF) {
                u = 0x10000 + ((u - 0xD800) << 10) + (u2 - 0xDC00);
                i += 2;
            }
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            u = '?';
        }
        text::appendUtf8(out, u);
    }
    return out;
}

// A text frame's content: its encoding byte, then the text. Latin-1 frames of Chinese files
// carry GBK bytes in practice, so they are read as GBK, like the version 1 tag.
std::string textFrame(std::string_view body) {
    if (body.empty()) {
        return {};
    }
    const char encoding = body.front();
    std::string_view textBytes = body.substr(1);
    std::string out;
    switch (encoding) {
        case 1:  // UTF-16 with a byte order mark
            if (textBytes.size() >= 2) {
                const bool be = static_cast<unsigned char>(textBytes[0]) == 0xFE;
                out = fromUtf16(textBytes.substr(2), be);
            }
            break;
        case 2:
            out = fromUtf16(textBytes, true);
            break;
        case 3:
            out = text::normaliseGbk(textBytes.substr(0, textBytes.find('\0')));
            break;
        default:
            out = text::gbkToUtf8(textBytes.substr(0, textBytes.find('\0')));
            break;
    }
    return text::trimText(out);
}

std::optional<MediaTags> parseV2(std::string_view bytes) {
    if (bytes.size() < 10 || !bytes.starts_with("ID3")) {
        return std::nullopt;
    }
    const int version = static_cast<unsigned char>(bytes[3]);
    const auto flags = static_cast<unsigned char>(bytes[5]);
    if ((version != 3 && version != 4) || (flags & 0x80) != 0) {
        return std::nullopt;  // other versions, and unsynchronised tags, are not read
    }
    const std::size_t size = syncsafe(bytes.substr(6, 4));
    if (size > kMaxV2Size || 10 + size > bytes.size()) {
        return std::nullopt;
    }
    std::string_view tag = bytes.substr(10, size);
    std::size_t pos = 0;
    if ((flags & 0x40) != 0 && tag.size() >= 4) {
        const std::size_t extended =
            version == 4 ? syncsafe(tag.substr(0, 4)) : bigEndian(tag.substr(0, 4)) + 4;
        pos = extended;
    }
    MediaTags tags;
    bool any = false;
    while (pos + 10 <= tag.size()) {
        const std::string_view id = tag.substr(pos, 4);
        if (id[0] == '\0') {
            break;  // padding
        }
        const std::size_t frameSize =
            version == 4 ? syncsafe(tag.substr(pos + 4, 4)) : bigEndian(tag.substr(pos + 4, 4));
        if (frameSize > tag.size() - pos - 10) {
            return any ? std::optional<MediaTags>(tags) : std::nullopt;
        }
        const std::string_view body = tag.substr(pos + 10, frameSize);
        if (id == "TIT2") {
            tags.title = textFrame(body);
            any = true;
        } else if (id == "TPE1") {
            tags.artist = textFrame(body);
            any = true;
        } else if (id == "TALB") {
            tags.album = textFrame(body);
            any = true;
        }
        pos += 10 + frameSize;
    }
    return any ? std::optional<MediaTags>(tags) : std::nullopt;
}

}  // namespace

std::optional<MediaTags> parseMediaTags(std::string_view bytes) {
    if (bytes.size() > kV1Size) {
        if (auto v1 = parseV1(bytes.substr(bytes.size() - kV1Size))) {
            return v1;
        }
    }
    return parseV2(bytes);
}

std::optional<MediaTags> readMediaTags(const std::filesystem::path& file) {
    // Opening a pipe would wait for a writer, on the user-interface thread.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size <= 0) {
        return std::nullopt;
    }
    // The version 1 tag first, from the end.
    if (size > static_cast<std::streamoff>(kV1Size)) {
        std::string tail(kV1Size, '\0');
        in.seekg(size - static_cast<std::streamoff>(kV1Size));
        if (in.read(tail.data(), static_cast<std::streamsize>(kV1Size))) {
            if (auto v1 = parseV1(tail)) {
                return v1;
            }
        }
    }
    in.clear();
    in.seekg(0);
    std::string head(10, '\0');
    if (!in.read(head.data(), 10) || !head.starts_with("ID3")) {
        return std::nullopt;
    }
    const std::size_t tagSize = syncsafe(std::string_view(head).substr(6, 4));
    if (tagSize > kMaxV2Size) {
        return std::nullopt;
    }
    std::string whole = head;
    whole.resize(10 + tagSize);
    in.read(whole.data() + 10, static_cast<std::streamsize>(tagSize));
    whole.resize(10 + static_cast<std::size_t>(in.gcount()));
    return parseV2(whole);
}

}  // namespace orvessa::playback
