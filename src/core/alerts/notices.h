#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orvessa::alerts {

// The notices are the files of one folder, named by their bare file names; a name that is not
// UTF-8 on disk goes by its readable form (text::readableText), so that every name shown,
// recorded or sent is UTF-8.

// The file names in `folder`, sorted: regular files that are not hidden and do not lead out of
// the folder through a link. None when the folder is missing or unreadable.
std::vector<std::string> listNotices(const std::filesystem::path& folder);

struct NoticeLookup {
    enum class Status { Found, BadName, Missing };
    Status status = Status::Found;
    std::filesystem::path path;  // when found
    std::string error;           // for the operator, when not found
};

// The notice called `name` in `folder`: the file of that name, else the file whose name is not
// UTF-8 and reads as `name`. A name with a separator, "." or "..", a control character or bytes
// that are not UTF-8, and a link that leads out of the folder, are bad names; a name the folder
// has no regular file of is missing.
NoticeLookup findNotice(const std::filesystem::path& folder, std::string_view name);

}  // namespace orvessa::alerts
