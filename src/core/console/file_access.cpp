#include "core/console/file_access.h"

#include <system_error>

#include "core/text/paths.h"

namespace orvessa::console {
namespace {

namespace fs = std::filesystem;

// The permission bits of `file` as it is reached (through a link, the target's); none when
// it is missing or cannot be looked at, which its reader reports.
fs::perms permissionsOf(const fs::path& file) {
    std::error_code error;
    const fs::file_status status = fs::status(file, error);
    return error ? fs::perms::none : status.permissions() & fs::perms::all;
}

}  // namespace

std::string writableByOthers(const fs::path& file) {
    if ((permissionsOf(file) & (fs::perms::group_write | fs::perms::others_write)) ==
        fs::perms::none) {
        return {};
    }
    const std::string path = text::utf8Path(file);
    return path + " 可被其他用户改写，不予使用；请检查其中的用户和令牌后执行 chmod 600 " + path;
}

std::string keyExposed(const fs::path& file) {
    if ((permissionsOf(file) & (fs::perms::group_all | fs::perms::others_all)) == fs::perms::none) {
        return {};
    }
    const std::string path = text::utf8Path(file);
    return "私钥 " + path + " 可被其他用户读写，不予使用；请执行 chmod 600 " + path +
           "，并考虑重新生成证书";
}

}  // namespace orvessa::console
