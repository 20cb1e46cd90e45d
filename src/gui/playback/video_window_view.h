#pragma once

#include <QWidget>

class QLabel;
#include <memory>
#include <vector>

#include "core/playback/video_window.h"
#include "core/tools/subtitle_style.h"
#include "gui/playback/web_page.h"

namespace orvessa::gui {

class SubtitleStripWidget;

// The borderless full-screen video and web window. The browser is created the first time a page
// is shown; until then the window holds only the video surface and the subtitle strip.
class VideoWindowView : public QWidget {
public:
    // The browser module is looked for in `moduleDirectory`, by default the executable's.
    explicit VideoWindowView(playback::VideoWindow& model, QString moduleDirectory = {},
                             QWidget* parent = nullptr);
    ~VideoWindowView() override;

    // The native window the media device draws into.
    WId videoSurface() const;
    QWidget* videoSurfaceWidget() const { return m_surface; }
    // Null until a page has been shown, or when the browser module cannot be loaded.
    WebPage* webPage() const { return m_page.get(); }
    // The strip in use: the one over the video surface, or the one over the page.
    SubtitleStripWidget* subtitleStrip() const;
    // The strip draws with this font and background from now on.
    void showSubtitleStyle(tools::StripStyle& style);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void syncWindow();
    void syncBrowser();
    void syncSubtitle();
    void syncEmergency();
    bool emergencyShown() const;
    void navigate();
    bool ensureBrowser();

    playback::VideoWindow& m_model;
    QWidget* m_surface;
    bool pageShown() const;

    SubtitleStripWidget* m_subtitle;
    SubtitleStripWidget* m_pageSubtitle;
    QLabel* m_emergency;
    QString m_moduleDirectory;
    std::unique_ptr<WebPage> m_page;
    bool m_browserFailed = false;
    std::vector<std::pair<model::Signal<>*, int>> m_connections;
};

}  // namespace orvessa::gui
