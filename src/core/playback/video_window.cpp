#include "core/playback/video_window.h"

namespace orvessa::playback {

using platform::Key;

void WebBrowser::navigate(std::string address) {
    m_address = std::move(address);
    navigated.send();
}

VideoWindow::VideoWindow(const platform::Monitors& monitors, platform::Keyboard& keyboard)
    : Window("VideoWindow", "Orvessa --- 视频播放"), m_keyboard(keyboard) {
    const auto screens = monitors.monitors();
    if (!screens.empty()) {
        setBounds({0, 0, screens.front().width, screens.front().height});
    }
    Panel1.setVisible(false);
    Panel2.setVisible(false);
    pl1.setVisible(false);
    st1.setVisible(false);
    pl1.setHandler([this] { pl1Click(); });
    st1.setHandler([this] { st1Click(); });
    Timer1.setHandler([this] { Timer1Timer(); });
}

void VideoWindow::pl1Click() {
    Web1.navigate(pageAddress);
    Web1.setVisible(true);
}

void VideoWindow::st1Click() {
    Web1.setVisible(false);
}

void VideoWindow::startKeyTimer() {
    keyTicks = 0;
    Timer1.start(1000);
}

void VideoWindow::Timer1Timer() {
    if (keyTicks < 3) {
        ++keyTicks;
        return;
    }
    // For the program the shell opened four seconds ago, which has the focus by now.
    const Key chords[][2] = {
        {Key::Control, Key::Home}, {Key::Control, Key::Digit3}, {Key::Alt, Key::Enter}};
    for (const auto& chord : chords) {
        m_keyboard.keyEvent(chord[0], true);
        m_keyboard.keyEvent(chord[1], true);
        m_keyboard.keyEvent(chord[1], false);
        m_keyboard.keyEvent(chord[0], false);
    }
    Timer1.setEnabled(false);
}

}  // namespace orvessa::playback
