#pragma once

#include <functional>
#include <string>
#include <vector>

namespace orvessa::model {

class Command;

// One thing the operator can do, whichever menu item, button, tool button or tray item asks
// for it. The subsystem that does it binds the handler here once; each presentation refers to
// the action and keeps its own caption and enabled, visible and checked state.
class Action {
public:
    using Handler = std::function<void()>;

    explicit Action(std::string name) : m_name(std::move(name)) {}
    // Presentations point at their action.
    Action(const Action&) = delete;
    Action& operator=(const Action&) = delete;

    const std::string& name() const { return m_name; }

    // Replaces the handler: every presentation runs the new one from then on.
    void bind(Handler handler) { m_handler = std::move(handler); }
    bool bound() const { return static_cast<bool>(m_handler); }

    // Runs the handler, if one is bound; returns whether one ran. Does not look at any
    // presentation's state: a presentation's click() decides whether it may run.
    bool run();

    // The commands that present this action, in the order they were attached.
    const std::vector<Command*>& presentations() const { return m_presentations; }

private:
    friend class Command;

    std::string m_name;
    Handler m_handler;
    std::vector<Command*> m_presentations;
};

}  // namespace orvessa::model
