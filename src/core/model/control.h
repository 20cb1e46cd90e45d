#pragma once

#include <cstdint>
#include <string>

#include "core/model/signal.h"

namespace orvessa::model {

// A colour as the system stores it: RGB with red in the low byte.
using Color = uint32_t;
constexpr Color rgb(int r, int g, int b) {
    return static_cast<Color>(r) | (static_cast<Color>(g) << 8) | (static_cast<Color>(b) << 16);
}
inline constexpr Color kBlack = rgb(0, 0, 0);
inline constexpr Color kGreen = rgb(0, 128, 0);
inline constexpr Color kRed = rgb(255, 0, 0);

// A control's place in its window (or a window's on the desktop), in pixels.
struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
    bool empty() const { return width <= 0 || height <= 0; }
};

// What every control has: its component name, and whether it is enabled and visible.
// `changed` fires after any property of the control changed.
class Control {
public:
    explicit Control(std::string name) : m_name(std::move(name)) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return m_name; }

    bool enabled() const { return m_enabled; }
    void setEnabled(bool on);
    bool visible() const { return m_visible; }
    void setVisible(bool on);

    // Where the control is; empty while it stays where the view designed it.
    const Rect& bounds() const { return m_bounds; }
    void setBounds(const Rect& bounds);

    Signal<> changed;

protected:
    void notify() const { changed.send(); }

private:
    std::string m_name;
    bool m_enabled = true;
    bool m_visible = true;
    Rect m_bounds;
};

// Somewhere a line of text is written in a colour: a label, or a line the running system keeps
// for its views to show.
class TextLine {
public:
    virtual ~TextLine() = default;
    virtual const std::string& text() const = 0;
    virtual void setText(std::string text) = 0;
    virtual Color color() const = 0;
    virtual void setColor(Color color) = 0;
};

// A label, edit field or panel: text and text colour.
class TextControl : public Control, public TextLine {
public:
    explicit TextControl(std::string name, std::string text = {}, Color color = kBlack);

    const std::string& text() const override { return m_text; }
    void setText(std::string text) override;
    Color color() const override { return m_color; }
    void setColor(Color color) override;

private:
    std::string m_text;
    Color m_color;
};

}  // namespace orvessa::model
