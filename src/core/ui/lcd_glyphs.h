#pragma once

#include <vector>

#include "core/model/control.h"

namespace orvessa::ui {

// A small off-screen picture: rows top to bottom, each pixel a colour as the system stores it.
class LcdImage {
public:
    LcdImage() = default;
    LcdImage(int width, int height, model::Color fill = model::kBlack);

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool empty() const { return m_width <= 0 || m_height <= 0; }

    // Pixels outside the picture read as black and ignore writes.
    model::Color pixel(int x, int y) const;
    void setPixel(int x, int y, model::Color color);
    void fill(model::Color color);
    // A new size discards the contents.
    void resize(int width, int height, model::Color fill = model::kBlack);

    const std::vector<model::Color>& pixels() const { return m_pixels; }
    std::vector<model::Color>& pixels() { return m_pixels; }

    bool operator==(const LcdImage&) const = default;

private:
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }

    int m_width = 0;
    int m_height = 0;
    std::vector<model::Color> m_pixels;
};

// Copies the `width` by `height` block at (sx, sy) of `source` to (dx, dy) of `target`, black
// source pixels left out so the background shows through; clipped to both pictures.
void drawTransparent(LcdImage& target, int dx, int dy, const LcdImage& source, int sx, int sy,
                     int width, int height);

// The glyph sets of the clock, named after the digit cell they were drawn for.
enum class LcdNumStyle { ns13x24, ns11x20, ns7x13, ns12x17, ns5x7 };

// The three colours of every glyph picture as drawn.
inline constexpr model::Color kLcdLit = model::rgb(0xC0, 0xC0, 0xC0);
inline constexpr model::Color kLcdUnlit = model::rgb(0x80, 0x80, 0x80);

// Cells of the digit strip after the ten digits.
inline constexpr int kLcdBlankCell = 10;
inline constexpr int kLcdUnlitMinusCell = 11;
inline constexpr int kLcdLitMinusCell = 12;
inline constexpr int kLcdDigitCells = 13;
// Cells of the AM/PM strip.
inline constexpr int kLcdPmCell = 0;
inline constexpr int kLcdAmCell = 1;

// The pictures of one style: 13 digit cells side by side, the colon, and two AM/PM cells.
struct LcdGlyphs {
    LcdImage digits;
    LcdImage colon;
    LcdImage ampm;

    int cellWidth() const { return digits.width() / kLcdDigitCells; }
    int cellHeight() const { return digits.height(); }
    int ampmCellWidth() const { return ampm.width() / 2; }
};

// The glyphs of `style` in black, silver (lit) and grey (unlit).
LcdGlyphs lcdGlyphs(LcdNumStyle style);

// Paints `low` onto `target` where `source` is grey and `high` where it is silver; everything
// else in `target` is left as it is. `source` is the unchanged picture `target` was copied from.
void recolour(LcdImage& target, const LcdImage& source, model::Color low, model::Color high);

}  // namespace orvessa::ui
