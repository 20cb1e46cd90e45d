#include "core/model/grid.h"

#include "core/text/gbk.h"

namespace orvessa::model {

void Grid::setCell(int column, int row, std::string text) {
    if (m_table.cell(column, row) != text) {
        m_table.setCell(column, row, std::move(text));
        notify();
        cellWritten.send(column, row);
    }
}

void Grid::select(int column, int row) {
    const bool rowChanged = m_row != row;
    if (m_col != column || rowChanged) {
        m_col = column;
        m_row = row;
        notify();
    }
    if (rowChanged) {
        rowChosen.send();
    }
}

void Grid::click(int column, int row) {
    const bool rowChanged = m_row != row;
    select(column, row);
    if (!rowChanged) {
        rowChosen.send();
    }
}

void Grid::setEditable(bool on) {
    if (m_editable != on) {
        m_editable = on;
        notify();
    }
}

void Grid::setRowSelect(bool on) {
    if (m_rowSelect != on) {
        m_rowSelect = on;
        notify();
    }
}

void Grid::editCell(int column, int row, std::string_view typed) {
    if (!m_editable || row < 1 || row >= m_table.rowCount()) {
        return;
    }
    setCell(column, row, text::normaliseGbk(typed));
    cellEdited.send(column, row);
}

}  // namespace orvessa::model
