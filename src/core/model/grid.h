#pragma once

#include <string>

#include "core/model/control.h"
#include "core/store/schedule_table.h"

namespace orvessa::model {

// The schedule grid: the table in memory (the only copy of it), the selected cell and the
// view flags. Code that changes the table behind the grid's back (a load) calls tableChanged().
class Grid : public Control {
public:
    explicit Grid(std::string name) : Control(std::move(name)) {}

    store::ScheduleTable& table() { return m_table; }
    const store::ScheduleTable& table() const { return m_table; }
    const std::string& cell(int column, int row) const { return m_table.cell(column, row); }
    void setCell(int column, int row, std::string text);
    void tableChanged() { notify(); }

    int row() const { return m_row; }
    int col() const { return m_col; }
    // Moves the selection; `rowChosen` follows when the row changed.
    void select(int column, int row);
    // The operator clicked or moved onto a cell: `rowChosen` follows even for the same cell.
    void click(int column, int row);
    Signal<> rowChosen;
    // Asks the view to give the grid the keyboard focus.
    Signal<> focusRequested;

    // Cells can be edited (manual operation), and the selection covers whole rows (automatic).
    bool editable() const { return m_editable; }
    void setEditable(bool on);
    bool rowSelect() const { return m_rowSelect; }
    void setRowSelect(bool on);

    // A cell edited by the operator; the text is normalised through GBK first.
    void editCell(int column, int row, std::string_view typed);
    Signal<int, int> cellEdited;
    // A cell's text changed through setCell (typed, or filled by a dialog or a list); a load
    // changes the table behind the grid and says nothing.
    Signal<int, int> cellWritten;

private:
    store::ScheduleTable m_table;
    int m_row = 1;
    int m_col = 1;
    bool m_editable = false;
    bool m_rowSelect = false;
};

}  // namespace orvessa::model
