#include "core/skins/skin_package.h"

#include <string>
#include <string_view>

#include "core/skins/lzhuf.h"
#include "core/text/gbk.h"

namespace orvessa::skins {

Result<Skin> loadSkin(std::span<const std::uint8_t> package) {
    auto unpacked = lzhuf::decode(package);
    if (!unpacked) {
        return Result<Skin>::failure(unpacked.error());
    }
    auto entries = readArchive(unpacked.value());
    if (!entries) {
        return Result<Skin>::failure(entries.error());
    }

    Skin skin;
    for (ArchiveEntry& entry : entries.value()) {
        std::string key = entryKey(entry.name);
        if (skin.descriptionName.empty() && key.find(".ini") != std::string::npos) {
            skin.descriptionName = key;
        }
        skin.entries.try_emplace(std::move(key), std::move(entry.bytes));
    }
    if (skin.descriptionName.empty()) {
        return Result<Skin>::failure("The skin holds no description (no entry named \".ini\")");
    }
    // No earlier entry can share the description's name: it would have been taken instead.
    const std::vector<std::uint8_t>& bytes = *skin.entry(skin.descriptionName);
    skin.description = store::IniDocument(text::gbkToUtf8(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
    return skin;
}

Result<std::vector<std::uint8_t>> packSkin(std::span<const ArchiveEntry> entries) {
    auto archive = writeArchive(entries);
    if (!archive) {
        return archive;
    }
    return lzhuf::encode(archive.value());
}

}  // namespace orvessa::skins
