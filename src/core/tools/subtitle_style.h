#pragma once

#include <algorithm>
#include <cmath>

#include "core/model/signal.h"
#include "core/platform/style_dialogs.h"

namespace orvessa::tools {

// What a subtitle strip draws with besides its text: the font and the background. Inline, so
// that the video window's view can draw with it without the rest of the tools.
class StripStyle {
public:
    const platform::FontDescription& font() const { return m_font; }
    void setFont(const platform::FontDescription& font) {
        if (!(m_font == font)) {
            m_font = font;
            changed.send();
        }
    }
    model::Color background() const { return m_background; }
    void setBackground(model::Color color) {
        if (m_background != color) {
            m_background = color;
            changed.send();
        }
    }

    model::Signal<> changed;

private:
    platform::FontDescription m_font;
    model::Color m_background = model::kBlack;
};

// The colour the strip's text is drawn in, given the text and background colours as RGB. The
// stored defaults are the window-text colour on black, which on most desktops is black on black:
// a subtitle nobody could read. Text that would not stand out from its background is drawn in
// white or black, whichever does; what is stored stays as the operator chose it.
inline model::Color readableTextColor(model::Color text, model::Color background) {
    const auto luminance = [](model::Color c) {
        const auto channel = [](unsigned v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c & 0xFF) + 0.7152 * channel((c >> 8) & 0xFF) +
               0.0722 * channel((c >> 16) & 0xFF);
    };
    const double a = luminance(text);
    const double b = luminance(background);
    const double contrast = (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
    if (contrast >= 1.5) {
        return text;
    }
    return b < 0.18 ? model::rgb(255, 255, 255) : model::kBlack;
}

}  // namespace orvessa::tools
