#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/model/choice_controls.h"
#include "core/model/command.h"
#include "core/model/control.h"
#include "core/model/grid.h"
#include "core/model/timer.h"
#include "core/platform/clock.h"
#include "core/platform/host.h"
#include "core/playback/playback_state.h"
#include "core/store/system_config.h"

namespace orvessa::editing {

class GridEditor;

// The main window's controls that the holiday panel shows, hides and switches.
struct HolidayControls {
    model::Grid& grid;
    model::TextControl& holidaySettingsTitle;  // "节假日停播设置"
    model::TextControl& holidayListTitle;      // "节假日停播列表"
    model::TextControl& stopWeekdayGroup;      // the weekday group
    std::array<model::Command*, 8> stopBoxes;  // stopMondayBox..stopSundayBox, broadcastAllBox
    model::Command& holidaysItem;              // 节 假 日
    model::Command& holidayOkButton;           // 确 定
    // Switches the commands that the panel holds back while it is open.
    std::function<void(bool open)> panelChanged;
    model::ListBox& libraryList;      // the media library list
    model::RadioGroup& weekSelector;  // the week selector
    model::Timer& ticker;             // the station's beat, which ticks the broadcast clock
};

struct HolidayState {
    store::SystemConfig& config;
    std::string& tableFileName;
    playback::PlaybackState& playback;
    int& gridHeight;
};

// The holiday panel: the main window's grid turned into the holiday list, with the weekday stop
// boxes beside it, and one OK that stores everything and turns the window back.
class HolidayPanel {
public:
    // The weekday group's place in the main window; the grid is placed beside it.
    static constexpr model::Rect kGroup{20, 100, 112, 214};
    // The width of the now-playing box, which bounds the list on the right.
    static constexpr int kNowPlayingWidth = 521;

    HolidayPanel(HolidayControls controls, HolidayState state, const platform::Clock& clock,
                 platform::Host& host, std::function<bool()> saveConfiguration, GridEditor& editor);

    void openPanel();
    // OK: stores the list and the boxes, and closes the panel.
    void accept();
    bool open() const { return m_open; }

private:
    void showPanel(bool on);
    // Whether every row of the list names days the stop-day decision reads as written; tells
    // the operator of the first that does not, with its cell selected.
    bool checkDays();

    HolidayControls m_c;
    HolidayState m_s;
    const platform::Clock& m_clock;
    platform::Host& m_host;
    std::function<bool()> m_saveConfiguration;
    GridEditor& m_editor;
    bool m_open = false;
};

}  // namespace orvessa::editing
