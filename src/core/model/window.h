#pragma once

#include <string>

#include "core/model/control.h"

namespace orvessa::model {

// A window of the system: created once at start-up, shown and hidden, never destroyed before
// exit. `visible` is whether it is on screen.
class Window : public Control {
public:
    Window(std::string name, std::string caption);

    const std::string& caption() const { return m_caption; }
    void setCaption(std::string caption);

    // Asks the view to bring the window to the front and give it the focus.
    Signal<> activateRequested;

private:
    std::string m_caption;
};

}  // namespace orvessa::model
