#include "core/editing/table_exchange.h"

#include "core/editing/exchange_chooser.h"
#include "core/editing/grid_editor.h"
#include "core/store/file_io.h"
#include "core/store/table_file.h"
#include "core/text/gbk.h"
#include "core/text/numbers.h"
#include "core/text/paths.h"

namespace orvessa::editing {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

namespace {

std::filesystem::path storedPath(const std::filesystem::path& directory, int index) {
    return directory / store::scheduleFileName(index + 1);
}

// Bytes that are not GBK text (undecodable, or control characters) which a table written
// elsewhere may hold in an odd cell; more than these and the file is no text of the system.
constexpr int kMaxStrayBytes = 16;

int strayBytesIn(std::string_view line) {
    int stray = 0;
    for (const char c : line) {
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r') || c == 0x7F) {
            ++stray;
        }
    }
    // Undecodable bytes come back as U+DC00..U+DCFF, whose UTF-8 form starts ED B0..ED B3.
    const std::string decoded = text::gbkToUtf8(line);
    for (std::size_t i = 0; i + 1 < decoded.size(); ++i) {
        const auto lead = static_cast<unsigned char>(decoded[i]);
        const auto next = static_cast<unsigned char>(decoded[i + 1]);
        if (lead == 0xED && next >= 0xB0 && next <= 0xB3) {
            ++stray;
        }
    }
    return stray;
}

// Why the content of a file chosen for import is no table, naming the line; empty when it reads
// as one: no NUL byte, GBK text but for a few stray bytes, no line longer than a load keeps, and
// every row a load takes (up to its end line, or the last row it reads) in the comma layout.
std::string notATable(std::string_view bytes) {
    if (bytes.find('\0') != std::string_view::npos) {
        return "含有二进制数据";
    }
    const std::vector<std::string_view> lines = store::splitLines(bytes);
    int stray = 0;
    bool loaded = true;  // the line is one of the rows a load takes
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const std::string where = "第" + text::decimalText(static_cast<int64_t>(i + 1)) + "行";
        if (line.size() > store::kMaxTableLineBytes) {
            return where + "超过" +
                   text::decimalText(static_cast<int64_t>(store::kMaxTableLineBytes)) + "字节";
        }
        stray += strayBytesIn(line);
        if (stray > kMaxStrayBytes) {
            return where + "含有不能识别的字节（不是GBK文本）";
        }
        if (!loaded) {
            continue;
        }
        if (line.empty() || line == ",,,," || line == ",,,,,,") {
            loaded = false;
        } else if (line.find(',') == std::string_view::npos) {
            return where + "不是以逗号分隔的表格行";
        } else if (i + 1 == static_cast<std::size_t>(store::kMaxLoadedRows)) {
            loaded = false;
        }
    }
    return {};
}

}  // namespace

TableExchange::TableExchange(ExchangeControls controls, std::string& tableFileName,
                             std::filesystem::path programDirectory, platform::Host& host,
                             GridEditor& editor, store::FileSync* fileSync)
    : m_c(controls),
      m_tableFileName(tableFileName),
      m_programDirectory(std::move(programDirectory)),
      m_host(host),
      m_fileSync(fileSync),
      m_editor(editor) {
    m_c.importTable.bind([this] { importTable(); });
    m_c.exportTable.bind([this] { exportTable(); });
    m_c.chooser.okButton.setHandler([this] { confirmChoice(); });
    m_c.chooser.diskFileButton.setHandler([this] { useDiskFile(); });
}

bool TableExchange::stored(int index) const {
    return store::fileExists(storedPath(m_programDirectory, index));
}

void TableExchange::importTable() {
    m_mode = Mode::Import;
    model::RadioGroup& choices = m_c.chooser.tableChoices;
    for (int k = 0; k < ExchangeChooser::kChoices; ++k) {
        choices.setItemEnabled(k, stored(k));
        choices.setItemColors(k, model::kBlack, model::RadioGroup::kNoBackground);
    }
    m_c.chooser.okButton.setCaption("导入(&O)");
    m_host.showModal(m_c.chooser);
}

void TableExchange::exportTable() {
    m_mode = Mode::Export;
    // What the chooser exports is the saved table: after a refused or failed save it would be
    // the old one, so the operator stays at the grid with the cell at fault selected.
    if (m_editor.unsaved() && !m_editor.save()) {
        return;
    }
    model::RadioGroup& choices = m_c.chooser.tableChoices;
    for (int k = 0; k < ExchangeChooser::kChoices; ++k) {
        choices.setItemEnabled(k, true);
        // Blue warns that the table there will be overwritten.
        choices.setItemColors(k, stored(k) ? kExisting : model::kBlack,
                              model::RadioGroup::kNoBackground);
    }
    m_c.chooser.okButton.setCaption("导出(&O)");
    m_host.showModal(m_c.chooser);
}

void TableExchange::confirmChoice() {
    const bool importing = m_mode == Mode::Import;
    const MessageAnswer answer = m_host.messageBox(
        std::string("真的要") + (importing ? "更改已有" : "导出") + "作息时间数据吗？", "系统信息",
        MessageIcon::Question, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes) {
        m_c.chooser.endModal(model::ModalResult::Closed);
        return;
    }
    const int k = m_c.chooser.tableChoices.itemIndex();
    const std::string chosen = store::scheduleFileName(k + 1);
    const std::string current = m_tableFileName;
    if (importing) {
        // The kept choice may name a table that is not there: nothing to import from it.
        if (k < 0 || !stored(k)) {
            m_host.messageBox("文件 " + chosen + " 不存在，没有导入任何数据！", "系统信息",
                              MessageIcon::Information, MessageButtons::Ok);
            m_c.chooser.endModal(model::ModalResult::Closed);
            return;
        }
        if (!m_editor.offerToSave() || !keepReplacedTable()) {
            m_c.chooser.endModal(model::ModalResult::Closed);
            return;
        }
        m_tableFileName = chosen;
        m_editor.load();
        m_tableFileName = current;
        m_editor.save();
    } else {
        m_tableFileName = chosen;
        m_editor.save();
        m_tableFileName = current;
    }
    m_c.chooser.endModal(model::ModalResult::Accepted);
}

void TableExchange::useDiskFile() {
    if (m_mode == Mode::Import) {
        importFromDisk();
    } else {
        exportToDisk();
    }
    m_c.chooser.endModal(model::ModalResult::Closed);
}

void TableExchange::importFromDisk() {
    const std::optional<std::string> file =
        m_host.openFileDialog("*.log", text::utf8Path(m_programDirectory));
    if (!file) {
        return;
    }
    // What is checked is what is written: the file is read once, before the question.
    std::string bytes;
    if (!readSource(text::fsPath(*file), bytes)) {
        return;
    }
    if (const std::string why = notATable(bytes); !why.empty()) {
        m_host.messageBox("文件 " + *file + " 不是作息时间表（" + why + "），没有导入任何数据！",
                          "错误信息", MessageIcon::Error, MessageButtons::Ok);
        return;
    }
    const MessageAnswer answer = m_host.messageBox("当前数据将被覆盖，继续吗？", "系统信息",
                                                   MessageIcon::Question, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes || !keepReplacedTable()) {
        return;
    }
    const store::WriteResult written =
        store::writeFileAtomically(m_programDirectory / text::fsPath(m_tableFileName), bytes,
                                   store::Visibility::Shared, m_fileSync);
    if (!written) {
        fail(written.error);
        return;
    }
    m_editor.load();
}

void TableExchange::exportToDisk() {
    const std::optional<std::string> file =
        m_host.saveFileDialog("*.log", text::utf8Path(m_programDirectory));
    if (!file) {
        return;
    }
    const std::filesystem::path target = text::fsPath(*file);
    if (store::fileExists(target)) {
        const MessageAnswer answer =
            m_host.messageBox("文件" + *file + "已存在，覆盖吗？", "系统信息",
                              MessageIcon::Question, MessageButtons::YesNo);
        if (answer != MessageAnswer::Yes) {
            return;
        }
    }
    // What is copied is the stored file, which export saved before the chooser opened.
    copyTable(m_programDirectory / text::fsPath(m_tableFileName), target);
}

bool TableExchange::readSource(const std::filesystem::path& from, std::string& bytes) {
    store::ReadResult read = store::readWholeFile(from);
    if (read.status == store::ReadStatus::Missing) {
        fail("文件 " + text::utf8Path(from) + " 不存在！");
        return false;
    }
    if (read.status == store::ReadStatus::Failed) {
        fail(read.error);
        return false;
    }
    bytes = std::move(read.bytes);
    return true;
}

bool TableExchange::keepReplacedTable() {
    const std::filesystem::path current = m_programDirectory / text::fsPath(m_tableFileName);
    const store::ReadResult read = store::readWholeFile(current);
    if (read.status == store::ReadStatus::Missing) {
        return true;  // nothing is replaced
    }
    const std::string backup = m_tableFileName + ".bak";
    store::WriteResult kept = store::WriteResult::failure(read.error);
    if (read.status == store::ReadStatus::Ok) {
        kept = store::writeFileAtomically(m_programDirectory / text::fsPath(backup), read.bytes,
                                          store::Visibility::Shared, m_fileSync);
    }
    if (!kept) {
        m_host.messageBox("作息时间表 " + m_tableFileName + " 无法备份为 " + backup +
                              "，没有导入任何数据！\r\r" + kept.error,
                          "错误", MessageIcon::Error, MessageButtons::Ok);
    }
    return kept.ok;
}

bool TableExchange::copyTable(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::string bytes;
    if (!readSource(from, bytes)) {
        return false;
    }
    // The old file stays whole until the new one is complete.
    const store::WriteResult written =
        store::writeFileAtomically(to, bytes, store::Visibility::Shared, m_fileSync);
    if (!written) {
        fail(written.error);
        return false;
    }
    return true;
}

void TableExchange::fail(const std::string& text) {
    m_host.messageBox("文件复制失败！\r\r" + text, "错误", MessageIcon::Error, MessageButtons::Ok);
}

}  // namespace orvessa::editing
