#pragma once

#include <string>

#include "core/model/command.h"
#include "core/model/control.h"
#include "core/model/timer.h"
#include "core/model/window.h"
#include "core/platform/display_services.h"
#include "core/platform/media_device.h"

namespace orvessa::playback {

// The embedded browser: an address to show, and whether the page is visible.
class WebBrowser : public model::Control {
public:
    WebBrowser() : Control("webBrowser") { setVisible(false); }

    const std::string& address() const { return m_address; }
    // Navigates to `address` (again, also when it is the page already shown).
    void navigate(std::string address);
    // Fires on every navigation, with the address.
    model::Signal<> navigated;

private:
    std::string m_address;
};

// The full-screen video and web window: the browser at the bottom, the video surface above it
// and the subtitle strip on top. Created hidden at start-up, at (0, 0) with the primary screen's
// size.
class VideoWindow : public model::Window {
public:
    VideoWindow(const platform::Monitors& monitors, platform::Keyboard& keyboard);

    WebBrowser webBrowser;
    // The video surface handed to the media device as its display; hidden at start.
    model::Control videoSurface{"videoSurface"};
    // The subtitle strip.
    model::TextControl subtitleStrip{"subtitleStrip"};
    // The emergency's message, over everything else; hidden at start.
    model::TextControl emergencyMessage{"emergencyMessage"};
    // Hidden buttons: show page and hide page.
    model::Command showPageButton{"showPageButton", model::CommandKind::Button, "pl1"};
    model::Command hidePageButton{"hidePageButton", model::CommandKind::Button, "st1"};
    std::vector<model::Command*> allCommands() override {
        return {&showPageButton, &hidePageButton};
    }

    // The key timer.
    model::Timer keyTimer{"keyTimer", 1000, false};
    int keyTicks = 0;

    // The address that show page navigates to; the player sets it before clicking showPageButton.
    std::string pageAddress;
    // The native window of the video surface, set by the view once it exists.
    platform::NativeWindow surfaceHandle = 0;

    void showWindow() { setVisible(true); }
    void hideWindow() { setVisible(false); }
    // Counter to 0 and the timer running at 1000 ms: the chords follow on the fourth tick.
    void startKeyTimer();
    void keyTick();

private:
    void showPage();
    void hidePage();

    platform::Keyboard& m_keyboard;
};

}  // namespace orvessa::playback
