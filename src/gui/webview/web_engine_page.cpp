// The browser module: a Qt WebEngine view behind the small WebPage interface.

#include <QCoreApplication>
#include <QOpenGLContext>
#include <QWebEngineView>

#include "gui/playback/web_page.h"

// Qt's own setter of the application-wide share context, exported by Qt GUI.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace orvessa::gui {
namespace {

class WebEnginePage : public WebPage {
public:
    explicit WebEnginePage(QWidget* parent) : m_view(new QWebEngineView(parent)) {
        m_view->setObjectName(QStringLiteral("webBrowser"));
    }
    QWidget* widget() override { return m_view; }
    void navigate(const QUrl& url) override { m_view->load(url); }

private:
    QWebEngineView* m_view;
};

// The browser draws through a context it shares with the application. Qt makes that context at
// start-up only when asked to, and with it loads the whole OpenGL driver into a program that
// may never show a page; so the module makes it here, on first use.
void ensureShareContext() {
    if (QOpenGLContext::globalShareContext() != nullptr) {
        return;
    }
    auto* context = new QOpenGLContext(QCoreApplication::instance());
    context->create();
    qt_gl_set_global_share_context(context);
}

}  // namespace
}  // namespace orvessa::gui

extern "C" Q_DECL_EXPORT orvessa::gui::WebPage* orvessa_create_web_page(QWidget* parent) {
    orvessa::gui::ensureShareContext();
    return new orvessa::gui::WebEnginePage(parent);
}
