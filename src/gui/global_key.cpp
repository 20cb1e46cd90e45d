#include "gui/global_key.h"

#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xproto.h>

#include <QGuiApplication>
#include <QKeySequence>
#include <algorithm>
#include <cstdlib>

namespace orvessa::gui {
namespace {

// Presses of our key closer than this to its last press or release are the keyboard's
// auto-repeat, which comes as release-press pairs to clients that did not ask otherwise.
constexpr std::uint32_t kRepeatWindowMs = 500;
// A key seen down without a release for this long lost its release to another client's grab;
// a held key repeats far more often than this.
constexpr std::uint32_t kStuckKeyMs = 2000;

// The lock modifiers, which the grab must not depend on: CapsLock and (on every common layout)
// NumLock.
constexpr std::uint16_t kLockModifiers[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                            XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
constexpr std::uint16_t kChordModifiers = 0xff & ~(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2);

QString invalid(const QString& why) {
    return QStringLiteral("快捷键无效：") + why;
}

// The X key symbol of a key we can grab; 0 for any other.
std::uint32_t keySymOf(int key) {
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35) {
        return XK_F1 + static_cast<std::uint32_t>(key - Qt::Key_F1);
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        return XK_a + static_cast<std::uint32_t>(key - Qt::Key_A);
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return XK_0 + static_cast<std::uint32_t>(key - Qt::Key_0);
    }
    switch (key) {
        case Qt::Key_Pause:
            return XK_Pause;
        case Qt::Key_ScrollLock:
            return XK_Scroll_Lock;
        case Qt::Key_Insert:
            return XK_Insert;
        case Qt::Key_Home:
            return XK_Home;
        case Qt::Key_End:
            return XK_End;
        case Qt::Key_PageUp:
            return XK_Prior;
        case Qt::Key_PageDown:
            return XK_Next;
        case Qt::Key_Space:
            return XK_space;
        default:
            return 0;
    }
}

std::uint16_t modifiersOf(Qt::KeyboardModifiers modifiers) {
    std::uint16_t mask = 0;
    if (modifiers & Qt::ShiftModifier) {
        mask |= XCB_MOD_MASK_SHIFT;
    }
    if (modifiers & Qt::ControlModifier) {
        mask |= XCB_MOD_MASK_CONTROL;
    }
    if (modifiers & Qt::AltModifier) {
        mask |= XCB_MOD_MASK_1;
    }
    if (modifiers & Qt::MetaModifier) {
        mask |= XCB_MOD_MASK_4;
    }
    return mask;
}

// The first key code of the current keyboard map that types `keySym`; 0 when none does.
std::uint8_t keycodeOf(xcb_connection_t* connection, std::uint32_t keySym) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* reply = xcb_get_keyboard_mapping_reply(
        connection,
        xcb_get_keyboard_mapping(connection, setup->min_keycode, static_cast<std::uint8_t>(count)),
        nullptr);
    if (reply == nullptr) {
        return 0;
    }
    const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(reply);
    const int perCode = reply->keysyms_per_keycode;
    std::uint8_t found = 0;
    for (int code = 0; code < count && found == 0; ++code) {
        for (int column = 0; column < perCode; ++column) {
            if (symbols[code * perCode + column] == keySym) {
                found = static_cast<std::uint8_t>(setup->min_keycode + code);
                break;
            }
        }
    }
    std::free(reply);
    return found;
}

// Whether the keymap makes `keycode` switch to a text console at one of its levels
// (XF86Switch_VT_1 .. XF86Switch_VT_12): with Ctrl+Alt the server acts on it itself.
bool switchesConsole(xcb_connection_t* connection, std::uint8_t keycode) {
    xcb_get_keyboard_mapping_reply_t* reply = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, keycode, 1), nullptr);
    if (reply == nullptr) {
        return false;
    }
    const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(reply);
    bool found = false;
    for (int column = 0; column < reply->keysyms_per_keycode; ++column) {
        found = found || (symbols[column] >= 0x1008FE01 && symbols[column] <= 0x1008FE0C);
    }
    std::free(reply);
    return found;
}

}  // namespace

GlobalKey::GlobalKey(QObject* parent) : QObject(parent) {
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (application == nullptr) {
        return;
    }
    if (auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>()) {
        m_connection = x11->connection();
    }
    if (m_connection == nullptr) {
        return;
    }
    for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
         it.rem > 0; xcb_screen_next(&it)) {
        m_roots.push_back(it.data->root);
    }
    application->installNativeEventFilter(this);
}

GlobalKey::~GlobalKey() {
    release();
    if (m_connection != nullptr && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

bool GlobalKey::setChord(const QString& chord) {
    release();
    m_chord = chord.trimmed();
    m_error.clear();
    m_warning.clear();
    if (m_chord.isEmpty()) {
        m_error = invalid(QStringLiteral("未设置"));
        return false;
    }
    const QKeySequence sequence = QKeySequence::fromString(m_chord, QKeySequence::PortableText);
    if (sequence.count() > 1) {
        m_error = invalid(QStringLiteral("“%1”不止一个按键").arg(m_chord));
        return false;
    }
    const int key = sequence.isEmpty() ? 0 : sequence[0].key();
    if (key == 0 || key == Qt::Key_unknown) {
        m_error = invalid(QStringLiteral("无法识别“%1”").arg(m_chord));
        return false;
    }
    // The chord as the operator sees it in the options, whatever spelling came in.
    m_chord = sequence.toString(QKeySequence::PortableText);
    const std::uint32_t keySym = keySymOf(key);
    if (keySym == 0) {
        m_error = invalid(
            QStringLiteral("不支持“%1”，请用 F1–F35、字母、数字或 Pause 等键").arg(m_chord));
        return false;
    }
    if (m_connection == nullptr) {
        m_error = QStringLiteral("此桌面不支持全局快捷键");
        return false;
    }
    const std::uint8_t keycode = keycodeOf(m_connection, keySym);
    if (keycode == 0) {
        m_error = invalid(QStringLiteral("键盘上没有“%1”的按键").arg(m_chord));
        return false;
    }
    if (!grab(keycode, modifiersOf(sequence[0].keyboardModifiers()))) {
        m_error = QStringLiteral("快捷键 %1 已被其他程序占用").arg(m_chord);
        return false;
    }
    const Qt::KeyboardModifiers mods = sequence[0].keyboardModifiers();
    if ((mods & Qt::ControlModifier) && (mods & Qt::AltModifier) &&
        switchesConsole(m_connection, keycode)) {
        m_warning =
            QStringLiteral(
                "在此桌面上 %1 会切换到文本控制台，可能无法启动紧急广播：请在选项中另选快捷键，"
                "或关闭 X 的控制台切换键（XKB 选项 srvrkeys:none）")
                .arg(m_chord);
    }
    return true;
}

bool GlobalKey::grab(std::uint8_t keycode, std::uint16_t modifiers) {
    std::vector<xcb_void_cookie_t> cookies;
    for (const std::uint32_t root : m_roots) {
        for (const std::uint16_t locks : kLockModifiers) {
            // Not owner events: the press comes to the root window even while one of our own
            // windows has the focus, so it is always told from the window's own keys.
            cookies.push_back(xcb_grab_key_checked(m_connection, 0, root, modifiers | locks,
                                                   keycode, XCB_GRAB_MODE_ASYNC,
                                                   XCB_GRAB_MODE_ASYNC));
        }
    }
    bool granted = true;
    for (const xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t* failure = xcb_request_check(m_connection, cookie)) {
            granted = false;
            std::free(failure);
        }
    }
    m_keycode = keycode;
    m_modifiers = modifiers;
    m_held = true;
    if (!granted) {
        // Ungrabbing releases only the combinations we got; the other client keeps its own.
        release();
    }
    return granted;
}

void GlobalKey::release() {
    if (!m_held) {
        return;
    }
    for (const std::uint32_t root : m_roots) {
        for (const std::uint16_t locks : kLockModifiers) {
            xcb_ungrab_key(m_connection, m_keycode, root, m_modifiers | locks);
        }
    }
    xcb_flush(m_connection);
    m_held = false;
    m_seenEvent = false;
    m_down = false;
}

bool GlobalKey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (!m_held || eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) {
        return false;
    }
    // Press and release events share one layout.
    const auto* key = static_cast<const xcb_key_press_event_t*>(message);
    if (key->detail != m_keycode || key->event != key->root ||
        std::find(m_roots.begin(), m_roots.end(), key->root) == m_roots.end()) {
        return false;
    }
    const std::uint32_t since = key->time - m_lastEventTime;
    if (type == XCB_KEY_RELEASE) {
        m_down = false;
        m_lastEventTime = key->time;
        m_seenEvent = true;
        return true;
    }
    if ((key->state & kChordModifiers) != m_modifiers) {
        return false;
    }
    const bool fresh = !m_seenEvent || since >= (m_down ? kStuckKeyMs : kRepeatWindowMs);
    m_down = true;
    m_lastEventTime = key->time;
    m_seenEvent = true;
    if (fresh) {
        // Queued, so that what the signal starts (a dialog, a sound) runs outside X's event
        // dispatch.
        QMetaObject::invokeMethod(this, &GlobalKey::pressed, Qt::QueuedConnection);
    }
    return true;
}

}  // namespace orvessa::gui
