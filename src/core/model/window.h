#pragma once

#include <string>
#include <vector>

#include "core/model/command.h"
#include "core/model/control.h"

namespace orvessa::model {

// How a modal window was closed: by its accepting button, or otherwise (its close box, a
// cancelling button, Escape).
enum class ModalResult { Accepted, Closed };

// A window of the system: created once at start-up, shown and hidden, never destroyed before
// exit. `visible` is whether it is on screen.
class Window : public Control {
public:
    Window(std::string name, std::string caption);

    const std::string& caption() const { return m_caption; }
    void setCaption(std::string caption);

    // Position and size on the desktop, in pixels; empty until set.
    using Bounds = Rect;

    // Every command of the window, menus, buttons and check boxes alike.
    virtual std::vector<Command*> allCommands() { return {}; }

    // Asks the view to bring the window to the front and give it the focus.
    Signal<> activateRequested;

    // A modal window closing itself from one of its handlers: the host ends the modal loop and
    // returns `result` to whoever showed it.
    void endModal(ModalResult result);
    ModalResult modalResult() const { return m_modalResult; }
    // Called by the host as the window is shown modally.
    void beginModal() { m_modalResult = ModalResult::Closed; }
    Signal<> modalEnded;

private:
    std::string m_caption;
    ModalResult m_modalResult = ModalResult::Closed;
};

}  // namespace orvessa::model
