#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/store/file_io.h"
#include "core/store/live_settings.h"

namespace orvessa::store {

// The 27 settings of orvessa.sys, entry k being line k + 1, all kept as text.
class SystemConfig {
public:
    static constexpr int kEntryCount = 27;
    static constexpr const char* kFileName = "orvessa.sys";
    static constexpr int kSkinCount = 10;
    // Bytes of one line a load keeps: far beyond any path, password or subtitle.
    static constexpr std::size_t kMaxEntryBytes = 16 * 1024;

    // Entries by number, for the accessors below and their callers.
    enum Entry : int {
        kPassword = 0,
        kReserved = 1,
        kShutdownTimeOne = 2,
        kShutdownTimeTwo = 3,
        kSkinNumber = 4,
        kEndOfDayAction = 5,
        kPasswordMode = 6,
        kHideAtStart = 7,
        kForcedWeekday = 8,
        kSecondMonitor = 9,
        kPlayOrder = 10,
        kMediaLibrary = 11,
        kStopMonday = 12,  // .. kStopMonday + 6 for Sunday
        kBroadcastHolidays = 19,
        kSubtitleText = 20,
        kSubtitleTop = 21,
        kSubtitleLeft = 22,
        kSubtitleWidth = 23,
        kSubtitleHeight = 24,
        kSubtitleShown = 25,
        kCustomShutdownDisabled = 26,
    };

    enum class LoadStatus { Loaded, Missing, Failed };

    // An entry whose text its readers cannot use, and the default it took instead.
    struct ReplacedEntry {
        int entry = 0;
        std::string was;
        std::string now;
        std::string why;  // "not a decimal integer", "not 0..3", ...
    };

    explicit SystemConfig(std::filesystem::path programDirectory);

    const std::filesystem::path& programDirectory() const { return m_programDirectory; }
    std::filesystem::path filePath() const { return m_programDirectory / kFileName; }

    // Reads the file into the entries. Fewer lines leave the rest empty; extra lines are ignored
    // and not read, and a line keeps its first kMaxEntryBytes bytes. On Missing or Failed the
    // entries are left as they were; a directory, a pipe or a device is Failed, with its reason,
    // and so is a program directory that is no directory (a file, a dangling link, nothing).
    LoadStatus load();
    // The reason of the last failed load.
    const std::string& loadError() const { return m_loadError; }

    // Writes the 27 entries as the whole file. On failure the file keeps its old content and the
    // entries keep the new values.
    WriteResult save() const;
    // What save() flushes through; none unless set (file_io.h). A load keeps it.
    void setFileSync(FileSync* sync) { m_sync = sync; }
    FileSync* fileSync() const { return m_sync; }

    // Empty text outside 0..26.
    const std::string& entry(int k) const;
    // The text is taken as it is; ignored outside 0..26 and for texts with a line break.
    void setEntry(int k, std::string text);

    // What entry k holds in the file delivered with a fresh installation.
    static std::string defaultEntry(int k);
    // Gives every entry that holds what its readers cannot use (a number entry without a number
    // or outside its choices, a flag neither "0" nor "1", a time that is no time of day) its
    // default, in memory only, and returns those entries. Texts, the library path, the reserved
    // entry and the subtitle's visibility (only "0" hides) are used as they stand, and so are
    // readable odd values: a skin number outside the store, a number after blanks.
    std::vector<ReplacedEntry> replaceUnusableEntries();

    // Entry k as a decimal integer, or `fallback` when it holds something else.
    int32_t intEntry(int k, int32_t fallback) const;
    bool flagEntry(int k) const { return entry(k) == "1"; }

    // Checked readings of the entries that must be numbers. Out-of-range values read as the
    // default, so a damaged file never stops start-up half-way.
    int skinNumber() const;
    int endOfDayAction() const;  // 0..3, default 3 (wait)
    // The end-of-day action only when the entry is exactly its number "0".."3"; none otherwise.
    std::optional<EndOfDayAction> storedEndOfDayAction() const;
    bool anyoneMayOperate() const;  // entry 6: "1" anyone; anything but "0" reads as "1"
    int passwordModeIndex() const;  // entry 6 as the dialog's choice: 1 for "1", otherwise 0
    int forcedWeekday() const;      // 0 automatic, 1..7
    int defaultPlayOrder() const;   // 0 sequential, 1 random
    bool stopOnWeekday(int weekday) const;

private:
    std::filesystem::path m_programDirectory;
    std::array<std::string, kEntryCount> m_entries;
    std::string m_loadError;
    FileSync* m_sync = nullptr;
};

}  // namespace orvessa::store
