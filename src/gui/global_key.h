#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QString>
#include <cstdint>
#include <vector>

struct xcb_connection_t;

namespace orvessa::gui {

// One key chord grabbed on the X server's root windows, so that it reaches us whichever window
// has the focus, ours hidden or not: a panic button that types the chord works the same way.
// Lives in the GUI thread; on a desktop that is not X11 it grabs nothing and says so.
// The server counts the whole process as one client, so a chord is held by one GlobalKey only.
// Xorg's stock keymap keeps Ctrl+Alt+F1-F12 for itself (console switching) unless its server
// keys are turned off; such a chord is granted but never reaches any client.
class GlobalKey : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit GlobalKey(QObject* parent = nullptr);
    ~GlobalKey() override;
    GlobalKey(const GlobalKey&) = delete;
    GlobalKey& operator=(const GlobalKey&) = delete;

    // Grabs `chord` (QKeySequence's portable text, e.g. "Ctrl+Shift+F12") in place of the chord
    // held so far. False, with nothing grabbed and error() saying why, for an empty or unknown
    // chord, more than one key, a key we cannot grab, or a chord another client holds.
    bool setChord(const QString& chord);
    // The chord held now, in portable text; empty when none is.
    QString chord() const { return m_held ? m_chord : QString(); }
    // Why the last setChord() failed, for the operator; empty after a success.
    QString error() const { return m_error; }
    // After a success: why the chord may still never come (the keymap switches consoles with
    // it); empty when nothing stands in its way.
    QString warning() const { return m_warning; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    // The chord went down; a key held down (auto-repeat) gives one signal, not one per repeat.
    void pressed();

private:
    void release();
    bool grab(std::uint8_t keycode, std::uint16_t modifiers);

    xcb_connection_t* m_connection = nullptr;
    std::vector<std::uint32_t> m_roots;
    QString m_chord;
    QString m_error;
    QString m_warning;
    bool m_held = false;
    std::uint8_t m_keycode = 0;
    std::uint16_t m_modifiers = 0;
    // The X server's time of the last press or release of our key; repeats come within it.
    std::uint32_t m_lastEventTime = 0;
    bool m_seenEvent = false;
    bool m_down = false;
};

}  // namespace orvessa::gui
