#include "core/ui/lcd_glyphs.h"

#include <algorithm>
#include <array>
#include <span>
#include <string_view>

namespace orvessa::ui {

LcdImage::LcdImage(int width, int height, model::Color fill) {
    resize(width, height, fill);
}

model::Color LcdImage::pixel(int x, int y) const {
    return contains(x, y) ? m_pixels[static_cast<size_t>(y) * m_width + x] : model::kBlack;
}

void LcdImage::setPixel(int x, int y, model::Color color) {
    if (contains(x, y)) {
        m_pixels[static_cast<size_t>(y) * m_width + x] = color;
    }
}

void LcdImage::fill(model::Color color) {
    std::fill(m_pixels.begin(), m_pixels.end(), color);
}

void LcdImage::resize(int width, int height, model::Color fill) {
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    m_pixels.assign(static_cast<size_t>(m_width) * m_height, fill);
}

void drawTransparent(LcdImage& target, int dx, int dy, const LcdImage& source, int sx, int sy,
                     int width, int height) {
    for (int row = 0; row < height; ++row) {
        const int ty = dy + row;
        const int fy = sy + row;
        if (ty < 0 || ty >= target.height() || fy < 0 || fy >= source.height()) {
            continue;
        }
        for (int col = 0; col < width; ++col) {
            const model::Color c = source.pixel(sx + col, fy);
            if (c != model::kBlack) {
                target.setPixel(dx + col, ty, c);
            }
        }
    }
}

void recolour(LcdImage& target, const LcdImage& source, model::Color low, model::Color high) {
    // Two passes through masks taken from the untouched picture, so a new colour that happens to
    // equal grey or silver is never taken for a segment.
    const auto paintThrough = [&](model::Color key, model::Color colour) {
        const auto& from = source.pixels();
        auto& to = target.pixels();
        for (size_t i = 0; i < from.size() && i < to.size(); ++i) {
            if (from[i] == key) {
                to[i] = colour;
            }
        }
    };
    paintThrough(kLcdUnlit, low);
    paintThrough(kLcdLit, high);
}

namespace {

// How one style is drawn: the digit cell, the segment thickness, the colon and its dots, and
// the AM/PM words.
struct Art {
    int cellWidth;
    int cellHeight;
    int thickness;
    int colonWidth;
    int dot;
    int ampmCellWidth;
    std::span<const std::string_view> am;
    std::span<const std::string_view> pm;
};

// The AM/PM words as text art, one size per cell: '#' marks a letter pixel.
constexpr std::array<std::string_view, 7> kAm7{
    ".##..#...#", "#..#.##.##", "#..#.#.#.#", "####.#.#.#",
    "#..#.#...#", "#..#.#...#", "#..#.#...#",
};
constexpr std::array<std::string_view, 7> kPm7{
    "###..#...#", "#..#.##.##", "#..#.#.#.#", "###..#.#.#",
    "#....#...#", "#....#...#", "#....#...#",
};
constexpr std::array<std::string_view, 5> kAm5{
    ".##..#...#", "#..#.##.##", "####.#.#.#", "#..#.#...#", "#..#.#...#",
};
constexpr std::array<std::string_view, 5> kPm5{
    "###..#...#", "#..#.##.##", "###..#.#.#", "#....#...#", "#....#...#",
};
constexpr std::array<std::string_view, 5> kAm3x5{
    ".#..#.#", "#.#.###", "###.###", "#.#.#.#", "#.#.#.#",
};
constexpr std::array<std::string_view, 5> kPm3x5{
    "##..#.#", "#.#.###", "##..###", "#...#.#", "#...#.#",
};
constexpr std::array<std::string_view, 3> kAm3{".#.#.#", "######", "#.##.#"};
constexpr std::array<std::string_view, 3> kPm3{"####.#", "######", "#..#.#"};

Art artOf(LcdNumStyle style) {
    switch (style) {
        case LcdNumStyle::ns13x24:
            return {13, 24, 3, 6, 3, 10, kAm7, kPm7};
        case LcdNumStyle::ns11x20:
            return {11, 20, 2, 6, 2, 10, kAm7, kPm7};
        case LcdNumStyle::ns7x13:
            return {7, 13, 2, 3, 1, 7, kAm3x5, kPm3x5};
        case LcdNumStyle::ns12x17:
            return {12, 17, 2, 7, 3, 10, kAm5, kPm5};
        case LcdNumStyle::ns5x7:
            break;
    }
    return {4, 7, 1, 3, 1, 6, kAm3, kPm3};
}

// Segments a to g as bits 0 to 6: a top, b upper right, c lower right, d bottom, e lower left,
// f upper left, g middle.
enum Segment : unsigned { A = 1, B = 2, C = 4, D = 8, E = 16, F = 32, G = 64 };
constexpr unsigned kAllSegments = A | B | C | D | E | F | G;
constexpr std::array<unsigned, 10> kDigitSegments{
    A | B | C | D | E | F,  // 0
    B | C,                  // 1
    A | B | D | E | G,      // 2
    A | B | C | D | G,      // 3
    B | C | F | G,          // 4
    A | C | D | F | G,      // 5
    A | C | D | E | F | G,  // 6
    A | B | C,              // 7
    kAllSegments,           // 8
    A | B | C | D | F | G,  // 9
};

// The middle bar's rows: `t` thick, centred; for a bar an even number of rows thick both middle
// rows are its widest.
struct Middle {
    int first;
    int upper;  // topmost widest row
    int lower;  // bottommost widest row
};

Middle middleOf(int height, int t) {
    const int first = (height - t) / 2;
    const int upper = first + (t - 1) / 2;
    return {first, upper, first + t - 1 - (t - 1) / 2};
}

// Draws the segments in `present` into the cell at `left`: those in `lit` silver, the others
// grey. Bars taper towards their ends so neighbouring segments meet only at a corner.
void drawSegments(LcdImage& image, int left, const Art& art, unsigned present, unsigned lit) {
    const int l = left;
    const int r = left + art.cellWidth - 1;
    const int bottom = art.cellHeight - 1;
    const int t = art.thickness;
    const Middle mid = middleOf(art.cellHeight, t);
    const auto colour = [lit](unsigned s) { return (lit & s) ? kLcdLit : kLcdUnlit; };
    const auto row = [&](int y, int x0, int x1, model::Color c) {
        for (int x = x0; x <= x1; ++x) {
            image.setPixel(x, y, c);
        }
    };
    const auto column = [&](int x, int y0, int y1, model::Color c) {
        for (int y = y0; y <= y1; ++y) {
            image.setPixel(x, y, c);
        }
    };
    for (int k = 0; k < t; ++k) {
        if (present & A) {
            row(k, l + 1 + k, r - 1 - k, colour(A));
        }
        if (present & D) {
            row(bottom - k, l + 1 + k, r - 1 - k, colour(D));
        }
        if (present & F) {
            column(l + k, 1 + k, mid.upper - 1 - k, colour(F));
        }
        if (present & E) {
            column(l + k, mid.lower + 1 + k, bottom - 1 - k, colour(E));
        }
        if (present & B) {
            column(r - k, 1 + k, mid.upper - 1 - k, colour(B));
        }
        if (present & C) {
            column(r - k, mid.lower + 1 + k, bottom - 1 - k, colour(C));
        }
        if (present & G) {
            const int y = mid.first + k;
            const int inset = y < mid.upper ? mid.upper - y : (y > mid.lower ? y - mid.lower : 0);
            row(y, l + 1 + inset, r - 1 - inset, colour(G));
        }
    }
}

LcdImage digitStrip(const Art& art) {
    LcdImage strip(art.cellWidth * kLcdDigitCells, art.cellHeight);
    for (int digit = 0; digit < 10; ++digit) {
        drawSegments(strip, digit * art.cellWidth, art, kAllSegments, kDigitSegments[digit]);
    }
    drawSegments(strip, kLcdBlankCell * art.cellWidth, art, kAllSegments, 0);
    drawSegments(strip, kLcdUnlitMinusCell * art.cellWidth, art, G, 0);
    drawSegments(strip, kLcdLitMinusCell * art.cellWidth, art, G, G);
    return strip;
}

// Two lit square dots, centred across, level with the middles of the digits' upper and lower
// halves.
LcdImage colonImage(const Art& art) {
    LcdImage colon(art.colonWidth, art.cellHeight);
    const Middle mid = middleOf(art.cellHeight, art.thickness);
    const int upperCentre = mid.upper / 2;
    const int lowerCentre = art.cellHeight - 1 - upperCentre;
    const int x0 = (art.colonWidth - art.dot) / 2;
    for (int centre : {upperCentre, lowerCentre}) {
        const int y0 = centre - (art.dot - 1) / 2;
        for (int y = y0; y < y0 + art.dot; ++y) {
            for (int x = x0; x < x0 + art.dot; ++x) {
                colon.setPixel(x, y, kLcdLit);
            }
        }
    }
    return colon;
}

void drawWord(LcdImage& image, int left, int top, std::span<const std::string_view> word,
              model::Color colour) {
    for (size_t y = 0; y < word.size(); ++y) {
        for (size_t x = 0; x < word[y].size(); ++x) {
            if (word[y][x] == '#') {
                image.setPixel(left + static_cast<int>(x), top + static_cast<int>(y), colour);
            }
        }
    }
}

// AM in the upper half of each cell and PM in the lower, each centred in its half.
LcdImage ampmStrip(const Art& art) {
    LcdImage strip(art.ampmCellWidth * 2, art.cellHeight);
    const int half = art.cellHeight / 2;
    const int wordHeight = static_cast<int>(art.am.size());
    const int wordWidth = static_cast<int>(art.am.front().size());
    const int amTop = (half - wordHeight) / 2;
    const int pmTop = art.cellHeight - half + amTop;
    for (int cell : {kLcdPmCell, kLcdAmCell}) {
        const int left = cell * art.ampmCellWidth + (art.ampmCellWidth - wordWidth) / 2;
        drawWord(strip, left, amTop, art.am, cell == kLcdAmCell ? kLcdLit : kLcdUnlit);
        drawWord(strip, left, pmTop, art.pm, cell == kLcdPmCell ? kLcdLit : kLcdUnlit);
    }
    return strip;
}

}  // namespace

LcdGlyphs lcdGlyphs(LcdNumStyle style) {
    const Art art = artOf(style);
    return {digitStrip(art), colonImage(art), ampmStrip(art)};
}

}  // namespace orvessa::ui
