#include "core/ui/command_states.h"

#include <array>
#include <iterator>

#include "core/ui/tform1.h"

namespace orvessa::ui {
namespace {

using Rule = CommandStates::Rule;
using Event = CommandStates::Event;
constexpr Rule K = Rule::Keep;

struct Row {
    model::Command TForm1::*command;
    // One rule per event, in the order of CommandStates::Event.
    std::array<Rule, 6> rules;
};

// Manual / automatic operation, an item started / stopped, lock or enter, the holiday panel
// opened or closed.
const Row kTable[] = {
    // The week setting, import and export: manual, idle, not in the holiday panel.
    {&TForm1::ToolButton9, {Rule::Idle, Rule::Off, Rule::Off, Rule::Manual, K, Rule::PanelClosed}},
    {&TForm1::ToolButton10, {Rule::Idle, Rule::Off, Rule::Off, Rule::Manual, K, Rule::PanelClosed}},
    {&TForm1::ToolButton15, {Rule::Idle, Rule::Off, Rule::Off, Rule::Manual, K, Rule::PanelClosed}},
    {&TForm1::BCZ1, {Rule::Idle, Rule::Off, Rule::Off, Rule::Manual, K, K}},
    // The settings and the row commands: manual.
    {&TForm1::toolbutton13, {Rule::On, Rule::Off, K, K, K, K}},
    {&TForm1::N11, {Rule::On, Rule::Off, K, K, K, K}},
    {&TForm1::N12, {Rule::On, Rule::Off, K, K, K, K}},
    {&TForm1::N13, {Rule::On, Rule::Off, K, K, K, K}},
    {&TForm1::GXR1, {Rule::On, Rule::Off, K, K, K, K}},
    {&TForm1::Z1, {Rule::On, Rule::Off, K, K, K, K}},
    {&TForm1::xuanxiang, {Rule::On, Rule::Off, K, K, K, K}},
    {&TForm1::yuyan, {Rule::On, Rule::Off, K, K, K, K}},
    {&TForm1::xiugai, {Rule::On, Rule::Off, K, K, K, K}},
    {&TForm1::del, {Rule::On, Rule::Off, K, K, K, K}},
    {&TForm1::add, {Rule::On, Rule::Off, K, K, K, K}},
    // Move and Save follow the selection; automatic operation switches them off.
    {&TForm1::up, {K, Rule::Off, K, K, K, K}},
    {&TForm1::dow, {K, Rule::Off, K, K, K, K}},
    {&TForm1::UP1, {K, Rule::Off, K, K, K, K}},
    {&TForm1::DOW1, {K, Rule::Off, K, K, K, K}},
    {&TForm1::save, {K, Rule::Off, K, K, K, K}},
    // The library stays reachable once manual operation was entered.
    {&TForm1::dir1, {Rule::On, K, K, K, K, K}},
    // Play and stop.
    {&TForm1::ToolButton17, {Rule::Idle, Rule::Off, Rule::Off, Rule::Manual, K, Rule::PanelClosed}},
    {&TForm1::P1, {Rule::Idle, Rule::Off, Rule::Off, Rule::PlayAgain, K, K}},
    {&TForm1::ToolButton18, {Rule::Playing, Rule::Off, Rule::Manual, Rule::Off, K, K}},
    {&TForm1::S2, {Rule::Playing, Rule::Playing, Rule::On, Rule::Off, K, K}},
    {&TForm1::ToolButton24, {K, K, K, K, K, Rule::PanelClosed}},
    // The recorder: manual, idle, unlocked; the panel closes the toolbar's way to it.
    {&TForm1::rec3,
     {Rule::Idle, Rule::Off, Rule::Off, Rule::Manual, Rule::Unlocked, Rule::PanelClosed}},
    {&TForm1::Rec2, {Rule::Idle, Rule::Off, Rule::Off, Rule::Manual, Rule::Unlocked, K}},
    // The subtitle: manual, idle.
    {&TForm1::N16, {Rule::Idle, Rule::Off, Rule::Off, Rule::Manual, K, K}},
    // The lock: offered in automatic operation, and only to the operator who has entered.
    {&TForm1::pbxt, {Rule::Off, Rule::On, K, K, Rule::Unlocked, K}},
    {&TForm1::Jrxt, {K, K, K, K, Rule::Locked, K}},
    {&TForm1::GGMM, {K, K, K, K, Rule::Unlocked, K}},
    {&TForm1::SZ1, {K, K, K, Rule::AnyoneOn, Rule::Unlocked, Rule::PanelClosed}},
    {&TForm1::YSP1, {K, K, K, K, Rule::Unlocked, Rule::PanelClosed}},
    {&TForm1::TCXT, {K, K, K, K, Rule::Unlocked, K}},
    {&TForm1::QUIT1, {K, K, K, K, Rule::Unlocked, K}},
    // The skin: whoever has entered.
    {&TForm1::skin, {K, K, K, K, Rule::Unlocked, K}},
    {&TForm1::SpeedButton9, {K, K, K, K, Rule::Unlocked, K}},
    {&TForm1::CheckBox1, {K, K, K, K, Rule::Unlocked, K}},
    {&TForm1::Check2, {K, K, K, K, Rule::Unlocked, K}},
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
