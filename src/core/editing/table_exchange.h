#pragma once

#include <filesystem>
#include <string>

#include "core/model/action.h"
#include "core/model/control.h"
#include "core/platform/host.h"
#include "core/store/file_sync.h"

namespace orvessa::editing {

class GridEditor;
class ExchangeChooser;

// The chooser, and the actions that open it.
struct ExchangeControls {
    ExchangeChooser& chooser;
    model::Action& importTable;  // 导入
    model::Action& exportTable;  // 导出
};

// Import and export: copies the twelve stored tables (seven weekdays, five templates) into the
// table being edited and back, or any table file on disk.
class TableExchange {
public:
    enum class Mode { Import, Export };
    static constexpr model::Color kExisting = model::rgb(0, 0, 255);

    TableExchange(ExchangeControls controls, std::string& tableFileName,
                  std::filesystem::path programDirectory, platform::Host& host, GridEditor& editor,
                  store::FileSync* fileSync = nullptr);

    void importTable();
    void exportTable();
    void confirmChoice();  // 导入 / 导出 in the chooser
    void useDiskFile();    // 磁盘文件

    Mode mode() const { return m_mode; }

private:
    bool stored(int index) const;
    void importFromDisk();
    void exportToDisk();
    // Copies `from` over `to` through a temporary file, telling the operator when it fails.
    bool copyTable(const std::filesystem::path& from, const std::filesystem::path& to);
    // The whole content of `from` in `bytes`, or false after telling the operator why not.
    bool readSource(const std::filesystem::path& from, std::string& bytes);
    // Keeps the table an import is about to replace as "zxsjN.log.bak" (one generation), so
    // that the import can be undone by hand; false, after telling the operator, when it cannot.
    bool keepReplacedTable();
    void fail(const std::string& text);

    ExchangeControls m_c;
    std::string& m_tableFileName;
    std::filesystem::path m_programDirectory;
    platform::Host& m_host;
    store::FileSync* m_fileSync;  // what its writes are flushed through
    GridEditor& m_editor;
    Mode m_mode = Mode::Import;
};

}  // namespace orvessa::editing
