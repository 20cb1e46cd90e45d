#include "core/editing/table_exchange.h"

#include "core/editing/grid_editor.h"
#include "core/editing/tdaori5.h"
#include "core/store/file_io.h"
#include "core/store/table_file.h"
#include "core/text/paths.h"

namespace orvessa::editing {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

namespace {

std::filesystem::path storedPath(const std::filesystem::path& directory, int index) {
    return directory / store::scheduleFileName(index + 1);
}

}  // namespace

TableExchange::TableExchange(ExchangeControls controls, std::string& tableFileName,
                             std::filesystem::path programDirectory, platform::Host& host,
                             GridEditor& editor)
    : m_c(controls),
      m_tableFileName(tableFileName),
      m_programDirectory(std::move(programDirectory)),
      m_host(host),
      m_editor(editor) {
    for (model::Command* c : {&m_c.ToolButton10, &m_c.N12}) {
        c->setHandler([this] { ToolButton10Click(); });
    }
    for (model::Command* c : {&m_c.ToolButton15, &m_c.N13}) {
        c->setHandler([this] { ToolButton15Click(); });
    }
    m_c.chooser.Button1.setHandler([this] { Button1Click(); });
    m_c.chooser.Button2.setHandler([this] { Button2Click(); });
}

bool TableExchange::stored(int index) const {
    return store::fileExists(storedPath(m_programDirectory, index));
}

void TableExchange::ToolButton10Click() {
    m_mode = Mode::Import;
    model::RadioGroup& choices = m_c.chooser.RadioGroup1;
    for (int k = 0; k < Tdaori5::kChoices; ++k) {
        choices.setItemEnabled(k, stored(k));
        choices.setItemColors(k, model::kBlack, model::RadioGroup::kNoBackground);
    }
    m_c.chooser.Button1.setCaption("导入(&O)");
    m_host.showModal(m_c.chooser);
}

void TableExchange::ToolButton15Click() {
    m_mode = Mode::Export;
    // What the chooser exports is the saved table: after a refused or failed save it would be
    // the old one, so the operator stays at the grid with the cell at fault selected.
    if (m_editor.unsaved() && !m_editor.save()) {
        return;
    }
    model::RadioGroup& choices = m_c.chooser.RadioGroup1;
    for (int k = 0; k < Tdaori5::kChoices; ++k) {
        choices.setItemEnabled(k, true);
        // Blue warns that the table there will be overwritten.
        choices.setItemColors(k, stored(k) ? kExisting : model::kBlack,
                              model::RadioGroup::kNoBackground);
    }
    m_c.chooser.Button1.setCaption("导出(&O)");
    m_host.showModal(m_c.chooser);
}

void TableExchange::Button1Click() {
    const bool importing = m_mode == Mode::Import;
    const MessageAnswer answer = m_host.messageBox(
        std::string("真的要") + (importing ? "更改已有" : "导出") + "作息时间数据吗？", "系统信息",
        MessageIcon::Question, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes) {
        m_c.chooser.endModal(model::ModalResult::Closed);
        return;
    }
    const int k = m_c.chooser.RadioGroup1.itemIndex();
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
        if (!m_editor.offerToSave()) {
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

void TableExchange::Button2Click() {
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
    const MessageAnswer answer = m_host.messageBox("当前数据将被覆盖，继续吗？", "系统信息",
                                                   MessageIcon::Question, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes) {
        return;
    }
    if (copyTable(text::fsPath(*file), m_programDirectory / text::fsPath(m_tableFileName))) {
        m_editor.load();
    }
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

bool TableExchange::copyTable(const std::filesystem::path& from, const std::filesystem::path& to) {
    const store::ReadResult read = store::readWholeFile(from);
    if (read.status == store::ReadStatus::Missing) {
        fail("文件 " + text::utf8Path(from) + " 不存在！");
        return false;
    }
    if (read.status == store::ReadStatus::Failed) {
        fail(read.error);
        return false;
    }
    // The old file stays whole until the new one is complete.
    const store::WriteResult written = store::writeFileAtomically(to, read.bytes);
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
