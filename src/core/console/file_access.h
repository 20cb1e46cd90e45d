#pragma once

#include <filesystem>
#include <string>

// Files that say who may use the console, or prove it is this console, are refused when other
// local users could have changed or read them, as ssh refuses such keys: one planted there
// would otherwise work unseen.
namespace orvessa::console {

// Empty when only the owner of `file` may write it (or it is missing), else why it is refused.
std::string writableByOthers(const std::filesystem::path& file);

// Empty when only the owner of `file` may read or write it (or it is missing), else why the
// private key in it is refused.
std::string keyExposed(const std::filesystem::path& file);

}  // namespace orvessa::console
