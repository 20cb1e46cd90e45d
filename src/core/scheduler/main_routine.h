#pragma once

#include <memory>
#include <vector>

#include "core/editing/grid_editor.h"
#include "core/editing/holiday_panel.h"
#include "core/editing/media_library.h"
#include "core/editing/operator_lock.h"
#include "core/editing/preflight_check.h"
#include "core/editing/table_exchange.h"
#include "core/editing/tdaori5.h"
#include "core/editing/tform2.h"
#include "core/editing/tform4.h"
#include "core/editing/tform5.h"
#include "core/platform/failure_record.h"
#include "core/playback/item_player.h"
#include "core/playback/now_playing.h"
#include "core/playback/tform6.h"
#include "core/scheduler/broadcast_clock.h"
#include "core/scheduler/broadcast_journal.h"
#include "core/scheduler/broadcast_record.h"
#include "core/scheduler/end_of_day.h"
#include "core/scheduler/operating_modes.h"
#include "core/scheduler/startup.h"
#include "core/skins/skin_engine.h"
#include "core/tools/tdstx.h"
#include "core/tools/tform7.h"
#include "core/ui/command_states.h"
#include "core/ui/tform1.h"

namespace orvessa::scheduler {

struct PlatformServices {
    platform::Host& host;
    const platform::Clock& clock;
    platform::Power& power;
    platform::ScreenSaverFlag& screenSaver;
    platform::Shell& shell;
    platform::SingleInstance& singleInstance;
    const platform::Monitors& monitors;
    platform::Keyboard& keyboard;
    platform::MediaDevice& mediaDevice;  // the main window's
    platform::AudioOutput& audioOutput;
    platform::Processes& processes;
    std::filesystem::path programDirectory;
    std::filesystem::path mediaProfile;
    // Where the rows' relative paths are read from, when not the program directory (the
    // rehearsal runs on copies of the system's files, away from their media).
    std::filesystem::path itemDirectory = {};
    // The sound recorder's own device; without one its recordings and auditions fail.
    platform::MediaDevice* recordingDevice = nullptr;
    // Receives each start, stop, missing file and row left behind; none for no record.
    BroadcastRecord* broadcastRecord = nullptr;
    // The built-in skins and what draws them. Without them the skin command still steps and
    // keeps its number, and the look never changes.
    const skins::SkinStore* skinStore = nullptr;
    platform::SkinLook* skinLook = nullptr;
    // Rehearses a day for the pre-flight check; without one the check is never offered.
    platform::DayChecker* dayChecker = nullptr;
    // Where what fails (a file not read, a save that failed, an item not played) is recorded.
    platform::FailureRecord* failureRecord = nullptr;
};

// Every window of the system, created once in the fixed order and kept until exit.
class OrvessaSystem {
public:
    // The main routine up to the message loop: refuses a second instance (after telling the
    // operator, returning null), then creates the windows in order, the main window first.
    static std::unique_ptr<OrvessaSystem> start(PlatformServices services);

    ui::TForm1& form1() { return *m_form1; }
    editing::TForm2& form2() { return *m_form2; }
    editing::TForm4& form4() { return *m_form4; }
    playback::TForm6& form6() { return *m_form6; }
    tools::Tdstx& dstx() { return *m_dstx; }
    editing::Tdaori5& daori5() { return *m_daori5; }
    editing::TForm5& form5() { return *m_form5; }
    // Null when the system was started without a day checker.
    editing::PreflightCheck* preflightCheck() { return m_preflight.get(); }
    tools::TForm7& form7() { return *m_form7; }
    playback::ItemPlayer& player() { return *m_player; }
    playback::NowPlaying& display() { return *m_display; }
    BroadcastClock& broadcastClock() { return *m_broadcastClock; }
    editing::GridEditor& editor() { return *m_editor; }
    editing::OperatorLock& lock() { return *m_lock; }
    editing::MediaLibrary& library() { return *m_library; }
    editing::HolidayPanel& holidayPanel() { return *m_holidayPanel; }
    editing::TableExchange& tableExchange() { return *m_tableExchange; }
    OperatingModes& modes() { return *m_modes; }
    StartUp& startUp() { return *m_startUp; }
    EndOfDay& endOfDay() { return *m_endOfDay; }
    // Null when the system was started without a broadcast record.
    BroadcastJournal* journal() { return m_journal.get(); }

    // The windows in the order they were created.
    const std::vector<model::Window*>& windows() const { return m_windows; }

private:
    explicit OrvessaSystem(PlatformServices& services);
    void buildMainWindowSubsystems(PlatformServices& services);
    void buildPlayback(PlatformServices& services);
    void buildPreflightCheck(PlatformServices& services);
    // Switches the main window's commands for an event, in the situation of the moment.
    void commandsChanged(ui::CommandStates::Event event);

    std::unique_ptr<ui::TForm1> m_form1;
    std::unique_ptr<ui::CommandStates> m_commandStates;
    std::unique_ptr<editing::GridEditor> m_editor;
    std::unique_ptr<editing::OperatorLock> m_lock;
    std::unique_ptr<editing::MediaLibrary> m_library;
    std::unique_ptr<OperatingModes> m_modes;
    std::unique_ptr<StartUp> m_startUp;
    std::unique_ptr<EndOfDay> m_endOfDay;
    std::unique_ptr<editing::HolidayPanel> m_holidayPanel;
    std::unique_ptr<editing::TableExchange> m_tableExchange;
    std::unique_ptr<editing::TForm2> m_form2;
    std::unique_ptr<editing::TForm4> m_form4;
    std::unique_ptr<playback::TForm6> m_form6;
    std::unique_ptr<platform::MediaDevice> m_noRecordingDevice;
    std::unique_ptr<tools::Tdstx> m_dstx;
    std::unique_ptr<editing::Tdaori5> m_daori5;
    std::unique_ptr<editing::TForm5> m_form5;
    std::unique_ptr<tools::TForm7> m_form7;
    std::unique_ptr<editing::PreflightCheck> m_preflight;
    std::unique_ptr<playback::NowPlaying> m_display;
    // Before the player and the clock, which report to it until they go.
    std::unique_ptr<BroadcastJournal> m_journal;
    std::unique_ptr<platform::SkinLook> m_noSkinLook;
    skins::SkinStore m_noSkins;
    std::unique_ptr<skins::TSkinData> m_skinEngine;
    std::unique_ptr<skins::SkinSwitcher> m_skins;
    std::unique_ptr<playback::ItemPlayer> m_player;
    std::unique_ptr<BroadcastClock> m_broadcastClock;
    std::vector<model::Window*> m_windows;
};

}  // namespace orvessa::scheduler
