#include "core/store/file_io.h"

#include <cerrno>
#include <fstream>
#include <system_error>

#include "core/text/paths.h"

namespace orvessa::store {
namespace {

std::string describe(const std::filesystem::path& path, const std::string& why) {
    return text::utf8Path(path) + ": " + why;
}

std::string lastErrno() {
    return std::error_code(errno, std::generic_category()).message();
}

}  // namespace

bool fileExists(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

ReadResult readWholeFile(const std::filesystem::path& path) {
    ReadResult result;
    if (!fileExists(path)) {
        result.status = ReadStatus::Missing;
        return result;
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.status = ReadStatus::Failed;
        result.error = describe(path, lastErrno());
        return result;
    }
    std::string bytes;
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        result.status = ReadStatus::Failed;
        result.error = describe(path, "read error");
        return result;
    }
    result.status = ReadStatus::Ok;
    result.bytes = std::move(bytes);
    return result;
}

WriteResult writeFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                                Visibility visibility) {
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    std::error_code ec;
    {
        errno = 0;
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            return WriteResult::failure(describe(target, lastErrno()));
        }
        if (visibility == Visibility::OwnerOnly) {
            // Before the content goes in, so that no moment leaves it readable to others.
            namespace fs = std::filesystem;
            fs::permissions(temporary, fs::perms::owner_read | fs::perms::owner_write,
                            fs::perm_options::replace, ec);
            if (ec) {
                out.close();
                std::filesystem::remove(temporary, ec);
                return WriteResult::failure(describe(target, "cannot restrict access"));
            }
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        const int writeErrno = errno;
        const bool written = static_cast<bool>(out);
        out.close();
        if (!written || !out) {
            std::filesystem::remove(temporary, ec);
            const std::string why =
                writeErrno != 0 ? std::error_code(writeErrno, std::generic_category()).message()
                                : std::string("write error");
            return WriteResult::failure(describe(target, why));
        }
    }
    std::filesystem::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return WriteResult::failure(describe(target, ec.message()));
    }
    return {};
}

std::vector<std::string_view> splitLines(std::string_view content) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? content.size() : end + 1;
        if (end == std::string_view::npos) {
            end = content.size();
        }
        std::string_view line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        start = next;
    }
    return lines;
}

}  // namespace orvessa::store
