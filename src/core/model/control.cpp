#include "core/model/control.h"

namespace orvessa::model {

void Control::setEnabled(bool on) {
    if (m_enabled != on) {
        m_enabled = on;
        notify();
    }
}

void Control::setVisible(bool on) {
    if (m_visible != on) {
        m_visible = on;
        notify();
    }
}

void Control::setBounds(const Rect& bounds) {
    if (!(m_bounds == bounds)) {
        m_bounds = bounds;
        notify();
    }
}

TextControl::TextControl(std::string name, std::string text, Color color)
    : Control(std::move(name)), m_text(std::move(text)), m_color(color) {}

void TextControl::setText(std::string text) {
    if (m_text != text) {
        m_text = std::move(text);
        notify();
    }
}

void TextControl::setColor(Color color) {
    if (m_color != color) {
        m_color = color;
        notify();
    }
}

}  // namespace orvessa::model
