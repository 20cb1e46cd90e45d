#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/store/file_io.h"

namespace orvessa::store {

// An INI text with the semantics of the Windows profile functions: "[section]" lines and
// "key=value" lines, names matched without regard to ASCII case, the first match winning, blanks
// around names and values dropped, and a value in matching quotes given without them. Lines
// that are not touched by a write stay as they were.
class IniDocument {
public:
    IniDocument() = default;
    explicit IniDocument(std::string_view utf8Text);

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // Replaces the value of an existing key, or adds the key at the end of its section, or adds
    // the section at the end of the text.
    void setValue(std::string_view section, std::string_view key, std::string_view value);

    // The text with CR LF line ends.
    std::string text() const;

private:
    struct Found {
        std::size_t sectionLine;
        std::optional<std::size_t> keyLine;
    };
    std::optional<Found> find(std::string_view section, std::string_view key) const;

    std::vector<std::string> m_lines;
};

// A profile file on disk, GBK. Every call reads the file anew, and every write rewrites it
// whole; a missing file reads as empty and is created by the first write. A file that cannot be
// read (larger than kMaxProfileBytes, a directory, a pipe) reads as empty and is never written.
class ProfileFile {
public:
    // A few sections of a few keys each; anything near this size is not a profile of ours.
    static constexpr std::size_t kMaxProfileBytes = 1024 * 1024;

    // Writes flush through `sync` when given (file_io.h).
    explicit ProfileFile(std::filesystem::path path, FileSync* sync = nullptr);

    const std::filesystem::path& path() const { return m_path; }

    std::string readString(std::string_view section, std::string_view key,
                           std::string_view fallback) const;
    // The value as a decimal integer; `fallback` when missing or not a number.
    int32_t readInteger(std::string_view section, std::string_view key, int32_t fallback) const;
    bool readBool(std::string_view section, std::string_view key, bool fallback) const;

    WriteResult writeString(std::string_view section, std::string_view key,
                            std::string_view value) const;
    WriteResult writeInteger(std::string_view section, std::string_view key, int64_t value) const;
    WriteResult writeBool(std::string_view section, std::string_view key, bool value) const;
    // Several keys of one section in a single rewrite, so the file never holds some of them
    // changed and others not.
    WriteResult writeStrings(std::string_view section,
                             const std::vector<std::pair<std::string, std::string>>& values) const;

private:
    // Empty when the file is missing or unreadable.
    IniDocument read() const;

    std::filesystem::path m_path;
    FileSync* m_sync;
};

}  // namespace orvessa::store
