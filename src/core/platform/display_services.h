#pragma once

#include <vector>

namespace orvessa::platform {

struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The monitors of the desktop; monitor 0 is the primary one.
class Monitors {
public:
    virtual ~Monitors() = default;
    virtual std::vector<ScreenRect> monitors() const = 0;
};

// Keys the system synthesizes, by what they are rather than by a platform's codes.
enum class Key { Control, Alt, Home, Digit3, Enter };

// Synthetic keyboard input to whatever window has the focus. Without a way to reach the
// desktop's input (no display), the events are dropped.
class Keyboard {
public:
    virtual ~Keyboard() = default;
    virtual void keyEvent(Key key, bool down) = 0;
};

}  // namespace orvessa::platform
