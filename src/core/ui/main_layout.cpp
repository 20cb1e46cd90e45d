#include "core/ui/main_layout.h"

#include <algorithm>

namespace orvessa::ui {

void MainLayout::layOut(int W, int H) {
    // 1-2
    timePanel.left = W - timePanel.width - 17;
    toolbarHost.width = W - timePanel.width - 19;
    toolbar.width = W - timePanel.width - 22;
    // 3-7: the grid reads the picture's width, which step 10 sets.
    grid.width = W - picture.width - 65;
    grid.top = toolbarHost.height + 15;
    grid.height = H - grid.top - nowPlayingBox.height - 92;
    grid.left = nowPlayingBox.left;
    nowPlayingBox.width = grid.width;
    nowPlayingBox.top = H - nowPlayingBox.height - 67;
    // 8
    statusLine.top = nowPlayingBox.top + 15;
    statusLine.width = nowPlayingBox.width - 20;
    hintLine.top = statusLine.top + 20;
    // 9-10: the frame reads "上移" from before this run; step 15 moves it later.
    columnFrame.top = grid.top;
    columnFrame.left = timePanel.left;
    columnFrame.width = timePanel.width - 10;
    columnFrame.height = up.top - columnFrame.top - 20;
    for (model::Rect* r : {&playList, &picture, &libraryList}) {
        r->top = columnFrame.top;
        r->height = columnFrame.height;
        r->width = columnFrame.width;
        r->left = columnFrame.left;
    }
    // 11-12
    clock.left = timePanel.left;
    clock.width = timePanel.width - 10;
    clock.top = toolbarHost.top + toolbarHost.height - clock.height;
    clock.height = toolbarHost.height - 20;
    dateLine.top = clock.top - 18;
    dateLine.width = clock.width;
    dateLine.left = clock.left;
    // 13-16
    quit.top = nowPlayingBox.top;
    hide.top = nowPlayingBox.top;
    hide.left = nowPlayingBox.left + nowPlayingBox.width + 20;
    quit.left = hide.left + hide.width + 15;
    const int T = hide.top;
    const int A = hide.left;
    const int B = quit.left;
    insert.left = A;
    insert.top = T - 105;
    remove.left = A;
    remove.top = T - 45;
    add.left = A;
    add.top = T - 75;
    up.left = B;
    up.top = insert.top;
    down.left = B;
    down.top = add.top;
    save.left = B;
    save.top = remove.top;
    hideAtStart.left = A;
    hideAtStart.top = T + 48;
    secondMonitor.left = A;
    secondMonitor.top = T + 31;
    // 17-18
    line.top = T - 20;
    line.width = W;
    line.left = 0;
    weekChoice.top = line.top - 41;
    weekChoice.left = grid.left;
    weekChoice.width = grid.width;
    // The banner's band, taken from the grid's and the column's tops.
    const int band = bannerShown ? kBannerHeight : 0;
    banner = {0, grid.top - 10, W, band};
    grid.top += band;
    grid.height = std::max(0, grid.height - band);
    for (model::Rect* r : {&columnFrame, &playList, &picture, &libraryList}) {
        r->top += band;
        r->height = std::max(0, r->height - band);
    }
}

int MainLayout::weekSettingGridHeight() const {
    // The line's place less 110, as designed, but never over the week choice below the grid.
    const int band = bannerShown ? kBannerHeight : 0;
    return std::max(0, std::min(line.top - 110 - band, weekChoice.top - grid.top - 4));
}

}  // namespace orvessa::ui
