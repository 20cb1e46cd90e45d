#include "core/ui/main_layout.h"

#include <gtest/gtest.h>

namespace orvessa::ui {
namespace {

using model::Rect;

TEST(MainLayout, TheDesignedWindowSettlesOnTheSecondRun) {
    MainLayout l;
    l.layOut(MainLayout::kDesignedWidth, MainLayout::kDesignedHeight);
    EXPECT_EQ(l.grid.width, 502);
    EXPECT_EQ(l.columnFrame.height, 168);
    EXPECT_EQ(l.clock.top, 12);

    l.layOut(MainLayout::kDesignedWidth, MainLayout::kDesignedHeight);
    EXPECT_EQ(l.timePanel, (Rect{547, 234, 144, 34}));
    EXPECT_EQ(l.toolbarHost, (Rect{-13, -4, 545, 69}));
    EXPECT_EQ(l.toolbar.width, 542);
    EXPECT_EQ(l.grid, (Rect{20, 84, 509, 257}));
    EXPECT_EQ(l.nowPlayingBox, (Rect{20, 366, 509, 59}));
    EXPECT_EQ(l.label1, (Rect{32, 381, 489, 17}));
    EXPECT_EQ(l.label2.top, 401);
    for (const Rect& r : {l.columnFrame, l.playList, l.picture, l.libraryList}) {
        EXPECT_EQ(r, (Rect{547, 84, 134, 157}));
    }
    EXPECT_EQ(l.clock, (Rect{547, 16, 134, 49}));
    EXPECT_EQ(l.dateLine, (Rect{547, -2, 134, 20}));
    EXPECT_EQ(l.hide, (Rect{549, 366, 57, 25}));
    EXPECT_EQ(l.quit, (Rect{621, 366, 57, 25}));
    EXPECT_EQ((Rect{l.insert.left, l.insert.top, l.add.top, l.remove.top}),
              (Rect{549, 261, 291, 321}));
    EXPECT_EQ((Rect{l.up.left, l.up.top, l.down.top, l.save.top}), (Rect{621, 261, 291, 321}));
    EXPECT_EQ(l.secondMonitor, (Rect{549, 397, 121, 17}));
    EXPECT_EQ(l.hideAtStart, (Rect{549, 414, 117, 17}));
    EXPECT_EQ(l.line, (Rect{0, 346, 708, 9}));
    EXPECT_EQ(l.weekChoice, (Rect{20, 305, 509, 41}));
}

TEST(MainLayout, ALargerWindowGivesTheGridTheRoom) {
    MainLayout l;
    for (int run = 0; run < 2; ++run) {
        l.layOut(1024, 700);
    }
    EXPECT_EQ(l.grid.width, 1024 - 144 - 55);
    EXPECT_EQ(l.columnFrame.height, 700 - 335);
    EXPECT_EQ(l.hide.left + l.hide.width, l.quit.left - 15);
    EXPECT_LE(l.grid.top + l.weekSettingGridHeight(), l.weekChoice.top);
}

}  // namespace
}  // namespace orvessa::ui
