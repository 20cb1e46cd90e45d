#include "core/store/system_config.h"

#include <filesystem>
#include <optional>

#include "core/text/gbk.h"
#include "core/text/numbers.h"
#include "core/text/paths.h"
#include "core/text/system_error_text.h"
#include "core/text/time_text.h"

namespace orvessa::store {
namespace {

const std::string kEmpty;

int inRangeOr(int32_t value, int low, int high, int fallback) {
    return value >= low && value <= high ? value : fallback;
}

// The delivered orvessa.sys, entry by entry: no password, the shutdown times never set, wait at
// the end of the day, anyone may operate, no library chosen yet, stop on Saturday and Sunday.
const char* const kDefaults[SystemConfig::kEntryCount] = {
    "",  "0", "  :  :  ", "  :  :  ", "0", "3", "1", "0", "0", "0",   "0",  "",  "0", "0",
    "0", "0", "0",        "1",        "1", "0", "",  "0", "0", "800", "40", "0", "1"};

// The text of a time field as the options dialog keeps it: blank when never set, else
// "hh:mm:ss", the first hour digit possibly left blank by the field's mask.
bool usableTime(std::string_view entry) {
    if (entry == "  :  :  ") {
        return true;
    }
    if (entry.size() != 8 || entry[2] != ':' || entry[5] != ':') {
        return false;
    }
    std::string t(entry);
    if (t[0] == ' ' || t[0] == '_') {
        t[0] = '0';
    }
    return t.find_first_of(" _") == std::string::npos && text::isTimeOfDay(t);
}

// Why no file can be found in `directory`, empty when it is a directory.
std::string directoryProblem(std::filesystem::path directory) {
    // "file/" reads as missing; "file" reads as what it is.
    if (!directory.has_filename()) {
        directory = directory.parent_path();
    }
    std::error_code ec;
    const std::filesystem::file_status target = std::filesystem::status(directory, ec);
    std::string why;
    if (target.type() == std::filesystem::file_type::directory) {
        return {};
    }
    if (target.type() == std::filesystem::file_type::not_found) {
        why = std::filesystem::is_symlink(std::filesystem::symlink_status(directory, ec))
                  ? "程序目录是一个链接，它指向的位置不存在"
                  : "程序目录不存在";
    } else if (ec) {
        why = "程序目录无法访问：" + text::systemErrorText(ec);
    } else {
        why = "程序目录不是目录，而是一个文件";
    }
    return text::utf8Path(directory) + ": " + why;
}

// Why `entry` cannot serve as entry k, empty when it can.
std::string unusableBecause(int k, const std::string& entry) {
    using C = SystemConfig;
    const auto number = [&entry](int low, int high) -> std::string {
        const std::optional<int32_t> v = text::parseDecimal(entry);
        if (!v) {
            return "not a decimal integer";
        }
        if (*v < low || *v > high) {
            return "not " + std::to_string(low) + ".." + std::to_string(high);
        }
        return {};
    };
    const auto flag = [&entry] {
        return entry == "0" || entry == "1" ? std::string() : std::string("neither 0 nor 1");
    };
    switch (k) {
        case C::kShutdownTimeOne:
        case C::kShutdownTimeTwo:
            return usableTime(entry) ? std::string() : "no time hh:mm:ss";
        case C::kSkinNumber:
        case C::kSubtitleTop:
        case C::kSubtitleLeft:
        case C::kSubtitleWidth:
        case C::kSubtitleHeight:
            return text::parseDecimal(entry) ? std::string() : "not a decimal integer";
        case C::kEndOfDayAction:
            return number(0, 3);
        case C::kForcedWeekday:
            return number(0, 7);
        case C::kPlayOrder:
            return number(0, 1);
        case C::kPasswordMode:
        case C::kHideAtStart:
        case C::kSecondMonitor:
        case C::kCustomShutdownDisabled:
            return flag();
        default:
            if (k >= C::kStopMonday && k <= C::kBroadcastHolidays) {
                return flag();
            }
            return {};
    }
}

}  // namespace

SystemConfig::SystemConfig(std::filesystem::path programDirectory)
    : m_programDirectory(std::move(programDirectory)) {}

SystemConfig::LoadStatus SystemConfig::load() {
    // The entries and nothing more: a damaged file of any size costs no more than a sound one.
    const LinesResult read =
        readLines(filePath(), {kEntryCount, kMaxEntryBytes, kEntryCount * (kMaxEntryBytes + 2)});
    if (read.status == ReadStatus::Missing) {
        // "Not found" sends the operator looking for the file; when the directory itself is the
        // trouble, say that instead.
        m_loadError = directoryProblem(m_programDirectory);
        return m_loadError.empty() ? LoadStatus::Missing : LoadStatus::Failed;
    }
    if (read.status == ReadStatus::Failed) {
        m_loadError = read.error;
        return LoadStatus::Failed;
    }
    for (int k = 0; k < kEntryCount; ++k) {
        const std::size_t index = static_cast<std::size_t>(k);
        m_entries[index] =
            index < read.lines.size() ? text::gbkToUtf8(read.lines[index]) : std::string();
    }
    m_loadError.clear();
    return LoadStatus::Loaded;
}

WriteResult SystemConfig::save() const {
    std::string content;
    for (const std::string& e : m_entries) {
        content += e;
        content += "\r\n";
    }
    // The operator password is in the file, in plain text as installations have it.
    return writeFileAtomically(filePath(), text::utf8ToGbk(content), Visibility::OwnerOnly, m_sync);
}

const std::string& SystemConfig::entry(int k) const {
    if (k < 0 || k >= kEntryCount) {
        return kEmpty;
    }
    return m_entries[static_cast<std::size_t>(k)];
}

void SystemConfig::setEntry(int k, std::string text) {
    if (k < 0 || k >= kEntryCount || text.find_first_of("\r\n") != std::string::npos) {
        return;
    }
    m_entries[static_cast<std::size_t>(k)] = std::move(text);
}

std::string SystemConfig::defaultEntry(int k) {
    return k >= 0 && k < kEntryCount ? kDefaults[k] : std::string();
}

std::vector<SystemConfig::ReplacedEntry> SystemConfig::replaceUnusableEntries() {
    std::vector<ReplacedEntry> replaced;
    for (int k = 0; k < kEntryCount; ++k) {
        std::string& e = m_entries[static_cast<std::size_t>(k)];
        if (std::string why = unusableBecause(k, e); !why.empty()) {
            replaced.push_back({k, e, defaultEntry(k), std::move(why)});
            e = defaultEntry(k);
        }
    }
    return replaced;
}

int32_t SystemConfig::intEntry(int k, int32_t fallback) const {
    return text::toIntOr(entry(k), fallback);
}

int SystemConfig::skinNumber() const {
    return inRangeOr(intEntry(kSkinNumber, 0), 0, kSkinCount - 1, 0);
}

int SystemConfig::endOfDayAction() const {
    return inRangeOr(intEntry(kEndOfDayAction, 3), 0, 3, 3);
}

std::optional<EndOfDayAction> SystemConfig::storedEndOfDayAction() const {
    const std::string& stored = entry(kEndOfDayAction);
    if (stored.size() == 1 && stored[0] >= '0' && stored[0] <= '3') {
        return static_cast<EndOfDayAction>(stored[0] - '0');
    }
    return std::nullopt;
}

bool SystemConfig::anyoneMayOperate() const {
    return entry(kPasswordMode) != "0";
}

int SystemConfig::passwordModeIndex() const {
    return entry(kPasswordMode) == "1" ? 1 : 0;
}

int SystemConfig::forcedWeekday() const {
    return inRangeOr(intEntry(kForcedWeekday, 0), 0, 7, 0);
}

int SystemConfig::defaultPlayOrder() const {
    return inRangeOr(intEntry(kPlayOrder, 0), 0, 1, 0);
}

bool SystemConfig::stopOnWeekday(int weekday) const {
    if (weekday < 1 || weekday > 7) {
        return false;
    }
    return flagEntry(kStopMonday + weekday - 1);
}

}  // namespace orvessa::store
