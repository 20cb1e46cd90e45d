#include "core/skins/skin_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/skins/skin_package.h"
#include "fakes/scripted_host.h"
#include "support/temp_dir.h"

namespace orvessa::skins {
namespace {

// The look as the engine drives it: which skin it was given, and when it went back.
struct RecordingLook : platform::SkinLook {
    std::vector<std::string> calls;
    void apply(const Skin& skin) override {
        calls.push_back("apply " +
                        skin.description.value("TitlebarSkin", "SkinName").value_or("?"));
    }
    void clear() override { calls.push_back("clear"); }
};

std::vector<std::uint8_t> package(const std::string& name) {
    const std::string ini = "[TitlebarSkin]\r\nSkinName=" + name + "\r\n";
    const ArchiveEntry entries[] = {{"skin.ini", {ini.begin(), ini.end()}}};
    return packSkin(entries).value();
}

// A store of ten skins named after their positions, the sixth one damaged.
SkinStore tenSkins() {
    std::vector<SkinStoreItem> items;
    for (int i = 0; i < 10; ++i) {
        items.push_back({std::string(kSkinItemNames[static_cast<std::size_t>(i)]),
                         package("skin" + std::to_string(i))});
    }
    items[5].package.resize(8);
    items[5].package[0] = 0xFF;  // a length far beyond what any skin unpacks to
    items[5].package[3] = 0x7F;
    return SkinStore(std::move(items));
}

struct Switching : ::testing::Test {
    testing::TempDir dir;
    store::SystemConfig config{dir.path()};
    fakes::ScriptedHost host;
    RecordingLook look;
    std::vector<std::string> refused;
    SkinEngine engine{look, host, [this](const std::string& why) { refused.push_back(why); }};
    SkinStore store = tenSkins();
    model::Command button{"skinTool", model::CommandKind::ToolButton, "换肤", "", "更换界面"};
    int saves = 0;
    SkinSwitcher switcher{button, config, [this] { return ++saves, true; }, engine, store};
};

TEST_F(Switching, TheCommandStepsWrapsAfterNineAndKeepsTheNumber) {
    config.setEntry(store::SystemConfig::kSkinNumber, "8");
    switcher.applyAtStartUp();
    EXPECT_EQ(look.calls, (std::vector<std::string>{"apply skin8"}));

    switcher.click();
    EXPECT_EQ(button.hint(), "界面9");
    EXPECT_EQ(config.entry(store::SystemConfig::kSkinNumber), "9");

    // From 9 the hint says 10, and the first skin comes back.
    switcher.click();
    EXPECT_EQ(button.hint(), "界面10");
    EXPECT_EQ(config.entry(store::SystemConfig::kSkinNumber), "0");
    EXPECT_EQ(look.calls.back(), "apply skin0");
    EXPECT_EQ(saves, 2);
}

TEST_F(Switching, ANumberOutsideTheStoreKeepsTheNormalLookUntilTheCommand) {
    for (const char* stored : {"12", "-3", "x"}) {
        SCOPED_TRACE(stored);
        look.calls.clear();
        config.setEntry(store::SystemConfig::kSkinNumber, stored);
        switcher.applyAtStartUp();
        if (std::string(stored) == "x") {
            // Not a number reads as skin 0, as the configuration's other numbers do.
            EXPECT_EQ(look.calls, (std::vector<std::string>{"apply skin0"}));
            continue;
        }
        EXPECT_TRUE(look.calls.empty());
    }
    config.setEntry(store::SystemConfig::kSkinNumber, "12");
    switcher.applyAtStartUp();
    switcher.click();
    EXPECT_EQ(button.hint(), "界面13");
    EXPECT_EQ(config.entry(store::SystemConfig::kSkinNumber), "0");
    EXPECT_EQ(look.calls.back(), "apply skin0");
}

TEST_F(Switching, ADamagedPackageIsRefusedOnceAndTheLookStays) {
    config.setEntry(store::SystemConfig::kSkinNumber, "4");
    switcher.applyAtStartUp();
    switcher.click();  // skin 5, damaged
    EXPECT_EQ(look.calls, (std::vector<std::string>{"apply skin4"}));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(refused.size(), 1u);
    EXPECT_EQ(config.entry(store::SystemConfig::kSkinNumber), "5");

    switcher.click();
    EXPECT_EQ(look.calls.back(), "apply skin6");
    engine.setActive(false);
    EXPECT_EQ(look.calls.back(), "clear");
    engine.setActive(true);
    EXPECT_EQ(look.calls.back(), "apply skin6");
}

}  // namespace
}  // namespace orvessa::skins
