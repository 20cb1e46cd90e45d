#include "gui/ui/lcd_clock_widget.h"

#include <QTest>
#include <QThread>
#include <memory>

#include "fakes/settable_clock.h"

using namespace orvessa;

class LcdClockWidgetTest : public QObject {
    Q_OBJECT

private slots:
    void paintsTheClockImageInOneCopy() {
        fakes::SettableClock clock;
        clock.setTime(13, 5, 9);
        gui::LcdClockWidget lcd(clock);
        lcd.setGeometry(0, 0, 134, 49);
        lcd.configureAsMainWindowClock();
        QCOMPARE(lcd.objectName(), QStringLiteral("LcdClock1"));
        QVERIFY(lcd.testAttribute(Qt::WA_OpaquePaintEvent));

        const QImage shot = lcd.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shot.size(), QSize(134, 49));
        // The 3 of 13 at x 25 has its top bar lit; the 1 at x 11 has it unlit.
        QCOMPARE(shot.pixel(30, 16), qRgb(0x00, 0xFF, 0x00));
        QCOMPARE(shot.pixel(16, 16), qRgb(0x00, 0x80, 0x00));
        QCOMPARE(shot.pixel(0, 0), qRgb(0, 0, 0));
        int lime = 0;
        const ui::LcdImage& image = lcd.clock().image();
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                const bool lit = image.pixel(x, y) == model::rgb(0x00, 0xFF, 0x00);
                QCOMPARE(shot.pixel(x, y) == qRgb(0x00, 0xFF, 0x00), lit);
                lime += lit;
            }
        }
        QVERIFY(lime > 100);
    }

    void ticksRunOnTheWidgetsThreadUntilItGoes() {
        fakes::SettableClock clock;
        clock.setTime(13, 5, 9);
        auto lcd = std::make_unique<gui::LcdClockWidget>(clock);
        lcd->configureAsMainWindowClock();
        QCOMPARE(lcd->clock().text(), std::string("13:05:09"));
        bool onGuiThread = true;
        lcd->clock().OnSecondsChanged.connect([&](std::uint8_t) {
            onGuiThread = onGuiThread && QThread::currentThread() == thread();
        });
        lcd->clock().timer().setInterval(5);
        QVERIFY(lcd->clock().timer().threadAlive());

        clock.setTime(13, 5, 10);
        QTRY_COMPARE_WITH_TIMEOUT(lcd->clock().Seconds(), std::uint8_t{10}, 20000);
        QVERIFY(onGuiThread);
        // Goes while its worker keeps handing ticks over.
        lcd.reset();
        clock.setTime(13, 5, 11);
        QTest::qWait(30);
    }

    void theWindowTimerDrivesAnUnthreadedClock() {
        fakes::SettableClock clock;
        gui::LcdClockWidget lcd(clock);
        lcd.configureAsMainWindowClock();
        lcd.clock().setThreaded(false);
        lcd.clock().timer().setInterval(5);
        QVERIFY(!lcd.clock().timer().threadAlive());
        clock.setTime(7, 0, 0);
        QTRY_COMPARE_WITH_TIMEOUT(lcd.clock().text(), std::string("07:00:00"), 20000);
    }
};

QTEST_MAIN(LcdClockWidgetTest)
#include "lcd_clock_widget_test.moc"
