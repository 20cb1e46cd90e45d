#pragma once

namespace orvessa::store {

// What follows the last item of the day; the numbers are those the configuration stores.
enum class EndOfDayAction { PowerOff = 0, Quit = 1, Replay = 2, Wait = 3 };

// The options that take effect while the system runs. The options dialog edits them; the player
// and the end of the day read them. The configuration holds only the next start's defaults.
struct LiveSettings {
    bool randomOrder = false;  // a directory row's files in random order
    EndOfDayAction endOfDayAction = EndOfDayAction::Wait;
    bool customShutdownOff = false;  // the two daily shutdown times are switched off
    int volume = 200;                // 1..255, the slider's position
    bool secondMonitor = false;      // pictures, films and pages go to the second monitor
};

// The action a stored number names; anything else reads as waiting.
inline EndOfDayAction endOfDayActionOf(int stored) {
    return stored >= 0 && stored <= 3 ? static_cast<EndOfDayAction>(stored) : EndOfDayAction::Wait;
}

}  // namespace orvessa::store
