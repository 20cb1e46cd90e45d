#pragma once

#include "core/platform/display_services.h"

struct _XDisplay;

namespace orvessa::backends {

// Synthetic key events through the X server's XTest extension, to the window with the focus.
// Without an X display (or without XTest) the events are dropped.
class XTestKeyboard : public platform::Keyboard {
public:
    XTestKeyboard() = default;
    ~XTestKeyboard() override;
    XTestKeyboard(const XTestKeyboard&) = delete;
    XTestKeyboard& operator=(const XTestKeyboard&) = delete;

    void keyEvent(platform::Key key, bool down) override;

private:
    bool connect();

    _XDisplay* m_display = nullptr;
    bool m_unavailable = false;
};

}  // namespace orvessa::backends
