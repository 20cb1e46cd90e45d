#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/scheduler/clock_scenario.h"
#include "fakes/fake_platform.h"
#include "fakes/recording_file_sync.h"
#include "support/temp_dir.h"

namespace orvessa::system {

using scheduler::ClockScenario;
namespace {

class Commands : public ClockScenario {
protected:
    // Every command an operator can reach now (enabled and visible) has something to run; a
    // check box at least ticks.
    void expectNoSilentCommand(const std::string& when) {
        for (model::Window* window : m_system->windows()) {
            for (model::Command* c : window->allCommands()) {
                const bool reachable = c->enabled() && c->visible() &&
                                       c->kind() != model::CommandKind::Menu &&
                                       c->kind() != model::CommandKind::Separator &&
                                       c->kind() != model::CommandKind::CheckBox;
                EXPECT_FALSE(reachable && !c->hasHandler())
                    << window->name() << "." << c->name() << " " << when;
            }
        }
    }
};

TEST_F(Commands, EveryReachableCommandRunsSomethingInEveryMode) {
    media("a.wav", 600);
    for (const char* passwordMode : {"1", "0"}) {
        m_system.reset();
        entries[6] = passwordMode;
        start({{"", "a.wav", ""}, {"", "a.wav", ""}}, "08:00:00");
        const std::string mode = std::string("(password mode ") + passwordMode + ")";
        expectNoSilentCommand("in automatic operation " + mode);
        form().manualOperation.click();
        expectNoSilentCommand("in manual operation " + mode);
        form().grid.select(3, 2);
        form().playTool.click();
        expectNoSilentCommand("while an item plays " + mode);
        form().stopTool.click();
        form().holidaysItem.click();
        expectNoSilentCommand("in the holiday panel " + mode);
        form().holidayOkButton.click();
        form().importTableItem.click();
        expectNoSilentCommand("after import " + mode);
    }
}

// The availability of the main window's commands in each situation an operator meets.
TEST_F(Commands, AvailabilityFollowsModeItemLockAndPanel) {
    media("a.wav", 600);
    enum Situation { Automatic, Manual, Playing, Panel, Locked };
    struct Expected {
        const char* name;
        std::array<bool, 5> enabled;  // in the order of Situation
    };
    const Expected table[] = {
        {"weekSettingTool", {false, true, false, false, false}},
        {"importTableTool", {false, true, false, false, false}},
        {"exportTableTool", {false, true, false, false, false}},
        {"optionsTool", {false, true, true, true, false}},
        {"findTool", {true, true, true, false, true}},
        {"playTool", {false, true, false, false, false}},
        {"stopTool", {false, false, true, false, false}},
        {"stopItem", {false, false, true, false, false}},
        {"tableMenu", {false, true, false, true, false}},
        {"settingsMenu", {true, true, true, false, false}},
        {"mediaMenu", {true, true, true, false, false}},
        {"manualOperation", {true, false, false, false, true}},
        {"automaticOperation", {false, true, true, true, false}},
        {"quitButton", {true, true, true, true, false}},
        // Entering automatic operation offers the lock, also to a system started locked.
        {"lockSystem", {true, false, false, false, true}},
        {"enterSystem", {false, false, false, false, true}},
    };
    auto check = [&](Situation s, const char* what) {
        for (const Expected& e : table) {
            const model::Command* c = form().command(e.name);
            ASSERT_NE(c, nullptr) << e.name;
            EXPECT_EQ(c->enabled(), e.enabled[s]) << e.name << " " << what;
        }
    };

    start({{"", "a.wav", ""}, {"", "a.wav", ""}}, "08:00:00");
    check(Automatic, "in automatic operation");
    EXPECT_FALSE(form().triggerShortcut("F8")) << "options only in manual operation";
    form().manualOperation.click();
    form().stopTool.click();
    check(Manual, "in manual operation");
    form().playTool.click();
    check(Playing, "while an item plays");
    form().stopTool.click();
    form().holidaysItem.click();
    check(Panel, "in the holiday panel");
    EXPECT_FALSE(form().triggerShortcut("Ctrl+P")) << "its menu is held back in the panel";
    form().holidayOkButton.click();

    m_system.reset();
    entries[6] = "0";
    start({{"", "a.wav", ""}}, "08:00:00");
    check(Locked, "locked");
    EXPECT_FALSE(form().triggerShortcut("F5")) << "a disabled menu keeps its shortcuts";
}

// Each action of the main window is bound once and reached from every place that offers it.
TEST_F(Commands, EveryActionIsBoundAndPresentedWhereTheOperatorFindsIt) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> expected = {
        {"save", {"saveButton", "saveItem"}},
        {"addRow", {"addRowButton", "addRowItem"}},
        {"insertRow", {"insertRowButton", "insertRowItem"}},
        {"deleteRow", {"deleteRowButton", "deleteRowItem"}},
        {"moveUp", {"moveUpButton", "moveUpItem"}},
        {"moveDown", {"moveDownButton", "moveDownItem"}},
        {"importTable", {"importTableTool", "importTableItem"}},
        {"exportTable", {"exportTableTool", "exportTableItem"}},
        {"weekSetting", {"weekSettingTool", "weekSettingItem"}},
        {"options", {"optionsItem", "optionsTool"}},
        {"record", {"recordTool", "recordItem"}},
        {"changeSkin", {"skinItem", "skinTool"}},
        {"play", {"playTool", "playItem"}},
        {"stop", {"stopTool", "stopItem"}},
        {"find", {"findTool", "findItem"}},
        {"hide", {"hideSystem", "hideButton"}},
        {"help", {"helpItem", "helpTrayItem", "helpTool"}},
        {"quit", {"quitSystem", "quitButton", "quitTrayItem"}},
        {"emergency", {"emergencyTool", "emergencyItem", "emergencyTrayItem"}},
        {"announce", {"announceItem", "announceTrayItem"}},
    };
    start({{"", "a.wav", ""}}, "08:00:00");
    std::vector<std::pair<std::string, std::vector<std::string>>> actual;
    for (const model::Action* a : form().actions()) {
        EXPECT_TRUE(a->bound()) << a->name();
        std::vector<std::string> names;
        for (model::Command* c : a->presentations()) {
            names.push_back(c->name());
            EXPECT_EQ(form().command(c->name()), c) << c->name();
        }
        actual.emplace_back(a->name(), names);
    }
    EXPECT_EQ(actual, expected);
}

// Two systems in one process, each with the file sync of its own platform: what each saves is
// flushed through its own and through no other.
TEST(SystemFileSync, EachSystemFlushesItsFilesThroughItsOwnSync) {
    struct OneSystem {
        orvessa::testing::TempDir dir;
        fakes::FakePlatform platform;
        fakes::RecordingFileSync sync;
        std::unique_ptr<OrvessaSystem> system;

        void start() {
            std::string config;
            for (int k = 0; k < 27; ++k) {
                config += (k == 5 ? "3" : "0");
                config += "\r\n";
            }
            orvessa::testing::writeBytes(dir / "orvessa.sys", config);
            platform.clock.set({2026, 12, 9, 8, 0, 0});
            PlatformServices services = platform.services(dir.path());
            services.fileSync = &sync;
            system = OrvessaSystem::start(services);
            ASSERT_NE(system, nullptr);
            sync.calls.clear();
        }
        bool flushedOnlyHere() const {
            return std::all_of(sync.calls.begin(), sync.calls.end(), [this](const std::string& c) {
                return c.find(dir.path().string()) != std::string::npos;
            });
        }
    };
    OneSystem first;
    OneSystem second;
    first.start();
    second.start();

    ASSERT_TRUE(first.system->engine().saveConfiguration());
    ASSERT_EQ(first.sync.calls.size(), 2u);
    EXPECT_TRUE(first.sync.calls[0].starts_with("file " + (first.dir / ".orvessa.sys.").string()))
        << first.sync.calls[0];
    EXPECT_EQ(first.sync.calls[1], "directory " + first.dir.path().string());
    EXPECT_TRUE(second.sync.calls.empty());

    first.sync.calls.clear();
    ASSERT_TRUE(second.system->editor().saveAllowingEmpty());
    EXPECT_TRUE(first.sync.calls.empty());
    ASSERT_EQ(second.sync.calls.size(), 2u);
    EXPECT_TRUE(second.flushedOnlyHere()) << second.sync.calls[0];
}

}  // namespace
}  // namespace orvessa::system
