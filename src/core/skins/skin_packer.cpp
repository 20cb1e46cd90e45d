#include "core/skins/skin_packer.h"

#include <algorithm>
#include <string>
#include <system_error>

#include "core/skins/skin_package.h"
#include "core/store/file_io.h"

namespace orvessa::skins {
namespace {

bool isDescription(const std::string& fileName) {
    const std::string key = entryKey(fileName);
    return key.size() > 4 && key.ends_with(".ini");
}

}  // namespace

Result<std::vector<ArchiveEntry>> readSkinDirectory(const std::filesystem::path& directory) {
    using Out = Result<std::vector<ArchiveEntry>>;
    const std::string where = directory.string() + ": ";
    std::error_code ec;
    std::vector<std::string> names;
    for (std::filesystem::directory_iterator it(directory, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (!name.starts_with(".") && it->is_regular_file()) {
            names.push_back(std::move(name));
        }
    }
    if (ec) {
        return Out::failure(where + ec.message());
    }
    std::sort(names.begin(), names.end());

    const auto descriptions = std::count_if(names.begin(), names.end(), isDescription);
    if (descriptions != 1) {
        return Out::failure(where + "a skin needs exactly one .ini file, there are " +
                            std::to_string(descriptions));
    }
    std::stable_partition(names.begin(), names.end(), isDescription);

    std::vector<ArchiveEntry> entries;
    for (const std::string& name : names) {
        store::ReadResult file = store::readWholeFile(directory / name);
        if (file.status != store::ReadStatus::Ok) {
            return Out::failure(where + name + ": " +
                                (file.error.empty() ? "cannot be read" : file.error));
        }
        entries.push_back({name, std::vector<std::uint8_t>(file.bytes.begin(), file.bytes.end())});
    }
    return entries;
}

Result<SkinStore> buildSkinStore(std::span<const std::filesystem::path> directories) {
    if (directories.size() != kSkinItemNames.size()) {
        return Result<SkinStore>::failure(
            "The store takes " + std::to_string(kSkinItemNames.size()) + " skin directories, not " +
            std::to_string(directories.size()));
    }
    std::vector<SkinStoreItem> items;
    for (std::size_t i = 0; i < directories.size(); ++i) {
        const std::string where = directories[i].string() + ": ";
        auto entries = readSkinDirectory(directories[i]);
        if (!entries) {
            return Result<SkinStore>::failure(entries.error());
        }
        auto package = packSkin(entries.value());
        if (!package) {
            return Result<SkinStore>::failure(where + package.error());
        }
        if (auto check = loadSkin(package.value()); !check) {
            return Result<SkinStore>::failure(where + check.error());
        }
        items.push_back({std::string(kSkinItemNames[i]), std::move(package).value()});
    }
    return SkinStore(std::move(items));
}

}  // namespace orvessa::skins
