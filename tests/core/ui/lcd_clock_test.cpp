#include "core/ui/lcd_clock.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
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

    std::pair<std::string, int> shown() const { return {lcd.text(), lcd.layout().back().cell}; }

    fakes::SettableClock clock;
    LcdClock lcd{clock};
    int repaints = 0;
};

TEST_F(MainClock, PlacesAndPaintsEveryGlyphAsDesigned) {
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

TEST_F(MainClock, ShowsTwelveOrTwentyFourHoursWithTheMarker) {
    lcd.update();
    EXPECT_EQ(shown(), std::make_pair(std::string("13:05:09"), kLcdPmCell));

    lcd.setHours24(false);
    lcd.update();
    EXPECT_EQ(shown(), std::make_pair(std::string("01:05:09"), kLcdPmCell));

    clock.setTime(0, 30, 0);
    lcd.update();
    EXPECT_EQ(shown(), std::make_pair(std::string("12:30:00"), kLcdAmCell));

    clock.setTime(12, 0, 0);
    lcd.update();
    EXPECT_EQ(shown(), std::make_pair(std::string("12:00:00"), kLcdPmCell));
    expectPainted();
}

// A tick marks out of date only the glyphs it changed, so only they go to the screen again;
// anything else about the clock marks the whole of it.
TEST_F(MainClock, ATickMarksOnlyTheGlyphsItChangedOutOfDate) {
    clock.setTime(13, 5, 8);
    lcd.update();
    lcd.paint();
    EXPECT_TRUE(lcd.dirtyRect().empty());
    repaints = 0;

    clock.setTime(13, 5, 9);
    lcd.update();
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(lcd.dirtyRect(), (LcdRect{99, 16, 12, 17})) << "the last digit only";
    expectPainted();
    EXPECT_TRUE(lcd.dirtyRect().empty());

    // 13:05:59 to 13:06:00 changes three digits; the colon between them goes along.
    clock.setTime(13, 5, 59);
    lcd.update();
    lcd.paint();
    clock.setTime(13, 6, 0);
    lcd.update();
    EXPECT_EQ(lcd.dirtyRect(), (LcdRect{62, 16, 99 + 12 - 62, 17}));
    // Until painted, later changes add to it.
    lcd.setColor(model::rgb(0, 0, 0x80));
    EXPECT_EQ(lcd.dirtyRect(), (LcdRect{0, 0, 134, 49}));
    expectPainted();

    // Noon turns the marker from AM to PM; the hour's 1 stays as it was.
    clock.setTime(11, 59, 59);
    lcd.update();
    lcd.paint();
    clock.setTime(12, 0, 0);
    lcd.update();
    EXPECT_EQ(lcd.dirtyRect(), (LcdRect{25, 16, 113 + lcd.glyphs().ampmCellWidth() - 25, 17}));
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
    int recoloured = 0;
    for (int y = 0; y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x) {
            const model::Color was = before.pixel(x, y);
            EXPECT_EQ(lcd.image().pixel(x, y), was == kLime ? red : was) << x << "," << y;
            recoloured += was == kLime;
        }
    }
    EXPECT_GT(recoloured, 0);
}

TEST_F(MainClock, CustomClockCannotBeActivated) {
    lcd.setActive(true);
    ASSERT_TRUE(lcd.timer().Enabled());
    lcd.setClockType(LcdClockType::ctCustom);
    EXPECT_FALSE(lcd.Active());
    EXPECT_FALSE(lcd.timer().Enabled());
    lcd.setActive(true);
    EXPECT_FALSE(lcd.Active());
    EXPECT_FALSE(lcd.timer().Enabled());
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

TEST_F(MainClock, ElapsedCountsFromActivationAcrossMidnight) {
    clock.setDate(2024, 2, 29);
    clock.setTime(23, 0, 0);
    lcd.setClockType(LcdClockType::ctElapsed);
    lcd.setActive(true);
    clock.setDate(2024, 3, 1);
    clock.setTime(1, 2, 3);
    lcd.update();
    EXPECT_EQ(lcd.text(), "02:02:03");
}

}  // namespace
}  // namespace orvessa::ui
