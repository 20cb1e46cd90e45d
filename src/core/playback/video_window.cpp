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
    videoSurface.setVisible(false);
    subtitleStrip.setVisible(false);
    emergencyMessage.setVisible(false);
    showPageButton.setVisible(false);
    hidePageButton.setVisible(false);
    showPageButton.setHandler([this] { showPage(); });
    hidePageButton.setHandler([this] { hidePage(); });
    keyTimer.setHandler([this] { keyTick(); });
}

void VideoWindow::showPage() {
    webBrowser.navigate(pageAddress);
    webBrowser.setVisible(true);
}

void VideoWindow::hidePage() {
    webBrowser.setVisible(false);
}

void VideoWindow::startKeyTimer() {
    keyTicks = 0;
    keyTimer.start(1000);
}

void VideoWindow::keyTick() {
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
    keyTimer.setEnabled(false);
}

}  // namespace orvessa::playback
