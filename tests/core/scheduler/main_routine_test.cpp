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
        form().ztbc.click();
        expectNoSilentCommand("in manual operation " + mode);
        form().Grid.select(3, 2);
        form().ToolButton17.click();
        expectNoSilentCommand("while an item plays " + mode);
        form().ToolButton18.click();
        form().GXR1.click();
        expectNoSilentCommand("in the holiday panel " + mode);
        form().Button3.click();
        form().N12.click();
        expectNoSilentCommand("after import " + mode);
    }
}

}  // namespace
}  // namespace orvessa::scheduler
