#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/store/file_io.h"
#include "core/store/schedule_table.h"

namespace orvessa::store {

// The holiday list: a table file of four columns.
inline constexpr const char* kHolidayFileName = "zxsj0.gxr";
// Rows a load reads at most; the grid then holds one more, the header.
inline constexpr int kMaxLoadedRows = 998;
// Bytes of one line a load keeps; no row the editor writes comes near it, so a longer line is
// damage, and a file of one endless line costs no more than this.
inline constexpr std::size_t kMaxTableLineBytes = 16 * 1024;
// Rows of the empty table made for a missing file, header included.
inline constexpr int kMissingTableRows = 20;

// "zxsj" + n + ".log": 1..7 the weekday tables, 8..12 the templates.
std::string scheduleFileName(int n);

// The header texts of row 0; `fileHeaderBlanks` is 13 normally and 15 after the holiday panel.
void setScheduleHeaders(ScheduleTable& table, int fileHeaderBlanks = 13);

struct TableLoadResult {
    enum class Outcome {
        Loaded,   // the file was read into the grid
        Missing,  // no such file: the grid holds an empty table of 19 rows
        Failed,   // the file could not be read (`error` says why): the grid holds no data rows
    };
    Outcome outcome = Outcome::Loaded;
    // For a missing schedule file or template: the status line shown in red.
    std::string missingMessage;
    std::string error;
    // The file holds more rows than a load takes; only the first kMaxLoadedRows are in the grid.
    bool truncated = false;
    // Some line was longer than kMaxTableLineBytes: the grid holds its first bytes only.
    bool cutLines = false;

    // Whether the load ran to its end, so the broadcast clock's chaining state must be reset.
    bool completed() const { return outcome != Outcome::Failed; }
};

// The red status line for a missing table, "  ☆ 星期三作息时间表尚未创建！" for zxsj3.log.
// Templates are named by their number, "  ☆ 模板二作息时间表尚未创建！" for zxsj9.log.
std::string missingTableMessage(std::string_view tableFileName);

// Replaces the table's content by the file `tableFileName` in `programDirectory`.
TableLoadResult loadTableFile(ScheduleTable& table, const std::filesystem::path& programDirectory,
                              std::string_view tableFileName);

// Fills the data rows from file content (GBK), setting the row count; the header row is kept.
// Returns whether rows beyond the first kMaxLoadedRows were left unread.
bool readTableText(ScheduleTable& table, std::string_view gbkContent);

// Bytes of the line a write makes of data row `row` (GBK, numbered `row`), without its line end.
// A load reads a line whole only up to kMaxTableLineBytes.
std::size_t writtenLineBytes(const ScheduleTable& table, int row);

// Renumbers the data rows 1..N and returns them as file content (GBK, CR LF).
std::string renumberAndFormat(ScheduleTable& table);

// Renumbers the data rows and writes the table as `tableFileName` in `programDirectory`.
WriteResult writeTableFile(ScheduleTable& table, const std::filesystem::path& programDirectory,
                           std::string_view tableFileName, FileSync* sync = nullptr);

}  // namespace orvessa::store
