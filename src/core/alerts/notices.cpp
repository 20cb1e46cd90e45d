#include "core/alerts/notices.h"

#include <algorithm>
#include <system_error>

#include "core/text/gbk.h"
#include "core/text/key_value.h"
#include "core/text/paths.h"

namespace orvessa::alerts {
namespace {

namespace fs = std::filesystem;

// Whether `file`, links followed, is a regular file directly inside `folder` (also resolved).
bool regularInside(const fs::path& file, const fs::path& folder) {
    std::error_code ec;
    const fs::path real = fs::canonical(file, ec);
    if (ec) {
        return false;
    }
    const fs::path realFolder = fs::canonical(folder, ec);
    if (ec || real.parent_path() != realFolder) {
        return false;
    }
    return fs::is_regular_file(real, ec);
}

}  // namespace

std::vector<std::string> listNotices(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    // A folder of thousands is not a list of notices; the bound keeps a mistake cheap.
    for (; !ec && it != fs::directory_iterator() && names.size() < 1000; it.increment(ec)) {
        // A name from a Windows disk is shown as it reads there; findNotice finds it by that.
        const std::string name = text::readablePath(it->path().filename());
        if (name.empty() || name.front() == '.' || !regularInside(it->path(), folder)) {
            continue;
        }
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

NoticeLookup findNotice(const fs::path& folder, std::string_view name) {
    NoticeLookup out;
    const bool badName = name.empty() || name == "." || name == ".." ||
                         name.find('/') != std::string_view::npos ||
                         name.find('\\') != std::string_view::npos ||
                         text::hasControlCharacter(name) || !text::isUtf8(name);
    if (badName) {
        out.status = NoticeLookup::Status::BadName;
        out.error = "通知文件名无效：只能是通知文件夹中的文件名";
        return out;
    }
    fs::path path = folder / text::fsPath(name);
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        // A file whose name is not UTF-8 goes by the readable name listNotices gave it; its own
        // bytes reach it.
        for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
             it.increment(ec)) {
            const std::string own = text::utf8Path(it->path().filename());
            if (!text::isUtf8(own) && text::readableText(own) == name) {
                path = it->path();
                break;
            }
        }
    }
    if (!fs::exists(path, ec)) {
        out.status = NoticeLookup::Status::Missing;
        out.error = "通知文件不存在：" + std::string(name);
        return out;
    }
    if (!regularInside(path, folder)) {
        const bool link = fs::is_symlink(fs::symlink_status(path, ec));
        out.status = link ? NoticeLookup::Status::BadName : NoticeLookup::Status::Missing;
        out.error = link ? "通知文件须在通知文件夹内：" + std::string(name)
                         : "不是可播放的通知文件：" + std::string(name);
        return out;
    }
    out.path = path;
    return out;
}

}  // namespace orvessa::alerts
