#pragma once

#include <functional>
#include <string>

#include "core/model/choice_controls.h"
#include "core/model/command.h"
#include "core/model/grid.h"
#include "core/platform/host.h"
#include "core/playback/playback_state.h"
#include "core/store/system_config.h"

namespace orvessa::editing {

// What the library's change asks of the rest of the system.
struct LibraryActions {
    // Asks the operator password; returns whether the operator has entered.
    std::function<bool()> askPassword;
    // The main window's activation, which asks for a library when there is none.
    std::function<void()> activate;
    std::function<bool()> saveConfiguration;
    // The library folder as the files are reached.
    std::function<std::string()> libraryDirectory;
};

// The media library: its folder, changed only with the password, and the list of its files
// beside the grid, which fills the current row with a double click.
class MediaLibrary {
public:
    MediaLibrary(model::ListBox& ListBox2, model::Grid& grid, model::Command& dir1,
                 store::SystemConfig& config, bool& unlocked, playback::PlaybackState& playback,
                 platform::Host& host, LibraryActions actions);

    void dir1Click();  // 我的影音库: change the library
    void ListBox2DblClick();
    // The library folder's files, as they are listed: no folders, nothing hidden.
    void refresh();

private:
    model::ListBox& m_list;
    model::Grid& m_grid;
    store::SystemConfig& m_config;
    bool& m_unlocked;
    playback::PlaybackState& m_playback;
    platform::Host& m_host;
    LibraryActions m_actions;
};

}  // namespace orvessa::editing
