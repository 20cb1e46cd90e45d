#include "core/store/table_file.h"

#include "core/text/date_text.h"
#include "core/text/gbk.h"
#include "core/text/numbers.h"
#include "core/text/paths.h"

namespace orvessa::store {
namespace {

constexpr int kWidthsOfFirstColumns[] = {30, 60, 60, 240};
constexpr int kWidthsOfTimeAndVolume[] = {60, 30};

bool endsTable(std::string_view line) {
    return line.empty() || line == ",,,," || line == ",,,,,,";
}

bool isHolidayFile(std::string_view name) {
    return name == kHolidayFileName;
}

// The N of "zxsjN.log", or 0 when the name has another form.
int scheduleNumberOf(std::string_view name) {
    constexpr std::string_view kPrefix = "zxsj";
    constexpr std::string_view kSuffix = ".log";
    if (name.size() <= kPrefix.size() + kSuffix.size() || !name.starts_with(kPrefix) ||
        !name.ends_with(kSuffix)) {
        return 0;
    }
    const std::string_view digits =
        name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
    if (digits.front() == '0' || digits.front() == '+' || digits.front() == '-') {
        return 0;
    }
    return text::toIntOr(digits, 0);
}

}  // namespace

std::string scheduleFileName(int n) {
    return "zxsj" + text::decimalText(n) + ".log";
}

void setScheduleHeaders(ScheduleTable& table, int fileHeaderBlanks) {
    table.setCell(0, 0, "序号");
    table.setCell(1, 0, "开播时间");
    table.setCell(2, 0, "  项 目");
    table.setCell(3, 0,
                  std::string(static_cast<std::size_t>(fileHeaderBlanks), ' ') + "目 录 或 文 件");
    table.setCell(4, 0, "停播时间");
    table.setCell(5, 0, "音量");
}

std::string missingTableMessage(std::string_view tableFileName) {
    const int n = scheduleNumberOf(tableFileName);
    if (n >= 1 && n <= 7) {
        return "  ☆ 星期" + text::weekdayCharacter(n) + "作息时间表尚未创建！";
    }
    if (n >= 8 && n <= 12) {
        static const char* const kTemplateNumbers[] = {"一", "二", "三", "四", "五"};
        return std::string("  ☆ 模板") + kTemplateNumbers[n - 8] + "作息时间表尚未创建！";
    }
    return "  ☆ 作息时间表尚未创建！";
}

namespace {

// Fills the data rows from the lines of a file (GBK, without line ends); `more` says whether
// the file goes on after them. Returns whether rows were left unread.
template <typename Lines>
bool fillRows(ScheduleTable& table, const Lines& lines, bool more) {
    const int columns = table.columnCount();
    table.setRowCount(kMaxLoadedRows + 1);
    for (int r = 1; r <= kMaxLoadedRows; ++r) {
        const std::size_t index = static_cast<std::size_t>(r - 1);
        if (index >= lines.size()) {
            table.setRowCount(r);
            return more;
        }
        const std::string line = text::gbkToUtf8(lines[index]);
        if (endsTable(line)) {
            table.setRowCount(r);
            return false;
        }
        std::string_view rest = line;
        for (int c = 0; c < columns; ++c) {
            const std::size_t comma = rest.find(',');
            if (comma == std::string_view::npos) {
                // No field left: this and every later cell of the row stay empty.
                table.setCell(c, r, std::string());
                continue;
            }
            table.setCell(c, r, std::string(rest.substr(0, comma)));
            rest.remove_prefix(comma + 1);
        }
    }
    const std::size_t next = kMaxLoadedRows;
    if (next < lines.size()) {
        return !endsTable(text::gbkToUtf8(lines[next]));
    }
    return more;
}

}  // namespace

bool readTableText(ScheduleTable& table, std::string_view gbkContent) {
    const std::vector<std::string_view> lines = splitLines(gbkContent);
    return fillRows(table, lines, false);
}

TableLoadResult loadTableFile(ScheduleTable& table, const std::filesystem::path& programDirectory,
                              std::string_view tableFileName) {
    TableLoadResult result;
    const bool holiday = isHolidayFile(tableFileName);
    // One line beyond the rows a load takes tells whether the file holds more.
    const LinesResult read = readLines(
        programDirectory / text::fsPath(tableFileName),
        {kMaxLoadedRows + 1, kMaxTableLineBytes, (kMaxLoadedRows + 1) * (kMaxTableLineBytes + 2)});

    if (read.status == ReadStatus::Missing) {
        table.setColumnCount(holiday ? ScheduleTable::kHolidayColumns
                                     : ScheduleTable::kScheduleColumns);
        if (!holiday) {
            result.missingMessage = missingTableMessage(tableFileName);
        }
        table.setRowCount(kMissingTableRows);
        table.clearDataRows();
        result.outcome = TableLoadResult::Outcome::Missing;
        return result;
    }

    if (holiday) {
        table.setColumnCount(ScheduleTable::kHolidayColumns);
    } else {
        table.setColumnCount(ScheduleTable::kScheduleColumns);
        table.setColumnWidth(4, kWidthsOfTimeAndVolume[0]);
        table.setColumnWidth(5, kWidthsOfTimeAndVolume[1]);
    }
    for (int c = 0; c < 4; ++c) {
        table.setColumnWidth(c, kWidthsOfFirstColumns[c]);
    }

    if (read.status == ReadStatus::Failed) {
        // Leave no rows of the previous table behind: a save now must not write them under
        // this table's name.
        table.setRowCount(1);
        result.outcome = TableLoadResult::Outcome::Failed;
        result.error = read.error;
        return result;
    }

    result.truncated = fillRows(table, read.lines, read.moreLines);
    if (holiday && table.rowCount() == 1) {
        // An emptied list opens as a new one does, with rows to type into.
        table.setRowCount(kMissingTableRows);
        table.clearDataRows();
    }
    result.cutLines = read.cutLines;
    result.outcome = TableLoadResult::Outcome::Loaded;
    return result;
}

std::size_t writtenLineBytes(const ScheduleTable& table, int row) {
    std::size_t bytes = text::decimalText(row).size() + 1;
    for (int c = 1; c < table.columnCount(); ++c) {
        bytes += text::gbkByteLength(table.cell(c, row)) + 1;
    }
    return bytes;
}

std::string renumberAndFormat(ScheduleTable& table) {
    std::string content;
    for (int r = 1; r < table.rowCount(); ++r) {
        table.setCell(0, r, text::decimalText(r));
        for (int c = 0; c < table.columnCount(); ++c) {
            content += table.cell(c, r);
            content += ',';
        }
        content += "\r\n";
    }
    return text::utf8ToGbk(content);
}

WriteResult writeTableFile(ScheduleTable& table, const std::filesystem::path& programDirectory,
                           std::string_view tableFileName, FileSync* sync) {
    const std::string content = renumberAndFormat(table);
    return writeFileAtomically(programDirectory / text::fsPath(tableFileName), content,
                               Visibility::Shared, sync);
}

}  // namespace orvessa::store
