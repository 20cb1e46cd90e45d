#include "core/skins/skin_engine.h"

#include <utility>

#include "core/skins/skin_package.h"

namespace orvessa::skins {

SkinEngine::SkinEngine(platform::SkinLook& look, platform::Host& host,
                       std::function<void(const std::string&)> refused)
    : m_look(look), m_host(host), m_refused(std::move(refused)) {}

bool SkinEngine::loadFromStore(const SkinStore& store, std::int64_t number) {
    const SkinStoreItem* item = store.item(number);
    if (item == nullptr) {
        return false;
    }
    Result<Skin> loaded = loadSkin(item->package);
    if (!loaded) {
        m_host.messageBox(loaded.error(), "系统信息", platform::MessageIcon::Error,
                          platform::MessageButtons::Ok);
        if (m_refused) {
            m_refused(item->name + ": " + loaded.error());
        }
        return false;
    }
    m_skin = std::move(loaded).value();
    m_shown = false;
    refresh();
    return true;
}

void SkinEngine::setActive(bool active) {
    if (m_active == active) {
        return;
    }
    m_active = active;
    refresh();
}

void SkinEngine::refresh() {
    if (m_active && m_skin && !m_shown) {
        m_look.apply(*m_skin);
        m_shown = true;
    } else if (!m_active && m_shown) {
        m_look.clear();
        m_shown = false;
    }
}

SkinSwitcher::SkinSwitcher(model::Command& toolButton, store::SystemConfig& config,
                           std::function<bool()> saveConfiguration, SkinEngine& engine,
                           const SkinStore& store)
    : m_toolButton(toolButton),
      m_config(config),
      m_saveConfiguration(std::move(saveConfiguration)),
      m_engine(engine),
      m_store(store) {}

void SkinSwitcher::applyAtStartUp() {
    m_number = m_config.intEntry(store::SystemConfig::kSkinNumber, 0);
    load();
}

void SkinSwitcher::click() {
    // A negative number, which no skin has, steps to the first skin.
    m_number = m_number < 0 ? 0 : m_number + 1;
    m_toolButton.setHint("界面" + std::to_string(m_number));
    if (m_number > 9) {
        m_number = 0;
    }
    load();
    m_config.setEntry(store::SystemConfig::kSkinNumber, std::to_string(m_number));
    m_saveConfiguration();
}

void SkinSwitcher::load() {
    m_engine.loadFromStore(m_store, m_number);
    m_engine.setActive(true);
}

}  // namespace orvessa::skins
