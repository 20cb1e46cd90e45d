#pragma once

#include <string>
#include <vector>

namespace orvessa::store {

// One day's timetable (or a template, or the holiday list) as the main grid holds it: row 0 is
// the header, data rows are 1..N, every cell is text. Column widths and the row height are kept
// here as data for the view.
class ScheduleTable {
public:
    static constexpr int kScheduleColumns = 6;
    static constexpr int kHolidayColumns = 4;
    static constexpr int kDefaultColumnWidth = 64;
    static constexpr int kRowHeight = 18;

    ScheduleTable();

    // Number of rows, the header row included.
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    // Rows past the new count are dropped; new rows are empty. At least the header row remains.
    void setRowCount(int rows);

    int columnCount() const { return m_columnCount; }
    // Columns past the new count are dropped; new columns are empty.
    void setColumnCount(int columns);

    // Empty text for a cell outside the table.
    const std::string& cell(int column, int row) const;
    // Ignored outside the table.
    void setCell(int column, int row, std::string text);

    int columnWidth(int column) const;
    void setColumnWidth(int column, int width);
    int rowHeight() const { return m_rowHeight; }

    // Every data cell empty, header untouched.
    void clearDataRows();

private:
    int m_columnCount;
    int m_rowHeight = kRowHeight;
    std::vector<std::vector<std::string>> m_rows;
    std::vector<int> m_columnWidths;
};

// A row of a day's table by its cells, as the clock, the player and the record read it.
struct ScheduleRow {
    // Where the cells sit in the grid and in the table file.
    static constexpr int kNumber = 0;
    static constexpr int kStartTime = 1;
    static constexpr int kLabel = 2;
    static constexpr int kFile = 3;
    static constexpr int kStopTime = 4;
    static constexpr int kVolume = 5;

    std::string start;   // the start time as the clock compares it; empty for none
    std::string label;   // as written
    std::string file;    // the file, folder or address as written
    std::string stop;    // the stop time as the clock compares it; empty for none
    std::string volume;  // as written

    // Row `row` of `table`; a row outside the table has only empty cells.
    static ScheduleRow read(const ScheduleTable& table, int row);
    // Whether the row names something to play.
    bool hasItem() const;
    // Whether a time cell holds a text that no clock reading equals, so the row can never be
    // started or stopped by the clock.
    bool badTime() const;
};

}  // namespace orvessa::store
