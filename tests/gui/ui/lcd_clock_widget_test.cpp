#include "gui/ui/lcd_clock_widget.h"

#include <QPaintEvent>
#include <QTest>

#include "fakes/settable_clock.h"

using namespace orvessa;

class LcdClockWidgetTest : public QObject {
    Q_OBJECT

private slots:
    void paintsTheClockImage() {
        fakes::SettableClock clock;
        clock.setTime(13, 5, 9);
        gui::LcdClockWidget lcd(clock);
        lcd.setGeometry(0, 0, 134, 49);
        lcd.configureAsMainWindowClock();

        const QImage shot = lcd.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shot.size(), QSize(134, 49));
        // The 3 of 13 at x 25 has its top bar lit; the 1 at x 11 has it unlit.
        QCOMPARE(shot.pixel(30, 16), qRgb(0x00, 0xFF, 0x00));
        QCOMPARE(shot.pixel(16, 16), qRgb(0x00, 0x80, 0x00));
        QCOMPARE(shot.pixel(0, 0), qRgb(0, 0, 0));
        const ui::LcdImage& image = lcd.clock().image();
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                const model::Color c = image.pixel(x, y);
                QCOMPARE(shot.pixel(x, y), qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
            }
        }
    }

    // A tick that moves one digit on sends that digit's rectangle to the screen, nothing more.
    void aTickRepaintsOnlyTheDigitItChanged() {
        fakes::SettableClock clock;
        clock.setTime(13, 5, 8);
        gui::LcdClockWidget lcd(clock);
        lcd.setGeometry(0, 0, 134, 49);
        lcd.configureAsMainWindowClock();
        PaintedAreas painted;
        lcd.installEventFilter(&painted);
        lcd.show();
        QVERIFY(QTest::qWaitForWindowExposed(&lcd));
        QTRY_VERIFY(!painted.areas.isEmpty());
        QCOMPARE(painted.areas.last(), QRegion(0, 0, 134, 49));

        painted.areas.clear();
        clock.setTime(13, 5, 9);
        lcd.clock().update();
        QTRY_VERIFY(!painted.areas.isEmpty());
        // The last digit, 12 by 17 pixels at (99, 16) in the main window's style.
        QCOMPARE(painted.areas.first(), QRegion(99, 16, 12, 17));
    }

private:
    // The areas of the paint events a widget receives.
    struct PaintedAreas : QObject {
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) {
                areas.append(static_cast<QPaintEvent*>(event)->region());
            }
            return false;
        }
        QList<QRegion> areas;
    };
};

QTEST_MAIN(LcdClockWidgetTest)
#include "lcd_clock_widget_test.moc"
