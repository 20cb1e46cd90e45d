#pragma once

// Keys typed on the X server through XTest, as a keyboard would, to whichever window has the
// focus; Xlib stays in its own file, its macros clash with the toolkit's names.

struct _XDisplay;

class XTypist {
public:
    XTypist() = default;
    ~XTypist();
    XTypist(const XTypist&) = delete;
    XTypist& operator=(const XTypist&) = delete;

    // Connects to $DISPLAY; false without a server or without XTest.
    bool open();
    // True once a window manager has announced itself on the root window, within `ms`.
    bool waitForWindowManager(int ms);
    // Makes F1-F12 type only themselves. The stock keymap turns Ctrl+Alt+Fn into a console
    // switch that the server takes for itself, so no client would ever see that chord.
    void plainFunctionKeys();
    // Gives the keyboard focus to the desktop, away from every window.
    void focusDesktop();
    // `keySym` (an XK_ value) down or up; false when the keyboard map has no key for it.
    bool key(unsigned long keySym, bool down);
    // The key code that types `keySym`, 0 when none does; the root window of the default screen.
    unsigned keycodeOf(unsigned long keySym);
    unsigned long rootWindow();
    bool numLockOn();
    bool capsLockOn();

private:
    unsigned lockedModifiers();

    _XDisplay* m_display = nullptr;
};
