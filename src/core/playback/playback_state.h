#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/clock.h"
#include "core/text/time_text.h"

namespace orvessa::playback {

enum class ItemKind { None = 0, WebPage = 1, Media = 3, ShellOpened = 4 };

// The running item, shared by the item player, the broadcast clock and the now-playing display.
struct PlaybackState {
    int currentRow = 1;
    std::string itemText;
    // A directory row's folder, relative cells read from the program directory.
    std::string folderPath;
    std::string currentPath;
    bool itemPresent = false;
    bool isDirectory = false;
    bool directoryFinished = false;
    ItemKind itemKind = ItemKind::None;
    // The running media's length as it started and its position as the display last read it,
    // in milliseconds; none until known, and none again once the item stops.
    std::optional<std::int64_t> positionMs;
    std::optional<std::int64_t> lengthMs;
    bool isPlaying = false;
    bool quietFind = false;
    std::vector<std::string> playlist;
    int playlistRow = 0;
    int nextIndex = 0;
    int randomPicks = 0;
    std::string newestProcessName;

    // Whether the running item has played to its end: media whose position has reached its
    // length. A page or a program has no length and never ends by it.
    bool itemEnded() const {
        return itemKind == ItemKind::Media && positionMs && lengthMs && *positionMs == *lengthMs;
    }
    // Nothing runs: no position, no length.
    void forgetItemTimes() {
        positionMs.reset();
        lengthMs.reset();
    }
};

// The broadcast clock's bookkeeping. The clock writes it as it ticks and the start-up sets its
// first values; what else happens to it is one of the events below, so each rule lives here.
struct ClockState {
    // An item started from the current row: the clock waits for it, and counts it against the
    // row's repeats (an untimed row plays once per pass, a timed one until its time is over).
    void itemStarted() {
        untimedSkip = false;
        lastStartTime = startTime;
        displayTicks = 1;
        if (startTime.empty() && stopTime.empty()) {
            ++repeatCount;
        } else {
            repeatCount = repeatLimit;
        }
    }
    // A play request got as far as its item, found or not: the end of the day waits a minute
    // more before it acts.
    void playRequested() { endCountdown = 60; }
    // A table was read whole: its rows start with no repeats counted.
    void tableLoaded() {
        repeatLimit = 1;
        repeatCount = 1;
        untimedSkip = false;
    }

    // The second the clock last ticked, and its time of day; none before the first tick.
    std::optional<platform::LocalDateTime> lastTick;
    text::TimeOfDay tick;
    std::string startTime;  // the current row's start, trimmed and padded
    std::string nowTime;    // the tick's time, padded: what the cells are compared with
    std::string stopTime;   // the current row's stop, trimmed and padded
    std::string lastStartTime = "00:00:00";
    int repeatLimit = 1;
    int repeatCount = 1;
    bool untimedSkip = false;
    int endCountdown = 60;
    int displayTicks = 0;  // the now-playing display's tick count
    bool advanceRequested = false;
    bool shutdownArmed = true;
    std::string shutdownTime;
    int hintTick = 0;
    int hintIndex = 0;
    int hintLimit = 50;
};

}  // namespace orvessa::playback
