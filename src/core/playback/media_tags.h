#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace orvessa::playback {

// Title, artist and album of an MP3 file, as UTF-8, each trimmed of blanks and controls.
struct MediaTags {
    std::string title;
    std::string artist;
    std::string album;
};

// The ID3 version 1 tag in the last 128 bytes (GBK text), or when there is none, an ID3 version
// 2.3 or 2.4 tag at the start of the file. Nothing for a file without either, or one that
// cannot be read; a malformed tag counts as none.
std::optional<MediaTags> readMediaTags(const std::filesystem::path& file);

// The same from the bytes of a whole file, for callers that have them already.
std::optional<MediaTags> parseMediaTags(std::string_view bytes);

}  // namespace orvessa::playback
