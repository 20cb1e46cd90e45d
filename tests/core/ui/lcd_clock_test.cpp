#include "core/ui/lcd_clock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/settable_clock.h"

namespace orvessa::ui {
namespace {

using Kind = LcdGlyphPlacement::Kind;

constexpr model::Color kGreen = model::rgb(0x00, 0x80, 0x00);
constexpr model::Color kLime = model::rgb(0x00, 0xFF, 0x00);

// The main window's clock as placed by the layout.
struct MainClock : ::testing::Test {
    MainClock() {
        clock.setTime(13, 5, 9);
        lcd.setSize(134, 49);
        lcd.setStyle(LcdNumStyle::ns12x17);
        lcd.setShowSeconds(true);
        lcd.setShowTimeZone(true);
        lcd.setThreaded(false);
        lcd.repaintRequested.connect([this] { ++repaints; });
    }

    // Every glyph pixel that is not black shows at its placement; all else is background.
    void expectPainted() {
        lcd.paint();
        const LcdGlyphs& g = lcd.glyphs();
        LcdImage expected(lcd.Width(), lcd.Height(), lcd.Color());
        for (const LcdGlyphPlacement& p : lcd.layout()) {
            if (p.kind == Kind::Digit) {
                drawTransparent(expected, p.x, p.y, g.digits, p.cell * g.cellWidth(), 0,
                                g.cellWidth(), g.cellHeight());
            } else if (p.kind == Kind::Colon && p.visible) {
                drawTransparent(expected, p.x, p.y, g.colon, 0, 0, g.colon.width(),
                                g.colon.height());
            } else if (p.kind == Kind::Marker) {
                drawTransparent(expected, p.x, p.y, g.ampm, p.cell * g.ampmCellWidth(), 0,
                                g.ampmCellWidth(), g.cellHeight());
            }
        }
        EXPECT_EQ(lcd.image(), expected);
    }

    fakes::SettableClock clock;
    TLcdClock lcd{clock};
    int repaints = 0;
};

TEST_F(MainClock, PlacesEveryGlyphAsDesigned) {
    lcd.update();
    EXPECT_EQ(lcd.drawnWidth(), 112);
    std::vector<std::pair<Kind, int>> seen;
    for (const LcdGlyphPlacement& p : lcd.layout()) {
        seen.emplace_back(p.kind, p.x);
        EXPECT_EQ(p.y, 16);
    }
    const std::vector<std::pair<Kind, int>> designed{
        {Kind::Digit, 11}, {Kind::Digit, 25}, {Kind::Colon, 39},
        {Kind::Digit, 48}, {Kind::Digit, 62}, {Kind::Colon, 76},
        {Kind::Digit, 85}, {Kind::Digit, 99}, {Kind::Marker, 113},
    };
    EXPECT_EQ(seen, designed);
    expectPainted();
    // The lit segments in the palette's colours: 3 has its top bar lit, 1 has it unlit.
    EXPECT_EQ(lcd.image().pixel(25 + 5, 16), kLime);
    EXPECT_EQ(lcd.image().pixel(11 + 5, 16), kGreen);
    EXPECT_EQ(lcd.image().pixel(0, 0), model::kBlack);
}

std::pair<std::string, int> shown(const TLcdClock& lcd) {
    return {lcd.text(), lcd.layout().back().cell};
}

TEST_F(MainClock, ShowsTwelveOrTwentyFourHoursWithTheMarker) {
    lcd.update();
    EXPECT_EQ(shown(lcd), std::make_pair(std::string("13:05:09"), kLcdPmCell));

    lcd.setHours24(false);
    lcd.update();
    EXPECT_EQ(shown(lcd), std::make_pair(std::string("01:05:09"), kLcdPmCell));

    clock.setTime(0, 30, 0);
    lcd.update();
    EXPECT_EQ(shown(lcd), std::make_pair(std::string("12:30:00"), kLcdAmCell));

    clock.setTime(12, 0, 0);
    lcd.update();
    EXPECT_EQ(shown(lcd), std::make_pair(std::string("12:00:00"), kLcdPmCell));
    expectPainted();
}

TEST_F(MainClock, NewLitColourRecoloursLitPixelsOnly) {
    lcd.update();
    lcd.paint();
    const LcdImage before = lcd.image();
    repaints = 0;

    const model::Color red = model::rgb(0xFF, 0, 0);
    lcd.Palette().setHigh(red);
    EXPECT_EQ(repaints, 1);
    lcd.paint();
    const LcdImage& after = lcd.image();
    int recoloured = 0;
    for (int y = 0; y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x) {
            const model::Color was = before.pixel(x, y);
            EXPECT_EQ(after.pixel(x, y), was == kLime ? red : was) << x << "," << y;
            recoloured += was == kLime;
        }
    }
    // Digits, colons and marker all have lit pixels.
    for (const LcdGlyphPlacement& p : lcd.layout()) {
        const int width = p.kind == Kind::Digit ? 12 : (p.kind == Kind::Colon ? 7 : 10);
        bool changed = false;
        for (int y = p.y; y < p.y + 17; ++y) {
            for (int x = p.x; x < p.x + width; ++x) {
                changed = changed || after.pixel(x, y) == red;
            }
        }
        EXPECT_TRUE(changed) << p.x;
    }
    EXPECT_GT(recoloured, 0);
}

TEST_F(MainClock, PaletteChangesInOneUpdateRecolourOnce) {
    lcd.Palette().beginUpdate();
    lcd.Palette().setLow(model::rgb(1, 2, 3));
    lcd.Palette().setHigh(model::rgb(4, 5, 6));
    EXPECT_EQ(repaints, 0);
    lcd.Palette().endUpdate();
    EXPECT_EQ(repaints, 1);

    lcd.setPalette(TLcdPalette(kGreen, kLime));
    EXPECT_EQ(repaints, 2);
    EXPECT_EQ(lcd.Palette().Low(), kGreen);
    EXPECT_EQ(lcd.Palette().High(), kLime);
}

TEST_F(MainClock, CustomClockCannotRunAndShowsWhatIsSet) {
    lcd.setActive(true);
    ASSERT_TRUE(lcd.timer().Enabled());
    lcd.setClockType(LcdClockType::ctCustom);
    EXPECT_FALSE(lcd.Active());
    EXPECT_FALSE(lcd.timer().Enabled());
    lcd.setActive(true);
    EXPECT_FALSE(lcd.Active());

    std::vector<int> hours;
    lcd.OnHoursChanged.connect([&](std::uint8_t h) { hours.push_back(h); });
    lcd.setHours(7);
    lcd.setMinutes(8);
    lcd.setSeconds(9);
    lcd.update();
    EXPECT_EQ(lcd.text(), "07:08:09");
    EXPECT_EQ(hours, std::vector<int>{7});
    // The marker belongs to the time of day only.
    EXPECT_NE(lcd.layout().back().kind, Kind::Marker);
    expectPainted();
}

TEST_F(MainClock, BlinkingColonsShowEveryOtherTickAndEveryTickRepaints) {
    lcd.update();
    repaints = 0;
    lcd.update();
    EXPECT_EQ(repaints, 0) << "an unchanged time without blinking needs no repaint";

    lcd.setBlink(true);
    lcd.setActive(true);
    repaints = 0;
    std::vector<bool> colons;
    for (int tick = 0; tick < 4; ++tick) {
        lcd.update();
        colons.push_back(lcd.layout()[2].visible);
    }
    EXPECT_EQ(colons, (std::vector<bool>{false, true, false, true}));
    EXPECT_EQ(repaints, 4);
    expectPainted();
}

TEST_F(MainClock, NotifiesChangedValuesInOrder) {
    std::vector<std::string> events;
    lcd.OnHoursChanged.connect([&](std::uint8_t v) { events.push_back("h" + std::to_string(v)); });
    lcd.OnMinutesChanged.connect(
        [&](std::uint8_t v) { events.push_back("m" + std::to_string(v)); });
    lcd.OnSecondsChanged.connect(
        [&](std::uint8_t v) { events.push_back("s" + std::to_string(v)); });
    lcd.update();
    lcd.update();
    clock.setTime(13, 6, 9);
    lcd.update();
    EXPECT_EQ(events, (std::vector<std::string>{"h13", "m5", "s9", "m6"}));
}

TEST_F(MainClock, ElapsedCountsFromActivationAcrossMidnight) {
    clock.setDate(2024, 2, 29);
    clock.setTime(23, 0, 0);
    lcd.setClockType(LcdClockType::ctElapsed);
    lcd.setActive(true);
    clock.setDate(2024, 3, 1);
    clock.setTime(1, 2, 3);
    lcd.update();
    EXPECT_EQ(lcd.text(), "02:02:03");
    EXPECT_EQ(lcd.drawnWidth(), 100);
}

TEST_F(MainClock, LoadingShowsTheTimeOnceAtTheEnd) {
    lcd.beginLoad();
    lcd.setSpacing(3);
    lcd.setColor(model::rgb(0, 0, 0x40));
    EXPECT_EQ(repaints, 0);
    lcd.endLoad();
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(lcd.text(), "13:05:09");
    expectPainted();
}

TEST_F(MainClock, AutoSizeTakesTheDrawnWidthAndDigitHeight) {
    std::vector<std::pair<int, int>> sizes;
    lcd.resized.connect([&](int w, int h) { sizes.emplace_back(w, h); });
    lcd.setAutoSize(true);
    lcd.paint();
    EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{{112, 17}}));
    EXPECT_EQ(lcd.layout().front().x, 0);
    expectPainted();
}

struct StyleSize {
    LcdNumStyle style;
    int digitsWidth, height, colonWidth, ampmWidth;
};

TEST(LcdGlyphs, EveryStyleHasItsSizesCellsAndThreeColours) {
    const StyleSize sizes[] = {
        {LcdNumStyle::ns13x24, 169, 24, 6, 20}, {LcdNumStyle::ns11x20, 143, 20, 6, 20},
        {LcdNumStyle::ns7x13, 91, 13, 3, 14},   {LcdNumStyle::ns12x17, 156, 17, 7, 20},
        {LcdNumStyle::ns5x7, 52, 7, 3, 12},
    };
    for (const StyleSize& s : sizes) {
        SCOPED_TRACE(s.digitsWidth);
        const LcdGlyphs g = lcdGlyphs(s.style);
        EXPECT_EQ(g.digits.width(), s.digitsWidth);
        EXPECT_EQ(g.digits.height(), s.height);
        EXPECT_EQ(g.colon.width(), s.colonWidth);
        EXPECT_EQ(g.colon.height(), s.height);
        EXPECT_EQ(g.ampm.width(), s.ampmWidth);
        EXPECT_EQ(g.ampm.height(), s.height);

        // Lit and unlit pixels of a cell of a strip, within rows [top, bottom).
        const auto count = [](const LcdImage& strip, int cell, int width, model::Color c, int top,
                              int bottom) {
            int n = 0;
            for (int y = top; y < bottom; ++y) {
                for (int x = cell * width; x < (cell + 1) * width; ++x) {
                    n += strip.pixel(x, y) == c;
                }
            }
            return n;
        };
        const int w = g.cellWidth();
        const int h = s.height;
        for (const LcdImage* image : {&g.digits, &g.colon, &g.ampm}) {
            for (model::Color c : image->pixels()) {
                EXPECT_TRUE(c == model::kBlack || c == kLcdLit || c == kLcdUnlit);
            }
        }
        EXPECT_EQ(count(g.digits, 8, w, kLcdUnlit, 0, h), 0);
        EXPECT_GT(count(g.digits, 1, w, kLcdUnlit, 0, h), 0);
        EXPECT_EQ(count(g.digits, kLcdBlankCell, w, kLcdLit, 0, h), 0);
        EXPECT_EQ(count(g.digits, kLcdBlankCell, w, kLcdUnlit, 0, h),
                  count(g.digits, 8, w, kLcdLit, 0, h));
        EXPECT_EQ(count(g.digits, kLcdUnlitMinusCell, w, kLcdLit, 0, h), 0);
        EXPECT_EQ(count(g.digits, kLcdLitMinusCell, w, kLcdLit, 0, h),
                  count(g.digits, kLcdUnlitMinusCell, w, kLcdUnlit, 0, h));
        EXPECT_GT(count(g.digits, kLcdLitMinusCell, w, kLcdLit, 0, h), 0);
        EXPECT_GT(count(g.colon, 0, s.colonWidth, kLcdLit, 0, h), 0);
        // AM above PM: the AM cell lights the upper half only, the PM cell the lower.
        const int aw = g.ampmCellWidth();
        EXPECT_GT(count(g.ampm, kLcdAmCell, aw, kLcdLit, 0, h / 2), 0);
        EXPECT_EQ(count(g.ampm, kLcdAmCell, aw, kLcdLit, h / 2, h), 0);
        EXPECT_GT(count(g.ampm, kLcdPmCell, aw, kLcdLit, h / 2, h), 0);
        EXPECT_EQ(count(g.ampm, kLcdPmCell, aw, kLcdLit, 0, h / 2), 0);
    }
}

}  // namespace
}  // namespace orvessa::ui
