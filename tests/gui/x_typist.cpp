#include "x_typist.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <thread>

XTypist::~XTypist() {
    if (m_display != nullptr) {
        XCloseDisplay(m_display);
    }
}

bool XTypist::open() {
    m_display = XOpenDisplay(nullptr);
    int event = 0, error = 0, major = 0, minor = 0;
    return m_display != nullptr && XTestQueryExtension(m_display, &event, &error, &major, &minor);
}

bool XTypist::waitForWindowManager(int ms) {
    const Atom check = XInternAtom(m_display, "_NET_SUPPORTING_WM_CHECK", False);
    for (int waited = 0; waited < ms; waited += 100) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(m_display, DefaultRootWindow(m_display), check, 0, 1, False, XA_WINDOW,
                           &type, &format, &count, &after, &data);
        const bool managed = data != nullptr && count == 1;
        if (data != nullptr) {
            XFree(data);
        }
        if (managed) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

void XTypist::plainFunctionKeys() {
    for (KeySym symbol = XK_F1; symbol <= XK_F12; ++symbol) {
        const KeyCode code = XKeysymToKeycode(m_display, symbol);
        if (code != 0) {
            XChangeKeyboardMapping(m_display, code, 1, &symbol, 1);
        }
    }
    XSync(m_display, False);
}

void XTypist::focusDesktop() {
    XSetInputFocus(m_display, PointerRoot, RevertToPointerRoot, CurrentTime);
    XSync(m_display, False);
}

bool XTypist::key(unsigned long keySym, bool down) {
    const KeyCode code = XKeysymToKeycode(m_display, keySym);
    if (code == 0) {
        return false;
    }
    XTestFakeKeyEvent(m_display, code, down ? True : False, CurrentTime);
    XSync(m_display, False);
    return true;
}

unsigned XTypist::keycodeOf(unsigned long keySym) {
    return XKeysymToKeycode(m_display, keySym);
}

unsigned long XTypist::rootWindow() {
    return DefaultRootWindow(m_display);
}

unsigned XTypist::lockedModifiers() {
    XkbStateRec state{};
    XkbGetState(m_display, XkbUseCoreKbd, &state);
    return state.locked_mods;
}

bool XTypist::numLockOn() {
    return (lockedModifiers() & Mod2Mask) != 0;
}

bool XTypist::capsLockOn() {
    return (lockedModifiers() & LockMask) != 0;
}
