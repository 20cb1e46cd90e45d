#include "core/skins/skin_archive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orvessa::skins {
namespace {

using Bytes = std::vector<std::uint8_t>;

void putWord(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>(value >> shift));
    }
}

// An archive laid out by hand, so that each part can lie.
Bytes archive(std::uint32_t version, std::uint32_t listBytes, const std::string& list,
              const std::vector<std::uint32_t>& sizes, const std::string& content) {
    std::string out;
    putWord(out, version);
    putWord(out, listBytes);
    putWord(out, 0);
    putWord(out, 0);
    out += list;
    for (std::uint32_t size : sizes) {
        putWord(out, size);
    }
    out += content;
    return Bytes(out.begin(), out.end());
}

// An archive whose list length is true.
Bytes archiveOf(const std::string& list, const std::vector<std::uint32_t>& sizes,
                const std::string& content) {
    return archive(20000, static_cast<std::uint32_t>(list.size()), list, sizes, content);
}

std::string manyNames(int count) {
    std::string list;
    for (int i = 0; i < count; ++i) {
        list += std::to_string(i) + ".bmp\r\n";
    }
    return list;
}

TEST(SkinArchive, WritesTheLayoutTheReaderExpects) {
    const std::vector<ArchiveEntry> entries = {
        {"Skin.ini", {'[', 'a', ']'}}, {"皮肤.bmp", {}}, {"x.bmp", {0, 1, 2}}};
    const Bytes written = writeArchive(entries).value();
    EXPECT_EQ(written, archive(20000, 27, "Skin.ini\r\n\xC6\xA4\xB7\xF4.bmp\r\nx.bmp\r\n",
                               {3, 0, 3}, std::string("[a]\0\1\2", 6)));
    EXPECT_EQ(readArchive(written).value(), entries);
}

TEST(SkinArchive, RefusesWhatItCannotWrite) {
    EXPECT_FALSE(writeArchive(std::vector<ArchiveEntry>{{"a\r\nb.bmp", {}}}).ok());
    EXPECT_FALSE(writeArchive(std::vector<ArchiveEntry>{{"\xF0\x9F\x98\x80.bmp", {}}}).ok());
    EXPECT_FALSE(writeArchive(std::vector<ArchiveEntry>(1002)).ok());
}

TEST(SkinArchive, ReadsWhatAddsUpAndRefusesWhatDoesNot) {
    struct Case {
        const char* what;
        Bytes data;
        const char* error;  // a part of the message; nullptr when the archive is good
    };
    const std::string two = "a.ini\r\nb.bmp\r\n";
    const std::vector<Case> cases = {
        {"the header cut", Bytes(15, 0), "header"},
        {"an older version", archive(19999, 0, "", {}, ""), kOlderSkinMessage},
        {"a list past the end", archive(20000, 100, two, {1, 1}, "xy"), "name list"},
        {"a list of 4 GiB", archive(20000, 0xFFFFFFFF, two, {}, ""), "name list"},
        {"sizes cut", archiveOf(two, {1}, ""), "sizes"},
        {"contents one byte short", archiveOf(two, {1, 2}, "xy"), "entries need"},
        {"sizes that wrap in 32 bits", archiveOf(two, {0xFFFFFFFF, 2}, "xyz"), "entries need"},
        {"1002 names", archiveOf(manyNames(1002), {}, ""), "1002"},
        {"1001 names", archiveOf(manyNames(1001), std::vector<std::uint32_t>(1001, 0), ""),
         nullptr},
        {"no names", archiveOf("", {}, ""), nullptr},
        {"bytes after the last entry", archiveOf(two, {1, 1}, "xyz"), nullptr},
    };
    for (const Case& c : cases) {
        const auto read = readArchive(c.data);
        if (c.error == nullptr) {
            EXPECT_TRUE(read.ok()) << c.what << ": " << read.error();
        } else {
            ASSERT_FALSE(read.ok()) << c.what;
            EXPECT_NE(read.error().find(c.error), std::string::npos)
                << c.what << ": " << read.error();
        }
    }
    EXPECT_EQ(readArchive(archive(19999, 0, "", {}, "")).error(),
              "This is Older Skin File\rPlease update to new version !");
    // A last name without its line end still counts.
    const auto lastLine = readArchive(archiveOf("a.ini\r\nb.bmp", {1, 1}, "xy"));
    ASSERT_EQ(lastLine.value().size(), 2u);
    EXPECT_EQ(lastLine.value()[1].name, "b.bmp");
    EXPECT_EQ(lastLine.value()[1].bytes, Bytes{'y'});
}

}  // namespace
}  // namespace orvessa::skins
