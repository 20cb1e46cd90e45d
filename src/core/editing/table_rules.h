#pragma once

#include <optional>
#include <string>

#include "core/store/schedule_table.h"

namespace orvessa::editing {

// A cell a save refuses: where it is (row 1 is the first data row) and why, as the operator
// reads it in the message box.
struct CellProblem {
    int column = 0;
    int row = 0;
    std::string message;
};

// The first cell of `table` that a save refuses, column by column from the left and each from
// row 1 down, then the first row too long for a load to read back whole; none when the table
// may be written. Time cells are judged as they stand: the editor tidies them first.
std::optional<CellProblem> firstCellProblem(const store::ScheduleTable& table);

// A column as the operator knows it: its header, or its number when the header is blank.
std::string columnName(const store::ScheduleTable& table, int column);

}  // namespace orvessa::editing
