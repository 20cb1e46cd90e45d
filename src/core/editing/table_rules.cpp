#include "core/editing/table_rules.h"

#include "core/store/table_file.h"
#include "core/text/gbk.h"
#include "core/text/numbers.h"
#include "core/text/time_text.h"

namespace orvessa::editing {

using store::ScheduleTable;

namespace {

// The table file separates cells with commas and rows with line ends; a cell holding either
// would come back split.
bool fitsTheFile(const std::string& cell) {
    return cell.find_first_of(",\r\n") == std::string::npos;
}

int longestCell(const ScheduleTable& t, int row) {
    int longest = 0;
    for (int c = 1; c < t.columnCount(); ++c) {
        if (t.cell(c, row).size() > t.cell(longest, row).size()) {
            longest = c;
        }
    }
    return longest;
}

}  // namespace

std::string columnName(const ScheduleTable& t, int column) {
    const std::string header = text::trimText(t.cell(column, 0));
    return header.empty() ? "第" + text::decimalText(column + 1) + "列" : header;
}

std::optional<CellProblem> firstCellProblem(const ScheduleTable& t) {
    for (int c = 0; c < t.columnCount(); ++c) {
        for (int r = 1; r < t.rowCount(); ++r) {
            const std::string& cell = t.cell(c, r);
            const bool timeColumn =
                t.columnCount() == ScheduleTable::kScheduleColumns &&
                (c == store::ScheduleRow::kStartTime || c == store::ScheduleRow::kStopTime);
            // A time the clock never reaches would hold off every later row of the day.
            if (timeColumn && !cell.empty() && !text::isClockTime(cell)) {
                return CellProblem{c, r, "时间格式错误！\r\r应为8位英文半角符号（hh:mm:ss）！"};
            }
            if (!fitsTheFile(cell)) {
                return CellProblem{
                    c, r,
                    "第" + text::decimalText(r) + "行的内容含有逗号或换行！\r\r" +
                        "作息时间表文件用逗号分隔各列，请删除或改用全角逗号（，）。"};
            }
            if (!text::gbkCanHold(cell)) {
                return CellProblem{c, r,
                                   "第" + text::decimalText(r) + "行“" + columnName(t, c) +
                                       "”中有作息时间表文件无法保存的字符，保存后将变成“?”！\r\r" +
                                       "请修改该单元格；文件名中有这种字符时，请先给文件改名。"};
            }
        }
    }
    // A load reads no more of a line than this: a longer row would come back cut.
    for (int r = 1; r < t.rowCount(); ++r) {
        const std::size_t bytes = store::writtenLineBytes(t, r);
        if (bytes > store::kMaxTableLineBytes) {
            return CellProblem{
                longestCell(t, r), r,
                "第" + text::decimalText(r) + "行的内容太长（" +
                    text::decimalText(static_cast<int64_t>(bytes)) +
                    "字节）！\r\r作息时间表文件每行最多" +
                    text::decimalText(static_cast<int64_t>(store::kMaxTableLineBytes)) +
                    "字节，超出的部分载入时将丢失，请缩短该行的内容。"};
        }
    }
    return std::nullopt;
}

}  // namespace orvessa::editing
