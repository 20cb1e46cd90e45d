#include "core/skins/skin_package.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/skins/lzhuf.h"
#include "support/temp_dir.h"

namespace orvessa::skins {
namespace {

using Bytes = std::vector<std::uint8_t>;
using orvessa::testing::TempDir;

Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

ArchiveEntry entry(std::string name, std::string_view content) {
    return {std::move(name), bytesOf(content)};
}

// Points the temporary directory of the process somewhere watched, for one test.
class ScopedTempDirectory {
public:
    explicit ScopedTempDirectory(const std::filesystem::path& path) {
        if (const char* old = std::getenv("TMPDIR")) {
            m_old = old;
        }
        setenv("TMPDIR", path.c_str(), 1);
    }
    ~ScopedTempDirectory() {
        if (m_old) {
            setenv("TMPDIR", m_old->c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
    }

private:
    std::optional<std::string> m_old;
};

TEST(SkinPackage, UnpacksToTheArchiveAndReadsItsDescription) {
    // "[TitlebarSkin]" with a Chinese skin name, in GBK as the description is stored.
    const std::vector<ArchiveEntry> entries = {
        entry("Blue.INI", "[TitlebarSkin]\r\nSkinName=\xC0\xB6\xC9\xAB\r\n"),
        entry("Title.BMP", std::string(3000, 'B') + "M"),
        entry("title.bmp", "a later entry of the same name"),
    };
    const Bytes archive = writeArchive(entries).value();
    const Bytes package = packSkin(entries).value();
    EXPECT_EQ(lzhuf::decode(package).value(), archive);

    const auto skin = loadSkin(package);
    ASSERT_TRUE(skin.ok()) << skin.error();
    EXPECT_EQ(skin.value().descriptionName, "blue.ini");
    EXPECT_EQ(skin.value().description.value("titlebarskin", "SkinName"), "蓝色");
    ASSERT_NE(skin.value().entry("TITLE.bmp"), nullptr);
    EXPECT_EQ(skin.value().entry("TITLE.bmp")->size(), 3001u);
    EXPECT_EQ(skin.value().entries.size(), 2u);
    EXPECT_EQ(skin.value().entry("missing.bmp"), nullptr);
}

TEST(SkinPackage, TakesTheFirstEntryNamedLikeADescription) {
    const auto skin = loadSkin(packSkin(std::vector<ArchiveEntry>{
                                            entry("a.bmp", "BM"),
                                            entry("First.Ini", "[Personality]\r\nx=1\r\n"),
                                            entry("second.ini", "[Personality]\r\nx=2\r\n"),
                                        })
                                   .value());
    ASSERT_TRUE(skin.ok()) << skin.error();
    EXPECT_EQ(skin.value().descriptionName, "first.ini");
    EXPECT_EQ(skin.value().description.value("Personality", "x"), "1");

    EXPECT_FALSE(loadSkin(packSkin(std::vector<ArchiveEntry>{entry("a.bmp", "BM")}).value()).ok());
    const Bytes older =
        lzhuf::encode(Bytes{0x1F, 0x4E, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}).value();
    EXPECT_EQ(loadSkin(older).error(), kOlderSkinMessage);
}

TEST(SkinPackage, ADescriptionNamedLikeAPathStaysInMemory) {
    TempDir dir;
    const std::filesystem::path temp = dir / "tmp" / "sub";
    std::filesystem::create_directories(temp);
    const ScopedTempDirectory redirect(temp);

    const auto skin = loadSkin(
        packSkin(std::vector<ArchiveEntry>{entry("../../escape.ini", "[Tabs]\r\nBorder=2\r\n"),
                                           entry("/tmp/abs.ini", "[Tabs]\r\nBorder=3\r\n")})
            .value());
    ASSERT_TRUE(skin.ok()) << skin.error();
    EXPECT_EQ(skin.value().description.value("Tabs", "Border"), "2");
    EXPECT_EQ(skin.value().descriptionName, "../../escape.ini");
    EXPECT_TRUE(std::filesystem::is_empty(temp));
    EXPECT_FALSE(std::filesystem::exists(dir / "escape.ini"));
    EXPECT_EQ(std::distance(std::filesystem::recursive_directory_iterator(dir.path()), {}), 2);
}

}  // namespace
}  // namespace orvessa::skins
