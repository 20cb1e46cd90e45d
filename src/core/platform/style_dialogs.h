#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/model/control.h"

namespace orvessa::platform {

// A colour with the top bit set names a system colour by its index instead of an RGB value.
inline constexpr model::Color kSystemColorFlag = 0x80000000u;
constexpr model::Color systemColor(int index) {
    return kSystemColorFlag | static_cast<model::Color>(index);
}
constexpr bool isSystemColor(model::Color color) {
    return (color & kSystemColorFlag) != 0;
}
inline constexpr int kWindowTextIndex = 8;
inline constexpr model::Color kWindowTextColor = systemColor(kWindowTextIndex);

// A font as the system's windows and its font dialog describe it. The character set is left
// to the toolkit, which picks one that writes the text.
struct FontDescription {
    std::string face = "MS Sans Serif";
    int size = 8;  // points
    model::Color color = kWindowTextColor;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    bool operator==(const FontDescription&) const = default;
};

// The platform's font and colour dialogs. Each starts with the current value and returns the
// operator's choice, or nothing when cancelled.
class StyleDialogs {
public:
    virtual ~StyleDialogs() = default;
    virtual std::optional<FontDescription> fontDialog(const FontDescription& current) = 0;
    virtual std::optional<model::Color> colorDialog(model::Color current) = 0;
};

}  // namespace orvessa::platform
