#include <array>

#include "clock_scenario.h"

namespace orvessa::scheduler {
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

}  // namespace
}  // namespace orvessa::scheduler
