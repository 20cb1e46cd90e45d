#include "core/store/file_io.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <random>
#include <system_error>

#include "core/text/numbers.h"
#include "core/text/paths.h"
#include "core/text/system_error_text.h"

namespace orvessa::store {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kChunkBytes = 64 * 1024;
constexpr int kNameAttempts = 32;

std::string describe(const fs::path& path, const std::string& why) {
    return text::utf8Path(path) + ": " + why;
}

std::string errnoText(int error) {
    return text::systemErrorText(error);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// What stands at `path`, checked before anything opens it: opening a pipe blocks until a writer
// comes, and a directory or device is no file of the system whatever its name.
struct Probe {
    ReadStatus status = ReadStatus::Ok;
    std::string error;
    std::uintmax_t size = 0;
};

Probe probe(const fs::path& path) {
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (st.type() == fs::file_type::not_found) {
        std::error_code linkError;
        if (fs::is_symlink(fs::symlink_status(path, linkError))) {
            return {ReadStatus::Failed, describe(path, "链接指向的文件不存在")};
        }
        return {ReadStatus::Missing, {}};
    }
    if (ec) {
        return {ReadStatus::Failed, describe(path, text::systemErrorText(ec))};
    }
    switch (st.type()) {
        case fs::file_type::regular: {
            Probe regular;
            regular.size = fs::file_size(path, ec);
            return regular;
        }
        case fs::file_type::directory:
            return {ReadStatus::Failed, describe(path, "是目录，不是文件")};
        default:
            return {ReadStatus::Failed, describe(path, "不是普通文件（管道、设备或套接字）")};
    }
}

// After a failed read: the system's reason where it gave one.
std::string readError(const fs::path& path) {
    return describe(path, errno != 0 ? errnoText(errno) : std::string("read error"));
}

File openForReading(const fs::path& path, std::string& error) {
    errno = 0;
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = describe(path, errnoText(errno));
    }
    return file;
}

// Collects lines from a stream of bytes, keeping at most `maxLineBytes` of each.
class LineCollector {
public:
    LineCollector(std::vector<std::string>& lines, const LineLimits& limits)
        : m_lines(lines), m_limits(limits) {}

    // Takes bytes up to the end of `bytes` or of the last line wanted; returns how many it used.
    // CR LF, LF and a lone CR (as old Mac editors and some scripts write) each end a line.
    std::size_t take(std::string_view bytes) {
        std::size_t used = 0;
        // A CR that ended the chunk before and the LF that opens this one are one line end.
        if (m_afterCr && !bytes.empty()) {
            m_afterCr = false;
            used = bytes.front() == '\n' ? 1 : 0;
        }
        while (used < bytes.size() && !full()) {
            const std::size_t end = bytes.find_first_of("\r\n", used);
            if (end == std::string_view::npos) {
                append(bytes.substr(used));
                return bytes.size();
            }
            append(bytes.substr(used, end - used));
            endLine();
            used = end + 1;
            if (bytes[end] == '\r') {
                if (used == bytes.size()) {
                    m_afterCr = true;
                } else if (bytes[used] == '\n') {
                    ++used;
                }
            }
        }
        return used;
    }

    // The end of the input: a last line without line end still counts.
    void finish() {
        if (m_pending) {
            endLine();
        }
    }

    bool full() const { return m_lines.size() >= m_limits.maxLines; }
    bool cut() const { return m_cut; }
    // The last line ended in a CR that was the last byte taken: an LF next is still its end.
    bool endedAtCr() const { return m_afterCr; }

private:
    void append(std::string_view part) {
        m_pending = m_pending || !part.empty();
        m_length += part.size();
        const std::size_t room =
            m_limits.maxLineBytes - std::min(m_current.size(), m_limits.maxLineBytes);
        m_current.append(part.substr(0, std::min(room, part.size())));
    }

    void endLine() {
        if (m_length > m_limits.maxLineBytes) {
            m_cut = true;
        }
        m_lines.push_back(std::move(m_current));
        m_current.clear();
        m_length = 0;
        m_pending = false;
    }

    std::vector<std::string>& m_lines;
    const LineLimits& m_limits;
    std::string m_current;
    std::size_t m_length = 0;  // of the whole line so far, kept or not
    bool m_pending = false;
    bool m_cut = false;
    bool m_afterCr = false;
};

constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kRandomPart = 10;
// A temporary file this old is no write in progress but one a killed writer left behind.
constexpr auto kLeftoverAge = std::chrono::minutes(10);

// A name beside `target` that no other writer picks: the target's own name, hidden, with a
// random part.
fs::path temporaryNameFor(const fs::path& target, std::mt19937_64& random) {
    std::string part;
    for (std::size_t i = 0; i < kRandomPart; ++i) {
        part += kLetters[random() % (sizeof kLetters - 1)];
    }
    return target.parent_path() / ("." + target.filename().string() + "." + part + ".tmp");
}

bool isTemporaryNameOf(const std::string& name, const std::string& target) {
    const std::string prefix = "." + target + ".";
    const std::string suffix = ".tmp";
    if (name.size() != prefix.size() + kRandomPart + suffix.size() || !name.starts_with(prefix) ||
        !name.ends_with(suffix)) {
        return false;
    }
    const std::string_view part = std::string_view(name).substr(prefix.size(), kRandomPart);
    return part.find_first_not_of(kLetters) == std::string_view::npos;
}

// Removes the temporary files of `target` that writers killed before their rename left behind:
// plain files only, and only old ones, so that nothing else is touched.
void removeLeftovers(const fs::path& target) {
    const std::string name = target.filename().string();
    const auto now = fs::file_time_type::clock::now();
    std::error_code ec;
    for (fs::directory_iterator it(target.parent_path(), ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::error_code typeError;
        if (!isTemporaryNameOf(it->path().filename().string(), name) || it->is_symlink(typeError) ||
            !it->is_regular_file(typeError)) {
            continue;
        }
        std::error_code timeError;
        const auto written = it->last_write_time(timeError);
        if (!timeError && now - written > kLeftoverAge) {
            std::error_code ignored;
            fs::remove(it->path(), ignored);
        }
    }
}

std::uint64_t randomSeed() {
    const auto now =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    try {
        std::random_device device;
        return (static_cast<std::uint64_t>(device()) << 32) ^ device() ^ now;
    } catch (const std::exception&) {
        // A random device without a source throws one derived from std::exception. The time still
        // varies and exclusive creation does the rest, so nothing is lost.
        return now;
    }
}

// Creates a new file under a fresh name; never opens what is already there, a link included.
File createExclusively(const fs::path& target, fs::path& created, int& error) {
    std::mt19937_64 random(randomSeed());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        created = temporaryNameFor(target, random);
        errno = 0;
        // "x": O_CREAT | O_EXCL, which also refuses a symbolic link in the way.
        File file(std::fopen(created.c_str(), "wbx"));
        if (file) {
            return file;
        }
        error = errno;
        if (error != EEXIST) {
            break;
        }
    }
    created.clear();
    return nullptr;
}

}  // namespace

bool fileExists(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

ReadResult readWholeFile(const std::filesystem::path& path, std::size_t maxBytes) {
    ReadResult result;
    const Probe p = probe(path);
    result.status = p.status;
    result.error = p.error;
    if (p.status != ReadStatus::Ok) {
        return result;
    }
    if (p.size > maxBytes) {
        result.status = ReadStatus::Failed;
        result.error = describe(
            path, "文件过大（" + text::decimalText(static_cast<int64_t>(p.size)) + " 字节）");
        return result;
    }
    File file = openForReading(path, result.error);
    if (!file) {
        result.status = ReadStatus::Failed;
        return result;
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(p.size));
    char buffer[kChunkBytes];
    errno = 0;
    for (;;) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
        bytes.append(buffer, n);
        if (bytes.size() > maxBytes) {
            // It grew while being read.
            result.status = ReadStatus::Failed;
            result.error = describe(path, "文件过大");
            return result;
        }
        if (n < sizeof buffer) {
            break;
        }
    }
    if (std::ferror(file.get())) {
        result.status = ReadStatus::Failed;
        result.error = readError(path);
        return result;
    }
    result.status = ReadStatus::Ok;
    result.bytes = std::move(bytes);
    return result;
}

LinesResult readLines(const std::filesystem::path& path, const LineLimits& limits) {
    LinesResult result;
    const Probe p = probe(path);
    result.status = p.status;
    result.error = p.error;
    if (p.status != ReadStatus::Ok) {
        return result;
    }
    File file = openForReading(path, result.error);
    if (!file) {
        result.status = ReadStatus::Failed;
        return result;
    }
    LineCollector lines(result.lines, limits);
    std::size_t total = 0;
    char buffer[kChunkBytes];
    errno = 0;
    while (!lines.full() && total < limits.maxBytes) {
        const std::size_t want = std::min(sizeof buffer, limits.maxBytes - total);
        const std::size_t n = std::fread(buffer, 1, want, file.get());
        total += n;
        const std::size_t used = lines.take(std::string_view(buffer, n));
        if (used < n) {
            result.moreLines = true;  // the last line wanted ended inside this chunk
            break;
        }
        if (n < want) {
            break;
        }
    }
    if (std::ferror(file.get())) {
        result.status = ReadStatus::Failed;
        result.error = readError(path);
        result.lines.clear();
        return result;
    }
    if (!result.moreLines && (lines.full() || total >= limits.maxBytes)) {
        int next = std::fgetc(file.get());
        if (next == '\n' && lines.endedAtCr()) {
            next = std::fgetc(file.get());
        }
        result.moreLines = next != EOF;
    }
    if (!lines.full()) {
        lines.finish();
    }
    result.cutLines = lines.cut();
    result.status = ReadStatus::Ok;
    return result;
}

WriteResult writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                                Visibility visibility, FileSync* sync) {
    fs::path temporary;
    if (WriteResult written = writeTemporaryBeside(target, bytes, temporary, visibility);
        !written) {
        return written;
    }
    return replaceWithTemporary(temporary, target, sync);
}

std::vector<std::string_view> splitLines(std::string_view content) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(content.substr(start));
            break;
        }
        lines.push_back(content.substr(start, end - start));
        start = end + (content.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

WriteResult writeTemporaryBeside(const std::filesystem::path& target, std::string_view bytes,
                                 std::filesystem::path& temporary, Visibility visibility) {
    int createError = 0;
    File out = createExclusively(target, temporary, createError);
    if (!out) {
        return WriteResult::failure(describe(target, errnoText(createError)));
    }
    std::error_code ignored;
    if (visibility == Visibility::OwnerOnly) {
        // Before the content goes in, so that no moment leaves it readable to others.
        std::error_code ec;
        fs::permissions(temporary, fs::perms::owner_read | fs::perms::owner_write,
                        fs::perm_options::replace, ec);
        if (ec) {
            out.reset();
            fs::remove(temporary, ignored);
            temporary.clear();
            return WriteResult::failure(describe(target, "cannot restrict access"));
        }
    }
    errno = 0;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out.get()) == bytes.size() &&
                         std::fflush(out.get()) == 0;
    const int writeErrno = errno;
    const bool closed = std::fclose(out.release()) == 0;
    const int closeErrno = errno;
    if (!written || !closed) {
        fs::remove(temporary, ignored);
        temporary.clear();
        const int why = !written ? writeErrno : closeErrno;
        return WriteResult::failure(
            describe(target, why != 0 ? errnoText(why) : std::string("write error")));
    }
    return {};
}

WriteResult replaceWithTemporary(const std::filesystem::path& temporary,
                                 const std::filesystem::path& target, FileSync* sync) {
    std::error_code ec;
    // The content reaches the disk before its name does: a power cut right after the rename
    // must not leave an empty file where the old one was.
    if (sync != nullptr) {
        if (const std::string why = sync->syncFile(temporary); !why.empty()) {
            fs::remove(temporary, ec);
            return WriteResult::failure(describe(target, why));
        }
    }
    fs::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return WriteResult::failure(describe(target, text::systemErrorText(ec)));
    }
    if (sync != nullptr) {
        // The new file is in place; only its surviving a power cut is in doubt, and the operator
        // hears of it like of any failed write.
        const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
        if (const std::string why = sync->syncDirectory(folder); !why.empty()) {
            return WriteResult::failure(describe(target, why));
        }
    }
    removeLeftovers(target);
    return {};
}

}  // namespace orvessa::store
