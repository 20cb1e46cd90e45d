#pragma once

#include <functional>
#include <string>

#include "core/model/choice_controls.h"
#include "core/model/command.h"
#include "core/model/control.h"
#include "core/model/grid.h"
#include "core/platform/failure_record.h"
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
    MediaLibrary(model::ListBox& libraryList, model::Grid& grid, model::Command& mediaLibraryItem,
                 store::SystemConfig& config, bool& unlocked, playback::PlaybackState& playback,
                 platform::Host& host, LibraryActions actions);

    void changeLibrary();  // 我的影音库
    // A double click on a library entry: it becomes the current row's file.
    void takeEntry();
    // The library folder's files, as they are listed: no folders, nothing hidden.
    void refresh();
    // Whether the library folder can be listed. When it cannot (a file in its place, a folder
    // deleted or never made), every bare file name of the tables will be missing, so the reason
    // goes to `hintLine` in red (after a warning the line already shows) and to `failures`.
    // Nothing is said while no library has been chosen: the first start asks for one.
    bool checkFolder(model::TextLine& hintLine, platform::FailureRecord* failures) const;

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
