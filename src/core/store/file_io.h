#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

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
    Missing,  // no regular file of that name (a directory counts as missing)
    Failed,   // the file is there but could not be read
};

struct ReadResult {
    ReadStatus status = ReadStatus::Missing;
    std::string bytes;
    std::string error;
};

// Whether `path` names a regular file (following links).
bool fileExists(const std::filesystem::path& path);

// Reads the whole file into memory in one go.
ReadResult readWholeFile(const std::filesystem::path& path);

// Writes `bytes` to a temporary file beside `target` and renames it over `target`, so the old
// file stays whole until the new one is complete. On failure the temporary file is removed, the
// old file is untouched and the result says why.
// A file that only its owner may read (it holds a password) is written so from the start.
enum class Visibility { Shared, OwnerOnly };
WriteResult writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                                Visibility visibility = Visibility::Shared);

// Splits file content into lines at LF; a CR before the LF belongs to the line end. A final line
// without a line end counts as a line; the end of the content does not add an empty one.
std::vector<std::string_view> splitLines(std::string_view content);

}  // namespace orvessa::store
