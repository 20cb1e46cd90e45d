#pragma once

#include <memory>
#include <vector>

#include "core/alerts/alerts.h"
#include "core/alerts/announcement_dialog.h"
#include "core/editing/calendar_window.h"
#include "core/editing/directory_dialog.h"
#include "core/editing/exchange_chooser.h"
#include "core/editing/grid_editor.h"
#include "core/editing/holiday_panel.h"
#include "core/editing/media_library.h"
#include "core/editing/operator_lock.h"
#include "core/editing/options_dialog.h"
#include "core/editing/password_dialog.h"
#include "core/editing/preflight_check.h"
#include "core/editing/table_exchange.h"
#include "core/platform/failure_record.h"
#include "core/playback/item_player.h"
#include "core/playback/now_playing.h"
#include "core/playback/video_window.h"
#include "core/scheduler/broadcast_clock.h"
#include "core/scheduler/broadcast_journal.h"
#include "core/scheduler/broadcast_record.h"
#include "core/scheduler/clock_watch.h"
#include "core/scheduler/end_of_day.h"
#include "core/scheduler/operating_modes.h"
#include "core/scheduler/startup.h"
#include "core/scheduler/table_view.h"
#include "core/scheduler/wake_time.h"
#include "core/skins/skin_engine.h"
#include "core/store/day_planner.h"
#include "core/system/broadcast_engine.h"
#include "core/system/platform_services.h"
#include "core/tools/recorder_window.h"
#include "core/tools/subtitle_dialog.h"
#include "core/ui/command_states.h"
#include "core/ui/main_window.h"

namespace orvessa::system {

// Every window of the system, created once in the fixed order and kept until exit.
class OrvessaSystem {
public:
    // The main routine up to the message loop: refuses a second instance (after telling the
    // operator, returning null), then creates the windows in order, the main window first.
    static std::unique_ptr<OrvessaSystem> start(PlatformServices services);

    // The running system: what decides the day and what it has done.
    system::BroadcastEngine& engine() { return *m_engine; }
    const system::BroadcastEngine& engine() const { return *m_engine; }
    ui::MainWindow& mainWindow() { return *m_mainWindow; }
    editing::PasswordDialog& passwordDialog() { return *m_passwordDialog; }
    editing::OptionsDialog& optionsDialog() { return *m_optionsDialog; }
    playback::VideoWindow& videoWindow() { return *m_videoWindow; }
    tools::RecorderWindow& recorderWindow() { return *m_recorderWindow; }
    editing::ExchangeChooser& exchangeChooser() { return *m_exchangeChooser; }
    editing::DirectoryDialog& directoryDialog() { return *m_directoryDialog; }
    // Null when the system was started without a day checker.
    editing::PreflightCheck* preflightCheck() { return m_preflight.get(); }
    tools::SubtitleDialog& subtitleDialog() { return *m_subtitleDialog; }
    editing::CalendarWindow& calendarWindow() { return *m_calendarWindow; }
    playback::ItemPlayer& player() { return *m_player; }
    playback::NowPlaying& display() { return *m_display; }
    scheduler::BroadcastClock& broadcastClock() { return *m_broadcastClock; }
    editing::GridEditor& editor() { return *m_editor; }
    editing::OperatorLock& lock() { return *m_lock; }
    editing::MediaLibrary& library() { return *m_library; }
    editing::HolidayPanel& holidayPanel() { return *m_holidayPanel; }
    editing::TableExchange& tableExchange() { return *m_tableExchange; }
    scheduler::OperatingModes& modes() { return *m_modes; }
    scheduler::StartUp& startUp() { return *m_startUp; }
    scheduler::EndOfDay& endOfDay() { return *m_endOfDay; }
    store::DayPlanner& dayPlanner() { return *m_dayPlanner; }
    // Null when the system was started without a broadcast record.
    scheduler::BroadcastJournal* journal() { return m_journal.get(); }
    // Null when the system was started without a clock probe.
    scheduler::ClockWatch* clockWatch() { return m_clockWatch.get(); }
    alerts::Alerts& alerts() { return *m_alerts; }
    alerts::AnnouncementDialog& announcementDialog() { return *m_announcementDialog; }
    // Null when the system was started without a wake alarm.
    scheduler::WakeKeeper* wakeKeeper() { return m_wake.get(); }

    // The windows in the order they were created.
    const std::vector<model::Window*>& windows() const { return m_windows; }

private:
    explicit OrvessaSystem(PlatformServices& services);
    void followStatusLines();
    void buildMainWindowSubsystems(PlatformServices& services);
    // One builder a window, called in the order the windows are created.
    void buildDialogs(PlatformServices& services);
    void buildVideoWindow(PlatformServices& services);
    void buildRecorderWindow(PlatformServices& services);
    void buildExchangeChooser();
    void buildDirectoryDialog();
    void buildSubtitleDialog(PlatformServices& services);
    void buildCalendarWindow(PlatformServices& services);
    void buildPlayback(PlatformServices& services);
    void buildPreflightCheck(PlatformServices& services);
    void buildClockWatch(PlatformServices& services);
    void buildAlerts(PlatformServices& services);
    void buildWakeKeeper(PlatformServices& services);
    scheduler::TableView tableView();
    void crewStation();
    // Switches the main window's commands for an event, in the situation of the moment.
    void commandsChanged(ui::CommandStates::Event event);

    // First made, last gone: every subsystem holds pieces of it.
    std::unique_ptr<system::BroadcastEngine> m_engine;
    std::unique_ptr<ui::MainWindow> m_mainWindow;
    std::unique_ptr<ui::CommandStates> m_commandStates;
    std::unique_ptr<store::DayPlanner> m_dayPlanner;
    std::unique_ptr<editing::GridEditor> m_editor;
    std::unique_ptr<editing::OperatorLock> m_lock;
    std::unique_ptr<editing::MediaLibrary> m_library;
    std::unique_ptr<scheduler::OperatingModes> m_modes;
    std::unique_ptr<scheduler::StartUp> m_startUp;
    std::unique_ptr<scheduler::EndOfDay> m_endOfDay;
    std::unique_ptr<editing::HolidayPanel> m_holidayPanel;
    std::unique_ptr<editing::TableExchange> m_tableExchange;
    std::unique_ptr<editing::PasswordDialog> m_passwordDialog;
    std::unique_ptr<editing::OptionsDialog> m_optionsDialog;
    std::unique_ptr<playback::VideoWindow> m_videoWindow;
    std::unique_ptr<platform::MediaDevice> m_noRecordingDevice;
    std::unique_ptr<tools::RecorderWindow> m_recorderWindow;
    std::unique_ptr<editing::ExchangeChooser> m_exchangeChooser;
    std::unique_ptr<editing::DirectoryDialog> m_directoryDialog;
    std::unique_ptr<tools::SubtitleDialog> m_subtitleDialog;
    std::unique_ptr<editing::CalendarWindow> m_calendarWindow;
    std::unique_ptr<editing::PreflightCheck> m_preflight;
    std::unique_ptr<playback::NowPlaying> m_display;
    // Before the player and the clock, which report to it until they go.
    std::unique_ptr<scheduler::BroadcastJournal> m_journal;
    std::unique_ptr<platform::SkinLook> m_noSkinLook;
    skins::SkinStore m_noSkins;
    std::unique_ptr<skins::SkinEngine> m_skinEngine;
    std::unique_ptr<skins::SkinSwitcher> m_skins;
    std::unique_ptr<playback::ItemPlayer> m_player;
    std::unique_ptr<scheduler::BroadcastClock> m_broadcastClock;
    std::unique_ptr<scheduler::ClockWatch> m_clockWatch;
    std::unique_ptr<platform::MediaDevice> m_noAlertDevice;
    std::unique_ptr<alerts::AnnouncementDialog> m_announcementDialog;
    std::unique_ptr<alerts::Alerts> m_alerts;
    std::vector<model::Window*> m_windows;
    // Last made gone first: the options dialog and the pre-flight check follow it.
    std::unique_ptr<scheduler::WakeKeeper> m_wake;
};

}  // namespace orvessa::system
