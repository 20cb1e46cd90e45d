#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/model/action.h"
#include "core/model/choice_controls.h"
#include "core/model/command.h"
#include "core/model/control.h"
#include "core/model/timer.h"
#include "core/platform/clock.h"
#include "core/platform/host.h"
#include "core/playback/broadcast_session.h"
#include "core/scheduler/table_view.h"
#include "core/store/system_config.h"

namespace orvessa::editing {
class GridEditor;
}
namespace orvessa::playback {
class ItemPlayer;
}

namespace orvessa::scheduler {

class BroadcastClock;

// Runs "自动播出" as the clock and start-up do: enables it, runs it and disables it again.
void enterAutomaticOperation(model::Command& automaticOperation,
                             playback::BroadcastSession& session);
// The one place the mode is written: "自动播出" is offered exactly in manual operation.
void setMode(playback::BroadcastSession& session, model::Command& automaticOperation,
             playback::OperatingMode mode);

// The main window's controls that the mode switch, the forced weekday and the week setting use.
struct ModeControls {
    model::Command& manualOperation;               // 手动操作
    model::Command& automaticOperation;            // 自动播出
    std::array<model::Command*, 8> forcedWeekday;  // forcedAutomatic (自动) .. forcedSunday
    model::Action& weekSetting;                    // 周设置
    model::Command& weekSettingTool;               // whether the week setting is offered
    TableView table;
    model::TextLine& statusLine;
    model::TextLine& hintLine;
    model::RadioGroup& weekSelector;
    model::ListBox& libraryList;
    model::Timer& ticker;  // the station's beat, which ticks the broadcast clock
    model::Timer& stopDayTimer;
};

// The main window's state they read and set.
struct ModeState {
    store::SystemConfig& config;
    playback::BroadcastSession& session;
    int& automaticDate;
    int& gridHeight;
};

struct ModeServices {
    platform::Host& host;
    const platform::Clock& clock;
    // Writes the configuration, telling the operator when that fails.
    std::function<bool()> saveConfiguration;
    // Lists the media library's files again.
    std::function<void()> refreshLibraryList;
    // Switches the commands that follow the mode: true on entering manual operation.
    std::function<void(bool manual)> modeChanged;
    // Says in the status line when the media library folder cannot be used.
    std::function<void()> checkLibrary = {};
};

// Manual and automatic operation, the forced weekday and the week setting.
class OperatingModes {
public:
    static constexpr int kBevelTop = 344;

    OperatingModes(ModeControls controls, ModeState state, ModeServices services,
                   editing::GridEditor& editor);

    void enterManual();
    void enterAutomatic();
    void forceWeekday(int number);
    void openWeekSetting();
    void pickWeekday();  // a weekday picked in the week selector
    // Ticks the forced-weekday item `number` (0 自动) and unticks the others.
    void tickForcedWeekday(int number);

    void setPlayer(playback::ItemPlayer* player) { m_player = player; }
    void setBroadcastClock(BroadcastClock* clock) { m_broadcastClock = clock; }

private:
    bool manual() const { return m_s.session.manual(); }
    void markWeekChoice();

    ModeControls m_c;
    ModeState m_s;
    ModeServices m_services;
    editing::GridEditor& m_editor;
    playback::ItemPlayer* m_player = nullptr;
    BroadcastClock* m_broadcastClock = nullptr;
    // The week selector's choice whose table is shown.
    int m_shownWeekChoice = -1;
    bool m_revertingWeekChoice = false;
};

}  // namespace orvessa::scheduler
