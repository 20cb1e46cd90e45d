#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/model/choice_controls.h"
#include "core/model/command.h"
#include "core/model/timer.h"
#include "core/platform/failure_record.h"
#include "core/platform/host.h"
#include "core/platform/media_device.h"
#include "core/platform/processes.h"
#include "core/platform/system_services.h"
#include "core/playback/broadcast_session.h"
#include "core/store/live_settings.h"
#include "core/store/schedule_table.h"

namespace orvessa::playback {

class VideoWindow;

// The controls of the main window that the player reads and sets.
struct PlayerControls {
    // The table the operator edits, played by hand in manual operation before it is saved.
    const store::ScheduleTable& draft;
    model::ListBox& playlistBox;
    model::TextLine& hintLine;
    model::Timer& nowPlayingTimer;  // the now-playing display's timer
};

// What the player is given besides the controls.
struct PlayerServices {
    platform::Host& host;
    platform::MediaDevice& device;
    platform::Shell& shell;
    platform::Processes& processes;
    // Places a window on a monitor, as the main window's setwindowtomonitor does.
    std::function<void(int monitor)> placeVideoWindow;
    // Hides the main window as its close command does.
    std::function<void()> hideMainWindow;
    // Reads the title and detail line of the item just started (the now-playing display).
    std::function<void()> prepareTitle;
    // An item started (true) or stopped (false): the commands that follow it are switched.
    std::function<void(bool running)> runningChanged;
    // The media library folder, ending in a separator.
    std::function<std::string()> defaultDirectory;
    // The folder from which a relative path in a cell is read: the program directory.
    std::function<std::string()> programDirectory;
    // Moves the volume slider to a row's volume, which the output then follows.
    std::function<void(int volume)> setVolume;
    // Where items that could not be played are kept; none in tests.
    platform::FailureRecord* failures = nullptr;
    // Whether web pages can be shown: a station without a display passes them over, as a
    // missing file is, instead of counting a page nobody sees as playing.
    bool pagesShown = true;
};

// What a play or stop request did, for an observer that reports the day (the rehearsal).
struct PlayEvent {
    enum class Type {
        Started,  // an item began: `kind`, `path` and `row` say which
        Missing,  // the request found no file at `path`
        Stopped,  // a running item was stopped
    };
    Type type = Type::Started;
    ItemKind kind = ItemKind::None;
    std::string path;  // as the core holds it, not yet in the native form
    int row = 0;
};

// Turns a row of the table into sound, picture, page or program, and stops it again.
class ItemPlayer {
public:
    // The player runs the session's item and reads the live play order. `rows` is the table the
    // clock runs (rows[r] is row r, [0] the heading).
    ItemPlayer(BroadcastSession& session, PlayerControls controls, PlayerServices services,
               VideoWindow& videoWindow, const store::LiveSettings& settings,
               const std::vector<store::ScheduleRow>& rows);

    // find: resolves row `row`, telling the operator when its file exists.
    void find(int row);
    // The play request for row `row`: the row the clock has come to, or the one the operator
    // picked.
    void play(int row);
    // Has the media device open the current row's file ahead of its second, when it is a plain
    // media file that is there, so that its sound starts at once when the row plays.
    void prepare();
    // The stop request.
    void stop();
    // Double-click on the play list: stop what plays and play the next file of row `row`'s
    // directory.
    void playNext(int row);

    // Called after each play or stop request that started, missed or stopped something; the
    // player works the same without one.
    void setObserver(std::function<void(const PlayEvent&)> observer);

    // Whether a cell text is a web address rather than a path.
    static bool isWebAddress(std::string_view itemText);

private:
    // Finds the requested row's item; false when its folder has no file left to hand out.
    bool resolve();
    // The file a row's file cell names (not a folder): a bare name in the library, a path from
    // the program directory.
    std::string fileOf(const std::string& item) const;
    // The next file of the row's folder in the play order; none for an empty folder, or when
    // every file has been handed out.
    std::optional<std::string> pickFromDirectory();
    void rebuildPlaylist();
    // One play request: play() repeats it for a folder whose file was passed over.
    void playOnce();
    void startMedia();
    // After the device refused the current file: passes a sound or a film over, hands anything
    // else to the desktop.
    void notPlayed(const std::string& why, int row);
    // Leaves the current item unplayed, recorded as `what` with `why`, as a missing file is.
    void passOver(const std::string& what, const std::string& why, int row);
    void openWithShell();
    void applyVolume();
    bool manual() const { return m_mode == OperatingMode::Manual; }
    // Row r of the table played: the draft in manual operation, where the operator plays edits
    // before saving them; the station's table while the clock runs it.
    store::ScheduleRow rowAt(int row) const;
    int rowCount() const;
    void report(PlayEvent::Type type, int row);

    PlaybackState& m_state;
    ClockState& m_clock;
    const OperatingMode& m_mode;
    PlayerControls m_controls;
    // The row of the last play or find request: a missing row's successor plays in its place.
    int m_requestedRow = 0;
    PlayerServices m_services;
    VideoWindow& m_video;
    const store::LiveSettings& m_settings;
    const std::vector<store::ScheduleRow>& m_rows;
    // Picks repeat from one start of the system to the next.
    std::mt19937 m_random{20260101u};
    // The processes that ran when the shell launched the current item.
    std::set<int64_t> m_processesAtLaunch;
    // The current play request passed its file over as unplayable.
    bool m_passedOver = false;
    std::function<void(const PlayEvent&)> m_observer;
};

}  // namespace orvessa::playback
