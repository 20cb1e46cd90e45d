#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/model/command.h"
#include "core/platform/host.h"
#include "core/platform/skin_look.h"
#include "core/skins/skin.h"
#include "core/skins/skin_store.h"
#include "core/store/system_config.h"

namespace orvessa::skins {

// The engine that gives every window of the system the active skin's look. One instance serves
// all windows; the look itself is drawn by the toolkit behind platform::SkinLook.
class SkinEngine {
public:
    // `refused` hears why a package could not be loaded (the message the operator was shown).
    SkinEngine(platform::SkinLook& look, platform::Host& host,
               std::function<void(const std::string&)> refused = {});

    // Loads skin `number` of `store`. A number the store has no item for loads nothing and the
    // current look stays. A package that cannot be read is refused with one message, and the
    // skin loaded before stays. Returns whether a skin was loaded.
    bool loadFromStore(const SkinStore& store, std::int64_t number);

    bool active() const { return m_active; }
    // True gives every window the loaded skin (nothing while none was ever loaded); false
    // brings back the normal look.
    void setActive(bool active);

    // The skin loaded last, if any.
    const Skin* skin() const { return m_skin ? &*m_skin : nullptr; }

private:
    void refresh();

    platform::SkinLook& m_look;
    platform::Host& m_host;
    std::function<void(const std::string&)> m_refused;
    std::optional<Skin> m_skin;
    bool m_active = false;
    bool m_shown = false;
};

// The skin command ("换肤" on the toolbar, "换    肤(&G)" in the system menu) and start-up's
// apply: the skin number steps through the store, wraps after 9, and is kept in entry 4.
class SkinSwitcher {
public:
    SkinSwitcher(model::Command& toolButton, store::SystemConfig& config,
                 std::function<bool()> saveConfiguration, SkinEngine& engine,
                 const SkinStore& store);

    // The number the configuration holds; a number outside 0..9 applies no skin.
    void applyAtStartUp();
    void click();

    std::int64_t skinNumber() const { return m_number; }

private:
    void load();

    model::Command& m_toolButton;
    store::SystemConfig& m_config;
    std::function<bool()> m_saveConfiguration;
    SkinEngine& m_engine;
    const SkinStore& m_store;
    std::int64_t m_number = 0;
};

}  // namespace orvessa::skins
