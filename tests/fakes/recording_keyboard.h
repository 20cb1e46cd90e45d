#pragma once

#include <vector>

#include "core/platform/display_services.h"

namespace orvessa::fakes {

// Records every synthetic key event and sends none.
class RecordingKeyboard : public platform::Keyboard {
public:
    struct Event {
        platform::Key key;
        bool down;
        bool operator==(const Event&) const = default;
    };

    void keyEvent(platform::Key key, bool down) override { events.push_back(Event{key, down}); }

    std::vector<Event> events;
};

}  // namespace orvessa::fakes
