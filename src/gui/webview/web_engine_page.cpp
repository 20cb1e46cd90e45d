// The browser module: a Qt WebEngine view behind the small WebPage interface.

#include <QWebEngineView>

#include "gui/playback/web_page.h"

namespace orvessa::gui {
namespace {

class WebEnginePage : public WebPage {
public:
    explicit WebEnginePage(QWidget* parent) : m_view(new QWebEngineView(parent)) {
        m_view->setObjectName(QStringLiteral("Web1"));
    }
    QWidget* widget() override { return m_view; }
    void navigate(const QUrl& url) override { m_view->load(url); }

private:
    QWebEngineView* m_view;
};

}  // namespace
}  // namespace orvessa::gui

extern "C" Q_DECL_EXPORT orvessa::gui::WebPage* orvessa_create_web_page(QWidget* parent) {
    return new orvessa::gui::WebEnginePage(parent);
}
