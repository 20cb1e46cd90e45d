#pragma once

#include <functional>

namespace orvessa::scheduler {

// Where the station's table is shown and edited, as the modes and the start-up change it: the
// desktop's grid, where the operator edits. Every member may be empty, as in a station without
// a window.
struct TableView {
    // Manual operation edits cells; automatic operation shows the table read-only.
    std::function<void(bool editable)> setEditable;
    // Whole rows are selected, as the clock moves down the table.
    std::function<void(bool rows)> setRowSelect;
    // The row the clock or the mode has come to.
    std::function<void(int row)> showRow;
    // The table's headings are written into the draft, as a start-up does.
    std::function<void()> setHeadings;
    // The table, or the room it is shown in, changed.
    std::function<void()> refresh;

    void editable(bool on) const {
        if (setEditable) {
            setEditable(on);
        }
    }
    void rowSelect(bool on) const {
        if (setRowSelect) {
            setRowSelect(on);
        }
    }
    void show(int row) const {
        if (showRow) {
            showRow(row);
        }
    }
    void headings() const {
        if (setHeadings) {
            setHeadings();
        }
    }
    void changed() const {
        if (refresh) {
            refresh();
        }
    }
};

}  // namespace orvessa::scheduler
