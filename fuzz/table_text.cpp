// A table file (zxsj1.log .. zxsj12.log, zxsj0.gxr) as the load reads it. A table read and
// written back unedited must read back the same, cell for cell.

#include "core/store/table_file.h"
#include "core/text/gbk.h"
#include "fuzz_input.h"

using namespace orvessa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const bool holiday = (input.takeByte() & 1) != 0;
    store::ScheduleTable table;
    table.setColumnCount(holiday ? store::ScheduleTable::kHolidayColumns
                                 : store::ScheduleTable::kScheduleColumns);
    store::setScheduleHeaders(table);
    store::readTableText(table, input.rest());

    const std::string written = store::renumberAndFormat(table);
    store::ScheduleTable back;
    back.setColumnCount(table.columnCount());
    store::readTableText(back, written);
    if (back.rowCount() != table.rowCount()) {
        fuzz::broken("rows lost in a round trip");
    }
    for (int r = 1; r < table.rowCount(); ++r) {
        for (int c = 0; c < table.columnCount(); ++c) {
            if (back.cell(c, r) != table.cell(c, r)) {
                fuzz::broken("a cell changed in a round trip");
            }
        }
    }
    return 0;
}
