#include "backends/linux/xtest_keyboard.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace orvessa::backends {
namespace {

KeySym keySymOf(platform::Key key) {
    switch (key) {
        case platform::Key::Control:
            return XK_Control_L;
        case platform::Key::Alt:
            return XK_Alt_L;
        case platform::Key::Home:
            return XK_Home;
        case platform::Key::Digit3:
            return XK_3;
        case platform::Key::Enter:
            return XK_Return;
    }
    return NoSymbol;
}

}  // namespace

XTestKeyboard::~XTestKeyboard() {
    if (m_display != nullptr) {
        XCloseDisplay(m_display);
    }
}

bool XTestKeyboard::connect() {
    if (m_display != nullptr) {
        return true;
    }
    if (m_unavailable) {
        return false;
    }
    m_display = XOpenDisplay(nullptr);
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    if (m_display == nullptr || !XTestQueryExtension(m_display, &event, &error, &major, &minor)) {
        if (m_display != nullptr) {
            XCloseDisplay(m_display);
            m_display = nullptr;
        }
        m_unavailable = true;
        return false;
    }
    return true;
}

void XTestKeyboard::keyEvent(platform::Key key, bool down) {
    if (!connect()) {
        return;
    }
    // The layout's own key code for the symbol: what the scan code is on other platforms.
    const KeyCode code = XKeysymToKeycode(m_display, keySymOf(key));
    if (code == 0) {
        return;
    }
    XTestFakeKeyEvent(m_display, code, down ? True : False, CurrentTime);
    XFlush(m_display);
}

}  // namespace orvessa::backends
