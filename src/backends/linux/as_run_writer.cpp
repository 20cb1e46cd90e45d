#include "backends/linux/as_run_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <ostream>
#include <system_error>
#include <utility>

#include "backends/linux/linux_file_sync.h"
#include "core/scheduler/as_run.h"
#include "core/text/paths.h"

namespace orvessa::backends {

namespace fs = std::filesystem;
using scheduler::BroadcastEvent;

namespace {

// The whole text at the end of the file and on the disk, or the reason it could not be put
// there. A link planted at the day's name is not followed: the record never writes elsewhere.
std::string append(const fs::path& file, const std::string& text, std::size_t& done) {
    const int fd = ::open(
        file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd < 0) {
        return errno == ELOOP ? "a symbolic link stands at its name and is not followed"
                              : std::strerror(errno);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return "not a regular file";
    }
    const bool created = st.st_size == 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const std::string why = n < 0 ? std::strerror(errno) : "nothing written";
            ::close(fd);
            return why;
        }
        done += static_cast<std::size_t>(n);
    }
    // The last lines before a power-off must be there after it.
    if (::fsync(fd) != 0 && errno != EINVAL) {
        const std::string why = std::strerror(errno);
        ::close(fd);
        return why;
    }
    if (::close(fd) != 0) {
        return std::strerror(errno);
    }
    if (created) {
        const std::string why = LinuxFileSync().syncDirectory(file.parent_path());
        if (!why.empty()) {
            return why;
        }
    }
    return {};
}

}  // namespace

AsRunWriter::AsRunWriter(fs::path directory, std::ostream& errors)
    : m_directory(std::move(directory)), m_errors(errors), m_thread([this] { run(); }) {}

AsRunWriter::~AsRunWriter() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

fs::path AsRunWriter::defaultDirectory() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && *state == '/') {
        return fs::path(state) / "orvessa";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home == '/') {
        return fs::path(home) / ".local" / "state" / "orvessa";
    }
    return {};
}

void AsRunWriter::record(const BroadcastEvent& event) {
    {
        std::lock_guard lock(m_mutex);
        if (m_queue.size() >= kMaxQueued) {
            ++m_dropped;
            return;
        }
        m_queue.push_back(event);
    }
    m_wake.notify_one();
}

std::vector<std::string> AsRunWriter::dayLines(int year, int month, int day) {
    flush();
    return scheduler::as_run::readDay(m_directory, year, month, day).lines;
}

void AsRunWriter::flush() {
    std::unique_lock lock(m_mutex);
    // Lines a full disk refused are tried again too: they were recorded before the call.
    m_retry = true;
    m_wake.notify_one();
    m_done.wait(lock, [this] { return m_queue.empty() && !m_writing && !m_retry; });
}

void AsRunWriter::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || m_retry || !m_queue.empty(); });
        if (m_queue.empty() && !m_retry) {
            return;
        }
        m_retry = false;
        std::vector<BroadcastEvent> batch;
        batch.swap(m_queue);
        const std::size_t dropped = std::exchange(m_dropped, 0);
        m_writing = true;
        lock.unlock();
        write(batch, dropped);
        lock.lock();
        m_writing = false;
        m_done.notify_all();
    }
}

void AsRunWriter::write(const std::vector<BroadcastEvent>& batch, std::size_t dropped) {
    // Each day's lines in one write to its file, after what a full disk refused before.
    std::map<std::string, std::string> byFile;
    byFile.swap(m_held);
    m_heldBytes = 0;
    for (const BroadcastEvent& e : batch) {
        byFile[scheduler::as_run::fileName(e.at.year, e.at.month, e.at.day)] +=
            scheduler::as_run::line(e) + '\n';
    }
    std::error_code ec;
    fs::create_directories(m_directory, ec);
    bool allWritten = true;
    bool someWritten = false;
    for (const auto& [name, text] : byFile) {
        std::size_t done = 0;
        const std::string why = append(m_directory / name, text, done);
        someWritten = someWritten || why.empty();
        if (!why.empty()) {
            allWritten = false;
            failed(text::utf8Path(m_directory / name) + ": " + why);
            // Kept for the next write, from where the disk stopped, so that a line cut by a full
            // disk is completed and none is lost while the folder has no room.
            if (m_heldBytes + text.size() - done <= kMaxHeldBytes) {
                m_heldBytes += text.size() - done;
                m_held[name] = text.substr(done);
            }
        }
    }
    if (dropped > 0) {
        allWritten = false;
        failed(std::to_string(dropped) + " events were dropped while the disk fell behind");
    }
    // The disk takes lines again: a failure from now on is news, even of lines still held.
    if (allWritten || someWritten) {
        m_failing = false;
    }
    if (!batch.empty()) {
        prune(batch.back());
    }
}

void AsRunWriter::prune(const BroadcastEvent& event) {
    const std::string today =
        scheduler::as_run::fileName(event.at.year, event.at.month, event.at.day);
    if (today == m_prunedFor) {
        return;
    }
    m_prunedFor = today;
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(m_directory, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    for (const std::string& old :
         scheduler::as_run::filesToPrune(names, event.at.year, event.at.month, event.at.day)) {
        std::error_code removeError;
        fs::remove(m_directory / old, removeError);
    }
}

void AsRunWriter::failed(const std::string& what) {
    if (m_failing) {
        return;
    }
    m_failing = true;
    m_errors << "orvessa: cannot write the as-run record " << what << std::endl;
}

}  // namespace orvessa::backends
