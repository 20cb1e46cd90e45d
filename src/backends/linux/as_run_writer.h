#pragma once

#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/scheduler/broadcast_record.h"

namespace orvessa::backends {

// Appends the as-run record, one file per day, on a thread of its own: the clock only puts the
// event in a queue, so a slow or full disk never holds a tick. Files more than sixty days old
// are removed when a day's file is first written. Each write is on the disk before the next
// (fsync), and a link planted at a day's file name is refused, not followed. Lines a full disk
// refused are kept and written first the next time. A failure to write
// is told once on `errors` (one line), and again only after a write has succeeded in between.
class AsRunWriter : public scheduler::BroadcastRecord {
public:
    // At most this many events wait; later ones are dropped while the disk does not keep up.
    static constexpr std::size_t kMaxQueued = 10000;
    static constexpr std::size_t kMaxHeldBytes = 4 * 1024 * 1024;

    // Files go to `directory`, made when missing.
    explicit AsRunWriter(std::filesystem::path directory, std::ostream& errors);
    // Writes what is queued, then ends the thread.
    ~AsRunWriter() override;
    AsRunWriter(const AsRunWriter&) = delete;
    AsRunWriter& operator=(const AsRunWriter&) = delete;

    // Any thread; never waits for the disk.
    void record(const scheduler::BroadcastEvent& event) override;
    // Returns when every event recorded before the call is on the disk or has failed.
    void flush() override;
    // The day's file as it stands once everything recorded before the call is written.
    std::vector<std::string> dayLines(int year, int month, int day) override;

    // $XDG_STATE_HOME/orvessa, else ~/.local/state/orvessa; empty when neither can be known.
    static std::filesystem::path defaultDirectory();

private:
    void run();
    void write(const std::vector<scheduler::BroadcastEvent>& batch, std::size_t dropped);
    void prune(const scheduler::BroadcastEvent& event);
    void failed(const std::string& what);

    const std::filesystem::path m_directory;
    std::ostream& m_errors;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::vector<scheduler::BroadcastEvent> m_queue;
    std::size_t m_dropped = 0;
    bool m_writing = false;
    bool m_stopping = false;
    bool m_retry = false;  // flush() asks for the held lines to be tried again

    // The writer thread's own.
    std::string m_prunedFor;
    // What a write could not put in a day's file (a full disk), by file name: written first the
    // next time, up to kMaxHeldBytes in all.
    std::map<std::string, std::string> m_held;
    std::size_t m_heldBytes = 0;
    bool m_failing = false;

    // Last, so that it starts when everything above is ready.
    std::thread m_thread;
};

}  // namespace orvessa::backends
