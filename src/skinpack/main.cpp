// Packs the built-in skins: one source directory per skin, into the store the program embeds.

#include <cstdio>
#include <filesystem>
#include <string_view>
#include <vector>

#include "core/skins/skin_packer.h"
#include "core/store/file_io.h"

namespace {

int fail(std::string_view message) {
    std::fprintf(stderr, "orvessa-skinpack: %.*s\n", static_cast<int>(message.size()),
                 message.data());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace orvessa;
    const std::size_t skinCount = skins::kSkinItemNames.size();
    if (argc != static_cast<int>(skinCount) + 2) {
        std::fprintf(stderr, "usage: orvessa-skinpack OUT.store DIR0 ... DIR%zu\n", skinCount - 1);
        return 1;
    }
    const std::filesystem::path out = argv[1];
    const std::vector<std::filesystem::path> directories(argv + 2, argv + argc);

    const auto store = skins::buildSkinStore(directories);
    if (!store) {
        return fail(store.error());
    }
    const std::vector<std::uint8_t> bytes = store.value().serialize();
    const store::WriteResult written = store::writeFileAtomically(
        out, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (!written) {
        return fail(written.error);
    }
    return 0;
}
