#include "core/store/schedule_table.h"

#include <algorithm>

#include "core/text/time_text.h"

namespace orvessa::store {

ScheduleRow ScheduleRow::read(const ScheduleTable& table, int row) {
    return {text::normaliseTime(table.cell(kStartTime, row)), table.cell(kLabel, row),
            table.cell(kFile, row), text::normaliseTime(table.cell(kStopTime, row)),
            table.cell(kVolume, row)};
}

bool ScheduleRow::hasItem() const {
    return !text::trimText(file).empty();
}

bool ScheduleRow::badTime() const {
    return (!start.empty() && !text::isClockTime(start)) ||
           (!stop.empty() && !text::isClockTime(stop));
}
namespace {

const std::string kEmpty;

}  // namespace

ScheduleTable::ScheduleTable()
    : m_columnCount(kScheduleColumns),
      m_rows(2, std::vector<std::string>(kScheduleColumns)),
      m_columnWidths(kScheduleColumns, kDefaultColumnWidth) {}

void ScheduleTable::setRowCount(int rows) {
    m_rows.resize(static_cast<std::size_t>(std::max(rows, 1)),
                  std::vector<std::string>(static_cast<std::size_t>(m_columnCount)));
}

void ScheduleTable::setColumnCount(int columns) {
    m_columnCount = std::max(columns, 1);
    for (auto& row : m_rows) {
        row.resize(static_cast<std::size_t>(m_columnCount));
    }
    m_columnWidths.resize(static_cast<std::size_t>(m_columnCount), kDefaultColumnWidth);
}

const std::string& ScheduleTable::cell(int column, int row) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= m_columnCount) {
        return kEmpty;
    }
    return m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void ScheduleTable::setCell(int column, int row, std::string text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= m_columnCount) {
        return;
    }
    m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = std::move(text);
}

int ScheduleTable::columnWidth(int column) const {
    if (column < 0 || column >= m_columnCount) {
        return 0;
    }
    return m_columnWidths[static_cast<std::size_t>(column)];
}

void ScheduleTable::setColumnWidth(int column, int width) {
    if (column >= 0 && column < m_columnCount) {
        m_columnWidths[static_cast<std::size_t>(column)] = width;
    }
}

void ScheduleTable::clearDataRows() {
    for (std::size_t r = 1; r < m_rows.size(); ++r) {
        std::fill(m_rows[r].begin(), m_rows[r].end(), std::string());
    }
}

}  // namespace orvessa::store
