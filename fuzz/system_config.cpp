// orvessa.sys as start-up loads it, from a file: 27 entries, the checked readings of the numeric
// ones, and a save that loads back to the same entries.

#include "core/store/system_config.h"

#include <filesystem>
#include <string_view>

#include "fuzz_input.h"
#include "work_directory.h"

using namespace orvessa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::WorkDirectory work;
    const std::filesystem::path& dir = work.path();
    work.write(store::SystemConfig::kFileName,
               std::string_view(reinterpret_cast<const char*>(data), size));
    store::SystemConfig config(dir);
    if (config.load() != store::SystemConfig::LoadStatus::Loaded) {
        fuzz::broken("a regular file did not load");
    }
    const int skin = config.skinNumber();
    const int action = config.endOfDayAction();
    const int weekday = config.forcedWeekday();
    if (skin < 0 || skin >= store::SystemConfig::kSkinCount || action < 0 || action > 3 ||
        weekday < 0 || weekday > 7 || config.defaultPlayOrder() < 0 ||
        config.defaultPlayOrder() > 1) {
        fuzz::broken("a checked entry out of its range");
    }
    for (int w = 0; w <= 8; ++w) {
        config.stopOnWeekday(w);
    }
    config.anyoneMayOperate();
    config.passwordModeIndex();

    if (!config.save()) {
        fuzz::broken("the save failed");
    }
    store::SystemConfig back(dir);
    if (back.load() != store::SystemConfig::LoadStatus::Loaded) {
        fuzz::broken("the saved file did not load");
    }
    for (int k = 0; k < store::SystemConfig::kEntryCount; ++k) {
        if (back.entry(k) != config.entry(k)) {
            fuzz::broken("an entry changed in a save");
        }
    }
    return 0;
}
