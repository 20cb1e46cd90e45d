#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/model/action.h"
#include "core/model/command.h"
#include "core/model/control.h"
#include "core/model/grid.h"
#include "core/platform/clock.h"
#include "core/platform/failure_record.h"
#include "core/platform/host.h"
#include "core/playback/broadcast_session.h"
#include "core/store/system_config.h"

namespace orvessa::editing {

// The main window's controls that the editor reads and sets, and the actions it does.
struct EditorControls {
    model::Grid& grid;
    model::TextLine& hintLine;  // the load's red notices
    model::Action& save;
    model::Action& addRow;
    model::Action& insertRow;
    model::Action& deleteRow;
    model::Action& moveUp;
    model::Action& moveDown;
    // The presentations whose states follow the table and the selection.
    model::Command& saveButton;
    model::Command& deleteRowButton;
    model::Command& deleteRowItem;
    model::Command& moveUpButton;
    model::Command& moveUpItem;
    model::Command& moveDownButton;
    model::Command& moveDownItem;
};

struct EditorServices {
    platform::Host& host;
    const platform::Clock& clock;
    const store::SystemConfig& config;
    std::filesystem::path programDirectory;
    // Where failed loads and saves are kept; none in tests.
    platform::FailureRecord* failures = nullptr;
    // What a date is for; without it, the configuration's week alone decides (no calendar).
    std::function<store::DayPlan(const platform::LocalDateTime&)> planDay = {};
    // What the files it writes are flushed through; none in tests (file_io.h).
    store::FileSync* fileSync = nullptr;
};

// The schedule grid as the table editor: loading and saving the table file, the selection step,
// and the row commands. The grid is the only copy of the table in memory.
class GridEditor {
public:
    // The session's table name, its weekday (recomputed by a load while the name follows the
    // weekday) and the current row are the editor's to set.
    GridEditor(EditorControls controls, playback::BroadcastSession& session,
               EditorServices services);

    // Replaces the grid's content by the table in tableFileName (today's table while autoNaming).
    void load();
    // What today is for: the table a load while autoNaming takes.
    store::DayPlan todaysPlan() const;
    // After each load, once the grid holds the new table and the load's notices are shown.
    model::Signal<> loaded;
    // The grid's table was written to its file.
    model::Signal<> saved;
    // The same, when the operator's save action wrote it (after `saved`).
    model::Signal<> savedByOperator;
    // While on (start-up, before the clock runs, with nobody there to answer), a table that
    // cannot be read is told in the status line and the failure record only, without its box.
    void setUnattended(bool on) { m_unattended = on; }
    // The Save command: checks the cells, then writes the table to tableFileName. Returns whether
    // the table was written.
    bool save();
    // Before a load that would replace a grid the operator has changed: asks whether to save it.
    // Returns whether the load may go on: false when the operator said Yes and the save was
    // refused or failed, so that the edit stays in the grid.
    bool offerToSave();
    // Whether the grid differs from what was last loaded or saved.
    bool modified() const;
    // Unsaved changes as the system keeps them: Save is enabled.
    bool unsaved() const { return m_session.unsaved; }
    // The one writer of the session's unsaved flag; the save button is offered exactly then.
    void setUnsaved(bool on) {
        m_session.unsaved = on;
        m_c.saveButton.setEnabled(on);
    }
    // Whether every data cell is empty or blank.
    bool allEmpty() const;
    // Save for a list that may be emptied on purpose (the holiday list): a list without any
    // content is written as an empty file instead of being refused.
    bool saveAllowingEmpty();

    // Moves the selection to `row` (the selection step runs if the row changes).
    void selectRow(int row);
    // The selection step: after every click and every change of the selected row.
    void selectionStep();

    void add();
    void insert();
    void remove();
    void moveUp();
    void moveDown();
    // Move up and down by the selected row, in manual operation.
    void setMoveButtons();

    // The options dialog's volume slider, which follows the selected row's volume; set once the
    // dialog exists.
    void setVolumeFollower(std::function<void(int)> follow) { m_followVolume = std::move(follow); }

private:
    bool manual() const { return m_session.manual(); }
    void setDelete(bool on);
    void setUp(bool on);
    void setDown(bool on);
    void swapRows(int a, int b);
    void remember();
    // Puts the time cells the clock can read into its form.
    void tidyTimeCells();
    // Selects the cell, shows the problem as an input error, and returns false.
    bool refuseCell(int column, int row, const std::string& problem);
    bool checkCells();
    // Whether the table may grow by a row; says why not.
    bool roomForARow();
    bool writeTable();

    EditorControls m_c;
    playback::BroadcastSession& m_session;
    EditorServices m_services;
    std::function<void(int)> m_followVolume;
    // The table as last loaded or saved, to tell an edit from a mere click.
    std::vector<std::vector<std::string>> m_stored;
    // The file last loaded held more than the grid took (rows beyond the last, or the ends of
    // overlong lines), and the question to ask before a save writes it without them.
    std::string m_truncatedFile;
    std::string m_truncatedQuestion;
    bool m_unattended = false;
};

}  // namespace orvessa::editing
