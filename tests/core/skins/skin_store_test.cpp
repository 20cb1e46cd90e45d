#include "core/skins/skin_store.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/skins/skin_package.h"
#include "core/skins/skin_packer.h"
#include "support/temp_dir.h"

namespace orvessa::skins {
namespace {

using Bytes = std::vector<std::uint8_t>;
using orvessa::testing::TempDir;
using orvessa::testing::writeBytes;

Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

TEST(SkinStore, FindsASkinByPositionWhateverItsName) {
    std::vector<SkinStoreItem> items;
    for (std::string_view name : kSkinItemNames) {
        items.push_back({std::string(name), bytesOf(std::string(name) + " package")});
    }
    const SkinStore store = SkinStore::parse(SkinStore(items).serialize()).value();
    EXPECT_EQ(store.items(), items);
    EXPECT_EQ(store.item(2)->name, "SkinItem5");
    EXPECT_EQ(store.item(9)->name, "SkinItem18");
    EXPECT_EQ(store.item(10), nullptr);
    EXPECT_EQ(store.item(-1), nullptr);
}

TEST(SkinStore, RefusesDataThatDoesNotAddUp) {
    const Bytes good = SkinStore({{"SkinItem0", {1, 2, 3}}}).serialize();
    auto lying = [&](std::size_t at, std::uint8_t value) {
        Bytes bytes = good;
        bytes[at] = value;
        return bytes;
    };
    auto cut = [&](std::size_t size) { return Bytes(good.begin(), good.begin() + size); };
    Bytes trailing = good;
    trailing.push_back(0);

    // The layout: "OSKS" 0..3, count 4..7, name length 8..11, name 12..20, size 21..24.
    const std::vector<Bytes> damaged = {
        {},           lying(0, 'X'),   cut(6),       lying(7, 0x80),       lying(4, 2),
        lying(8, 10), lying(11, 0x80), lying(21, 4), cut(good.size() - 1), trailing,
    };
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        EXPECT_FALSE(SkinStore::parse(damaged[i]).ok()) << "case " << i;
    }
    EXPECT_TRUE(SkinStore::parse(SkinStore().serialize()).ok());
}

class SkinPacker : public ::testing::Test {
protected:
    std::filesystem::path skinDirectory(const std::string& name) {
        const std::filesystem::path path = dir / name;
        std::filesystem::create_directories(path / "sub");
        writeBytes(path / "b.bmp", "BM b");
        writeBytes(path / "A.bmp", "BM A");
        writeBytes(path / "skin.ini", "[TitlebarSkin]\r\nSkinName=" + name + "\r\n");
        writeBytes(path / ".hidden", "editor state");
        return path;
    }

    TempDir dir;
};

TEST_F(SkinPacker, PacksTheDescriptionFirstThenTheFilesInNameOrder) {
    const auto entries = readSkinDirectory(skinDirectory("blue"));
    ASSERT_TRUE(entries.ok()) << entries.error();
    std::vector<std::string> names;
    for (const ArchiveEntry& entry : entries.value()) {
        names.push_back(entry.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"skin.ini", "A.bmp", "b.bmp"}));

    std::vector<std::filesystem::path> directories;
    for (int i = 0; i < 10; ++i) {
        directories.push_back(skinDirectory("skin" + std::to_string(i)));
    }
    const auto store = buildSkinStore(directories);
    ASSERT_TRUE(store.ok()) << store.error();
    ASSERT_EQ(store.value().size(), 10u);
    EXPECT_EQ(store.value().item(2)->name, "SkinItem5");
    const auto skin = loadSkin(store.value().item(2)->package);
    EXPECT_EQ(skin.value().description.value("TitlebarSkin", "SkinName"), "skin2");
}

TEST_F(SkinPacker, RefusesDirectoriesThatMakeNoSkin) {
    const std::filesystem::path two = skinDirectory("two");
    writeBytes(two / "other.INI", "");
    EXPECT_FALSE(readSkinDirectory(two).ok());

    const std::filesystem::path none = skinDirectory("none");
    std::filesystem::remove(none / "skin.ini");
    EXPECT_FALSE(readSkinDirectory(none).ok());

    const auto missing = readSkinDirectory(dir / "missing");
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().find("missing"), std::string::npos);

    const std::vector<std::filesystem::path> nine(9, skinDirectory("blue"));
    EXPECT_FALSE(buildSkinStore(nine).ok());
}

}  // namespace
}  // namespace orvessa::skins
