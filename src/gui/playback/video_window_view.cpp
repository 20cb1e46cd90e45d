#include "gui/playback/video_window_view.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLibrary>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "gui/qt_text.h"
#include "gui/tools/subtitle_strip.h"

namespace orvessa::gui {

VideoWindowView::VideoWindowView(playback::VideoWindow& model, QString moduleDirectory,
                                 QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      m_model(model),
      m_moduleDirectory(moduleDirectory.isEmpty() ? QCoreApplication::applicationDirPath()
                                                  : std::move(moduleDirectory)) {
    setObjectName(toQt(model.name()));
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);

    m_surface = new QWidget(this);
    m_surface->setObjectName(toQt(model.videoSurface.name()));
    m_surface->setAttribute(Qt::WA_NativeWindow);
    m_surface->setAutoFillBackground(true);
    m_surface->setPalette(black);
    m_model.surfaceHandle = static_cast<platform::NativeWindow>(m_surface->winId());

    // A window of its own made after the surface, so that it lies above the video the media
    // device draws there; the page is put below both.
    m_subtitle = new SubtitleStripWidget(this);
    m_subtitle->setObjectName(toQt(model.subtitleStrip.name()));
    m_subtitle->setAttribute(Qt::WA_NativeWindow);
    m_subtitle->setLook(platform::FontDescription{}, model::kBlack);
    // Over a page the strip is a small window of its own above this one: the browser composes
    // this window's contents itself, and a strip inside it would stay black.
    m_pageSubtitle = new SubtitleStripWidget(this);
    m_pageSubtitle->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint |
                                   Qt::WindowDoesNotAcceptFocus);
    m_pageSubtitle->setAttribute(Qt::WA_ShowWithoutActivating);
    m_pageSubtitle->setLook(platform::FontDescription{}, model::kBlack);

    // The emergency's message: a window of its own made last, so that it lies above the video
    // and the strip alike.
    m_emergency = new QLabel(this);
    m_emergency->setObjectName(toQt(model.emergencyMessage.name()));
    m_emergency->setAttribute(Qt::WA_NativeWindow);
    m_emergency->setAlignment(Qt::AlignCenter);
    m_emergency->setWordWrap(true);
    m_emergency->setMargin(40);
    m_emergency->setAutoFillBackground(true);
    QPalette alarm = m_emergency->palette();
    alarm.setColor(QPalette::Window, QColor(0xcc, 0, 0));
    alarm.setColor(QPalette::WindowText, Qt::white);
    m_emergency->setPalette(alarm);

    auto watch = [this](model::Signal<>& signal, auto&& slot) {
        m_connections.emplace_back(&signal, signal.connect(slot));
    };
    watch(m_model.changed, [this] { syncWindow(); });
    watch(m_model.videoSurface.changed,
          [this] { m_surface->setVisible(m_model.videoSurface.visible()); });
    watch(m_model.subtitleStrip.changed, [this] { syncSubtitle(); });
    watch(m_model.webBrowser.changed, [this] { syncBrowser(); });
    watch(m_model.webBrowser.navigated, [this] { navigate(); });
    watch(m_model.emergencyMessage.changed, [this] { syncEmergency(); });

    m_surface->setVisible(m_model.videoSurface.visible());
    syncEmergency();
    syncWindow();
}

bool VideoWindowView::emergencyShown() const {
    return m_model.emergencyMessage.visible();
}

void VideoWindowView::syncEmergency() {
    m_emergency->setText(toQt(m_model.emergencyMessage.text()));
    m_emergency->setGeometry(rect());
    // As large as the window allows: a short message fills a screen, a long one still fits.
    QFont font = m_emergency->font();
    font.setBold(true);
    // The characters together cover about a third of the window, no line taller than a fifth.
    const double characters = std::max<qsizetype>(m_emergency->text().size(), 1);
    const double size = std::min(height() / 5.0, std::sqrt(width() * height() / 3.0 / characters));
    font.setPixelSize(std::clamp(static_cast<int>(size), 16, 400));
    m_emergency->setFont(font);
    m_emergency->setVisible(emergencyShown());
    if (emergencyShown()) {
        m_emergency->raise();
    }
    // The page and the strip over it would be drawn above the message: they wait beneath.
    syncBrowser();
}

void VideoWindowView::showSubtitleStyle(tools::StripStyle& style) {
    auto apply = [this, &style] {
        m_subtitle->setLook(style.font(), style.background());
        m_pageSubtitle->setLook(style.font(), style.background());
    };
    m_connections.emplace_back(&style.changed, style.changed.connect(apply));
    apply();
}

void VideoWindowView::syncSubtitle() {
    const model::TextControl& strip = m_model.subtitleStrip;
    const auto& b = strip.bounds();
    const bool overPage = pageShown();
    m_subtitle->setText(toQt(strip.text()));
    // The strip's own size, also when it lies partly or wholly outside the window.
    m_subtitle->setGeometry(b.left, b.top, b.width, b.height);
    m_subtitle->setVisible(strip.visible() && !overPage);
    if (emergencyShown()) {
        m_emergency->raise();
    }

    m_pageSubtitle->setText(toQt(strip.text()));
    m_pageSubtitle->setGeometry(QRect(mapToGlobal(QPoint(b.left, b.top)),
                                      QSize(std::max(b.width, 0), std::max(b.height, 0))));
    m_pageSubtitle->setVisible(strip.visible() && overPage && isVisible() && !emergencyShown());
    if (m_pageSubtitle->isVisible()) {
        m_pageSubtitle->raise();
    }
}

void VideoWindowView::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    syncSubtitle();
}

void VideoWindowView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    syncSubtitle();
}

void VideoWindowView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_pageSubtitle->hide();
}

bool VideoWindowView::pageShown() const {
    return m_page && m_model.webBrowser.visible();
}

SubtitleStripWidget* VideoWindowView::subtitleStrip() const {
    return pageShown() ? m_pageSubtitle : m_subtitle;
}

VideoWindowView::~VideoWindowView() {
    for (auto& [signal, id] : m_connections) {
        signal->disconnect(id);
    }
}

WId VideoWindowView::videoSurface() const {
    return m_surface->winId();
}

void VideoWindowView::syncWindow() {
    setWindowTitle(toQt(m_model.caption()));
    const auto& b = m_model.bounds();
    // A window never sized is shrunk to its children when shown, even when it already has the
    // right default size (640 x 480).
    if (b.width > 0 && b.height > 0 &&
        (!testAttribute(Qt::WA_Resized) || geometry() != QRect(b.left, b.top, b.width, b.height))) {
        setGeometry(b.left, b.top, b.width, b.height);
    }
    if (m_model.visible() != isVisible()) {
        setVisible(m_model.visible());
        if (m_model.visible()) {
            raise();
        }
    }
}

void VideoWindowView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    syncSubtitle();
    syncEmergency();
    const QRect all(QPoint(0, 0), event->size());
    m_surface->setGeometry(all);
    if (m_page) {
        m_page->widget()->setGeometry(all);
    }
}

bool VideoWindowView::ensureBrowser() {
    if (m_page) {
        return true;
    }
    if (m_browserFailed) {
        return false;
    }
    QLibrary module(QDir(m_moduleDirectory).filePath(QString::fromLatin1(kWebViewModule)));
    auto create = reinterpret_cast<CreateWebPage>(module.resolve(kCreateWebPageSymbol));
    if (create == nullptr) {
        m_browserFailed = true;
        std::fprintf(stderr, "Orvessa: the browser module cannot be loaded: %s\n",
                     qPrintable(module.errorString()));
        return false;
    }
    m_page.reset(create(this));
    QWidget* view = m_page->widget();
    view->setGeometry(rect());
    // Bottom of the stack: the video surface and the subtitle strip lie above the page.
    view->lower();
    view->setVisible(m_model.webBrowser.visible() && !emergencyShown());
    syncSubtitle();
    return true;
}

void VideoWindowView::navigate() {
    if (!ensureBrowser()) {
        return;
    }
    const QString address = toQt(m_model.webBrowser.address());
    const QUrl url =
        address.contains(QLatin1String("://")) ? QUrl(address) : QUrl::fromLocalFile(address);
    m_page->navigate(url);
}

void VideoWindowView::syncBrowser() {
    if (m_page) {
        m_page->widget()->setVisible(m_model.webBrowser.visible() && !emergencyShown());
    }
    syncSubtitle();
}

}  // namespace orvessa::gui
