#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "core/console/event_hub.h"
#include "core/console/system_actions.h"
#include "core/console_server/console_snapshot.h"
#include "core/desktop/orvessa_system.h"
#include "core/model/signal.h"
#include "core/platform/clock.h"
#include "core/store/file_io.h"

namespace orvessa::console {

// The console's side of the interface thread: publishes what the running system does as
// snapshots and events for the console's threads, and carries out what the console asks, the
// way the main window's own commands would. Lives on the interface thread.
class ConsoleBridge : public SystemActions {
public:
    // What today's rows did, before the bridge was made too, is the station's to say.
    ConsoleBridge(system::OrvessaSystem& system, const platform::Clock& clock, EventHub& hub,
                  SnapshotBox& box, store::FileSync* sync);
    ~ConsoleBridge() override;
    ConsoleBridge(const ConsoleBridge&) = delete;
    ConsoleBridge& operator=(const ConsoleBridge&) = delete;

    // Makes and publishes a snapshot of now.
    void publish();
    // Called once a second: publishes while the broadcast clock does not tick (manual
    // operation), so that the console's time and countdowns go on.
    void secondPassed();

    ActionResult returnToAutomatic(const Actor& actor) override;
    ActionResult enterManual(const Actor& actor) override;
    ActionResult playRow(const Actor& actor, int row) override;
    ActionResult commitTable(const Actor& actor, const TableCommit& commit) override;
    ActionResult stopPlaying(const Actor& actor) override;
    ActionResult changeCalendar(const Actor& actor, const CalendarChange& change) override;
    ActionResult setEmergency(const Actor& actor, bool on) override;
    ActionResult announce(const Actor& actor, const std::string& file) override;
    std::vector<std::string> notices() override;
    void record(const std::string& line) override;

private:
    void onEvent(const system::EngineEvent& event);
    platform::LocalDateTime now() const;
    // Has the window and the clock take the table file `name` as it now is, where they hold it;
    // says how (ActionResult::reload).
    std::string reloadShown(const std::string& name);
    // Reloads the running table once what kept it waiting has ended.
    void reloadWhenFree();

    system::OrvessaSystem& m_system;
    const platform::Clock& m_clock;
    EventHub& m_hub;
    SnapshotBox& m_box;
    store::FileSync* m_sync;
    int m_listening = 0;
    std::uint64_t m_serial = 0;
    // When manual operation began (date, second), to count the bells it kept silent.
    std::optional<std::pair<int, int>> m_manualSince;
    // A table committed while an item played: the clock takes it when the item has ended.
    std::optional<std::string> m_pendingReload;
};

}  // namespace orvessa::console
