#include "core/alerts/emergency_state.h"

#include <utility>

#include "core/console/names.h"
#include "core/text/key_value.h"

namespace orvessa::alerts {
namespace {

// "YYYY-MM-DD HH:MM:SS" in digits where digits belong; the date's sense is not the file's to
// judge, only that it was written whole.
bool isStamp(std::string_view t) {
    if (t.size() != 19) {
        return false;
    }
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char expected = i == 4 || i == 7 ? '-' : i == 10 ? ' ' : i == 13 || i == 16 ? ':' : 0;
        if (expected != 0 ? t[i] != expected : (t[i] < '0' || t[i] > '9')) {
            return false;
        }
    }
    return true;
}

}  // namespace

EmergencyStateFile::EmergencyStateFile(std::filesystem::path programDirectory,
                                       store::FileSync* sync)
    : m_programDirectory(std::move(programDirectory)), m_sync(sync) {}

EmergencyStateFile::Read EmergencyStateFile::read() const {
    Read out;
    const store::ReadResult r = store::readWholeFile(filePath(), 4096);
    if (r.status == store::ReadStatus::Missing) {
        return out;
    }
    if (r.status == store::ReadStatus::Failed) {
        out.error = r.error;
        return out;
    }
    EmergencyState state;
    bool sawOn = false;
    for (const std::string_view line : store::splitLines(r.bytes)) {
        std::string_view key;
        std::string_view value;
        if (!text::splitKeyValue(line, key, value)) {
            if (!text::trimBlanks(line).empty()) {
                out.error = "无法识别的行: " + std::string(line.substr(0, 80));
                return out;
            }
            continue;
        }
        if (key == "on" && (value == "0" || value == "1")) {
            state.on = value == "1";
            sawOn = true;
        } else if (key == "since" && (value.empty() || isStamp(value))) {
            state.since = value;
        } else if (key == "by" && !text::hasControlCharacter(value) &&
                   console::countCharacters(value)) {
            state.by = value;
        } else {
            out.error = "无法识别的行: " + std::string(line.substr(0, 80));
            return out;
        }
    }
    if (!sawOn) {
        out.error = "缺少 on=";
        return out;
    }
    out.state = std::move(state);
    return out;
}

store::WriteResult EmergencyStateFile::write(const EmergencyState& state) const {
    std::string text = std::string("on=") + (state.on ? "1" : "0") + "\n";
    if (state.on) {
        text += "since=" + state.since + "\nby=" + state.by + "\n";
    }
    return store::writeFileAtomically(filePath(), text, store::Visibility::Shared, m_sync);
}

}  // namespace orvessa::alerts
