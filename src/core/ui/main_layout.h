#pragma once

#include "core/model/control.h"

namespace orvessa::ui {

// The places of the main window's controls, in client coordinates. The layout procedure moves
// them from the window's outer size; it reads some of the values it sets, so a size settles on
// the second run.
struct MainLayout {
    // The designed window, 708 by 492 outside.
    static constexpr int kDesignedWidth = 708;
    static constexpr int kDesignedHeight = 492;

    // The emergency's banner, while it shows: a band of its own across the window below the
    // toolbar, the grid and the column beside it moved down to make room, so that it covers
    // neither the table nor a button.
    static constexpr int kBannerHeight = 50;
    bool bannerShown = false;
    model::Rect banner{0, 74, kDesignedWidth, 0};

    // The grid's height in pixels when the week setting has shrunk it; 0 while as designed.
    int gridHeight = 0;
    model::Rect timePanel{552, 234, 144, 34};   // clockText
    model::Rect toolbarHost{-13, -4, 550, 69};  // ControlBar1
    model::Rect toolbar{11, 2, 525, 74};        // ToolBar1
    model::Rect grid{16, 96, 505, 225};
    model::Rect nowPlayingBox{20, 356, 521, 59};  // nowPlayingFrame
    model::Rect statusLine{32, 360, 497, 17};
    model::Rect hintLine{32, 376, 497, 17};
    model::Rect columnFrame{544, 112, 145, 105};  // columnFrame
    model::Rect playList{556, 120, 57, 53};       // playlistBox
    model::Rect libraryList{552, 120, 89, 89};    // libraryList
    model::Rect picture{552, 104, 141, 129};      // columnPicture
    model::Rect clock{552, 8, 140, 53};           // LcdClock1
    model::Rect dateLine{568, 0, 108, 20};        // stopDayLine
    model::Rect hide{556, 360, 57, 25};           // hideButton
    model::Rect quit{624, 360, 57, 25};           // quitButton
    model::Rect insert{544, 272, 57, 25};         // insertRowButton
    model::Rect add{544, 296, 57, 25};
    model::Rect remove{544, 320, 57, 25};  // del
    model::Rect up{616, 272, 57, 25};
    model::Rect down{616, 296, 57, 25};  // dow
    model::Rect save{616, 320, 57, 25};
    model::Rect secondMonitor{556, 384, 121, 17};  // secondMonitorBox
    model::Rect hideAtStart{556, 400, 117, 17};    // hideAtStartBox
    model::Rect line{-80, 344, 769, 9};            // Bevel1
    model::Rect weekChoice{24, 288, 505, 41};      // weekSelector

    // One run of the layout procedure for a window `width` by `height` pixels outside.
    void layOut(int width, int height);
    // The grid's height while the week setting shows the week choice below it: above the
    // divider line, and clear of the choice.
    int weekSettingGridHeight() const;
};

}  // namespace orvessa::ui
