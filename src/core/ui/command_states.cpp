#include "core/ui/command_states.h"

#include <array>
#include <iterator>

#include "core/ui/main_window.h"

namespace orvessa::ui {
namespace {

using Rule = CommandStates::Rule;
using Event = CommandStates::Event;
constexpr Rule K = Rule::Keep;

struct Row {
    model::Command MainWindow::*command;
    // One rule per event, in the order of CommandStates::Event.
    std::array<Rule, 6> rules;
};

// Manual / automatic operation, an item started / stopped, lock or enter, the holiday panel
// opened or closed.
const Row kTable[] = {
    // The week setting, import and export: manual, idle, not in the holiday panel.
    {&MainWindow::weekSettingTool,
     {Rule::Idle, Rule::Off, Rule::Off, Rule::Manual, K, Rule::PanelClosed}},
    {&MainWindow::importTableTool,
     {Rule::Idle, Rule::Off, Rule::Off, Rule::Manual, K, Rule::PanelClosed}},
    {&MainWindow::exportTableTool,
     {Rule::Idle, Rule::Off, Rule::Off, Rule::Manual, K, Rule::PanelClosed}},
    {&MainWindow::tableMenu, {Rule::Idle, Rule::Off, Rule::Off, Rule::Manual, K, K}},
    // The settings and the row commands: manual.
    {&MainWindow::optionsTool, {Rule::On, Rule::Off, K, K, K, K}},
    {&MainWindow::weekSettingItem, {Rule::On, Rule::Off, K, K, K, K}},
    {&MainWindow::importTableItem, {Rule::On, Rule::Off, K, K, K, K}},
    {&MainWindow::exportTableItem, {Rule::On, Rule::Off, K, K, K, K}},
    {&MainWindow::holidaysItem, {Rule::On, Rule::Off, K, K, K, K}},
    {&MainWindow::forcedWeekdayMenu, {Rule::On, Rule::Off, K, K, K, K}},
    {&MainWindow::optionsItem, {Rule::On, Rule::Off, K, K, K, K}},
    {&MainWindow::preflightItem, {Rule::On, Rule::Off, K, K, K, K}},
    {&MainWindow::schoolCalendar, {Rule::On, Rule::Off, K, K, K, K}},
    {&MainWindow::insertRowButton, {Rule::On, Rule::Off, K, K, K, K}},
    {&MainWindow::deleteRowButton, {Rule::On, Rule::Off, K, K, K, K}},
    {&MainWindow::addRowButton, {Rule::On, Rule::Off, K, K, K, K}},
    // Move and Save follow the selection; automatic operation switches them off.
    {&MainWindow::moveUpButton, {K, Rule::Off, K, K, K, K}},
    {&MainWindow::moveDownButton, {K, Rule::Off, K, K, K, K}},
    {&MainWindow::moveUpItem, {K, Rule::Off, K, K, K, K}},
    {&MainWindow::moveDownItem, {K, Rule::Off, K, K, K, K}},
    {&MainWindow::saveButton, {K, Rule::Off, K, K, K, K}},
    // The library stays reachable once manual operation was entered.
    {&MainWindow::mediaLibraryItem, {Rule::On, K, K, K, K, K}},
    // Play and stop.
    {&MainWindow::playTool, {Rule::Idle, Rule::Off, Rule::Off, Rule::Manual, K, Rule::PanelClosed}},
    {&MainWindow::playItem, {Rule::Idle, Rule::Off, Rule::Off, Rule::PlayAgain, K, K}},
    {&MainWindow::stopTool, {Rule::Playing, Rule::Off, Rule::Manual, Rule::Off, K, K}},
    {&MainWindow::stopItem, {Rule::Playing, Rule::Playing, Rule::On, Rule::Off, K, K}},
    {&MainWindow::findTool, {K, K, K, K, K, Rule::PanelClosed}},
    // The recorder: manual, idle, unlocked; the panel closes the toolbar's way to it.
    {&MainWindow::recordTool,
     {Rule::Idle, Rule::Off, Rule::Off, Rule::Manual, Rule::Unlocked, Rule::PanelClosed}},
    {&MainWindow::recordItem, {Rule::Idle, Rule::Off, Rule::Off, Rule::Manual, Rule::Unlocked, K}},
    // The subtitle: manual, idle.
    {&MainWindow::subtitleItem, {Rule::Idle, Rule::Off, Rule::Off, Rule::Manual, K, K}},
    // The lock: offered in automatic operation, and only to the operator who has entered.
    {&MainWindow::lockSystem, {Rule::Off, Rule::On, K, K, Rule::Unlocked, K}},
    {&MainWindow::enterSystem, {K, K, K, K, Rule::Locked, K}},
    {&MainWindow::changePassword, {K, K, K, K, Rule::Unlocked, K}},
    {&MainWindow::settingsMenu, {K, K, K, Rule::AnyoneOn, Rule::Unlocked, Rule::PanelClosed}},
    {&MainWindow::mediaMenu, {K, K, K, K, Rule::Unlocked, Rule::PanelClosed}},
    {&MainWindow::quitSystem, {K, K, K, K, Rule::Unlocked, K}},
    {&MainWindow::quitButton, {K, K, K, K, Rule::Unlocked, K}},
    // The skin: whoever has entered.
    {&MainWindow::skinItem, {K, K, K, K, Rule::Unlocked, K}},
    {&MainWindow::skinTool, {K, K, K, K, Rule::Unlocked, K}},
    {&MainWindow::hideAtStartBox, {K, K, K, K, Rule::Unlocked, K}},
    {&MainWindow::secondMonitorBox, {K, K, K, K, Rule::Unlocked, K}},
};

}  // namespace

CommandStates::Rule CommandStates::ruleFor(const model::Command& command, Event event) const {
    for (const Row& row : kTable) {
        if (&(m_form.*row.command) == &command) {
            return row.rules[static_cast<std::size_t>(event)];
        }
    }
    return Rule::Keep;
}

void CommandStates::apply(Event event, const Situation& now) {
    for (const Row& row : kTable) {
        model::Command& command = m_form.*row.command;
        switch (row.rules[static_cast<std::size_t>(event)]) {
            case Rule::Keep:
                break;
            case Rule::On:
                command.setEnabled(true);
                break;
            case Rule::Off:
                command.setEnabled(false);
                break;
            case Rule::Idle:
                command.setEnabled(!now.playing);
                break;
            case Rule::Playing:
                command.setEnabled(now.playing);
                break;
            case Rule::Manual:
                command.setEnabled(now.manual);
                break;
            case Rule::Unlocked:
                command.setEnabled(now.unlocked);
                break;
            case Rule::Locked:
                command.setEnabled(!now.unlocked);
                break;
            case Rule::AnyoneOn:
                if (now.anyoneMayOperate) {
                    command.setEnabled(true);
                }
                break;
            case Rule::PanelClosed:
                command.setEnabled(!now.panelOpen);
                break;
            case Rule::PlayAgain:
                if (now.anyoneMayOperate) {
                    command.setEnabled(now.manual);
                }
                break;
        }
    }
}

}  // namespace orvessa::ui
