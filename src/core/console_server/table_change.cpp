#include "core/console_server/table_change.h"

#include <algorithm>

#include "core/editing/table_rules.h"
#include "core/store/school_calendar.h"
#include "core/store/table_file.h"
#include "core/text/numbers.h"
#include "core/text/time_text.h"

namespace orvessa::console {

using store::ScheduleRow;
using store::ScheduleTable;

namespace {

constexpr int kCells[] = {ScheduleRow::kStartTime, ScheduleRow::kLabel, ScheduleRow::kFile,
                          ScheduleRow::kStopTime, ScheduleRow::kVolume};

std::string* cellOf(TableRowText& row, int column) {
    switch (column) {
        case ScheduleRow::kStartTime:
            return &row.start;
        case ScheduleRow::kLabel:
            return &row.label;
        case ScheduleRow::kFile:
            return &row.file;
        case ScheduleRow::kStopTime:
            return &row.stop;
        default:
            return &row.volume;
    }
}

// Where a problem is, as the operator finds it in the grid.
std::string place(const ScheduleTable& table, int row, int column) {
    return "第" + text::decimalText(row) + "行“" + editing::columnName(table, column) + "”：";
}

// The message box's paragraphs on one line.
std::string oneLine(std::string message) {
    std::size_t at = 0;
    while ((at = message.find("\r\r", at)) != std::string::npos) {
        message.replace(at, 2, "");
    }
    return message;
}

bool blankTable(const ScheduleTable& t) {
    for (int r = 1; r < t.rowCount(); ++r) {
        for (int c = 1; c < t.columnCount(); ++c) {
            if (t.cell(c, r).find_first_not_of(' ') != std::string::npos) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

std::string tableVersionOf(const std::string& bytes) {
    // The calendar's hash: only tells one content from another.
    return store::calendarVersionOf(bytes);
}

TableRead readWeeklyTable(const std::filesystem::path& programDirectory, int table) {
    TableRead out;
    const store::ReadResult file =
        store::readWholeFile(programDirectory / store::scheduleFileName(table));
    out.status = file.status;
    if (file.status == store::ReadStatus::Missing) {
        out.version = std::string(1, '0');  // no file: the calendar's "0"
        return out;
    }
    if (file.status == store::ReadStatus::Failed) {
        out.error = file.error;
        return out;
    }
    out.version = tableVersionOf(file.bytes);
    // As a load reads it: each line to its first bytes, and no more rows than it takes.
    std::string content;
    for (const std::string_view line : store::splitLines(file.bytes)) {
        if (line.size() > store::kMaxTableLineBytes) {
            out.unread = true;
        }
        content.append(line.substr(0, store::kMaxTableLineBytes));
        content += '\n';
    }
    ScheduleTable t;
    t.setColumnCount(ScheduleTable::kScheduleColumns);
    if (store::readTableText(t, content)) {
        out.unread = true;
    }
    for (int r = 1; r < t.rowCount(); ++r) {
        TableRowText row;
        for (const int c : kCells) {
            *cellOf(row, c) = t.cell(c, r);
        }
        out.rows.push_back(std::move(row));
    }
    return out;
}

ScheduleTable tableOf(const std::vector<TableRowText>& rows) {
    ScheduleTable t;
    t.setColumnCount(ScheduleTable::kScheduleColumns);
    store::setScheduleHeaders(t);
    t.setRowCount(static_cast<int>(rows.size()) + 1);
    for (int r = 1; r < t.rowCount(); ++r) {
        TableRowText row = rows[static_cast<std::size_t>(r - 1)];
        t.setCell(ScheduleRow::kNumber, r, text::decimalText(r));
        for (const int c : kCells) {
            std::string cell = std::move(*cellOf(row, c));
            if (c == ScheduleRow::kStartTime || c == ScheduleRow::kStopTime) {
                // As the editor's save puts them, before it checks them.
                if (const auto tidy = text::tidyTimeCell(cell)) {
                    cell = *tidy;
                }
            }
            t.setCell(c, r, std::move(cell));
        }
    }
    return t;
}

std::string checkTable(const ScheduleTable& t) {
    if (t.rowCount() - 1 > store::kMaxLoadedRows) {
        return "作息时间表最多只能有" + text::decimalText(store::kMaxLoadedRows) + "行";
    }
    if (blankTable(t)) {
        return "请输入必要的数据然后保存！";
    }
    // The grid cannot hold these; in the file they would end a line or a cell early.
    for (int r = 1; r < t.rowCount(); ++r) {
        for (const int c : kCells) {
            const std::string& cell = t.cell(c, r);
            if (std::any_of(cell.begin(), cell.end(), [](char ch) {
                    return static_cast<unsigned char>(ch) < 0x20 && ch != '\r' && ch != '\n';
                })) {
                return place(t, r, c) + "含有控制字符";
            }
        }
    }
    if (const std::optional<editing::CellProblem> p = editing::firstCellProblem(t)) {
        return place(t, p->row, p->column) + oneLine(p->message);
    }
    return {};
}

ActionResult storeTable(const std::filesystem::path& programDirectory, const TableCommit& commit,
                        store::FileSync* sync) {
    if (commit.table < 1 || commit.table > 12) {
        return refused(404, "没有这个作息时间表（应为 1–12）", "no-table");
    }
    ScheduleTable table = tableOf(commit.rows);
    if (const std::string why = checkTable(table); !why.empty()) {
        return refused(422, why, "bad-table");
    }
    const std::string name = store::scheduleFileName(commit.table);
    const TableRead now = readWeeklyTable(programDirectory, commit.table);
    if (now.status == store::ReadStatus::Failed) {
        return refused(409, name + " 无法读取：" + now.error, "unreadable");
    }
    if (now.version != commit.version) {
        return refused(409, name + " 已被修改，请重新读取后再保存", "changed");
    }
    if (now.unread && !commit.dropUnread) {
        return refused(409,
                       name + " 中有超过" + text::decimalText(store::kMaxLoadedRows) +
                           "行或超长的行，保存后超出的部分将被删除；确实要保存请加上 "
                           "\"dropUnread\": true",
                       "unread");
    }
    const store::WriteResult written = store::writeTableFile(table, programDirectory, name, sync);
    if (!written) {
        return refused(409, name + " 未能存盘：" + written.error, "write-failed");
    }
    ActionResult r;
    r.table = name;
    // The table was renumbered as it was written: formatting it again gives the same bytes.
    r.version = tableVersionOf(store::renumberAndFormat(table));
    return r;
}

}  // namespace orvessa::console
