#pragma once

#include <QUrl>
#include <QWidget>

namespace orvessa::gui {

// A browser page inside the video window. The browser lives in a module of its own, loaded the
// first time a page is shown, so the program neither starts nor idles with a browser in memory.
class WebPage {
public:
    virtual ~WebPage() = default;
    virtual QWidget* widget() = 0;
    virtual void navigate(const QUrl& url) = 0;
};

// The module's one entry point: a page as a child of `parent`.
using CreateWebPage = WebPage* (*)(QWidget* parent);
inline constexpr const char* kCreateWebPageSymbol = "orvessa_create_web_page";
inline constexpr const char* kWebViewModule = "orvessa_webview";

}  // namespace orvessa::gui
