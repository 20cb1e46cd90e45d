#pragma once

namespace orvessa::skins {
struct Skin;
}

namespace orvessa::platform {

// What draws the system's windows in a skin: every window of the system, those open now and those
// opened later, popup menus included. The video window's subtitle strip keeps its own colours.
class SkinLook {
public:
    virtual ~SkinLook() = default;
    virtual void apply(const skins::Skin& skin) = 0;
    // Back to the normal look of the desktop.
    virtual void clear() = 0;
};

}  // namespace orvessa::platform
