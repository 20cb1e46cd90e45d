#pragma once

#include <QImage>
#include <QWidget>
#include <memory>

#include "core/platform/clock.h"
#include "core/ui/lcd_clock.h"

namespace orvessa::gui {

class TimerBinder;

// The LCD clock control: the core clock draws into its off-screen image and this widget copies
// it to the screen in one step. The clock's worker thread hands each tick to this widget's
// thread.
class LcdClockWidget : public QWidget {
public:
    explicit LcdClockWidget(const platform::Clock& clock, QWidget* parent = nullptr);
    ~LcdClockWidget() override;

    ui::LcdClock& clock() { return *m_clock; }

    // As the main window shows it: the running time of day, 24 hours with seconds and the
    // AM/PM marker, lime on black, its own thread waking it.
    void configureAsMainWindowClock();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void repaintRequested();
    void copyParentBackground(ui::LcdImage& image);

    std::unique_ptr<ui::LcdClock> m_clock;
    // After the clock, so it lets go of the clock's window timer first.
    std::unique_ptr<TimerBinder> m_windowTimer;
    QImage m_frame;
    bool m_painting = false;
};

}  // namespace orvessa::gui
