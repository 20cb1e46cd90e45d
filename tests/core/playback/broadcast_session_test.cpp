#include "core/playback/broadcast_session.h"

#include <gtest/gtest.h>

namespace orvessa::playback {
namespace {

TEST(RunningItem, MediaEndsOnTheReadingThatReachesItsLength) {
    PlaybackState item;
    item.itemKind = ItemKind::Media;
    EXPECT_FALSE(item.itemEnded()) << "nothing read yet";
    item.lengthMs = 180000;
    EXPECT_FALSE(item.itemEnded()) << "no position yet";
    item.positionMs = 179999;
    EXPECT_FALSE(item.itemEnded()) << "one millisecond short";
    item.positionMs = 180000;
    EXPECT_TRUE(item.itemEnded());
    item.forgetItemTimes();
    EXPECT_FALSE(item.itemEnded()) << "stopped: nothing left to reach";
}

TEST(RunningItem, MediaOfNoLengthHasEndedAtOnce) {
    PlaybackState item;
    item.itemKind = ItemKind::Media;
    item.lengthMs = 0;
    item.positionMs = 0;
    EXPECT_TRUE(item.itemEnded());
}

TEST(RunningItem, PagesProgramsAndNothingNeverEndByLength) {
    for (const ItemKind kind : {ItemKind::WebPage, ItemKind::ShellOpened, ItemKind::None}) {
        PlaybackState item;
        item.itemKind = kind;
        item.positionMs = 100;
        item.lengthMs = 100;
        EXPECT_FALSE(item.itemEnded()) << static_cast<int>(kind);
    }
}

}  // namespace
}  // namespace orvessa::playback
