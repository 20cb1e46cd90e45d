#include "gui/ui/lcd_clock_widget.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <exception>

#include "gui/timer_binder.h"

namespace orvessa::gui {
namespace {

QRgb toQt(model::Color c) {
    return qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

model::Color fromQt(QRgb c) {
    return model::rgb(qRed(c), qGreen(c), qBlue(c));
}

}  // namespace

LcdClockWidget::LcdClockWidget(const platform::Clock& clock, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("LcdClock1"));
    // The worker only queues the tick; it waits for it to run here, and a tick still queued
    // when this widget goes is dropped with it.
    ui::LcdDispatcher dispatcher = [this](std::function<void()> tick) {
        if (QCoreApplication::closingDown()) {
            return;
        }
        QMetaObject::invokeMethod(this, std::move(tick), Qt::QueuedConnection);
    };
    ui::LcdErrorHandler onError = [](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            qWarning("orvessa: the LCD clock's tick failed: %s", e.what());
        } catch (...) {
            qWarning("orvessa: the LCD clock's tick failed");
        }
    };
    m_clock = std::make_unique<ui::LcdClock>(clock, std::move(dispatcher), std::move(onError));
    // On the window timer the clock ticks in the same wake-up as the broadcast clock, just past
    // each second boundary.
    m_windowTimer = std::make_unique<TimerBinder>(m_clock->timer().hostTicker(),
                                                  TimerBinder::Ticks::OnTheSecond, nullptr);
    m_clock->setParentBackground([this](ui::LcdImage& image) { copyParentBackground(image); });
    m_clock->repaintRequested.connect([this] { repaintRequested(); });
    m_clock->resized.connect([this](int width, int height) {
        // Sized from inside a paint: take the new size once the paint is over.
        QMetaObject::invokeMethod(
            this, [this, width, height] { resize(width, height); }, Qt::QueuedConnection);
    });
    setAttribute(Qt::WA_OpaquePaintEvent, !m_clock->Transparent());
    resize(m_clock->Width(), m_clock->Height());
}

LcdClockWidget::~LcdClockWidget() {
    m_windowTimer.reset();
    // Ends the worker before anything it could reach goes away.
    m_clock.reset();
}

void LcdClockWidget::configureAsMainWindowClock() {
    ui::LcdClock& c = *m_clock;
    c.beginLoad();
    c.setClockType(ui::LcdClockType::ctRealTime);
    c.setHours24(true);
    c.setShowSeconds(true);
    c.setShowTimeZone(true);
    c.setStyle(ui::LcdNumStyle::ns12x17);
    c.setPalette(ui::LcdPalette(model::rgb(0x00, 0x80, 0x00), model::rgb(0x00, 0xFF, 0x00)));
    c.setColor(model::kBlack);
    c.setSpacing(2);
    // Not threaded: with its tick handed to this thread anyway, a worker of its own only added
    // two wake-ups a second to an idle program.
    c.setThreaded(false);
    c.setBlink(false);
    c.setTransparent(false);
    c.setAutoSize(false);
    c.setActive(true);
    c.endLoad();
}

void LcdClockWidget::repaintRequested() {
    if (m_painting) {
        return;
    }
    setAttribute(Qt::WA_OpaquePaintEvent, !m_clock->Transparent());
    // Only what changed goes to the screen: on a tick, the digit that moved on.
    const ui::LcdRect dirty = m_clock->dirtyRect();
    update(QRect(dirty.x, dirty.y, dirty.width, dirty.height));
}

void LcdClockWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_clock->setSize(width(), height());
}

void LcdClockWidget::paintEvent(QPaintEvent* event) {
    m_painting = true;
    // A size given before the widget was first shown may not have reached the clock yet.
    m_clock->setSize(width(), height());
    m_clock->paint();
    m_painting = false;

    const ui::LcdImage& image = m_clock->image();
    const QRect whole(0, 0, image.width(), image.height());
    QRect area = event->rect() & whole;
    if (m_frame.size() != whole.size()) {
        m_frame = QImage(whole.size(), QImage::Format_RGB32);
        area = whole;
    }
    // The frame keeps what was converted before; only the part being painted is converted.
    const auto& pixels = image.pixels();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(m_frame.scanLine(y));
        const model::Color* from = pixels.data() + static_cast<size_t>(y) * image.width();
        for (int x = area.left(); x <= area.right(); ++x) {
            line[x] = toQt(from[x]);
        }
    }
    QPainter painter(this);
    painter.drawImage(area.topLeft(), m_frame, area);
}

void LcdClockWidget::copyParentBackground(ui::LcdImage& image) {
    QWidget* parent = parentWidget();
    if (!parent || image.empty()) {
        image.fill(m_clock->Color());
        return;
    }
    QImage under(image.width(), image.height(), QImage::Format_RGB32);
    under.fill(parent->palette().color(parent->backgroundRole()));
    // The parent alone, without its children, so this widget is not drawn into itself.
    parent->render(&under, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(under.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, fromQt(line[x]));
        }
    }
}

}  // namespace orvessa::gui
