#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/store/file_sync.h"

namespace orvessa::store {

// Outcome of writing one of the system's files. A failure carries a text for the operator.
struct WriteResult {
    bool ok = true;
    std::string error;

    static WriteResult failure(std::string why) { return {false, std::move(why)}; }
    explicit operator bool() const { return ok; }
};

enum class ReadStatus {
    Ok,
    Missing,  // nothing at all of that name
    Failed,   // something is there but cannot be read as a file: `error` says what and why
};

struct ReadResult {
    ReadStatus status = ReadStatus::Missing;
    std::string bytes;
    std::string error;
};

// Whether `path` names a regular file (following links).
bool fileExists(const std::filesystem::path& path);

// Files larger than this are not read whole: no file of the system comes near it, and a damaged
// or planted one must not hold the user-interface thread or the memory.
inline constexpr std::size_t kMaxWholeFileBytes = 16u * 1024 * 1024;

// Reads the whole file into memory in one go. A directory, a pipe, a device or a broken link
// fails with its reason instead of being opened (a pipe would block the open); so does a file
// larger than `maxBytes`.
ReadResult readWholeFile(const std::filesystem::path& path,
                         std::size_t maxBytes = kMaxWholeFileBytes);

// What a line-by-line read takes at most. A longer line keeps its first `maxLineBytes` bytes;
// the read ends after `maxLines` lines or `maxBytes` bytes, whichever comes first, so that a huge
// file costs no more than the part of it the system uses.
struct LineLimits {
    std::size_t maxLines = 0;
    std::size_t maxLineBytes = 0;
    std::size_t maxBytes = 0;
};

struct LinesResult {
    ReadStatus status = ReadStatus::Missing;
    std::string error;
    // Raw bytes of each line, without its line end (cut as splitLines cuts them).
    std::vector<std::string> lines;
    bool moreLines = false;  // the file goes on after the last line read
    bool cutLines = false;   // at least one line was longer than maxLineBytes
};

// The first lines of a file, read no further than the limits allow. Fails like readWholeFile.
LinesResult readLines(const std::filesystem::path& path, const LineLimits& limits);

// Writes `bytes` to a temporary file beside `target` and renames it over `target`, so the old
// file stays whole until the new one is complete. The temporary file gets a name of its own,
// created exclusively: nothing already there (a link planted under a guessable name) is ever
// opened or followed. On failure the temporary file is removed, the old file is untouched and
// the result says why.
// A file that only its owner may read (it holds a password) is written so from the start.
// With a FileSync, the temporary file is on the disk before the rename and the rename is on the
// disk before the write reports success, so a power cut leaves the old file or the new. Without
// one (tools, tests, the rehearsal) a write survives a crash of the program but not a power cut.
// Each writer holds the sync of the system it belongs to.
enum class Visibility { Shared, OwnerOnly };
WriteResult writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                                Visibility visibility = Visibility::Shared,
                                FileSync* sync = nullptr);

// Splits file content into lines at CR LF, LF or a lone CR (as old Mac editors and some scripts
// write). A final line without a line end counts as a line; the end of the content does not add
// an empty one. Safe on GBK content: neither CR nor LF is ever part of a GBK character.
std::vector<std::string_view> splitLines(std::string_view content);

// For a file that grows for a long time before it is complete (a recording): a new file beside
// `target` under a temporary name of the atomic writer's own pattern, created exclusively and
// holding `bytes`. Its name is set in `temporary`; on failure nothing is left and it is empty.
// A temporary file that is never put in place is cleared away by a later replacement or save of
// `target`, as a killed writer's is.
WriteResult writeTemporaryBeside(const std::filesystem::path& target, std::string_view bytes,
                                 std::filesystem::path& temporary,
                                 Visibility visibility = Visibility::Shared);

// Renames `temporary` over `target`, then clears away the leftovers of killed writers of
// `target`. On failure the temporary file is removed and the old target is untouched. With a
// FileSync, as writeFileAtomically.
WriteResult replaceWithTemporary(const std::filesystem::path& temporary,
                                 const std::filesystem::path& target, FileSync* sync = nullptr);

}  // namespace orvessa::store
