#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/model/choice_controls.h"
#include "core/model/command.h"
#include "core/model/control.h"
#include "core/model/timer.h"
#include "core/model/window.h"
#include "core/platform/clock.h"
#include "core/platform/failure_record.h"
#include "core/platform/host.h"
#include "core/platform/system_services.h"
#include "core/playback/broadcast_session.h"
#include "core/scheduler/table_view.h"
#include "core/store/system_config.h"

namespace orvessa::editing {
class GridEditor;
class OperatorLock;
class DirectoryDialog;
}  // namespace orvessa::editing

namespace orvessa::scheduler {

class OperatingModes;

// The main window's controls that its creation, activation and quit use.
struct StartUpControls {
    model::Window& window;
    model::Control& trayIcon;
    TableView table;
    model::TextLine& hintLine;
    model::Timer& ticker;  // the station's beat, which ticks the broadcast clock
    model::Timer& stopDayTimer;
    model::RadioGroup& weekSelector;
    model::Command& automaticOperation;
    model::Command& save;
    model::Command& forcedAutomatic;
    model::Command& hideAtStartBox;            // 启动时隐藏主窗口
    model::Command& secondMonitorBox;          // 输出到第二显示器
    std::array<model::Command*, 8> stopBoxes;  // stopMondayBox..stopSundayBox, broadcastAllBox
    // Disabled when the system starts locked.
    std::vector<model::Command*> lockedOff;
    // Shown only when the operator must give the password (entry 6 "0").
    std::vector<model::Command*> passwordOnly;
    // The row commands and Save, off whenever the main window activates in automatic operation.
    std::vector<model::Command*> rowCommands;
};

// The main window's running state that start-up sets up.
struct StartUpState {
    store::SystemConfig& config;
    const std::string& programDirectoryText;
    std::string& versionText;
    std::string& platformFamily;
    playback::BroadcastSession& session;
    playback::StopDayState& stopDay;
    std::vector<std::string>& hints;
    std::string& defaultDirectory;
    bool& configurationLoaded;
};

struct StartUpServices {
    platform::Host& host;
    const platform::Clock& clock;
    platform::Power& power;
    std::filesystem::path programDirectory;
    std::filesystem::path mediaProfile;
    std::function<bool()> saveConfiguration;
    // Where what failed at start-up is kept; none in tests.
    platform::FailureRecord* failures = nullptr;
    // Gives the windows the skin the configuration names.
    std::function<void()> applySkin = {};
    // Says in the status line when the media library folder cannot be used.
    std::function<void()> checkLibrary = {};
    // Reads the school calendar, before today's table is chosen by it.
    std::function<void()> readCalendar = {};
    // What the files it writes are flushed through; none in tests (file_io.h).
    store::FileSync* fileSync = nullptr;
};

// The main window's life: its creation (configuration, weekday, stop day, lock, first table,
// the clock), every activation, and the one quit through which the system ends.
class StartUp {
public:
    static constexpr const char* kVersion = "5.0";

    StartUp(StartUpControls controls, StartUpState state, StartUpServices services,
            editing::GridEditor& editor, OperatingModes& modes, editing::OperatorLock& lock);

    void create();
    void activate();
    void quit();

    // The default directory dialog, created after the main window.
    void setDirectoryDialog(editing::DirectoryDialog* directory) { m_directory = directory; }

    int activations() const { return m_activations; }

private:
    // Start-up steps that later subsystems fill in.
    void applySkin();

    StartUpControls m_c;
    StartUpState m_s;
    StartUpServices m_services;
    editing::GridEditor& m_editor;
    OperatingModes& m_modes;
    editing::OperatorLock& m_lock;
    editing::DirectoryDialog* m_directory = nullptr;
    bool m_activating = false;
    int m_activations = 0;
};

}  // namespace orvessa::scheduler
