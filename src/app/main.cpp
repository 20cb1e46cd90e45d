// Orvessa's entry point. Until the main window exists it reads the program directory the way
// start-up will and prints what it would broadcast today.

#include <ctime>
#include <filesystem>
#include <iostream>

#include "core/store/schedule_table.h"
#include "core/store/system_config.h"
#include "core/store/table_file.h"
#include "core/store/today_table.h"
#include "core/text/date_text.h"
#include "core/text/paths.h"

namespace {

// The directory of the executable: the system's files live there, whatever the working directory.
std::filesystem::path programDirectory(const char* argv0) {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        return self.parent_path();
    }
    return std::filesystem::absolute(argv0).parent_path();
}

}  // namespace

int main(int, char** argv) {
    using namespace orvessa;
    const std::filesystem::path dir = programDirectory(argv[0]);
    store::SystemConfig config(dir);
    const auto status = config.load();
    if (status != store::SystemConfig::LoadStatus::Loaded) {
        std::cerr << "系统初始化错误！\n\n文件 " << text::utf8Path(dir)
                  << "/orvessa.sys 未找到！\n";
        return 1;
    }

    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const int weekday = text::weekdayOf(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    const std::string tableName = store::todayTableName(weekday, config);

    store::ScheduleTable table;
    store::setScheduleHeaders(table);
    const store::TableLoadResult loaded = store::loadTableFile(table, dir, tableName);

    std::cout << "Orvessa " << text::utf8Path(dir) << "\n"
              << text::formatDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday)
              << "   星期" << text::weekdayCharacter(weekday) << "  " << tableName << "\n";
    if (!loaded.missingMessage.empty()) {
        std::cout << loaded.missingMessage << "\n";
        return 0;
    }
    for (int r = 1; r < table.rowCount(); ++r) {
        std::cout << table.cell(0, r) << "  " << table.cell(1, r) << "  " << table.cell(2, r)
                  << "  " << table.cell(3, r) << "  " << table.cell(4, r) << "\n";
    }
    return 0;
}
