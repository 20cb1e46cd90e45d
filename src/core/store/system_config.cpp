#include "core/store/system_config.h"

#include "core/text/gbk.h"
#include "core/text/numbers.h"

namespace orvessa::store {
namespace {

const std::string kEmpty;

int inRangeOr(int32_t value, int low, int high, int fallback) {
    return value >= low && value <= high ? value : fallback;
}

}  // namespace

SystemConfig::SystemConfig(std::filesystem::path programDirectory)
    : m_programDirectory(std::move(programDirectory)) {}

SystemConfig::LoadStatus SystemConfig::load() {
    // The entries and nothing more: a damaged file of any size costs no more than a sound one.
    const LinesResult read =
        readLines(filePath(), {kEntryCount, kMaxEntryBytes, kEntryCount * (kMaxEntryBytes + 2)});
    if (read.status == ReadStatus::Missing) {
        m_loadError.clear();
        return LoadStatus::Missing;
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

WriteResult SystemConfig::button2Click() const {
    std::string content;
    for (const std::string& e : m_entries) {
        content += e;
        content += "\r\n";
    }
    // The operator password is in the file, in plain text as installations have it.
    return writeFileAtomically(filePath(), text::utf8ToGbk(content), Visibility::OwnerOnly);
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

int32_t SystemConfig::intEntry(int k, int32_t fallback) const {
    return text::toIntOr(entry(k), fallback);
}

int SystemConfig::skinNumber() const {
    return inRangeOr(intEntry(kSkinNumber, 0), 0, kSkinCount - 1, 0);
}

int SystemConfig::endOfDayAction() const {
    return inRangeOr(intEntry(kEndOfDayAction, 3), 0, 3, 3);
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
