#pragma once

#include "core/model/command.h"

namespace orvessa::ui {

class MainWindow;

// Which of the main window's commands each event of the system enables or disables, kept in one
// table. The events set the states they change and leave the rest as they are, so a state set by
// one event (a command held back while an item plays) survives the next.
class CommandStates {
public:
    // What the rules look at when an event happens.
    struct Situation {
        bool manual = false;   // manual operation
        bool playing = false;  // an item runs
        bool unlocked = true;  // the operator has entered
        bool anyoneMayOperate = true;
        bool panelOpen = false;  // the holiday panel is shown
    };

    enum class Event {
        EnterManual,
        EnterAutomatic,
        ItemStarted,
        ItemStopped,
        LockChanged,
        PanelChanged,
    };

    explicit CommandStates(MainWindow& form) : m_form(form) {}

    void apply(Event event, const Situation& now);

    // The rule of one command for one event, as the table gives it.
    enum class Rule {
        Keep,         // the event leaves it alone
        On,           // enabled
        Off,          // disabled
        Idle,         // enabled while nothing plays
        Playing,      // enabled while an item plays
        Manual,       // enabled in manual operation
        Unlocked,     // enabled while the operator has entered
        Locked,       // enabled while the system is locked
        AnyoneOn,     // enabled when anyone may operate, otherwise left alone
        PanelClosed,  // enabled while the holiday panel is closed
        PlayAgain,    // "播放" in the menu: follows the toolbar's when anyone may operate
    };
    Rule ruleFor(const model::Command& command, Event event) const;

private:
    MainWindow& m_form;
};

}  // namespace orvessa::ui
