#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/console/system_actions.h"
#include "core/store/file_io.h"
#include "core/store/schedule_table.h"

namespace orvessa::console {

// A weekly table as a load reads it, for the console.
struct TableRead {
    store::ReadStatus status = store::ReadStatus::Missing;
    std::string error;    // when Failed
    std::string version;  // a hash of the file's bytes; "0" when there is no file
    std::vector<TableRowText> rows;
    // The file holds more than a load reads (rows past the last, or the ends of overlong lines):
    // a commit over it loses that part.
    bool unread = false;
};

// Reads zxsj`table`.log of the program directory from one reading of its bytes, so the rows
// and the version always belong together.
TableRead readWeeklyTable(const std::filesystem::path& programDirectory, int table);

// The version of a table file's content.
std::string tableVersionOf(const std::string& bytes);

// The table the rows make, headed as the window heads it, with its time cells tidied as the
// editor's save tidies them.
store::ScheduleTable tableOf(const std::vector<TableRowText>& rows);

// Why `table` may not be written, naming the row and the column, as the operator reads it;
// empty when it may. The editor's save rules, and no control characters.
std::string checkTable(const store::ScheduleTable& table);

// Writes the commit's table atomically, unless the file is no longer at `commit.version`, the
// rows break a rule, or the file holds more than a load reads and that was not agreed to. The
// result's version is the written file's.
ActionResult storeTable(const std::filesystem::path& programDirectory, const TableCommit& commit,
                        store::FileSync* sync);

}  // namespace orvessa::console
