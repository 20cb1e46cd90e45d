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

    // Position and size on the desktop, in pixels; empty until set.
    struct Bounds {
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
        bool operator==(const Bounds&) const = default;
    };
    const Bounds& bounds() const { return m_bounds; }
    void setBounds(const Bounds& bounds);

    // Asks the view to bring the window to the front and give it the focus.
    Signal<> activateRequested;

private:
    std::string m_caption;
    Bounds m_bounds;
};

}  // namespace orvessa::model
