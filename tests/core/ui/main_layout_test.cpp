#include "core/ui/main_layout.h"

#include <gtest/gtest.h>

#include <utility>

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
    EXPECT_EQ(l.statusLine, (Rect{32, 381, 489, 17}));
    EXPECT_EQ(l.hintLine.top, 401);
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

bool overlap(const Rect& a, const Rect& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

TEST(MainLayout, TheEmergencyBannerTakesABandOfItsOwn) {
    for (const auto& [w, h] : {std::pair{MainLayout::kDesignedWidth, MainLayout::kDesignedHeight},
                               std::pair{1024, 740}, std::pair{640, 460}}) {
        MainLayout l;
        l.bannerShown = true;
        for (int run = 0; run < 2; ++run) {
            l.layOut(w, h);
        }
        EXPECT_EQ(l.banner.width, w);
        EXPECT_EQ(l.banner.height, MainLayout::kBannerHeight);
        EXPECT_GE(l.banner.top, l.toolbarHost.top + l.toolbarHost.height);
        for (const Rect& r : {l.grid, l.columnFrame, l.picture, l.playList, l.libraryList, l.clock,
                              l.insert, l.add, l.remove, l.up, l.down, l.save, l.hide, l.quit,
                              l.nowPlayingBox, l.weekChoice, l.line}) {
            EXPECT_FALSE(overlap(l.banner, r)) << w << "x" << h << ": " << r.left << "," << r.top
                                               << " " << r.width << "x" << r.height;
        }
        EXPECT_LE(l.grid.top + l.weekSettingGridHeight(), l.weekChoice.top);

        // Gone again, everything is where it was.
        MainLayout plain;
        l.bannerShown = false;
        for (int run = 0; run < 2; ++run) {
            l.layOut(w, h);
            plain.layOut(w, h);
        }
        EXPECT_EQ(l.grid, plain.grid);
        EXPECT_EQ(l.picture, plain.picture);
    }
}

}  // namespace
}  // namespace orvessa::ui
