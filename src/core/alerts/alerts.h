#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/alerts/alert_player.h"
#include "core/alerts/alert_settings.h"
#include "core/alerts/emergency_state.h"
#include "core/model/command.h"
#include "core/model/control.h"
#include "core/model/timer.h"
#include "core/platform/clock.h"
#include "core/platform/failure_record.h"
#include "core/platform/host.h"
#include "core/playback/broadcast_session.h"
#include "core/scheduler/broadcast_record.h"

namespace orvessa::alerts {

// The controls the alerts show themselves in.
struct AlertControls {
    model::TextControl& banner;        // the main window's red banner
    model::Command& endButton;         // on the banner: 结束紧急广播
    model::TextControl& videoMessage;  // full screen on the video window
    model::Command& secondMonitorBox;  // whether the video window is in use
    model::Timer& timer;               // follows the alert device while something sounds
    // The main window's second status line: tells what the alarm fell back to. Optional.
    model::TextLine* hintLine = nullptr;
};

// What the alerts are given besides their controls.
struct AlertServices {
    platform::Host& host;
    const platform::Clock& clock;
    // The broadcast's own device: a notice pauses what it plays and has it go on after.
    platform::MediaDevice& broadcastDevice;
    // The alerts' own device, and its volume.
    platform::MediaDevice& alertDevice;
    platform::AudioOutput& alertOutput;
    std::filesystem::path programDirectory;
    // Where the built-in siren is written to be played from.
    std::filesystem::path sirenFile;
    scheduler::BroadcastRecord& record;
    platform::FailureRecord* failures = nullptr;
    store::FileSync* fileSync = nullptr;
    // Stops the item playing, as the stop command does.
    std::function<void()> stopItem;
    // Places the video window on the second monitor and shows it, or hides it again.
    std::function<void()> showVideoWindow;
    std::function<void()> hideVideoWindow;
    // Asks for the operator's password when the system is locked; true when it may go on.
    std::function<bool()> unlock;
    // The media library folder, ending in a separator.
    std::function<std::string()> libraryDirectory;
    // An emergency or a notice began or ended.
    std::function<void()> changed;
};

// What a command of the alerts came to, for a window's message or a console's answer.
struct AlertResult {
    enum class Status { Done, Already, Emergency, Busy, Missing, BadName, Unplayable, Refused };
    Status status = Status::Done;
    std::string error;  // for the operator, when not done
    bool done() const { return status == Status::Done; }
};

// The emergency and the notices: one command silences the timetable and sounds the alarm until
// someone ends it; a notice pauses what plays, goes out once and the day goes on. Lives on the
// user-interface thread.
class Alerts {
public:
    Alerts(playback::BroadcastSession& session, AlertControls controls, AlertServices services);
    ~Alerts();
    Alerts(const Alerts&) = delete;
    Alerts& operator=(const Alerts&) = delete;

    // Reads alerts.conf and emergency.state; an emergency that was on when the program went
    // down starts again.
    void start();
    AlertSettingsFile& settingsFile() { return m_settings; }
    const AlertSettings& settings() const { return m_settings.settings(); }
    // Takes new settings (the options' OK); a sounding alarm follows the new volume at its next
    // start.
    store::WriteResult saveSettings(const AlertSettings& settings);
    // Reads alerts.conf again, after the options wrote it.
    void reloadSettings();

    bool emergency() const { return m_session.alert.emergency; }
    // `by` says who and from where: "operator@window", "wang@console:10.1.2.3".
    AlertResult startEmergency(const std::string& by);
    AlertResult endEmergency(const std::string& by);
    // The window's, the toolbar's and the tray's command: starts the emergency after the
    // operator confirms, or ends it (with the password when locked).
    void emergencyCommand(const std::string& by);
    // The global key: starts the emergency; pressed again, it does nothing.
    void keyPressed();
    // The desktop will not give the global key, or it may never come: the operator reads `why`
    // on the window's second status line, in red, and the failure record keeps it.
    void keyUnusable(const std::string& why);

    // The notices folder and its files.
    std::filesystem::path noticeFolder() const;
    std::vector<std::string> notices() const;
    AlertResult announce(const std::string& name, const std::string& by);

    // The timer's handler: keeps the alarm sounding, and ends a notice that has played.
    void tick();

private:
    std::string now() const;
    void record(const std::string& what);
    void fail(const std::string& what, const std::string& detail);
    // The banner and the video window's message; `note` tells what the alarm fell back to.
    void showEmergency(const std::string& note);
    void hideEmergency();
    void noticeOver();
    // Starts the alarm with the settings of the moment; returns what it fell back to, if it did.
    std::string soundAlarm();

    playback::BroadcastSession& m_session;
    AlertControls m_c;
    AlertServices m_s;
    AlertSettingsFile m_settings;
    EmergencyStateFile m_state;
    AlertPlayer m_player;
    // The broadcast's media that a notice paused, to go on once it is over.
    bool m_paused = false;
    int m_pausedRow = 0;
    std::string m_pausedPath;
    int64_t m_startedAt = 0;  // of the emergency, in seconds
};

}  // namespace orvessa::alerts
