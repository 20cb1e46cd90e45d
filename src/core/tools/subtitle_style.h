#pragma once

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

}  // namespace orvessa::tools
