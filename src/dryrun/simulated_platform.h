#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/clock.h"
#include "core/platform/display_services.h"
#include "core/platform/host.h"
#include "core/platform/media_device.h"
#include "core/platform/processes.h"
#include "core/platform/system_services.h"

// The platform of a rehearsal: nothing here reaches a screen, a sound card, the desktop or the
// computer's power; every request is answered at once and, where it matters, reported.
namespace orvessa::dryrun {

// Answers every question No and every notice Ok, closes modal windows at once.
class SimulatedHost : public platform::Host {
public:
    std::function<void()> onQuit;

    platform::MessageAnswer messageBox(const std::string& text, const std::string& caption,
                                       platform::MessageIcon icon,
                                       platform::MessageButtons buttons) override;
    model::ModalResult showModal(model::Window& window) override;
    std::optional<std::string> openFileDialog(const std::string& initialName,
                                              const std::string& directory) override;
    std::optional<std::string> openFolderDialog(const std::string& directory) override;
    std::optional<std::string> saveFileDialog(const std::string& initialName,
                                              const std::string& directory) override;
    std::optional<platform::FontDescription> fontDialog(
        const platform::FontDescription& current) override;
    std::optional<model::Color> colorDialog(model::Color current) override;
    void aboutBox(const std::string& application, const std::string& other) override;
    void quitApplication() override;
};

// A clock that shows whatever time the rehearsal has reached.
class SimulatedClock : public platform::Clock {
public:
    platform::LocalDateTime now() const override { return m_now; }
    std::optional<int64_t> steadyMillis() const override {
        return platform::wallMillisOf(m_now) - m_jumpedMillis;
    }
    void set(const platform::LocalDateTime& at) { m_now = at; }
    // The time of day moves to `at` while the steady time goes on.
    void jumpTo(const platform::LocalDateTime& at) {
        m_jumpedMillis += platform::wallMillisOf(at) - platform::wallMillisOf(m_now);
        m_now = at;
    }

private:
    platform::LocalDateTime m_now;
    int64_t m_jumpedMillis = 0;
};

// A media device that plays nothing aloud: open() learns the file's length (from the given
// lengths by file name, else from `probe`), and the position runs with the simulated clock, from
// a moment after play() as real playback starts, up to that length, where the media ends by
// itself.
class SimulatedMediaDevice : public platform::MediaDevice, public platform::AudioOutput {
public:
    // Length in milliseconds of a native path, or nothing when the file cannot be played.
    using Probe = std::function<std::optional<int64_t>(const std::string& path)>;

    SimulatedMediaDevice(const platform::Clock& clock, std::map<std::string, int64_t> lengths,
                         Probe probe);

    void setFileName(const std::string& path) override { m_file = path; }
    const std::string& fileName() const override { return m_file; }
    void setDisplay(platform::NativeWindow) override {}
    void open() override;
    void setDisplayRect(const platform::DisplayRect&) override {}
    void play() override;
    void startRecording() override;
    void stop() override;
    void save() override;
    void close() override;
    int64_t length() const override;
    int64_t position() const override;
    platform::MediaMode mode() const override;
    void setVolume(uint16_t, uint16_t) override {}

private:
    int64_t nowMs() const;

    const platform::Clock& m_clock;
    std::map<std::string, int64_t> m_lengths;
    Probe m_probe;
    std::string m_file;
    bool m_open = false;
    bool m_playing = false;
    int64_t m_length = 0;
    int64_t m_position = 0;  // while not playing
    int64_t m_playedFrom = 0;
    int64_t m_playStart = 0;
};

// Accepts every request without opening anything.
class SimulatedShell : public platform::Shell {
public:
    bool open(const std::string&, const std::string&) override { return true; }
};

// Reports the shutdown instead of doing it.
class SimulatedPower : public platform::Power {
public:
    std::function<void()> onPowerOff;

    std::string platformFamily() const override { return {}; }
    void powerOff() override;
};

// No process is seen, so a stop never ends one.
class NoProcesses : public platform::Processes {
public:
    std::vector<platform::ProcessInfo> snapshot() const override { return {}; }
    bool terminate(int64_t) override { return false; }
};

// One 1024x768 monitor.
class SingleMonitor : public platform::Monitors {
public:
    std::vector<platform::ScreenRect> monitors() const override { return {{0, 0, 1024, 768}}; }
};

class DroppingKeyboard : public platform::Keyboard {
public:
    void keyEvent(platform::Key, bool) override {}
};

// A rehearsal may run beside the real system.
class FreeInstance : public platform::SingleInstance {
public:
    bool claim() override { return true; }
};

class NoScreenSaverFlag : public platform::ScreenSaverFlag {
public:
    void setRunning(bool) override {}
};

// Every simulated part a system needs but its media device, under the names the services give
// them (system::servicesOf).
struct SimulatedPlatform {
    SimulatedHost host;
    SimulatedClock clock;
    SimulatedPower power;
    NoScreenSaverFlag screenSaver;
    SimulatedShell shell;
    FreeInstance instance;
    SingleMonitor monitors;
    DroppingKeyboard keyboard;
    NoProcesses processes;
};

}  // namespace orvessa::dryrun
