#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "core/model/control.h"
#include "core/platform/media_device.h"
#include "core/playback/broadcast_session.h"
#include "core/store/schedule_table.h"

namespace orvessa::playback {

// The two now-playing lines of the main window: a title and detail line prepared when an item
// starts, and a refresh once a second with the length estimate and the share done.
class NowPlaying {
public:
    struct Lines {
        model::TextLine& statusLine;
        model::TextLine& hintLine;
        // The table shown: the draft the operator plays by hand, or the one the clock runs.
        const store::ScheduleTable& table;
    };

    // Reads the session's running item and keeps its position up to date.
    NowPlaying(BroadcastSession& session, Lines lines, const platform::MediaDevice& device);

    // Title and detail line of the item just started.
    void prepare();
    // The once-a-second refresh; `byClock` when the broadcast clock runs it. A tick the clock makes
    // up after a stall runs `lateMillis` after its own second (`secondMillis`, milliseconds of
    // any fixed origin), and reads the position the item had at that second, so that an item's end
    // falls on the tick it would have fallen on without the stall. Returns false, the lines left
    // as they were, when there is nothing to show: no item with a known length, or a length or
    // rate of 0.
    bool update(bool byClock, std::int64_t lateMillis = 0, std::int64_t secondMillis = 0);

    // Display state, kept between items.
    std::string title;
    std::string detailLine;
    int basePosition = 0;
    int firstTickBias = 0;
    int durationSeconds = 0;
    int percentDone = 0;
    std::string percentText;
    std::string lengthText;

private:
    std::int64_t positionAt(bool byClock, std::int64_t lateMillis, std::int64_t secondMillis);

    // The clock's last reading while the item still played: position and second.
    std::optional<std::pair<std::int64_t, std::int64_t>> m_lastReading;
    PlaybackState& m_state;
    ClockState& m_clock;
    const std::string& m_clockWarning;  // the session's
    Lines m_lines;
    const platform::MediaDevice& m_device;
};

}  // namespace orvessa::playback
